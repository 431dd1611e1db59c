#include "sim/line_simulator.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string_view>

#include "model/apdu.h"
#include "model/date_time.h"
#include "sim/apdu_builder.h"

namespace qlxs::sim {

const char* FaultName(Fault f) {
  switch (f) {
    case Fault::WrongLength: return "wrong-length";
    case Fault::WrongCause: return "wrong-cause";
    case Fault::UndefinedType: return "undefined-type";
    case Fault::LostSegment: return "lost-segment";
    case Fault::Garbage: return "garbage";
  }
  return "?";
}

bool ParseFaults(const std::string& list, uint32_t& faults) {
  faults = 0;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    const std::string_view name(list.data() + start, comma - start);
    if (name == "all") {
      faults = kAllFaults;
    } else if (!name.empty()) {
      bool known = false;
      for (int k = 0; k < kFaultKinds; ++k)
        if (name == FaultName(static_cast<Fault>(k))) {
          faults |= 1u << k;
          known = true;
        }
      if (!known) return false;
    }
    start = comma + 1;
  }
  return true;
}

namespace {

// A segment never carries more payload than this, so even a payload made of
// nothing but octets that need escaping keeps the frame within 1500 octets.
constexpr size_t kMaxPayload = 600;
// I-format APDUs a peer receives before it must acknowledge them.
constexpr int kAckWindow = 8;

// Monitor-direction types with several objects per ASDU, and whether SQ = 1
// is allowed for them (types with time tags never use sequences).
constexpr uint8_t kMonitorTypes[] = {1, 3, 5, 7, 9, 11, 13, 15, 20, 21, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40};
bool MayUseSequence(uint8_t typ) { return typ <= 21; }
bool OnlyOneObject(uint8_t typ) { return typ == 39 || typ == 40 || typ >= 45; }

// Commands with the answers they get: activation, confirmation, and for the
// commands proper, the termination.
constexpr uint8_t kCommandTypes[] = {45, 46, 47, 48, 49, 50, 51, 58, 59, 60, 61, 62, 63, 64, 105, 107, 110, 111, 112, 113};
bool HasTermination(uint8_t typ) { return typ <= 64; }

// The commands of the system in the control direction, with the cause the
// station answers a read with.
constexpr uint8_t kSystemCommands[] = {100, 101, 102, 103};

// Types not defined for IEC 104 at all, and types the type list holds but
// that no station may send.
constexpr uint8_t kUndefinedTypes[] = {0, 22, 29, 41, 44, 52, 57, 65, 69, 71, 99, 106, 108, 109, 114, 119, 127,
                                       128, 130, 133, 134, 200, 255};
// Causes that are not permitted for any type (0 and undefined codes).
constexpr uint8_t kBadCauses[] = {0, 48, 50, 55, 60, 63};

struct OutApdu {
  Bytes octets;
  uint8_t ta = TaIFormat;   // format class
  uint8_t stat = StatOk;    // verdict on the whole APDU
  size_t sent = 0;          // octets already sent
  uint16_t originProt = 0;  // header of the frame that carried its first octets
  uint8_t originOfs = 0;
  int asdu = -1;            // index of its ASDU in the result, when kept
};

struct Side {
  int line = 0;
  uint8_t ip[4]{};
  uint16_t port = 0;
  uint32_t seq = 0;
  uint16_t ipId = 0;
  uint16_t window = 8192;
  uint16_t vs = 0, vr = 0;  // IEC 104 send and receive sequence numbers
  int unacked = 0;          // I-format APDUs received and not yet acknowledged
  PppFraming framing;       // framing in force for the frames this side sends
  PppFraming wantsToReceive;
  VjCompressor vj;
  bool vjOn = false;
  std::deque<OutApdu> queue;
  Bytes pending;            // octets the monitor's receiver holds that nothing has closed yet
  bool pendingInSync = false;
  bool inSync = false;
  uint8_t lcpId = 1;
  uint32_t magic = 0;
};

struct FrameInfo {
  uint16_t prot = 0;
  uint8_t ofs = 0;
  bool vidKnown = true;
};

}  // namespace

class Simulator {
 public:
  explicit Simulator(const SimOptions& o) : opt_(o), rng_(o.seed) {}
  SimResult Run();
  SimResult Next(int apdus);

 private:
  Side& Station() { return side_[0]; }
  Side& Master() { return side_[1]; }
  Side& Other(Side& s) { return side_[1 - s.line]; }
  std::vector<ExpectedTelegram>& Expect(Side& s) { return r_.expected[s.line]; }
  void Advance(int lo, int hi) { now_ += rng_.Between(lo, hi) / 86'400'000.0; }
  void Put(Side& s, const uint8_t* p, size_t n);
  void Begin();

  T_VId VidOf(Side& s);
  void EmitText(Side& s, std::string_view text);
  FrameInfo EmitFrame(Side& s, uint16_t protocol, const Bytes& info, const PppFraming& framing, uint8_t ta);
  FrameInfo SendSegment(Side& s, uint8_t flags, const Bytes& payload, bool single, bool lost = false);
  void ExpectApdu(Side& s, const Bytes& octets, uint8_t stat, uint8_t ta, uint16_t prot, uint8_t ofs, bool vidKnown,
                  int asdu = -1);
  void ExpectPiece(Side& s, const uint8_t* p, size_t n, uint8_t ta, const FrameInfo& f);

