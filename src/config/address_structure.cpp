#include "config/address_structure.h"

#include <algorithm>
#include <charconv>

#include "config/allg_par.h"
#include "config/config_state.h"
#include "config/language_texts.h"
#include "config/text_fields.h"

namespace qlxs {

namespace {

// A width taken modulo 32 into 0..31, as a shift count (a width of 32 acts
// as 0, matching FieldMask).
int ShiftOf(int32_t width) { return static_cast<int>(((static_cast<int64_t>(width) % 32) + 32) % 32); }

uint32_t ShiftRight(uint32_t v, int32_t width) { return v >> ShiftOf(width); }
uint32_t ShiftLeft(uint32_t v, int32_t width) { return v << ShiftOf(width); }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool IsNumberChar(char c, char khex) { return IsHexDigit(c) || c == khex; }

// One run of number characters as a signed 32-bit value.
std::optional<int32_t> ConvertRun(std::string_view run, char khex) {
  int base = 10;
  if (run.front() == khex) {
    run.remove_prefix(1);
    base = 16;
  }
  if (run.empty()) return std::nullopt;
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(run.data(), run.data() + run.size(), v, base);
  if (ec != std::errc() || end != run.data() + run.size() || v < 0) return std::nullopt;
  return v;
}

// The whole text (blanks around it allowed) as one number up to `max`.
std::optional<uint32_t> WholeNumber(std::string_view text, char khex, uint32_t max) {
  text = TrimBlanks(text);
  if (text.empty()) return std::nullopt;
  int base = 10;
  if (text.front() == khex) {
    text.remove_prefix(1);
    base = 16;
  }
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  uint64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
  if (ec != std::errc() || end != text.data() + text.size() || v > max) return std::nullopt;
  return static_cast<uint32_t>(v);
}

// The value of the given field values by structure s.
uint32_t Combine(const T_AdrStruktur& s, const std::array<uint32_t, kMaxAddressFields>& f) {
  uint32_t v = 0;
  for (int i = 0; i < FieldCount(s); ++i) v = ShiftLeft(v, s.fd[i]) + f[i];
  return v;
}

// Enough numbers to see one more than a structure can have.
constexpr int kScanLimit = kMaxAddressFields + 1;

std::optional<uint32_t> Within(std::optional<uint32_t> v, uint32_t max) {
  if (v && *v > max) return std::nullopt;
  return v;
}

}  // namespace

int FieldCount(const T_AdrStruktur& s) { return std::clamp<int32_t>(s.anz, 1, kMaxAddressFields); }

uint32_t FieldMask(int32_t width) {
  const int64_t shift = ((32 - static_cast<int64_t>(width)) % 32 + 32) % 32;
  return 0xFFFFFFFFu >> shift;
}

std::array<uint32_t, kMaxAddressFields> SplitFields(const T_AdrStruktur& s, uint32_t v) {
  std::array<uint32_t, kMaxAddressFields> f{};
  for (int i = FieldCount(s) - 1; i >= 0; --i) {
    f[i] = v & FieldMask(s.fd[i]);
    v = ShiftRight(v, s.fd[i]);
  }
  return f;
}

uint32_t FieldOf(const T_AdrStruktur& s, uint32_t v, int i) {
  if (i < 1 || i > FieldCount(s)) return 0;
  return SplitFields(s, v)[i - 1];
}

void AppendAddress(std::string& out, uint32_t v, const T_AdrStruktur& s, const T_AdrStruktur& digits) {
  const std::array<uint32_t, kMaxAddressFields> f = SplitFields(s, v);
  char buf[kMaxAddressText];
  size_t n = 0;
  for (int i = 0; i < FieldCount(s); ++i) {
    if (i > 0) buf[n++] = '-';
    char num[10];
    const auto r = std::to_chars(num, num + sizeof num, f[i]);
    const size_t len = static_cast<size_t>(r.ptr - num);
    const size_t width = static_cast<size_t>(std::clamp<int32_t>(digits.fd[i], 0, 10));
    for (size_t k = len; k < width; ++k) buf[n++] = ' ';
    for (size_t k = 0; k < len; ++k) buf[n++] = num[k];
  }
  out.append(buf, n);
}

std::string FormatAddress(uint32_t v, const T_AdrStruktur& s, const T_AdrStruktur& digits) {
  std::string out;
  AppendAddress(out, v, s, digits);
  return out;
}

void AppendCa(std::string& out, uint32_t ca, const T_AllgPar& ap, const T_AllgVar& av) {
  AppendAddress(out, ca, ap.cabrt, av.cabrt);
}

std::string FormatCa(uint32_t ca, const T_AllgPar& ap, const T_AllgVar& av) {
  return FormatAddress(ca, ap.cabrt, av.cabrt);
}

void AppendIoa(std::string& out, uint32_t ioa, const T_AllgPar& ap, const T_AllgVar& av) {
  AppendAddress(out, ioa, ap.oabrt, av.oabrt);
}

std::string FormatIoa(uint32_t ioa, const T_AllgPar& ap, const T_AllgVar& av) {
  return FormatAddress(ioa, ap.oabrt, av.oabrt);
}

ScannedNumbers ScanNumbers(std::string_view text, int max, char khex) {
  ScannedNumbers r;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    if (!IsNumberChar(text[i], khex)) {
      ++i;
      continue;
    }
    if (static_cast<int>(r.numbers.size()) >= max) {
      r.complete = false;
      break;
    }
    size_t j = i;
    while (j < n && IsNumberChar(text[j], khex)) ++j;
    const std::optional<int32_t> v = ConvertRun(text.substr(i, j - i), khex);
    if (!v) {
      r.complete = false;
      break;
    }
    r.numbers.push_back(*v);
    i = j;
  }
  return r;
}

