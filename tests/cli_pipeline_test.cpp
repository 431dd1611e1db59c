// The capture path through the real programs: the octets `qlxs-cli simulate`
// writes, fed into a log by `qlxs-cli feed` and listed by `qlxs-cli records`,
// are exactly the telegrams the simulator predicts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/line_simulator.h"
#include "support/log_fixture.h"
#include "support/records_listing.h"
#include "support/run_cli.h"
#include "support/sim_compare.h"

namespace qlxs {
namespace {

using test::RunCli;
using test::ScratchDir;

struct Variant {
  const char* name;
  std::vector<std::string> options;  // for simulate
  int splitPercent;
  uint32_t faults;
  bool vj;
};

// Block sizes for feed: every one must give the same telegrams, a frame
// that straddles two blocks included.
const char* const kChunks[] = {"1519", "1", "7", "64", "500", "1518"};

TEST(CliPipeline, SimulateFeedRecordsGiveThePrediction) {
  const Variant variants[] = {
      {"plain", {"--split", "0"}, 0, 0, false},
      {"split APDUs", {"--split", "40"}, 40, 0, false},
      {"split APDUs and faults", {"--split", "30", "--faults", "all", "--fault-every", "10"}, 30, sim::kAllFaults,
       false},
      {"Van Jacobson and faults", {"--vj", "--split", "0", "--faults", "all", "--fault-every", "10"}, 0,
       sim::kAllFaults, true},
  };
  int run = 0;
  for (const Variant& v : variants) {
    for (uint32_t seed = 1; seed <= 6; ++seed, ++run) {
      const char* chunk = kChunks[run % std::size(kChunks)];
      SCOPED_TRACE(std::string(v.name) + ", seed " + std::to_string(seed) + ", chunk " + chunk);
      ScratchDir dir;
      const std::string line1 = dir.file("line1"), line2 = dir.file("line2"), log = dir.file("fed.lg4");
      std::vector<std::string> args = {"simulate", "--seed", std::to_string(seed), "--apdus", "120",
                                       "--out1",   line1,    "--out2",             line2};
      args.insert(args.end(), v.options.begin(), v.options.end());
      const test::CliResult s = RunCli(dir, args);
      ASSERT_EQ(s.exit, 0) << s.err;
      const test::CliResult f = RunCli(dir, {"feed", log, line1, line2, "--chunk", chunk});
      ASSERT_EQ(f.exit, 0) << f.err;
      const test::CliResult r = RunCli(dir, {"records", log});
      ASSERT_EQ(r.exit, 0) << r.err;

      sim::SimOptions o;
      o.seed = seed;
      o.apdus = 120;
      o.splitPercent = v.splitPercent;
      o.faults = v.faults;
      o.faultEvery = 10;
      o.vj = v.vj;
      const sim::SimResult want = sim::SimulateLine(o);
      ASSERT_EQ(test::ReadFileBytes(line1), want.line[0]);
      const std::vector<T_Telegramm> listed = test::ParseRecordsListing(r.out);
      size_t predicted = 0;
      for (int line = 0; line < 2; ++line) {
        predicted += want.expected[line].size();
        EXPECT_TRUE(test::MatchesPrediction(test::OfReceiver(listed, line ? kReceiverPort2 : kReceiverPort1),
                                            want.expected[line]))
            << "line " << line + 1;
      }
      EXPECT_GT(predicted, 200u);
      EXPECT_EQ(listed.size(), predicted);
      EXPECT_NE(f.out.find(std::to_string(predicted) + " telegrams stored"), std::string::npos) << f.out;
    }
  }
}

}  // namespace
}  // namespace qlxs