  void Lcp(Side& s, uint8_t code, uint8_t id, const Bytes& options);
  void Ipcp(Side& s, uint8_t code, uint8_t id, const Bytes& options);
  Bytes LcpOptions(Side& s);
  Bytes IpcpOptions(Side& s);

  void QueueI(Side& s, const Asdu& a, uint8_t stat = StatOk);
  void QueueS(Side& s);
  void QueueU(Side& s, uint8_t function);
  void Flush(Side& s);
  void Send(Side& s);
  void PureAck(Side& s);
  void MaybeGarbage(Side& s);

  uint8_t PickFault(uint8_t typ);
  void StationData(uint8_t typ, uint8_t cot, int maxObjects, bool allowFault);
  void Opening();
  void Conversation();
  void Closing();
  void Interrogation();
  void CounterInterrogation();
  void Command();
  void Read();
  void ClockSync();
  void FileTransfer();
  void TestFrame();
  void Spontaneous();
  uint8_t MaybeTest();
  Asdu AnyAddress(Asdu a);
  void AllMonitorTypes();
  void AllCommands();
  void WholeFileTransfer();
  void LostSegment();

  SimOptions opt_;
  Rng rng_;
  Side side_[2];
  SimResult r_;
  double now_ = 0;
  uint16_t ca_ = 1;
  size_t nextMonitorType_ = 0;
  bool begun_ = false;
};


T_VId Simulator::VidOf(Side& s) {
  Side& o = Other(s);
  T_VId v{};
  std::memcpy(v.sip, s.ip, 4);
  std::memcpy(v.dip, o.ip, 4);
  v.sprt[0] = static_cast<uint8_t>(s.port >> 8);
  v.sprt[1] = static_cast<uint8_t>(s.port);
  v.dprt[0] = static_cast<uint8_t>(o.port >> 8);
  v.dprt[1] = static_cast<uint8_t>(o.port);
  return v;
}

// Octets on the side's line, recorded as a run of their own when the other
// line spoke last or time has passed since.
void Simulator::Put(Side& s, const uint8_t* p, size_t n) {
  Bytes& line = r_.line[s.line];
  line.insert(line.end(), p, p + n);
  std::vector<LineRun>& runs = r_.runs;
  if (runs.empty() || runs.back().line != s.line || runs.back().time != now_)
    runs.push_back({static_cast<uint8_t>(s.line), 0, now_});
  runs.back().size += static_cast<uint32_t>(n);
}

// Text on a line that is out of flag synchronisation: the receiver closes a
// line at LF when it holds more than two octets and began with CR or LF;
// other octets stay in the receiver until something closes them.
void Simulator::EmitText(Side& s, std::string_view text) {
  for (char ch : text) {
    const auto c = static_cast<uint8_t>(ch);
    Put(s, &c, 1);
    s.pending.push_back(c);
    s.pendingInSync = s.inSync;
    if (!s.inSync && c == kLf && s.pending.size() > 2 && (s.pending[0] == kCr || s.pending[0] == kLf)) {
      ExpectedTelegram t;
      t.stat = StatTextLine;
      t.data = s.pending;
      Expect(s).push_back(std::move(t));
      s.pending.clear();
    }
  }
}

FrameInfo Simulator::EmitFrame(Side& s, uint16_t protocol, const Bytes& info, const PppFraming& framing, uint8_t ta) {
  // Out of synchronisation, or with octets waiting in the receiver, a frame
  // needs its opening flag; otherwise one flag between frames is enough.
  const bool openingFlag = !s.inSync || !s.pending.empty() || rng_.Percent(30);
  Bytes octets;
  AppendPppFrame(octets, protocol, info.data(), info.size(), framing, openingFlag);
  Put(s, octets.data(), octets.size());

  size_t skip = 0;
  if (!s.pending.empty()) {
    // The opening flag closes what waits in the receiver.
    ExpectedTelegram t;
    t.data = s.pending;
    t.data.push_back(kPppFlag);
    if (s.pendingInSync) {
      // Noise between frames: a PPP frame of an unknown one-octet protocol.
      t.prot = s.pending[0];
      t.ofs = 1;
    } else {
      t.stat = StatNoFrame;
    }
    Expect(s).push_back(std::move(t));
    s.pending.clear();
    skip = 1;
  }
  FrameInfo f;
  f.prot = protocol;
  const bool flag = skip == 0 && openingFlag;
  f.ofs = static_cast<uint8_t>((flag ? 1 : 0) + (framing.addressControl ? 2 : 0) +
                               (framing.compressProtocol && protocol < 0x100 ? 1 : 2));
  ExpectedTelegram t;
  t.ta = ta;
  t.prot = f.prot;
  t.ofs = f.ofs;
  t.data.assign(octets.begin() + static_cast<long>(skip), octets.end());
  Expect(s).push_back(std::move(t));
  s.inSync = true;
  return f;
}

