#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim/apdu_builder.h"
#include "sim/frame_builder.h"

namespace qlxs::sim {
namespace {

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t Get32(const uint8_t* p) { return static_cast<uint32_t>(Get16(p)) << 16 | Get16(p + 2); }

// Reads one frame the way RFC 1662 describes: flags off, escapes undone.
Bytes Deframe(const Bytes& line) {
  Bytes out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == kPppFlag) continue;
    if (line[i] == kPppEscape && i + 1 < line.size()) {
      out.push_back(line[++i] ^ 0x20);
    } else {
      out.push_back(line[i]);
    }
  }
  return out;
}

TEST(FrameBuilder, Fcs16MatchesTheCheckValueAndTheGoodResidue) {
  const std::string digits = "123456789";
  const auto* p = reinterpret_cast<const uint8_t*>(digits.data());
  EXPECT_EQ(Fcs16(p, digits.size()), 0x906E);
  Bytes withFcs(p, p + digits.size());
  const uint16_t fcs = Fcs16(p, digits.size());
  withFcs.push_back(static_cast<uint8_t>(fcs));
  withFcs.push_back(static_cast<uint8_t>(fcs >> 8));
  // The receiver's running FCS over data and FCS is the good value 0xF0B8.
  EXPECT_EQ(Fcs16(withFcs.data(), withFcs.size()), 0xF0B8 ^ 0xFFFF);
}

TEST(FrameBuilder, FramesAreStuffedAndCarryAValidFcs) {
  // Information octets that must be escaped: both flag octets and controls.
  const Bytes info = {0x7E, 0x7D, 0x00, 0x11, 0x13, 0x1F, 0x20, 0x45, 0xFF};
  const struct Case {
    PppFraming framing;
    uint16_t protocol;
    bool opening;
    Bytes header;  // after unstuffing, before the information field
  } cases[] = {
      {{true, false, kFullAccm}, kProtoIp, true, {0xFF, 0x03, 0x00, 0x21}},
      {{false, true, 0}, kProtoIp, false, {0x21}},
      {{false, true, 0x000A0000}, kProtoLcp, true, {0xC0, 0x21}},  // never compressed: above 0xFF
      {{true, true, 0}, kProtoVjCompressed, false, {0xFF, 0x03, 0x2D}},
  };
  for (const Case& c : cases) {
    Bytes line;
    AppendPppFrame(line, c.protocol, info.data(), info.size(), c.framing, c.opening);
    SCOPED_TRACE(c.protocol);
    EXPECT_EQ(line.back(), kPppFlag);
    EXPECT_EQ(line.front() == kPppFlag, c.opening);
    for (size_t i = c.opening ? 1 : 0; i + 1 < line.size(); ++i) {
      EXPECT_NE(line[i], kPppFlag) << i;
      if (line[i] < 0x20) {
        EXPECT_FALSE((c.framing.accm >> line[i]) & 1) << "unescaped control at " << i;
      }
    }
    const Bytes body = Deframe(line);
    ASSERT_EQ(body.size(), c.header.size() + info.size() + 2);
    EXPECT_TRUE(std::equal(c.header.begin(), c.header.end(), body.begin()));
    EXPECT_TRUE(std::equal(info.begin(), info.end(), body.begin() + static_cast<long>(c.header.size())));
    EXPECT_EQ(Fcs16(body.data(), body.size()), 0xF0B8 ^ 0xFFFF);
  }
}

TcpIpHeader SampleHeader() {
  TcpIpHeader h;
  const uint8_t src[4] = {192, 168, 10, 20}, dst[4] = {192, 168, 10, 1};
  std::memcpy(h.src, src, 4);
  std::memcpy(h.dst, dst, 4);
  h.srcPort = 2404;
  h.dstPort = 40001;
  h.seq = 0xFFFFFF00;  // wraps within the test sequence
  h.ack = 1000;
  h.ipId = 7;
  return h;
}

TEST(FrameBuilder, DatagramChecksumsVerify) {
  TcpIpHeader h = SampleHeader();
  h.tcpOptions = {0x02, 0x04, 0x05, 0xB4, 0x01};  // padded to 8 octets
  h.ipOptions = {0x01};                           // padded to 4 octets
  const Bytes payload = {0x68, 0x04, 0x07, 0x00, 0x00, 0x00, 0x99};  // odd length
  const Bytes d = BuildTcpIpDatagram(h, payload.data(), payload.size());
  ASSERT_EQ(d.size(), 24u + 28u + payload.size());
  EXPECT_EQ(d[0], 0x46);
  EXPECT_EQ(Get16(d.data() + 2), d.size());
  EXPECT_EQ(ChecksumFinish(ChecksumAdd(0, d.data(), 24)), 0);
  const uint8_t* tcp = d.data() + 24;
  EXPECT_EQ(tcp[12] >> 4, 7);
  EXPECT_EQ(Get16(tcp), 2404);
  uint8_t pseudo[12] = {192, 168, 10, 20, 192, 168, 10, 1, 0, 6, 0, static_cast<uint8_t>(d.size() - 24)};
  EXPECT_EQ(ChecksumFinish(ChecksumAdd(ChecksumAdd(0, pseudo, 12), tcp, d.size() - 24)), 0);
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), d.end() - static_cast<long>(payload.size())));
}

