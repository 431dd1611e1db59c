#include "config/text_format.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <vector>

#include "model/helpers.h"
#include "model/text_file.h"
#include "platform/locale_formats.h"

namespace qlxs {

namespace {

// One parsed specifier; `end` is the offset after it.
struct Specifier {
  int index = -1;  // explicit argument index, -1 when none
  bool left = false;
  int width = -1;  // -1: none, -2: "*"
  int precision = -1;
  char kind = 0;   // lower-case letter; '%' for a percent sign; 0 when malformed
  size_t end = 0;
};

// Widths and precisions beyond this are taken as this (a damaged text must
// not make huge strings).
constexpr int kMaxWidth = 1000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Reads digits or "*" at fmt[i]; returns -1 for none, -2 for "*".
int ReadNumber(std::string_view fmt, size_t& i) {
  if (i < fmt.size() && fmt[i] == '*') {
    ++i;
    return -2;
  }
  if (i >= fmt.size() || !IsDigit(fmt[i])) return -1;
  int n = 0;
  while (i < fmt.size() && IsDigit(fmt[i])) {
    if (n < 100000) n = n * 10 + (fmt[i] - '0');
    ++i;
  }
  return n;
}

// Parses the specifier that starts with the '%' at fmt[start].
Specifier ParseSpecifier(std::string_view fmt, size_t start) {
  Specifier s;
  size_t i = start + 1;
  if (i < fmt.size() && fmt[i] == '%') {
    s.kind = '%';
    s.end = i + 1;
    return s;
  }
  // An index is digits or "*" followed by ':'.
  size_t j = i;
  const int maybeIndex = ReadNumber(fmt, j);
  if (maybeIndex != -1 && j < fmt.size() && fmt[j] == ':') {
    s.index = maybeIndex;  // "*:" (-2) takes the index from the arguments
    i = j + 1;
  }
  if (i < fmt.size() && fmt[i] == '-') {
    s.left = true;
    ++i;
  }
  s.width = ReadNumber(fmt, i);
  if (i < fmt.size() && fmt[i] == '.') {
    ++i;
    s.precision = ReadNumber(fmt, i);
    if (s.precision == -1) s.precision = 0;
  }
  if (i < fmt.size() && IsLetter(fmt[i])) {
    const char k = fmt[i];
    s.kind = static_cast<char>(k >= 'A' && k <= 'Z' ? k - 'A' + 'a' : k);
    s.end = i + 1;
  } else {
    s.kind = 0;
    s.end = i;
  }
  return s;
}

char KindOf(char kind) {
  switch (kind) {
    case 'd': case 'u': case 'x': return 'i';
    case 'e': case 'f': case 'g': case 'n': case 'm': return 'r';
    case 's': return 's';
    case 'p': return 'p';
    default: return '?';
  }
}

// The decimal point printf writes: that of the process locale, which a GUI
// toolkit may have switched.
std::string_view PrintfPoint() {
  const lconv* lc = std::localeconv();
  return lc && lc->decimal_point && lc->decimal_point[0] ? lc->decimal_point : ".";
}

int64_t AsInt(const FormatArg* a) {
  if (!a) return 0;
  if (const auto* i = std::get_if<int64_t>(&a->value)) return *i;
  if (const auto* r = std::get_if<double>(&a->value)) {
    if (!std::isfinite(*r)) return 0;
    if (*r >= 9.2e18) return INT64_MAX;
    if (*r <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(*r);
  }
  return 0;
}

double AsReal(const FormatArg* a) {
  if (!a) return 0;
  if (const auto* i = std::get_if<int64_t>(&a->value)) return static_cast<double>(*i);
  if (const auto* r = std::get_if<double>(&a->value)) return *r;
  return 0;
}

// Rewrites a number printf wrote in the separators in force: the decimal
// separator for printf's point, and thousands separators in the integer
// part when `grouped` is set.
std::string Localised(const std::string& s, bool grouped) {
  const size_t point = s.find(PrintfPoint());
  const std::string intPart = s.substr(0, point);
  const std::string rest = point == std::string::npos ? "" : DecimalSeparator() + s.substr(point + PrintfPoint().size());
  const bool neg = !intPart.empty() && intPart[0] == '-';
  const std::string digits = neg ? intPart.substr(1) : intPart;
  if (!grouped || digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
    return intPart + rest;
  const std::string& sep = ThousandsSeparator();
  std::string out = neg ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += sep;
    out += digits[i];
  }
  return out + rest;
}

std::string FormatOne(const Specifier& s, const FormatArg* a) {
  if (!a) return "";
  char buf[512];
  if (a && std::holds_alternative<std::string_view>(a->value) && s.kind != 's')
    return std::string(std::get<std::string_view>(a->value));  // a text stands for itself
  switch (s.kind) {
    case 'd': {
      const int64_t v = AsInt(a);
      std::snprintf(buf, sizeof buf, "%.*lld", std::clamp(s.precision, 1, 100),
                    static_cast<long long>(v));
      return buf;
    }
    case 'u':
      std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(static_cast<uint32_t>(AsInt(a))));
      return buf;
    case 'x':
    case 'p':
      std::snprintf(buf, sizeof buf, "%.*llX", std::clamp(s.precision, 1, 100),
                    static_cast<unsigned long long>(AsInt(a)));
      return buf;
    case 'e':
    case 'f':
    case 'g':
    case 'n':
    case 'm': {
      const double v = AsReal(a);
      if (!std::isfinite(v)) return std::isnan(v) ? "NAN" : (v < 0 ? "-INF" : "INF");
      const int prec = std::min(s.precision < 0 ? (s.kind == 'e' || s.kind == 'g' ? 15 : 2) : s.precision, 60);
      const char conv = s.kind == 'n' || s.kind == 'm' ? 'f' : s.kind;
      const char pattern[] = {'%', '.', '*', conv, 0};
      std::snprintf(buf, sizeof buf, pattern, prec, v);
      return Localised(buf, s.kind == 'n' || s.kind == 'm');
    }
    case 's': {
      std::string text;
      if (a) {
        if (const auto* t = std::get_if<std::string_view>(&a->value))
          text = *t;
        else if (const auto* i = std::get_if<int64_t>(&a->value))
          text = std::to_string(*i);
        else
          text = FormatOne(Specifier{-1, false, -1, -1, 'g', 0}, a);
      }
      if (s.precision >= 0) text.resize(Utf8Offset(text, static_cast<size_t>(s.precision)));
      return text;
    }
    default:
      return "";
  }
}

}  // namespace

std::string FormatText(std::string_view fmt, std::initializer_list<FormatArg> args) {
  std::string out;
  AppendFormatText(out, fmt, args);
  return out;
}

void AppendFormatText(std::string& out, std::string_view fmt, std::initializer_list<FormatArg> args) {
  size_t next = 0;
  auto take = [&](int index) -> const FormatArg* {
    if (index >= 0) next = static_cast<size_t>(index);
    return next < args.size() ? args.begin() + next++ : nullptr;
  };
  size_t i = 0;
  while (i < fmt.size()) {
    const size_t pct = fmt.find('%', i);
    if (pct == std::string_view::npos) {
      out.append(fmt.substr(i));
      break;
    }
    out.append(fmt.substr(i, pct - i));
    Specifier s = ParseSpecifier(fmt, pct);
    i = s.end;
    if (s.kind == '%') {
      out += '%';
      continue;
    }
    if (s.kind == 0) {  // no letter follows: the '%' is an ordinary character
      out += '%';
      i = pct + 1;
      continue;
    }
    if (KindOf(s.kind) == '?') {  // an unknown kind letter: keep the specifier as written
      out.append(fmt.substr(pct, s.end - pct));
      continue;
    }
    if (s.index == -2) s.index = static_cast<int>(AsInt(take(-1)));
    if (s.width == -2) {
      const int64_t w = AsInt(take(-1));
      s.left = s.left || w < 0;
      s.width = static_cast<int>(std::min<int64_t>(w < 0 ? -w : w, kMaxWidth));
    }
    if (s.precision == -2) s.precision = static_cast<int>(std::clamp<int64_t>(AsInt(take(-1)), -1, 1000));
    s.width = std::min(s.width, kMaxWidth);
    const std::string piece = FormatOne(s, take(s.index));
    const size_t len = Utf8Length(piece);
    const size_t pad = s.width > 0 && len < static_cast<size_t>(s.width) ? static_cast<size_t>(s.width) - len : 0;
    if (!s.left) out.append(pad, ' ');
    out += piece;
    if (s.left) out.append(pad, ' ');
  }
}

std::string FormatArgumentKinds(std::string_view fmt) {
  std::string kinds;
  size_t i = 0;
  while ((i = fmt.find('%', i)) != std::string_view::npos) {
    const Specifier s = ParseSpecifier(fmt, i);
    if (s.kind == 0) {  // a lone '%' takes no argument
      ++i;
      continue;
    }
    i = s.end;
    if (s.kind == '%') continue;
    if (s.index == -2) kinds += 'i';
    if (s.width == -2) kinds += 'i';
    if (s.precision == -2) kinds += 'i';
    const char k = KindOf(s.kind);
    kinds += k;
    if (k == '?') kinds += s.kind;
  }
  return kinds;
}

}  // namespace qlxs
