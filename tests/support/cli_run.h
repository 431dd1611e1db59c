#pragma once
// Runs the qlxs-cli binary of the build with its output in files.

#include <string>
#include <vector>

#include "support/log_fixture.h"

namespace qlxs::test {

/// Exit code (-1 when it did not exit normally), standard output and standard error.
struct CliResult {
  int exit = -1;
  std::string out, err;
};

/// Runs `qlxs-cli ARGS...` without a shell; its output goes through files in `dir`.
CliResult RunCli(const TempDir& dir, std::vector<std::string> args);

}  // namespace qlxs::test
