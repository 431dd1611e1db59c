#include "config/language_texts.h"

#include <cstdio>

#include "config/config_state.h"
#include "iec104/cause_lists.h"
#include "iec104/type_table.h"
#include "model/text_file.h"
#include "platform/message_sink.h"

namespace qlxs {

namespace {

// Reads columns 1-4 of a line: a decimal number after optional blanks, with
// an optional sign. Anything else counts as 3001, which is "text number
// wrong".
int ParseTextNumber(std::string_view col) {
  size_t i = 0;
  while (i < col.size() && col[i] == ' ') ++i;
  bool negative = false;
  if (i < col.size() && (col[i] == '+' || col[i] == '-')) negative = col[i++] == '-';
  if (i == col.size()) return kMaxTexts + 1;
  int n = 0;
  for (; i < col.size(); ++i) {
    if (col[i] < '0' || col[i] > '9') return kMaxTexts + 1;
    n = n * 10 + (col[i] - '0');
  }
  return negative ? -n : n;
}

// True for a printable ASCII character; blanks only when `blankOk`.
bool Printable(char c, bool blankOk) {
  return (c > ' ' && c < 0x7F) || (blankOk && c == ' ');
}

}  // namespace

std::string LanguageExtension(int index) {
  switch (index) {
    case LangGerman: return "ger";
    case LangEnglish: return "usa";
    default: return "";
  }
}

std::string LanguageFileName(const std::string& progDir, int index) {
  return progDir + "QLXSText." + LanguageExtension(index);
}

TextFileResult ReadTextFile(const std::string& path, std::vector<std::string>& table) {
  table.clear();
  std::vector<std::string> lines;
  if (ReadTextLines(path, lines) != 0) return {1, 1, ""};
  int cnt = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const int lineNo = static_cast<int>(i) + 1;
    if (Utf8Length(line) <= 6 || line[0] == ';') continue;
    const std::string_view col = std::string_view(line).substr(0, Utf8Offset(line, 4));
    if (col != "    ") {
      const int n = ParseTextNumber(col);
      if (n > kMaxTexts) return {2, lineNo, line};
      if (n == 18 && cnt < 18) {
        table.resize(18);
        cnt = 18;
      } else if (n != cnt && n != 18) {
        return {3, lineNo, line};
      }
    }
    std::string text = line.substr(Utf8Offset(line, 6));
    if (const size_t semi = text.rfind(';'); semi != std::string::npos) text.resize(semi);
    if (cnt >= kMaxTexts) return {4, lineNo, line};
    table.push_back(std::move(text));
    ++cnt;
  }
  if (cnt < kMinTexts) return {1, static_cast<int>(lines.size()) + 1, ""};
  return {};
}

std::string TextFileErrorMessage(const TextFileResult& result, const std::string& fileName) {
  static const char* const kMessages[] = {"", "Program text file missing/wrong", "Text number wrong, line:",
                                          "Line number jumps, line:", "Too many lines, line:"};
  const int code = result.error >= 1 && result.error <= 4 ? result.error : 1;
  char number[32];
  std::snprintf(number, sizeof number, "%*d", 5, result.line);
  return std::string(kMessages[code]) + number + "\r\n" + (code == 1 ? fileName : result.text);
}

bool LoadTexts(ConfigState& m, int index) {
  const std::string path = LanguageFileName(m.AllgVar.ProgDir, index);
  const TextFileResult r = ReadTextFile(path, m.AllgVar.TxtList);
  if (r.error != 0) {
    MessageRequest box;
    box.type = MsgError;
    box.buttons = ButtonsOk;
    box.place = PlaceScreenCentre;
    box.text = TextFileErrorMessage(r, path);
    m.messages.Ask(box);
    return false;
  }
  ApplyLoadedTexts(m.AllgVar);
  return true;
}

void ApplyLoadedTexts(T_AllgVar& v) {
  ConvertCauseLists(v.TxtList);
  const std::string& hex = Text(v, kTextHexPrefix);
  v.khex = !hex.empty() && Printable(hex[0], false) ? hex[0] : kDefaultHexPrefix;
  const std::string& bits = Text(v, kTextBitChars);
  v.bitz = bits.size() >= 2 && Printable(bits[0], true) && Printable(bits[1], true) ? bits.substr(0, 2)
                                                                                   : std::string(kDefaultBitChars);
  v.TypStr = BuildTypeList();
  v.maxpicktyp = static_cast<int>(v.TypStr.size());
  const std::string& sep = Text(v, kTextSeparator);
  v.tz = !sep.empty() && Printable(sep[0], false) ? sep[0] : kDefaultSeparator;
  v.HelpFile = v.ProgDir + Text(v, kTextHelpFile);
}

}  // namespace qlxs
