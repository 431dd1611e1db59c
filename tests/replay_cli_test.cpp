// qlxs-cli replay: a log re-analysed into a new log, and how it fails.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "capture/receiver.h"
#include "log/telegram_log.h"
#include "sim/line_simulator.h"
#include "support/capture_fixture.h"
#include "support/log_fixture.h"
#include "support/records_listing.h"
#include "support/run_cli.h"

namespace qlxs {
namespace {

using test::CliResult;
using test::ReadFileBytes;
using test::RunCli;
using test::ScratchDir;

// A fed log of a simulated line with split APDUs and faults, made by the programs.
std::string FedLog(const ScratchDir& dir) {
  const std::string line1 = dir.file("line1"), line2 = dir.file("line2"), log = dir.file("fed.lg4");
  EXPECT_EQ(RunCli(dir, {"simulate", "--seed", "8", "--apdus", "400", "--split", "30", "--faults", "all",
                         "--fault-every", "12", "--out1", line1, "--out2", line2})
                .exit,
            0);
  EXPECT_EQ(RunCli(dir, {"feed", log, line1, line2}).exit, 0);
  return log;
}

// The re-analysed log lists exactly what the fed log lists, time stamps
// included; the log that was re-analysed is not changed.
TEST(ReplayCommand, ReanalysedLogListsLikeTheOriginal) {
  ScratchDir dir;
  const std::string in = FedLog(dir);
  const std::vector<uint8_t> before = ReadFileBytes(in);
  const std::string out = dir.file("again.lg4");
  const CliResult r = RunCli(dir, {"replay", in, out});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("stored in " + out), std::string::npos) << r.out;
  EXPECT_EQ(ReadFileBytes(in), before);

  const CliResult original = RunCli(dir, {"records", in});
  const CliResult again = RunCli(dir, {"records", out});
  ASSERT_EQ(original.exit, 0);
  ASSERT_EQ(again.exit, 0);
  EXPECT_GT(test::ParseRecordsListing(original.out).size(), 1000u);
  EXPECT_EQ(again.out, original.out);
}

// The new log is analysed with the port parameters stored in the old one:
// a capture of a station on another TCP port yields its APDUs again.
TEST(ReplayCommand, UsesThePortParametersStoredInTheLog) {
  ScratchDir dir;
  const std::string in = dir.file("port2405.lg4");
  sim::SimOptions o;
  o.seed = 3;
  o.apdus = 60;
  o.port = 2405;
  const sim::SimResult s = sim::SimulateLine(o);
  size_t apdus = 0;
  {
    test::CaptureFixture fx;
    for (T_ComVar& port : fx.m.ports) port.bp.port = 2405;
    LogNew(fx.m, in);
    for (int line = 0; line < 2; ++line) ReceiveBlock(fx.m, fx.m.ports[line], s.line[line].data(), s.line[line].size());
    for (const T_Telegramm& t : fx.stored) apdus += t.ta >= TaIFormat && t.ta <= TaUFormat && t.stat != StatFragment;
    LogClose(fx.m);
  }
  ASSERT_GT(apdus, 50u);

  const std::string out = dir.file("again.lg4");
  ASSERT_EQ(RunCli(dir, {"replay", in, out}).exit, 0);
  const CliResult listing = RunCli(dir, {"records", out});
  size_t again = 0;
  for (const T_Telegramm& t : test::ParseRecordsListing(listing.out))
    again += t.ta >= TaIFormat && t.ta <= TaUFormat && t.stat != StatFragment;
  EXPECT_EQ(again, apdus);
}

TEST(ReplayCommand, UsageAndFileErrors) {
  ScratchDir dir;
  const std::string in = FedLog(dir);
  const std::string notLog = dir.file("line1");
  const std::string existing = dir.file("existing.lg4");
  test::WriteFileBytes(existing, {1, 2, 3});
  const std::string fresh = dir.file("fresh.lg4");
  const std::string truncated = dir.file("truncated.lg4");
  std::vector<uint8_t> cut = ReadFileBytes(in);
  cut.resize(static_cast<size_t>(BlockFileOffset(1) + 500));
  test::WriteFileBytes(truncated, cut);
  const std::vector<uint8_t> inBytes = ReadFileBytes(in);

  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string says;      // in stderr (stdout for --help)
    bool freshWritten;     // `fresh` exists afterwards
  };
  const Case cases[] = {
      {{"replay", "--help"}, 0, "Usage: qlxs-cli replay IN LOG", false},
      {{"replay"}, 2, "expected IN and LOG", false},
      {{"replay", in}, 2, "expected IN and LOG", false},
      {{"replay", "--bogus", in, fresh}, 2, "unknown option '--bogus'", false},
      {{"replay", in, fresh, "--size", "0"}, 2, "--size takes a number of MB from 1 to 2000", false},
      {{"replay", in, fresh, "--size", "2001"}, 2, "--size takes", false},
      {{"replay", in, in, "--force"}, 2, "same file", false},
      {{"replay", in, dir.path() + "/./fed.lg4", "--force"}, 2, "same file", false},
      {{"replay", notLog, fresh}, 1, notLog + ": not a telegram log file", false},
      {{"replay", dir.file("missing.lg4"), fresh}, 1, dir.file("missing.lg4") + ": no such file", false},
      {{"replay", in, existing}, 1, existing + " exists already", false},
      {{"replay", in, dir.file("no/such/dir.lg4")}, 1, dir.file("no/such/dir.lg4"), false},
      {{"replay", truncated, fresh}, 1, truncated + ": 2 block(s) could not be read", true},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    ::unlink(fresh.c_str());
    const CliResult r = RunCli(dir, c.args);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    const std::string& text = c.exit == 0 ? r.out : r.err;
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
    EXPECT_EQ(test::FileExists(fresh), c.freshWritten);
  }
  EXPECT_EQ(ReadFileBytes(in), inBytes);
  EXPECT_EQ(ReadFileBytes(existing), (std::vector<uint8_t>{1, 2, 3}));

