#include "pcap/telegram_packets.h"

#include <algorithm>
#include <set>

#include "log/log_state.h"
#include "model/port_params.h"
#include "model/ppp.h"
#include "model/version.h"

namespace qlxs {

namespace {

constexpr uint8_t kMillisecondResolution = 3;  // if_tsresol: 10^-3 s
constexpr uint16_t kStandardIec104Port = 2404;

// Exported-PDU tags (big-endian type and length, then the value).
constexpr uint16_t kTagEnd = 0;
constexpr uint16_t kTagDissectorName = 12;
// The dissector name padded with NULs to four octets, so that readers that
// expect padded tag values and readers that do not both find "syslog".
constexpr char kSyslogDissector[] = "syslog\0";
constexpr int kSyslogDissectorLength = 8;

// Syslog priorities: facility local0 with severity warning, notice or info.
constexpr int kSyslogLocal0 = 16;
constexpr int kSeverityWarning = 4;
constexpr int kSeverityNotice = 5;
constexpr int kSeverityInfo = 6;

bool IsPortReceiver(uint8_t ek) { return ek >= 1 && ek <= 4; }

// The octets of raw telegram t to analyse: without the line-error octet of
// a status-1 frame.
int RawLength(const T_Telegramm& t) {
  int n = std::clamp<int>(t.lg, 0, kTelegramDataSize);
  if (t.stat == StatLineError && n > 0) --n;
  return n;
}

// The frame in raw telegram t as a PPP packet: without the opening and
// closing flags, unstuffed, and without the frame check sequence that comes
// before a closing flag (unless nothing else is left). A frame cut by a time-out, a length limit or a line
// error has no closing flag, and its last octets are kept.
void FrameOctets(const T_Telegramm& t, std::string& out) {
  int n = RawLength(t);
  int start = 0;
  while (start < n && t.b[start] == kPppFlag) ++start;
  const bool closed = n > start && t.b[n - 1] == kPppFlag;
  if (closed) --n;
  out.resize(static_cast<size_t>(n - start));
  int len = UnstuffOctets(t.b + start, n - start, reinterpret_cast<uint8_t*>(out.data()));
  // A frame too short to hold a frame check sequence is kept as it is.
  if (closed && len > kPppFcsSize) len -= kPppFcsSize;
  out.resize(static_cast<size_t>(len));
}

// Appends octets as text: printable ASCII as it is, line ends dropped,
// anything else as \xHH.
void AppendOctetsAsText(std::string& out, const uint8_t* b, int n) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < n; ++i) {
    const uint8_t c = b[i];
    if (c == kCr || c == kLf) continue;
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
}

void PutU16Be(std::string& out, uint16_t v) {
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v & 0xFF);
}

}  // namespace

PacketKind PacketKindOf(const T_Telegramm& t) {
  if (t.stat == StatFragment) return PacketKind::None;
  if (t.ta == TaEvent || t.stat == StatModemStatus) return PacketKind::Event;
  if (t.ta != TaRaw && t.ta != TaRaw104) return PacketKind::None;
  if (t.stat == StatTextLine || t.stat == StatNoFrame) return PacketKind::Event;
  return PacketKind::Frame;
}

TelegramPackets::TelegramPackets(const LogState& m) : m_(m) {}

void TelegramPackets::Begin(std::string& out, const std::string& device1, const std::string& device2) {
  options_.Clear();
  std::set<uint16_t> ports;
  for (const T_ComVar& port : m_.ports)
    if (Iec104Port(port.bp) != kStandardIec104Port) ports.insert(Iec104Port(port.bp));
  for (uint16_t p : ports) {
    const std::string n = std::to_string(p);
    options_.Add(kOptComment, "IEC 104 runs on TCP port " + n + " here; to decode it, give Wireshark or tshark -d tcp.port==" +
                                  n + ",iec60870_104");
  }
  options_.Add(kShbUserApplication, std::string("QLXS ") + ProgramVersion());
  AppendSectionHeader(out, options_);

  const std::string* devices[2] = {&device1, &device2};
  for (int p = 0; p < 2; ++p) {
    options_.Clear();
    options_.Add(kIfName, PortName(m_, p == 0 ? kReceiverPort1 : kReceiverPort2));
    if (!devices[p]->empty()) options_.Add(kIfDescription, *devices[p]);
    options_.AddU8(kIfTsResolution, kMillisecondResolution);
    AppendInterfaceDescription(out, kLinkTypePpp, 0, options_);
  }
  options_.Clear();
  options_.Add(kIfName, "events");
  options_.Add(kIfDescription, "port events, modem lines, messages, text lines and octets outside frames");
  options_.AddU8(kIfTsResolution, kMillisecondResolution);
  AppendInterfaceDescription(out, kLinkTypeUpperPdu, 0, options_);
}

