#include "iec104/cause_lists.h"


namespace qlxs {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decoded cause list of `group`, or nothing for a group that has none.
std::string_view CauseList(const T_TextTable& v, int group) {
  if (group < 0 || group > v.maxpicktyp) return {};
  return Text(v, kTextFirstNumberList + group);
}

}  // namespace

std::string DecodeNumberList(std::string_view text) {
  std::string out;
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    if (IsDigit(text[i]) && IsDigit(text[i + 1]))
      out += static_cast<char>((text[i] - '0') * 10 + (text[i + 1] - '0'));
  return out;
}

void ConvertCauseLists(std::vector<std::string>& texts) {
  for (size_t n = kTextFirstNumberList; n < texts.size(); ++n) {
    texts[n] = DecodeNumberList(texts[n]);
    if (texts[n].empty()) break;
  }
}

int TypeAt(const T_TextTable& v, int position) {
  if (position < 1 || position > static_cast<int>(v.TypStr.size())) return 0;
  return static_cast<unsigned char>(v.TypStr[position - 1]);
}

int TypeGroup(const T_TextTable& v, int type) {
  for (size_t i = 0; i < v.TypStr.size(); ++i)
    if (static_cast<unsigned char>(v.TypStr[i]) == type) return static_cast<int>(i) + 1;
  return 0;
}

bool CausePermitted(const T_TextTable& v, int group, int cause) { return cause >= 1 && CauseIndex(v, group, cause) > 0; }

int CauseAt(const T_TextTable& v, int group, int index) {
  const std::string_view list = CauseList(v, group);
  if (index < 1 || index > static_cast<int>(list.size())) return 0;
  return static_cast<unsigned char>(list[index - 1]);
}

int CauseIndex(const T_TextTable& v, int group, int cause) {
  const std::string_view list = CauseList(v, group);
  for (size_t i = 0; i < list.size(); ++i)
    if (static_cast<unsigned char>(list[i]) == cause) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace qlxs
