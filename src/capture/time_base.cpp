#include "capture/time_base.h"

#include <cmath>

#include "config/monitor.h"
#include "model/date_time.h"
#include "platform/clock.h"

namespace qlxs {

void SyncClock(Monitor& m) {
  const double now = m.clock.LocalNow();
  const double timeOfDay = now - std::floor(now);
  const int64_t dayMs = std::llround(timeOfDay * kMsPerDay);
  const int64_t tickMs = m.clock.Tick() % kMsPerDay;
  m.TickOffset = static_cast<int32_t>(dayMs - tickMs);
}

void SyncClockAtEdge(Monitor& m) {
  const double start = m.clock.LocalNow();
  // The local clock moves in steps of at most a few milliseconds; give up
  // after a second so a stopped clock cannot hang the program.
  for (int i = 0; i < 1000 && m.clock.LocalNow() == start; ++i) m.clock.Sleep(1);
  SyncClock(m);
}

double TimeOfDayNow(Monitor& m) {
  const uint32_t ms = (m.clock.Tick() + static_cast<uint32_t>(m.TickOffset)) % kMsPerDay;
  return static_cast<double>(ms) / kMsPerDay;
}

double StampNow(Monitor& m) { return std::floor(m.clock.LocalNow()) + TimeOfDayNow(m); }

}  // namespace qlxs
