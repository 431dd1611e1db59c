#include "app/window_state.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "app/monitor.h"
#include "config/automatic_log_name.h"
#include "config/element_texts.h"
#include "config/language_texts.h"
#include "config/settings.h"
#include "config/text_format.h"
#include "platform/locale_formats.h"
#include "platform/message_sink.h"

namespace qlxs {

namespace {

constexpr int kTextOffline = 673;  // + online
constexpr int kTextCaption = 499;
constexpr int kTextMissingFile = 882;
constexpr int kTextViewKind = 1142;    // + online view
constexpr int kTextOffOn = 1139;       // + on
constexpr int kTextDisplayFilter = 1145;
constexpr int kTextLogFilter = 1146;
constexpr int kTextElementPanel = 1192;
constexpr int kTextLogPanel = 1194;
constexpr int kTextPort1Row = 1280;
constexpr int kTextGridColumns = 1282;  // + column: "width,caption"

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

bool HasExtension(std::string_view name, std::string_view ext) {
  return !ext.empty() && name.size() > ext.size() && EqualNoCase(name.substr(name.size() - ext.size()), ext);
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ReadCommandLine(Monitor& m, const std::vector<std::string>& args,
                     const std::function<bool(const std::string&)>& exists) {
  T_AllgVar& v = m.AllgVar;
  v.dtOaTxt.clear();
  v.dtlog = AutomaticLogName(m);
  v.logopt = false;
  bool t2 = false;
  for (const std::string& a : args) {
    const bool log = HasExtension(a, Text(v, kTextLogExtension));
    const bool elements = HasExtension(a, Text(v, kTextElementExtension));
    if ((log || elements) && exists(a)) {
      if (log) {
        v.logopt = true;
        v.dtlog = a;
      } else {
        v.dtOaTxt = a;
      }
      continue;
    }
    if (log || elements)
      m.messages.Show(kTextMissingFile, MsgWarning, FormatText(Text(v, kTextMissingFile), {a}));
    if (EqualNoCase(a, Text(v, kTextOffline)))
      m.PrgPar.online = 0;
    else if (EqualNoCase(a, Text(v, kTextOffline + 1)))
      m.PrgPar.online = 1;
    else if (a.size() == 3 && (a[0] == '-' || a[0] == '/') && EqualNoCase(a.substr(1), "t2"))
      t2 = true;
  }
  return t2;
}

std::string InitialElementFile(const Monitor& m, const std::function<bool(const std::string&)>& exists) {
  const T_AllgVar& v = m.AllgVar;
  if (!v.dtOaTxt.empty()) return v.dtOaTxt;
  std::string name(m.PrgPar.txtdat.view());
  if (name.empty()) name = v.DataDir + Text(v, kTextDefaultElements);
  if (!exists(name)) name = v.ProgDir + Text(v, kTextDefaultElements);
  return name;
}

std::array<StatusPanel, 6> StatusPanels(const Monitor& m) {
  const T_AllgVar& v = m.AllgVar;
  const T_PrgPar& p = m.PrgPar;
  std::array<StatusPanel, 6> s;
  s[0] = {Text(v, kTextOffline + (p.online ? 1 : 0)), p.online ? PanelColour::Green : PanelColour::LightOrange};
  s[1] = {Text(v, kTextViewKind + (p.ausgonl ? 1 : 0)), p.ausgonl ? PanelColour::PaleGreen : PanelColour::Normal};
  const bool lf = m.AllgPar.lfilt.ein, af = m.AllgPar.afilt.ein;
  s[2] = {Text(v, kTextLogFilter) + Text(v, kTextOffOn + lf), lf ? PanelColour::LightOrange : PanelColour::Normal};
  s[3] = {Text(v, kTextDisplayFilter) + Text(v, kTextOffOn + af), af ? PanelColour::LightOrange : PanelColour::Normal};
  s[4] = {Text(v, kTextLogPanel) + FileNamePart(v.dtlog), PanelColour::Normal};
  s[5] = {Text(v, kTextElementPanel) + FileNamePart(v.dtOaTxt), PanelColour::Normal};
  return s;
}

std::string WindowCaption(const Monitor& m) {
  return InstanceSuffix(m.AllgVar.pnr) + Text(m.AllgVar, kTextCaption);
}

StatusGridLayout BuildStatusGrid(const Monitor& m) {
  StatusGridLayout g;
  g.cells[1][0] = Text(m.AllgVar, kTextPort1Row);
  g.cells[2][0] = Text(m.AllgVar, kTextPort1Row + 1);
  for (int c = 0; c < 8; ++c) {
    const std::string& t = Text(m.AllgVar, kTextGridColumns + c);
    const size_t comma = t.find(',');
    g.widths[c] = std::atoi(t.substr(0, comma).c_str());
    g.cells[0][c] = comma == std::string::npos ? std::string() : t.substr(comma + 1);
  }
  return g;
}

CounterCell CounterCellOf(int k, uint32_t value) {
  CounterCell cell;
  cell.row = k < 4 ? 1 : 2;
  cell.column = k % 4 + 1;
  AppendGrouped(cell.text, value, k % 2 == 0 ? 12 : 9);
  return cell;
}

}  // namespace qlxs
