#include "config/type_name_file.h"

#include <algorithm>
#include <string>
#include <vector>

#include "config/language_texts.h"
#include "model/text_file.h"

namespace qlxs {

namespace {

constexpr size_t kMaxLines = 256;

// A decimal number 0..255 with optional blanks around it; -1 otherwise.
int ParseType(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return -1;
  s = s.substr(b, s.find_last_not_of(' ') - b + 1);
  if (s.empty() || s.size() > 3) return -1;
  int n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n <= 255 ? n : -1;
}

}  // namespace

bool LoadTypeNames(T_AllgVar& v) {
  for (std::string& name : v.TypeNames) name.clear();
  std::vector<std::string> lines;
  if (ReadTextLines(v.ProgDir + Text(v, kTextTypeNameFile), lines) != 0) return false;
  const size_t count = std::min(lines.size(), kMaxLines);
  for (size_t i = 0; i < count; ++i) {
    const std::string& line = lines[i];
    const size_t first = line.find(v.tz);
    if (first == std::string::npos) continue;
    const size_t second = line.find(v.tz, first + 1);
    if (second == std::string::npos) continue;
    const int type = ParseType(std::string_view(line).substr(0, first));
    if (type < 0) continue;
    v.TypeNames[type] = line.substr(first + 1, second - first - 1);
  }
  return true;
}

}  // namespace qlxs