FrameInfo Simulator::SendSegment(Side& s, uint8_t flags, const Bytes& payload, bool single, bool lost) {
  Side& o = Other(s);
  TcpIpHeader h;
  std::memcpy(h.src, s.ip, 4);
  std::memcpy(h.dst, o.ip, 4);
  h.srcPort = s.port;
  h.dstPort = o.port;
  h.seq = s.seq;
  h.ack = (flags & kTcpAck) ? o.seq : 0;
  h.flags = flags;
  if (rng_.Percent(5)) s.window = static_cast<uint16_t>(4096 + rng_.Below(8192));
  h.window = s.window;
  h.ipId = s.ipId++;
  if (flags & kTcpSyn) h.tcpOptions = {0x02, 0x04, 0x05, 0xB4};  // MSS 1460
  s.seq += static_cast<uint32_t>(payload.size()) + ((flags & (kTcpSyn | kTcpFin)) ? 1 : 0);
  const Bytes datagram = BuildTcpIpDatagram(h, payload.data(), payload.size());

  Bytes info;
  uint16_t protocol = kProtoIp;
  bool compressed = false;
  if (s.vjOn) {
    // A compressed frame is found by the APDU that ends it, so only a frame
    // with one whole APDU, or none, is compressed, and never one whose
    // compressed header holds a start octet 0x68.
    protocol = s.vj.Encode(datagram, info, single || payload.empty());
    if (protocol == kProtoVjCompressed) {
      const size_t hl = s.vj.LastHeaderLength();
      if (std::find(info.begin(), info.begin() + static_cast<long>(hl), kApduStart) != info.begin() + static_cast<long>(hl))
        protocol = s.vj.Encode(datagram, info, false);
    }
    compressed = protocol == kProtoVjCompressed;
  } else {
    info = datagram;
  }
  if (lost) return {};
  FrameInfo f = EmitFrame(s, protocol, info, s.framing, compressed && payload.empty() ? TaRaw : TaRaw104);
  f.vidKnown = !compressed;
  return f;
}

void Simulator::ExpectApdu(Side& s, const Bytes& octets, uint8_t stat, uint8_t ta, uint16_t prot, uint8_t ofs,
                           bool vidKnown, int asdu) {
  ExpectedTelegram t;
  t.asdu = asdu;
  t.stat = stat;
  t.ta = ta;
  t.prot = prot;
  t.ofs = ofs;
  t.data = octets;
  t.hasVid = true;
  t.vidKnown = vidKnown;
  t.vid = VidOf(s);
  Expect(s).push_back(std::move(t));
}

void Simulator::ExpectPiece(Side& s, const uint8_t* p, size_t n, uint8_t ta, const FrameInfo& f) {
  ExpectedTelegram t;
  t.stat = StatFragment;
  t.ta = ta;
  t.prot = f.prot;
  t.ofs = f.ofs;
  t.data.assign(p, p + n);
  t.hasVid = true;
  t.vid = VidOf(s);
  Expect(s).push_back(std::move(t));
}

// ---- IEC 104 --------------------------------------------------------------

void Simulator::QueueI(Side& s, const Asdu& a, uint8_t stat) {
  OutApdu x;
  x.octets = IApdu(s.vs, s.vr, a);
  x.stat = stat;
  if (opt_.recordAsdus) {
    x.asdu = static_cast<int>(r_.asdus.size());
    r_.asdus.push_back(a);
  }
  s.vs = (s.vs + 1) & 0x7FFF;
  s.unacked = 0;
  Side& o = Other(s);
  o.vr = (o.vr + 1) & 0x7FFF;
  ++o.unacked;
  s.queue.push_back(std::move(x));
  ++r_.apdusSent;
}

void Simulator::QueueS(Side& s) {
  OutApdu x;
  x.octets = SApdu(s.vr);
  x.ta = TaSFormat;
  s.unacked = 0;
  s.queue.push_back(std::move(x));
  ++r_.apdusSent;
}

void Simulator::QueueU(Side& s, uint8_t function) {
  OutApdu x;
  x.octets = UApdu(function);
  x.ta = TaUFormat;
  s.queue.push_back(std::move(x));
  ++r_.apdusSent;
}

// Sends what is queued, in segments of whole APDUs; now and then a segment
// ends inside an APDU, whose rest follows in the next segment or later.
void Simulator::Flush(Side& s) {
  while (!s.queue.empty()) {
    MaybeGarbage(s);
    struct Part {
      OutApdu apdu;
      size_t from, to;
    };
    std::vector<Part> parts;
    Bytes payload;
    bool split = false;
    while (!s.queue.empty()) {
      OutApdu& a = s.queue.front();
      const size_t rest = a.octets.size() - a.sent;
      if (!payload.empty() && payload.size() + rest > kMaxPayload) break;
      size_t take = rest;
      // A new APDU keeps at least its start and length octets in the first
      // segment; a continuation may be cut anywhere.
      const size_t minHead = a.sent == 0 ? 2 : 1;
      if (rest > minHead && rng_.Percent(opt_.splitPercent)) {
        take = static_cast<size_t>(rng_.Between(static_cast<int>(minHead), static_cast<int>(rest - 1)));
        split = true;
      }
      parts.push_back({a, a.sent, a.sent + take});
      payload.insert(payload.end(), a.octets.begin() + static_cast<long>(a.sent),
                     a.octets.begin() + static_cast<long>(a.sent + take));
      a.sent += take;
      if (a.sent == a.octets.size()) s.queue.pop_front();
      if (split) break;
    }
    const bool single = parts.size() == 1 && parts[0].from == 0 && parts[0].to == parts[0].apdu.octets.size();
    const FrameInfo f = SendSegment(s, kTcpAck | kTcpPsh, payload, single);

    uint8_t cls = TaRaw104;
    for (const Part& p : parts) {
      const OutApdu& a = p.apdu;
      const bool whole = p.from == 0 && p.to == a.octets.size();
      if (whole) {
        ExpectApdu(s, a.octets, a.stat, a.ta, f.prot, f.ofs, f.vidKnown, a.asdu);
        cls = a.ta;
        continue;
      }
      ExpectPiece(s, a.octets.data() + p.from, p.to - p.from, cls, f);
      if (p.from == 0) {
        ++r_.splitApdus;
        s.queue.front().originProt = f.prot;
        s.queue.front().originOfs = f.ofs;
      }
      if (p.to == a.octets.size()) {
        ExpectApdu(s, a.octets, a.stat == StatOk ? uint8_t{StatReassembled} : a.stat, a.ta, a.originProt, a.originOfs, true,
                   a.asdu);
        cls = a.ta;
      }
    }
    if (split && rng_.Percent(50)) break;  // the rest goes with this side's next segment
  }
}

