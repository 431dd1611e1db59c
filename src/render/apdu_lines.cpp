#include "platform/locale_formats.h"
#include "render/apdu_lines.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "config/address_structure.h"
#include "config/colours.h"
#include "config/element_texts.h"
#include "config/text_format.h"
#include "filter/filter_match.h"
#include "iec104/type_cause_names.h"
#include "iec104/type_table.h"
#include "log/log_state.h"
#include "model/apdu.h"
#include "model/helpers.h"
#include "render/element_text.h"
#include "render/render.h"

namespace qlxs {

namespace {

// Language texts of the APCI and ASDU lines.
constexpr int kTextApciFormat = 30;       // + class
constexpr int kTextIDetail = 38;          // format: N(S), N(R)
constexpr int kTextSDetail = 39;          // format: N(R)
constexpr int kTextUNoFunction = 40;
constexpr int kTextUFunction = 41;        // + number of the function bit 0..5
constexpr int kTextTypeNamePrefix = 70;
constexpr int kTextTestBit = 199;
constexpr int kTextNegativeBit = 201;
constexpr int kTextCauseWithoutName = 202;
constexpr int kTextOriginator = 267;
constexpr int kTextCauseLabel = 402;
constexpr int kTextTypeLabel = 403;
constexpr int kTextCaLabel = 404;
constexpr int kTextObjectLabel = 405;
constexpr int kTextLinkLabel = 406;
constexpr int kTextSequence = 430;
constexpr int kTextSingles = 431;
constexpr int kTextCauseNumber = 1446;
constexpr int kTextTestShort = 1447;
constexpr int kTextNegativeShort = 1448;
constexpr int kTextOriginatorShort = 1449;

// The first element of an I-format APDU: behind the first object address.
constexpr int kFirstElementOffset = kApduHeaderSize + kIoaSize;

// Length octets from which an APDU holds the type, the cause and
// originator, the common address and the first object address.
constexpr int kTlgWithType = 6;
constexpr int kTlgWithCause = 8;
constexpr int kTlgWithCa = 10;
constexpr int kTlgWithObject = 12;

// Width of the type name column of LogNeu: the standard names ("M_SP_NA_1").
constexpr int kTypeNameColumn = 10;
// Width of the label column and of the label text in it.
constexpr int kLabelWidth = 9;
// Line numbers of the APDU plan.
constexpr int kLineLink = 2, kLineType = 3, kLineCause = 4, kLineCa = 5, kLineFirstObject = 6;
constexpr int kLineFirstRest = 7;
// An APDU telegram with a status up to this one is shown as its byte dump.
constexpr uint8_t kStatLastDumped = 12;
// Function bits of a U frame: STARTDT, STOPDT, TESTFR, each act and con.
constexpr int kUFunctions = 6;
// Types from this one on are private: their objects are not located by size.
constexpr int kFirstPrivateType = 128;
// The last type with an entry in the type table.
constexpr int kLastTableType = 133;

const std::string& T(const ConfigState& cs, int n) { return Text(cs.AllgVar, n); }
int Format(const ConfigState& cs) { return cs.PrgPar.afmt; }

// Octet `offset` of the data; 0 outside it.
uint8_t At(const T_TeleAusgabe& c, int64_t offset) {
  return offset >= 0 && offset < c.te.lg ? c.te.b[offset] : 0;
}
uint16_t Word(const T_TeleAusgabe& c, int64_t offset) {
  return static_cast<uint16_t>(At(c, offset) | At(c, offset + 1) << 8);
}
int Tlg(const T_TeleAusgabe& c) { return At(c, kTlgOffset); }
int Typ(const T_TeleAusgabe& c) { return At(c, kTypOffset); }
uint8_t Struk(const T_TeleAusgabe& c) { return At(c, kStrukOffset); }
uint8_t Urs(const T_TeleAusgabe& c) { return At(c, kUrsOffset); }
uint8_t Ori(const T_TeleAusgabe& c) { return At(c, kOriOffset); }
uint16_t Ca(const T_TeleAusgabe& c) { return Word(c, kCaOffset); }

void AppendNumber(std::string& out, int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// Code points of UTF-8 text, so that names with umlauts pad like others.
int CharCount(const std::string& s, size_t start) {
  int count = 0;
  for (size_t i = start; i < s.size(); ++i) count += (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
  return count;
}

// Text n as the label column; the object label with its number when the
// telegram has several objects.
void AppendItemLabel(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c, int n) {
  const size_t start = out.size();
  out += T(cs, n);
  if (n == kTextObjectLabel && c.objanz > 1) out += FormatWidth(3, c.objnr);
  const int len = CharCount(out, start);
  if (len < kLabelWidth) out.append(static_cast<size_t>(kLabelWidth - len), ' ');
  out += ":  ";
}

// The element text of the object at `c.pb`, or the octets of it that the
// data holds. False when nothing of the object is there.
bool AppendObjectRest(std::string& out, ConfigState& cs, T_TeleAusgabe& c) {
  const int typ = Typ(c);
  const int r = c.te.lg - c.pb;
  const int s = typ <= kLastTableType ? ElementSize(typ) : 0;
  if (r >= s) {
    AppendElementText(out, cs, c);
    return true;
  }
  if (r < 0) {
    // The object's own address is cut off: the octets of it that are there.
    const int n = r + kIoaSize;
    if (n <= 0 || (Struk(c) & kStructureSq)) return false;
    c.pb -= kIoaSize;
    AppendRangeLabel(out, 0, n - 1);
    AppendHexDump(out, c, n);
    return true;
  }
  if (r > 0) AppendHexDump(out, c, r);
  return true;
}

// The one line of an APDU telegram or event in LogNeu.
void AppendLogNeuLine(std::string& out, LogState& m, T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  const T_PrgPar& p = m.PrgPar;
  if (!p.mitlink && (t.ta == TaSFormat || t.ta == TaUFormat) && !IsFaultyStatus(t.stat)) return;
  const size_t start = out.size();
  out += PortName(m, t.ek);
  out += "  ";
  if (p.mitzeit) {
    AppendGrouped(out, t.nr, 5);
    out += "  ";
    AppendTimeMs(out, t.dt);
    out += "  ";
  }
  if (t.ta == TaEvent || t.stat == StatModemStatus) {
    AppendEventText(out, m, c);
    c.pb = t.lg;
    return;
  }
  if (p.mitlink) AppendApciText(out, m, c);
  if (t.ta == TaIFormat) {
    if (!NextObject(m, c)) {
      out.resize(start);
      return;
    }
    const int tlg = Tlg(c);
    if (tlg >= kTlgWithCause) {
      const size_t ca = out.size();
      AppendCaText(out, m, c);
      PadTo(out, ca, m.AllgVar.lgcastr);
      // The names of the type-name file carry no blanks of their own: a
      // column of the longest standard name and one blank.
      const size_t type = out.size();
      AppendTypeFileName(out, m.AllgVar, Typ(c));
      PadTo(out, type, kTypeNameColumn);
      AppendCauseColumn(out, m, c);
    }
    if (tlg >= kTlgWithObject) {
      c.lgztlk = std::max(0, CharCount(out, start) - 12);
      AppendObjectColumn(out, m, c);
      AppendObjectRest(out, m, c);
    } else {
      c.pb = t.lg;
    }
  }
  c.znr = kLineFirstObject;
  // Not every element text ends in blanks; the status stands apart from it.
  if (!out.empty() && out.back() != ' ') out += ' ';
  out += StatusText(m, t.stat);
}

}  // namespace

void SelectFirstObject(LogState& m, T_TeleAusgabe& c) {
  // A dumped APDU and a piece of TCP payload have no objects to look up.
  if (c.te.stat <= kStatLastDumped || c.te.stat == StatFragment) return;
  c.oa = static_cast<int32_t>(ObjectAddress(c, 1));
  SelectObjectColours(m, c);
}

void AppendApduLine(std::string& out, LogState& m, T_TeleAusgabe& c) {
  if (c.znr > kLineLink && c.pb >= c.te.lg) return;
  if (Format(m) == FmtKompakt && c.znr == kLineCause) c.znr = kLineFirstObject;
  const int tlg = Tlg(c);
  const int typ = Typ(c);
  switch (c.znr) {
    case kLineLink:
      return AppendLinkLine(out, m, c);
    case kLineType:
      if (tlg >= kTlgWithType) AppendTypeLine(out, m, c);
      return;
    case kLineCause:
      if (tlg >= kTlgWithCause) AppendCauseLine(out, m, c);
      return;
    case kLineCa:
      if (tlg >= kTlgWithCa) AppendCaLine(out, m, c);
      return;
    default:
      if (c.znr >= kLineFirstRest && (typ == 125 || !IsDefinedType(typ))) return AppendRestDumpLine(out, c);
      if (tlg >= kTlgWithObject) AppendObjectLine(out, m, c);
  }
}

void AppendLogNeuLines(std::string& out, LogState& m, T_TeleAusgabe& c) {
  if (c.znr == 1) return AppendLogNeuLine(out, m, c);
  if (c.pb >= c.te.lg) return;
  const size_t start = out.size();
  out.append(static_cast<size_t>(std::max(0, c.lgztlk)), ' ');
  const size_t body = out.size();
  const int typ = Typ(c);
  if (typ == 125 || !IsDefinedType(typ))
    AppendRestDumpLine(out, c);
  else
    AppendObjectLine(out, m, c);
  if (out.size() == body) out.resize(start);
}

void AppendLinkLine(std::string& out, LogState& m, T_TeleAusgabe& c) {
  AppendConnectionLine(out, m, c);
  if (!m.PrgPar.mitlink) return;
  const size_t start = out.size();
  out += T(m, kTextLinkLabel);
  const int len = CharCount(out, start);
  if (len < kLabelWidth) out.append(static_cast<size_t>(kLabelWidth - len), ' ');
  out += ":  ";
  AppendApciText(out, m, c);
}

void AppendApciText(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c) {
  const uint8_t ta = c.te.ta;
  out += T(cs, kTextApciFormat + ta);
  const uint16_t snr = Word(c, kSnrOffset);
  const uint16_t rnr = Word(c, kRnrOffset);
  switch (ta) {
    case TaIFormat:
      out += FormatText(T(cs, kTextIDetail), {snr >> 1, rnr >> 1});
      break;
    case TaSFormat:
      out += FormatText(T(cs, kTextSDetail), {rnr >> 1});
      break;
    case TaUFormat: {
      // Only the six function bits have names; a control field with any
      // other bit (a faulty frame) shows as one without a valid function.
      const unsigned bits = snr >> 2;
      const int i = bits == 0 ? kUFunctions : std::countr_zero(bits);
      out += T(cs, i < kUFunctions ? kTextUFunction + i : kTextUNoFunction);
      break;
    }
    default:
      break;
  }
  out += "  ";
}

void AppendTypeLine(std::string& out, ConfigState& cs, const T_TeleAusgabe& c) {
  const int typ = Typ(c);
  AppendItemLabel(out, cs, c, kTextTypeLabel);
  if (Format(cs) == FmtKompakt) {
    const size_t start = out.size();
    AppendTypeFileName(out, cs.AllgVar, typ);
    while (out.size() > start && out.back() == ' ') out.pop_back();
    size_t lead = start;
    while (lead < out.size() && out[lead] == ' ') ++lead;
    out.erase(start, lead - start);
    out += '=';
    AppendNumber(out, typ);
    out += "  ";
    // Fields an APDU too short to hold them are left out.
    const int tlg = Tlg(c);
    if (tlg >= kTlgWithCause) {
      AppendCauseText(out, cs, c);
      out += "  ";
    }
    if (tlg >= kTlgWithCa) AppendCaText(out, cs, c);
    return;
  }
  out += TypeName(cs.AllgVar, typ, Format(cs));
  out += '=';
  AppendNumber(out, typ);
  if (c.objanz > 1) {
    out += ", ";
    AppendNumber(out, c.objanz);
    out += T(cs, (Struk(c) & kStructureSq) ? kTextSequence : kTextSingles);
  }
}

void AppendTypeFileName(std::string& out, const T_AllgVar& v, int typ) {
  const std::string& name = v.TypeNames[static_cast<size_t>(typ & 0xFF)];
  if (!name.empty()) {
    out += name;
    return;
  }
  out += Text(v, kTextTypeNamePrefix);
  AppendNumber(out, typ);
  out += "  ";
}

void AppendCauseText(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c) {
  const uint8_t urs = Urs(c);
  if (urs & kCauseTest) out += T(cs, kTextTestBit);
  if (urs & kCauseNegative) out += T(cs, kTextNegativeBit);
  const int cause = urs & kCauseMask;
  out += CauseName(cs.AllgVar, cause, Format(cs));
  out += '=';
  AppendNumber(out, cause);
  out += T(cs, kTextOriginator);
  AppendNumber(out, Ori(c));
}

void AppendCauseLine(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c) {
  if (Format(cs) == FmtLogisch) AppendItemLabel(out, cs, c, kTextCauseLabel);
  AppendCauseText(out, cs, c);
}

void AppendCaLine(std::string& out, ConfigState& cs, const T_TeleAusgabe& c) {
  if (Format(cs) == FmtLogisch) AppendItemLabel(out, cs, c, kTextCaLabel);
  AppendCaText(out, cs, c);
}

const std::string& CaName(T_AllgVar& v, uint32_t ca) {
  const auto key = static_cast<int32_t>(v.rwe ? ca >> 4 : ca);
  if (key == v.ca) return v.catxt;
  v.ca = key;
  v.catxt = ' ';
  v.catxt += StationName(v.elements, static_cast<uint32_t>(key));
  return v.catxt;
}

void AppendCaText(std::string& out, ConfigState& cs, const T_TeleAusgabe& c) {
  const uint16_t ca = Ca(c);
  AppendCa(out, ca, cs.AllgPar, cs.AllgVar);
  out += CaName(cs.AllgVar, ca);
}

int ObjectStride(const T_TeleAusgabe& c) {
  const int typ = Typ(c);
  int s = IsDefinedType(typ) ? ElementSize(typ) : 1;
  if (!(Struk(c) & kStructureSq)) s += kIoaSize;
  return s;
}

uint32_t ObjectAddress(const T_TeleAusgabe& c, int n) {
  const int typ = Typ(c);
  const uint8_t struk = Struk(c);
  int64_t offset = kApduHeaderSize;
  if (n >= 2 && !(struk & kStructureSq) && typ < kFirstPrivateType)
    offset += int64_t{n - 1} * (ElementSize(typ) + kIoaSize);
  uint32_t a = At(c, offset) | uint32_t{At(c, offset + 1)} << 8 | uint32_t{At(c, offset + 2)} << 16;
  if (n > 1 && struk > (kStructureSq | 1)) a += static_cast<uint32_t>(n - 1);
  return a;
}

uint32_t ElementKey(const T_AllgVar& v, uint32_t oa, uint32_t ca) {
  oa &= 0xFFFFFF;
  if (v.mitca) {
    const int i = CaListIndex(v.elements, ca);
    return i < 0 ? kNoElementKey : static_cast<uint32_t>(i) << 24 | oa;
  }
  if (v.rwe) return (ca & 0x0F) << 24 | oa;
  return oa;
}

void SelectObjectColours(ConfigState& cs, T_TeleAusgabe& c) {
  T_AllgVar& v = cs.AllgVar;
  const uint16_t ca = Ca(c);
  CaName(v, ca);
  const uint32_t key = ElementKey(v, static_cast<uint32_t>(c.oa), ca);
  c.oatxt = key;
  c.obji = v.mitca && key == kNoElementKey ? -1 : FindElement(v.elements, key);
  if (IsFaultyStatus(c.te.stat)) return;
  // Each object's colour stands on the receiver's pair, whatever the object
  // before it had.
  const T_FarbIndex channel = ChannelColours(cs.PrgPar.tf, c.te);
  const uint16_t w = ColourCandidate(ElementColour(v.elements, c.obji), cs.PrgPar.frbtyp, cs.PrgPar.frburs,
                                     static_cast<uint8_t>(Typ(c)), Urs(c));
  c.tcl = w != 0 ? ApplyColourWord(channel, w) : channel;
}

bool NextObject(const ConfigState& cs, T_TeleAusgabe& c) {
  ++c.objnr;
  if (c.objnr == 1 && c.obja > 0) c.objnr = c.obja;
  const T_Filter& f = cs.AllgPar.afilt;
  if (!f.ein || f.ioa1 == 0) return true;
  for (;;) {
    if (IoaAddressMatch(f, cs.AllgPar, ObjectAddress(c, c.objnr))) return true;
    if (c.objnr >= c.objanz) return false;
    ++c.objnr;
  }
}

void PositionObject(ConfigState& cs, T_TeleAusgabe& c) {
  c.oa = static_cast<int32_t>(ObjectAddress(c, c.objnr));
  ++c.objzl;
  // An object beyond the data area is as good as one just past the data.
  const int64_t pb = kFirstElementOffset + int64_t{c.objnr - 1} * ObjectStride(c);
  c.pb = static_cast<int32_t>(std::clamp<int64_t>(pb, 0, kTelegramDataSize + kIoaSize));
  if (c.objzl == 1) c.oalg = cs.AllgVar.lgoastr + 1;
  if (static_cast<uint32_t>(c.oa) != c.oatxt) SelectObjectColours(cs, c);
}

bool ObjectAddressHeld(const T_TeleAusgabe& c) {
  // A sequence and a private type carry one address, in front of the first
  // element; otherwise each object's address stands right before its element.
  const bool single = (Struk(c) & kStructureSq) || Typ(c) >= kFirstPrivateType;
  return (single ? kFirstElementOffset : c.pb) <= c.te.lg;
}

void AppendObjectColumn(std::string& out, ConfigState& cs, T_TeleAusgabe& c) {
  PositionObject(cs, c);
  const int lgoastr = cs.AllgVar.lgoastr;
  const std::string& name = ElementName(cs.AllgVar.elements, c.obji);
  const size_t start = out.size();
  AppendIoa(out, static_cast<uint32_t>(c.oa), cs.AllgPar, cs.AllgVar);
  if (name.empty()) return PadTo(out, start, lgoastr + 1);
  out += ' ';
  out += name;
  PadTo(out, start, lgoastr + 21);
}

void AppendObjectLine(std::string& out, ConfigState& cs, T_TeleAusgabe& c) {
  if (!NextObject(cs, c)) return;
  // Objects beyond the count of the structure qualifier are shown while the
  // data holds them; a sequence of empty elements (a read command with SQ
  // set) would hold them without end.
  if (ObjectStride(c) == 0 && c.objnr > std::max(1, c.objanz)) return;
  const size_t start = out.size();
  AppendItemLabel(out, cs, c, kTextObjectLabel);
  AppendObjectColumn(out, cs, c);
  if (!AppendObjectRest(out, cs, c)) out.resize(start);
}

void AppendCauseColumn(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c) {
  const uint8_t urs = Urs(c);
  const size_t start = out.size();
  if (urs & kCauseTest) out += T(cs, kTextTestShort);
  if (urs & kCauseNegative) out += T(cs, kTextNegativeShort);
  const int cause = urs & kCauseMask;
  const std::string name = CauseName(cs.AllgVar, cause, Format(cs));
  if (name == T(cs, kTextCauseWithoutName)) {
    out += T(cs, kTextCauseNumber);
    AppendNumber(out, cause);
  } else {
    out += name;
  }
  PadTo(out, start, 6);
  const size_t ori = out.size();
  out += T(cs, kTextOriginatorShort);
  AppendNumber(out, Ori(c));
  PadTo(out, ori, 5);
}

void PadTo(std::string& out, size_t start, int width) {
  const int n = CharCount(out, start);
  out.append(static_cast<size_t>(std::max(width - n, 1)), ' ');
}

}  // namespace qlxs
