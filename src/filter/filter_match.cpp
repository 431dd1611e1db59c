#include "config/address_structure.h"
#include "filter/filter_match.h"

#include <algorithm>

#include "iec104/type_table.h"
#include "model/apdu.h"
#include "model/ppp.h"

namespace qlxs {

namespace {

// Criterion rows a filter holds in `krit`.
constexpr int kKritRows = 14;
// Rows with a fixed kind: row 1 the telegram number, row 2 the length,
// rows 3 on the ASDU criteria.
constexpr int kRowNumber = 1;
constexpr int kRowLength = 2;
constexpr int kFirstAsduRow = 3;
// Fields of the common address and of the object address that have rows.
constexpr int kMaxCaFields = 4;
constexpr int kMaxIoaFields = 5;
// Types above this one are private: their objects are not located by size.
constexpr int kLastStandardType = 127;
// Offset in `b` of the first control octet.
constexpr int kControl1Offset = 2;
// A first control octet with either of these bits set is TESTFR in U format.
constexpr uint8_t kControlTestBits = 0xC0;
// Offsets of the source and destination address in an IPv4 header and in
// the appended connection identity.
constexpr int kIpSourceOffset = 12;
constexpr int kIpDestOffset = 16;
constexpr int kVidSourceOffset = 0;
constexpr int kVidDestOffset = 4;
constexpr int kAddressSize = 4;

// Octets of `b` the telegram holds, and of them the APDU without the
// appended identity; both within the data area whatever the header says.
int DataEnd(const T_Telegramm& t) { return std::clamp<int>(t.lg, 0, kTelegramDataSize); }
int ApduEnd(const T_Telegramm& t) { return std::max(0, DataEnd(t) - t.idm); }

// Octet `pos` of `b`, 0 when it lies at or beyond `end`.
uint8_t OctetAt(const T_Telegramm& t, int pos, int end) { return pos >= 0 && pos < end ? t.b[pos] : 0; }

// Little-endian word of `len` octets at `pos`, octets beyond `end` read as 0.
uint32_t WordAt(const T_Telegramm& t, int pos, int len, int end) {
  uint32_t v = 0;
  for (int i = len - 1; i >= 0; --i) v = v << 8 | OctetAt(t, pos + i, end);
  return v;
}

const T_FltKrit& Row(const T_Filter& f, int i) { return f.krit[i - 1]; }
T_FltKrit& Row(T_Filter& f, int i) { return f.krit[i - 1]; }
int RowsInUse(const T_Filter& f) { return std::clamp<int32_t>(f.anz, 0, kKritRows); }

// Class mask bit of an accepted telegram of class 1, 2, 3 or 5; 0 for any other class.
uint16_t ClassBit(const T_Telegramm& t) {
  switch (t.ta) {
    case TaRaw104: return TartRaw104;
    case TaIFormat: return TartI;
    case TaSFormat: return TartS;
    case TaUFormat:
      return (OctetAt(t, kControl1Offset, DataEnd(t)) & kControlTestBits) ? TartTest : TartStart;
    default: return 0;
  }
}

// The two addresses of a telegram, as stored: network-order octets read as
// a little-endian signed word.
struct AddressPair {
  int32_t source, dest;
};

// The addresses of the identity appended to an APDU or piece; false when
// the identity is too short to hold them.
bool VidAddresses(const T_Telegramm& t, AddressPair& a) {
  const int end = DataEnd(t);
  const int vid = end - t.idm;
  if (vid < 0 || vid + kVidDestOffset + kAddressSize > end) return false;
  a.source = static_cast<int32_t>(WordAt(t, vid + kVidSourceOffset, kAddressSize, end));
  a.dest = static_cast<int32_t>(WordAt(t, vid + kVidDestOffset, kAddressSize, end));
  return true;
}

// The addresses of the IPv4 header of a raw frame. The frame is stored as
// it came from the line, with its escapes, while `ofs` counts octets of the
// unstuffed frame, so the header octets are found by unstuffing on the fly.
// False when the frame carries no uncompressed IPv4 header or ends before
// the addresses.
bool FrameAddresses(const T_Telegramm& t, AddressPair& a) {
  if ((t.prot != kProtoIp && t.prot != kProtoVjUncompressed) || t.ofs == 0) return false;
  const int first = t.ofs + kIpSourceOffset;
  const int last = t.ofs + kIpDestOffset + kAddressSize;  // one past the last address octet
  uint8_t addr[2 * kAddressSize];
  const int end = DataEnd(t);
  int pos = 0;  // position in the unstuffed frame
  for (int i = 0; i < end && pos < last; ++i) {
    uint8_t c = t.b[i];
    if (c == kPppEscape) {
      if (++i >= end) break;
      c = t.b[i] ^ kPppEscapeXor;
    }
    if (pos >= first) addr[pos - first] = c;
    ++pos;
  }
  if (pos < last) return false;
  auto word = [&](int at) {
    return static_cast<int32_t>(uint32_t{addr[at]} | uint32_t{addr[at + 1]} << 8 |
                                uint32_t{addr[at + 2]} << 16 | uint32_t{addr[at + 3]} << 24);
  };
  a.source = word(0);
  a.dest = word(kAddressSize);
  return true;
}

// The IPv4 address criterion. APDUs and pieces are judged by their appended
// identity (an APDU without one passes), raw IEC 104 frames by their IPv4
// header; no other telegram has addresses.
bool IpMatch(const T_Filter& f, const T_Telegramm& t) {
  AddressPair a{};
  switch (t.ta) {
    case TaIFormat:
    case TaSFormat:
    case TaUFormat:
      if (t.idm == 0) return true;
      if (!VidAddresses(t, a)) return false;
      break;
    case TaRaw104:
      // Pieces cut from a frame carry the identity instead of the frame.
      if (!(t.idm != 0 ? VidAddresses(t, a) : FrameAddresses(t, a))) return false;
      break;
    default:
      return false;
  }
  return CritMatch(f.ip, a.source) || CritMatch(f.ip, a.dest);
}

}  // namespace

void FilterNormalise(T_Filter& f, const T_AllgPar& ap) {
  const int caFields = ap.cabrt.anz;
  const int ioaFields = ap.oabrt.anz;
  f.anz = 0;
  for (int k = KritNumber; k <= KritLast; ++k) {
    if (k >= KritCaField1 && k < KritCaField1 + kMaxCaFields && k >= KritCaField1 + caFields) continue;
    if (k >= KritIoaField1 && k >= KritIoaField1 + ioaFields) continue;
    ++f.anz;
    Row(f, f.anz).art = k;
  }
  if (!f.fok && !f.ffehl) f.fok = f.ffehl = 1;
  if (f.tken == 0) f.tken = kTkenBothPorts;
  if (f.tart == 0 || f.tart == TartOther) f.tart = TartAll;
  if (f.tart < TartOther) f.tart |= TartOther;
  f.def = f.vonein || f.bisein || (f.fok != f.ffehl) || f.tken != kTkenBothPorts || f.ip.akt != 0 ||
          f.tart != TartAll;
  f.ioa1 = 0;
  f.asdu = 0;
  for (int j = 1; j <= f.anz; ++j) {
    const T_FltKrit& r = Row(f, j);
    if (r.akt == 0) continue;
    f.def = 1;
    if (r.art >= KritType) f.asdu = 1;
    if (r.art >= KritIoaField1) {
      f.ioa1 = static_cast<uint8_t>(j);
      break;
    }
  }
}

bool CritMatch(const T_FltKrit& r, int32_t v) {
  bool m;
  if (r.mod == 0) {
    m = v == r.w1;
  } else if (r.mod == 1) {
    m = v == r.w1 || v == r.w2;
  } else if (r.w1 <= r.w2) {
    m = r.w1 <= v && v <= r.w2;
  } else {
    m = v >= r.w1 || v <= r.w2;
  }
  return r.akt == 2 ? !m : m;
}

int32_t CritValue(int32_t art, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t) {
  const int end = ApduEnd(t);
  if (art == KritNumber) return static_cast<int32_t>(uint32_t(t.nr) - uint32_t(erstnr) + 1u);
  if (art == KritLength) return t.lg;
  if (art == KritType) return OctetAt(t, kTypOffset, end);
  if (art == KritCause) return OctetAt(t, kUrsOffset, end) & (kCauseMask | kCauseNegative);
  if (art == KritOrigin) return OctetAt(t, kOriOffset, end);
  if (art >= KritCaField1 && art < KritCaField1 + kMaxCaFields)
    return static_cast<int32_t>(FieldOf(ap.cabrt, WordAt(t, kCaOffset, 2, end), art - KritCaField1 + 1));
  if (art >= KritIoaField1 && art <= KritLast)
    return static_cast<int32_t>(FieldOf(ap.oabrt, IoaOfObject(1, t), art - KritIoaField1 + 1));
  return 0;
}

uint32_t IoaOfObject(int n, const T_Telegramm& t) {
  const int end = ApduEnd(t);
  const uint8_t typ = OctetAt(t, kTypOffset, end);
  const uint8_t struk = OctetAt(t, kStrukOffset, end);
  int64_t pos = kApduHeaderSize;
  if (n >= 2 && !(struk & kStructureSq) && typ <= kLastStandardType)
    pos += int64_t{n - 1} * (ElementSize(typ) + kIoaSize);
  uint32_t a = pos < end ? WordAt(t, static_cast<int>(pos), kIoaSize, end) : 0;
  if (n > 1 && struk > (kStructureSq | 1)) a += static_cast<uint32_t>(n - 1);
  return a;
}

bool IoaMatch(const T_Filter& f, const T_AllgPar& ap, const T_Telegramm& t, int n) {
  if (f.ioa1 == 0) return true;
  return IoaAddressMatch(f, ap, IoaOfObject(n, t));
}

bool IoaAddressMatch(const T_Filter& f, const T_AllgPar& ap, uint32_t a) {
  if (f.ioa1 == 0) return true;
  const int rows = RowsInUse(f);
  for (int i = f.ioa1; i <= rows; ++i) {
    const T_FltKrit& r = Row(f, i);
    if (r.akt == 0) continue;
    const int field = (r.art & 0xFFFF) - KritIoaField1 + 1;
    if (!CritMatch(r, static_cast<int32_t>(FieldOf(ap.oabrt, a, field)))) return false;
  }
  return true;
}

bool FilterMatch(const T_Filter& f, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t) {
  const T_FltKrit& number = Row(f, kRowNumber);
  if (number.akt != 0 && !CritMatch(number, CritValue(KritNumber, ap, erstnr, t))) return false;
  if (f.vonein && t.dt < f.von) return false;
  if (f.bisein && t.dt > f.bis) return false;
  if (t.ta == TaEvent) return true;
  const T_FltKrit& length = Row(f, kRowLength);
  if (length.akt != 0 && !CritMatch(length, t.lg)) return false;
  const int source = t.ek / 2;
  if (source >= 16 || !(f.tken & (1u << source))) return false;
  const bool faulty = IsFaultyStatus(t.stat);
  if (f.fok && !f.ffehl && faulty) return false;
  if (f.ffehl && !f.fok && !faulty) return false;
  if (faulty || t.ta == TaRaw) return true;
  if (!(f.tart & ClassBit(t))) return false;
  if (f.ip.akt != 0 && !IpMatch(f, t)) return false;
  if (!f.asdu) return true;
  if (t.ta != TaIFormat) return false;
  const int rows = RowsInUse(f);
  for (int i = kFirstAsduRow; i <= rows; ++i) {
    const T_FltKrit& r = Row(f, i);
    if (r.akt == 0) continue;
    if (r.art >= KritIoaField1) break;
    if (!CritMatch(r, CritValue(r.art, ap, erstnr, t))) return false;
  }
  const int objects = OctetAt(t, kStrukOffset, ApduEnd(t)) & kStructureCount;
  if (f.ioa1 != 0 && objects > 0) {
    for (int j = 1; j <= objects; ++j)
      if (IoaMatch(f, ap, t, j)) return true;
    return false;
  }
  return true;
}

bool ViewAdmits(const T_PrgPar& p, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t) {
  if (t.lga == 0) return false;
  const bool accepted = !IsFaultyStatus(t.stat);
  if (t.ta == TaRaw && accepted && p.nur104) return false;
  if (ap.afilt.ein && !FilterMatch(ap.afilt, ap, erstnr, t)) return false;
  // The display filter's own link-layer rule is the same as the view
  // default: every telegram it concerns has passed all earlier checks of
  // the filter, so it can be applied after the filter has matched.
  const bool linkLayer = t.ta == TaSFormat || t.ta == TaUFormat || t.ta == TaRaw104;
  return !(accepted && !p.mitlink && linkLayer);
}

}  // namespace qlxs
