#pragma once
/// Formatting with language texts as format strings. The texts are data from
/// a file, so they must never reach printf: this formatter reads the format
/// notation of the language files and takes typed arguments, and a text
/// whose specifiers do not match the arguments gives a wrong-looking result,
/// never undefined behaviour.
///
/// Notation: "%" [index ":"] ["-"] [width] ["." precision] kind, where
/// width and precision are digits or "*" (taken from the next integer
/// argument). Kinds: d (integer; precision = minimum digits), u (integer),
/// x (integer in upper-case hexadecimal), f (fixed), e (scientific),
/// g (general), n and m (fixed with thousands separators; "%.0n" for counts),
/// s (text; precision = maximum characters), p (treated as x). "%%" is a
/// percent sign. Reals take the decimal separator in force
/// (platform/locale_formats.h). Widths count
/// characters; "-" aligns left.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace qlxs {

/// One argument: an integer, a real number or a text. A text argument refers
/// to its characters without copying them: arguments live only for the call
/// they are written in, as the formatters take them.
struct FormatArg {
  FormatArg(int v) : value(static_cast<int64_t>(v)) {}
  FormatArg(unsigned v) : value(static_cast<int64_t>(v)) {}
  FormatArg(long v) : value(static_cast<int64_t>(v)) {}
  FormatArg(long long v) : value(static_cast<int64_t>(v)) {}
  FormatArg(unsigned long v) : value(static_cast<int64_t>(v)) {}
  FormatArg(double v) : value(v) {}
  FormatArg(const char* v) : value(std::string_view(v)) {}
  FormatArg(const std::string& v) : value(std::string_view(v)) {}
  FormatArg(std::string_view v) : value(v) {}
  std::variant<int64_t, double, std::string_view> value;
};

/// Formats `fmt` with `args`. An argument of another kind than its
/// specifier asks for is converted (numbers to text, integers to reals and
/// back, a text stands for itself); a missing argument gives nothing.
std::string FormatText(std::string_view fmt, std::initializer_list<FormatArg> args);
/// `FormatText` appended to `out`.
void AppendFormatText(std::string& out, std::string_view fmt, std::initializer_list<FormatArg> args);

/// The kinds of arguments `fmt` takes, in order: 'i' integer (also for each
/// "*"), 'r' real, 's' text, 'p' pointer, '?' followed by the letter of an
/// unknown kind. Used to check language files.
std::string FormatArgumentKinds(std::string_view fmt);

}  // namespace qlxs
