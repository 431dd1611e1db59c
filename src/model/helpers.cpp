#include "model/helpers.h"

#include <charconv>

#include <cmath>
#include <cstdio>

namespace qlxs {

int BitCount16(uint16_t v) {
  static constexpr uint8_t kNibbleBits[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
  return kNibbleBits[v & 15] + kNibbleBits[(v >> 4) & 15] + kNibbleBits[(v >> 8) & 15] +
         kNibbleBits[v >> 12];
}

void AppendDecimal(std::string& out, uint64_t v) {
  char buf[20];
  out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string FormatWidth(int width, int64_t v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*lld", width, static_cast<long long>(v));
  return buf;
}

std::string FormatDigits(int digits, int64_t v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*lld", digits, static_cast<long long>(v));
  return buf;
}

std::string FormatReal(float v) {
  if (!std::isfinite(v)) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
  return buf;
}

std::string PadRight(std::string_view s, int width) {
  std::string out(s);
  if (width > 0 && out.size() < static_cast<size_t>(width)) out.append(width - out.size(), ' ');
  return out;
}

std::string PadLeft(std::string_view s, int width) {
  std::string out;
  if (width > 0 && s.size() < static_cast<size_t>(width)) out.assign(width - s.size(), ' ');
  out.append(s);
  return out;
}

std::string RepeatChar(char c, int count) { return count > 0 ? std::string(count, c) : std::string(); }

std::string_view CutUtf8(std::string_view s, size_t max) {
  if (s.size() <= max) return s;
  size_t n = max;
  // Step back over continuation bytes so the cut falls before a lead byte.
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

}  // namespace qlxs