// An RFC 1144 decompressor written from the RFC, to check the compressor.
class VjDecompressor {
 public:
  bool Decode(uint16_t protocol, const Bytes& info, Bytes& out) {
    if (protocol == kProtoIp) {
      out = info;
      return true;
    }
    if (protocol == kProtoVjUncompressed) {
      const int slot = info[9];
      out = info;
      out[9] = 6;
      const size_t hlen = static_cast<size_t>(out[0] & 15) * 4 + static_cast<size_t>(out[(out[0] & 15) * 4 + 12] >> 4) * 4;
      state_[slot].assign(out.begin(), out.begin() + static_cast<long>(hlen));
      last_ = slot;
      return true;
    }
    size_t i = 0;
    const uint8_t changes = info[i++];
    if (changes & 0x40) last_ = info[i++];
    Bytes& h = state_[last_];
    if (h.empty()) return false;
    uint8_t* th = h.data() + 20;
    th[16] = info[i++];
    th[17] = info[i++];
    th[13] = static_cast<uint8_t>((th[13] & ~0x08) | ((changes & 0x10) ? 0x08 : 0));
    // An octet 0 introduces a 16-bit delta; any other octet is the delta.
    auto delta = [&]() -> uint32_t {
      if (info[i] == 0) {
        const uint32_t v = Get16(&info[i + 1]);
        i += 3;
        return v;
      }
      return info[i++];
    };
    auto add16 = [&](uint8_t* p, uint32_t d) {
      const uint16_t v = static_cast<uint16_t>(Get16(p) + d);
      p[0] = static_cast<uint8_t>(v >> 8);
      p[1] = static_cast<uint8_t>(v);
    };
    auto add32 = [&](uint8_t* p, uint32_t d) {
      const uint32_t v = Get32(p) + d;
      for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(v >> (24 - 8 * k));
    };
    if ((changes & 0x0F) == 0x0B || (changes & 0x0F) == 0x0F) return false;  // special cases not produced
    if (changes & 0x01) return false;                                         // urgent not produced
    if (changes & 0x02) add16(th + 14, delta());
    if (changes & 0x04) add32(th + 8, delta());
    if (changes & 0x08) add32(th + 4, delta());
    add16(h.data() + 4, (changes & 0x20) ? delta() : 1);
    out = h;
    out.insert(out.end(), info.begin() + static_cast<long>(i), info.end());
    const uint16_t total = static_cast<uint16_t>(out.size());
    out[2] = static_cast<uint8_t>(total >> 8);
    out[3] = static_cast<uint8_t>(total);
    out[10] = out[11] = 0;
    const uint16_t cs = ChecksumFinish(ChecksumAdd(0, out.data(), 20));
    out[10] = static_cast<uint8_t>(cs >> 8);
    out[11] = static_cast<uint8_t>(cs);
    h.assign(out.begin(), out.begin() + static_cast<long>(h.size()));
    return true;
  }

 private:
  Bytes state_[256];
  int last_ = 0;
};

TEST(FrameBuilder, VanJacobsonFramesDecompressToTheOriginalDatagrams) {
  VjCompressor c;
  VjDecompressor d;
  TcpIpHeader h = SampleHeader();
  struct Step {
    uint8_t flags;
    size_t payload;
    uint16_t window;
    uint16_t idStep;
    uint32_t ackStep;
    uint16_t expected;
  } steps[] = {
      {kTcpSyn | kTcpAck, 0, 8192, 1, 0, kProtoIp},             // connection set-up is never compressed
      {kTcpAck | kTcpPsh, 6, 8192, 1, 1, kProtoVjUncompressed},   // first of the connection
      {kTcpAck | kTcpPsh, 16, 8192, 1, 0, kProtoVjCompressed},    // sequence moved
      {kTcpAck | kTcpPsh, 300, 4000, 9, 300, kProtoVjCompressed}, // window, ack and IP id jump
      {kTcpAck, 0, 4000, 1, 300, kProtoVjCompressed},             // pure ack after data
      {kTcpAck, 0, 4000, 1, 0, kProtoVjUncompressed},             // repeated ack: nothing changed
      {kTcpAck | kTcpPsh, 255, 4000, 0, 0, kProtoVjCompressed},   // data after an ack; IP id delta 0
      {kTcpFin | kTcpAck, 0, 4000, 1, 0, kProtoIp},
  };
  uint32_t nextSeq = h.seq;
  for (const Step& s : steps) {
    h.flags = s.flags;
    h.window = s.window;
    h.ipId = static_cast<uint16_t>(h.ipId + s.idStep);
    h.seq = nextSeq;
    h.ack += s.ackStep;
    Bytes payload(s.payload);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7);
    const Bytes datagram = BuildTcpIpDatagram(h, payload.data(), payload.size());
    nextSeq += static_cast<uint32_t>(s.payload) + ((s.flags & kTcpSyn) ? 1 : 0);
    Bytes info, back;
    const uint16_t protocol = c.Encode(datagram, info);
    EXPECT_EQ(protocol, s.expected) << "step with payload " << s.payload;
    if (protocol == kProtoVjCompressed) {
      EXPECT_EQ(info.size(), c.LastHeaderLength() + s.payload);
    }
    ASSERT_TRUE(d.Decode(protocol, info, back));
    EXPECT_EQ(back, datagram) << "step with payload " << s.payload;
  }
}

