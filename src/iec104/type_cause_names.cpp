#include "iec104/type_cause_names.h"

#include "iec104/cause_lists.h"

namespace qlxs {

namespace {

constexpr int kTextTypeNames = 70;       // + type 0..127
constexpr int kTextPrivateType = 198;    // every type from 128 on
constexpr int kTextCauseNames = 202;     // + cause 0..63
constexpr int kTextShortFileEntry = 1077;
constexpr int kTextTypeEntries = 950;    // + type 128..133

}  // namespace

std::string TextHalf(const T_TextTable& v, int n, int half) {
  const std::string& s = Text(v, n);
  const size_t p = s.find("  ");
  if (p == std::string::npos) return s;
  return half == kLongHalf ? s.substr(p + 2) : s.substr(0, p);
}

std::string TypeName(const T_TextTable& v, int type, int half) {
  return TextHalf(v, type >= 0 && type <= 127 ? kTextTypeNames + type : kTextPrivateType, half);
}

std::string CauseName(const T_TextTable& v, int cause, int half) {
  return TextHalf(v, kTextCauseNames + (cause >= 0 && cause <= 63 ? cause : 0), half);
}

std::string TypeListEntry(const T_TextTable& v, int position, bool full) {
  const int t = TypeAt(v, position);
  if (t >= 128 && t <= 133) return Text(v, kTextTypeEntries + t);
  const bool shortEntry = !full && (t == 121 || t == 123 || t == 124 || t == 125);
  const std::string name = shortEntry ? Text(v, kTextShortFileEntry) : TypeName(v, t, kLongHalf);
  return " " + std::to_string(t) + "=" + name;
}

std::string CauseListEntry(const T_TextTable& v, int cause) {
  return " " + std::to_string(cause) + "=" + CauseName(v, cause, kLongHalf);
}

}  // namespace qlxs