void TelegramPackets::AppendStatus(std::string& text, const T_Telegramm& t) {
  if (!text.empty()) text += "; ";
  text += StatusText(m_, t.stat);
  if (t.stat == StatLineError)
    text += LineErrorName(m_, t.lg > 0 ? t.b[std::min<int>(t.lg, kTelegramDataSize) - 1] : 0);
}

void TelegramPackets::AppendEventText(const T_Telegramm& t) {
  text_.clear();
  if (IsPortReceiver(t.ek)) {
    text_ += PortName(m_, t.ek);
    text_ += "  ";
  }
  if (t.ta == TaEvent || t.stat == StatModemStatus) {
    context_.te = t;
    qlxs::AppendEventText(text_, m_, context_);
  } else if (t.stat == StatTextLine) {
    AppendOctetsAsText(text_, t.b, RawLength(t));
  } else {
    std::string status;
    AppendStatus(status, t);
    text_ += status;
    const int n = RawLength(t);
    if (n > 0) {
      text_ += ": ";
      AppendOctetsAsText(text_, t.b, n);
    }
  }
}

void TelegramPackets::AppendPacket(std::string& out, uint32_t interface, const T_Telegramm& t) {
  if (IsPortReceiver(t.ek)) options_.AddU32(kEpbFlags, t.ek <= kReceiverPort1 + 1 ? kEpbInbound : kEpbOutbound);
  AppendEnhancedPacket(out, interface, static_cast<uint64_t>(utc_.Milliseconds(t.dt)), data_, options_);
}

void TelegramPackets::AppendEvent(std::string& out, const T_Telegramm& t) {
  AppendEventText(t);
  const int severity = IsFaultyStatus(t.stat) ? kSeverityWarning
                       : t.stat == StatMessage ? kSeverityNotice
                                               : kSeverityInfo;
  data_.clear();
  PutU16Be(data_, kTagDissectorName);
  PutU16Be(data_, kSyslogDissectorLength);
  data_.append(kSyslogDissector, kSyslogDissectorLength);
  PutU16Be(data_, kTagEnd);
  PutU16Be(data_, 0);
  data_ += '<';
  data_ += std::to_string(kSyslogLocal0 * 8 + severity);
  data_ += '>';
  data_ += text_;
  options_.Clear();
  options_.Add(kOptComment, text_);
  AppendPacket(out, kPcapEventInterface, t);
}

int TelegramPackets::Flush(std::string& out) {
  if (!holding_) return 0;
  holding_ = false;
  if (!heldAdmitted_) return 0;
  const T_Telegramm& t = held_;
  FrameOctets(t, data_);
  if (data_.empty()) {  // nothing but flags and the line-error octet
    AppendEvent(out, t);
    return 1;
  }
  options_.Clear();
  if (!heldComment_.empty()) options_.Add(kOptComment, heldComment_);
  const bool port1 = t.ek <= kReceiverPort1 + 1;
  AppendPacket(out, port1 ? kPcapPort1Interface : kPcapPort2Interface, t);
  return 1;
}

int TelegramPackets::Add(std::string& out, const T_Telegramm& t, bool admitted) {
  const PacketKind kind = PacketKindOf(t);
  if (kind == PacketKind::None) {
    if (holding_ && t.ek == held_.ek) {
      heldAdmitted_ = heldAdmitted_ || admitted;
      if (IsFaultyStatus(t.stat)) AppendStatus(heldComment_, t);
    }
    return 0;
  }
  int n = Flush(out);
  if (kind == PacketKind::Frame) {
    held_ = t;
    holding_ = true;
    heldAdmitted_ = admitted;
    heldComment_.clear();
    if (IsFaultyStatus(t.stat)) AppendStatus(heldComment_, t);
  } else if (admitted) {
    AppendEvent(out, t);
    ++n;
  }
  return n;
}

}  // namespace qlxs
