#pragma once
/// Splitting the lines of the separator-delimited text files that users
/// write (the element text file, the type-name file) into fields, and
/// reading small numbers from those fields. All work on views of the line,
/// so splitting allocates nothing.

#include <cstdint>
#include <optional>
#include <string_view>

namespace qlxs {

/// `s` without blanks and control characters at both ends.
std::string_view TrimBlanks(std::string_view s);

/// Returns the part of `text` before the first `sep` and removes that part
/// and the separator from `text`. When `sep` does not occur, returns the
/// whole text and leaves `text` empty.
std::string_view SplitAt(std::string_view& text, char sep);

/// The next field of a line: `SplitAt` with the field separator `tz`.
inline std::string_view SplitField(std::string_view& text, char tz) { return SplitAt(text, tz); }

/// Number of separator characters `tz` in `text`.
int CountSeparators(std::string_view text, char tz);

/// `text` (blanks at both ends allowed) as a decimal integer with an
/// optional sign. Fails when it is not one, does not fit 32 bits, or, when
/// `low` != `high`, lies outside low..high.
std::optional<int32_t> ParseIntRange(std::string_view text, int32_t low, int32_t high);

/// Removes a double quote at the start of `line` and, when there was one,
/// a double quote at its very end (users quote whole lines in spreadsheet
/// exports).
std::string_view StripQuotes(std::string_view line);

}  // namespace qlxs
