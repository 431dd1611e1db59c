#include "model/date_time.h"

#include <cmath>
#include <cstdio>

namespace qlxs {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr int64_t kEpochOffset = 25569;  // 1970-01-01 as a day number

}  // namespace

double EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                             kEpochOffset);
}

double EncodeDateTime(const DateTimeParts& p) {
  const double ms = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
  return EncodeDate(p.year, p.month, p.day) + ms / kMsPerDay;
}

DateTimeParts DecodeDateTime(double dt) {
  DateTimeParts p;
  if (!std::isfinite(dt) || std::fabs(dt) > 1e7) return p;  // far outside any real date
  double days = std::floor(dt);
  int64_t ms = std::llround((dt - days) * kMsPerDay);
  if (ms >= static_cast<int64_t>(kMsPerDay)) {
    ms -= kMsPerDay;
    days += 1;
  }
  CivilFromDays(static_cast<int64_t>(days) - kEpochOffset, p.year, p.month, p.day);
  p.millisecond = static_cast<int>(ms % 1000);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.hour = static_cast<int>(ms / 3600000);
  return p;
}

std::string FormatIsoDateTime(double dt) {
  const DateTimeParts p = DecodeDateTime(dt);
  char out[48];
  std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.year % 10000, p.month, p.day,
                p.hour, p.minute, p.second, p.millisecond);
  return out;
}

}  // namespace qlxs
