#pragma once
// Runs the real qlxs-cli binary of the build as a child process.

#include <string>
#include <utility>
#include <vector>

#include "support/scratch_dir.h"

namespace qlxs::test {

struct CliResult {
  int exit = -1;  ///< exit code; -1 when the process did not exit normally
  std::string out, err;
};

/// Runs `qlxs-cli args...`; stdout and stderr are collected through files in
/// `workDir`, which must exist.
CliResult RunCli(const std::string& workDir, std::vector<std::string> args);
inline CliResult RunCli(const ScratchDir& dir, std::vector<std::string> args) {
  return RunCli(dir.path(), std::move(args));
}

}  // namespace qlxs::test
