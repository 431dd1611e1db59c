// The periodic work of the timer: daily log at midnight, clock
// resynchronisation, port time-outs and modem triggers, log write failures.

#include <gtest/gtest.h>

#include "app/port_config.h"
#include "app/timer_tick.h"
#include "config/automatic_log_name.h"
#include "log/log_messages.h"
#include "log/telegram_log.h"
#include "model/date_time.h"
#include "platform/file_system.h"
#include "support/capture_fixture.h"
#include "support/fake_serial_port.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::CaptureFixture;

TEST(TimerTick, DailyLogStartsAfreshAtMidnightOnlyOnlineWithTheOption) {
  const struct {
    bool online, daily, switches;
  } cases[] = {
      {true, true, true},
      {false, true, false},
      {true, false, false},
  };
  for (const auto& c : cases) {
    test::ScratchDir dir;
    CaptureFixture fx;
    Monitor& m = fx.m;
    m.AllgVar.DataDir = dir.path() + "/";
    m.AllgVar.pnr = 1;
    m.PrgPar.online = c.online;
    m.PrgPar.opt[kOptDailyLog] = c.daily;
    fx.clock.SetLocalNow(EncodeDateTime({2025, 3, 4, 23, 59, 59, 800}));
    m.AllgVar.syszt = fx.clock.LocalNow();
    m.AllgVar.min = 59;
    const std::string before = AutomaticLogName(m);
    LogOpen(m, before, false);
    m.AllgVar.dtlog = before;

    int switchedAt = -1;
    for (int i = 0; i < 20; ++i) {
      if (TimerTick(m).newDailyLog) {
        EXPECT_EQ(switchedAt, -1) << "once";
        switchedAt = i;
      }
      fx.clock.Advance(54);
    }
    if (!c.switches) {
      EXPECT_EQ(switchedAt, -1) << c.online << c.daily;
      EXPECT_EQ(m.AllgVar.dtlog, before);
      continue;
    }
    // Tick 4 (00:00:00.016) is the first even tick after midnight.
    EXPECT_EQ(switchedAt, 4);
    EXPECT_EQ(m.AllgVar.dtlog, dir.path() + "/QLXSLog05.lg4");
    EXPECT_EQ(m.log.name, m.AllgVar.dtlog);
    EXPECT_TRUE(IsFile(m.AllgVar.dtlog));
    EXPECT_EQ(before, dir.path() + "/QLXSLog04.lg4");
    EXPECT_EQ(m.AllgVar.min, 0);
  }
}

TEST(TimerTick, ClockIsResynchronisedEvery256TicksWhileOnline) {
  for (const bool online : {true, false}) {
    CaptureFixture fx;
    Monitor& m = fx.m;
    m.PrgPar.online = online;
    m.AllgVar.Tick = 1;
    m.TickOffset = 12345;
    for (int i = 1; i < 256; ++i) TimerTick(m);
    EXPECT_EQ(m.TickOffset, 12345) << "ticks 1 to 255";
    EXPECT_EQ(m.AllgVar.Tick, 256u);
    TimerTick(m);
    EXPECT_EQ(m.TickOffset != 12345, online);
  }
}

TEST(TimerTick, TicksCloseTimedOutFramesAndFireModemTriggersOnBothPorts) {
  CaptureFixture fx;
  Monitor& m = fx.m;
  FakeSerialPort serial[2];
  for (int p = 0; p < 2; ++p) {
    m.ports[p].pCp = &serial[p];
    m.ports[p].bp.paend = 0x10 << p;  // CTS on the first port, DSR on the second
    ASSERT_TRUE(OpenPort(m, m.ports[p]));
  }
  fx.stored.clear();
  serial[0].Feed({0x7e, 0xff, 0x03});
  serial[1].Feed({'A', 'T'});
  for (T_ComVar& port : m.ports) ServicePort(m, port);
  serial[0].SetModemStatus(0x11);  // CTS on, changed
  serial[1].SetModemStatus(0x32);  // CTS and DSR on, DSR changed
  TimerTick(m);
  ASSERT_EQ(fx.stored.size(), 2u);
  EXPECT_EQ(fx.stored[0].stat, StatModemStatus);
  EXPECT_EQ(fx.stored[0].ek, kReceiverPort1);
  EXPECT_EQ(fx.stored[0].event().fnr, 0x11u);
  EXPECT_EQ(fx.stored[1].ek, kReceiverPort2);
  EXPECT_EQ(fx.stored[1].event().fnr, 0x32u);

  fx.clock.Advance(m.ports[0].bp.toempf + 1);
  TimerTick(m);
  ASSERT_EQ(fx.stored.size(), 4u);
  EXPECT_EQ(fx.stored[2].stat, StatTimeout);
  EXPECT_EQ(test::DataOf(fx.stored[2]), sim::Bytes({0x7e, 0xff, 0x03}));
  EXPECT_EQ(fx.stored[3].stat, StatTimeout);
  EXPECT_EQ(fx.stored[3].ek, kReceiverPort2);
  for (T_ComVar& port : m.ports) port.pCp = nullptr;
}

TEST(TimerTick, LogWriteFailureTakesCaptureOfflineOnTheNextCheckTick) {
  for (const bool online : {true, false}) {
    CaptureFixture fx;
    Monitor& m = fx.m;
    m.PrgPar.online = online;
    m.AllgVar.logerr = true;
    int offlineAt = -1;
    for (int i = 0; i < 40; ++i)
      if (TimerTick(m).wentOffline) offlineAt = i;
    if (online) {
      EXPECT_EQ(offlineAt, 4) << "the tick that makes Tick 5";
      EXPECT_FALSE(m.AllgVar.logerr);
      EXPECT_EQ(m.PrgPar.online, 0);
      ASSERT_EQ(fx.sink.entries.size(), 1u);
      EXPECT_EQ(fx.sink.entries[0].number, kMsgLogWriteFailed);
      EXPECT_EQ(fx.sink.entries[0].type, MsgError);
    } else {
      EXPECT_EQ(offlineAt, -1);
      EXPECT_TRUE(m.AllgVar.logerr) << "kept for when capture starts";
      EXPECT_TRUE(fx.sink.entries.empty());
    }
  }
}

}  // namespace
}  // namespace qlxs
