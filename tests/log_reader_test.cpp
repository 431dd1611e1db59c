// The reader while capture goes on: the end of the log, the start of the
// log, returning to a remembered record.

#include <gtest/gtest.h>

#include <unistd.h>

#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::RecordBytes;
using test::SampleTelegram;
using test::ScratchDir;
using test::TestMonitor;

std::vector<uint8_t> Current(const Monitor& m) {
  T_Telegramm t;
  ReaderRecord(m, t);
  return RecordBytes(t);
}

std::vector<uint8_t> Store(Monitor& m, int i, int lg = 100) {
  T_Telegramm t = SampleTelegram(i, lg);
  StoreTelegram(m, t);
  return RecordBytes(t);
}

TEST(LogReader, NextAtTheEndWaitsForTheNextTelegram) {
  ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.maxlog = 1;
  LogOpen(m, dir.file("n.lg4"), false);
  for (int i = 0; i < 5; ++i) Store(m, i);
  ReaderOpen(m);
  EXPECT_EQ(m.log.reader.count, 5);
  EXPECT_FALSE(ReaderNext(m));
  EXPECT_FALSE(ReaderNext(m));
  const auto sixth = Store(m, 5);
  EXPECT_TRUE(ReaderNext(m));
  EXPECT_EQ(Current(m), sixth);
  EXPECT_FALSE(ReaderNext(m));

  // The writer moves on to the next block while the reader waits at the end.
  std::vector<uint8_t> first;
  while (m.log.stand.aktbl == 0) first = Store(m, 100 + m.log.stand.letztnr, 1000);
  std::vector<uint8_t> last;
  while (true) {  // the records of block 0 stored since, then the first of block 1
    ASSERT_TRUE(ReaderNext(m));
    last = Current(m);
    if (m.log.reader.blk == 1) break;
  }
  EXPECT_EQ(last, first);
  EXPECT_FALSE(ReaderNext(m));
  EXPECT_TRUE(m.log.reader.open);
}

TEST(LogReader, BackOnTheFirstRecordOfTheOldestBlockStays) {
  for (const int count : {3, 21 * 40}) {  // before and after the ring wrapped
    ScratchDir dir;
    TestMonitor tm;
    Monitor& m = *tm;
    m.AllgPar.maxlog = 1;
    LogOpen(m, dir.file("b.lg4"), false);
    for (int i = 0; i < count; ++i) Store(m, i, kTelegramDataSize);
    ReaderOpen(m);
    ReaderSeek(m, m.log.stand.erstbl, false);
    const auto oldest = Current(m);
    EXPECT_FALSE(ReaderBack(m)) << count;
    EXPECT_EQ(Current(m), oldest) << count;
    T_Telegramm t;
    ReaderRecord(m, t);
    EXPECT_EQ(t.nr, m.log.stand.erstnr) << count;
  }
}

TEST(LogReader, ReturnsToARememberedRecord) {
  ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.maxlog = 1;
  LogOpen(m, dir.file("p.lg4"), false);
  for (int i = 0; i < 21 * 3; ++i) Store(m, i, kTelegramDataSize);
  ReaderOpen(m);
  ReaderSeek(m, 1, false);
  ASSERT_TRUE(ReaderNext(m));
  const int32_t block = m.log.reader.blk, pos = m.log.reader.pos;
  const auto remembered = Current(m);
  ReaderSeek(m, m.log.stand.aktbl, true);
  ReaderReturn(m, block, pos);
  EXPECT_EQ(Current(m), remembered);

  // Meanwhile block 1 is overwritten by shorter records: the old position is
  // no longer a record start there, so the reader takes the block's last record.
  for (int i = 0; i < 21 * 30; ++i) Store(m, i, kTelegramDataSize);
  while (m.log.stand.aktbl != 2) Store(m, 7, 50);
  ReaderSeek(m, m.log.stand.aktbl, true);
  ReaderReturn(m, 1, pos);
  EXPECT_EQ(m.log.reader.pos, m.log.reader.block.last);
  T_Telegramm t;
  ReaderRecord(m, t);
  EXPECT_EQ(t.lg, 50);
}

TEST(LogReader, FileGoneShowsOneMessageAndAnEmptyLog) {
  ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  const std::string name = dir.file("gone.lg4");
  LogOpen(m, name, false);
  for (int i = 0; i < 3; ++i) Store(m, i);
  ASSERT_EQ(::unlink(name.c_str()), 0);
  ReaderOpen(m);
  EXPECT_EQ(tm.MessageNumbers(), std::vector<int>{1203});
  T_Telegramm t;
  ReaderRecord(m, t);
  EXPECT_EQ(t.lga, 0);
  EXPECT_FALSE(ReaderBack(m));
  ReaderClose(m);
}

}  // namespace
}  // namespace qlxs
