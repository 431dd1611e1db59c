// Dates, times and grouped numbers in the formats of a locale record: the
// C formats in force by default, a pinned record that the environment cannot
// change, and the conversion of a locale's own format strings.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

#include "config/text_format.h"
#include "model/date_time.h"
#include "platform/locale_formats.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using test::ScopedEnv;

/// Puts a record in force for one test and restores the previous one.
class ScopedFormats {
 public:
  explicit ScopedFormats(const LocaleFormats& f) : old_(CurrentLocaleFormats()) { SetLocaleFormats(f); }
  ~ScopedFormats() { SetLocaleFormats(old_); }

 private:
  LocaleFormats old_;
};

LocaleFormats GermanLike() {
  LocaleFormats f;
  f.shortDate = "%d.%m.%Y";
  f.longDate = "%A, %-d. %B %Y";
  f.longTime = "%H:%M:%S";
  f.thousands = ".";
  f.decimal = ",";
  f.months = {"Januar", "Februar", "M\xC3\xA4rz", "April",   "Mai",      "Juni",
              "Juli",   "August",  "September",  "Oktober", "November", "Dezember"};
  f.weekdays = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
  return f;
}

double At(int y, int mo, int d, int h, int mi, int s, int ms) { return EncodeDateTime({y, mo, d, h, mi, s, ms}); }

TEST(LocaleFormats, CFormatsAreInForceByDefaultAndMatchTheCLocale) {
  EXPECT_EQ(CurrentLocaleFormats(), LocaleFormats{});
  // The pinned default is what the C library reports for the C locale, so a
  // program started with LC_ALL=C formats like the tests.
  for (const char* name : {"C", "POSIX", "no_SUCH.locale"}) {
    ScopedEnv all("LC_ALL", name);
    EXPECT_EQ(LocaleFormatsFromEnvironment(), LocaleFormats{}) << name;
  }
}

struct DateCase {
  double dt;
  const char* shortDate;
  const char* longDate;
  const char* longTime;
  const char* timeMs;
};

TEST(LocaleFormats, DatesAndTimesInTheCFormats) {
  const DateCase cases[] = {
      {At(2023, 12, 5, 12, 30, 10, 0), "12/05/23", "Tuesday, December 5, 2023", "12:30:10", "12:30:10,000"},
      {At(2026, 3, 5, 23, 59, 59, 999), "03/05/26", "Thursday, March 5, 2026", "23:59:59", "23:59:59,999"},
      {At(2024, 2, 29, 0, 0, 0, 1), "02/29/24", "Thursday, February 29, 2024", "00:00:00", "00:00:00,001"},
      {0.0, "12/30/99", "Saturday, December 30, 1899", "00:00:00", "00:00:00,000"},
      {-1.0, "12/29/99", "Friday, December 29, 1899", "00:00:00", "00:00:00,000"},
  };
  for (const DateCase& c : cases) {
    EXPECT_EQ(FormatShortDate(c.dt), c.shortDate);
    EXPECT_EQ(FormatLongDate(c.dt), c.longDate);
    EXPECT_EQ(FormatLongTime(c.dt), c.longTime);
    EXPECT_EQ(FormatTimeMs(c.dt), c.timeMs);
  }
  // The append forms add to what is there.
  std::string line = "> ";
  AppendTimeMs(line, At(2026, 3, 5, 1, 2, 3, 45));
  AppendShortDate(line += ' ', At(2026, 3, 5, 1, 2, 3, 45));
  EXPECT_EQ(line, "> 01:02:03,045 03/05/26");
}

TEST(LocaleFormats, GroupedNumbers) {
  struct Case {
    const char* thousands;
    int64_t v;
    int width;
    const char* text;
  } cases[] = {
      {",", 1234567, 0, "1,234,567"},
      {",", -1000, 8, "  -1,000"},
      {",", 999, 0, "999"},
      {",", 0, 3, "  0"},
      {",", INT64_MIN, 0, "-9,223,372,036,854,775,808"},
      {".", 1234567, 12, "   1.234.567"},
      // A separator of several bytes counts as one character of the width.
      {"\xE2\x80\xAF", 1234, 6, " 1\xE2\x80\xAF" "234"},
  };
  for (const Case& c : cases) {
    LocaleFormats f;
    f.thousands = c.thousands;
    ScopedFormats pinned(f);
    EXPECT_EQ(FormatGrouped(c.v, c.width), c.text) << c.v;
  }
  EXPECT_EQ(FormatGroupedU(4294967295u, 0), "4,294,967,295");
}

TEST(LocaleFormats, PinnedGermanLikeRecord) {
  ScopedFormats pinned(GermanLike());
  const double dt = At(2023, 3, 5, 7, 8, 9, 10);
  EXPECT_EQ(FormatShortDate(dt), "05.03.2023");
  EXPECT_EQ(FormatLongDate(dt), "Sonntag, 5. M\xC3\xA4rz 2023");
  EXPECT_EQ(FormatLongTime(dt), "07:08:09");
  EXPECT_EQ(FormatTimeMs(dt), "07:08:09,010");
  EXPECT_EQ(FormatGrouped(-1234567, 0), "-1.234.567");
  // Language-text formats take the same separators.
  EXPECT_EQ(FormatText("%.2n|%.0n|%.1f", {-1234.5, 1234567.0, 2.25}), "-1.234,50|1.234.567|2,2");
}

