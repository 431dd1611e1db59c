#include "config/type_name_file.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "config/language_texts.h"
#include "config/text_fields.h"
#include "model/text_file.h"

namespace qlxs {

namespace {

constexpr size_t kMaxLines = 256;

}  // namespace

bool LoadTypeNames(T_AllgVar& v) {
  for (std::string& name : v.TypeNames) name.clear();
  std::vector<std::string> lines;
  if (ReadTextLines(v.ProgDir + Text(v, kTextTypeNameFile), lines) != 0) return false;
  const size_t count = std::min(lines.size(), kMaxLines);
  for (size_t i = 0; i < count; ++i) {
    std::string_view line = lines[i];
    if (CountSeparators(line, v.tz) < 2) continue;
    const std::optional<int32_t> type = ParseIntRange(SplitField(line, v.tz), 0, 255);
    if (!type) continue;
    v.TypeNames[*type] = SplitField(line, v.tz);
  }
  return true;
}

}  // namespace qlxs
