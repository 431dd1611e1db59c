#include "model/date_time.h"
#include "platform/locale_formats.h"
#include "render/element_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "config/config_state.h"
#include "config/text_format.h"
#include "iec104/type_table.h"
#include "model/helpers.h"
#include "render/element_octets.h"
#include "render/render.h"

namespace qlxs {

namespace {

// Language texts of the element sets.
constexpr int kTextSummerTime = 269;
constexpr int kTextQualityLong = 270;    // + IV, NT, SB, BL; + 4 reserved bits
constexpr int kTextQualityShort = 275;   // the same, short
constexpr int kTextReservedLong = 274;   // also bit 1 of a single command
constexpr int kTextInvalid = 275;        // IV of a time tag's minute octet
constexpr int kTextSubstituted = 277;    // bit 6 of a time tag's minute octet
constexpr int kTextReservedShort = 279;
constexpr int kTextOverflowLong = 280;
constexpr int kTextOverflowShort = 281;
constexpr int kTextElapsedInvalid = 282;
constexpr int kTextElapsed = 283;
constexpr int kTextSingleState = 284;    // + SPI or SCS
constexpr int kTextDoubleState = 286;    // + DPI, DCS or ES
constexpr int kTextTransientLong = 290;
constexpr int kTextTransientShort = 291;
constexpr int kTextWeekday = 292;
constexpr int kTextSpeFlags = 300;       // + 5 - bit, bits 5..0
constexpr int kTextOciFlags = 306;       // + 3 - bit, bits 3..0
constexpr int kTextExecuteLong = 310;    // + S/E
constexpr int kTextValueLong = 312;      // general label before a number
constexpr int kTextQuShort = 313;
constexpr int kTextQu = 313;             // + QU 1..3
constexpr int kTextStepState = 317;      // + RCS
constexpr int kTextAfterParameterChange = 321;
constexpr int kTextCoi = 323;            // + COI 0..2
constexpr int kTextStationInterrogation = 326;
constexpr int kTextGroupInterrogation = 327;
constexpr int kTextKpaLong = 328;
constexpr int kTextKpaShort = 329;
constexpr int kTextPop = 330;
constexpr int kTextLpc = 331;
constexpr int kTextQlShort = 334;
constexpr int kTextKpa = 334;            // + KPA 1..4
constexpr int kTextEventBufferReset = 339;
constexpr int kTextQpa = 339;            // + QPA 1..3
constexpr int kTextBcrLong = 343;        // + IV, CA, CY
constexpr int kTextSequenceLong = 346;
constexpr int kTextFreeze = 347;         // + FRZ
constexpr int kTextGeneralCounter = 351;
constexpr int kTextCounterGroup = 352;
constexpr int kTextGeneralReset = 353;
constexpr int kTextBcrShort = 354;
constexpr int kTextSequenceShort = 357;
constexpr int kTextExecuteShort = 358;   // + S/E
constexpr int kTextFileName = 366;
constexpr int kTextSectionName = 367;
constexpr int kTextLength = 368;
constexpr int kTextFrq = 369;
constexpr int kTextSrq = 370;
constexpr int kTextScq = 371;
constexpr int kTextLsq = 372;
constexpr int kTextChs = 373;
constexpr int kTextAfq = 374;
constexpr int kTextSof = 375;
constexpr int kTextNoCounterRead = 391;

// Octets of the file transfer header of a segment (type 125): NOF, NOS, LOS.
constexpr int kSegmentHeaderOctets = 4;

constexpr char kHexDigits[] = "0123456789ABCDEF";

const std::string& T(const ConfigState& cs, int n) { return Text(cs.AllgVar, n); }
bool LongTexts(const ConfigState& cs) { return cs.PrgPar.afmt == FmtLogisch; }

void AppendNumber(std::string& out, int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// v in decimal, at least two digits.
void AppendTwoDigits(std::string& out, int v) {
  if (v >= 0 && v < 10) out += '0';
  AppendNumber(out, v);
}

void AppendHex(std::string& out, uint32_t v, int digits) {
  for (int i = digits - 1; i >= 0; --i) out += kHexDigits[(v >> (4 * i)) & 15];
}

// Code points of UTF-8 text.
int CharCount(const char* s, size_t n) {
  int count = 0;
  for (size_t i = 0; i < n; ++i) count += (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
  return count;
}

// Pads what was appended to `out` since `start` with blanks to `width` characters.
void PadFrom(std::string& out, size_t start, int width) {
  const int n = CharCount(out.data() + start, out.size() - start);
  if (n < width) out.append(static_cast<size_t>(width - n), ' ');
}

// Appends a blank when anything was appended since `start`.
void BlankWhenShown(std::string& out, size_t start) {
  if (out.size() > start) out += ' ';
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The date of a time tag; a day its month does not have as the numbers received.
void AppendTagDate(std::string& out, int year, int month, int day) {
  if (day <= DaysInMonth(year, month)) return AppendShortDate(out, EncodeDate(year, month, day));
  AppendNumber(out, year);
  out += '-';
  AppendTwoDigits(out, month);
  out += '-';
  AppendTwoDigits(out, day);
}

// The elapsed time CP16 after a SEP or QDP octet: its EI flag (bit 3), then
// the two octets of milliseconds.
void AppendCp16Text(std::string& out, const ConfigState& cs, ElementOctets& in, uint8_t octet) {
  out += T(cs, (octet & 0x08) ? kTextElapsedInvalid : kTextElapsed);
  AppendSecondsText(out, in.U16());
}

// The flags of a SEP or QDP octet, its reserved bits and the elapsed time.
void AppendProtectionText(std::string& out, const ConfigState& cs, ElementOctets& in, uint8_t octet, int reserved) {
  AppendQualityText(out, cs, octet, 0);
  AppendValueText(out, cs, kTextReservedShort, reserved);
  AppendCp16Text(out, cs, in, octet);
}

// A bitstring of 32 bits with its QDS (types 7, 8, 20, 33): in hexadecimal,
// or in Logisch for types 8 and 20, and type 7 without quality flags, as bits.
void AppendBsiText(std::string& out, const ConfigState& cs, ElementOctets& in, int typ) {
  uint8_t bsi[4];
  for (uint8_t& o : bsi) o = in.U8();
  std::string q;
  AppendQdsText(q, cs, in.U8());
  const bool hex = !LongTexts(cs) || typ == 33 || (typ == 7 && q.size() >= 2);
  if (hex) {
    for (int i = 3; i >= 0; --i) {
      out += cs.AllgVar.khex;
      AppendHex(out, bsi[i], 2);
      out += ' ';
    }
    out += ' ';
  } else {
    AppendBitsText(out, cs, bsi);
  }
  out += q;
}

void AppendNofText(std::string& out, const ConfigState& cs, ElementOctets& in) {
  const size_t start = out.size();
  out += T(cs, kTextFileName);
  AppendNumber(out, in.U16());
  PadFrom(out, start, 7);
}

void AppendNosText(std::string& out, const ConfigState& cs, ElementOctets& in) {
  out += T(cs, kTextSectionName);
  AppendNumber(out, in.U8());
}

void AppendLofText(std::string& out, const ConfigState& cs, ElementOctets& in) {
  const size_t start = out.size();
  out += T(cs, kTextLength);
  AppendNumber(out, in.U24());
  PadFrom(out, start, 10);
}

// Text n followed by the next octet in two hexadecimal digits.
void AppendQualifierOctet(std::string& out, const ConfigState& cs, ElementOctets& in, int n) {
  out += T(cs, n);
  AppendHex(out, in.U8(), 2);
}

// Text n followed by v in decimal.
void AppendLabelled(std::string& out, const ConfigState& cs, int n, int v) {
  out += T(cs, n);
  AppendNumber(out, v);
}

// The element set of `typ` without its time tag; false for a type without a decoding.
bool AppendElement(std::string& out, const ConfigState& cs, ElementOctets& in, int typ) {
  const bool lng = LongTexts(cs);
  switch (typ) {
    case 1: case 2: case 30: {
      const uint8_t siq = in.U8();
      out += T(cs, kTextSingleState + (siq & 1));
      const size_t start = out.size();
      AppendQualityText(out, cs, siq, (siq >> 1) & 7);
      BlankWhenShown(out, start);
      return true;
    }
    case 3: case 4: case 31: {
      const uint8_t diq = in.U8();
      out += T(cs, kTextDoubleState + (diq & 3));
      const size_t start = out.size();
      AppendQualityText(out, cs, diq, (diq >> 2) & 3);
      BlankWhenShown(out, start);
      return true;
    }
    case 5: case 6: case 32: {
      const uint8_t vti = in.U8();
      const uint8_t q = in.U8();
      AppendNumber(out, (vti & 0x40) ? (vti & 0x7F) - 128 : (vti & 0x7F));
      out += "  ";
      if (vti & 0x80) out += T(cs, lng ? kTextTransientLong : kTextTransientShort);
      AppendQdsText(out, cs, q);
      return true;
    }
    case 7: case 8: case 20: case 33:
      AppendBsiText(out, cs, in, typ);
      return true;
    case 9: case 10: case 34: {
      const auto raw = static_cast<int16_t>(in.U16());
      AppendNvaText(out, cs, raw);
      AppendQdsText(out, cs, in.U8());
      return true;
    }
    case 11: case 12: case 35: {
      const auto v = static_cast<int16_t>(in.U16());
      AppendSvaText(out, v);
      AppendQdsText(out, cs, in.U8());
      return true;
    }
    case 13: case 14: case 36: {
      const float v = in.Real();
      AppendFloatText(out, v);
      AppendQdsText(out, cs, in.U8());
      return true;
    }
    case 15: case 16: case 37: {
      const auto counter = static_cast<int32_t>(in.U32());
      const uint8_t seq = in.U8();
      AppendBcrFlagsText(out, cs, seq, typ);
      AppendLabelled(out, cs, lng ? kTextSequenceLong : kTextSequenceShort, seq & 0x1F);
      out += "  ";
      AppendGrouped(out, counter, 7);
      out += "  ";
      return true;
    }
    case 17: case 38: {
      const uint8_t sep = in.U8();
      out += T(cs, kTextDoubleState + (sep & 3));
      AppendProtectionText(out, cs, in, sep, (sep >> 2) & 1);
      return true;
    }
    case 18: case 39: {
      const uint8_t spe = in.U8();
      const uint8_t qdp = in.U8();
      AppendSpeText(out, cs, spe);
      AppendProtectionText(out, cs, in, qdp, qdp & 7);
      return true;
    }
    case 19: case 40: {
      const uint8_t oci = in.U8();
      const uint8_t qdp = in.U8();
      AppendOciText(out, cs, oci);
      AppendProtectionText(out, cs, in, qdp, qdp & 7);
      return true;
    }
    case 21:
      AppendNvaText(out, cs, static_cast<int16_t>(in.U16()));
      return true;
    case 45: case 58: {
      const uint8_t sco = in.U8();
      out += T(cs, kTextSingleState + (sco & 1));
      AppendQocText(out, cs, sco);
      AppendValueText(out, cs, kTextReservedLong, (sco >> 1) & 1);
      return true;
    }
    case 46: case 59: {
      const uint8_t dco = in.U8();
      out += T(cs, kTextDoubleState + (dco & 3));
      AppendQocText(out, cs, dco);
      return true;
    }
    case 47: case 60: {
      const uint8_t rco = in.U8();
      out += T(cs, kTextStepState + (rco & 3));
      AppendQocText(out, cs, rco);
      return true;
    }
    case 48: case 61: {
      const auto raw = static_cast<int16_t>(in.U16());
      AppendNvaText(out, cs, raw);
      AppendQosText(out, cs, in.U8());
      return true;
    }
    case 49: case 62: {
      const auto v = static_cast<int16_t>(in.U16());
      AppendSvaText(out, v);
      AppendQosText(out, cs, in.U8());
      return true;
    }
    case 50: case 63: {
      const float v = in.Real();
      AppendFloatText(out, v);
      AppendQosText(out, cs, in.U8());
      return true;
    }
    case 51: case 64: {
      uint8_t bsi[4];
      for (uint8_t& o : bsi) o = in.U8();
      AppendBitsText(out, cs, bsi);
      return true;
    }
    case 70:
      AppendCoiText(out, cs, in.U8());
      return true;
    case 100:
      AppendQoiText(out, cs, in.U8());
      return true;
    case 101:
      AppendQccText(out, cs, in.U8());
      return true;
    case 102: case 103:
      return true;
    case 104: case 107:
      out += cs.AllgVar.khex;
      AppendHex(out, in.U16(), 4);
      out += "  ";
      return true;
    case 105: {
      const uint8_t qrp = in.U8();
      if (qrp == 1)
        out += T(cs, kTextGeneralReset);
      else if (qrp == 2)
        out += T(cs, kTextEventBufferReset);
      else
        AppendLabelled(out, cs, kTextValueLong, qrp);
      return true;
    }
    case 110: {
      const auto raw = static_cast<int16_t>(in.U16());
      AppendNvaText(out, cs, raw);
      AppendQpmText(out, cs, in.U8());
      return true;
    }
    case 111: {
      const auto v = static_cast<int16_t>(in.U16());
      AppendSvaText(out, v);
      AppendQpmText(out, cs, in.U8());
      return true;
    }
    case 112: {
      const float v = in.Real();
      AppendFloatText(out, v);
      AppendQpmText(out, cs, in.U8());
      return true;
    }
    case 113:
      AppendQpaText(out, cs, in.U8());
      return true;
    case 120:
      AppendNofText(out, cs, in);
      AppendLofText(out, cs, in);
      AppendQualifierOctet(out, cs, in, kTextFrq);
      return true;
    case 121:
      AppendNofText(out, cs, in);
      AppendNosText(out, cs, in);
      AppendLofText(out, cs, in);
      AppendQualifierOctet(out, cs, in, kTextSrq);
      return true;
    case 122:
      AppendNofText(out, cs, in);
      AppendNosText(out, cs, in);
      AppendQualifierOctet(out, cs, in, kTextScq);
      return true;
    case 123:
      AppendNofText(out, cs, in);
      AppendNosText(out, cs, in);
      AppendQualifierOctet(out, cs, in, kTextLsq);
      AppendQualifierOctet(out, cs, in, kTextChs);
      return true;
    case 124:
      AppendNofText(out, cs, in);
      AppendNosText(out, cs, in);
      AppendQualifierOctet(out, cs, in, kTextAfq);
      return true;
    case 125:
      AppendNofText(out, cs, in);
      AppendNosText(out, cs, in);
      out += ' ';
      AppendLabelled(out, cs, kTextLength, in.U8());
      return true;
    case 126:
      AppendNofText(out, cs, in);
      AppendLofText(out, cs, in);
      AppendQualifierOctet(out, cs, in, kTextSof);
      out += "  ";
      AppendCp56Text(out, cs, in.c);
      return true;
    default:
      return false;
  }
}

}  // namespace

int ElementTextOctets(int typ) {
  switch (typ) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 10:
    case 11: case 12: case 13: case 14: case 15: case 16: case 17: case 18: case 19: case 20:
    case 21: case 30: case 31: case 32: case 33: case 34: case 35: case 36: case 37: case 38:
    case 39: case 40: case 45: case 46: case 47: case 48: case 49: case 50: case 51: case 58:
    case 59: case 60: case 61: case 62: case 63: case 64: case 70: case 100: case 101: case 103:
    case 104: case 105: case 107: case 110: case 111: case 112: case 113: case 120: case 121:
    case 122: case 123: case 124: case 126:
      return ElementSize(typ);
    case 125:
      return kSegmentHeaderOctets;
    default:
      return 0;
  }
}

void AppendElementText(std::string& out, const ConfigState& cs, T_TeleAusgabe& c) {
  const int typ = c.te.apdu().typ;
  const int need = ElementTextOctets(typ);
  if (need == 0) return;
  const int rest = c.te.lg - c.pb;
  if (rest < need) {
    if (rest > 0) AppendHexDump(out, c, rest);
    return;
  }
  ElementOctets in{c};
  if (!AppendElement(out, cs, in, typ)) return;
  if (!HasTimeTag(typ)) return;
  if (HasLongTimeTag(typ))
    AppendCp56Text(out, cs, c);
  else
    AppendCp24Text(out, cs, c);
}

void AppendCp56Text(std::string& out, const ConfigState& cs, T_TeleAusgabe& c) {
  ElementOctets in{c};
  const uint16_t ms = in.U16();
  const uint8_t m = in.U8();
  const uint8_t h = in.U8();
  const uint8_t dayOctet = in.U8();
  const uint8_t monthOctet = in.U8();
  const uint8_t yearOctet = in.U8();
  const int weekday = dayOctet >> 5;
  const int day = (dayOctet & 0x1F) == 0 ? 1 : dayOctet & 0x1F;
  int month = monthOctet & 0x0F;
  if (month == 0 || month > 12) month = 1;
  const int year = 2000 + (yearOctet & 0x7F);
  AppendValueText(out, cs, kTextWeekday, weekday);
  AppendTagDate(out, year, month, day);
  out += "  ";
  if (m & 0x80) out += T(cs, kTextInvalid);
  if (m & 0x40) out += T(cs, kTextSubstituted);
  if (h & 0x80) out += T(cs, kTextSummerTime);
  AppendTwoDigits(out, h & 0x1F);
  out += ':';
  AppendTwoDigits(out, m & 0x3F);
  out += ':';
  AppendSecondsText(out, ms);
}

void AppendCp24Text(std::string& out, const ConfigState& cs, T_TeleAusgabe& c) {
  ElementOctets in{c};
  const uint16_t ms = in.U16();
  const uint8_t m = in.U8();
  AppendTwoDigits(out, m & 0x3F);
  out += ':';
  AppendSecondsText(out, ms);
  out += ' ';
  if (m & 0x80) out += T(cs, kTextInvalid);
  if (m & 0x40) out += T(cs, kTextSubstituted);
}

void AppendValueText(std::string& out, const ConfigState& cs, int n, int v) {
  if (v == 0) return;
  AppendLabelled(out, cs, n, v);
  out += ' ';
}

void AppendQualityText(std::string& out, const ConfigState& cs, uint8_t octet, int reserved) {
  const int base = LongTexts(cs) && BitCount16(octet & 0xF0) <= 1 ? kTextQualityLong : kTextQualityShort;
  for (int bit = 7; bit >= 4; --bit)
    if (octet & (1u << bit)) out += T(cs, base + 7 - bit);
  AppendValueText(out, cs, base + 4, reserved);
}

void AppendQdsText(std::string& out, const ConfigState& cs, uint8_t q) {
  const size_t start = out.size();
  AppendQualityText(out, cs, q, (q >> 1) & 7);
  if (q & 1) out += T(cs, LongTexts(cs) ? kTextOverflowLong : kTextOverflowShort);
  BlankWhenShown(out, start);
}

void AppendBcrFlagsText(std::string& out, const ConfigState& cs, uint8_t octet, int typ) {
  const bool lng = LongTexts(cs) && BitCount16(octet & 0xE0) <= 1 && !HasLongTimeTag(typ);
  const int base = lng ? kTextBcrLong : kTextBcrShort;
  const size_t start = out.size();
  for (int bit = 7; bit >= 5; --bit)
    if (octet & (1u << bit)) out += T(cs, base + 7 - bit);
  BlankWhenShown(out, start);
}

void AppendNvaText(std::string& out, const ConfigState& cs, int16_t raw) {
  const int32_t mw100 = cs.AllgPar.mw100;
  if (mw100 == 0) {
    AppendSvaText(out, raw);
    return;
  }
  const float p = static_cast<float>(raw) * 100.0f / static_cast<float>(mw100);
  const float a = std::fabs(p);
  const int decimals = a < 10 ? 3 : a < 100 ? 2 : 1;
  out += FormatText("%6d=%6.*f%%  ", {static_cast<int>(raw), decimals, static_cast<double>(p)});
}

void AppendSvaText(std::string& out, int16_t v) {
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<int>(v));
  const auto n = static_cast<int>(r.ptr - buf);
  if (n < 6) out.append(static_cast<size_t>(6 - n), ' ');
  out.append(buf, r.ptr);
  out += "  ";
}

void AppendReal(std::string& out, float v) {
  if (std::isnan(v))
    out += "NaN";
  else if (std::isinf(v))
    out += v < 0 ? "-INF" : "INF";
  else
    out += FormatReal(v);
}

void AppendFloatText(std::string& out, float v) {
  AppendReal(out, v);
  out += "  ";
}

void AppendBitsText(std::string& out, const ConfigState& cs, const uint8_t octets[4]) {
  const std::string& bitz = cs.AllgVar.bitz;
  const char zero = bitz.size() >= 2 ? bitz[0] : '0';
  const char one = bitz.size() >= 2 ? bitz[1] : '1';
  for (int i = 3; i >= 0; --i) {
    for (int bit = 7; bit >= 0; --bit) out += (octets[i] & (1u << bit)) ? one : zero;
    out += "  ";
  }
}

void AppendSecondsText(std::string& out, uint16_t ms) {
  AppendTwoDigits(out, ms / 1000);
  out += ',';
  const int rest = ms % 1000;
  if (rest < 100) out += '0';
  AppendTwoDigits(out, rest);
  out += "  ";
}

void AppendSpeText(std::string& out, const ConfigState& cs, uint8_t spe) {
  const size_t start = out.size();
  AppendValueText(out, cs, kTextReservedShort, spe >> 6);
  for (int bit = 5; bit >= 0; --bit)
    if (spe & (1u << bit)) out += T(cs, kTextSpeFlags + 5 - bit);
  BlankWhenShown(out, start);
}

void AppendOciText(std::string& out, const ConfigState& cs, uint8_t oci) {
  AppendValueText(out, cs, kTextReservedShort, oci >> 4);
  for (int bit = 3; bit >= 0; --bit)
    if (oci & (1u << bit)) out += T(cs, kTextOciFlags + 3 - bit);
}

void AppendQocText(std::string& out, const ConfigState& cs, uint8_t octet) {
  const bool lng = LongTexts(cs);
  const int se = octet >> 7;
  out += T(cs, (lng ? kTextExecuteLong : kTextExecuteShort) + se);
  const int qu = (octet >> 2) & 0x1F;
  if (qu >= 1 && qu <= 3) {
    out += T(cs, kTextQu + qu);
    return;
  }
  AppendLabelled(out, cs, lng ? kTextValueLong : kTextQuShort, qu);
  out += "  ";
}

void AppendQosText(std::string& out, const ConfigState& cs, uint8_t qos) {
  const bool lng = LongTexts(cs);
  out += T(cs, (lng ? kTextExecuteLong : kTextExecuteShort) + (qos >> 7));
  AppendLabelled(out, cs, lng ? kTextValueLong : kTextQlShort, qos & 0x7F);
  out += "  ";
}

void AppendCoiText(std::string& out, const ConfigState& cs, uint8_t coi) {
  const int cause = coi & 0x7F;
  if (cause <= 2)
    out += T(cs, kTextCoi + cause);
  else
    AppendLabelled(out, cs, kTextValueLong, cause);
  out += "  ";
  if (coi & 0x80) out += T(cs, kTextAfterParameterChange);
}

void AppendQoiText(std::string& out, const ConfigState& cs, uint8_t qoi) {
  if (qoi == 20)
    out += T(cs, kTextStationInterrogation);
  else if (qoi >= 21 && qoi <= 36)
    AppendLabelled(out, cs, kTextGroupInterrogation, qoi - 20);
  else
    AppendLabelled(out, cs, kTextValueLong, qoi);
}

void AppendQccText(std::string& out, const ConfigState& cs, uint8_t qcc) {
  const int rqt = qcc & 0x3F;
  if (rqt == 0)
    out += T(cs, kTextNoCounterRead);
  else if (rqt <= 4)
    AppendLabelled(out, cs, kTextCounterGroup, rqt);
  else if (rqt == 5)
    out += T(cs, kTextGeneralCounter);
  else
    AppendLabelled(out, cs, kTextValueLong, rqt);
  out += "  ";
  out += T(cs, kTextFreeze + (qcc >> 6));
}

void AppendQpmText(std::string& out, const ConfigState& cs, uint8_t qpm) {
  if (qpm & 0x80) out += T(cs, kTextPop);
  if (qpm & 0x40) out += T(cs, kTextLpc);
  const int kpa = qpm & 0x3F;
  if (kpa >= 1 && kpa <= 4)
    out += T(cs, kTextKpa + kpa);
  else
    AppendLabelled(out, cs, LongTexts(cs) ? kTextKpaLong : kTextKpaShort, kpa);
}

void AppendQpaText(std::string& out, const ConfigState& cs, uint8_t qpa) {
  if (qpa >= 1 && qpa <= 3)
    out += T(cs, kTextQpa + qpa);
  else
    AppendLabelled(out, cs, kTextValueLong, qpa);
}

}  // namespace qlxs
