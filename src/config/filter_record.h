#pragma once
/// The filter record shared by the log filter and the display filter. The
/// same 348 bytes are the filter file and part of every log file header.

#include <cstddef>
#include <cstdint>

namespace qlxs {

#pragma pack(push, 1)
/// One criterion row, five signed 32-bit words.
struct T_FltKrit {
  int32_t art;  ///< criterion kind
  int32_t akt;  ///< 0 off, 1 must match, 2 must not match
  int32_t w1;   ///< first value
  int32_t mod;  ///< 0 equal w1, 1 equal w1 or w2, else range w1..w2
  int32_t w2;   ///< second value
};
static_assert(sizeof(T_FltKrit) == 20);

/// The filter record, 348 bytes.
struct T_Filter {
  uint16_t def;        ///< 1 when the filter restricts anything (computed)
  uint16_t lg;         ///< 348 in a filter file
  int32_t ilo;         ///< control focused last in the filter dialog
  uint16_t tken;       ///< source mask: bit (ek div 2)
  uint16_t tart;       ///< class mask
  double von;          ///< lower time bound
  double bis;          ///< upper time bound
  uint8_t res1[4];
  int32_t anz;         ///< criterion rows in use
  T_FltKrit krit[14];  ///< rows 1..14
  T_FltKrit ip;        ///< row 15: the IPv4 address criterion
  uint8_t ioa1;        ///< first active object address row, 0 = none (computed)
  uint8_t res2[3];
  uint8_t ein;         ///< the filter is on
  uint8_t vonein;      ///< `von` is in force
  uint8_t bisein;      ///< `bis` is in force
  uint8_t fok;         ///< error-free telegrams wanted
  uint8_t ffehl;       ///< faulty telegrams wanted
  uint8_t asdu;        ///< an ASDU criterion is active (computed)
  uint8_t res3[2];
};
#pragma pack(pop)
static_assert(sizeof(T_Filter) == 348);
static_assert(offsetof(T_Filter, lg) == 2);
static_assert(offsetof(T_Filter, ilo) == 4);
static_assert(offsetof(T_Filter, tken) == 8);
static_assert(offsetof(T_Filter, tart) == 10);
static_assert(offsetof(T_Filter, von) == 12);
static_assert(offsetof(T_Filter, bis) == 20);
static_assert(offsetof(T_Filter, anz) == 32);
static_assert(offsetof(T_Filter, krit) == 36);
static_assert(offsetof(T_Filter, ip) == 316);
static_assert(offsetof(T_Filter, ioa1) == 336);
static_assert(offsetof(T_Filter, ein) == 340);
static_assert(offsetof(T_Filter, vonein) == 341);
static_assert(offsetof(T_Filter, bisein) == 342);
static_assert(offsetof(T_Filter, fok) == 343);
static_assert(offsetof(T_Filter, ffehl) == 344);
static_assert(offsetof(T_Filter, asdu) == 345);

}  // namespace qlxs