// Sends the side's queue, lets the peer acknowledge when its window is full,
// and now and then acknowledges on the TCP level alone.
void Simulator::Send(Side& s) {
  Flush(s);
  Side& o = Other(s);
  Advance(5, 60);
  if (o.unacked >= kAckWindow) {
    QueueS(o);
    Flush(o);
  } else if (rng_.Percent(15)) {
    PureAck(o);
  }
}

void Simulator::PureAck(Side& s) {
  MaybeGarbage(s);
  SendSegment(s, kTcpAck, {}, false);
}

void Simulator::MaybeGarbage(Side& s) {
  if (!(opt_.faults & FaultBit(Fault::Garbage)) || !s.inSync || !s.pending.empty() ||
      !rng_.Percent(100 / std::max(opt_.faultEvery, 1)))
    return;
  // Noise without flags or escapes, starting with an odd octet that names no
  // protocol the monitor unwraps: a frame it keeps as it is.
  const int n = rng_.Between(1, 40);
  Bytes g;
  do {
    g.assign(1, static_cast<uint8_t>(rng_.Octet() | 1));
  } while (g[0] == (kProtoIp & 0xFF) || g[0] == (kProtoVjCompressed & 0xFF) || g[0] == (kProtoVjUncompressed & 0xFF) ||
           g[0] == kPppAddress || g[0] == kPppFlag || g[0] == kPppEscape);
  while (static_cast<int>(g.size()) < n) {
    const uint8_t c = rng_.Octet();
    if (c != kPppFlag && c != kPppEscape) g.push_back(c);
  }
  Put(s, g.data(), g.size());
  s.pending = g;
  s.pendingInSync = true;
  ++r_.faults[static_cast<int>(Fault::Garbage)];
}

uint8_t Simulator::PickFault(uint8_t typ) {
  static constexpr Fault kApduFaults[] = {Fault::WrongLength, Fault::WrongCause, Fault::UndefinedType};
  if (!(opt_.faults & (FaultBit(Fault::WrongLength) | FaultBit(Fault::WrongCause) | FaultBit(Fault::UndefinedType))) ||
      !rng_.Percent(100 / std::max(opt_.faultEvery, 1)))
    return 0xFF;
  for (int tries = 0; tries < 8; ++tries) {
    const Fault f = kApduFaults[rng_.Below(3)];
    if (!(opt_.faults & FaultBit(f))) continue;
    if (f == Fault::WrongCause && typ == 125) continue;  // file segments have no cause check
    return static_cast<uint8_t>(f);
  }
  return 0xFF;
}

// The station sends one ASDU of type `typ`, possibly with an injected fault.
void Simulator::StationData(uint8_t typ, uint8_t cot, int maxObjects, bool allowFault) {
  const bool sq = MayUseSequence(typ) && rng_.Percent(30);
  const int n = OnlyOneObject(typ) ? 1 : rng_.Between(1, maxObjects);
  const uint32_t ioa = 1000u * typ + rng_.Below(500);
  Asdu a = MakeAsdu(typ, sq, n, cot, ca_, ioa, rng_, now_);
  uint8_t stat = StatOk;
  switch (allowFault ? PickFault(typ) : 0xFF) {
    case static_cast<uint8_t>(Fault::WrongLength):
      for (int i = rng_.Between(1, 3); i > 0; --i) a.objects.push_back(rng_.Octet());
      stat = StatAsduLengthError;
      ++r_.faults[static_cast<int>(Fault::WrongLength)];
      break;
    case static_cast<uint8_t>(Fault::WrongCause):
      a.cot = static_cast<uint8_t>((a.cot & 0xC0) | kBadCauses[rng_.Below(sizeof kBadCauses)]);
      stat = StatCauseError;
      ++r_.faults[static_cast<int>(Fault::WrongCause)];
      break;
    case static_cast<uint8_t>(Fault::UndefinedType):
      a.typ = kUndefinedTypes[rng_.Below(sizeof kUndefinedTypes)];
      stat = StatUnknownType;
      ++r_.faults[static_cast<int>(Fault::UndefinedType)];
      break;
    default: break;
  }
  QueueI(Station(), a, stat);
}

// ---- PPP --------------------------------------------------------------------

void Simulator::Lcp(Side& s, uint8_t code, uint8_t id, const Bytes& options) {
  Bytes p = {code, id, 0, static_cast<uint8_t>(4 + options.size())};
  p.insert(p.end(), options.begin(), options.end());
  EmitFrame(s, kProtoLcp, p, PppFraming{}, TaRaw);  // LCP always goes with the default framing
  Advance(20, 200);
}

void Simulator::Ipcp(Side& s, uint8_t code, uint8_t id, const Bytes& options) {
  Bytes p = {code, id, 0, static_cast<uint8_t>(4 + options.size())};
  p.insert(p.end(), options.begin(), options.end());
  EmitFrame(s, kProtoIpcp, p, s.framing, TaRaw);
  Advance(20, 200);
}