TEST(LocaleFormats, PinnedRecordSurvivesAnotherLocaleInTheEnvironment) {
  ScopedFormats pinned(GermanLike());
  const double dt = At(2023, 12, 5, 12, 30, 10, 0);
  {
    ScopedEnv all("LC_ALL", "C.UTF-8"), lang("LANG", "en_US.UTF-8"), time("LC_TIME", "POSIX");
    // A GUI toolkit switches the process locale to the environment's.
    std::setlocale(LC_ALL, "");
    EXPECT_EQ(FormatShortDate(dt), "05.12.2023");
    EXPECT_EQ(FormatTimeMs(dt), "12:30:10,000");
    EXPECT_EQ(FormatText("%.1n", {1234.5}), "1.234,5");
    std::setlocale(LC_ALL, "C");
  }
  EXPECT_EQ(CurrentLocaleFormats(), GermanLike());
}

TEST(LocaleFormats, MadeFromALocalesFormatStrings) {
  struct Case {
    const char* dateFormat;
    const char* timeFormat;
    const char* shortDate;
    const char* longDate;
    const char* longTime;
  } cases[] = {
      {"%m/%d/%y", "%H:%M:%S", "%m/%d/%y", "%A, %B %-d, %Y", "%H:%M:%S"},
      {"%d.%m.%Y", "%T", "%d.%m.%Y", "%A, %-d. %B %Y", "%H:%M:%S"},
      {"%d/%m/%y", "%r", "%d/%m/%y", "%A, %-d %B %Y", "%I:%M:%S %p"},
      {"%D", "%l:%M:%S %p", "%m/%d/%y", "%A, %B %-d, %Y", "%-I:%M:%S %p"},
      // Year first; a time without seconds gives the C time.
      {"%F", "%R", "%Y-%m-%d", "%A, %Y %B %-d", "%H:%M:%S"},
      // Space padding and flags become unpadded fields; widths and the
      // alternative-era modifiers go; a 12-hour clock without AM/PM would be
      // ambiguous and becomes a 24-hour one.
      {"%e/%_m/%04Y", "%l:%OM:%S", "%-d/%-m/%Y", "%A, %-d %B %Y", "%-H:%M:%S"},
      {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", "%H\xE6\x99\x82%M\xE5\x88\x86%S\xE7\xA7\x92",
       "%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", "%A, %Y %B %-d", "%H\xE6\x99\x82%M\xE5\x88\x86%S\xE7\xA7\x92"},
      // Not a date, not a time: the C formats.
      {"%Z %x", "%c", "%m/%d/%y", "%A, %B %-d, %Y", "%H:%M:%S"},
      {"", "", "%m/%d/%y", "%A, %B %-d, %Y", "%H:%M:%S"},
      {"%d.%m.", "%H:%M:%", "%m/%d/%y", "%A, %B %-d, %Y", "%H:%M:%S"},
  };
  for (const Case& c : cases) {
    LocaleStrings s;
    s.dateFormat = c.dateFormat;
    s.timeFormat = c.timeFormat;
    const LocaleFormats f = MakeLocaleFormats(s);
    EXPECT_EQ(f.shortDate, c.shortDate) << c.dateFormat;
    EXPECT_EQ(f.longDate, c.longDate) << c.dateFormat;
    EXPECT_EQ(f.longTime, c.longTime) << c.timeFormat;
  }
}

TEST(LocaleFormats, SeparatorsAndNamesFromALocale) {
  LocaleStrings s;
  s.decimal = ",";
  s.months[2] = "M\xE4rz";  // Latin-1, from a locale that is not UTF-8
  s.am = "vorm.";
  s.pm = "nachm.";
  LocaleFormats f = MakeLocaleFormats(s);
  // With a decimal comma and no thousands separator a comma would mislead.
  EXPECT_EQ(f.thousands, ".");
  EXPECT_EQ(f.decimal, ",");
  EXPECT_EQ(f.months[2], "M\xC3\xA4rz");
  EXPECT_EQ(f.months[3], "April");
  s.thousands = "\xA0";
  EXPECT_EQ(MakeLocaleFormats(s).thousands, "\xC2\xA0");

  // A 12-hour clock: the milliseconds stay with the seconds.
  f.longTime = "%I:%M:%S %p";
  ScopedFormats pinned(f);
  EXPECT_EQ(FormatTimeMs(At(2023, 1, 1, 0, 5, 3, 123)), "12:05:03,123 vorm.");
  EXPECT_EQ(FormatLongTime(At(2023, 1, 1, 13, 5, 3, 0)), "01:05:03 nachm.");
}

}  // namespace
}  // namespace qlxs
