#pragma once
/// The language text table and the type list derived from it: the plain
/// data that everything reading texts by number, and the type and cause
/// tables, work with. The run-time values of the program extend it.

#include <string>
#include <vector>

namespace qlxs {

struct T_TextTable {
  std::vector<std::string> TxtList;  ///< language text table; index = text number
  std::string TypStr;                ///< type list: defined type identifications, ascending
  int maxpicktyp = 0;                ///< length of TypStr
};

/// Text `n`; the empty string when n is negative or not below the number of
/// texts in the table.
const std::string& Text(const T_TextTable& v, int n);
/// Replaces text `n` when 0 <= n < number of texts; otherwise nothing.
void SetText(T_TextTable& v, int n, std::string s);
/// Length of `Text(n)` in characters (code points of its UTF-8 text).
int TextLength(const T_TextTable& v, int n);

}  // namespace qlxs
