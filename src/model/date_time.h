#pragma once
/// Date-time numbers as the records store them: whole days since
/// 30 December 1899, the fraction being the local time of day.

#include <cstdint>
#include <string>

namespace qlxs {

/// Milliseconds in a day.
inline constexpr uint32_t kMsPerDay = 86'400'000;

/// A date-time broken into its calendar and clock parts.
struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

/// The day number of a calendar date (days since 1899-12-30).
double EncodeDate(int year, int month, int day);
/// A date-time number from its parts.
double EncodeDateTime(const DateTimeParts& p);
/// The parts of a date-time number; the time is rounded to the millisecond.
DateTimeParts DecodeDateTime(double dt);
/// Formats as "YYYY-MM-DD HH:MM:SS.mmm".
std::string FormatIsoDateTime(double dt);

}  // namespace qlxs
