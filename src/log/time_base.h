#pragma once
/// The capture time base: one offset, shared by both ports, that maps the
/// millisecond tick to the local time of day. Time stamps are the calendar
/// date plus the time of day taken from the tick, so frames are stamped to
/// the millisecond without reading the calendar clock for every octet.

#include <cstdint>

namespace qlxs {

struct LogState;

/// Recomputes `TickOffset` from the local clock's time of day and the tick.
void SyncClock(LogState& m);
/// Waits for the local clock's reading to change, then `SyncClock`, so the
/// offset is taken at an edge of the system clock.
void SyncClockAtEdge(LogState& m);
/// The local time of day from the tick, as a fraction of a day.
double TimeOfDayNow(LogState& m);
/// Today's date from the calendar clock plus `TimeOfDayNow`.
double StampNow(LogState& m);

}  // namespace qlxs
