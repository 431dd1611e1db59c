// Log files damaged from outside, and writes that really fail. Whatever a
// file holds, opening and reading stay inside the blocks and always end;
// what was written before a failure stays readable.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

#include "capture/receiver.h"
#include "config/language_texts.h"
#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::FileExists;
using test::ReadBackward;
using test::ReadFileBytes;
using test::ReadForward;
using test::RecordBytes;
using test::SampleTelegram;
using test::ScratchDir;
using test::TestMonitor;
using test::WriteFileBytes;
using Records = std::vector<std::vector<uint8_t>>;

// Writes a closed log of `count` sample telegrams and returns them as stored.
Records MakeLog(const std::string& path, int32_t maxlog, int count, int lg) {
  TestMonitor tm;
  tm->AllgPar.maxlog = maxlog;
  LogOpen(*tm, path, false);
  Records stored;
  for (int i = 0; i < count; ++i) {
    T_Telegramm t = SampleTelegram(i, lg);
    StoreTelegram(*tm, t);
    stored.push_back(RecordBytes(t));
  }
  LogClose(*tm);
  EXPECT_FALSE(tm->AllgVar.logerr);
  return stored;
}

Records Reversed(Records v) {
  std::reverse(v.begin(), v.end());
  return v;
}

bool WellFormed(const std::vector<uint8_t>& r) {
  if (r.size() < 28) return false;
  uint16_t lga;
  int16_t lg;
  std::memcpy(&lga, r.data() + 2, 2);
  std::memcpy(&lg, r.data() + 6, 2);
  return lg >= 0 && lg <= kTelegramDataSize && lga == RecordLength(lg) && lga == r.size();
}

template <typename T>
void Put(std::vector<uint8_t>& f, size_t offset, T v) {
  std::memcpy(f.data() + offset, &v, sizeof v);
}

struct InvalidCase {
  const char* name;
  void (*damage)(std::vector<uint8_t>&);
};

// A regular file that is not a log is reported, kept aside unchanged as
// "<name>.bad" and replaced by a new empty log.
TEST(LogDamage, FilesThatAreNotLogsAreKeptAsideAndReplaced) {
  const InvalidCase cases[] = {
      {"truncated inside the header", [](std::vector<uint8_t>& f) { f.resize(100); }},
      {"truncated inside the ring state", [](std::vector<uint8_t>& f) { f.resize(2100); }},
      {"empty file", [](std::vector<uint8_t>& f) { f.clear(); }},
      {"wrong magic", [](std::vector<uint8_t>& f) { f[3] = 0x56; }},
      {"wrong header length", [](std::vector<uint8_t>& f) { Put<int32_t>(f, 8, 2015); }},
      {"wrong ring state length", [](std::vector<uint8_t>& f) { Put<int32_t>(f, 2016, 0); }},
      {"no blocks", [](std::vector<uint8_t>& f) { Put<int32_t>(f, 2020, 0); }},
      {"negative capacity", [](std::vector<uint8_t>& f) { Put<int32_t>(f, 2020, -7); }},
      {"capacity beyond any maximum size", [](std::vector<uint8_t>& f) { Put<int32_t>(f, 2020, 70000); }},
      {"oldest block outside", [](std::vector<uint8_t>& f) { Put<int32_t>(f, 2024, -1); }},
      {"current block outside", [](std::vector<uint8_t>& f) { Put<int32_t>(f, 2028, 32); }},
  };
  for (const InvalidCase& c : cases) {
    ScratchDir dir;
    const std::string name = dir.file("x.lg4");
    MakeLog(name, 1, 50, -1);
    std::vector<uint8_t> bytes = ReadFileBytes(name);
    c.damage(bytes);
    WriteFileBytes(name, bytes);

    TestMonitor tm;
    LogOpen(*tm, name, false);
    ASSERT_EQ(tm.MessageNumbers(), std::vector<int>{1201}) << c.name;
    EXPECT_NE(tm.sink.entries[0].text.find(name), std::string::npos) << c.name;
    EXPECT_EQ(ReadFileBytes(name + ".bad"), bytes) << c.name;
    EXPECT_EQ(ReadFileBytes(name).size(), 2144u) << c.name;
    EXPECT_FALSE(tm->AllgVar.logerr) << c.name;
    EXPECT_EQ(tm->AllgVar.dtlog, name);
    T_Telegramm t = SampleTelegram(0, 10);
    StoreTelegram(*tm, t);
    EXPECT_EQ(t.nr, 1) << c.name;
  }
}

