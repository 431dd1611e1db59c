#include "app/online.h"

#include "app/general_parameters.h"
#include "app/monitor.h"
#include "app/port_config.h"
#include "capture/unwrap.h"
#include "config/automatic_log_name.h"
#include "config/prg_par.h"
#include "log/telegram_log.h"
#include "log/time_base.h"
#include "model/date_time.h"
#include "platform/clock.h"

namespace qlxs {

bool ApplyOnline(Monitor& m) {
  T_AllgVar& v = m.AllgVar;
  bool logChanged = false;
  if (m.PrgPar.online) {
    const bool daily = m.PrgPar.opt[kOptDailyLog] != 0;
    const std::string name = AutomaticLogName(m);
    if (daily) v.logopt = false;
    if (!name.empty() && name != v.dtlog && !v.logopt) {
      LogClose(m);
      v.dtlog = name;
      LogOpen(m, name, daily);
      ApplyGeneralParameters(m);
      logChanged = true;
    } else if (daily) {
      LogWriteBack(m, m.log);
      LogOpen(m, v.dtlog, true);
      ApplyGeneralParameters(m);
    }
    OpenPorts(m);
  } else {
    ClosePorts(m);
  }
  return logChanged;
}

void SetOnline(Monitor& m, int value) {
  if (value == 1) SyncClockAtEdge(m);
  m.PrgPar.online = static_cast<uint8_t>(value != 0);
  ApplyOnline(m);
  if (value == 1)
    ClearPendingApdus(m);
  else
    LogFlush(m);
}

void GoOnline(Monitor& m) {
  if (m.PrgPar.online) return;
  m.AllgVar.syszt = m.clock.LocalNow();
  m.AllgVar.min = DecodeDateTime(m.AllgVar.syszt).minute;
  m.counters.fill(0);
  SetOnline(m, 1);
}

void GoOffline(Monitor& m) {
  if (m.PrgPar.online) SetOnline(m, 0);
}

}  // namespace qlxs
