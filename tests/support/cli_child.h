#pragma once
// qlxs-cli run as a child process, as a user or a script runs it: with its
// own environment, its standard output read while it runs, signals sent to
// it, and its exit status.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/types.h>

namespace qlxs::test {

class CliChild {
 public:
  /// Starts the built qlxs-cli with `args`. `env` overrides the inherited
  /// environment; an empty value removes the variable. Standard error goes
  /// to the file `errPath`.
  CliChild(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
           const std::string& errPath);
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

/// Runs qlxs-cli to its end (at most 20 s); `out`, `err` and the exit status.
struct CliResult {
  int exit = -3;
  std::string out, err;
};
CliResult RunCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                 const std::string& errPath);

}  // namespace qlxs::test