// The options with which a side asks its peer how to send to it.
Bytes Simulator::LcpOptions(Side& s) {
  const PppFraming& w = s.wantsToReceive;
  Bytes o = {0x01, 0x04, 0x05, 0xDC};  // MRU 1500
  o.insert(o.end(), {0x02, 0x06, static_cast<uint8_t>(w.accm >> 24), static_cast<uint8_t>(w.accm >> 16),
                     static_cast<uint8_t>(w.accm >> 8), static_cast<uint8_t>(w.accm)});
  o.insert(o.end(), {0x05, 0x06, static_cast<uint8_t>(s.magic >> 24), static_cast<uint8_t>(s.magic >> 16),
                     static_cast<uint8_t>(s.magic >> 8), static_cast<uint8_t>(s.magic)});
  if (w.compressProtocol) o.insert(o.end(), {0x07, 0x02});
  if (!w.addressControl) o.insert(o.end(), {0x08, 0x02});
  return o;
}

Bytes Simulator::IpcpOptions(Side& s) {
  Bytes o = {0x03, 0x06, s.ip[0], s.ip[1], s.ip[2], s.ip[3]};
  if (opt_.vj) o.insert(o.end(), {0x02, 0x06, 0x00, 0x2D, 0x0F, 0x01});
  return o;
}

// ---- The conversation -----------------------------------------------------

void Simulator::Opening() {
  Side& st = Station();
  Side& ms = Master();
  // An incoming call that the station's router answers.
  EmitText(ms, "\r\nRING\r\n");
  Advance(1000, 3000);
  EmitText(st, "ATA\r");
  Advance(5000, 15000);
  EmitText(ms, "\r\nCONNECT 9600\r\n");
  Advance(100, 500);

  static constexpr uint32_t kAccms[] = {0, 0x000A0000, kFullAccm};
  for (Side* s : {&st, &ms}) {
    s->magic = static_cast<uint32_t>(rng_.Below(0x10000)) << 16 | rng_.Below(0x10000);
    s->wantsToReceive.accm = kAccms[rng_.Below(3)];
    s->wantsToReceive.addressControl = rng_.Percent(40);
    s->wantsToReceive.compressProtocol = rng_.Percent(60);
  }
  const uint8_t idSt = st.lcpId++, idMs = ms.lcpId++;
  Lcp(st, 1, idSt, LcpOptions(st));
  Lcp(ms, 1, idMs, LcpOptions(ms));
  Lcp(ms, 2, idSt, LcpOptions(st));
  Lcp(st, 2, idMs, LcpOptions(ms));
  st.framing = ms.wantsToReceive;
  ms.framing = st.wantsToReceive;

  Ipcp(st, 1, 1, IpcpOptions(st));
  Ipcp(ms, 1, 1, IpcpOptions(ms));
  Ipcp(ms, 2, 1, IpcpOptions(st));
  Ipcp(st, 2, 1, IpcpOptions(ms));
  st.vjOn = ms.vjOn = opt_.vj;

  // The control centre connects to the station.
  SendSegment(ms, kTcpSyn, {}, false);
  Advance(50, 300);
  SendSegment(st, kTcpSyn | kTcpAck, {}, false);
  Advance(50, 300);
  SendSegment(ms, kTcpAck, {}, false);
  Advance(10, 100);

  QueueU(ms, kStartDtAct);
  Send(ms);
  QueueU(st, kStartDtCon);
  Send(st);
  Asdu ei = MakeAsdu(70, false, 1, kCauseInitialised, ca_, 0, rng_, now_);
  QueueI(st, ei);
  Send(st);
  Interrogation();
  ClockSync();
}

void Simulator::Interrogation() {
  Side& st = Station();
  Side& ms = Master();
  QueueI(ms, MakeAsdu(100, false, 1, kCauseActivation, ca_, 0, rng_, now_));
  Send(ms);
  QueueI(st, MakeAsdu(100, false, 1, kCauseActivationCon, ca_, 0, rng_, now_));
  Send(st);
  static constexpr uint8_t kStateTypes[] = {1, 3, 5, 7, 9, 11, 13, 20, 21};
  for (uint8_t typ : kStateTypes) {
    if (!rng_.Percent(70)) continue;
    StationData(typ, kCauseInterrogated, 40, true);
    Send(st);
  }
  QueueI(st, MakeAsdu(100, false, 1, kCauseActivationTerm, ca_, 0, rng_, now_));
  Send(st);
}

void Simulator::CounterInterrogation() {
  Side& st = Station();
  QueueI(Master(), MakeAsdu(101, false, 1, kCauseActivation, ca_, 0, rng_, now_));
  Send(Master());
  QueueI(st, MakeAsdu(101, false, 1, kCauseActivationCon, ca_, 0, rng_, now_));
  Send(st);
  StationData(15, kCauseCounterRequest, 20, true);
  if (rng_.Percent(50)) StationData(37, kCauseCounterRequest, 10, true);
  Send(st);
  QueueI(st, MakeAsdu(101, false, 1, kCauseActivationTerm, ca_, 0, rng_, now_));
  Send(st);
}

