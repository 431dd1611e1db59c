#pragma once
/// Address structure: how a common address or an information object address
/// splits into fields. Part of the general parameters stored in every log
/// file header, so the layout is a file format.

#include <cstddef>
#include <cstdint>

namespace qlxs {

#pragma pack(push, 1)
/// 24 bytes: the number of fields and their widths, most significant first.
struct T_AdrStruktur {
  int32_t anz;    ///< number of fields, 1..5
  int32_t fd[5];  ///< fd[0] .. fd[4]: widths of fields 1..5 (bits, or digit counts in AllgVar)
};
#pragma pack(pop)
static_assert(sizeof(T_AdrStruktur) == 24);
static_assert(offsetof(T_AdrStruktur, fd) == 4);

/// One field of the given width in bits.
constexpr T_AdrStruktur SingleField(int32_t bits) { return T_AdrStruktur{1, {bits, 0, 0, 0, 0}}; }

}  // namespace qlxs
