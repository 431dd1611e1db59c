#pragma once
/// Filter files: one `T_Filter`, exactly its 348 bytes, with the length
/// word `lg` = 348. The filter dialog saves either filter to such a file and
/// loads it back.

#include <string>

#include "config/filter_record.h"

namespace qlxs {

/// Size of a filter file and the length word it carries.
inline constexpr int kFilterFileSize = static_cast<int>(sizeof(T_Filter));

/// Reads the filter file `path` into `out`. Only a regular file of exactly
/// 348 bytes whose length word is 348 is taken; anything else (a missing or
/// unreadable file, a directory or device, another size, another length
/// word) returns false with `why` saying what is wrong (the caller names
/// the file), and leaves `out` as it was. Never blocks on a pipe.
bool ReadFilterFile(const std::string& path, T_Filter& out, std::string& why);

/// Writes `filter` with `lg` = 348 to `path` as a filter file. The file is
/// written beside `path` under another name, flushed to the device and then
/// renamed over `path`, so a failure or a crash leaves the old file or the
/// new one, never part of one. Returns false with `why` saying why it could
/// not be written.
bool WriteFilterFile(const std::string& path, const T_Filter& filter, std::string& why);

}  // namespace qlxs
