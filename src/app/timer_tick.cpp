#include "app/timer_tick.h"

#include "app/monitor.h"
#include "app/online.h"
#include "capture/receiver.h"
#include "config/automatic_log_name.h"
#include "config/message_box.h"
#include "config/prg_par.h"
#include "log/log_messages.h"
#include "log/online_ring.h"
#include "log/telegram_log.h"
#include "log/time_base.h"
#include "model/date_time.h"
#include "platform/clock.h"
#include "platform/serial_port.h"

namespace qlxs {

namespace {

bool DailyLogSwitch(Monitor& m) {
  T_AllgVar& v = m.AllgVar;
  v.syszt = m.clock.LocalNow();
  const DateTimeParts now = DecodeDateTime(v.syszt);
  if (now.minute == v.min) return false;
  v.min = now.minute;
  if (now.hour != 0 || now.minute != 0) return false;
  LogClose(m);
  RingClear(m.log.ring);
  v.dtlog = AutomaticLogName(m);
  LogNew(m, v.dtlog);
  return true;
}

void PollModemTrigger(Monitor& m, T_ComVar& port) {
  if (!port.se.open || port.pCp == nullptr || port.hCpModStat == 0) return;
  const uint16_t fired = port.pCp->PollStatusTrigger();
  if (fired != 0) OnPortEvent(m, port, kMsgStatusTrigger, fired, 0);
}

}  // namespace

TickResult TimerTick(Monitor& m, const std::function<void()>& windowWork) {
  TickResult r;
  T_AllgVar& v = m.AllgVar;
  const bool online = m.PrgPar.online != 0;
  if (online && v.Tick % 2 == 0 && m.PrgPar.opt[kOptDailyLog]) r.newDailyLog = DailyLogSwitch(m);
  if (online && v.Tick % kSyncEveryTicks == 0) SyncClock(m);
  for (T_ComVar& port : m.ports) {
    PortTick(m, port);
    PollModemTrigger(m, port);
  }
  LogCheckpointIfDue(m, m.log, m.clock.Tick());
  if (windowWork) windowWork();
  ++v.Tick;
  if (v.Tick % 32 == 5 && m.PrgPar.online && v.logerr) {
    v.logerr = false;
    SetOnline(m, 0);
    MessageOkNr(m, kMsgLogWriteFailed, MsgError);
    r.wentOffline = true;
  }
  return r;
}

}  // namespace qlxs