  // What could be read of the truncated log is in the new one.
  ASSERT_EQ(RunCli(dir, {"replay", "--force", truncated, fresh}).exit, 1);
  const CliResult listing = RunCli(dir, {"records", fresh});
  EXPECT_EQ(listing.exit, 0);
  EXPECT_GT(test::ParseRecordsListing(listing.out).size(), 100u);
}

using test::LogState;
using test::ReadLogState;

// The new log's size comes from --size or else from IN's header. A log that
// uses more blocks than the new one holds is warned about before the
// replay, and the summary says how many of the oldest telegrams the ring
// overwrote, as the new log file shows.
TEST(ReplayCommand, SizeOfTheNewLogAndWhatItsRingOverwrote) {
  ScratchDir dir;
  const std::string line1 = dir.file("line1"), line2 = dir.file("line2"), big = dir.file("big.lg4");
  ASSERT_EQ(RunCli(dir, {"simulate", "--seed", "4", "--apdus", "12000", "--out1", line1, "--out2", line2}).exit, 0);
  ASSERT_EQ(RunCli(dir, {"feed", big, line1, line2}).exit, 0);
  const LogState in = ReadLogState(big);
  ASSERT_TRUE(in.valid);
  ASSERT_GT(in.stand.aktbl + 1, LogCapacityBlocks(1)) << "more than a ring of 1 MB holds";
  const std::regex summary(
      R"((\d+) telegrams stored in \S+ from \d+ frames of \S+; )"
      R"(the ring overwrote the oldest (\d+), \S+ keeps the newest (\d+)\n)");

  struct Case {
    std::string in;
    std::vector<std::string> size;
    int32_t maxlog;        // stored in the new log
    std::string warns;     // "" for no warning
  };
  const std::string small = dir.file("small.lg4");
  const Case cases[] = {
      {big, {"--size", "1"}, 1, big + " will not fit into " + small + ": it uses " +
                                    std::to_string(in.stand.aktbl + 1) + " blocks"},
      {small, {}, 1, ""},  // IN's size; the telegrams of a full ring of that size fit again
      {big, {}, 100, ""},
  };
  for (const Case& c : cases) {
    const std::string out = dir.file("out.lg4");
    std::vector<std::string> args = {"replay", c.in, c.size.empty() ? out : small, "--force"};
    args.insert(args.end(), c.size.begin(), c.size.end());
    SCOPED_TRACE(args[1] + " " + args[2]);
    const CliResult r = RunCli(dir, args);
    ASSERT_EQ(r.exit, 0) << r.err;
    const LogState state = ReadLogState(args[2]);
    ASSERT_TRUE(state.valid);
    EXPECT_EQ(state.maxlog, c.maxlog);
    EXPECT_EQ(+state.stand.anzbl, LogCapacityBlocks(c.maxlog));
    if (c.warns.empty()) {
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(+state.stand.erstnr, 1);
      EXPECT_EQ(r.out.find("overwrote"), std::string::npos) << r.out;
    } else {
      EXPECT_NE(r.err.find(c.warns), std::string::npos) << r.err;
      EXPECT_NE(r.err.find("telegrams were overwritten"), std::string::npos) << r.err;
      std::smatch m;
      ASSERT_TRUE(std::regex_match(r.out, m, summary)) << r.out;
      EXPECT_EQ(std::stoi(m[1]), +state.stand.letztnr);
      EXPECT_EQ(std::stoi(m[2]), state.stand.erstnr - 1);
      EXPECT_EQ(std::stoi(m[3]), state.stand.letztnr - state.stand.erstnr + 1);
      EXPECT_GT(+state.stand.erstnr, 1);
    }
  }
}

}  // namespace
}  // namespace qlxs
