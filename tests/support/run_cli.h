#pragma once
// Runs the real qlxs-cli binary of the build as a child process.

#include <string>
#include <vector>

namespace qlxs::test {

struct CliResult {
  int exit = -1;  ///< exit code; -1 when the process did not exit normally
  std::string out, err;
};

/// Runs `qlxs-cli args...`; stdout and stderr are collected through files in
/// `workDir`, which must exist.
CliResult RunCli(const std::string& workDir, std::vector<std::string> args);

}  // namespace qlxs::test
