// The telegram log file: its bytes, its life cycle, round trips through
// close and reopen, and the settings its header carries.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#include "app/timer_tick.h"
#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::ReadBackward;
using test::ReadFileBytes;
using test::ReadForward;
using test::RecordBytes;
using test::SampleTelegram;
using test::ScratchDir;
using test::TestMonitor;

template <typename T>
T At(const std::vector<uint8_t>& bytes, size_t offset) {
  T v;
  std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

using test::StoreSamples;

// The records still in the log: the newest letztnr - erstnr + 1 of those stored.
std::vector<std::vector<uint8_t>> Kept(const Monitor& m, const std::vector<std::vector<uint8_t>>& stored) {
  const size_t count = static_cast<size_t>(m.log.stand.letztnr - m.log.stand.erstnr + 1);
  return std::vector<std::vector<uint8_t>>(stored.end() - static_cast<std::ptrdiff_t>(count), stored.end());
}

std::vector<std::vector<uint8_t>> Reversed(std::vector<std::vector<uint8_t>> v) {
  std::reverse(v.begin(), v.end());
  return v;
}

TEST(TelegramLog, NewLogFileIsItsHeader) {
  ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.maxlog = 1;
  m.AllgPar.afilt.ein = 1;
  m.AllgPar.lfilt.ein = 1;
  m.AllgPar.lg = 0;
  m.ports[1].bp.lg = 3;
  const std::string name = dir.file("new.lg4");
  LogOpen(m, name, false);

  const std::vector<uint8_t> f = ReadFileBytes(name);
  ASSERT_EQ(f.size(), 2144u);
  const uint8_t magic[] = {0x02, 0x04, 0x00, 0x57};
  EXPECT_EQ(std::memcmp(f.data(), magic, 4), 0);
  EXPECT_EQ(At<int32_t>(f, 4), 2144);   // dlg
  EXPECT_EQ(At<int32_t>(f, 8), 2016);   // lg
  EXPECT_EQ(At<int32_t>(f, 12), 0);
  EXPECT_EQ(At<int32_t>(f, 16), 1000);  // ap.lg
  EXPECT_EQ(At<int32_t>(f, 16 + 72), 1);
  EXPECT_EQ(f[16 + 80 + 340], 0);       // afilt.ein cleared in the copy
  EXPECT_EQ(f[16 + 428 + 340], 0);      // lfilt.ein cleared in the copy
  EXPECT_EQ(At<int32_t>(f, 1016), 500);
  EXPECT_EQ(At<int32_t>(f, 1516), 500);
  EXPECT_EQ(At<int32_t>(f, 1516 + 204), 5);  // second port's COM number
  EXPECT_EQ(At<int32_t>(f, 2016), 128);
  EXPECT_EQ(At<int32_t>(f, 2020), 32);  // anzbl for a maximum size of 1
  for (size_t o = 2024; o < 2144; ++o) ASSERT_EQ(f[o], 0) << o;
  EXPECT_EQ(m.AllgPar.afilt.ein, 1) << "the current filters are not switched off by creating a log";
  EXPECT_TRUE(tm.sink.entries.empty());
  EXPECT_FALSE(m.AllgVar.logerr);
  EXPECT_EQ(m.AllgVar.dtlog, name);
}

TEST(TelegramLog, FirstTelegramIsNumberOne) {
  ScratchDir dir;
  TestMonitor tm;
  LogOpen(*tm, dir.file("a.lg4"), false);
  T_Telegramm t = SampleTelegram(7, 20);
  StoreTelegram(*tm, t);
  EXPECT_EQ(t.nr, 1);
  EXPECT_EQ(tm->log.stand.erstnr, 1);
  EXPECT_EQ(tm->log.stand.letztnr, 1);
  EXPECT_EQ(double{tm->log.stand.erstdt}, double{t.dt});
  EXPECT_EQ(t.lga, 48);
  EXPECT_EQ(t.lgv, 0);
}

struct RoundTripCase {
  const char* name;
  int32_t maxlog;
  int count;
  int lg;  // -1: varying lengths
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

// Written, closed and reopened, a log reads back the same records in both
// directions: within one block, over several, and after the ring has wrapped.
TEST_P(RoundTrip, ReadsBackIdenticalRecordsInBothDirections) {
  const RoundTripCase& c = GetParam();
  ScratchDir dir;
  const std::string name = dir.file("rt.lg4");
  std::vector<std::vector<uint8_t>> kept;
  int32_t erstnr = 0, letztnr = 0;
  {
    TestMonitor tm;
    Monitor& m = *tm;
    m.AllgPar.maxlog = c.maxlog;
    LogOpen(m, name, false);
    const auto stored = StoreSamples(m, c.count, c.lg);
    kept = Kept(m, stored);
    // Live, before any write-back: the newest block comes from memory.
    EXPECT_EQ(ReadForward(m), kept);
    EXPECT_EQ(ReadBackward(m), Reversed(kept));
    erstnr = m.log.stand.erstnr;
    letztnr = m.log.stand.letztnr;
    LogClose(m);
    EXPECT_FALSE(m.AllgVar.logerr);
    EXPECT_TRUE(tm.sink.entries.empty());
  }
  TestMonitor tm;
  Monitor& m = *tm;
  LogOpen(m, name, false);
  EXPECT_TRUE(tm.sink.entries.empty());
  EXPECT_EQ(m.log.stand.erstnr, erstnr);
  EXPECT_EQ(m.log.stand.letztnr, letztnr);
  EXPECT_EQ(At<int32_t>(kept.front(), 16), erstnr) << "erstnr is the number of the oldest record kept";
  EXPECT_EQ(ReadForward(m), kept);
  EXPECT_EQ(ReadBackward(m), Reversed(kept));
  EXPECT_EQ(m.log.reader.count, letztnr - erstnr + 1);

  // Storing goes on after the newest record, with the next number.
  T_Telegramm t = SampleTelegram(c.count, c.lg);
  StoreTelegram(m, t);
  EXPECT_EQ(t.nr, letztnr + 1);
  auto more = ReadForward(m);
  ASSERT_FALSE(more.empty());
  EXPECT_EQ(more.back(), RecordBytes(t));
}

INSTANTIATE_TEST_SUITE_P(
    Logs, RoundTrip,
    ::testing::Values(RoundTripCase{"OneBlock", 1, 40, -1}, RoundTripCase{"SeveralBlocks", 1, 300, -1},
                      RoundTripCase{"WrappedTwice", 1, 2900, -1}, RoundTripCase{"LongRecordsWrapped", 1, 1400, 1520},
                      RoundTripCase{"SmallRecordsWrapped", 1, 40000, 2},
                      RoundTripCase{"RingOfOneBlock", 0, 100, 1500}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TelegramLog, WrapMovesTheOldestNumberPastTheOverwrittenBlock) {
  ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.maxlog = 1;  // 32 blocks
  LogOpen(m, dir.file("w.lg4"), false);
  // 1548-byte records: 21 to a block.
  StoreSamples(m, 21 * 32, kTelegramDataSize);
  EXPECT_EQ(m.log.stand.aktbl, 31);
  EXPECT_EQ(m.log.stand.erstbl, 0);
  EXPECT_EQ(m.log.stand.erstnr, 1);
  StoreSamples(m, 1, kTelegramDataSize, 21 * 32);  // fills block 31 over: block 0 is next
  EXPECT_EQ(m.log.stand.aktbl, 0);
  EXPECT_EQ(m.log.stand.erstbl, 1);
  EXPECT_EQ(m.log.stand.erstnr, 22) << "the first telegram of block 1";
  EXPECT_EQ(m.log.stand.letztnr, 21 * 32 + 1);
}

// A record is never split over two blocks, and the last two bytes of a block
// are never used: 21 records of 1548 bytes end at block offset 32572, which
// leaves room for a record of 194 bytes (ending at 32766) but not of 196.
TEST(TelegramLog, RecordsFillABlockUpToItsLastTwoBytes) {
  struct Case {
    int lastLg;
    int32_t expectedBlock;
  } cases[] = {{166, 0}, {167, 1}, {168, 1}};  // records of 194, 196 (195 rounded up) and 196 bytes
  for (const Case& c : cases) {
    ScratchDir dir;
    TestMonitor tm;
    Monitor& m = *tm;
    LogOpen(m, dir.file("p.lg4"), false);
    StoreSamples(m, 21, kTelegramDataSize);
    T_Telegramm t = SampleTelegram(99, c.lastLg);
    StoreTelegram(m, t);
    EXPECT_EQ(m.log.stand.aktbl, c.expectedBlock) << c.lastLg;
    LogClose(m);
    const auto f = ReadFileBytes(dir.file("p.lg4"));
    ASSERT_GE(f.size(), static_cast<size_t>(BlockFileOffset(c.expectedBlock + 1)));
    const size_t block0 = BlockFileOffset(0);
    EXPECT_EQ(f[block0 + 32766], 0);
    EXPECT_EQ(f[block0 + 32767], 0);
    const int32_t letzt = At<int32_t>(f, block0 + 4);
    EXPECT_EQ(letzt, c.expectedBlock == 0 ? 21 * 1548 : 20 * 1548) << c.lastLg;
    EXPECT_EQ(At<int32_t>(f, block0 + 32), c.expectedBlock == 0 ? 22 : 21) << "anzte";
  }
}

TEST(TelegramLog, WriteBackFillsBlockAndFileHeaders) {
  ScratchDir dir;
  const std::string name = dir.file("h.lg4");
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.maxlog = 1;
  LogOpen(m, name, false);
  std::vector<std::vector<uint8_t>> stored = StoreSamples(m, 30, kTelegramDataSize);  // blocks 0 and 1
  LogClose(m);
  const auto f = ReadFileBytes(name);
  ASSERT_EQ(f.size(), static_cast<size_t>(BlockFileOffset(2)));
  EXPECT_EQ(At<int32_t>(f, 4), 2144 + 2 * 32768) << "dlg";
  EXPECT_EQ(At<int32_t>(f, 2016 + 16), 2) << "belbl";
  const size_t b1 = BlockFileOffset(1);
  EXPECT_EQ(At<int32_t>(f, b1 + 0), 0);
  EXPECT_EQ(At<int32_t>(f, b1 + 4), 8 * 1548) << "letzt";
  EXPECT_EQ(At<int32_t>(f, b1 + 8), 22) << "erstnr";
  EXPECT_EQ(At<int32_t>(f, b1 + 12), 30) << "letztnr";
  EXPECT_EQ(At<double>(f, b1 + 16), At<double>(stored[21], 8)) << "erstdt";
  EXPECT_EQ(At<double>(f, b1 + 24), At<double>(stored[29], 8)) << "letztdt";
  EXPECT_EQ(At<int32_t>(f, b1 + 32), 9) << "anzte";
  for (size_t o = 36; o < 64; ++o) EXPECT_EQ(f[b1 + o], 0);
  // Records follow each other from offset 64; lgv is the length of the one before.
  EXPECT_EQ(At<uint16_t>(f, b1 + 64), 0);
  EXPECT_EQ(At<uint16_t>(f, b1 + 64 + 1548), 1548);
  EXPECT_EQ(std::vector<uint8_t>(f.begin() + static_cast<long>(b1) + 64, f.begin() + static_cast<long>(b1) + 64 + 1548),
            stored[21]);
}

TEST(TelegramLog, OpeningRestoresTheSettingsAndSwitchesBothFiltersOff) {
  ScratchDir dir;
  const std::string name = dir.file("s.lg4");
  T_AllgPar written;
  T_BetriebsPar bp1, bp2;
  {
    TestMonitor tm;
    Monitor& m = *tm;
    m.AllgPar.maxlog = 3;
    m.AllgPar.mw100 = 12345;
    m.AllgPar.cabrt = T_AdrStruktur{2, {8, 8, 0, 0, 0}};
    m.AllgPar.afilt.tken = 1;
    m.AllgPar.afilt.ein = 1;
    m.AllgPar.lfilt.ein = 1;
    m.ports[0].bp.cnr = 7;
    m.ports[1].bp.cnr = 9;
    m.ports[1].bp.tosyn = 777;
    m.ports[0].bp.res[10] = 0x5A;  // unused bytes travel unchanged
    LogOpen(m, name, false);
    StoreSamples(m, 3);
    LogClose(m);
    written = m.AllgPar;
    bp1 = m.ports[0].bp;
    bp2 = m.ports[1].bp;
  }
  // A file from elsewhere may even carry a filter that is on.
  auto f = ReadFileBytes(name);
  f[16 + 80 + 340] = 1;
  test::WriteFileBytes(name, f);

  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.afilt.ein = 1;
  LogOpen(m, name, false);
  written.afilt.ein = 0;
  written.lfilt.ein = 0;
  EXPECT_EQ(std::memcmp(&m.AllgPar, &written, sizeof written), 0);
  EXPECT_EQ(std::memcmp(&m.ports[0].bp, &bp1, sizeof bp1), 0);
  EXPECT_EQ(std::memcmp(&m.ports[1].bp, &bp2, sizeof bp2), 0);
  EXPECT_FALSE(m.AllgVar.logsave);
}

// Two older header layouts are read: a general parameter copy of 788 bytes,
// and port parameters of 248 bytes each, the second at offset 1264.
TEST(TelegramLog, OlderHeaderLayoutsRestoreWhatTheyHold) {
  ScratchDir dir;
  const std::string name = dir.file("old.lg4");
  {
    TestMonitor tm;
    LogOpen(*tm, name, false);
    StoreSamples(*tm, 5);
    LogClose(*tm);
  }
  auto f = ReadFileBytes(name);
  // 788-byte general parameters: only the first 788 bytes count.
  std::memcpy(f.data() + 16, "\x14\x03\x00\x00", 4);
  const int32_t maxlog = 7, mw100 = 999;
  std::memcpy(f.data() + 16 + 72, &maxlog, 4);
  std::memcpy(f.data() + 16 + 76, &mw100, 4);
  std::memset(f.data() + 16 + 788, 0xEE, 1000 - 788);
  // 248-byte port parameters, one after the other.
  std::vector<uint8_t> p1(248), p2(248);
  for (int i = 0; i < 248; ++i) {
    p1[i] = static_cast<uint8_t>(i);
    p2[i] = static_cast<uint8_t>(255 - i);
  }
  std::memcpy(p1.data(), "\xF8\x00\x00\x00", 4);
  std::memcpy(p2.data(), "\xF8\x00\x00\x00", 4);
  std::memcpy(f.data() + 1016, p1.data(), 248);
  std::memcpy(f.data() + 1264, p2.data(), 248);
  std::memset(f.data() + 1512, 0xEE, 2016 - 1512);
  test::WriteFileBytes(name, f);

  TestMonitor tm;
  Monitor& m = *tm;
  const T_AllgPar before = m.AllgPar;
  const T_BetriebsPar bpBefore1 = m.ports[0].bp, bpBefore2 = m.ports[1].bp;
  LogOpen(m, name, false);
  EXPECT_TRUE(tm.sink.entries.empty());
  EXPECT_EQ(m.AllgPar.maxlog, 7);
  EXPECT_EQ(m.AllgPar.mw100, 999);
  EXPECT_EQ(m.AllgPar.lg, 1000);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const uint8_t*>(&m.AllgPar) + 788,
                        reinterpret_cast<const uint8_t*>(&before) + 788, 1000 - 788),
            0);
  const auto* r1 = reinterpret_cast<const uint8_t*>(&m.ports[0].bp);
  const auto* r2 = reinterpret_cast<const uint8_t*>(&m.ports[1].bp);
  EXPECT_EQ(m.ports[0].bp.lg, 500);
  EXPECT_EQ(m.ports[1].bp.lg, 500);
  EXPECT_EQ(std::memcmp(r1 + 4, p1.data() + 4, 244), 0);
  EXPECT_EQ(std::memcmp(r2 + 4, p2.data() + 4, 244), 0);
  EXPECT_EQ(std::memcmp(r1 + 248, reinterpret_cast<const uint8_t*>(&bpBefore1) + 248, 252), 0);
  EXPECT_EQ(std::memcmp(r2 + 248, reinterpret_cast<const uint8_t*>(&bpBefore2) + 248, 252), 0);
  EXPECT_EQ(ReadForward(m).size(), 5u);
}

TEST(TelegramLog, AgeCheckStartsOldLogsAfresh) {
  struct Case {
    const char* name;
    double erstdtFromToday;  // NaN: the log holds no telegram
    bool checkAge;
    bool fresh;
  } cases[] = {
      {"today", 0.5, true, false},
      {"yesterday evening", -0.9, true, false},
      {"two days ago", -2.0, true, true},
      {"tomorrow and more", 2.1, true, true},
      {"empty log", std::nan(""), true, true},
      {"old but not checked", -30.0, false, false},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string name = dir.file("d.lg4");
    TestMonitor tm;
    const double today = 46002.0;
    {
      TestMonitor writer;
      LogOpen(*writer, name, false);
      if (!std::isnan(c.erstdtFromToday)) {
        T_Telegramm t = SampleTelegram(1, 10);
        t.dt = today + c.erstdtFromToday;
        StoreTelegram(*writer, t);
      }
      LogClose(*writer);
    }
    LogOpen(*tm, name, c.checkAge);
    EXPECT_EQ(tm->log.stand.letztnr == 0, c.fresh || std::isnan(c.erstdtFromToday)) << c.name;
    EXPECT_EQ(test::ReadFileBytes(name).size() == 2144u, c.fresh) << c.name;
    EXPECT_TRUE(tm.sink.entries.empty()) << c.name;
  }
}

TEST(TelegramLog, ALogOnlyViewedIsClosedWithoutWriting) {
  ScratchDir dir;
  const std::string name = dir.file("v.lg4");
  {
    TestMonitor tm;
    LogOpen(*tm, name, false);
    StoreSamples(*tm, 10);
    LogClose(*tm);
  }
  auto mtime = [&] {
    struct stat st;
    ::stat(name.c_str(), &st);
    return st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec;
  };
  const timespec old[2] = {{1, 0}, {1, 0}};
  ::utimensat(AT_FDCWD, name.c_str(), old, 0);
  {
    TestMonitor tm;
    LogOpen(*tm, name, false);
    ReadForward(*tm);
    LogClose(*tm);
  }
  EXPECT_EQ(mtime(), 1'000'000'000LL) << "viewing does not write";
  {
    TestMonitor tm;
    LogOpen(*tm, name, false);
    tm->AllgVar.logopt = true;  // named on the command line: written back
    LogClose(*tm);
  }
  EXPECT_NE(mtime(), 1'000'000'000LL);
}

TEST(TelegramLog, FlushWritesBackAndStoringGoesOn) {
  ScratchDir dir;
  const std::string name = dir.file("f.lg4");
  TestMonitor tm;
  Monitor& m = *tm;
  LogOpen(m, name, false);
  auto stored = StoreSamples(m, 50);
  LogFlush(m);
  {
    TestMonitor other;
    ASSERT_EQ(LogOpenForReading(*other, name), LogCheck::Valid);
    EXPECT_EQ(ReadForward(*other), stored);
  }
  auto more = StoreSamples(m, 50, -1, 50);
  stored.insert(stored.end(), more.begin(), more.end());
  LogClose(m);
  EXPECT_FALSE(m.AllgVar.logerr);
  TestMonitor again;
  LogOpen(*again, name, false);
  EXPECT_EQ(ReadForward(*again), stored);
}

// A log file removed while capture runs: the flush when going offline, and
// the checkpoint of the timer tick while online, flag it at once, not only
// at the next block write, so capture stops instead of writing into a file
// nobody can find.
TEST(TelegramLog, ALogFileRemovedWhileWrittenSetsLogerr) {
  for (const bool tick : {false, true}) {
    SCOPED_TRACE(tick ? "timer tick" : "flush");
    ScratchDir dir;
    const std::string name = dir.file("gone.lg4");
    TestMonitor tm;
    LogOpen(*tm, name, false);
    StoreSamples(*tm, 5);
    ASSERT_EQ(::unlink(name.c_str()), 0);
    if (tick) {
      tm.clock.Advance(kCheckpointAfterMs);
      TimerTick(*tm);
    } else {
      LogFlush(*tm);
    }
    EXPECT_TRUE(tm->AllgVar.logerr);
  }
}

TEST(TelegramLog, ResetEmptiesLogRingAndReader) {
  ScratchDir dir;
  const std::string name = dir.file("r.lg4");
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.maxlog = 1;
  LogOpen(m, name, false);
  StoreSamples(m, 200);
  ReaderOpen(m);
  m.AllgPar.maxlog = 2;  // a changed maximum size takes effect
  LogReset(m);
  EXPECT_EQ(test::ReadFileBytes(name).size(), 2144u);
  EXPECT_EQ(m.log.stand.anzbl, 63);
  EXPECT_EQ(m.log.stand.letztnr, 0);
  EXPECT_EQ(m.log.ring.write, 0);
  EXPECT_EQ(m.log.ring.slot[0].lga, 0);
  EXPECT_TRUE(m.log.reader.open);
  T_Telegramm r;
  ReaderRecord(m, r);
  EXPECT_EQ(r.lga, 0);
  EXPECT_FALSE(ReaderNext(m));
  T_Telegramm t = SampleTelegram(1, 5);
  StoreTelegram(m, t);
  EXPECT_EQ(t.nr, 1);
  EXPECT_TRUE(ReaderNext(m));
}

TEST(TelegramLog, NewLogForTheNextDay) {
  ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  LogOpen(m, dir.file("day01.lg4"), false);
  StoreSamples(m, 10);
  m.AllgVar.logerr = true;
  LogClose(m);
  LogNew(m, dir.file("day02.lg4"));
  EXPECT_FALSE(m.AllgVar.logerr);
  EXPECT_EQ(m.log.stand.letztnr, 0);
  EXPECT_EQ(test::ReadFileBytes(dir.file("day02.lg4")).size(), 2144u);
  EXPECT_EQ(test::ReadFileBytes(dir.file("day01.lg4")).size(), static_cast<size_t>(BlockFileOffset(1)));
}

TEST(TelegramLog, ExtractNumbersFromOneAndReadsBack) {
  ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  LogOpen(m, dir.file("main.lg4"), false);
  StoreSamples(m, 40);
  LogFile x;
  x.name = dir.file("extract.lg4");
  LogCreate(m, x);
  std::vector<std::vector<uint8_t>> copied;
  for (int i = 0; i < 3000; i += 3) {  // every third sample, enough to span several blocks
    T_Telegramm t = SampleTelegram(i);
    StoreInto(m, x, t);
    copied.push_back(RecordBytes(t));
  }
  EXPECT_EQ(At<int32_t>(copied.front(), 16), 1);
  LogWriteBack(m, x);
  EXPECT_EQ(m.log.stand.letztnr, 40) << "the telegram log is untouched";
  TestMonitor reader;
  ASSERT_EQ(LogOpenForReading(*reader, x.name), LogCheck::Valid);
  EXPECT_EQ(ReadForward(*reader), copied);
}

TEST(TelegramLog, ExtractLargerThanItsRingKeepsTheNewestInOrder) {
  ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.maxlog = 0;  // one block
  LogFile x;
  x.name = dir.file("small.lg4");
  LogCreate(m, x);
  std::vector<std::vector<uint8_t>> copied;
  for (int i = 0; i < 50; ++i) {
    T_Telegramm t = SampleTelegram(i, 1000);
    StoreInto(m, x, t);
    copied.push_back(RecordBytes(t));
  }
  LogWriteBack(m, x);
  TestMonitor reader;
  ASSERT_EQ(LogOpenForReading(*reader, x.name), LogCheck::Valid);
  const auto kept = Kept(*reader, copied);
  EXPECT_EQ(kept.size(), 50u - 31u) << "31 records of 1028 bytes fill the one block";
  EXPECT_EQ(ReadForward(*reader), kept);
}

}  // namespace
}  // namespace qlxs
