// A log that outlives the process writing it: checkpoints that keep the
// header in step with the blocks, the repair of a header older than its
// blocks, one writer per log, and names that are not regular files.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "app/log_files.h"
#include "app/timer_tick.h"
#include "log/log_messages.h"
#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::ReadFileBytes;
using test::ReadForward;
using test::SampleTelegram;
using test::ScratchDir;
using test::TestMonitor;
using Records = std::vector<std::vector<uint8_t>>;

// Stores sample telegrams first .. first+count-1 and returns the records as stored.
Records StoreSamples(Monitor& m, int count, int first = 0) { return test::StoreSamples(m, count, -1, first); }

// The ring state as the file's header holds it.
T_LogStand StandInFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  T_LogStand s{};
  if (bytes.size() >= static_cast<size_t>(kLogHeaderSize)) std::memcpy(&s, bytes.data() + kLogKopfSize, sizeof s);
  return s;
}

int32_t NrOf(const std::vector<uint8_t>& record) {
  int32_t nr;
  std::memcpy(&nr, record.data() + offsetof(T_Telegramm, nr), sizeof nr);
  return nr;
}

// Two runs of records compared, reporting the first difference instead of all of them.
testing::AssertionResult Same(const Records& got, const Records& want) {
  for (size_t i = 0; i < std::min(got.size(), want.size()); ++i)
    if (got[i] != want[i])
      return testing::AssertionFailure() << "record " << i << " differs: number " << NrOf(got[i]) << " instead of "
                                         << NrOf(want[i]);
  if (got.size() != want.size())
    return testing::AssertionFailure() << got.size() << " records instead of " << want.size()
                                       << (got.empty() ? "" : ", the first numbered " + std::to_string(NrOf(got[0])));
  return testing::AssertionSuccess();
}

int Count(const std::vector<int>& v, int x) { return static_cast<int>(std::count(v.begin(), v.end(), x)); }

// The records of the log as a fresh monitor reads them.
Records Reopened(const std::string& path, std::vector<int>* messages = nullptr) {
  TestMonitor tm;
  EXPECT_EQ(LogOpenForReading(*tm, path), LogCheck::Valid);
  Records r = ReadForward(*tm);
  if (messages) *messages = tm.MessageNumbers();
  tm->log.file.Close();
  return r;
}

// The same, opened as the telegram log (the way that repairs it).
Records ReopenedForWriting(const std::string& path, std::vector<int>* messages = nullptr) {
  TestMonitor tm;
  LogOpen(*tm, path, false);
  Records r = ReadForward(*tm);
  if (messages) *messages = tm.MessageNumbers();
  LogClose(*tm);
  return r;
}

// A telegram waits in memory at most until the first timer tick that comes
// half a second after it was stored; then the block and after it the ring
// state reach the file. A block change writes the full block and names it
// in the header at once.
TEST(LogCheckpoint, TheTimerTickWritesWhatWasStoredWithinASecond) {
  ScratchDir dir;
  const std::string path = dir.file("tick.lg4");
  TestMonitor tm;
  Monitor& m = *tm;
  LogOpen(m, path, false);
  const Records first = StoreSamples(m, 3);

  tm.clock.Advance(kTickMs);
  TimerTick(m);
  EXPECT_EQ(+StandInFile(path).letztnr, 0) << "not yet due";
  tm.clock.Advance(kCheckpointAfterMs);
  TimerTick(m);
  EXPECT_EQ(+StandInFile(path).letztnr, 3);
  EXPECT_TRUE(Same(Reopened(path), first)) << "what the header names is on disk";

  // Fill block 0 and start block 1 without any tick.
  Records all = first;
  while (m.log.stand.aktbl == 0) {
    const Records more = StoreSamples(m, 1, static_cast<int>(all.size()));
    all.insert(all.end(), more.begin(), more.end());
  }
  const T_LogStand s = StandInFile(path);
  EXPECT_EQ(+s.aktbl, 0) << "the header names the block just written";
  EXPECT_EQ(+s.letztnr, m.log.stand.letztnr - 1) << "and its last telegram, not the one in memory";
  all.pop_back();
  EXPECT_TRUE(Same(Reopened(path), all));
}