TEST(ApduBuilder, ElementSizesFollowTheStandard) {
  // Octets of one element (without address) as IEC 60870-5-101/104 define them.
  const struct { uint8_t typ; size_t size; } cases[] = {
      {1, 1},   {3, 1},   {5, 2},   {7, 5},   {9, 3},   {11, 3},  {13, 5},  {15, 5},  {20, 5},  {21, 2},
      {30, 8},  {31, 8},  {32, 9},  {33, 12}, {34, 10}, {35, 10}, {36, 12}, {37, 12}, {38, 10}, {39, 11},
      {40, 11}, {45, 1},  {46, 1},  {47, 1},  {48, 3},  {49, 3},  {50, 5},  {51, 4},  {58, 8},  {59, 8},
      {60, 8},  {61, 10}, {62, 10}, {63, 12}, {64, 11}, {70, 1},  {100, 1}, {101, 1}, {102, 0}, {103, 7},
      {105, 1}, {107, 9}, {110, 3}, {111, 3}, {112, 5}, {113, 1}, {120, 6}, {121, 7}, {122, 4}, {123, 5},
      {124, 4}, {126, 13}, {2, 4},  {4, 4},   {18, 7},
  };
  Rng rng(5);
  for (const auto& c : cases) {
    Bytes e;
    EXPECT_TRUE(AppendElement(e, c.typ, rng, 45000.25));
    EXPECT_EQ(e.size(), c.size) << int(c.typ);
  }
  Bytes none;
  EXPECT_FALSE(AppendElement(none, 106, rng, 0));
  EXPECT_TRUE(none.empty());
}

TEST(ApduBuilder, FramesAndTimeTags) {
  EXPECT_EQ(UApdu(kTestFrAct), (Bytes{0x68, 0x04, 0x43, 0x00, 0x00, 0x00}));
  EXPECT_EQ(SApdu(0x4001), (Bytes{0x68, 0x04, 0x01, 0x00, 0x02, 0x80}));
  Rng rng(1);
  Asdu a = MakeAsdu(1, true, 3, kCauseSpontaneous, 0x1234, 0x0A0B0C, rng, 0);
  const Bytes i = IApdu(5, 0x7FFF, a);
  ASSERT_EQ(i.size(), 12u + 3u + 3u);
  EXPECT_EQ(i[1], i.size() - 2);
  EXPECT_EQ(Bytes(i.begin(), i.begin() + 15),
            (Bytes{0x68, 16, 0x0A, 0x00, 0xFE, 0xFF, 1, 0x83, 3, 0, 0x34, 0x12, 0x0C, 0x0B, 0x0A}));

  // Tuesday 5 March 2024, 13:07:09.250
  Bytes t;
  AppendCp56(t, 45356.0 + (13 * 3600 + 7 * 60 + 9.25) / 86400.0);
  EXPECT_EQ(t, (Bytes{0x22, 0x24, 7, 13, 5 | 2 << 5, 3, 24}));

  // The biggest ASDU fits the 255 octets of an APDU and the 127 objects
  // of the structure qualifier; one more object would not.
  for (uint8_t typ : {1, 9, 13, 21, 30, 36}) {
    for (bool sq : {false, true}) {
      if (sq && typ >= 30) continue;
      Bytes e;
      AppendElement(e, typ, rng, 0);
      const Bytes big = IApdu(0, 0, MakeAsdu(typ, sq, 1000, kCauseSpontaneous, 1, 1, rng, 0));
      const int n = big[7] & 0x7F;
      EXPECT_LE(big.size(), 255u) << int(typ);
      EXPECT_TRUE(n == 127 || big.size() + e.size() + (sq ? 0 : 3) > 255) << int(typ) << " n " << n;
    }
  }
}

}  // namespace
}  // namespace qlxs::sim
