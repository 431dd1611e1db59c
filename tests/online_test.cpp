// Going online and offline: counters, pending APDUs, the log chosen and
// flushed, the ports opened and closed.

#include <gtest/gtest.h>

#include "app/online.h"
#include "config/automatic_log_name.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "model/date_time.h"
#include "support/capture_fixture.h"
#include "support/fake_serial_port.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

struct OnlineFixture : test::CaptureFixture {
  OnlineFixture() {
    m.AllgVar.DataDir = dir.path() + "/";
    m.AllgVar.pnr = 1;
    clock.SetLocalNow(EncodeDateTime({2025, 3, 4, 10, 17, 30, 0}));
    m.AllgVar.syszt = clock.LocalNow();
    for (int p = 0; p < 2; ++p) m.ports[p].pCp = &serial[p];
  }
  ~OnlineFixture() {
    for (T_ComVar& port : m.ports) port.pCp = nullptr;
  }
  // Telegrams in the log file `name` as written so far.
  int32_t StoredInFile(const std::string& name) {
    test::TestMonitor reader;
    if (LogOpenForReading(*reader, name) != LogCheck::Valid) return -1;
    return reader->log.stand.letztnr;
  }

  test::ScratchDir dir;
  FakeSerialPort serial[2];
};

TEST(Online, GoingOnlineStartsCleanAndGoingOfflineClosesAndFlushes) {
  OnlineFixture fx;
  Monitor& m = fx.m;
  const std::string log = fx.dir.file("named.lg4");
  m.AllgVar.logopt = true;
  LogOpen(m, log, false);
  m.counters = {5, 1, 0, 0, 7, 2, 0, 0};
  m.PendingApdus[3].key.sip[0] = 10;

  GoOnline(m);
  EXPECT_EQ(m.PrgPar.online, 1);
  EXPECT_EQ(m.AllgVar.min, 17);
  EXPECT_EQ(m.PendingApdus[3].key.sip[0], 0) << "pending APDUs forgotten";
  EXPECT_TRUE(fx.serial[0].IsOpen());
  EXPECT_TRUE(fx.serial[1].IsOpen());
  ASSERT_EQ(fx.stored.size(), 2u);
  EXPECT_EQ(fx.stored[0].stat, StatPortOpened);
  EXPECT_EQ(fx.stored[0].LongAt(0), 0) << "counters cleared before the ports open";
  EXPECT_EQ(m.AllgVar.dtlog, log) << "a named log stays";

  GoOnline(m);
  EXPECT_EQ(fx.stored.size(), 2u) << "already online: nothing happens";

  GoOffline(m);
  EXPECT_EQ(m.PrgPar.online, 0);
  EXPECT_FALSE(fx.serial[0].IsOpen());
  EXPECT_FALSE(fx.serial[1].IsOpen());
  EXPECT_EQ(fx.stored.back().stat, StatPortClosed);
  EXPECT_EQ(fx.StoredInFile(log), 4) << "the log file holds everything once offline";
  GoOffline(m);
  EXPECT_EQ(fx.stored.size(), 4u);
}

TEST(Online, LogChosenWhenGoingOnline) {
  const struct {
    const char* name;
    bool named;   // the current log was named explicitly
    bool daily;   // daily log option
    bool old;     // the current log's oldest telegram is days old
    bool automaticCurrent;  // the current log is already the automatic one
    bool changes;
    bool emptied;
  } cases[] = {
      {"another log gives way to the automatic one", false, false, false, false, true, false},
      {"a named log stays", true, false, false, false, false, false},
      {"the daily option overrides a named log", true, true, false, false, true, false},
      {"an old daily log starts afresh", false, true, true, true, false, true},
      {"a current daily log goes on", false, true, false, true, false, false},
  };
  for (const auto& c : cases) {
    OnlineFixture fx;
    Monitor& m = fx.m;
    m.PrgPar.opt[kOptDailyLog] = c.daily;
    const std::string automatic = AutomaticLogName(m);
    const std::string current = c.automaticCurrent ? automatic : fx.dir.file("other.lg4");
    LogOpen(m, current, false);
    if (c.old) fx.clock.SetLocalNow(fx.clock.LocalNow() - 3);
    T_Telegramm t = test::SampleTelegram(1);
    t.dt = fx.clock.LocalNow();
    StoreTelegram(m, t);
    if (c.old) fx.clock.SetLocalNow(fx.clock.LocalNow() + 3);
    m.AllgVar.logopt = c.named;
    m.PrgPar.online = 1;
    fx.stored.clear();

    EXPECT_EQ(ApplyOnline(m), c.changes) << c.name;
    EXPECT_EQ(m.AllgVar.dtlog, c.changes ? automatic : current) << c.name;
    EXPECT_EQ(m.log.name, m.AllgVar.dtlog) << c.name;
    if (c.changes) {
      EXPECT_EQ(fx.StoredInFile(current), 1) << c.name << ": the log given up was written back";
    }
    // The new or continued log holds the port-opened telegrams after what it had.
    const int32_t kept = c.changes || c.emptied ? 0 : 1;
    EXPECT_EQ(m.log.stand.letztnr, kept + 2) << c.name;
  }
}

}  // namespace
}  // namespace qlxs