// The first stored telegram in a log that nothing has written since it was
// opened is not in the file until a checkpoint: this is what a crash within
// that half second loses, and only that.
TEST(LogCheckpoint, AProcessThatDiesLosesOnlyWhatWasNotCheckpointed) {
  ScratchDir dir;
  const std::string path = dir.file("died.lg4");
  Records all;
  {
    TestMonitor tm;
    Monitor& m = *tm;
    tm->AllgPar.maxlog = 1;  // 32 blocks, so the ring wraps
    LogOpen(m, path, false);
    // A capture: a telegram every 4 ms, the timer every 54 ms.
    uint32_t sinceTick = 0;
    for (int i = 0; i < 4000; ++i) {
      const Records one = StoreSamples(m, 1, i);
      all.push_back(one[0]);
      tm.clock.Advance(4);
      if ((sinceTick += 4) >= kTickMs) {
        sinceTick = 0;
        TimerTick(m);
      }
    }
    // The monitor goes away without closing the log, as a killed process does.
  }
  std::vector<int> messages;
  const Records back = ReopenedForWriting(path, &messages);
  ASSERT_FALSE(back.empty());
  // A gapless run of what was stored, ending less than a second before the end.
  const size_t first = static_cast<size_t>(NrOf(back.front()) - 1);
  ASSERT_LE(first + back.size(), all.size());
  EXPECT_TRUE(Same(back, Records(all.begin() + static_cast<std::ptrdiff_t>(first),
                          all.begin() + static_cast<std::ptrdiff_t>(first + back.size()))));
  EXPECT_GE(NrOf(back.back()), 4000 - 1000 / 4) << "at most a second of telegrams is lost";
  EXPECT_EQ(Count(messages, kMsgLogRecovered), 0) << "the header was in step";
}

