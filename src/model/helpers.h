#pragma once
/// Small stateless helpers shared by every subsystem: bit operations and the
/// number and text formatting used by the rendering and the status displays.
/// Formats that follow the user's locale are in platform/locale_formats.h.

#include <cstdint>
#include <string>
#include <string_view>

namespace qlxs {

/// Bit n of v (n taken modulo 32): 0 or 1.
constexpr int BitOf(uint32_t v, int n) { return static_cast<int>((v >> (n & 31)) & 1u); }

/// Reverses the four octets of a 32-bit value (network order conversion both ways).
constexpr uint32_t SwapBytes32(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

/// Number of set bits of a 16-bit value.
int BitCount16(uint16_t v);

/// Appends v in decimal, without padding.
void AppendDecimal(std::string& out, uint64_t v);

/// Decimal, right-aligned in `width` ("%*d").
std::string FormatWidth(int width, int64_t v);
/// Decimal with at least `digits` digits, zero-padded ("%.*d").
std::string FormatDigits(int digits, int64_t v);
/// Seven significant digits ("%.7g"); "0" when v is not a valid number.
std::string FormatReal(float v);
/// Text left-aligned and padded with blanks to `width` ("%-*s").
std::string PadRight(std::string_view s, int width);
/// Text right-aligned in `width` ("%*s").
std::string PadLeft(std::string_view s, int width);
/// The character c, `count` times.
std::string RepeatChar(char c, int count);

/// Cuts UTF-8 text to at most `max` bytes without splitting a character.
std::string_view CutUtf8(std::string_view s, size_t max);

}  // namespace qlxs
