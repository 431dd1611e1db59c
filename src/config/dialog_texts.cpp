#include "config/dialog_texts.h"

#include <algorithm>

#include "config/language_texts.h"

namespace qlxs {

namespace {

constexpr int kTextSaveLogTitle = 1196;
constexpr int kTextLogExtension = 1197;
constexpr int kTextSaveLogFilter = 1210;

// A plain decimal count, blanks around it allowed; 0 for anything else.
int ParseCount(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return 0;
  s = s.substr(b, s.find_last_not_of(' ') - b + 1);
  int n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return 0;
    if (n <= kMaxTexts) n = n * 10 + (c - '0');
  }
  return std::min(n, kMaxTexts);
}

}  // namespace

ControlCaption LabelText(const T_AllgVar& v, int n) { return {Text(v, n), 0}; }

ControlCaption ButtonText(const T_AllgVar& v, int n) { return {Text(v, n), kTextGeneralHint}; }

ControlCaption CheckBoxText(const T_AllgVar& v, int n) { return {Text(v, n), kTextGeneralHint}; }

EntryFieldCaption EntryFieldText(const T_AllgVar& v, int n) { return {Text(v, n), 5, n + 1}; }

ComboCaption ComboBoxText(const T_AllgVar& v, int n) {
  ComboCaption c;
  c.label = Text(v, n);
  const int count = ParseCount(Text(v, n + 1));
  for (int i = 0; i < count; ++i) c.items.push_back(Text(v, n + 2 + i));
  c.selected = c.items.empty() ? -1 : 0;
  return c;
}

CheckListCaption CheckListBoxText(const T_AllgVar& v, int n) { return {SplitCommaList(Text(v, n))}; }

std::string StatusBarText(const T_AllgVar& v, int n) { return Text(v, n); }

std::vector<std::string> SplitCommaList(std::string_view text) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    items.emplace_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return items;
}

FileDialogCaption OpenDialogText(const T_AllgVar& v, int n) {
  return {Text(v, n), Text(v, n + 2), Text(v, n + 3)};
}

FileDialogCaption SaveLogDialogText(const T_AllgVar& v) {
  return {Text(v, kTextSaveLogTitle), Text(v, kTextLogExtension), Text(v, kTextSaveLogFilter)};
}

}  // namespace qlxs
