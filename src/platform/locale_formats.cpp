#include "platform/locale_formats.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <langinfo.h>
#include <locale.h>

#include "model/date_time.h"
#include "model/text_file.h"

namespace qlxs {

namespace {

LocaleFormats& Current() {
  static LocaleFormats formats;
  return formats;
}

/// Appends v in decimal, zero-padded to `digits` when `pad` is set.
void AppendNumber(std::string& out, int64_t v, int digits, bool pad) {
  char buf[24];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v < 0 ? -v : v);
  const int n = ec == std::errc() ? static_cast<int>(end - buf) : 0;
  if (v < 0) out += '-';
  if (pad && n < digits) out.append(static_cast<size_t>(digits - n), '0');
  out.append(buf, static_cast<size_t>(n));
}

/// Day of the week, 0 = Sunday. Day 0 of the date numbers was a Saturday.
int Weekday(const DateTimeParts& p) {
  const int64_t day = static_cast<int64_t>(EncodeDate(p.year, p.month, p.day));
  return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

/// Interprets `pattern`; with `ms` >= 0 the milliseconds follow the seconds.
void AppendPattern(std::string& out, std::string_view pattern, const DateTimeParts& p, const LocaleFormats& f,
                   int ms) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 >= pattern.size()) {
      out += pattern[i];
      continue;
    }
    size_t j = i + 1;
    const bool pad = pattern[j] != '-';
    if (!pad && j + 1 < pattern.size()) ++j;
    switch (pattern[j]) {
      case 'd': AppendNumber(out, p.day, 2, pad); break;
      case 'm': AppendNumber(out, p.month, 2, pad); break;
      case 'Y': AppendNumber(out, p.year, 4, pad); break;
      case 'y': AppendNumber(out, (p.year % 100 + 100) % 100, 2, pad); break;
      case 'H': AppendNumber(out, p.hour, 2, pad); break;
      case 'I': AppendNumber(out, p.hour % 12 == 0 ? 12 : p.hour % 12, 2, pad); break;
      case 'M': AppendNumber(out, p.minute, 2, pad); break;
      case 'S':
        AppendNumber(out, p.second, 2, pad);
        if (ms >= 0) {
          out += ',';
          AppendNumber(out, ms, 3, true);
        }
        break;
      case 'p': out += p.hour < 12 ? f.am : f.pm; break;
      case 'A': out += f.weekdays[Weekday(p)]; break;
      case 'a': out += f.shortWeekdays[Weekday(p)]; break;
      case 'B': if (p.month >= 1 && p.month <= 12) out += f.months[p.month - 1]; break;
      case 'b': if (p.month >= 1 && p.month <= 12) out += f.shortMonths[p.month - 1]; break;
      case '%': out += '%'; break;
      default: out.append(pattern.substr(i, j - i + 1)); break;
    }
    i = j;
  }
}

// Fields a locale format was seen to hold.
enum : unsigned {
  kDay = 1, kMonth = 2, kYear = 4, kHour24 = 8, kHour12 = 16, kMinute = 32, kSecond = 64, kAmPm = 128,
};

/// The composite conversions of strftime in the base ones.
std::string_view Expansion(char c) {
  switch (c) {
    case 'D': return "%m/%d/%y";
    case 'F': return "%Y-%m-%d";
    case 'T': return "%H:%M:%S";
    case 'R': return "%H:%M";
    case 'r': return "%I:%M:%S %p";
    case 'e': return "%-d";
    case 'k': return "%-H";
    case 'l': return "%-I";
    case 'h': return "%b";
    case 'P': return "%p";
    default: return {};
  }
}

