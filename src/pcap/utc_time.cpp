#include "pcap/utc_time.h"

#include <cmath>
#include <ctime>

#include "model/date_time.h"

namespace qlxs {

namespace {

constexpr int64_t kMsPerMinute = 60'000;
constexpr int64_t kMinutesPerDay = 1440;

// The UTC seconds of local wall-clock time `wall` read with daylight-saving
// time `isdst` (0 or 1); false when that reading does not give back the
// same wall-clock time (it does not exist under that rule).
bool Reading(const std::tm& wall, int isdst, std::time_t& out) {
  std::tm t = wall;
  t.tm_isdst = isdst;
  const std::time_t s = std::mktime(&t);
  if (s == static_cast<std::time_t>(-1)) return false;
  std::tm back{};
  if (!localtime_r(&s, &back)) return false;
  if (back.tm_year != wall.tm_year || back.tm_mon != wall.tm_mon || back.tm_mday != wall.tm_mday ||
      back.tm_hour != wall.tm_hour || back.tm_min != wall.tm_min)
    return false;
  out = s;
  return true;
}

}  // namespace

int64_t LocalToUtc::Milliseconds(double dt) {
  if (!std::isfinite(dt) || dt < 0 || dt > 2'958'465.0) return 0;  // up to the year 9999
  const int64_t localMs = std::llround(dt * kMsPerDay);
  const int64_t minute = localMs / kMsPerMinute;
  if (minute != minute_) {
    const DateTimeParts date = DecodeDateTime(static_cast<double>(minute / kMinutesPerDay));
    std::tm wall{};
    wall.tm_year = date.year - 1900;
    wall.tm_mon = date.month - 1;
    wall.tm_mday = date.day;
    wall.tm_hour = static_cast<int>(minute % kMinutesPerDay / 60);
    wall.tm_min = static_cast<int>(minute % 60);
    std::time_t standard = 0, summer = 0;
    const bool asStandard = Reading(wall, 0, standard);
    const bool asSummer = Reading(wall, 1, summer);
    std::time_t s;
    if (asStandard && asSummer) {
      s = standard < summer ? standard : summer;
    } else if (asStandard || asSummer) {
      s = asStandard ? standard : summer;
    } else {
      std::tm t = wall;
      t.tm_isdst = -1;
      s = std::mktime(&t);
    }
    minute_ = minute;
    minuteUtcMs_ = static_cast<int64_t>(s) * 1000;
  }
  const int64_t ms = minuteUtcMs_ + localMs % kMsPerMinute;
  return ms < 0 ? 0 : ms;
}

}  // namespace qlxs
