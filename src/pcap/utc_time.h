#pragma once
/// Local date-time numbers of telegrams as UTC time stamps. A telegram
/// carries the local time of the monitor (days since 1899-12-30); packet
/// files carry UTC. The conversion uses the time zone of the process (`TZ`,
/// else the system's zone) with its daylight-saving rules.

#include <cstdint>

namespace qlxs {

class LocalToUtc {
 public:
  /// Milliseconds since 1970-01-01 00:00 UTC of the local date-time `dt`;
  /// 0 for a time before 1970 or one that cannot be converted. In the hour
  /// that repeats when the clocks go back, a local time names two instants;
  /// the earlier one (still under daylight-saving time) is taken. A local
  /// time that the clocks skipped is converted as `mktime` reads it.
  int64_t Milliseconds(double dt);

 private:
  // The offset is the same for every millisecond of a local minute, so the
  // zone rules are consulted once per minute.
  int64_t minute_ = INT64_MIN;  ///< local minute (since 1899-12-30) converted last
  int64_t minuteUtcMs_ = 0;     ///< its first millisecond in UTC
};

}  // namespace qlxs
