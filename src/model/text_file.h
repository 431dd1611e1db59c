#pragma once
/// Reading the plain text files that users and the program ship: language
/// text files, type-name files, element text files. They are read as UTF-8;
/// a file that is not valid UTF-8 is taken as Windows-1252 (as files made on
/// Windows usually are) and converted, so every line handed on is UTF-8.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qlxs {

/// True when `s` is well-formed UTF-8 (no overlong forms, no surrogates,
/// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view s);

/// Converts Windows-1252 bytes to UTF-8. The five byte values that code page
/// leaves undefined become U+FFFD.
std::string Cp1252ToUtf8(std::string_view s);

/// Turns file content into UTF-8 text: drops a UTF-8 byte order mark and
/// converts from Windows-1252 when the content is not valid UTF-8.
std::string DecodeTextFile(std::string_view bytes);

/// Splits text into lines at CR LF, LF or a lone CR. A line end at the very
/// end does not start another (empty) line.
std::vector<std::string> SplitLines(std::string_view text);

/// Reads the file at `path` as decoded lines (see above). Returns 0 on
/// success, otherwise the errno of the failing open or read; `lines` is then
/// empty.
int ReadTextLines(const std::string& path, std::vector<std::string>& lines);

/// Number of characters (code points) of UTF-8 text.
size_t Utf8Length(std::string_view s);

/// Byte offset of the character with the 0-based index `chars` in UTF-8
/// text; the size of the text when it has fewer characters.
size_t Utf8Offset(std::string_view s, size_t chars);

}  // namespace qlxs
