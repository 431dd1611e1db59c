#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "sim/line_simulator.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

struct CliRun {
  int code;
  std::string output;  // stdout and stderr
};

CliRun Cli(const std::string& args) {
  const std::string cmd = std::string(QLXS_BIN_DIR) + "/qlxs-cli simulate " + args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  CliRun r{-1, ""};
  if (!p) return r;
  char buf[512];
  while (size_t n = fread(buf, 1, sizeof buf, p)) r.output.append(buf, n);
  const int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(SimulateCli, WritesTheSimulatedLines) {
  const struct {
    std::string args;
    bool allTypes;
  } cases[] = {{"", false}, {" --all-types", true}};
  for (const auto& c : cases) {
    test::ScratchDir dir;
    const CliRun r = Cli("--seed 5 --apdus 80 --split 30 --faults garbage,wrong-cause --out1 " + dir.file("a") +
                         " --out2 " + dir.file("b") + c.args);
    ASSERT_EQ(r.code, 0) << r.output;
    sim::SimOptions o;
    o.seed = 5;
    o.apdus = 80;
    o.splitPercent = 30;
    o.faults = sim::FaultBit(sim::Fault::Garbage) | sim::FaultBit(sim::Fault::WrongCause);
    o.allTypes = c.allTypes;
    const sim::SimResult want = sim::SimulateLine(o);
    EXPECT_EQ(test::ReadFileBytes(dir.file("a")), want.line[0]) << c.args;
    EXPECT_EQ(test::ReadFileBytes(dir.file("b")), want.line[1]) << c.args;
    EXPECT_NE(r.output.find("APDUs"), std::string::npos);
  }
}

TEST(SimulateCli, UsageAndFileErrors) {
  test::ScratchDir dir;
  const struct {
    std::string args;
    int code;
    std::string says;
  } cases[] = {
      {"--help", 0, "--out1"},
      {"--out1 " + dir.file("a"), 2, "--out1 and --out2 are required"},
      {"--seed x --out1 a --out2 b", 2, "--seed"},
      {"--apdus", 2, "--apdus needs a value"},
      {"--faults wrong,garbage --out1 a --out2 b", 2, "unknown fault"},
      {"--bogus", 2, "unknown option '--bogus'"},
      {"--out1 " + dir.file("no/such/dir") + " --out2 " + dir.file("b"), 1, dir.file("no/such/dir")},
  };
  for (const auto& c : cases) {
    const CliRun r = Cli(c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << c.args << "\n" << r.output;
  }
}

}  // namespace
}  // namespace qlxs