TEST(LogDamage, MessageUsesTheLanguageTextAndSaysWhy) {
  ScratchDir dir;
  const std::string name = dir.file("x.lg4");
  WriteFileBytes(name, std::vector<uint8_t>(5000, 0));
  TestMonitor tm;
  tm->AllgVar.ProgDir = QLXS_BIN_DIR "/";
  ASSERT_TRUE(LoadTexts(*tm, LangEnglish));
  LogOpen(*tm, name, false);
  ASSERT_EQ(tm.sink.entries.size(), 1u);
  EXPECT_EQ(tm.sink.entries[0].text, "The file " + name + " is not a valid telegram log. It is replaced by a new, "
                                     "empty log. (wrong magic number; it was kept as " + name + ".bad and a new "
                                     "log was started)");
  EXPECT_EQ(tm.sink.entries[0].type, MsgError);
}

// A header from elsewhere may set any frame length limit; frames read after
// opening it still fit the data area, in memory and in the file.
TEST(LogDamage, FrameLimitFromAHeaderCannotOverflowTheDataArea) {
  ScratchDir dir;
  const std::string name = dir.file("tlg.lg4");
  MakeLog(name, 1, 3, 10);
  std::vector<uint8_t> f = ReadFileBytes(name);
  Put<int32_t>(f, 1016 + 8, 30000);  // bp1.tlg
  Put<int32_t>(f, 1516 + 8, -5);     // bp2.tlg
  WriteFileBytes(name, f);

  TestMonitor tm;
  Monitor& m = *tm;
  LogOpen(m, name, false);
  ASSERT_EQ(m.ports[0].bp.tlg, 30000);
  int16_t longest = 0;
  m.onStored = [&longest](const T_Telegramm& t) { longest = std::max(longest, t.lg); };
  const std::vector<uint8_t> noFlags(4000, 0x41);
  for (T_ComVar& port : m.ports) {
    ReceiveBlock(m, port, noFlags.data(), noFlags.size());
    port.em.fehl = 1;  // a line error closes the rest, with its code appended
    ReceiveBlock(m, port, noFlags.data(), 1400);
  }
  EXPECT_GE(longest, kMaxFrameLength) << "long frames were received";
  EXPECT_LE(longest, kMaxStoredDataLength);
  LogClose(m);
  TestMonitor again;
  LogOpen(*again, name, false);
  for (const auto& r : ReadForward(*again)) {
    ASSERT_TRUE(WellFormed(r));
    int16_t lg;
    std::memcpy(&lg, r.data() + 6, 2);
    EXPECT_LE(lg, kMaxStoredDataLength);
  }
}

