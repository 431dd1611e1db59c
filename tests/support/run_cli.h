#pragma once
// Runs the real qlxs-cli binary of the build as a child process, as a user
// or a script runs it: to its end, or while it runs (its standard output
// read as it comes, signals sent to it).

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

#include "support/scratch_dir.h"

namespace qlxs::test {

struct CliResult {
  int exit = -1;  ///< exit code; -1 when the process did not exit normally
  std::string out, err;
};

/// Environment changes for the child: each name gets its value; an empty
/// value removes the variable.
using EnvOverrides = std::map<std::string, std::string>;

/// Runs `qlxs-cli args...`; stdout and stderr are collected through files in
/// `workDir`, which must exist.
CliResult RunCli(const std::string& workDir, std::vector<std::string> args, const EnvOverrides& env = {});
inline CliResult RunCli(const ScratchDir& dir, std::vector<std::string> args) {
  return RunCli(dir.path(), std::move(args));
}

/// Makes the telegram log `log` from the line that `qlxs-cli simulate`
/// writes with `options` (files a and b in `dir`), fed through `qlxs-cli
/// feed`. False when either command fails.
bool MakeSimulatedLog(const ScratchDir& dir, const std::string& log, const std::vector<std::string>& options);

/// qlxs-cli running in the background.
class CliChild {
 public:
  /// Starts `qlxs-cli args...` with the environment changed by `env`.
  /// Standard error goes to the file `errPath`.
  CliChild(const std::vector<std::string>& args, const EnvOverrides& env, const std::string& errPath);
  /// Kills the child if it still runs.
  ~CliChild();
  CliChild(const CliChild&) = delete;
  CliChild& operator=(const CliChild&) = delete;

  bool started() const { return pid_ > 0; }
  /// Reads standard output until `done(output so far)` holds or `timeoutMs`
  /// passes; returns whether it held.
  bool WaitOutput(const std::function<bool(const std::string&)>& done, int timeoutMs);
  /// Sends a signal.
  void Signal(int sig);
  /// Waits for the child to end, reading the rest of its output. Returns its
  /// exit status, -1 when a signal ended it, -2 when it did not end in time
  /// (it is then killed).
  int Wait(int timeoutMs);

  /// Standard output read so far.
  const std::string& out() const { return out_; }
  /// Standard error so far.
  std::string err() const;

 private:
  void Drain(int waitMs);

  pid_t pid_ = -1;
  int outFd_ = -1;
  std::string out_;
  std::string errPath_;
  int status_ = -3;
};

}  // namespace qlxs::test
