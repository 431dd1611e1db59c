// The capture time base: the time of day from the millisecond tick.

#include "log/time_base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "app/monitor.h"
#include "model/date_time.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "support/monitor_fixture.h"

namespace qlxs {
namespace {

int64_t MsOfDay(double fraction) { return std::llround(fraction * kMsPerDay); }

// After a synchronisation the tick gives the local time of day, and it
// moves on with the tick, wherever the 32-bit tick stands.
TEST(TimeBase, TimeOfDayFollowsTheTickFromTheSynchronisation) {
  const struct {
    const char* name;
    uint32_t tick;
    int64_t dayMs;   // local time of day at the synchronisation
    uint32_t later;  // ms passed since
  } cases[] = {
      {"small tick at noon", 1000, 43'200'000, 54},
      {"across midnight", 5'000'000, 86'399'990, 30},
      {"tick in its last day before wrapping, evening", 4'233'601'000u, 64'800'000, 1000},
      {"tick in its last day before wrapping, just before midnight", 4'294'000'000u, 86'399'000, 500},
      {"tick just below the wrap, late in the day", 0xFFFFFF00u, 80'000'000, 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const double day = 46002.0;
    test::TestMonitor tm;
    Monitor& m = tm.m;
    ManualClock& clock = tm.clock;
    clock.SetLocalNow(day + static_cast<double>(c.dayMs) / kMsPerDay);
    clock.SetTick(c.tick);
    SyncClock(m);
    EXPECT_EQ(MsOfDay(TimeOfDayNow(m)), c.dayMs);
    clock.Advance(c.later);
    EXPECT_EQ(MsOfDay(TimeOfDayNow(m)), (c.dayMs + c.later) % kMsPerDay);
  }
}

}  // namespace
}  // namespace qlxs