TEST(LogDamage, SomethingThatIsNotAFileIsLeftAlone) {
  ScratchDir dir;
  const std::string name = dir.file("adir.lg4");
  ASSERT_EQ(::mkdir(name.c_str(), 0755), 0);
  TestMonitor tm;
  LogOpen(*tm, name, false);
  EXPECT_EQ(tm.MessageNumbers(), std::vector<int>{1201});
  EXPECT_TRUE(tm->AllgVar.logerr) << "nothing will reach a file";
  EXPECT_FALSE(FileExists(name + ".bad"));
  Records stored;
  for (int i = 0; i < 5; ++i) {
    T_Telegramm t = SampleTelegram(i);
    StoreTelegram(*tm, t);
    stored.push_back(RecordBytes(t));
  }
  EXPECT_EQ(ReadForward(*tm), stored) << "the telegrams are kept in memory";
  LogClose(*tm);
  struct stat st;
  ASSERT_EQ(::stat(name.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

// A file cut short loses the blocks behind the cut, nothing before it.
TEST(LogDamage, TruncatedFileReadsTheBlocksThatRemain) {
  ScratchDir dir;
  const std::string name = dir.file("t.lg4");
  const Records stored = MakeLog(name, 1, 21 * 5 + 3, kTelegramDataSize);  // blocks 0..4 full, 5 current
  std::vector<uint8_t> f = ReadFileBytes(name);
  f.resize(static_cast<size_t>(BlockFileOffset(2) + 5000));
  WriteFileBytes(name, f);

  TestMonitor tm;
  LogOpen(*tm, name, false);
  const Records intact(stored.begin(), stored.begin() + 42);
  EXPECT_EQ(ReadForward(*tm), intact);
  EXPECT_EQ(ReadBackward(*tm), Reversed(intact));
  EXPECT_EQ(tm.MessageNumbers(), std::vector<int>{1203}) << "one message, not one per block";
  EXPECT_GE(tm->log.readFailures, 4);

  // Storing goes on; the current block is written where it belongs.
  T_Telegramm t = SampleTelegram(1000, 50);
  StoreTelegram(*tm, t);
  EXPECT_EQ(t.nr, static_cast<int32_t>(stored.size()) + 1);
  LogClose(*tm);
  EXPECT_FALSE(tm->AllgVar.logerr);
  // Writing block 5 fills the gap with zeros: the blocks behind the cut now
  // read as empty, except for the record heads of block 2 before the cut.
  TestMonitor again;
  LogOpen(*again, name, false);
  const Records all = ReadForward(*again);
  ASSERT_GE(all.size(), intact.size() + 1);
  EXPECT_TRUE(std::equal(intact.begin(), intact.end(), all.begin()));
  EXPECT_EQ(all.back(), RecordBytes(t));
  EXPECT_LE(all.size(), intact.size() + 4 + 1) << "at most the 4 record heads within the first 5000 bytes of block 2";
  EXPECT_EQ(ReadBackward(*again), Reversed(all));
}

// Records of 128 bytes (lg 100): 255 to a block.
constexpr int kRec = 128;
constexpr int kPerBlock = 255;

size_t RecordOffset(int32_t block, int k) { return static_cast<size_t>(BlockFileOffset(block) + 64 + k * kRec); }

struct ChainCase {
  const char* name;
  void (*damage)(std::vector<uint8_t>&, int32_t block);  // damages record 10 or the block header
  int kept;             // records of the damaged block still read
  bool reported;        // message 1203
};

const ChainCase kChainCases[] = {
    {"odd length", [](auto& f, int32_t b) { Put<uint16_t>(f, RecordOffset(b, 10) + 2, 129); }, 10, true},
    {"huge length", [](auto& f, int32_t b) { Put<uint16_t>(f, RecordOffset(b, 10) + 2, 0xFFFF); }, 10, true},
    {"length below a header", [](auto& f, int32_t b) { Put<uint16_t>(f, RecordOffset(b, 10) + 2, 20); }, 10, true},
    {"length zero in the middle", [](auto& f, int32_t b) { Put<uint16_t>(f, RecordOffset(b, 10) + 2, 0); }, 10, true},
    {"previous length wrong", [](auto& f, int32_t b) { Put<uint16_t>(f, RecordOffset(b, 10), 64); }, 10, true},
    {"data length negative", [](auto& f, int32_t b) { Put<int16_t>(f, RecordOffset(b, 10) + 6, -5); }, 10, true},
    {"data length beyond the area", [](auto& f, int32_t b) { Put<int16_t>(f, RecordOffset(b, 10) + 6, 1522); },
     10, true},
    {"last record before the block", [](auto& f, int32_t b) { Put<int32_t>(f, BlockFileOffset(b) + 4, -64); },
     kPerBlock, true},
    {"last record behind the block", [](auto& f, int32_t b) { Put<int32_t>(f, BlockFileOffset(b) + 4, 40000); },
     kPerBlock, true},
    {"last record inside a record", [](auto& f, int32_t b) { Put<int32_t>(f, BlockFileOffset(b) + 4, 10 * kRec + 6); },
     kPerBlock, true},
    {"last record earlier on the chain", [](auto& f, int32_t b) { Put<int32_t>(f, BlockFileOffset(b) + 4, 10 * kRec); },
     11, false},
};

// A corrupted chain ends the walk of its block; the other blocks read as before.
TEST(LogDamage, CorruptRecordChainEndsTheWalkOfItsBlock) {
  for (const ChainCase& c : kChainCases) {
    ScratchDir dir;
    const std::string name = dir.file("c.lg4");
    const Records stored = MakeLog(name, 1, 2 * kPerBlock + 90, 100);
    std::vector<uint8_t> f = ReadFileBytes(name);
    c.damage(f, 1);
    WriteFileBytes(name, f);

    TestMonitor tm;
    LogOpen(*tm, name, false);
    EXPECT_TRUE(tm.sink.entries.empty()) << c.name << ": the current block is intact";
    Records expected(stored.begin(), stored.begin() + kPerBlock + c.kept);
    expected.insert(expected.end(), stored.begin() + 2 * kPerBlock, stored.end());
    EXPECT_EQ(ReadForward(*tm), expected) << c.name;
    EXPECT_EQ(ReadBackward(*tm), Reversed(expected)) << c.name;
    EXPECT_EQ(tm.MessageNumbers(), c.reported ? std::vector<int>{1203} : std::vector<int>{}) << c.name;
  }
}

// Damage in the block being written: storing goes on after the last good record.
TEST(LogDamage, CorruptCurrentBlockGoesOnAfterItsLastGoodRecord) {
  for (const ChainCase& c : kChainCases) {
    ScratchDir dir;
    const std::string name = dir.file("w.lg4");
    const Records stored = MakeLog(name, 1, kPerBlock + 60, 100);
    std::vector<uint8_t> f = ReadFileBytes(name);
    c.damage(f, 1);
    WriteFileBytes(name, f);

    TestMonitor tm;
    LogOpen(*tm, name, false);
    EXPECT_EQ(tm.MessageNumbers(), c.reported ? std::vector<int>{1203} : std::vector<int>{}) << c.name;
    const int kept = std::min(c.kept, 60);
    T_Telegramm t = SampleTelegram(5000, 30);
    StoreTelegram(*tm, t);
    EXPECT_EQ(t.lgv, kept > 0 ? kRec : 0) << c.name;
    LogClose(*tm);

    TestMonitor again;
    LogOpen(*again, name, false);
    EXPECT_TRUE(again.sink.entries.empty()) << c.name << ": written back whole";
    Records expected(stored.begin(), stored.begin() + kPerBlock + kept);
    expected.push_back(RecordBytes(t));
    EXPECT_EQ(ReadForward(*again), expected) << c.name;
    EXPECT_EQ(ReadBackward(*again), Reversed(expected)) << c.name;
  }
}

// Random damage anywhere in a wrapped log: opening, walking both ways,
// storing and reopening never leave a block and always end (the sanitizer
// build checks the memory side).
TEST(LogDamage, RandomDamageNeverLeadsOutOfABlock) {
  ScratchDir dir;
  const std::string good = dir.file("good.lg4");
  MakeLog(good, 1, 2500, -1);
  const std::vector<uint8_t> original = ReadFileBytes(good);
  const int32_t blocks = static_cast<int32_t>((original.size() - kLogHeaderSize) / kLogBlockSize);
  const std::string name = dir.file("r.lg4");

  for (uint32_t seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> f = original;
    auto pick = [&rng](size_t n) { return static_cast<size_t>(rng() % n); };
    const int hits = 1 + static_cast<int>(pick(40));
    for (int h = 0; h < hits; ++h) {
      const size_t block = static_cast<size_t>(BlockFileOffset(static_cast<int32_t>(pick(blocks))));
      switch (pick(4)) {
        case 0: f[block + 4 + pick(4)] = static_cast<uint8_t>(rng()); break;            // letzt
        case 1: f[block + 64 + pick(600) * 2 + pick(8)] = static_cast<uint8_t>(rng()); break;  // near a record head
        case 2: f[block + pick(kLogBlockSize)] = static_cast<uint8_t>(rng()); break;
        default: f[2020 + pick(16)] = static_cast<uint8_t>(rng() % 40); break;          // ring state
      }
    }
    WriteFileBytes(name, f);

    TestMonitor tm;
    LogOpen(*tm, name, false);
    const Records fwd = ReadForward(*tm);
    const Records back = ReadBackward(*tm);
    for (const auto& r : fwd) ASSERT_TRUE(WellFormed(r)) << "seed " << seed;
    EXPECT_EQ(back, Reversed(fwd)) << "seed " << seed;
    for (int i = 0; i < 300; ++i) {
      T_Telegramm t = SampleTelegram(i);
      StoreTelegram(*tm, t);
    }
    LogClose(*tm);
    TestMonitor again;
    LogOpen(*again, name, false);
    const Records after = ReadForward(*again);
    for (const auto& r : after) ASSERT_TRUE(WellFormed(r)) << "seed " << seed;
    ASSERT_GE(after.size(), 1u) << "seed " << seed;
  }
}

// --- Writes that really fail -------------------------------------------------

struct ChildArgs {
  std::string path;
  int64_t fileSizeLimit = 0;
  size_t expectedRecords = 0;
};

constexpr int kChildOk = 0;

int FileSizeLimitChild(void* p) {
  const auto& a = *static_cast<ChildArgs*>(p);
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit rl{static_cast<rlim_t>(a.fileSizeLimit), static_cast<rlim_t>(a.fileSizeLimit)};
  if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) return 2;
  TestMonitor tm;
  tm->AllgPar.maxlog = 1;
  LogOpen(*tm, a.path, false);
  if (tm->AllgVar.logerr) return 3;
  for (int i = 0; i < 21 * 6 + 5; ++i) {
    T_Telegramm t = SampleTelegram(i, kTelegramDataSize);
    StoreTelegram(*tm, t);
  }
  if (!tm->AllgVar.logerr) return 4;
  LogClose(*tm);
  return tm->AllgVar.logerr ? kChildOk : 5;
}

// The file may not grow past block 3: blocks 0 to 2 and the header, written
// before and at close, survive; the failure is flagged, not fatal.
TEST(LogWriteFailure, FileSizeLimitSetsLogerrAndKeepsWhatWasWritten) {
  ScratchDir dir;
  ChildArgs a;
  a.path = dir.file("limited.lg4");
  a.fileSizeLimit = BlockFileOffset(3) + 1000;
  ASSERT_EQ(test::RunInChild(false, FileSizeLimitChild, &a), kChildOk);
  EXPECT_EQ(static_cast<int64_t>(ReadFileBytes(a.path).size()), a.fileSizeLimit);

  Records expected;
  for (int i = 0; i < 21 * 3; ++i) {
    T_Telegramm t = SampleTelegram(i, kTelegramDataSize);
    t.nr = i + 1;
    t.lga = static_cast<uint16_t>(RecordLength(t.lg));
    t.lgv = i % 21 == 0 ? 0 : t.lga;
    expected.push_back(RecordBytes(t));
  }
  TestMonitor tm;
  LogOpen(*tm, a.path, false);
  EXPECT_EQ(tm->log.stand.aktbl, 6) << "the ring state written at close";
  EXPECT_EQ(tm->log.stand.letztnr, 21 * 6 + 5);
  EXPECT_EQ(ReadForward(*tm), expected);
  EXPECT_EQ(ReadBackward(*tm), Reversed(expected));
  EXPECT_EQ(tm.MessageNumbers(), std::vector<int>{1203});
}

int ReadOnlyDirectoryChild(void* p) {
  const auto& a = *static_cast<ChildArgs*>(p);
  TestMonitor tm;
  int filed = 0;
  tm->onStored = [&filed](const T_Telegramm&) { ++filed; };
  LogOpen(*tm, a.path, false);
  if (!tm->AllgVar.logerr) return 2;
  tm->AllgVar.logerr = false;
  for (int i = 0; i < 100; ++i) {  // several blocks: every block write fails
    T_Telegramm t = SampleTelegram(i, 500);
    StoreTelegram(*tm, t);
  }
  if (filed != 100) return 3;
  if (!tm->AllgVar.logerr) return 4;
  if (tm->log.stand.letztnr != 100) return 5;
  LogClose(*tm);
  return tm->AllgVar.logerr ? kChildOk : 6;
}

// A log that cannot be created: every write fails and says so; capture goes on.
TEST(LogWriteFailure, ReadOnlyDirectorySetsLogerrAndCaptureGoesOn) {
  ScratchDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string ro = dir.file("ro");
  ASSERT_EQ(::mkdir(ro.c_str(), 0555), 0);
  ChildArgs a;
  a.path = ro + "/new.lg4";
  EXPECT_EQ(test::RunInChild(true, ReadOnlyDirectoryChild, &a), kChildOk);
  EXPECT_FALSE(FileExists(a.path));
}

int ReadOnlyLogChild(void* p) {
  const auto& a = *static_cast<ChildArgs*>(p);
  TestMonitor tm;
  LogOpen(*tm, a.path, false);
  if (!tm.sink.entries.empty()) return 2;
  if (tm->AllgVar.logerr || tm->AllgVar.logsave) return 3;
  if (ReadForward(*tm).size() != a.expectedRecords) return 4;
  T_Telegramm t = SampleTelegram(999);
  StoreTelegram(*tm, t);
  LogClose(*tm);
  return tm->AllgVar.logerr ? kChildOk : 5;
}

// A valid log the user may not write is opened for viewing; a later write
// fails with logerr and leaves the file as it was.
TEST(LogWriteFailure, ReadOnlyLogOpensForViewingAndStaysUnchanged) {
  ScratchDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ChildArgs a;
  a.path = dir.file("ro.lg4");
  a.expectedRecords = MakeLog(a.path, 1, 80, -1).size();
  ASSERT_EQ(::chmod(a.path.c_str(), 0444), 0);
  const std::vector<uint8_t> before = ReadFileBytes(a.path);
  EXPECT_EQ(test::RunInChild(true, ReadOnlyLogChild, &a), kChildOk);
  EXPECT_EQ(ReadFileBytes(a.path), before);
  EXPECT_FALSE(FileExists(a.path + ".bad"));
}

}  // namespace
}  // namespace qlxs