/// Rewrites a strftime format of a locale into the notation of the header:
/// composites expanded, flags other than "no padding", widths and the E/O
/// modifiers dropped, conversions the notation lacks left out. `seen`
/// collects the fields, `order` the letters d, m, y in order of appearance.
std::string Normalise(std::string_view fmt, unsigned& seen, std::string& order) {
  std::string expanded;
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size() && !Expansion(fmt[i + 1]).empty()) {
      expanded += Expansion(fmt[++i]);
      continue;
    }
    expanded += fmt[i];
  }
  std::string out;
  seen = 0;
  order.clear();
  const auto field = [&](unsigned bit, char letter) {
    seen |= bit;
    if (letter && order.find(letter) == std::string::npos) order += letter;
  };
  for (size_t i = 0; i < expanded.size(); ++i) {
    if (expanded[i] != '%') {
      out += expanded[i];
      continue;
    }
    size_t j = i + 1;
    bool pad = true;
    while (j < expanded.size() && std::string_view("-_0^#").find(expanded[j]) != std::string_view::npos) {
      if (expanded[j] == '-' || expanded[j] == '_') pad = false;
      ++j;
    }
    while (j < expanded.size() && expanded[j] >= '0' && expanded[j] <= '9') ++j;
    if (j < expanded.size() && (expanded[j] == 'E' || expanded[j] == 'O')) ++j;
    if (j >= expanded.size()) break;
    const char c = expanded[j];
    i = j;
    switch (c) {
      case 'd': field(kDay, 'd'); break;
      case 'm': case 'B': case 'b': field(kMonth, 'm'); break;
      case 'Y': case 'y': field(kYear, 'y'); break;
      case 'H': field(kHour24, 0); break;
      case 'I': field(kHour12, 0); break;
      case 'M': field(kMinute, 0); break;
      case 'S': field(kSecond, 0); break;
      case 'p': field(kAmPm, 0); break;
      case 'A': case 'a': case '%': break;
      default: continue;  // a conversion the notation lacks
    }
    out += '%';
    if (!pad && std::string_view("dmYyHIMS").find(c) != std::string_view::npos) out += '-';
    out += c;
  }
  return out;
}

std::string Utf8(const std::string& s) { return IsValidUtf8(s) ? s : Cp1252ToUtf8(s); }

template <size_t N>
void TakeNames(std::array<std::string, N>& to, const std::array<std::string, N>& from) {
  for (size_t i = 0; i < N; ++i)
    if (!from[i].empty()) to[i] = Utf8(from[i]);
}

}  // namespace

LocaleFormats MakeLocaleFormats(const LocaleStrings& s) {
  LocaleFormats f;
  unsigned seen = 0;
  std::string order;
  const std::string date = Utf8(Normalise(s.dateFormat, seen, order));
  if ((seen & (kDay | kMonth | kYear)) == (kDay | kMonth | kYear)) f.shortDate = date;
  // The long date keeps the short date's order of day, month and year.
  Normalise(f.shortDate, seen, order);
  if (order[0] == 'd') {
    const size_t sep = f.shortDate.find_first_not_of("%-d");
    const bool dotted = sep != std::string::npos && f.shortDate[sep] == '.';
    f.longDate = dotted ? "%A, %-d. %B %Y" : "%A, %-d %B %Y";
  } else if (order[0] == 'y') {
    f.longDate = "%A, %Y %B %-d";
  }

  std::string time = Utf8(Normalise(s.timeFormat, seen, order));
  if ((seen & kHour12) && !(seen & kAmPm)) {
    // Normalised, a conversion is '%', perhaps '-', and its letter.
    for (size_t k = 0; k + 1 < time.size(); ++k) {
      if (time[k] != '%') continue;
      size_t c = k + 1;
      if (time[c] == '-' && c + 1 < time.size()) ++c;
      if (time[c] == 'I') time[c] = 'H';
      k = c;
    }
    seen = (seen & ~kHour12) | kHour24;
  }
  if ((seen & (kHour24 | kHour12)) && (seen & kMinute) && (seen & kSecond)) f.longTime = time;

  if (!s.decimal.empty()) f.decimal = Utf8(s.decimal);
  if (!s.thousands.empty())
    f.thousands = Utf8(s.thousands);
  else if (f.decimal == ",")
    f.thousands = ".";  // a comma would read as the decimal separator
  TakeNames(f.months, s.months);
  TakeNames(f.shortMonths, s.shortMonths);
  TakeNames(f.weekdays, s.weekdays);
  TakeNames(f.shortWeekdays, s.shortWeekdays);
  if (!s.am.empty()) f.am = Utf8(s.am);
  if (!s.pm.empty()) f.pm = Utf8(s.pm);
  return f;
}

