#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "capture/receiver.h"
#include "capture/unwrap.h"
#include "log/store.h"
#include "sim/apdu_builder.h"
#include "sim/frame_builder.h"
#include "sim/line_simulator.h"
#include "support/capture_fixture.h"
#include "support/sim_compare.h"

namespace qlxs {
namespace {

using sim::Bytes;
using test::CaptureFixture;
using test::DataOf;
using test::VidOf;

// Hands one frame to the receiver's completion as the receiver closes it:
// `ppp` frames after a flag, other frames (text lines, octets outside a
// frame, time-outs given by `stat`) without one. The data area behind the
// frame is filled with start octets, so any read past the received octets
// would show up as extra APDUs.
void Complete(CaptureFixture& fx, T_ComVar& port, const Bytes& octets, uint8_t stat = StatOk, bool ppp = true) {
  T_EmpfVar& em = port.em;
  T_Telegramm& te = em.te;
  ClearTelegram(te);
  std::memset(te.b, 0x68, sizeof te.b);
  if (!octets.empty()) std::memcpy(te.b, octets.data(), octets.size());
  te.lg = static_cast<int16_t>(octets.size());
  te.stat = stat;
  te.dt = 45000.5;
  em.fehl = 0;
  em.synlast = ppp && stat != StatTimeout;
  const size_t before = fx.stored.size();
  CompleteFrame(fx.m, port);
  // The raw telegram comes first and keeps the frame as received.
  ASSERT_GT(fx.stored.size(), before);
  EXPECT_EQ(DataOf(fx.stored[before]), octets);
  const double dt = fx.stored[before].dt;  // a copy: the record is packed
  EXPECT_EQ(dt, 45000.5);
}

// The frame as it stands when the line went quiet before its FCS and its
// closing flag arrived.
Bytes WithoutTrailer(Bytes frame) {
  frame.pop_back();  // the closing flag
  for (int fcsOctet = 0; fcsOctet < 2; ++fcsOctet) {
    frame.pop_back();
    if (frame.back() == 0x7D) frame.pop_back();  // the escape before it (an escaped octet is never 0x7D)
  }
  return frame;
}

sim::TcpIpHeader Header(uint16_t srcPort = 2404, uint16_t dstPort = 40001) {
  sim::TcpIpHeader h;
  const uint8_t src[4] = {10, 0, 0, 2}, dst[4] = {10, 0, 0, 1};
  std::memcpy(h.src, src, 4);
  std::memcpy(h.dst, dst, 4);
  h.srcPort = srcPort;
  h.dstPort = dstPort;
  h.flags = sim::kTcpAck | sim::kTcpPsh;
  return h;
}

Bytes Frame(const Bytes& info, uint16_t protocol = kProtoIp, sim::PppFraming f = {0, 0, 0}) {
  f.addressControl = !f.addressControl;  // default: FF 03 present
  Bytes out;
  sim::AppendPppFrame(out, protocol, info.data(), info.size(), f, true);
  return out;
}

Bytes Datagram(const Bytes& payload, const sim::TcpIpHeader& h = Header()) {
  return sim::BuildTcpIpDatagram(h, payload.data(), payload.size());
}

const Bytes kStartDtCon = {0x68, 0x04, 0x0B, 0x00, 0x00, 0x00};
const Bytes kAck = {0x68, 0x04, 0x01, 0x00, 0x02, 0x00};
// Type 1, one object, spontaneous: 16 octets, length octet 14.
const Bytes kSinglePoint = {0x68, 0x0E, 0x02, 0x00, 0x04, 0x00, 0x01, 0x01, 0x03, 0x00, 0x01, 0x00, 0x10, 0x27, 0x00, 0x01};

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(Unwrap, UnstuffUndoesEscapesAndDropsALoneEscape) {
  const struct {
    Bytes in, out;
  } cases[] = {
      {{0x7E, 0x7D, 0x5E, 0x01, 0x7E}, {0x7E, 0x7E, 0x01, 0x7E}},
      {{0x7D, 0x5D}, {0x7D}},
      {{0x7D, 0x7D, 0x7D, 0x41}, {0x5D, 0x61}},  // an escaped escape octet escapes nothing
      {{0x7D, 0x7D, 0x7D}, {0x5D}},
      {{0x7D, 0x23, 0x7D, 0x20}, {0x03, 0x00}},
      {{0x01, 0x7D}, {0x01}},  // nothing left to escape
      {{0x7D}, {}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    T_Telegramm t{};
    std::memset(t.b, 0x5E, sizeof t.b);
    if (!c.in.empty()) std::memcpy(t.b, c.in.data(), c.in.size());
    t.lg = static_cast<int16_t>(c.in.size());
    Unstuff(t);
    EXPECT_EQ(DataOf(t), c.out) << test::Hex(c.in);
  }
}

TEST(Unwrap, PppHeaderWithAndWithoutCompression) {
  const struct {
    Bytes frame;
    uint16_t prot;
    uint8_t ofs;
    uint8_t stat;
  } cases[] = {
      // IPv4 frames without room for an IPv4 header are faulty.
      {{0x7E, 0xFF, 0x03, 0x00, 0x21, 0x7E}, 0x0021, 5, StatNotIpv4},
      {{0x7E, 0x21, 0x7E}, 0x0021, 2, StatNotIpv4},
      {{0xFF, 0x03, 0xC0, 0x21, 0x01, 0x7E}, 0xC021, 4, StatOk},
      {{0xFF, 0x7D, 0x23, 0x80, 0x21, 0x7E}, 0x8021, 4, StatOk},  // escaped control octet
      {{0x2D, 0x00, 0x7E}, 0x002D, 1, StatOk},
      {{0x7E, 0xFF}, 0x00FF, 2, StatOk},
      {{0x7E, 0x7E}, 0, 0, StatOk},  // an even first protocol octet without its second
      {{0x7E}, 0, 0, StatOk},
      {{0xFF, 0x03}, 0, 0, StatOk},
  };
  for (const auto& c : cases) {
    CaptureFixture fx;
    Complete(fx, fx.port1(), c.frame);
    ASSERT_EQ(fx.stored.size(), 1u);
    EXPECT_EQ(fx.stored[0].prot, c.prot) << test::Hex(c.frame);
    EXPECT_EQ(fx.stored[0].ofs, c.ofs) << test::Hex(c.frame);
    EXPECT_EQ(fx.stored[0].ta, TaRaw);
    EXPECT_EQ(fx.stored[0].stat, c.stat);
    EXPECT_EQ(DataOf(fx.stored[0]), c.frame);  // the raw telegram keeps the octets as received
  }
}

struct SegmentCase {
  const char* name;
  Bytes payload;
  std::function<void(Bytes&)> damage;  // applied to the datagram
  uint8_t stat = StatOk;                // of the frame as the receiver closed it
  uint32_t bpPort = 2404;
  uint8_t rawStat, rawTa;
  size_t apdus;                          // telegrams after the raw one
};

void SetTotalLength(Bytes& d, int v) {
  d[2] = static_cast<uint8_t>(v >> 8);
  d[3] = static_cast<uint8_t>(v);
}

TEST(Unwrap, SegmentsOfTheIec104PortAndDamagedHeaders) {
  const Bytes two = Concat({kStartDtCon, kAck});
  const SegmentCase cases[] = {
      {"two APDUs", two, nullptr, StatOk, 2404, StatOk, TaRaw104, 2},
      {"pure acknowledgement", {}, nullptr, StatOk, 2404, StatOk, TaRaw104, 0},
      {"port 0 means 2404", two, nullptr, StatOk, 0, StatOk, TaRaw104, 2},
      {"other port", two, nullptr, StatOk, 2405, StatOk, TaRaw, 0},
      {"not TCP", two, [](Bytes& d) { d[9] = 17; }, StatOk, 2404, StatOk, TaRaw, 0},
      {"IP version 6", two, [](Bytes& d) { d[0] = 0x65; }, StatOk, 2404, StatNotIpv4, TaRaw, 0},
      {"total length 0", two, [](Bytes& d) { SetTotalLength(d, 0); }, StatOk, 2404, StatIpLengthZero, TaRaw, 0},
      {"header length below 5", two, [](Bytes& d) { d[0] = 0x44; }, StatOk, 2404, StatNotIpv4, TaRaw, 0},
      {"header length past the frame", two, [](Bytes& d) { d[0] = 0x4F; }, StatOk, 2404, StatNotIpv4, TaRaw, 0},
      {"TCP data offset below 5", two, [](Bytes& d) { d[32] = 0x40; }, StatOk, 2404, StatNotIpv4, TaRaw, 0},
      {"TCP data offset past the datagram", {}, [](Bytes& d) { d[32] = 0xF0; }, StatOk, 2404, StatNotIpv4, TaRaw, 0},
      {"datagram shorter than its headers", two, [](Bytes& d) { SetTotalLength(d, 30); }, StatOk, 2404, StatNotIpv4,
       TaRaw, 0},
      {"IPv4 header cut short", {}, [](Bytes& d) { d.resize(12); }, StatOk, 2404, StatNotIpv4, TaRaw, 0},
      {"total length beyond the frame", two, [](Bytes& d) { SetTotalLength(d, 40 + 12 + 200); }, StatOk, 2404,
       StatNotIpv4, TaRaw104, 2},
      {"time-out frame with a long total length", two, [](Bytes& d) { SetTotalLength(d, 600); }, StatTimeout, 2404,
       StatTimeout, TaRaw104, 2},
      {"padding after the datagram", two, [](Bytes& d) { d.insert(d.end(), {0, 0, 0}); }, StatOk, 2404, StatOk,
       TaRaw104, 2},
  };
  for (const SegmentCase& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureFixture fx;
    fx.port1().bp.port = c.bpPort;
    Bytes d = Datagram(c.payload);
    if (c.damage) c.damage(d);
    Complete(fx, fx.port1(), c.stat == StatTimeout ? WithoutTrailer(Frame(d)) : Frame(d), c.stat);
    ASSERT_EQ(fx.stored.size(), 1 + c.apdus);
    EXPECT_EQ(fx.stored[0].stat, c.rawStat);
    EXPECT_EQ(fx.stored[0].ta, c.rawTa);
    EXPECT_EQ(fx.stored[0].prot, 0x0021);
    EXPECT_EQ(fx.stored[0].ofs, 5);
    for (size_t i = 1; i < fx.stored.size(); ++i) {
      EXPECT_EQ(fx.stored[i].idm, 12);
      EXPECT_EQ(DataOf(fx.stored[i]), i == 1 ? kStartDtCon : kAck);
      const T_VId v = VidOf(fx.stored[i]);
      EXPECT_EQ(v.sip[3], 2);
      EXPECT_EQ(v.dip[3], 1);
      EXPECT_EQ(v.sprt[0] << 8 | v.sprt[1], 2404);
      EXPECT_EQ(v.dprt[0] << 8 | v.dprt[1], 40001);
    }
    if (c.apdus == 2) {
      EXPECT_EQ(fx.stored[1].ta, TaUFormat);
      EXPECT_EQ(fx.stored[2].ta, TaSFormat);
    }
  }
}

TEST(Unwrap, FrameTooShortForAnIpv4Header) {
  CaptureFixture fx;
  Complete(fx, fx.port1(), Frame({0x45, 0x00, 0x00}));
  Complete(fx, fx.port1(), {0x7E, 0x21, 0x7E});
  ASSERT_EQ(fx.stored.size(), 2u);
  for (const T_Telegramm& t : fx.stored) {
    EXPECT_EQ(t.stat, StatNotIpv4);
    EXPECT_EQ(t.ta, TaRaw);
  }
}

// An APDU of length octet 14 split 5 + 11 over two segments of the same
// identity, the second segment carrying one more APDU.
TEST(Unwrap, ApduSpreadOverTwoSegments) {
  for (bool otherPort : {false, true}) {
    SCOPED_TRACE(otherPort ? "continued on the other port" : "same port");
    CaptureFixture fx;
    const Bytes head(kSinglePoint.begin(), kSinglePoint.begin() + 5);
    const Bytes tail(kSinglePoint.begin() + 5, kSinglePoint.end());
    Complete(fx, fx.port1(), Frame(Datagram(head)));
    // The second frame comes without address and control field.
    Complete(fx, otherPort ? fx.port2() : fx.port1(), Frame(Datagram(Concat({tail, kAck})), kProtoIp, {1, 1, 0}));
    const struct {
      uint8_t stat, ta, ek, ofs;
      Bytes data;
    } want[] = {
        {StatOk, TaRaw104, 1, 5, {}},
        {StatFragment, TaRaw104, 1, 5, head},
        {StatOk, TaRaw104, uint8_t(otherPort ? 3 : 1), 2, {}},
        {StatFragment, TaRaw104, uint8_t(otherPort ? 3 : 1), 2, tail},
        {StatReassembled, TaIFormat, 1, 5, kSinglePoint},  // from the frame it began in
        {StatOk, TaSFormat, uint8_t(otherPort ? 3 : 1), 2, kAck},
    };
    ASSERT_EQ(fx.stored.size(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(fx.stored[i].stat, want[i].stat);
      EXPECT_EQ(fx.stored[i].ta, want[i].ta);
      EXPECT_EQ(fx.stored[i].ek, want[i].ek);
      EXPECT_EQ(fx.stored[i].ofs, want[i].ofs);
      if (!want[i].data.empty()) {
        EXPECT_EQ(DataOf(fx.stored[i]), want[i].data);
      }
    }
    for (const T_PendingApdu& s : fx.m.PendingApdus) EXPECT_EQ(s.key.sip[0], 0);
  }
}

// A segment may end anywhere inside an APDU, even right after its start
// octet or inside its control field, and an APDU may span three segments:
// the APDU is completed all the same, and the APDUs after it in the last
// segment are cut as usual.
TEST(Unwrap, ApduCutAnywhereIsReassembled) {
  const struct {
    std::vector<size_t> cuts;  // segment boundaries inside the APDU
  } cases[] = {{{1}}, {{2}}, {{15}}, {{1, 2}}, {{1, 9}}, {{4, 5}}};
  for (const auto& c : cases) {
    std::string name;
    for (size_t cut : c.cuts) name += std::to_string(cut) + " ";
    SCOPED_TRACE("cut after " + name);
    CaptureFixture fx;
    size_t from = 0;
    std::vector<Bytes> pieces;
    for (size_t cut : c.cuts) {
      pieces.emplace_back(kSinglePoint.begin() + static_cast<long>(from), kSinglePoint.begin() + static_cast<long>(cut));
      from = cut;
    }
    pieces.emplace_back(kSinglePoint.begin() + static_cast<long>(from), kSinglePoint.end());
    for (size_t i = 0; i < pieces.size(); ++i)
      Complete(fx, fx.port1(), Frame(Datagram(i + 1 == pieces.size() ? Concat({pieces[i], kAck}) : pieces[i])));

    std::vector<T_Telegramm> got;
    for (const T_Telegramm& t : fx.stored)
      if (t.idm == 12) got.push_back(t);
    EXPECT_EQ(got.size(), pieces.size() + 2);
    if (got.size() != pieces.size() + 2) continue;
    for (size_t i = 0; i < pieces.size(); ++i) {
      EXPECT_EQ(got[i].stat, StatFragment);
      EXPECT_EQ(DataOf(got[i]), pieces[i]);
    }
    EXPECT_EQ(got[pieces.size()].stat, StatReassembled);
    EXPECT_EQ(DataOf(got[pieces.size()]), kSinglePoint);
    EXPECT_EQ(got[pieces.size() + 1].stat, StatOk);
    EXPECT_EQ(DataOf(got[pieces.size() + 1]), kAck);
    for (const T_PendingApdu& s : fx.m.PendingApdus) EXPECT_EQ(s.key.sip[0], 0);
  }
}

// A piece that follows a complete APDU in the same frame takes its class.
TEST(Unwrap, PieceAfterAnApduTakesItsClass) {
  CaptureFixture fx;
  Complete(fx, fx.port1(), Frame(Datagram(Concat({kAck, Bytes(kSinglePoint.begin(), kSinglePoint.begin() + 9)}))));
  ASSERT_EQ(fx.stored.size(), 3u);
  EXPECT_EQ(fx.stored[1].ta, TaSFormat);
  EXPECT_EQ(fx.stored[2].stat, StatFragment);
  EXPECT_EQ(fx.stored[2].ta, TaSFormat);
}

TEST(Unwrap, NinthPendingApduReplacesTheEighth) {
  CaptureFixture fx;
  const Bytes head(kSinglePoint.begin(), kSinglePoint.begin() + 4);
  const Bytes tail(kSinglePoint.begin() + 4, kSinglePoint.end());
  for (uint16_t i = 0; i < 9; ++i) Complete(fx, fx.port1(), Frame(Datagram(head, Header(2404, 50000 + i))));
  EXPECT_EQ(fx.m.PendingApdus[7].key.dprt[1], (50000 + 8) & 0xFF);
  fx.stored.clear();
  // The eighth lost its slot: its continuation is payload without a start.
  Complete(fx, fx.port1(), Frame(Datagram(tail, Header(2404, 50007))));
  ASSERT_EQ(fx.stored.size(), 2u);
  EXPECT_EQ(fx.stored[1].stat, StatFragment);
  fx.stored.clear();
  Complete(fx, fx.port1(), Frame(Datagram(tail, Header(2404, 50008))));
  ASSERT_EQ(fx.stored.size(), 3u);
  EXPECT_EQ(fx.stored[2].stat, StatReassembled);
  EXPECT_EQ(DataOf(fx.stored[2]), kSinglePoint);
  ClearPendingApdus(fx.m);
  for (const T_PendingApdu& s : fx.m.PendingApdus) EXPECT_EQ(s.key.sip[0], 0);
}

TEST(Unwrap, PayloadWithoutStartOctetIsKeptAsOnePiece) {
  CaptureFixture fx;
  Bytes junk(300, 0x11);
  junk[100] = 0x68;  // not at the start: does not count
  Complete(fx, fx.port1(), Frame(Datagram(junk)));
  ASSERT_EQ(fx.stored.size(), 2u);
  EXPECT_EQ(fx.stored[1].stat, StatFragment);
  EXPECT_EQ(fx.stored[1].ta, TaRaw104);
  EXPECT_EQ(DataOf(fx.stored[1]), Bytes(junk.begin(), junk.begin() + 255));
}

TEST(Unwrap, VanJacobsonFrames) {
  CaptureFixture fx;
  sim::VjCompressor vj;
  sim::TcpIpHeader h = Header();
  Bytes info;
  auto send = [&](const Bytes& payload, T_ComVar& port) {
    const uint16_t protocol = vj.Encode(Datagram(payload, h), info);
    h.seq += static_cast<uint32_t>(payload.size());
    ++h.ipId;
    Complete(fx, port, Frame(info, protocol, {1, 1, 0}));
    return protocol;
  };
  ASSERT_EQ(send(kStartDtCon, fx.port1()), kProtoVjUncompressed);
  ASSERT_EQ(fx.stored.size(), 2u);
  EXPECT_EQ(fx.stored[0].ta, TaRaw104);
  EXPECT_EQ(fx.stored[0].prot, kProtoVjUncompressed);
  EXPECT_EQ(fx.stored[1].ta, TaUFormat);
  const T_VId first = VidOf(fx.stored[1]);
  EXPECT_EQ(first, fx.m.LastVid);

  fx.stored.clear();
  h.ack += 6;
  ASSERT_EQ(send(kSinglePoint, fx.port1()), kProtoVjCompressed);
  ASSERT_EQ(fx.stored.size(), 2u);
  EXPECT_EQ(fx.stored[0].ta, TaRaw104);
  EXPECT_EQ(fx.stored[0].prot, kProtoVjCompressed);
  EXPECT_EQ(fx.stored[0].ofs, 2);
  EXPECT_EQ(DataOf(fx.stored[1]), kSinglePoint);
  EXPECT_EQ(fx.stored[1].stat, StatOk);
  EXPECT_EQ(VidOf(fx.stored[1]), first);  // the identity comes from the last IPv4 segment

  fx.stored.clear();
  h.ack += 16;
  h.flags = sim::kTcpAck;
  ASSERT_EQ(send({}, fx.port1()), kProtoVjCompressed);
  ASSERT_EQ(fx.stored.size(), 1u);
  EXPECT_EQ(fx.stored[0].ta, TaRaw);  // a compressed acknowledgement has no APDU to find
}

// A compressed frame's APDU is the one that ends right before the FCS,
// whatever start octets its compressed header holds, even one right before
// the APDU's own.
TEST(Unwrap, VanJacobsonCompressedHeaderWithStartOctets) {
  const struct {
    const char* name;
    Bytes header;  // compressed TCP/IP header before the APDU
    bool found;
  } cases[] = {
      {"plain header", {0x0F, 0x01, 0x12, 0x34}, true},
      {"start octet inside", {0x0F, 0x68, 0x12, 0x34}, true},
      {"start octet last", {0x0F, 0x01, 0x12, 0x68}, true},
      {"two start octets last", {0x0F, 0x01, 0x68, 0x68}, true},
      {"too short to follow a header", {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureFixture fx;
    const Bytes frame = Concat({{0x7E, 0x2D}, c.header, kStartDtCon, {0x12, 0x34, 0x7E}});
    Complete(fx, fx.port1(), frame);
    EXPECT_EQ(fx.stored.size(), c.found ? 2u : 1u);
    EXPECT_EQ(fx.stored[0].ta, c.found ? TaRaw104 : TaRaw);
    if (c.found && fx.stored.size() == 2) {
      EXPECT_EQ(DataOf(fx.stored[1]), kStartDtCon);
      EXPECT_EQ(fx.stored[1].stat, StatOk);
    }
  }
}

// The simulator's frames, delimited as its prediction says, unwrap into
// exactly the telegrams it predicts (time-out and text telegrams come from
// the receiver and are handed on as they are).
TEST(Unwrap, SimulatedFramesGiveThePredictedTelegrams) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    for (int variant = 0; variant < 3; ++variant) {
      sim::SimOptions o;
      o.seed = seed;
      o.apdus = 120;
      o.splitPercent = variant == 0 ? 0 : 35;
      o.faults = variant == 0 ? 0 : sim::kAllFaults;
      o.faultEvery = 8;
      o.vj = variant == 2;
      const sim::SimResult r = sim::SimulateLine(o);
      CaptureFixture fx;
      size_t next[2] = {};
      while (next[0] < r.expected[0].size() || next[1] < r.expected[1].size()) {
        for (int line = 0; line < 2; ++line) {
          const auto& want = r.expected[line];
          while (next[line] < want.size() && want[next[line]].hasVid) ++next[line];
          if (next[line] == want.size()) continue;
          const sim::ExpectedTelegram& t = want[next[line]++];
          const bool text = t.stat == StatTextLine || t.stat == StatNoFrame;
          Complete(fx, fx.m.ports[line], t.data, text ? t.stat : uint8_t{StatOk}, !text);
        }
      }
      for (int line = 0; line < 2; ++line)
        EXPECT_TRUE(test::MatchesPrediction(test::OfReceiver(fx.stored, line ? 3 : 1), r.expected[line]))
            << "seed " << seed << " variant " << variant << " line " << line + 1;
    }
  }
}

}  // namespace
}  // namespace qlxs
