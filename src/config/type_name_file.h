#pragma once
/// The type-name file: the names of type identifications that the compact
/// and one-line formats show (the standard's abbreviations). Its name is
/// language text 298; it lies in the program directory. Each line reads
/// "<type> tz <name> tz ...", tz being the field separator `AllgVar.tz`.

#include "config/allg_var.h"

namespace qlxs {

/// Empties `v.TypeNames` and fills it from the file `v.ProgDir` + text 298.
/// Only the first 256 lines count (skipped lines included). A line with
/// fewer than two separators, or whose first field is not a decimal number
/// 0..255 (blanks around it allowed), is skipped; otherwise the text between
/// the first and the second separator becomes the name of that type, quotes
/// and blanks kept. Returns false when the file cannot be read (the table
/// then stays empty).
bool LoadTypeNames(T_AllgVar& v);

}  // namespace qlxs