// The header of a log is put back to what it was at an earlier moment, as a
// process that died (or an older version that wrote the header only on
// close) leaves it. Opening repairs the ring state from the blocks: the
// same records as the log closed properly, one message naming how many
// were recovered, the header written, numbering going on after the last.
TEST(LogRecovery, AHeaderOlderThanItsBlocksIsRepairedFromThem) {
  struct Case {
    const char* name;
    int before;  // telegrams stored when the header was last written
    int after;   // telegrams stored after it
  };
  // A ring of 32 blocks holds about 1400 sample telegrams.
  const Case cases[] = {
      {"new log, a few telegrams in its first block", 0, 10},
      {"new log, several blocks", 0, 300},
      {"within the block the header names", 40, 5},
      {"the ring fills and wraps", 50, 2000},
      {"many wraps since the header", 500, 9000},
      {"a header written after the ring wrapped", 1500, 100},
      {"nothing after the header", 100, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const std::string path = dir.file("old-header.lg4");
    std::vector<uint8_t> oldHeader;
    {
      TestMonitor tm;
      tm->AllgPar.maxlog = 1;
      LogOpen(*tm, path, false);
      StoreSamples(*tm, c.before);
      LogFlush(*tm);
      oldHeader = ReadFileBytes(path);
      oldHeader.resize(kLogHeaderSize);
      StoreSamples(*tm, c.after, c.before);
      LogClose(*tm);
    }
    TestMonitor clean;
    ASSERT_EQ(LogOpenForReading(*clean, path), LogCheck::Valid);
    const T_LogStand want = clean->log.stand;
    const Records expected = ReadForward(*clean);
    clean->log.file.Close();

    // Put the old header back over the new one.
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, oldHeader.data(), oldHeader.size(), 0), static_cast<ssize_t>(oldHeader.size()));
    ::close(fd);
    const std::vector<uint8_t> damaged = ReadFileBytes(path);

    // A reader sees everything and changes nothing.
    TestMonitor reader;
    ASSERT_EQ(LogOpenForReading(*reader, path), LogCheck::Valid);
    EXPECT_TRUE(Same(ReadForward(*reader), expected));
    EXPECT_TRUE(reader.MessageNumbers().empty());
    reader->log.file.Close();
    // So does the log object that re-analysis walks.
    auto object = std::make_unique<LogFile>();
    object->name = path;
    ASSERT_EQ(LogOpenObjectForReading(*reader, *object), LogCheck::Valid);
    EXPECT_EQ(+object->stand.erstbl, +want.erstbl);
    EXPECT_EQ(+object->stand.aktbl, +want.aktbl);
    EXPECT_EQ(+object->stand.letztnr, +want.letztnr);
    object->file.Close();
    EXPECT_EQ(ReadFileBytes(path), damaged) << "reading never repairs";

    TestMonitor tm;
    LogOpen(*tm, path, false);
    const T_LogStand& got = tm->log.stand;
    EXPECT_EQ(+got.erstbl, +want.erstbl);
    EXPECT_EQ(+got.aktbl, +want.aktbl);
    EXPECT_EQ(+got.erstnr, +want.erstnr);
    EXPECT_EQ(+got.letztnr, +want.letztnr);
    EXPECT_EQ(+got.letztdt, +want.letztdt);
    EXPECT_TRUE(Same(ReadForward(*tm), expected));
    // After a wrap the time of the oldest telegram is that of the first one
    // kept (the telegram before it, whose time a closed log names, is gone).
    if (want.erstnr != 1) {
      double dt;
      std::memcpy(&dt, expected.front().data() + offsetof(T_Telegramm, dt), sizeof dt);
      EXPECT_EQ(+got.erstdt, dt);
    } else {
      EXPECT_EQ(+got.erstdt, +want.erstdt);
    }
    EXPECT_EQ(Count(tm.MessageNumbers(), kMsgLogRecovered), c.after > 0 ? 1 : 0);
    if (c.after > 0) {
      EXPECT_NE(tm.sink.entries.back().text.find(path), std::string::npos);
      EXPECT_NE(tm.sink.entries.back().text.find(std::to_string(c.after) + " telegrams"), std::string::npos)
          << tm.sink.entries.back().text;
    }
    EXPECT_EQ(+StandInFile(path).letztnr, +want.letztnr) << "the repaired state is in the header";

    // Storing goes on after the last recovered telegram.
    const Records more = StoreSamples(*tm, 3, c.before + c.after);
    EXPECT_EQ(NrOf(more.front()), want.letztnr + 1);
    LogClose(*tm);
    std::vector<int> messages;
    const Records all = ReopenedForWriting(path, &messages);
    EXPECT_EQ(Count(messages, kMsgLogRecovered), 0) << "repaired once";
    ASSERT_FALSE(all.empty());
    for (size_t i = 1; i < all.size(); ++i) ASSERT_EQ(NrOf(all[i]), NrOf(all[i - 1]) + 1) << i;
    EXPECT_EQ(NrOf(all.back()), want.letztnr + 3);
  }
}

// A log whose file ends inside the block after the header's: the records
// that reached the file whole are taken over, and numbering goes on after them.
TEST(LogRecovery, ALogCutInsideABlockKeepsTheRecordsBeforeTheCut) {
  ScratchDir dir;
  const std::string path = dir.file("cut.lg4");
  std::vector<uint8_t> oldHeader;
  Records stored;
  {
    TestMonitor tm;
    LogOpen(*tm, path, false);
    stored = StoreSamples(*tm, 30);
    LogFlush(*tm);
    oldHeader = ReadFileBytes(path);
    oldHeader.resize(kLogHeaderSize);
    const Records more = StoreSamples(*tm, 150, 30);
    stored.insert(stored.end(), more.begin(), more.end());
    ASSERT_GE(+tm->log.stand.aktbl, 2);
    LogClose(*tm);
  }
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  std::copy(oldHeader.begin(), oldHeader.end(), bytes.begin());
  // Cut the file in the middle of block 1.
  bytes.resize(static_cast<size_t>(BlockFileOffset(1) + kLogBlockSize / 2));
  test::WriteFileBytes(path, bytes);

  TestMonitor tm;
  LogOpen(*tm, path, false);
  const Records back = ReadForward(*tm);
  ASSERT_GT(back.size(), 30u);
  EXPECT_TRUE(Same(back, Records(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(back.size()))));
  EXPECT_LT(back.size(), stored.size());
  const int32_t last = tm->log.stand.letztnr;
  EXPECT_EQ(last, static_cast<int32_t>(back.size()));
  T_Telegramm t = SampleTelegram(999);
  StoreTelegram(*tm, t);
  EXPECT_EQ(t.nr, last + 1);
  LogClose(*tm);
}

