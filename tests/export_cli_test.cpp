// qlxs-cli export and extract on a simulated log: the text file holds what
// show prints, framed by the page header and the end line; the extract
// holds the admitted telegrams, unchanged and numbered from 1.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/filter_file.h"
#include "model/telegram.h"
#include "support/apdu_telegram.h"
#include "support/files.h"
#include "support/records_listing.h"
#include "support/run_cli.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using test::CliResult;
using test::RunCli;
using test::ScratchDir;

std::vector<std::string> Lines(const std::string& s) { return test::SplitLines(s); }

class ExportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::MakeSimulatedLog(dir, log, {"--apdus", "40", "--faults", "all", "--fault-every", "5"}));
  }
  ScratchDir dir;
  const std::string log = dir.file("x.lg4");
};

TEST_F(ExportCommand, TextFileHoldsWhatShowPrints) {
  const std::vector<std::string> view = {"--format", "logisch", "--time", "on", "--link", "on", "--lang", "usa"};
  std::vector<std::string> showArgs = {"show", log}, exportArgs = {"export", log, dir.file("x.txt")};
  showArgs.insert(showArgs.end(), view.begin(), view.end());
  exportArgs.insert(exportArgs.end(), view.begin(), view.end());
  const CliResult shown = RunCli(dir, showArgs);
  const CliResult exported = RunCli(dir, exportArgs);
  ASSERT_EQ(exported.exit, 0) << exported.err;
  EXPECT_EQ(exported.out, "");
  const std::vector<std::string> text = Lines(test::ReadFile(dir.file("x.txt")));
  ASSERT_GT(text.size(), 4u);
  EXPECT_EQ(text[0].rfind(log, 0), 0u) << "the page header names the log: " << text[0];
  EXPECT_NE(text[0].find("page  1"), std::string::npos) << text[0];
  EXPECT_EQ(text[1], "");
  EXPECT_EQ(text.back(), "*** End of output ***");
  // Between header and end: the lines of show, an empty line after each
  // telegram (all on one day, so no date line).
  std::vector<std::string> body;
  for (size_t i = 2; i + 1 < text.size(); ++i)
    if (!text[i].empty()) body.push_back(text[i]);
  EXPECT_EQ(body, Lines(shown.out));

  const CliResult toStdout = RunCli(dir, {"export", log, "-", "--format", "byteser"});
  EXPECT_EQ(toStdout.exit, 0);
  EXPECT_EQ(Lines(toStdout.out).back(), "*** End of output ***");
}

TEST_F(ExportCommand, ExtractHoldsTheAdmittedTelegramsNumberedFromOne) {
  T_Filter faultyOnly{};
  faultyOnly.tken = 3;
  faultyOnly.ffehl = 1;
  std::string why;
  const std::string filter = dir.file("faulty.flt");
  ASSERT_TRUE(WriteFilterFile(filter, faultyOnly, why)) << why;
  const std::string out = dir.file("faulty.lg4");
  const CliResult r = RunCli(dir, {"extract", log, out, "--filter", filter});
  ASSERT_EQ(r.exit, 0) << r.err;

  std::vector<T_Telegramm> want;
  for (const T_Telegramm& t : test::ParseRecordsListing(RunCli(dir, {"records", log}).out))
    if (IsFaultyStatus(t.stat) && t.ta != TaEvent) want.push_back(t);
  const std::vector<T_Telegramm> got = test::ParseRecordsListing(RunCli(dir, {"records", out}).out);
  ASSERT_FALSE(want.empty());
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].nr, static_cast<int>(i + 1));
    EXPECT_EQ(got[i].stat, want[i].stat);
    EXPECT_EQ(got[i].lg, want[i].lg);
    EXPECT_EQ(std::memcmp(got[i].b, want[i].b, static_cast<size_t>(want[i].lg)), 0) << "telegram " << i + 1;
  }
  EXPECT_NE(r.out.find(std::to_string(want.size()) + " telegrams extracted into " + out), std::string::npos) << r.out;
}

TEST_F(ExportCommand, RefusesToOverwriteEvidence) {
  const std::string existing = dir.write("old.lg4", "evidence");
  const struct {
    std::vector<std::string> args;
    int exit;
    std::string says;
  } cases[] = {
      {{"extract", log, existing}, 1, existing + " exists already; use --force"},
      {{"extract", log, log, "--force"}, 2, "LOG and OUT.lg4 are the same file"},
      {{"export", log, log}, 2, "LOG and OUT are the same file"},
      {{"extract", log, dir.file("no/such/x.lg4")}, 1, dir.file("no/such/x.lg4") + ": cannot create"},
      {{"export", log, dir.file("no/such/x.txt")}, 1, dir.file("no/such/x.txt") + ": cannot write"},
      {{"extract", log, dir.file("y.lg4"), "--size", "0"}, 2, "--size takes a number of MB from 1 to 2000"},
  };
  for (const auto& c : cases) {
    const CliResult r = RunCli(dir, c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args[0] << " " << c.args[2] << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::ReadFile(existing), "evidence");
  EXPECT_GT(test::ReadFile(log).size(), 2144u) << "the log is never changed";
}

}  // namespace
}  // namespace qlxs
