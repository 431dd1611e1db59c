#pragma once
/// Names of type identifications and causes of transmission, taken from
/// the language texts. A name text has two halves separated by its first
/// double blank: a short name (the standard's abbreviation, "M_SP_NA_1")
/// before it and a long name ("Single-point information") after it.

#include <string>

#include "model/text_table.h"

namespace qlxs {

/// Selects the long half; every other value selects the short half. Equal
/// to the output format number of the "Logisch" format, so the renderer can
/// pass its format.
inline constexpr int kLongHalf = 3;

/// Text `n` split at its first double blank: for `half` = kLongHalf the part
/// after it, otherwise the part before it. A text without a double blank is
/// returned whole for both halves.
std::string TextHalf(const T_TextTable& v, int n, int half);
/// `TextHalf` of text 70 + type for types 0..127, of text 198 for all other
/// types.
std::string TypeName(const T_TextTable& v, int type, int half);
/// `TextHalf` of text 202 + cause for causes 0..63; other values take text
/// 202 (the text of a cause without name).
std::string CauseName(const T_TextTable& v, int cause, int half);
/// Entry of the type pick list for the type at 1-based `position` of the
/// type list: types 128..133 show text 950 + type as it stands, all others
/// " <type>=<long name>". With `full` false the types 121, 123, 124 and 125
/// show text 1077 as their name.
std::string TypeListEntry(const T_TextTable& v, int position, bool full);
/// Entry of the cause pick list: " <cause>=<long name>".
std::string CauseListEntry(const T_TextTable& v, int cause);

}  // namespace qlxs