LocaleFormats LocaleFormatsFromEnvironment() {
  const auto open = [](int mask) {
    locale_t l = ::newlocale(mask, "", static_cast<locale_t>(0));
    return l ? l : ::newlocale(mask, "C", static_cast<locale_t>(0));
  };
  LocaleStrings s;
  if (locale_t t = open(LC_TIME_MASK)) {
    s.dateFormat = ::nl_langinfo_l(D_FMT, t);
    s.timeFormat = ::nl_langinfo_l(T_FMT, t);
    for (int i = 0; i < 12; ++i) {
      s.months[i] = ::nl_langinfo_l(static_cast<nl_item>(MON_1 + i), t);
      s.shortMonths[i] = ::nl_langinfo_l(static_cast<nl_item>(ABMON_1 + i), t);
    }
    for (int i = 0; i < 7; ++i) {
      s.weekdays[i] = ::nl_langinfo_l(static_cast<nl_item>(DAY_1 + i), t);
      s.shortWeekdays[i] = ::nl_langinfo_l(static_cast<nl_item>(ABDAY_1 + i), t);
    }
    s.am = ::nl_langinfo_l(AM_STR, t);
    s.pm = ::nl_langinfo_l(PM_STR, t);
    ::freelocale(t);
  }
  if (locale_t n = open(LC_NUMERIC_MASK)) {
    s.thousands = ::nl_langinfo_l(THOUSEP, n);
    s.decimal = ::nl_langinfo_l(RADIXCHAR, n);
    ::freelocale(n);
  }
  return MakeLocaleFormats(s);
}

void SetLocaleFormats(const LocaleFormats& f) { Current() = f; }
const LocaleFormats& CurrentLocaleFormats() { return Current(); }
const std::string& ThousandsSeparator() { return Current().thousands; }
const std::string& DecimalSeparator() { return Current().decimal; }

namespace {

void AppendGroupedMagnitude(std::string& out, bool negative, uint64_t magnitude, int width) {
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, magnitude);
  const size_t n = ec == std::errc() ? static_cast<size_t>(end - digits) : 0;
  const std::string& sep = ThousandsSeparator();
  const size_t groups = n == 0 ? 0 : (n - 1) / 3;
  const size_t chars = n + groups * Utf8Length(sep) + (negative ? 1 : 0);
  if (width > 0 && chars < static_cast<size_t>(width)) out.append(static_cast<size_t>(width) - chars, ' ');
  if (negative) out += '-';
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += sep;
    out += digits[i];
  }
}

}  // namespace

void AppendGrouped(std::string& out, int64_t v, int width) {
  const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  AppendGroupedMagnitude(out, v < 0, magnitude, width);
}

void AppendGroupedU(std::string& out, uint32_t v, int width) { AppendGroupedMagnitude(out, false, v, width); }

std::string FormatGrouped(int64_t v, int width) {
  std::string out;
  AppendGrouped(out, v, width);
  return out;
}

std::string FormatGroupedU(uint32_t v, int width) {
  std::string out;
  AppendGroupedU(out, v, width);
  return out;
}

void AppendDateTime(std::string& out, std::string_view pattern, double dt, const LocaleFormats& f) {
  AppendPattern(out, pattern, DecodeDateTime(dt), f, -1);
}

void AppendShortDate(std::string& out, double dt) { AppendDateTime(out, Current().shortDate, dt, Current()); }
void AppendLongDate(std::string& out, double dt) { AppendDateTime(out, Current().longDate, dt, Current()); }
void AppendLongTime(std::string& out, double dt) { AppendDateTime(out, Current().longTime, dt, Current()); }

void AppendTimeMs(std::string& out, double dt) {
  const DateTimeParts p = DecodeDateTime(dt);
  AppendPattern(out, Current().longTime, p, Current(), p.millisecond);
}

namespace {

template <void (*Append)(std::string&, double)>
std::string Formatted(double dt) {
  std::string out;
  Append(out, dt);
  return out;
}

}  // namespace

std::string FormatShortDate(double dt) { return Formatted<AppendShortDate>(dt); }
std::string FormatLongDate(double dt) { return Formatted<AppendLongDate>(dt); }
std::string FormatLongTime(double dt) { return Formatted<AppendLongTime>(dt); }
std::string FormatTimeMs(double dt) { return Formatted<AppendTimeMs>(dt); }

}  // namespace qlxs
