#include "render/render.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "config/colours.h"
#include "config/element_texts.h"
#include "config/text_format.h"
#include "log/log_state.h"
#include "model/helpers.h"
#include "model/ppp.h"
#include "model/text_file.h"
#include "platform/locale_formats.h"
#include "render/apdu_lines.h"
#include "render/export_lines.h"

namespace qlxs {

namespace {

// Language texts of the lines built here.
constexpr int kTextLineErrorNames = 50;   // + code 0..5, after the status text of a status-1 frame
constexpr int kTextAfterPortName = 390;
constexpr int kTextStatus = 432;          // + status
constexpr int kTextModemEvent = 475;
constexpr int kTextPortEvent = 521;
constexpr int kTextPortNames = 1175;      // + receiver number
constexpr int kTextConnection = 1335;
constexpr int kTextEndpointPair = 1336;
constexpr int kTextIpv4Line = 1339;
constexpr int kTextTcpLine = 1350;
constexpr int kTextTcpFlags = 1352;       // + 2i (+1 when set)
constexpr int kTextBeforeFlags = 1365;
constexpr int kTextModemLines = 1611;     // + line 0..3
constexpr int kTextPppLabel = 1616;
constexpr int kTextNoPpp = 1617;
constexpr int kTextPppNames = 1630;       // + protocol kind 0..6
constexpr int kTextPppCodes = 1640;       // + packet code 0..15
constexpr int kTextLogNeuFlags = 1660;    // + 2i (+1 when set)

constexpr int kDumpWidth = 70;
constexpr int kDumpOctetsPerLine = 16;
constexpr int kMaxPppCode = 15;
// An APDU telegram with a status up to this one is shown as its byte dump.
constexpr uint8_t kStatLastDumped = 12;

const std::string& TextOf(const LogState& m, int n) { return Text(m.AllgVar, n); }

int Format(const LogState& m) { return m.PrgPar.afmt; }

bool IsRawClass(uint8_t ta) { return ta == TaRaw || ta == TaRaw104; }

// A TCP payload piece cut from a frame before its first complete APDU: it
// carries payload octets and the connection identity, not a frame, so it
// is shown like the pieces of the APDU classes.
bool IsPayloadPiece(const T_Telegramm& t) { return t.ta == TaRaw104 && t.stat == StatFragment; }

// Rendered as a raw frame (plan A).
bool IsRawFrame(const T_Telegramm& t) { return IsRawClass(t.ta) && !IsPayloadPiece(t); }

uint8_t OctetAt(const T_TeleAusgabe& c, int offset) {
  return offset >= 0 && offset < kTelegramDataSize ? c.te.b[offset] : 0;
}

uint16_t Be16At(const T_TeleAusgabe& c, int offset) {
  return static_cast<uint16_t>(OctetAt(c, offset) << 8 | OctetAt(c, offset + 1));
}

uint32_t Be32At(const T_TeleAusgabe& c, int offset) {
  return uint32_t{Be16At(c, offset)} << 16 | Be16At(c, offset + 2);
}

// The context whose previous-telegram time every header line uses.
T_TeleAusgabe& Shared(T_TeleAusgabe& c) { return c.shared ? *c.shared : c; }

void AppendHeaderLine(std::string& out, const LogState& m, T_TeleAusgabe& c) {
  T_Telegramm& t = c.te;
  const size_t start = out.size();
  AppendGrouped(out, t.nr, 2);
  const size_t numberWidth = Utf8Length(std::string_view(out).substr(start));
  if (numberWidth < 12) out.append(12 - numberWidth, ' ');
  out += PortName(m, t.ek);
  out += TextOf(m, kTextAfterPortName);
  AppendTimeMs(out, t.dt);
  out += "  ";
  T_TeleAusgabe& shared = Shared(c);
  const bool event = t.ta == TaEvent || t.stat == StatModemStatus;
  if (event) {
    AppendEventText(out, m, c);
  } else {
    if (shared.dtalt != 0)
      AppendFormatText(out, "d=%1.3fs  ", {(t.dt - shared.dtalt) * 86400.0});
    else
      out.append(10, ' ');
    out += StatusText(m, t.stat);
  }
  shared.dtalt = t.dt;
  if (event) return;
  if (t.stat == StatLineError) {
    if (t.lg > 0) --t.lg;
    const uint8_t code = t.lg >= 0 ? OctetAt(c, t.lg) : 0;
    out += LineErrorName(m, code);
  } else if (t.ta == TaRaw104 && t.prot != kProtoVjCompressed && Format(m) != FmtByteSer && !IsPayloadPiece(t)) {
    out += TextOf(m, kTextBeforeFlags);
    AppendTcpFlags(out, m, c, kTextTcpFlags);
  }
}

// Kind of PPP protocol for its name text: 1 IPv4, 2 VJ compressed, 3 VJ
// uncompressed, 4 IPCP, 5 LCP, 6 CHAP, 0 any other.
int ProtocolKind(uint16_t prot) {
  switch (prot) {
    case kProtoIp: return 1;
    case kProtoVjCompressed: return 2;
    case kProtoVjUncompressed: return 3;
    case kProtoIpcp: return 4;
    case kProtoLcp: return 5;
    case 0xC223: return 6;
    default: return 0;
  }
}

void AppendPppLine(std::string& out, const LogState& m, const T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  out += TextOf(m, kTextPppLabel);
  if (t.prot == 0) {
    out += TextOf(m, kTextNoPpp);
    return;
  }
  const int kind = ProtocolKind(t.prot);
  int code = 0;
  if ((kind == 4 || kind == 5) && Format(m) != FmtByteSer && t.stat != StatTextLine) {
    const uint8_t packet = OctetAt(c, t.ofs);
    if (packet <= kMaxPppCode) code = kTextPppCodes + packet;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "$%02X=%u", t.prot, t.prot);
  out += buf;
  out += TextOf(m, kTextPppNames + kind);
  out += TextOf(m, code);
}

void AppendIpv4Line(std::string& out, const LogState& m, const T_TeleAusgabe& c) {
  const int ip = c.pip;
  const int total = Be16At(c, ip + 2);
  const int flags = Be16At(c, ip + 6);
  const int payload = total - 4 * (OctetAt(c, ip) & 0x0F) - 4 * (OctetAt(c, c.ptcp + 12) >> 4);
  AppendLabelColumn(out, "");
  AppendFormatText(out, TextOf(m, kTextIpv4Line),
                    {FormatGrouped(Be16At(c, ip + 4), 1), total, payload, OctetAt(c, ip + 9), OctetAt(c, ip + 1),
                     OctetAt(c, ip + 8), (flags >> 14) & 1, (flags >> 13) & 1, flags & 0x1FFF});
}

void AppendTcpLine(std::string& out, const LogState& m, const T_TeleAusgabe& c) {
  thread_local std::string flags;
  flags.clear();
  AppendTcpFlags(flags, m, c, kTextTcpFlags);
  AppendLabelColumn(out, "");
  AppendFormatText(out, TextOf(m, kTextTcpLine),
                    {flags, FormatGroupedU(Be32At(c, c.ptcp + 8), 1), FormatGroupedU(Be32At(c, c.ptcp + 4), 1),
                     FormatGroupedU(Be16At(c, c.ptcp + 14), 1)});
}

// The one line of a raw frame in LogNeu.
void AppendLogNeuFrameLine(std::string& out, const LogState& m, const T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  out += PortName(m, t.ek);
  if (m.PrgPar.mitzeit) {
    out += "  ";
    AppendGrouped(out, t.nr, 5);
    out += "  ";
    AppendTimeMs(out, t.dt);
  }
  out += "  ";
  if (t.ta == TaRaw104) {
    out += StatusText(m, t.stat);
    out += TextOf(m, kTextBeforeFlags);
    AppendTcpFlags(out, m, c, kTextLogNeuFlags);
  } else {
    AppendPppLine(out, m, c);
  }
}

// Plan A: raw frames and text lines, in every format.
void RawFrameLines(std::string& out, LogState& m, T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  if (Format(m) == FmtLogNeu && t.stat == StatOk) {
    if (c.znr == 1 && t.prot != kProtoVjCompressed) AppendLogNeuFrameLine(out, m, c);
    return;
  }
  if (c.znr == 1) {
    if (m.PrgPar.mitzeit) return AppendHeaderLine(out, m, c);
    c.znr = 2;
  }
  if (c.znr == 2) {
    if (t.stat != StatTextLine) return AppendPppLine(out, m, c);
    c.znr = 3;
  }
  if (Format(m) != FmtByteSer && t.ta == TaRaw104 && t.prot != kProtoVjCompressed) {
    switch (c.znr) {
      case 3:
        out += TextOf(m, kTextConnection);
        AppendEndpointPair(out, m, t.b + c.pip + 12, t.b + c.pip + 16, t.b + c.ptcp, t.b + c.ptcp + 2);
        return;
      case 4: return AppendIpv4Line(out, m, c);
      case 5: return AppendTcpLine(out, m, c);
      default: return;
    }
  }
  AppendDumpLine(out, c, c.znr - 3);
}

// Plan D: APDUs, their pieces and events in Logisch, Kompakt and ByteSer,
// and in LogNeu those whose status turns them into a dump.
void TelegramLines(std::string& out, LogState& m, T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  const T_PrgPar& p = m.PrgPar;
  if (c.znr == 1) {
    if (t.ta == TaIFormat) SelectFirstObject(m, c);
    if (t.ta == TaEvent || t.stat != StatOk || (p.mitzeit && (p.mitlink || t.ta == TaIFormat)))
      return AppendHeaderLine(out, m, c);
    c.znr = 2;
  }
  if (t.stat <= kStatLastDumped || t.stat == StatFragment) {
    if (c.znr == 2) AppendConnectionLine(out, m, c);
    return AppendDumpLine(out, c, c.znr - 2);
  }
  if (t.ta == TaEvent || t.stat == StatModemStatus) return;
  if (c.znr == 2 && !p.mitlink) {
    if (t.ta != TaIFormat) return;
    if (t.idm == 0) c.znr = 3;
  }
  if (Format(m) == FmtByteSer) {
    if (c.znr == 2) return AppendConnectionLine(out, m, c);
    return AppendDumpLine(out, c, c.znr - 3);
  }
  AppendApduLine(out, m, c);
}

}  // namespace

void AppendPieceLines(std::string& out, std::string_view piece, std::string_view eol) {
  size_t start = 0;
  for (size_t end; (end = piece.find("\r\n", start)) != std::string_view::npos; start = end + 2) {
    out.append(piece.substr(start, end - start));
    out.append(eol);
  }
  if (start < piece.size()) {
    out.append(piece.substr(start));
    out.append(eol);
  }
}

void AppendEventText(std::string& out, const LogState& m, const T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  switch (t.stat) {
    case StatMessage: {
      const int n = std::min<int>(OctetAt(c, 0), std::max(0, t.lg - 1));
      out.append(reinterpret_cast<const char*>(t.b + 1), static_cast<size_t>(n));
      break;
    }
    case StatModemStatus: {
      out += TextOf(m, kTextModemEvent);
      const uint32_t fnr = t.event().fnr;
      for (int n = 3; n >= 0; --n) {
        if (!(fnr & (1u << n))) continue;
        out += TextOf(m, kTextModemLines + n);
        out += (fnr & (1u << (n + 4))) ? '1' : '0';
      }
      break;
    }
    case StatPortOpened:
    case StatPortClosed:
      AppendFormatText(out, StatusText(m, t.stat), {t.LongAt(4), t.LongAt(5)});
      AppendFormatText(out, TextOf(m, kTextPortEvent),
                       {PortName(m, t.ek), static_cast<double>(t.LongAt(0)), static_cast<double>(t.LongAt(1))});
      break;
    default:
      out += StatusText(m, t.stat);
  }
}

const std::string& StatusText(const LogState& m, int stat) { return TextOf(m, kTextStatus + stat); }

const std::string& PortName(const LogState& m, int ek) { return TextOf(m, kTextPortNames + ek); }

const std::string& LineErrorName(const LogState& m, int code) {
  return TextOf(m, kTextLineErrorNames + (code >= 0 && code <= 5 ? code : 0));
}

void AppendLabelColumn(std::string& out, std::string_view label) {
  out += PadRight(label, 9);
  out += ":  ";
}

void AppendRangeLabel(std::string& out, int first, int last) {
  const size_t start = out.size();
  AppendDecimal(out, static_cast<uint64_t>(std::max(first + 1, 0)));
  out += '-';
  AppendDecimal(out, static_cast<uint64_t>(std::max(last + 1, 0)));
  out += ":  ";
  const size_t width = out.size() - start;
  if (width < 12) out.insert(start, 12 - width, ' ');
}

void AppendHexDump(std::string& out, T_TeleAusgabe& c, int n) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  n = std::clamp(n, 0, kDumpOctetsPerLine);
  const size_t start = out.size();
  out.append(kHexDumpCharColumn, ' ');
  char* digits = out.data() + start;
  for (int i = 0; i < n; ++i) {
    const uint8_t o = OctetAt(c, c.pb + i);
    const int p = 3 * i + i / 4;  // 0-based column of the first digit
    digits[p] = kDigits[o >> 4];
    digits[p + 1] = kDigits[o & 15];
  }
  // The octets as characters: a printable octet as the character of that
  // code (those above 0x7F as Latin-1 characters, in UTF-8), anything else
  // as a full stop, so the column never holds control characters or broken
  // UTF-8.
  for (int i = 0; i < n; ++i) {
    const uint8_t o = OctetAt(c, c.pb++);
    if (o >= 0x20 && o < 0x7F) {
      out += static_cast<char>(o);
    } else if (o >= 0xA0) {
      out += static_cast<char>(0xC0 | o >> 6);
      out += static_cast<char>(0x80 | (o & 0x3F));
    } else {
      out += '.';
    }
  }
  out.append(static_cast<size_t>(kDumpWidth - kHexDumpCharColumn - n), ' ');
}

