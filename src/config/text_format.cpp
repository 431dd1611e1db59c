#include "config/text_format.h"

#include <algorithm>
#include <charconv>
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

// Appends the integer v with at least `digits` digits (zero-padded), a minus
// sign before them when negative.
void AppendInteger(std::string& out, int64_t v, int digits) {
  char buf[24];
  const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  const auto r = std::to_chars(buf, buf + sizeof buf, magnitude);
  if (v < 0) out += '-';
  const int n = static_cast<int>(r.ptr - buf);
  if (digits > n) out.append(static_cast<size_t>(digits - n), '0');
  out.append(buf, r.ptr);
}

// Appends a real number written by `to_chars` (always with a '.') in the
// separators in force: the decimal separator for the point, and thousands
// separators in the integer part when `grouped` is set.
void AppendLocalised(std::string& out, std::string_view s, bool grouped) {
  const size_t point = s.find('.');
  std::string_view intPart = s.substr(0, point);
  if (!intPart.empty() && intPart[0] == '-') {
    out += '-';
    intPart.remove_prefix(1);
  }
  const bool digitsOnly = !intPart.empty() && intPart.find_first_not_of("0123456789") == std::string_view::npos;
  if (grouped && digitsOnly) {
    const std::string& sep = ThousandsSeparator();
    for (size_t i = 0; i < intPart.size(); ++i) {
      if (i > 0 && (intPart.size() - i) % 3 == 0) out += sep;
      out += intPart[i];
    }
  } else {
    out.append(intPart);
  }
  if (point != std::string_view::npos) {
    out += DecimalSeparator();
    out.append(s.substr(point + 1));
  }
}

// Appends argument a as specifier s asks for, without padding.
void AppendOne(std::string& out, const Specifier& s, const FormatArg* a) {
  if (!a) return;
  if (std::holds_alternative<std::string_view>(a->value) && s.kind != 's') {
    out.append(std::get<std::string_view>(a->value));  // a text stands for itself
    return;
  }
  char buf[512];
  switch (s.kind) {
    case 'd':
      AppendInteger(out, AsInt(a), std::clamp(s.precision, 1, 100));
      return;
    case 'u':
      AppendInteger(out, static_cast<uint32_t>(AsInt(a)), 1);
      return;
    case 'x':
    case 'p':
      std::snprintf(buf, sizeof buf, "%.*llX", std::clamp(s.precision, 1, 100),
                    static_cast<unsigned long long>(AsInt(a)));
      out += buf;
      return;
    case 'e':
    case 'f':
    case 'g':
    case 'n':
    case 'm': {
      const double v = AsReal(a);
      if (!std::isfinite(v)) {
        out += std::isnan(v) ? "NAN" : (v < 0 ? "-INF" : "INF");
        return;
      }
      const int prec = std::min(s.precision < 0 ? (s.kind == 'e' || s.kind == 'g' ? 15 : 2) : s.precision, 60);
      const std::chars_format f = s.kind == 'e'   ? std::chars_format::scientific
                                  : s.kind == 'g' ? std::chars_format::general
                                                  : std::chars_format::fixed;
      // The largest finite double in fixed notation with 60 decimals needs
      // 309 + 1 + 60 characters: the buffer always holds the result.
      const auto r = std::to_chars(buf, buf + sizeof buf, v, f, prec);
      AppendLocalised(out, std::string_view(buf, static_cast<size_t>(r.ptr - buf)), s.kind == 'n' || s.kind == 'm');
      return;
    }
    case 's': {
      const size_t start = out.size();
      if (const auto* t = std::get_if<std::string_view>(&a->value))
        out.append(*t);
      else if (const auto* i = std::get_if<int64_t>(&a->value))
        AppendInteger(out, *i, 1);
      else
        AppendOne(out, Specifier{-1, false, -1, -1, 'g', 0}, a);
      if (s.precision >= 0)
        out.resize(start + Utf8Offset(std::string_view(out).substr(start), static_cast<size_t>(s.precision)));
      return;
    }
    default:
      return;
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
    const size_t start = out.size();
    AppendOne(out, s, take(s.index));
    if (s.width > 0) {
      const size_t len = Utf8Length(std::string_view(out).substr(start));
      if (len < static_cast<size_t>(s.width)) {
        const size_t pad = static_cast<size_t>(s.width) - len;
        if (s.left)
          out.append(pad, ' ');
        else
          out.insert(start, pad, ' ');
      }
    }
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
