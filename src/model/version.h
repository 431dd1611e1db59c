#pragma once
/// The program version.

namespace qlxs {

/// The version of this build ("MAJOR.MINOR.PATCH"), from the build's project
/// version. Only version.cpp carries it, so a new version recompiles one file.
const char* ProgramVersion();

}  // namespace qlxs
