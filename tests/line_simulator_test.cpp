#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "sim/frame_builder.h"
#include "sim/line_simulator.h"

namespace qlxs::sim {
namespace {

Bytes Deframe(const Bytes& frame) {
  Bytes out;
  for (size_t i = 0; i < frame.size(); ++i) {
    if (frame[i] == kPppFlag) continue;
    if (frame[i] == kPppEscape && i + 1 < frame.size()) {
      out.push_back(frame[++i] ^ 0x20);
    } else {
      out.push_back(frame[i]);
    }
  }
  return out;
}

bool IsRaw(const ExpectedTelegram& t) { return !t.hasVid; }
bool IsApdu(const ExpectedTelegram& t) { return t.hasVid && t.stat != StatFragment; }

std::vector<SimOptions> Variants() {
  std::vector<SimOptions> v;
  for (uint32_t seed : {1u, 2u, 3u, 17u, 4242u}) {
    SimOptions o;
    o.seed = seed;
    o.apdus = 150;
    v.push_back(o);
    o.splitPercent = 40;
    o.faults = kAllFaults;
    o.faultEvery = 10;
    v.push_back(o);
    o.vj = true;
    v.push_back(o);
  }
  return v;
}

TEST(LineSimulator, SameSeedSameLineOtherSeedOtherLine) {
  SimOptions o;
  o.seed = 99;
  o.faults = kAllFaults;
  const SimResult a = SimulateLine(o), b = SimulateLine(o);
  EXPECT_EQ(a.line, b.line);
  ASSERT_EQ(a.expected[0].size(), b.expected[0].size());
  o.seed = 100;
  EXPECT_NE(SimulateLine(o).line, a.line);
}

// The raw telegrams of the prediction cut each line into consecutive pieces:
// no octet is predicted twice or lost.
TEST(LineSimulator, RawTelegramsCoverEachLineExactly) {
  for (const SimOptions& o : Variants()) {
    const SimResult r = SimulateLine(o);
    for (int line = 0; line < 2; ++line) {
      Bytes joined;
      for (const ExpectedTelegram& t : r.expected[line])
        if (IsRaw(t)) joined.insert(joined.end(), t.data.begin(), t.data.end());
      EXPECT_EQ(joined, r.line[line]) << "seed " << o.seed << " line " << line + 1;
      for (const ExpectedTelegram& t : r.expected[line]) EXPECT_LE(t.data.size(), 1500u);
    }
  }
}

// Every PPP frame has a good FCS and the header the prediction names; IPv4
// datagrams have good checksums.
TEST(LineSimulator, FramesAreValidPpp) {
  for (const SimOptions& o : Variants()) {
    const SimResult r = SimulateLine(o);
    std::set<uint16_t> protocols;
    for (const auto& line : r.expected) {
      for (const ExpectedTelegram& t : line) {
        const bool ppp = t.prot == kProtoIp || t.prot == kProtoVjCompressed || t.prot == kProtoVjUncompressed ||
                         t.prot == kProtoLcp || t.prot == kProtoIpcp;
        if (!IsRaw(t) || !ppp) continue;  // text and noise
        protocols.insert(t.prot);
        const Bytes body = Deframe(t.data);
        ASSERT_GE(body.size(), 4u);
        EXPECT_EQ(Fcs16(body.data(), body.size()), 0xF0B8 ^ 0xFFFF);
        const size_t header = t.ofs - (t.data[0] == kPppFlag ? 1 : 0);
        const uint16_t prot = header >= 2 && body[header - 2] % 2 == 0 ? static_cast<uint16_t>(body[header - 2] << 8 | body[header - 1])
                                                                        : body[header - 1];
        EXPECT_EQ(prot, t.prot);
        if (t.prot == kProtoIp) {
          const uint8_t* ip = body.data() + header;
          EXPECT_EQ(ChecksumFinish(ChecksumAdd(0, ip, 20)), 0);
          EXPECT_EQ(size_t(ip[2] << 8 | ip[3]), body.size() - header - 2);
        }
      }
    }
    EXPECT_TRUE(protocols.count(kProtoLcp) && protocols.count(kProtoIpcp) && protocols.count(kProtoIp));
    if (o.vj) {
      EXPECT_TRUE(protocols.count(kProtoVjCompressed) && protocols.count(kProtoVjUncompressed));
    }
  }
}

// Each peer numbers its I-format APDUs without gaps and acknowledges in
// order; the conversation covers every monitor-direction type.
TEST(LineSimulator, ConversationIsSoundIec104) {
  for (const SimOptions& o : Variants()) {
    const SimResult r = SimulateLine(o);
    std::set<int> monitorTypes;
    int sent[2] = {};
    for (int line = 0; line < 2; ++line) {
      int ns = 0, lastNr = 0;
      for (const ExpectedTelegram& t : r.expected[line]) {
        if (!IsApdu(t)) continue;
        const Bytes& a = t.data;
        ASSERT_EQ(a[0], 0x68);
        ASSERT_EQ(a[1] + 2u, a.size());
        if (t.ta == TaUFormat) continue;
        const int nr = (a[4] | a[5] << 8) >> 1;
        EXPECT_GE(nr, lastNr) << "seed " << o.seed;
        lastNr = nr;
        if (t.ta == TaIFormat && a.size() > 6) {
          // The APDU the monitor rebuilds after a lost segment still carries
          // the station's numbers.
          EXPECT_EQ((a[2] | a[3] << 8) >> 1, ns) << "seed " << o.seed << " line " << line + 1;
          ++ns;
          if (line == 0 && t.stat != StatUnknownType) monitorTypes.insert(a[6]);
        }
      }
      sent[line] = ns;
      (void)lastNr;
    }
    // (An injected undefined type replaces the type it was meant to be.)
    if (!o.faults) {
      for (int typ : {1, 3, 5, 7, 9, 11, 13, 15, 20, 21, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 70})
        EXPECT_TRUE(monitorTypes.count(typ)) << "type " << typ << " seed " << o.seed;
    }
    EXPECT_GT(sent[0], 0);
    EXPECT_GT(sent[1], 0);
  }
}

// Requested faults happen, and each shows in the prediction with its status.
TEST(LineSimulator, InjectedFaultsArePredicted) {
  SimOptions o;
  o.apdus = 1500;
  o.faults = kAllFaults;
  o.faultEvery = 15;
  const SimResult r = SimulateLine(o);
  std::map<int, int> stats;
  int noise = 0;
  for (const auto& line : r.expected)
    for (const ExpectedTelegram& t : line) {
      if (IsApdu(t)) ++stats[t.stat];
      if (IsRaw(t) && t.prot != 0 && t.ofs == 1 && t.prot % 2 == 1 && t.prot < 0x100 && t.prot != kProtoIp &&
          t.prot != kProtoVjCompressed && t.prot != kProtoVjUncompressed)
        ++noise;
    }
  for (int k = 0; k < kFaultKinds; ++k) EXPECT_GT(r.faults[k], 0) << FaultName(static_cast<Fault>(k));
  EXPECT_EQ(stats[StatAsduLengthError], r.faults[int(Fault::WrongLength)]);
  EXPECT_EQ(stats[StatCauseError], r.faults[int(Fault::WrongCause)]);
  EXPECT_EQ(stats[StatUnknownType], r.faults[int(Fault::UndefinedType)]);
  EXPECT_EQ(noise, r.faults[int(Fault::Garbage)]);
  EXPECT_GE(stats[StatReassembled], r.faults[int(Fault::LostSegment)]);

  o.faults = 0;
  for (const auto& line : SimulateLine(o).expected)
    for (const ExpectedTelegram& t : line)
      if (IsApdu(t)) {
        EXPECT_TRUE(t.stat == StatOk || t.stat == StatReassembled) << int(t.stat);
      }
}

// The runs put both lines together in sending order: taken apart again per
// line they give each line's octets, and their times never go back.
TEST(LineSimulator, RunsInterleaveBothLinesInSendingOrder) {
  for (const SimOptions& o : Variants()) {
    const SimResult r = SimulateLine(o);
    Bytes rebuilt[2];
    size_t at[2] = {0, 0};
    double time = 0;
    int switches = 0;
    for (size_t i = 0; i < r.runs.size(); ++i) {
      const LineRun& run = r.runs[i];
      ASSERT_LT(run.line, 2);
      ASSERT_GT(run.size, 0u);
      EXPECT_GE(run.time, time) << "run " << i;
      time = run.time;
      const Bytes& line = r.line[run.line];
      ASSERT_LE(at[run.line] + run.size, line.size());
      rebuilt[run.line].insert(rebuilt[run.line].end(), line.begin() + static_cast<long>(at[run.line]),
                               line.begin() + static_cast<long>(at[run.line] + run.size));
      at[run.line] += run.size;
      switches += i > 0 && r.runs[i - 1].line != run.line;
    }
    EXPECT_EQ(rebuilt[0], r.line[0]) << "seed " << o.seed;
    EXPECT_EQ(rebuilt[1], r.line[1]) << "seed " << o.seed;
    EXPECT_GT(switches, 20) << "the two sides take turns";
  }
}

// An endless line begins as the finite one of the same options and goes on
// seamlessly: its pieces joined are the start of a longer finite line.
TEST(LineSimulator, EndlessLineContinuesTheFiniteOne) {
  SimOptions o;
  o.seed = 1;
  o.apdus = 400;
  o.faults = kAllFaults;
  o.faultEvery = 10;
  const SimResult finite = SimulateLine(o);
  EndlessLine endless(o);
  Bytes joined[2];
  std::vector<double> times;
  for (int piece = 0; piece < 3; ++piece) {
    const SimResult r = endless.Next(30);
    EXPECT_GE(r.apdusSent, 30);
    for (int l = 0; l < 2; ++l) joined[l].insert(joined[l].end(), r.line[l].begin(), r.line[l].end());
    ASSERT_FALSE(r.runs.empty());
    times.push_back(r.runs.front().time);
  }
  EXPECT_LT(times[0], times[1]);
  EXPECT_LT(times[1], times[2]);
  for (int l = 0; l < 2; ++l) {
    ASSERT_LT(joined[l].size(), finite.line[l].size());
    EXPECT_TRUE(std::equal(joined[l].begin(), joined[l].end(), finite.line[l].begin())) << "line " << l + 1;
  }
  const SimResult more = endless.Next(500);
  EXPECT_GE(more.apdusSent, 500);
  EXPECT_FALSE(more.line[0].empty());
}

TEST(LineSimulator, FaultNamesParse) {
  uint32_t f = 0;
  EXPECT_TRUE(ParseFaults("wrong-cause,garbage", f));
  EXPECT_EQ(f, FaultBit(Fault::WrongCause) | FaultBit(Fault::Garbage));
  EXPECT_TRUE(ParseFaults("all", f));
  EXPECT_EQ(f, kAllFaults);
  EXPECT_TRUE(ParseFaults("", f));
  EXPECT_EQ(f, 0u);
  EXPECT_FALSE(ParseFaults("wrong-cause,bogus", f));
}

}  // namespace
}  // namespace qlxs::sim
