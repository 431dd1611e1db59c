#include "support/files.h"
#include "support/run_cli.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

extern char** environ;

namespace qlxs::test {

namespace {

// The child's environment: ours with `overrides`. Unless a test sets them,
// the formats of dates and numbers are pinned to the C locale, so output
// does not depend on the machine; the language of the messages (LC_ALL
// moved to LC_MESSAGES) stays as it was.
std::vector<std::string> Environment(EnvOverrides overrides) {
  const auto pin = [&](const std::string& name, const std::string& value) { overrides.try_emplace(name, value); };
  if (!overrides.count("LC_ALL")) {
    const char* all = std::getenv("LC_ALL");
    if (all && all[0]) pin("LC_MESSAGES", all);
    pin("LC_ALL", "");
  }
  pin("LC_TIME", "C");
  pin("LC_NUMERIC", "C");
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (!overrides.count(name)) env.push_back(entry);
  }
  for (const auto& [name, value] : overrides)
    if (!value.empty()) env.push_back(name + "=" + value);
  return env;
}

// Holds argv and envp for posix_spawn.
struct SpawnArgs {
  SpawnArgs(std::vector<std::string> args, const EnvOverrides& env) : argStore(std::move(args)) {
    argStore.insert(argStore.begin(), Exe());
    for (auto& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);
    envStore = Environment(env);
    for (auto& e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);
  }
  static std::string Exe() { return std::string(QLXS_BIN_DIR) + "/qlxs-cli"; }
  std::vector<std::string> argStore, envStore;
  std::vector<char*> argv, envp;
};

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CliResult RunCli(const std::string& workDir, std::vector<std::string> args, const EnvOverrides& env) {
  const std::string outPath = workDir + "/cli-stdout.txt", errPath = workDir + "/cli-stderr.txt";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  SpawnArgs a(std::move(args), env);
  CliResult r;
  pid_t pid;
  if (posix_spawn(&pid, SpawnArgs::Exe().c_str(), &fa, nullptr, a.argv.data(), a.envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.exit = WEXITSTATUS(status);
  }
  posix_spawn_file_actions_destroy(&fa);
  r.out = ReadFile(outPath);
  r.err = ReadFile(errPath);
  return r;
}

CliChild::CliChild(const std::vector<std::string>& args, const EnvOverrides& env, const std::string& errPath)
    : errPath_(errPath) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return;
  SpawnArgs a(args, env);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // The child starts with no signal blocked and the stop signals at their
  // default action, whatever the test runner does.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, stops;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigemptyset(&stops);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&stops, sig);
  posix_spawnattr_setsigdefault(&attr, &stops);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  if (posix_spawn(&pid_, SpawnArgs::Exe().c_str(), &fa, &attr, a.argv.data(), a.envp.data()) != 0) pid_ = -1;
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&fa);
  ::close(fds[1]);
  outFd_ = fds[0];
  ::fcntl(outFd_, F_SETFL, O_NONBLOCK);
}

CliChild::~CliChild() {
  if (pid_ > 0 && status_ == -3) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) ::close(outFd_);
}

void CliChild::Drain(int waitMs) {
  if (outFd_ < 0) return;
  pollfd p{outFd_, POLLIN, 0};
  if (::poll(&p, 1, waitMs) <= 0) return;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(outFd_, buf, sizeof buf);
    if (n > 0) {
      out_.append(buf, static_cast<size_t>(n));
      continue;
    }
    if (n == 0) {
      ::close(outFd_);
      outFd_ = -1;
    }
    break;
  }
}

bool CliChild::WaitOutput(const std::function<bool(const std::string&)>& done, int timeoutMs) {
  const int64_t end = NowMs() + timeoutMs;
  for (;;) {
    if (done(out_)) return true;
    const int64_t left = end - NowMs();
    if (left <= 0 || outFd_ < 0) return done(out_);
    Drain(static_cast<int>(std::min<int64_t>(left, 50)));
  }
}

void CliChild::Signal(int sig) {
  if (pid_ > 0 && status_ == -3) ::kill(pid_, sig);
}

int CliChild::Wait(int timeoutMs) {
  if (pid_ <= 0) return -2;
  if (status_ != -3) return status_;
  const int64_t end = NowMs() + timeoutMs;
  for (;;) {
    Drain(10);
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      while (outFd_ >= 0) Drain(100);
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return status_;
    }
    if (NowMs() > end) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      status_ = -2;
      return status_;
    }
  }
}

std::string CliChild::err() const { return ReadFile(errPath_); }

bool MakeSimulatedLog(const ScratchDir& dir, const std::string& log, const std::vector<std::string>& options) {
  std::vector<std::string> simulate = {"simulate", "--out1", dir.file("a"), "--out2", dir.file("b")};
  simulate.insert(simulate.end(), options.begin(), options.end());
  return RunCli(dir, simulate).exit == 0 && RunCli(dir, {"feed", log, dir.file("a"), dir.file("b")}).exit == 0;
}

}  // namespace qlxs::test
