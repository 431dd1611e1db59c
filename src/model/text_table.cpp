#include "model/text_table.h"

#include "model/text_file.h"

namespace qlxs {

const std::string& Text(const T_TextTable& v, int n) {
  static const std::string kEmpty;
  return n >= 0 && static_cast<size_t>(n) < v.TxtList.size() ? v.TxtList[n] : kEmpty;
}

void SetText(T_TextTable& v, int n, std::string s) {
  if (n >= 0 && static_cast<size_t>(n) < v.TxtList.size()) v.TxtList[n] = std::move(s);
}

int TextLength(const T_TextTable& v, int n) { return static_cast<int>(Utf8Length(Text(v, n))); }

}  // namespace qlxs
