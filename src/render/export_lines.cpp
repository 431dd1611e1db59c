#include "render/export_lines.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "config/element_texts.h"
#include "iec104/type_cause_names.h"
#include "iec104/type_table.h"
#include "log/log_state.h"
#include "model/apdu.h"
#include "model/date_time.h"
#include "platform/locale_formats.h"
#include "render/apdu_lines.h"
#include "render/element_octets.h"
#include "render/element_text.h"
#include "render/render.h"

namespace qlxs {

namespace {

// Data octets from which an I-format APDU has objects.
constexpr int kDataWithObject = kApduHeaderSize;
// The first line is line 3 of the plan; later lines count on from it.
constexpr int kFirstLine = 3;
constexpr int kDumpOctetsPerLine = 16;
// Empty fields before the octets of a dump line, after number and line.
constexpr int kDumpGapDefined = 18;
constexpr int kDumpGapUndefined = 15;

// How the export writes the octets of an element set, in element order.
enum class Field : uint8_t {
  State1,  // one octet as two fields: bit 0, and the other bits unshifted
  State2,  // one octet as two fields: bits 0-1, and the other bits unshifted
  U8,      // an octet, 0..255
  U16,     // 16 bits unsigned
  S16,     // 16 bits signed
  U24,     // 24 bits unsigned
  S32,     // 32 bits signed
  Real,    // a short floating point value
};

using F = Field;
constexpr Field kState1[] = {F::State1};
constexpr Field kState2[] = {F::State2};
constexpr Field kState2Elapsed[] = {F::State2, F::U16};
constexpr Field kTwoOctets[] = {F::U8, F::U8};
constexpr Field kS32Octet[] = {F::S32, F::U8};
constexpr Field kS16Octet[] = {F::S16, F::U8};
constexpr Field kRealOctet[] = {F::Real, F::U8};
constexpr Field kS16[] = {F::S16};
constexpr Field kProtection[] = {F::U8, F::U8, F::U16};
constexpr Field kS32[] = {F::S32};
constexpr Field kOctet[] = {F::U8};
constexpr Field kU16[] = {F::U16};
constexpr Field kFileLength[] = {F::U16, F::U24, F::U8};
constexpr Field kSectionLength[] = {F::U16, F::U8, F::U24, F::U8};
constexpr Field kSectionOctet[] = {F::U16, F::U8, F::U8};
constexpr Field kSectionTwoOctets[] = {F::U16, F::U8, F::U8, F::U8};
constexpr Field kCp24[] = {F::U16, F::U8};
constexpr Field kCp56[] = {F::U16, F::U8, F::U8, F::U8, F::U8, F::U8};

// The export fields of a type's element set; `listed` false for a type the
// export has no fields for (it gets no time fields either).
std::span<const Field> ElementLayout(int typ, bool& listed) {
  listed = true;
  switch (typ) {
    case 1: case 30: case 45: case 58:
      return kState1;
    case 3: case 31: case 46: case 47: case 59: case 60: case 70: case 113:
      return kState2;
    case 38:
      return kState2Elapsed;
    case 5: case 32:
      return kTwoOctets;
    case 7: case 15: case 20: case 33: case 37:
      return kS32Octet;
    case 9: case 10: case 11: case 34: case 35: case 48: case 49: case 61: case 62: case 110: case 111:
      return kS16Octet;
    case 13: case 36: case 50: case 63: case 112:
      return kRealOctet;
    case 21:
      return kS16;
    case 39: case 40:
      return kProtection;
    case 51: case 64: case 150:
      return kS32;
    case 100: case 101: case 105:
      return kOctet;
    case 102: case 103:
      return {};
    case 107:
      return kU16;
    case 120: case 126:
      return kFileLength;
    case 121:
      return kSectionLength;
    case 122: case 124: case 125:
      return kSectionOctet;
    case 123:
      return kSectionTwoOctets;
    default:
      listed = false;
      return {};
  }
}

int OctetsOf(Field f) {
  switch (f) {
    case F::U16: case F::S16: return 2;
    case F::U24: return 3;
    case F::S32: case F::Real: return 4;
    default: return 1;
  }
}

void AppendNumber(std::string& out, int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// One field: a number and the separator.
void AppendField(std::string& out, char tz, int64_t v) {
  AppendNumber(out, v);
  out += tz;
}

// Writes the fields of `layout` from the octets at `c.pb`. A field that the
// data does not wholly hold is left empty, and so is every field after it:
// `c.pb` then moves to the end of the data, so nothing behind the cut is read.
void AppendFields(std::string& out, char tz, T_TeleAusgabe& c, std::span<const Field> layout) {
  ElementOctets in{c};
  for (const Field f : layout) {
    const bool two = f == F::State1 || f == F::State2;
    if (in.Left() < OctetsOf(f)) {
      c.pb = std::max(c.pb, static_cast<int32_t>(c.te.lg));
      out.append(two ? 2 : 1, tz);
      continue;
    }
    switch (f) {
      case F::State1: {
        const uint8_t o = in.U8();
        AppendField(out, tz, o & 0x01);
        AppendField(out, tz, o & 0xFE);
        break;
      }
      case F::State2: {
        const uint8_t o = in.U8();
        AppendField(out, tz, o & 0x03);
        AppendField(out, tz, o & 0xFC);
        break;
      }
      case F::U8: AppendField(out, tz, in.U8()); break;
      case F::U16: AppendField(out, tz, in.U16()); break;
      case F::S16: AppendField(out, tz, static_cast<int16_t>(in.U16())); break;
      case F::U24: AppendField(out, tz, in.U24()); break;
      case F::S32: AppendField(out, tz, static_cast<int32_t>(in.U32())); break;
      case F::Real:
        AppendReal(out, in.Real());
        out += tz;
        break;
    }
  }
}

// Octet `offset` of the data, or word at `offset`, as a field; an empty
// field when the data does not hold it.
void AppendOctetField(std::string& out, char tz, const T_Telegramm& t, int offset) {
  if (offset < t.lg) AppendNumber(out, t.b[offset]);
  out += tz;
}
void AppendWordField(std::string& out, char tz, const T_Telegramm& t, int offset) {
  if (offset + 1 < t.lg) AppendNumber(out, t.b[offset] | t.b[offset + 1] << 8);
  out += tz;
}

bool IsEvent(const T_Telegramm& t) { return t.ta == TaEvent || t.stat == StatModemStatus; }

// The first line: fields 1 to 16, and the first object of an I-format APDU.
void AppendFirstLine(std::string& out, LogState& m, T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  const char tz = m.AllgVar.tz;
  AppendJoinFields(out, tz, {t.nr, 0});
  const size_t shared = out.size();
  out += PortName(m, t.ek);
  out += tz;
  AppendShortDate(out, t.dt);
  out += tz;
  AppendLongTime(out, t.dt);
  out += tz;
  AppendJoinFields(out, tz, {DecodeDateTime(t.dt).millisecond, t.ta});
  if (IsEvent(t)) {
    AppendEventText(out, m, c);
    out += tz;
    return;
  }
  out += StatusText(m, t.stat);
  out += tz;
  AppendWordField(out, tz, t, kSnrOffset);
  AppendWordField(out, tz, t, kRnrOffset);
  if (t.ta != TaIFormat) return;
  if (kTypOffset < t.lg) out += TypeName(m.AllgVar, t.b[kTypOffset], FmtExport);
  out += tz;
  for (const int offset : {kTypOffset, kStrukOffset, kUrsOffset, kOriOffset}) AppendOctetField(out, tz, t, offset);
  AppendWordField(out, tz, t, kCaOffset);
  // An APDU too short for an object has this one line.
  if (t.lg < kDataWithObject) return;
  c.ExpStr.assign(out, shared);
  PositionObject(m, c);
  AppendObjectFields(out, m, c);
  AppendElementFields(out, m, c);
}

// A line of the octets left at `c.pb`: number, line k, a gap of empty
// fields, and the dump of up to 16 octets.
void AppendExportDumpLine(std::string& out, const LogState& m, T_TeleAusgabe& c, int typ) {
  const int n = std::min(kDumpOctetsPerLine, c.te.lg - c.pb);
  if (n <= 0) return;
  const char tz = m.AllgVar.tz;
  AppendJoinFields(out, tz, {c.te.nr, c.znr - kFirstLine});
  out.append(IsDefinedType(typ) ? kDumpGapDefined : kDumpGapUndefined, tz);
  const size_t dump = out.size();
  AppendHexDump(out, c, n);
  // An octet that reads as the separator would add a column: it shows as a
  // full stop, like an octet without a character.
  std::replace(out.begin() + static_cast<std::ptrdiff_t>(dump + kHexDumpCharColumn), out.end(), tz, '.');
}

}  // namespace

void AppendJoinFields(std::string& out, char tz, std::initializer_list<int64_t> numbers) {
  for (const int64_t v : numbers) AppendField(out, tz, v);
}

void AppendObjectFields(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c) {
  const char tz = cs.AllgVar.tz;
  if (ObjectAddressHeld(c)) {
    AppendNumber(out, static_cast<uint32_t>(c.oa));
    out += tz;
    out += ElementName(cs.AllgVar.elements, c.obji);
  } else {
    out += tz;
  }
  out += tz;
}

void AppendElementFields(std::string& out, const ConfigState& cs, T_TeleAusgabe& c) {
  bool listed = false;
  const int typ = c.te.apdu().typ;
  AppendFields(out, cs.AllgVar.tz, c, ElementLayout(typ, listed));
  if (listed) AppendTimeFields(out, cs, c);
}

void AppendTimeFields(std::string& out, const ConfigState& cs, T_TeleAusgabe& c) {
  const int typ = c.te.apdu().typ;
  if (!HasTimeTag(typ)) return;
  AppendFields(out, cs.AllgVar.tz, c, HasLongTimeTag(typ) ? std::span<const Field>(kCp56) : kCp24);
}

void AppendExportLines(std::string& out, LogState& m, T_TeleAusgabe& c) {
  const T_Telegramm& t = c.te;
  if (c.znr <= kFirstLine) {
    c.znr = kFirstLine;
    c.ExpStr.clear();
    // An I-format telegram none of whose objects is to be shown has no line.
    if (t.ta == TaIFormat && !NextObject(m, c)) return;
    return AppendFirstLine(out, m, c);
  }
  // Only an I-format APDU that holds objects has further lines; a shorter
  // one (a faulty APDU) ends with its first line.
  if (IsEvent(t) || c.ExpStr.empty() || c.pb >= t.lg) return;
  const int typ = t.b[kTypOffset];
  if ((typ >= 120 && typ <= 126) || !IsDefinedType(typ)) return AppendExportDumpLine(out, m, c, typ);
  if (!NextObject(m, c)) return;
  // A sequence of empty elements would hold its objects without end: it
  // ends at the object count.
  if (ObjectStride(c) == 0 && c.objnr > std::max(1, c.objanz)) return;
  PositionObject(m, c);
  AppendJoinFields(out, m.AllgVar.tz, {t.nr, c.objzl - 1});
  out += c.ExpStr;
  AppendObjectFields(out, m, c);
  AppendElementFields(out, m, c);
}

}  // namespace qlxs
