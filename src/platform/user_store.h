#pragma once
/// The per-user store of the one setting that must be known before the data
/// directory is: the data directory itself. It is the file
/// $XDG_CONFIG_HOME/Brakel/DemoQuallixS.conf with a line DataDirectory=<path>.

#include <string>

namespace qlxs {

/// Path of the user store file.
std::string UserStorePath();

/// The stored data directory; empty when the file or the line is missing.
std::string ReadStoredDataDirectory();

/// Stores the data directory, creating the file and its directory when
/// missing and keeping the file's other lines. Returns 0 or an errno value.
int WriteStoredDataDirectory(const std::string& dir);

}  // namespace qlxs