void Simulator::Command() {
  Side& st = Station();
  const uint8_t typ = kCommandTypes[rng_.Below(sizeof kCommandTypes)];
  const uint32_t ioa = 5000u + rng_.Below(100);
  Asdu act = MakeAsdu(typ, false, 1, kCauseActivation, ca_, ioa, rng_, now_);
  QueueI(Master(), act);
  Send(Master());
  Advance(20, 400);
  Asdu con = act;
  const bool negative = rng_.Percent(10);
  con.cot = kCauseActivationCon | (negative ? kCauseNegative : 0);
  QueueI(st, con);
  Send(st);
  if (HasTermination(typ) && !negative) {
    Advance(100, 2000);
    Asdu term = act;
    term.cot = kCauseActivationTerm;
    QueueI(st, term);
    Send(st);
  }
}

void Simulator::Read() {
  static constexpr uint8_t kReadable[] = {1, 3, 9, 11, 13};
  const uint8_t typ = kReadable[rng_.Below(sizeof kReadable)];
  const uint32_t ioa = 1000u * typ + rng_.Below(500);
  QueueI(Master(), MakeAsdu(102, false, 1, kCauseRequest, ca_, ioa, rng_, now_));
  Send(Master());
  QueueI(Station(), MakeAsdu(typ, false, 1, kCauseRequest, ca_, ioa, rng_, now_));
  Send(Station());
}

void Simulator::ClockSync() {
  Asdu act = MakeAsdu(103, false, 1, kCauseActivation, ca_, 0, rng_, now_);
  QueueI(Master(), act);
  Send(Master());
  act.cot = kCauseActivationCon;
  QueueI(Station(), act);
  Send(Station());
}

