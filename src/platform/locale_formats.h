#pragma once
/// Dates, times and grouped numbers in the user's formats. The formats are
/// read once from the POSIX locale of the environment (LC_TIME, LC_NUMERIC)
/// into a plain record; the formatters read only that record, never the
/// C library's locale, so what they produce does not change when something
/// (a GUI toolkit, a library) switches the process locale later, and tests
/// pin a record of their own.
///
/// Patterns use a small strftime-like notation that the formatters interpret
/// themselves: %d day, %m month, %Y four-digit year, %y two-digit year,
/// %H hour 0-23, %I hour 1-12, %M minute, %S second, %p the AM/PM text,
/// %A/%a weekday name, %B/%b month name, %% a percent sign. A '-' after
/// the '%' drops the leading zero of a number ("%-d"). Anything else stands
/// for itself.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qlxs {

/// The formats in force. A default-constructed record holds the formats of
/// the C/POSIX locale; the thousands separator is "," there, since that
/// locale defines none and grouped numbers must stay readable.
struct LocaleFormats {
  std::string shortDate = "%m/%d/%y";      ///< the short date
  std::string longDate = "%A, %B %-d, %Y"; ///< the long date (page headers)
  std::string longTime = "%H:%M:%S";       ///< the time of day with seconds
  std::string thousands = ",";             ///< between groups of three digits
  std::string decimal = ".";               ///< before the fraction of a number
  std::array<std::string, 12> months = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  std::array<std::string, 12> shortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 7> weekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};  ///< Sunday first
  std::array<std::string, 7> shortWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string am = "AM", pm = "PM";

  bool operator==(const LocaleFormats&) const = default;
};

/// The raw texts a locale gives for the formats (nl_langinfo), before they
/// are made into a `LocaleFormats`.
struct LocaleStrings {
  std::string dateFormat;  ///< D_FMT
  std::string timeFormat;  ///< T_FMT
  std::string thousands;   ///< THOUSEP
  std::string decimal;     ///< RADIXCHAR
  std::array<std::string, 12> months, shortMonths;
  std::array<std::string, 7> weekdays, shortWeekdays;
  std::string am, pm;
};

/// Makes the record from a locale's texts: the short date and the long time
/// keep the locale's order, separators and padding in the notation above;
/// the long date is built from the short date's order with the month name
/// and the weekday. A date format without day, month and year, or a time
/// format without hours, minutes and seconds, gives the C format instead;
/// a 12-hour format without an AM/PM field becomes a 24-hour one. Empty
/// separators and names keep the C values; texts that are not UTF-8 are
/// read as Windows-1252.
LocaleFormats MakeLocaleFormats(const LocaleStrings& s);

/// Reads the formats of the environment's locale (LC_ALL, LC_TIME,
/// LC_NUMERIC, LANG as POSIX orders them) without changing the process
/// locale. A category whose locale is not installed gives the C formats.
LocaleFormats LocaleFormatsFromEnvironment();

/// Puts `f` in force for every formatter below. A program does this once at
/// start-up, before other threads format; until then the C formats are in
/// force, so tests do not depend on the machine's locale.
void SetLocaleFormats(const LocaleFormats& f);
/// The record in force.
const LocaleFormats& CurrentLocaleFormats();

/// The thousands separator in force.
const std::string& ThousandsSeparator();
/// The decimal separator in force.
const std::string& DecimalSeparator();

/// Appends v with thousands separators, no decimals, right-aligned in
/// `width` characters ("%*.0n").
void AppendGrouped(std::string& out, int64_t v, int width);
/// v with thousands separators, right-aligned in `width` characters.
std::string FormatGrouped(int64_t v, int width);
/// The same for an unsigned 32-bit value.
void AppendGroupedU(std::string& out, uint32_t v, int width);
std::string FormatGroupedU(uint32_t v, int width);

/// Appends the date of a date-time number in the short date format.
void AppendShortDate(std::string& out, double dt);
std::string FormatShortDate(double dt);
/// Appends the date of a date-time number in the long date format.
void AppendLongDate(std::string& out, double dt);
std::string FormatLongDate(double dt);
/// Appends the time of day of a date-time number in the long time format.
void AppendLongTime(std::string& out, double dt);
std::string FormatLongTime(double dt);
/// Appends the time of day in the long time format with a comma and three
/// digits of milliseconds after the seconds ("hh:mm:ss,zzz"). The comma is
/// fixed, whatever the decimal separator, so that time stamps read the same
/// in every locale's logs and exports.
void AppendTimeMs(std::string& out, double dt);
std::string FormatTimeMs(double dt);

/// Appends a date-time number in `pattern` (the notation above), with the
/// names of `f`.
void AppendDateTime(std::string& out, std::string_view pattern, double dt, const LocaleFormats& f);

}  // namespace qlxs
