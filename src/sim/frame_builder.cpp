#include "sim/frame_builder.h"

#include <cstring>

namespace qlxs::sim {

uint16_t Fcs16(const uint8_t* data, size_t n) {
  uint16_t fcs = 0xFFFF;
  for (size_t i = 0; i < n; ++i) {
    fcs ^= data[i];
    for (int bit = 0; bit < 8; ++bit) fcs = (fcs & 1) ? static_cast<uint16_t>((fcs >> 1) ^ 0x8408) : fcs >> 1;
  }
  return static_cast<uint16_t>(fcs ^ 0xFFFF);
}

uint32_t ChecksumAdd(uint32_t sum, const uint8_t* data, size_t n) {
  size_t i = 0;
  for (; i + 1 < n; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
  if (i < n) sum += static_cast<uint32_t>(data[i] << 8);
  return sum;
}

uint16_t ChecksumFinish(uint32_t sum) {
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

namespace {

void PutStuffed(Bytes& out, uint8_t c, uint32_t accm) {
  if (c == kPppFlag || c == kPppEscape || (c < 0x20 && (accm >> c) & 1)) {
    out.push_back(kPppEscape);
    out.push_back(c ^ kPppEscapeXor);
  } else {
    out.push_back(c);
  }
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

void Put32(uint8_t* p, uint32_t v) {
  Put16(p, static_cast<uint16_t>(v >> 16));
  Put16(p + 2, static_cast<uint16_t>(v));
}

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t Get32(const uint8_t* p) { return static_cast<uint32_t>(Get16(p)) << 16 | Get16(p + 2); }

Bytes PaddedToWords(const Bytes& options) {
  Bytes b = options;
  while (b.size() % 4) b.push_back(0);  // end-of-option-list octets
  return b;
}

}  // namespace

void AppendPppFrame(Bytes& out, uint16_t protocol, const uint8_t* info, size_t n, const PppFraming& framing,
                    bool openingFlag) {
  Bytes body;
  body.reserve(n + 6);
  if (framing.addressControl) {
    body.push_back(kPppAddress);
    body.push_back(kPppControl);
  }
  if (!(framing.compressProtocol && protocol < 0x100)) body.push_back(static_cast<uint8_t>(protocol >> 8));
  body.push_back(static_cast<uint8_t>(protocol));
  body.insert(body.end(), info, info + n);
  const uint16_t fcs = Fcs16(body.data(), body.size());
  body.push_back(static_cast<uint8_t>(fcs));
  body.push_back(static_cast<uint8_t>(fcs >> 8));

  if (openingFlag) out.push_back(kPppFlag);
  for (uint8_t c : body) PutStuffed(out, c, framing.accm);
  out.push_back(kPppFlag);
}

Bytes BuildTcpIpDatagram(const TcpIpHeader& h, const uint8_t* payload, size_t n) {
  const Bytes ipOpt = PaddedToWords(h.ipOptions);
  const Bytes tcpOpt = PaddedToWords(h.tcpOptions);
  const size_t ihl = 20 + ipOpt.size();
  const size_t thl = 20 + tcpOpt.size();
  const size_t total = ihl + thl + n;

  Bytes d(total, 0);
  uint8_t* ip = d.data();
  ip[0] = static_cast<uint8_t>(0x40 | (ihl / 4));
  Put16(ip + 2, static_cast<uint16_t>(total));
  Put16(ip + 4, h.ipId);
  Put16(ip + 6, 0x4000);  // don't fragment
  ip[8] = h.ttl;
  ip[9] = kIpProtoTcp;
  std::memcpy(ip + 12, h.src, 4);
  std::memcpy(ip + 16, h.dst, 4);
  if (!ipOpt.empty()) std::memcpy(ip + 20, ipOpt.data(), ipOpt.size());
  Put16(ip + 10, ChecksumFinish(ChecksumAdd(0, ip, ihl)));

  uint8_t* tcp = ip + ihl;
  Put16(tcp, h.srcPort);
  Put16(tcp + 2, h.dstPort);
  Put32(tcp + 4, h.seq);
  Put32(tcp + 8, h.ack);
  tcp[12] = static_cast<uint8_t>((thl / 4) << 4);
  tcp[13] = h.flags;
  Put16(tcp + 14, h.window);
  if (!tcpOpt.empty()) std::memcpy(tcp + 20, tcpOpt.data(), tcpOpt.size());
  if (n) std::memcpy(tcp + thl, payload, n);

  uint8_t pseudo[12];
  std::memcpy(pseudo, h.src, 4);
  std::memcpy(pseudo + 4, h.dst, 4);
  pseudo[8] = 0;
  pseudo[9] = kIpProtoTcp;
  Put16(pseudo + 10, static_cast<uint16_t>(thl + n));
  Put16(tcp + 16, ChecksumFinish(ChecksumAdd(ChecksumAdd(0, pseudo, 12), tcp, thl + n)));
  return d;
}

// ---- Van Jacobson compression ------------------------------------------

namespace {

constexpr uint8_t kNewC = 0x40, kNewI = 0x20, kPush = 0x10, kNewS = 0x08, kNewA = 0x04, kNewW = 0x02;

// A delta that is never zero: one octet below 256, else 0 and 16 bits.
void EncodeDelta(Bytes& out, uint16_t v) {
  if (v >= 256) {
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
  } else {
    out.push_back(static_cast<uint8_t>(v));
  }
}

// A delta that may be zero: zero takes the three-octet form.
void EncodeDeltaZ(Bytes& out, uint16_t v) {
  if (v == 0) {
    out.insert(out.end(), {0, 0, 0});
  } else {
    EncodeDelta(out, v);
  }
}

}  // namespace

int VjCompressor::FindSlot(const Bytes& d, size_t ihl) const {
  for (int i = 0; i < 16; ++i) {
    const Bytes& h = slots_[i].header;
    if (!slots_[i].used || h.size() < ihl + 4) continue;
    const size_t oihl = static_cast<size_t>(h[0] & 15) * 4;
    if (std::memcmp(h.data() + 12, d.data() + 12, 8) == 0 && std::memcmp(h.data() + oihl, d.data() + ihl, 4) == 0)
      return i;
  }
  return -1;
}

uint16_t VjCompressor::Encode(const Bytes& d, Bytes& info, bool allowCompressed) {
  lastHeaderLength_ = 0;
  info.clear();
  const size_t ihl = d.size() >= 20 ? static_cast<size_t>(d[0] & 15) * 4 : 0;
  const bool tcp = ihl >= 20 && d.size() >= ihl + 20 && d[9] == 6 && (Get16(d.data() + 6) & 0x3FFF) == 0;
  if (!tcp) {
    info = d;
    return kProtoIp;
  }
  const uint8_t* th = d.data() + ihl;
  const size_t hlen = ihl + static_cast<size_t>(th[12] >> 4) * 4;
  const uint8_t flags = th[13];
  if ((flags & (kTcpSyn | kTcpFin | kTcpRst | kTcpAck)) != kTcpAck || hlen > d.size()) {
    info = d;
    return kProtoIp;
  }

  int slot = FindSlot(d, ihl);
  bool compress = allowCompressed && slot >= 0 && ihl == 20 && !(flags & 0x20);  // no urgent data
  Bytes hdr;
  if (compress) {
    const Bytes& o = slots_[slot].header;
    const uint8_t* oth = o.data() + 20;
    // Fields that must stay constant: TOS, flags/fragment, TTL, header
    // lengths and TCP options.
    compress = o.size() == hlen && o[1] == d[1] && Get16(o.data() + 6) == Get16(d.data() + 6) && o[8] == d[8] &&
               std::memcmp(oth + 20, th + 20, hlen - 40) == 0 && Get16(oth + 18) == Get16(th + 18);
    uint8_t changes = 0;
    Bytes deltas;
    if (compress) {
      const uint16_t dw = static_cast<uint16_t>(Get16(th + 14) - Get16(oth + 14));
      if (dw) {
        EncodeDelta(deltas, dw);
        changes |= kNewW;
      }
      const uint32_t da = Get32(th + 8) - Get32(oth + 8);
      if (da) {
        if (da > 0xFFFF) compress = false;
        EncodeDelta(deltas, static_cast<uint16_t>(da));
        changes |= kNewA;
      }
      const uint32_t ds = Get32(th + 4) - Get32(oth + 4);
      if (ds) {
        if (ds > 0xFFFF) compress = false;
        EncodeDelta(deltas, static_cast<uint16_t>(ds));
        changes |= kNewS;
      }
      // Nothing changed and no new data: a repeated ack or a window probe,
      // which goes uncompressed in case the peer missed the compressed one.
      if (changes == 0 && !(Get16(d.data() + 2) != Get16(o.data() + 2) && Get16(o.data() + 2) == hlen))
        compress = false;
      const uint16_t di = static_cast<uint16_t>(Get16(d.data() + 4) - Get16(o.data() + 4));
      if (di != 1) {
        EncodeDeltaZ(deltas, di);
        changes |= kNewI;
      }
      if (flags & kTcpPsh) changes |= kPush;
    }
    if (compress) {
      if (slot != lastSent_) {
        hdr.push_back(changes | kNewC);
        hdr.push_back(static_cast<uint8_t>(slot));
      } else {
        hdr.push_back(changes);
      }
      hdr.push_back(th[16]);
      hdr.push_back(th[17]);
      hdr.insert(hdr.end(), deltas.begin(), deltas.end());
    }
  }

  if (slot < 0) {
    slot = nextSlot_;
    nextSlot_ = (nextSlot_ + 1) % 16;
  }
  slots_[slot].used = true;
  slots_[slot].header.assign(d.begin(), d.begin() + static_cast<long>(hlen));
  lastSent_ = slot;
  if (compress) {
    info = hdr;
    info.insert(info.end(), d.begin() + static_cast<long>(hlen), d.end());
    lastHeaderLength_ = hdr.size();
    return kProtoVjCompressed;
  }
  info = d;
  info[9] = static_cast<uint8_t>(slot);
  return kProtoVjUncompressed;
}

}  // namespace qlxs::sim
