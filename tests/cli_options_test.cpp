// Every qlxs-cli command reads its arguments the same way: help, unknown
// options, missing values, the "--name=value" form and "--".

#include <gtest/gtest.h>

#include "support/run_cli.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using test::CliResult;
using test::RunCli;
using test::ScratchDir;

const char* const kCommands[] = {"capture", "feed", "records", "replay", "show", "simulate"};

bool Has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

TEST(CliOptions, EveryCommandTreatsHelpAndMistakesAlike) {
  ScratchDir dir;
  for (const std::string c : kCommands) {
    for (const char* help : {"--help", "-h"}) {
      const CliResult r = RunCli(dir, {c, "--bogus", help});
      EXPECT_EQ(r.exit, 0) << c << " " << help << " wins over a bad option";
      EXPECT_TRUE(Has(r.out, "Usage: qlxs-cli " + c)) << c << "\n" << r.out;
      EXPECT_EQ(r.err, "") << c;
    }
    const struct {
      std::vector<std::string> args;
      std::string says;
    } mistakes[] = {
        {{c, "--bogus"}, "qlxs-cli " + c + ": unknown option '--bogus'"},
        {{c, "--bogus=1"}, "qlxs-cli " + c + ": unknown option '--bogus'"},
    };
    for (const auto& m : mistakes) {
      const CliResult r = RunCli(dir, m.args);
      EXPECT_EQ(r.exit, 2) << m.args.back();
      EXPECT_TRUE(Has(r.err, m.says)) << r.err;
      EXPECT_TRUE(Has(r.err, "Usage: qlxs-cli " + c)) << "the synopsis follows the problem\n" << r.err;
      EXPECT_TRUE(Has(r.err, "Run 'qlxs-cli " + c + " --help'")) << r.err;
      EXPECT_EQ(r.out, "");
    }
  }
}

TEST(CliOptions, ValuesAndPositionalsInAnyForm) {
  ScratchDir dir;
  const struct {
    std::vector<std::string> args;
    int exit;
    std::string says;
  } cases[] = {
      {{"feed", "x.lg4", "a", "--size=0"}, 2, "--size takes a number of MB from 1 to 2000"},
      {{"feed", "--force=yes", "x.lg4", "a"}, 2, "--force takes no value"},
      {{"simulate", "--out1=" + dir.file("o1"), "--out2", dir.file("o2"), "--apdus=3"}, 0, ""},
      {{"records", "--", "-name-with-dash.lg4"}, 1, "-name-with-dash.lg4"},
      {{"records", "a.lg4", "b.lg4"}, 2, "expected exactly one argument"},
      {{"capture", "extra", "--log", "x.lg4"}, 2, "unexpected argument 'extra'"},
  };
  for (const auto& c : cases) {
    const CliResult r = RunCli(dir, c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args[0] << " " << c.args.back() << "\n" << r.err;
    EXPECT_TRUE(Has(r.err, c.says)) << r.err;
  }
}

}  // namespace
}  // namespace qlxs