void AppendDumpLine(std::string& out, T_TeleAusgabe& c, int k) {
  if (k < 0) return;
  const int first = kDumpOctetsPerLine * k;
  const int last = std::min(first + kDumpOctetsPerLine - 1, c.te.lg - 1);
  if (last < first) return;
  c.pb = first;
  AppendRangeLabel(out, first, last);
  AppendHexDump(out, c, last - first + 1);
}

void AppendRestDumpLine(std::string& out, T_TeleAusgabe& c) {
  if (c.pb >= c.te.lg) return;
  const int n = std::min(kDumpOctetsPerLine, c.te.lg - c.pb);
  const int first = kDumpOctetsPerLine * (c.znr - 7);
  AppendRangeLabel(out, first, first + n - 1);
  AppendHexDump(out, c, n);
}

void AppendConnectionLine(std::string& out, const LogState& m, const T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  if (t.idm == 0) return;
  T_VId v{};
  std::memcpy(&v, t.b + std::clamp<int>(t.lg, 0, kTelegramDataSize - static_cast<int>(sizeof v)), sizeof v);
  out += TextOf(m, kTextConnection);
  AppendEndpointPair(out, m, v.sip, v.dip, v.sprt, v.dprt);
  out += "\r\n";
}

void AppendEndpointText(std::string& out, const LogState& m, const uint8_t address[4], const uint8_t port[2]) {
  const uint32_t word = uint32_t{address[0]} | uint32_t{address[1]} << 8 | uint32_t{address[2]} << 16 |
                        uint32_t{address[3]} << 24;
  AppendDecimal(out, unsigned{port[0]} << 8 | port[1]);
  out += ':';
  const std::string& name = IpName(m.AllgVar.elements, word);
  if (!name.empty()) {
    out += name;
    return;
  }
  for (int i = 0; i < 4; ++i) {
    if (i > 0) out += '.';
    AppendDecimal(out, address[i]);
  }
}