// The control centre reads the station's directory and fetches a file.
void Simulator::FileTransfer() {
  Side& st = Station();
  Side& ms = Master();
  QueueI(ms, MakeAsdu(122, false, 1, kCauseRequest, ca_, 0, rng_, now_));
  Send(ms);
  QueueI(st, MakeAsdu(126, true, rng_.Between(1, 5), kCauseRequest, ca_, 0, rng_, now_));
  Send(st);
  const uint32_t ioa = 7000u + rng_.Below(10);
  QueueI(ms, MakeAsdu(122, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(ms);
  QueueI(st, MakeAsdu(120, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(st);
  QueueI(ms, MakeAsdu(122, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(ms);
  QueueI(st, MakeAsdu(121, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(st);
  QueueI(ms, MakeAsdu(122, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(ms);
  for (int i = rng_.Between(1, 4); i > 0; --i) StationData(125, kCauseFileTransfer, 1, true);
  QueueI(st, MakeAsdu(123, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(st);
  QueueI(ms, MakeAsdu(124, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(ms);
  QueueI(st, MakeAsdu(123, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(st);
  QueueI(ms, MakeAsdu(124, false, 1, kCauseFileTransfer, ca_, ioa, rng_, now_));
  Send(ms);
}

void Simulator::TestFrame() {
  Side& a = rng_.Percent(50) ? Station() : Master();
  QueueU(a, kTestFrAct);
  Send(a);
  QueueU(Other(a), kTestFrCon);
  Send(Other(a));
}

// A burst of spontaneous data; every monitor-direction type comes once
// before the types are picked at random.
void Simulator::Spontaneous() {
  for (int i = rng_.Between(1, 5); i > 0; --i) {
    uint8_t typ;
    if (nextMonitorType_ < sizeof kMonitorTypes)
      typ = kMonitorTypes[nextMonitorType_++];
    else
      typ = kMonitorTypes[rng_.Below(sizeof kMonitorTypes)];
    const uint8_t cot = (typ == 15 || typ == 37) && rng_.Percent(30) ? kCauseCounterRequest : kCauseSpontaneous;
    StationData(typ, cot, 6, true);
    Advance(1, 30);
  }
  Send(Station());
}

// The monitor misses the segment with the last six octets of an APDU. The
// station's next segment, an S-format acknowledgement of six octets, then
// completes the pending APDU in the monitor: the APDU is stored with the
// acknowledgement in place of its last octets, and the acknowledgement
// itself is not seen as an APDU.
void Simulator::LostSegment() {
  Side& st = Station();
  while (!st.queue.empty()) Flush(st);
  ++r_.faults[static_cast<int>(Fault::LostSegment)];
  ++r_.splitApdus;
  QueueI(st, MakeAsdu(36, false, rng_.Between(1, 3), kCauseSpontaneous, ca_, 36000 + rng_.Below(100), rng_, now_));
  OutApdu x = std::move(st.queue.front());
  st.queue.pop_front();
  const size_t head = x.octets.size() - 6;
  const FrameInfo f = SendSegment(st, kTcpAck | kTcpPsh, Bytes(x.octets.begin(), x.octets.begin() + static_cast<long>(head)), false);
  ExpectPiece(st, x.octets.data(), head, TaRaw104, f);
  SendSegment(st, kTcpAck | kTcpPsh, Bytes(x.octets.begin() + static_cast<long>(head), x.octets.end()), false, true);
  Advance(5, 50);

  const Bytes ack = SApdu(st.vr);
  st.unacked = 0;
  ++r_.apdusSent;
  const FrameInfo g = SendSegment(st, kTcpAck | kTcpPsh, ack, true);
  ExpectPiece(st, ack.data(), ack.size(), TaRaw104, g);
  Bytes wrong(x.octets.begin(), x.octets.begin() + static_cast<long>(head));
  wrong.insert(wrong.end(), ack.begin(), ack.end());
  ExpectApdu(st, wrong, StatReassembled, TaIFormat, f.prot, f.ofs, true);
  Send(st);
}

// ---- Every type ------------------------------------------------------------

// The test bit for about one ASDU in eight.
uint8_t Simulator::MaybeTest() { return rng_.Percent(12) ? kCauseTest : 0; }

// The ASDU with a random originator and common address, and its objects
// moved to a random address that leaves room for all of them below 2^24.
Asdu Simulator::AnyAddress(Asdu a) {
  a.ori = rng_.Octet();
  a.ca = static_cast<uint16_t>(rng_.Below(0x10000));
  const uint32_t ioa = rng_.Below(0x1000000u - a.n);
  const uint32_t first = a.values.empty() ? 0 : a.values.front().ioa;
  Bytes& o = a.objects;
  const size_t stride = a.sq ? 0 : o.size() / a.n;
  for (size_t i = 0; i < (a.sq ? 1u : a.n); ++i) {
    const uint32_t v = ioa + static_cast<uint32_t>(i);
    o[i * stride] = static_cast<uint8_t>(v);
    o[i * stride + 1] = static_cast<uint8_t>(v >> 8);
    o[i * stride + 2] = static_cast<uint8_t>(v >> 16);
  }
  for (ObjectRecord& v : a.values) v.ioa = v.ioa - first + ioa;
  return a;
}

// Every monitor type with one object, with several, and with as many as one
// APDU holds; as a sequence too where the type allows it.
void Simulator::AllMonitorTypes() {
  for (const uint8_t typ : kMonitorTypes) {
    for (const bool sq : {false, true}) {
      if (sq && !MayUseSequence(typ)) continue;
      for (const int n : {1, rng_.Between(2, 6), MaxObjects(typ, sq)}) {
        if (OnlyOneObject(typ) && n > 1) continue;
        const Asdu a = MakeAsdu(typ, sq, n, kCauseSpontaneous | MaybeTest(), 0, 0, rng_, now_);
        QueueI(Station(), AnyAddress(a));
        Send(Station());
        Advance(1, 30);
      }
    }
  }
}

// Every command: activation, confirmation (about one in four negative) and,
// for the commands proper, the termination; the interrogations, the read
// with its answer and the clock synchronisation.
void Simulator::AllCommands() {
  std::vector<uint8_t> types(std::begin(kCommandTypes), std::end(kCommandTypes));
  types.insert(types.end(), std::begin(kSystemCommands), std::end(kSystemCommands));
  for (const uint8_t typ : types) {
    if (typ == 102) {
      const Asdu read = AnyAddress(MakeAsdu(102, false, 1, kCauseRequest | MaybeTest(), 0, 0, rng_, now_));
      QueueI(Master(), read);
      Send(Master());
      Asdu answer = MakeAsdu(13, false, 1, static_cast<uint8_t>(kCauseRequest | (read.cot & kCauseTest)), read.ca,
                             read.values.front().ioa, rng_, now_);
      answer.ori = read.ori;
      QueueI(Station(), answer);
      Send(Station());
      continue;
    }
    const Asdu act = AnyAddress(MakeAsdu(typ, false, 1, kCauseActivation | MaybeTest(), 0, 0, rng_, now_));
    QueueI(Master(), act);
    Send(Master());
    Asdu con = act;
    const bool negative = rng_.Percent(25);
    con.cot = static_cast<uint8_t>(kCauseActivationCon | (negative ? kCauseNegative : 0) | (act.cot & kCauseTest));
    QueueI(Station(), con);
    Send(Station());
    if ((HasTermination(typ) || typ == 100 || typ == 101) && !negative) {
      Asdu term = act;
      term.cot = static_cast<uint8_t>(kCauseActivationTerm | (act.cot & kCauseTest));
      QueueI(Station(), term);
      Send(Station());
    }
  }
}

// A file transfer as the control centre runs it: the directory, selecting
// and calling the file, then per section: section ready, call, segments of
// the longest length and a shorter last one, last segment, acknowledgement;
// then last section and the acknowledgement of the file.
void Simulator::WholeFileTransfer() {
  Side& st = Station();
  Side& ms = Master();
  const uint8_t test = MaybeTest();
  const uint16_t ca = static_cast<uint16_t>(rng_.Below(0x10000));
  const auto send = [&](Side& s, uint8_t typ, uint8_t cot, bool sq, int n, uint32_t ioa) {
    Asdu a = MakeAsdu(typ, sq, n, static_cast<uint8_t>(cot | test), ca, ioa, rng_, now_);
    QueueI(s, a);
    Send(s);
    return a;
  };
  send(ms, 122, kCauseRequest, false, 1, 0);
  send(st, 126, kCauseRequest, true, rng_.Between(1, MaxObjects(126, true)), 0);
  const uint32_t ioa = rng_.Below(0x1000000u);
  const auto nof = static_cast<uint16_t>(send(ms, 122, kCauseFileTransfer, false, 1, ioa).values.front().fields.front());
  send(st, 120, kCauseFileTransfer, false, 1, ioa);
  send(ms, 122, kCauseFileTransfer, false, 1, ioa);
  for (int section = 1, sections = rng_.Between(1, 3); section <= sections; ++section) {
    send(st, 121, kCauseFileTransfer, false, 1, ioa);
    send(ms, 122, kCauseFileTransfer, false, 1, ioa);
    for (int left = rng_.Between(1, 3 * kMaxSegmentLength); left > 0; left -= kMaxSegmentLength) {
      QueueI(st, MakeSegment(static_cast<uint8_t>(kCauseFileTransfer | test), ca, ioa, nof,
                             static_cast<uint8_t>(section), std::min(left, kMaxSegmentLength), rng_));
      Send(st);
    }
    send(st, 123, kCauseFileTransfer, false, 1, ioa);
    send(ms, 124, kCauseFileTransfer, false, 1, ioa);
  }
  send(st, 123, kCauseFileTransfer, false, 1, ioa);
  send(ms, 124, kCauseFileTransfer, false, 1, ioa);
}

void Simulator::Conversation() {
  if (opt_.allTypes) {
    AllMonitorTypes();
    AllCommands();
    WholeFileTransfer();
  }
  const bool canLose = (opt_.faults & FaultBit(Fault::LostSegment)) && !opt_.vj;
  while (r_.apdusSent < opt_.apdus) {
    Advance(200, 5000);
    const uint32_t pick = rng_.Below(100);
    if (canLose && rng_.Percent(100 / std::max(opt_.faultEvery, 1) / 2 + 1)) {
      LostSegment();
    } else if (pick < 40) {
      Spontaneous();
    } else if (pick < 52) {
      Command();
    } else if (pick < 58) {
      CounterInterrogation();
    } else if (pick < 63) {
      Interrogation();
    } else if (pick < 69) {
      Read();
    } else if (pick < 73) {
      ClockSync();
    } else if (pick < 78) {
      FileTransfer();
    } else if (pick < 88) {
      TestFrame();
    } else if (pick < 95) {
      Side& s = rng_.Percent(70) ? Master() : Station();
      QueueS(s);
      Send(s);
    } else {
      PureAck(rng_.Percent(50) ? Master() : Station());
    }
  }
}

void Simulator::Closing() {
  Side& st = Station();
  Side& ms = Master();
  for (Side* s : {&st, &ms})
    while (!s->queue.empty()) Flush(*s);
  QueueU(ms, kStopDtAct);
  Send(ms);
  QueueU(st, kStopDtCon);
  Send(st);
  SendSegment(ms, kTcpFin | kTcpAck, {}, false);
  Advance(20, 200);
  SendSegment(st, kTcpFin | kTcpAck, {}, false);
  Advance(20, 200);
  SendSegment(ms, kTcpAck, {}, false);
  static const Bytes kReason = {'U', 's', 'e', 'r', ' ', 'r', 'e', 'q', 'u', 'e', 's', 't'};
  Lcp(ms, 5, ms.lcpId++, kReason);
  Lcp(st, 6, static_cast<uint8_t>(ms.lcpId - 1), {});
  Advance(500, 2000);
  // The modem's report is still in the receiver when the line ends: nothing
  // after it closes it but the reception time-out.
  EmitText(ms, "\r\nNO CARRIER\r\n");
  for (Side* s : {&st, &ms}) {
    if (s->pending.empty()) continue;
    ExpectedTelegram t;
    const uint8_t last = s->pending.back();
    t.stat = last == kCr || last == kLf ? StatTextLine : StatTimeout;
    t.data = s->pending;
    t.closedByTimeout = true;
    Expect(*s).push_back(std::move(t));
    s->pending.clear();
  }
}

void Simulator::Begin() {
  Side& st = Station();
  Side& ms = Master();
  st.line = 0;
  ms.line = 1;
  const uint8_t stIp[4] = {192, 168, 10, 20}, msIp[4] = {192, 168, 10, 1};
  std::memcpy(st.ip, stIp, 4);
  std::memcpy(ms.ip, msIp, 4);
  st.port = opt_.port;
  ms.port = static_cast<uint16_t>(1025 + rng_.Below(60000));
  if (ms.port == st.port) ++ms.port;
  for (Side* s : {&st, &ms}) {
    s->seq = static_cast<uint32_t>(rng_.Below(0x10000)) << 16 | rng_.Below(0x10000);
    s->ipId = static_cast<uint16_t>(rng_.Below(0x10000));
  }
  ca_ = static_cast<uint16_t>(1 + rng_.Below(254));
  now_ = EncodeDate(2024 + static_cast<int>(rng_.Below(3)), 1 + static_cast<int>(rng_.Below(12)),
                    1 + static_cast<int>(rng_.Below(28))) +
         rng_.Below(86'000'000) / 86'400'000.0;
  if (opt_.vj) opt_.splitPercent = 0;  // see SimOptions: compressed frames carry whole APDUs
  begun_ = true;
}

SimResult Simulator::Run() {
  Begin();
  Opening();
  Conversation();
  Closing();
  return std::move(r_);
}

// The APDU count of the result runs on from piece to piece, so each piece
// ends once `apdus` more have been sent.
SimResult Simulator::Next(int apdus) {
  const int sent = r_.apdusSent;
  r_ = SimResult{};
  r_.apdusSent = sent;
  opt_.apdus = sent + apdus;
  if (!begun_) {
    Begin();
    Opening();
  }
  Conversation();
  SimResult piece = std::move(r_);
  r_ = SimResult{};
  r_.apdusSent = piece.apdusSent;
  piece.apdusSent -= sent;
  return piece;
}

SimResult SimulateLine(const SimOptions& options) { return Simulator(options).Run(); }

EndlessLine::EndlessLine(const SimOptions& options) : sim_(std::make_unique<Simulator>(options)) {}
EndlessLine::~EndlessLine() = default;
SimResult EndlessLine::Next(int apdus) { return sim_->Next(apdus); }

}  // namespace qlxs::sim
