#pragma once
// Octets written and read as hexadecimal text in tests and their messages.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qlxs::test {

/// Octets from pairs of hex digits; blanks between the pairs are skipped.
inline std::vector<uint8_t> ParseHex(std::string_view text) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<uint8_t>(std::strtoul(std::string(text.substr(i, 2)).c_str(), nullptr, 16)));
    i += 2;
  }
  return out;
}

/// Two digits per octet with `sep` between them, upper case unless `lower`;
/// at most `max` octets, then "...".
inline std::string HexText(std::span<const uint8_t> b, std::string_view sep = " ", size_t max = SIZE_MAX,
                           bool lower = false) {
  const char* digits = lower ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string s;
  for (size_t i = 0; i < b.size() && i < max; ++i) {
    if (i) s += sep;
    s += digits[b[i] >> 4];
    s += digits[b[i] & 15];
  }
  if (b.size() > max) s += "...";
  return s;
}

}  // namespace qlxs::test
