#include "support/run_cli.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

extern char** environ;

namespace qlxs::test {

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

CliResult RunCli(const std::string& workDir, std::vector<std::string> args) {
  const std::string exe = std::string(QLXS_BIN_DIR) + "/qlxs-cli";
  const std::string outPath = workDir + "/cli-stdout.txt", errPath = workDir + "/cli-stderr.txt";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  args.insert(args.begin(), exe);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  CliResult r;
  pid_t pid;
  if (posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.exit = WEXITSTATUS(status);
  }
  posix_spawn_file_actions_destroy(&fa);
  r.out = Slurp(outPath);
  r.err = Slurp(errPath);
  return r;
}

}  // namespace qlxs::test
