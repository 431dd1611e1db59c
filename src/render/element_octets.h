#pragma once
/// The one reader of the octets of an information element set. The element
/// texts and the export fields both take their values through it: octets
/// are read one after the other from the context's read position `c.pb`,
/// multi-octet values little-endian, and never at or beyond the end of the
/// telegram's data.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "render/render.h"

namespace qlxs {

/// Reads octets at `c.pb`, which advances. An octet at or beyond the end of
/// the data reads as 0 and `c.pb` stays there.
struct ElementOctets {
  T_TeleAusgabe& c;

  /// Octets the data holds from `c.pb` on.
  int Left() const { return std::max(0, c.te.lg - c.pb); }
  uint8_t U8() { return c.pb >= 0 && c.pb < c.te.lg ? c.te.b[c.pb++] : 0; }
  uint16_t U16() {
    const uint16_t lo = U8();
    return static_cast<uint16_t>(lo | U8() << 8);
  }
  uint32_t U24() {
    const uint32_t lo = U16();
    return lo | uint32_t{U8()} << 16;
  }
  uint32_t U32() {
    const uint32_t lo = U16();
    return lo | uint32_t{U16()} << 16;
  }
  /// An IEEE 754 short floating point value.
  float Real() {
    const uint32_t w = U32();
    float f;
    std::memcpy(&f, &w, sizeof f);
    return f;
  }
};

}  // namespace qlxs