// One writer per log: a second monitor given the same file leaves it alone
// and says why; creating a new log under that name does not empty it.
// Reading it goes on as it stands.
TEST(LogLock, ASecondWriterIsRefusedAndTheLogIsLeftAsItIs) {
  ScratchDir dir;
  const std::string path = dir.file("busy.lg4");
  TestMonitor writer;
  LogOpen(*writer, path, false);
  const Records stored = StoreSamples(*writer, 20);
  LogCheckpoint(*writer, writer->log);

  TestMonitor second;
  LogOpen(*second, path, false);
  EXPECT_EQ(Count(second.MessageNumbers(), kMsgLogLocked), 1);
  EXPECT_NE(second.sink.entries.back().text.find(path), std::string::npos);
  EXPECT_TRUE(second->AllgVar.logerr);
  EXPECT_TRUE(second->log.name.empty()) << "its telegrams stay in memory";
  StoreSamples(*second, 5);  // goes nowhere near the file
  LogClose(*second);

  TestMonitor creator;
  LogNew(*creator, path);
  EXPECT_TRUE(creator->AllgVar.logerr);
  EXPECT_EQ(creator->AllgVar.lastIoResult, kIoLocked);
  creator->log.file.Close();

  TestMonitor reader;
  ASSERT_EQ(LogOpenForReading(*reader, path), LogCheck::Valid);
  EXPECT_TRUE(Same(ReadForward(*reader), stored));
  reader->log.file.Close();

  const Records more = StoreSamples(*writer, 5, 20);
  LogClose(*writer);
  Records all = stored;
  all.insert(all.end(), more.begin(), more.end());
  EXPECT_TRUE(Same(Reopened(path), all));
}

// Names that are not regular files: opening never waits on a FIFO, and
// saving a log that lives in memory only refuses with a message instead of
// failing on the name or emptying the log.
TEST(LogNames, ADirectoryOrAFifoAsTheLogNeitherBlocksNorEmptiesTheLog) {
  for (const bool fifo : {false, true}) {
    SCOPED_TRACE(fifo ? "FIFO" : "directory");
    ScratchDir dir;
    const std::string path = dir.file("not-a-log");
    ASSERT_EQ(fifo ? ::mkfifo(path.c_str(), 0600) : ::mkdir(path.c_str(), 0700), 0);
    TestMonitor tm;
    Monitor& m = *tm;
    LogOpen(m, path, false);
    EXPECT_TRUE(m.AllgVar.logerr);
    EXPECT_EQ(m.AllgVar.dtlog, path);
    StoreSamples(m, 100);
    ASSERT_EQ(+m.log.stand.letztnr, 100);
    tm.sink.entries.clear();

    const std::string target = dir.file("copy.lg4");
    const LogCopyResult r = SaveLogAs(m, target);
    EXPECT_EQ(r.outcome, LogCopyOutcome::NoSource);
    EXPECT_EQ(+m.log.stand.letztnr, 100) << "the log in memory is kept";
    ASSERT_EQ(tm.sink.entries.size(), 1u);
    EXPECT_NE(tm.sink.entries[0].text.find(path), std::string::npos) << tm.sink.entries[0].text;
    EXPECT_FALSE(test::FileExists(target));

    // Copying by name refuses the same names without opening them for long.
    tm.sink.entries.clear();
    EXPECT_EQ(LogCopyTo(m, target).outcome, LogCopyOutcome::Failed);
    ASSERT_EQ(tm.sink.entries.size(), 1u);
    EXPECT_NE(tm.sink.entries[0].text.find("not a regular file"), std::string::npos) << tm.sink.entries[0].text;
    EXPECT_FALSE(test::FileExists(target));
  }
}

}  // namespace
}  // namespace qlxs
