#include "log/time_base.h"

#include <cmath>

#include "log/log_state.h"
#include "model/date_time.h"
#include "platform/clock.h"

namespace qlxs {

void SyncClock(LogState& m) {
  const double now = m.clock.LocalNow();
  const double timeOfDay = now - std::floor(now);
  const int64_t dayMs = std::llround(timeOfDay * kMsPerDay);
  const int64_t tickMs = m.clock.Tick() % kMsPerDay;
  m.TickOffset = static_cast<int32_t>(dayMs - tickMs);
}

void SyncClockAtEdge(LogState& m) {
  const double start = m.clock.LocalNow();
  // The local clock moves in steps of at most a few milliseconds; give up
  // after a second so a stopped clock cannot hang the program.
  for (int i = 0; i < 1000 && m.clock.LocalNow() == start; ++i) m.clock.Sleep(1);
  SyncClock(m);
}

double TimeOfDayNow(LogState& m) {
  // The tick is taken modulo a day before the offset is added, as in
  // `SyncClock`: a 32-bit sum would run past 2^32 in the last day before the
  // tick wraps and put the time of day hours off until the tick had wrapped.
  int64_t ms = (static_cast<int64_t>(m.clock.Tick() % kMsPerDay) + m.TickOffset) % kMsPerDay;
  if (ms < 0) ms += kMsPerDay;
  return static_cast<double>(ms) / kMsPerDay;
}

double StampNow(LogState& m) { return std::floor(m.clock.LocalNow()) + TimeOfDayNow(m); }

}  // namespace qlxs
