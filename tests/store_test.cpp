// The store: counting, stamping, numbering, the online ring and the view
// rules that decide what reaches it.

#include <gtest/gtest.h>

#include <cstring>

#include "filter/filter_match.h"
#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "log/time_base.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::RecordBytes;
using test::SampleTelegram;
using test::TestMonitor;

T_Telegramm Telegram(uint8_t ek, uint8_t ta, uint8_t stat, int lg = 10) {
  T_Telegramm t{};
  t.ek = ek;
  t.ta = ta;
  t.stat = stat;
  t.lg = static_cast<int16_t>(lg);
  t.dt = 46002.125;
  return t;
}

TEST(Store, CountsPerReceiverClassAndStatus) {
  struct Case {
    uint8_t ek, ta, stat;
    TelegramCounters after;
  } cases[] = {
      {kReceiverPort1, TaIFormat, StatOk, {1, 0, 0, 0, 0, 0, 0, 0}},
      {kReceiverPort1, TaRaw, StatTimeout, {1, 1, 0, 0, 0, 0, 0, 0}},
      {kReceiverPort2, TaRaw104, StatNotIpv4, {0, 0, 0, 0, 1, 1, 0, 0}},
      {kReceiverPort2, TaEvent, StatPortOpened, {0, 0, 0, 0, 0, 0, 0, 0}},
      {kReceiverPort1, TaEvent, StatLineError, {0, 1, 0, 0, 0, 0, 0, 0}},
      {4, TaUFormat, StatModemStatus, {0, 0, 0, 0, 0, 0, 1, 0}},
      {0, TaIFormat, StatLengthError, {0, 0, 0, 0, 0, 0, 0, 0}},  // no receiver: not counted
      {9, TaIFormat, StatLengthError, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    TestMonitor tm;
    T_Telegramm t = Telegram(c.ek, c.ta, c.stat);
    StoreTelegram(*tm, t);
    EXPECT_EQ(tm->counters, c.after) << int(c.ek) << "/" << int(c.ta) << "/" << int(c.stat);
    EXPECT_TRUE(tm->AllgVar.logsave);
  }
}

TEST(Store, EventsAndModemStatusGetTheCurrentTime) {
  struct Case {
    uint8_t ta, stat;
    bool stamped;
  } cases[] = {
      {TaEvent, StatPortOpened, true}, {TaEvent, StatMessage, true}, {TaUFormat, StatModemStatus, true},
      {TaRaw, StatOk, false},          {TaUFormat, StatOk, false},   {TaIFormat, StatFragment, false},
  };
  for (const Case& c : cases) {
    TestMonitor tm;
    SyncClock(*tm);
    tm.clock.Advance(1234);
    T_Telegramm t = Telegram(kReceiverPort1, c.ta, c.stat);
    StoreTelegram(*tm, t);
    EXPECT_EQ(t.dt, c.stamped ? StampNow(*tm) : 46002.125) << int(c.ta) << "/" << int(c.stat);
  }
}

// Telegrams are numbered without gaps and each record points back to the one before.
TEST(Store, NumbersAndChainsTheRecords) {
  TestMonitor tm;
  int filed = 0;
  tm->onStored = [&filed](const T_Telegramm& t) { EXPECT_EQ(t.nr, ++filed); };
  uint16_t previous = 0;
  for (int i = 0; i < 40; ++i) {
    T_Telegramm t = SampleTelegram(i);
    StoreTelegram(*tm, t);
    EXPECT_EQ(t.lga, RecordLength(t.lg));
    EXPECT_EQ(t.lga % 2, 0);
    EXPECT_EQ(t.lgv, tm->log.block.last == kFirstRecord ? 0 : previous);
    previous = t.lga;
  }
  EXPECT_EQ(filed, 40);
  EXPECT_EQ(tm->log.stand.letztnr, 40);
}

// A data length outside the data area cannot carry a record past it.
TEST(Store, DataLengthIsKeptInsideTheDataArea) {
  const struct {
    int16_t lg, stored;
  } cases[] = {{-4, 0}, {0, 0}, {1501, 1501}, {1520, 1520}, {1521, 1520}, {32767, 1520}};
  for (const auto& c : cases) {
    TestMonitor tm;
    T_Telegramm t = Telegram(kReceiverPort1, TaRaw, StatOk);
    t.lg = c.lg;
    StoreTelegram(*tm, t);
    EXPECT_EQ(t.lg, c.stored) << c.lg;
    EXPECT_EQ(t.lga, RecordLength(c.stored)) << c.lg;
  }
}

TEST(Store, LongestRecordFitsAnEmptyBlock) {
  TestMonitor tm;
  T_Telegramm t = Telegram(kReceiverPort1, TaRaw, StatTooLong, kTelegramDataSize);
  StoreTelegram(*tm, t);
  EXPECT_EQ(t.lga, 1548);
  EXPECT_EQ(tm->log.block.last, kFirstRecord);
  EXPECT_EQ(std::memcmp(tm->log.block.bytes + kFirstRecord, &t, 1548), 0);
}

TEST(Store, OnlineRingKeepsTheNewestWhenTheViewFallsBehind) {
  TestMonitor tm;
  OnlineRing& ring = tm->log.ring;
  for (int i = 0; i < 23; ++i) {
    T_Telegramm t = Telegram(kReceiverPort1, TaIFormat, StatOk);
    StoreTelegram(*tm, t);
  }
  EXPECT_EQ(ring.write, 23);
  EXPECT_EQ(ring.read, 0);
  T_Telegramm t = Telegram(kReceiverPort1, TaIFormat, StatOk);
  StoreTelegram(*tm, t);  // the ring is full: the two oldest undrawn go
  EXPECT_EQ(ring.write, 0);
  EXPECT_EQ(ring.read, 2);
  EXPECT_EQ(ring.slot[23].nr, 24);
  EXPECT_EQ(std::memcmp(&ring.slot[23], &t, t.lga), 0);
  for (int i = 0; i < 24; ++i) {
    T_Telegramm u = Telegram(kReceiverPort1, TaIFormat, StatOk);
    StoreTelegram(*tm, u);
  }
  EXPECT_EQ(ring.write, 0);
  EXPECT_EQ(ring.read, 2) << "22 newest undrawn telegrams remain";
  RingClear(ring);
  EXPECT_EQ(ring.write, 0);
  EXPECT_EQ(ring.read, 0);
  EXPECT_FALSE(ring.redraw);
  for (const T_Telegramm& s : ring.slot) EXPECT_EQ(s.lga, 0);
}

TEST(Store, OnlyAdmittedTelegramsReachTheOnlineRing) {
  TestMonitor tm;
  tm->PrgPar.nur104 = 1;
  tm->PrgPar.mitlink = 0;
  T_Telegramm hidden = Telegram(kReceiverPort1, TaRaw, StatTextLine);
  StoreTelegram(*tm, hidden);
  T_Telegramm shown = Telegram(kReceiverPort1, TaRaw, StatTimeout);
  StoreTelegram(*tm, shown);
  EXPECT_EQ(tm->log.stand.letztnr, 2) << "both are stored";
  EXPECT_EQ(tm->log.ring.write, 1);
  EXPECT_EQ(tm->log.ring.slot[0].nr, 2);
}

// A telegram the log filter rejects is counted, but gets no number, is not
// stored, not shown and not reported as stored.
TEST(Store, LogFilterRejectsBeforeNumbering) {
  TestMonitor tm;
  int reported = 0;
  tm->onStored = [&reported](const T_Telegramm&) { ++reported; };
  T_Filter& f = tm->AllgPar.lfilt;
  FilterNormalise(f, tm->AllgPar);
  f.tken = kTkenBothPorts;
  f.fok = 0;  // faulty telegrams only
  f.ffehl = 1;
  f.ein = 1;
  T_Telegramm good = Telegram(kReceiverPort1, TaIFormat, StatOk);
  StoreTelegram(*tm, good);
  EXPECT_EQ(tm->counters[0], 1) << "counted";
  EXPECT_EQ(tm->log.stand.letztnr, 0) << "not stored";
  EXPECT_EQ(tm->log.ring.write, 0) << "not shown";
  T_Telegramm faulty = Telegram(kReceiverPort1, TaIFormat, StatLengthError);
  StoreTelegram(*tm, faulty);
  EXPECT_EQ(tm->log.stand.letztnr, 1) << "the next stored telegram takes the first number";
  EXPECT_EQ(faulty.nr, 1);
  EXPECT_EQ(reported, 1);
}

// The log view stands in the block the writer is about to overwrite: the
// overwrite counter tells it so, but only while the log view is shown.
TEST(Store, OverwriteCounterRisesUnderTheLogView) {
  for (const bool logViewShown : {true, false}) {
    test::ScratchDir dir;
    TestMonitor tm;
    Monitor& m = *tm;
    m.AllgPar.maxlog = 1;
    m.PrgPar.ausgonl = logViewShown ? 0 : 1;
    LogOpen(m, dir.file("u.lg4"), false);
    for (int i = 0; i < 21 * 31 + 1; ++i) {
      T_Telegramm t = SampleTelegram(i, kTelegramDataSize);
      StoreTelegram(m, t);
    }
    ReaderOpen(m);
    ReaderSeek(m, 0, false);
    for (int i = 0; i < 21; ++i) {
      T_Telegramm t = SampleTelegram(i, kTelegramDataSize);
      StoreTelegram(m, t);
    }
    EXPECT_EQ(m.log.stand.aktbl, 0);
    EXPECT_EQ(m.log.stand.ueberl, logViewShown ? 1 : 0);
    ReaderClose(m);
  }
}

}  // namespace
}  // namespace qlxs
