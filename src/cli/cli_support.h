#pragma once
/// Pieces the subcommands share.

#include <string>

namespace qlxs {
struct Monitor;
}

namespace qlxs::cli {

/// Sets the program directory of `m` from the running executable and loads
/// the German language texts, which also carry the cause lists the APDU
/// check needs. On failure the loader's message has gone to stderr and the
/// result is false; the caller ends with exit code 99, as the program does.
bool LoadProgramTexts(Monitor& m);

/// Parses a whole decimal number in [lo, hi]; false when `s` is anything else.
bool ParseNumber(const char* s, long lo, long hi, long& out);

/// True when `path` names an existing file that is not empty.
bool FileHasContent(const std::string& path);

}  // namespace qlxs::cli