std::optional<uint32_t> ParseExact(const T_AdrStruktur& s, std::string_view text, char khex) {
  const ScannedNumbers sn = ScanNumbers(text, kScanLimit, khex);
  const int count = FieldCount(s);
  if (!sn.complete || static_cast<int>(sn.numbers.size()) != count) return std::nullopt;
  std::array<uint32_t, kMaxAddressFields> f{};
  for (int i = 0; i < count; ++i) {
    f[i] = static_cast<uint32_t>(sn.numbers[i]);
    if (f[i] > FieldMask(s.fd[i])) return std::nullopt;
  }
  return Combine(s, f);
}

std::optional<uint32_t> ParseTrailing(const T_AdrStruktur& s, std::string_view text, char khex) {
  const ScannedNumbers sn = ScanNumbers(text, kScanLimit, khex);
  const int count = FieldCount(s);
  const int c = static_cast<int>(sn.numbers.size());
  if (!sn.complete || c == 0 || c > count) return std::nullopt;
  std::array<uint32_t, kMaxAddressFields> f{};
  for (int k = 0; k < c; ++k) {
    const int i = count - c + k;
    f[i] = static_cast<uint32_t>(sn.numbers[k]);
    if (f[i] > FieldMask(s.fd[i])) return std::nullopt;
  }
  return Combine(s, f);
}

std::optional<uint32_t> ParseCa(std::string_view text, const T_AllgPar& ap, char khex) {
  if (const std::optional<uint32_t> v = WholeNumber(text, khex, 0xFFFF)) return v;
  return Within(ParseExact(ap.cabrt, text, khex), 0xFFFF);
}

std::optional<uint32_t> ParseIoa(std::string_view text, const T_AllgPar& ap, char khex) {
  if (const std::optional<uint32_t> v = WholeNumber(text, khex, 0xFFFFFF)) return v;
  return Within(ParseExact(ap.oabrt, text, khex), 0xFFFFFF);
}

std::optional<uint32_t> ParseIoaText(std::string_view text, const T_AllgPar& ap, char khex) {
  return Within(ParseTrailing(ap.oabrt, text, khex), 0xFFFFFF);
}

std::optional<T_AdrStruktur> ParseStructure(std::string_view text, int total, char khex) {
  const ScannedNumbers sn = ScanNumbers(text, kScanLimit, khex);
  const int count = static_cast<int>(sn.numbers.size());
  if (!sn.complete || count == 0 || count > kMaxAddressFields) return std::nullopt;
  T_AdrStruktur s{count, {0, 0, 0, 0, 0}};
  int64_t sum = 0;
  for (int i = 0; i < count; ++i) {
    if (sn.numbers[i] == 0) return std::nullopt;
    s.fd[i] = sn.numbers[i];
    sum += sn.numbers[i];
  }
  if (sum != total || sum == 0 || sum % 8 != 0) return std::nullopt;
  return s;
}

std::string StructureText(const T_AdrStruktur& s, std::string_view separator) {
  std::string out;
  for (int i = 0; i < FieldCount(s); ++i) {
    if (i > 0) out += separator;
    out += std::to_string(s.fd[i]);
  }
  return out;
}

std::string RangeText(const T_AdrStruktur& s) {
  std::string out;
  for (int i = 0; i < FieldCount(s); ++i) {
    out += i == 0 ? " 0.." : " - 0..";
    out += std::to_string(FieldMask(s.fd[i]));
  }
  return out;
}

int DecimalDigits(uint32_t v) {
  int n = 1;
  while (v >= 10) {
    v /= 10;
    ++n;
  }
  return n;
}

namespace {

// Digit counts, format string and text width of one structure.
void Derive(const T_AdrStruktur& s, T_AdrStruktur& digits, std::string& fmt, int& width) {
  const int count = FieldCount(s);
  digits = T_AdrStruktur{count, {0, 0, 0, 0, 0}};
  fmt = "%*d";
  width = count;
  for (int i = 0; i < count; ++i) {
    digits.fd[i] = DecimalDigits(FieldMask(s.fd[i]));
    width += digits.fd[i];
    if (i > 0) fmt += "-%*d";
  }
}

}  // namespace

void ApplyStructures(ConfigState& cs) {
  T_AllgVar& v = cs.AllgVar;
  Derive(cs.AllgPar.cabrt, v.cabrt, v.cafmt, v.lgcastr);
  Derive(cs.AllgPar.oabrt, v.oabrt, v.oafmt, v.lgoastr);
  SetText(v, kTextCaRange, RangeText(cs.AllgPar.cabrt));
  SetText(v, kTextIoaRange, RangeText(cs.AllgPar.oabrt) + Text(v, kTextPickListHint));
}

}  // namespace qlxs