void AppendEndpointPair(std::string& out, const LogState& m, const uint8_t sip[4], const uint8_t dip[4],
                        const uint8_t sprt[2], const uint8_t dprt[2]) {
  // Reused, so that the endpoints of every connection line need no allocation.
  thread_local std::string source, destination;
  source.clear();
  destination.clear();
  AppendEndpointText(source, m, sip, sprt);
  AppendEndpointText(destination, m, dip, dprt);
  AppendFormatText(out, TextOf(m, kTextEndpointPair), {source, destination});
}

void AppendTcpFlags(std::string& out, const LogState& m, const T_TeleAusgabe& c, int base) {
  const uint8_t flags = OctetAt(c, c.ptcp + 13);
  for (int i = 5; i >= 0; --i) out += TextOf(m, base + 2 * i + ((flags >> i) & 1));
}

void BeginTelegram(LogState& m, T_TeleAusgabe& c, const T_Telegramm& t) {
  c.pcv = &m.ports[t.ek < 3 ? 0 : 1];
  const int lg = std::clamp<int>(t.lg, 0, kTelegramDataSize);
  std::memcpy(&c.te, &t, static_cast<size_t>(kTelegramHeaderSize + lg));
  // Octets past the data read as zero, never as left-overs of the telegram
  // rendered before: a header that runs past a short frame shows zeros.
  std::memset(c.te.b + lg, 0, static_cast<size_t>(kTelegramDataSize - lg));
  c.te.lg = static_cast<int16_t>(lg);
  c.pip = c.ptcp = 0;
  if (Format(m) != FmtByteSer && IsRawFrame(c.te)) {
    Unstuff(c.te);
    c.pip = c.te.ofs;
    if (c.te.ta == TaRaw104 && c.te.prot == kProtoVjUncompressed) c.te.b[c.pip + 9] = kIpProtoTcp;
    c.ptcp = c.pip + 4 * (c.te.b[c.pip] & 0x0F);
  }
  c.tcl = ChannelColours(m.PrgPar.tf, c.te);
  c.oatxt = ~0u;
  c.obji = -1;
  c.te.nr = c.te.nr - (m.log.stand.erstnr - 1);
  c.znr = c.objnr = c.objzl = 0;
  c.objanz = c.te.ta == TaIFormat ? c.te.apdu().struk & 0x7F : 0;
  ++c.tjs;
  c.te.lg = static_cast<int16_t>(std::max(0, c.te.lg - c.te.idm));
  c.pb = offsetof(T_ApduView, typ);
}

const std::string& NextLines(LogState& m, T_TeleAusgabe& c) {
  std::string& out = c.piece;
  out.clear();
  ++c.znr;
  if (IsRawFrame(c.te))
    RawFrameLines(out, m, c);
  else if (Format(m) == FmtExport)
    AppendExportLines(out, m, c);
  else if (Format(m) == FmtLogNeu && c.te.stat > kStatLastDumped && c.te.stat != StatFragment)
    AppendLogNeuLines(out, m, c);
  else
    TelegramLines(out, m, c);
  return out;
}

}  // namespace qlxs
