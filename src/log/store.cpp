#include "log/store.h"


#include "config/monitor.h"
#include "capture/time_base.h"

namespace qlxs {

void StoreTelegram(Monitor& m, T_Telegramm& t) {
  m.AllgVar.logsave = true;
  const int k = t.ek;
  if (k >= 1 && k <= 4) {
    if (t.ta != TaEvent) ++m.counters[2 * (k - 1)];
    if (IsFaultyStatus(t.stat)) ++m.counters[2 * (k - 1) + 1];
  }
  if (t.ta == TaEvent || t.stat == StatModemStatus) t.dt = StampNow(m);
  t.lga = static_cast<uint16_t>(RecordLength(t.lg));
  if (m.onStored) m.onStored(t);
}

}  // namespace qlxs
