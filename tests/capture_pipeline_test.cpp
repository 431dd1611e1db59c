#include <gtest/gtest.h>

#include <map>

#include "capture/receiver.h"
#include "sim/apdu_builder.h"
#include "sim/line_simulator.h"
#include "support/capture_fixture.h"
#include "support/sim_compare.h"

namespace qlxs {
namespace {

using test::CaptureFixture;

// Feeds both simulated lines to the two receivers in alternating blocks of
// random size (as a serial port delivers them), then lets the reception
// time-out close what is left.
void FeedLines(CaptureFixture& fx, const sim::SimResult& r, uint32_t seed) {
  sim::Rng rng(seed * 7919u + 1);
  test::FeedInRandomBlocks(fx, r, rng, 40);
}

struct Variant {
  const char* name;
  int splitPercent;
  uint32_t faults;
  bool vj;
};

const Variant kVariants[] = {
    {"plain", 0, 0, false},
    {"split APDUs", 40, 0, false},
    {"split APDUs and faults", 30, sim::kAllFaults, false},
    {"Van Jacobson", 0, 0, true},
    {"Van Jacobson and faults", 0, sim::kAllFaults, true},
};

// The receivers, the unwrapping and the check turn the simulated line into
// exactly the telegrams the simulator predicts: every raw frame and text
// line, every piece, every APDU with its status and class.
TEST(CapturePipeline, SimulatedLinesGiveThePredictedTelegrams) {
  for (const Variant& v : kVariants) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
      sim::SimOptions o;
      o.seed = seed;
      o.apdus = 150;
      o.splitPercent = v.splitPercent;
      o.faults = v.faults;
      o.faultEvery = 10;
      o.vj = v.vj;
      const sim::SimResult r = sim::SimulateLine(o);
      CaptureFixture fx;
      FeedLines(fx, r, seed);
      for (int line = 0; line < 2; ++line)
        EXPECT_TRUE(test::MatchesPrediction(test::OfReceiver(fx.stored, line ? 3 : 1), r.expected[line]))
            << v.name << ", seed " << seed << ", line " << line + 1;
    }
  }
}

// The faults a simulation injects arrive with their status codes, and the
// counts of APDUs per format agree with the prediction.
TEST(CapturePipeline, InjectedFaultsArriveWithTheirStatus) {
  sim::SimOptions o;
  o.seed = 77;
  o.apdus = 2000;
  o.splitPercent = 20;
  o.faults = sim::kAllFaults;
  o.faultEvery = 12;
  const sim::SimResult r = sim::SimulateLine(o);
  CaptureFixture fx;
  FeedLines(fx, r, o.seed);

  std::map<int, int> stat;
  int formats[4] = {}, wantFormats[4] = {};
  for (const T_Telegramm& t : fx.stored) {
    if (t.idm == 0 || t.stat == StatFragment) continue;
    ++stat[t.stat];
    ++formats[t.ta];
  }
  for (const auto& line : r.expected)
    for (const sim::ExpectedTelegram& t : line)
      if (t.hasVid && t.stat != StatFragment) ++wantFormats[t.ta];
  EXPECT_EQ(stat[StatAsduLengthError], r.faults[int(sim::Fault::WrongLength)]);
  EXPECT_EQ(stat[StatCauseError], r.faults[int(sim::Fault::WrongCause)]);
  EXPECT_EQ(stat[StatUnknownType], r.faults[int(sim::Fault::UndefinedType)]);
  EXPECT_GE(stat[StatReassembled], r.splitApdus - r.faults[int(sim::Fault::LostSegment)]);
  for (int k = 0; k < sim::kFaultKinds; ++k) EXPECT_GT(r.faults[k], 0) << sim::FaultName(sim::Fault(k));
  for (int ta = 1; ta <= 3; ++ta) EXPECT_EQ(formats[ta], wantFormats[ta]) << "format " << ta;
  EXPECT_GT(formats[2], 0);
  EXPECT_GT(formats[3], 0);
}

}  // namespace
}  // namespace qlxs
