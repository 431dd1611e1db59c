#pragma once
/// General parameters: address structures, log size, 100 % value and both
/// filters. The block travels in the header of every telegram log file.

#include <cstddef>
#include <cstdint>

#include "config/address_structure.h"
#include "config/filter_record.h"

namespace qlxs {

#pragma pack(push, 1)
/// 1000 bytes.
struct T_AllgPar {
  int32_t lg;            ///< 1000 (788 in an older header layout)
  int32_t ilo;           ///< control focused last in the general settings dialog
  T_AdrStruktur cabrt;   ///< structure of the common address
  T_AdrStruktur oabrt;   ///< structure of the information object address
  uint8_t res1[16];
  int32_t maxlog;        ///< maximum size of the telegram log file
  int32_t mw100;         ///< raw normalised value shown as 100 %
  T_Filter afilt;        ///< display filter
  T_Filter lfilt;        ///< log filter
  uint8_t res2[224];
};
#pragma pack(pop)
static_assert(sizeof(T_AllgPar) == 1000);
static_assert(offsetof(T_AllgPar, ilo) == 4);
static_assert(offsetof(T_AllgPar, cabrt) == 8);
static_assert(offsetof(T_AllgPar, oabrt) == 32);
static_assert(offsetof(T_AllgPar, maxlog) == 72);
static_assert(offsetof(T_AllgPar, mw100) == 76);
static_assert(offsetof(T_AllgPar, afilt) == 80);
static_assert(offsetof(T_AllgPar, lfilt) == 428);
static_assert(offsetof(T_AllgPar, res2) == 776);

/// Length of the older general parameter layout found in some log headers.
inline constexpr int kAllgParOldLength = 788;

/// The defaults: CA one field of 16 bits, IOA one field of 24 bits, log size
/// 100, 100 % = 32000, both filters all zero.
T_AllgPar DefaultAllgPar();

}  // namespace qlxs
