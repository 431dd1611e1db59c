#include "app/desktop.h"

#include "app/commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "app/general_parameters.h"
#include "app/log_files.h"
#include "app/monitor.h"
#include "app/online.h"
#include "app/timer_tick.h"
#include "capture/unwrap.h"
#include "config/automatic_log_name.h"
#include "config/element_texts.h"
#include "config/message_box.h"
#include "config/language_texts.h"
#include "config/text_format.h"
#include "config/type_name_file.h"
#include "log/log_reader.h"
#include "log/telegram_log.h"
#include "log/time_base.h"
#include "model/date_time.h"
#include "model/text_table.h"
#include "model/typed_file.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/locale_formats.h"
#include "view/go_to.h"
#include "view/log_view.h"
#include "view/online_view.h"
#include "view/view_draw.h"

namespace qlxs {

namespace {

// The file name part of a path.
std::string FileNamePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The extension of a path's file name, with its dot; empty when it has none.
std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return !a.empty() && a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The switch "t2", written with "-" or "/" before it, case ignored.
bool IsTimingSwitch(const std::string& a) {
  return a.size() == 3 && (a[0] == '-' || a[0] == '/') && (a[1] == 't' || a[1] == 'T') && a[2] == '2';
}

constexpr int kFontSizeMin = 8;
constexpr int kFontSizeMax = 16;
constexpr int kFontSizeDefault = 10;

}  // namespace

Rgb PanelShadeColour(PanelShade s) {
  switch (s) {
    case PanelShade::Green: return {0, 255, 0};
    case PanelShade::LightOrange: return {240, 202, 166};
    case PanelShade::PaleGreen: return {192, 220, 192};
    case PanelShade::Normal: break;
  }
  return {240, 240, 240};
}

GridColumn ParseGridColumn(const std::string& text) {
  GridColumn c;
  const size_t comma = text.find(',');
  const std::string width = text.substr(0, comma);
  char* end = nullptr;
  const long w = std::strtol(width.c_str(), &end, 10);
  if (end != width.c_str() && w > 0 && w < 10000) c.width = static_cast<int>(w);
  if (comma != std::string::npos) c.caption = text.substr(comma + 1);
  return c;
}

void StorePlacement(T_PrgPar& p, WindowShow show, const Placement& normal) {
  p.wstat = 1;
  switch (show) {
    case WindowShow::Normal:
      p.wtop = normal.top;
      p.wleft = normal.left;
      p.wheight = normal.height;
      p.wwidth = normal.width;
      break;
    case WindowShow::Maximised: p.wstat = 3; break;
    case WindowShow::Minimised: break;
  }
}

Desktop::Desktop(Monitor& monitor, Canvas& c, DesktopWindow& w) : m(monitor), canvas(c), window(w) {}

void Desktop::Create(const std::vector<std::string>& args) {
  SyncClockAtEdge(m);
  m.AllgVar.syszt = m.clock.LocalNow();
  t2 = std::any_of(args.begin(), args.end(), IsTimingSwitch);
  int32_t& size = m.PrgPar.tf.schrift;
  if (size < kFontSizeMin || size > kFontSizeMax) size = kFontSizeDefault;
  view.cli = m.PrgPar.tf.ueb;
  ForgetColours(view);
  scrollPos_ = kScrollRangeEnd;
  EvaluateCommandLine(args);
  BuildStatusGrid();
  ProbePorts(m);
  for (const T_ComVar& port : m.ports) {
    const int32_t cnr = port.bp.cnr;
    if (cnr <= 0) continue;
    const auto end = m.AllgVar.ComNr.begin() + m.AllgVar.AnzCom;
    if (std::find(m.AllgVar.ComNr.begin(), end, static_cast<uint8_t>(cnr)) == end) m.PrgPar.online = 0;
  }
  openUhr = m.AllgVar.Tick + kDeferredStartTicks;
  ReaderOpen(m);
  RecomputeMetrics(m, view, canvas);
}

void Desktop::EvaluateCommandLine(const std::vector<std::string>& args) {
  T_AllgVar& v = m.AllgVar;
  v.dtOaTxt.clear();
  v.dtlog = AutomaticLogName(m);
  v.logopt = false;
  const std::string& logExt = Text(v, kTextLogExtension);
  const std::string& elementExt = Text(v, kTextElementExtension);
  for (const std::string& a : args) {
    const std::string ext = ExtensionOf(a);
    const bool isLog = SameIgnoringCase(ext, logExt);
    const bool isElements = SameIgnoringCase(ext, elementExt);
    if ((isLog || isElements) && !IsFile(a))
      MessageOkNrText(m, kTextNoFile, FormatText(Text(v, kTextNoFile), {a}), MsgWarning);
    if (isLog && IsFile(a)) {
      v.logopt = true;
      v.dtlog = a;
    } else if (isElements && IsFile(a)) {
      v.dtOaTxt = a;
    } else if (SameIgnoringCase(a, Text(v, kTextOffline))) {
      m.PrgPar.online = 0;
    } else if (SameIgnoringCase(a, Text(v, kTextOffline + 1))) {
      m.PrgPar.online = 1;
    }
  }
  LogOpen(m, v.dtlog, false);
  ApplyGeneralParameters(m);
  if (v.dtOaTxt.empty()) {
    v.dtOaTxt = std::string(m.PrgPar.txtdat.view());
    if (v.dtOaTxt.empty()) v.dtOaTxt = v.DataDir + Text(v, kTextDefaultElements);
    if (!IsFile(v.dtOaTxt)) v.dtOaTxt = v.ProgDir + Text(v, kTextDefaultElements);
  }
}

void Desktop::BuildStatusGrid() {
  for (auto& row : grid) row.fill(std::string());
  grid[1][0] = Text(m.AllgVar, kTextGridPort1);
  grid[2][0] = Text(m.AllgVar, kTextGridPort1 + 1);
  for (int c = 0; c < 8; ++c) {
    const GridColumn col = ParseGridColumn(Text(m.AllgVar, kTextGridColumns + c));
    columnWidths[c] = col.width;
    grid[0][c] = col.caption;
  }
}

void Desktop::RefreshCounters(bool all) {
  bool changed = false;
  for (int k = 0; k < 8; ++k) {
    if (!all && m.counters[k] == shownCounters[k]) continue;
    shownCounters[k] = m.counters[k];
    grid[k < 4 ? 1 : 2][(k % 4) + 1] = FormatGrouped(m.counters[k], k % 2 == 0 ? 12 : 9);
    changed = true;
  }
  if (changed) window.RefreshGrid();
}

void Desktop::FillGrid() {
  RefreshCounters(true);
  for (const T_ComVar& port : m.ports) FillPortCells(m, port, grid);
  window.RefreshGrid();
}

void Desktop::WindowWork() {
  if (updt) return;
  updt = true;
  const uint32_t before = t2 ? m.clock.Tick() : 0;
  const int readBefore = m.log.ring.read;
  if (OnlineView()) RefreshCounters(false);
  OnlineTick(m, view, canvas);
  if (t2) {
    talt = m.clock.Tick() - before;
    tmax = std::max(tmax, talt);
    // After each output of the online view, the timing line below it.
    if (m.log.ring.read != readBefore) {
      char line[48];
      std::snprintf(line, sizeof line, "d max %u %u ", talt, tmax);
      DrawOnlineLine(m, view, canvas, line);
    }
  }
  updt = false;
  if (m.AllgVar.Tick == openUhr) DeferredStart();
}

void Desktop::DeferredStart() {
  --openUhr;
  started = true;
  ApplyOnline();
  T_AllgVar& v = m.AllgVar;
  if (v.dtOaTxt.empty() || !LoadElementTexts(m, v.dtOaTxt).ok()) v.dtOaTxt.clear();
  window.RefreshControls();
  window.PostViewCommand(kViewEnd);
}

void Desktop::Tick() {
  const bool wasOnline = m.PrgPar.online != 0;
  const TickResult r = TimerTick(m, [this] { WindowWork(); });
  if (r.newDailyLog) {
    window.RefreshControls();
    ShowOnlineView();
  }
  if (r.wentOffline || (wasOnline && !m.PrgPar.online)) FollowOffline();
}

void Desktop::FollowOffline() {
  talt = tmax = 0;
  if (OnlineView()) ShowLogView();
  window.RefreshControls();
}

void Desktop::ApplyOnline() {
  if (qlxs::ApplyOnline(m)) {
    window.RefreshControls();
    ShowOnlineView();
  }
  if (OnlineView()) FillGrid();
  window.ShowViewMode(OnlineView());
  window.RefreshControls();
}

void Desktop::SetOnline(int value) {
  if (value == 1) SyncClockAtEdge(m);
  m.PrgPar.online = static_cast<uint8_t>(value != 0);
  ApplyOnline();
  if (value == 1) {
    updt = false;
    ClearPendingApdus(m);
  } else {
    LogFlush(m);
    talt = tmax = 0;
  }
  // Opening the ports may have failed and left capture offline.
  const bool online = m.PrgPar.online != 0;
  if (online && !OnlineView()) ShowOnlineView();
  if (!online && OnlineView()) ShowLogView();
  window.RefreshControls();
}

void Desktop::ServicePort(int i) {
  T_ComVar& port = m.ports[i];
  if (!port.se.open) return;
  const bool wasOnline = m.PrgPar.online != 0;
  qlxs::ServicePort(m, port);
  if (wasOnline && !m.PrgPar.online) FollowOffline();
}

void Desktop::PortSettingsCommand(const PortDialog& dialog, const std::function<void()>& processPendingEvents) {
  const bool wasOnline = m.PrgPar.online != 0;
  const bool newLog = ApplyPortSettings(m, dialog, processPendingEvents);
  if (newLog) {
    window.RefreshControls();
    ShowOnlineView();
  }
  if (wasOnline && !m.PrgPar.online) {
    FollowOffline();
    return;
  }
  if (OnlineView()) FillGrid();
  window.RefreshControls();
}

void Desktop::GoOnlineClick() {
  if (!m.PrgPar.online) {
    m.AllgVar.syszt = m.clock.LocalNow();
    m.AllgVar.min = DecodeDateTime(m.AllgVar.syszt).minute;
    m.counters.fill(0);
  }
  SetOnline(m.PrgPar.online ? 0 : 1);
}

void Desktop::GoOfflineClick() {
  if (m.PrgPar.online) SetOnline(0);
}

void Desktop::ShowOnlineView() {
  ReaderClose(m);
  m.PrgPar.ausgonl = 1;
  view.hasPageTop = false;
  FillGrid();
  window.ShowViewMode(true);
  RecomputeMetrics(m, view, canvas);
  window.RefreshControls();
  window.PostViewCommand(kViewRedraw);
}

void Desktop::ShowLogView() {
  EnterLogView();
  window.PostViewCommand(kViewEnd);
}

void Desktop::EnterLogView() {
  m.PrgPar.ausgonl = 0;
  window.ShowViewMode(false);
  ReaderOpen(m);
  view.hasPageTop = false;
  RecomputeMetrics(m, view, canvas);
  window.RefreshControls();
}

void Desktop::ToggleViewClick() {
  if (OnlineView())
    ShowLogView();
  else
    ShowOnlineView();
}

void Desktop::OnlineViewClick() {
  if (!OnlineView()) ShowOnlineView();
}

void Desktop::ViewActionClick(int tag) {
  T_PrgPar& p = m.PrgPar;
  if (tag >= kTagFirstFormat && tag <= kTagLastFormat)
    ChooseFormat(p, tag);
  else if (!ToggleViewOption(p, tag))
    return;
  window.RefreshControls();
  window.PostViewCommand(tag);
}

bool Desktop::ViewActionChecked(int tag) const { return qlxs::ViewActionChecked(m.PrgPar, tag); }

void Desktop::RunViewCommand(int code) {
  if (outputRunning_) {
    waitingViewCommand_ = code;
    return;
  }
  const std::optional<int> pos = qlxs::RunViewCommand(m, view, canvas, code);
  if (pos) {
    scrollPos_ = *pos;
    window.SetScrollPosition(scrollPos_);
  }
}

void Desktop::Scroll(ScrollCode code, bool shift, bool ctrl, int position) {
  if (OnlineView()) return;
  scrollPos_ = LogScroll(m, view, canvas, code, shift, ctrl, position);
  window.SetScrollPosition(scrollPos_);
}

void Desktop::Wheel(bool down) {
  if (WheelScroll(m, view, canvas, down, scrollPos_)) window.SetScrollPosition(scrollPos_);
}

void Desktop::Key(ViewKey key) {
  switch (TelKeyDown(m.PrgPar, key)) {
    case ViewSwitch::ShowLogView: if (OnlineView()) ShowLogView(); break;
    case ViewSwitch::ShowOnlineView: if (!OnlineView()) ShowOnlineView(); break;
    case ViewSwitch::None: break;
  }
}

void Desktop::Resized() {
  RecomputeMetrics(m, view, canvas);
  window.PostViewCommand(kViewRedraw);
}

bool Desktop::Close() {
  if (openUhr == 0) return false;
  ClosePorts(m);
  recent.Save(m.PrgPar);
  LogClose(m);
  openUhr = 0;
  return true;
}

namespace {

// Commands that change the current log work offline: while online they ask
// first. True when the command may go on (offline now).
bool GoOfflineForCommand(Desktop& d) {
  if (!d.m.PrgPar.online) return true;
  if (AskYesNo(d.m, kTextOfflineOnly) != AnswerYes) return false;
  d.SetOnline(0);
  return true;
}

}  // namespace

void Desktop::OpenLogCommand(const std::string& name) {
  if (SameIgnoringCase(ExtensionOf(name), Text(m.AllgVar, kTextReplayExtension))) {
    ReplayLog(m, name);
    window.PostViewCommand(kViewEnd);
    return;
  }
  recent.Add(name);
  if (OpenLog(name)) m.AllgVar.logopt = false;
  window.RefreshControls();
}

bool Desktop::OpenLog(const std::string& name) {
  if (!GoOfflineForCommand(*this)) return false;
  OpenLogFile(m, name);
  window.RefreshControls();
  ShowLogView();
  return true;
}

void Desktop::SaveLogAsCommand(const std::string& name) {
  if (!GoOfflineForCommand(*this)) return;
  window.RefreshControls();
  // The extension of text 48 writes the log back without a copy.
  const bool copy = !SameIgnoringCase(ExtensionOf(name), Text(m.AllgVar, kTextNoCopyExtension));
  if (SaveLogAs(m, name, copy).outcome == LogCopyOutcome::Copied) recent.Add(name);
  window.RefreshControls();
  window.PostViewCommand(kViewEnd);
}

void Desktop::DeleteLogCommand() {
  const std::string question = FormatText(Text(m.AllgVar, kTextDeleteLog), {FileNamePart(m.AllgVar.dtlog)});
  if (MessageAt(m, question, MsgWarning, ButtonsYesNo) != AnswerYes) return;
  LogReset(m);
  m.counters.fill(0);
  shownCounters.fill(0);
  if (OnlineView()) FillGrid();
  window.PostViewCommand(kViewRedraw);
}

void Desktop::LoadElementTextsCommand(const std::string& name) {
  recent.Add(name);
  // A file that cannot be read changes nothing: the texts in use stay, and so does their name.
  if (const ElementLoadResult r = LoadElementTexts(m, name); !r.ok()) {
    MessageOkNrText(m, kTextElementsUnreadable,
                    FormatText(Text(m.AllgVar, kTextElementsUnreadable), {name, IoResultText(r.ioError)}), MsgError);
    return;
  }
  window.RefreshControls();
  window.PostViewCommand(kViewRedraw);
}

void Desktop::ClearElementTextsCommand() {
  ClearElementTexts(m.AllgVar);
  m.AllgVar.dtOaTxt.clear();
  window.RefreshControls();
  window.PostViewCommand(kViewRedraw);
}

void Desktop::RecentFileClick(const std::string& name) {
  if (!IsFile(name)) {
    MessageOkNrText(m, kTextNoFile, FormatText(Text(m.AllgVar, kTextNoFile), {name}), MsgWarning);
    recent.Remove(name);
    window.RefreshControls();
    return;
  }
  switch (KindOfRecentFile(m, name)) {
    case RecentKind::Log: OpenLog(name); break;
    case RecentKind::ElementTexts: LoadElementTextsCommand(name); break;
    case RecentKind::Other: break;
  }
}

void Desktop::ToggleDisplayFilterClick() {
  if (!ToggleDisplayFilter(m.AllgPar)) MessageOkNr(m, kTextNoDisplayFilter, MsgError);
  window.RefreshControls();
  window.PostViewCommand(kViewRedraw);
}

bool Desktop::SwitchLanguage(int spr) {
  // A language file that cannot be read leaves the program in the language
  // it had: its texts are kept whole, not partly replaced by what was read.
  const int32_t sprBefore = m.PrgPar.spr;
  std::vector<std::string> textsBefore = m.AllgVar.TxtList;
  m.PrgPar.spr = spr;
  if (!LoadTexts(m, spr)) {
    m.AllgVar.TxtList = std::move(textsBefore);
    m.PrgPar.spr = sprBefore;
    return false;
  }
  recent.Save(m.PrgPar);
  recent.Clear();
  ApplyLanguage();
  window.LanguageChanged();
  if (OnlineView())
    ShowOnlineView();
  else
    ShowLogView();
  return true;
}

void Desktop::ApplyLanguage() {
  BuildStatusGrid();
  recent.Load(m.PrgPar, [](const std::string& name) { return IsFile(name); });
  LoadTypeNames(m.AllgVar);
  if (started && OnlineView()) FillGrid();
}

bool Desktop::GoTo(const std::string& text) {
  // The page goes to the telegram, not to the end as when the user
  // switches to the log view.
  if (OnlineView()) EnterLogView();
  const std::optional<GoToTarget> target = ParseGoToTarget(text, m.log.stand.letztdt);
  if (!target || !GoToTelegram(m, view, *target)) {
    // The page is drawn behind the message, as it was or at the end.
    window.PostViewCommand(view.hasPageTop ? kViewRedraw : kViewEnd);
    MessageOkNrText(m, kTextNoSuchTelegram, FormatText(Text(m.AllgVar, kTextNoSuchTelegram), {text}), MsgInformation);
    return false;
  }
  window.PostViewCommand(kViewRedraw);
  return true;
}

void Desktop::RunOutput(const std::function<void()>& run) {
  outputRunning_ = true;
  waitingViewCommand_ = -1;
  run();
  outputRunning_ = false;
  if (!OnlineView() && view.hasPageTop && m.log.reader.open) ReaderReturn(m, view.pageTopBlock, view.pageTopPos);
  window.PostViewCommand(waitingViewCommand_ >= 0 ? waitingViewCommand_ : kViewRedraw);
}

bool Desktop::OnlineView() const { return m.PrgPar.ausgonl == 1; }

std::string Desktop::PanelText(int i) const {
  const T_AllgVar& v = m.AllgVar;
  switch (i) {
    case 0: return Text(v, kTextOffline + (m.PrgPar.online ? 1 : 0));
    case 1: return Text(v, kTextViewMode + (OnlineView() ? 1 : 0));
    case 2: return Text(v, kTextLogFilter) + Text(v, kTextFilterOff + (m.AllgPar.lfilt.ein ? 1 : 0));
    case 3: return Text(v, kTextDisplayFilter) + Text(v, kTextFilterOff + (m.AllgPar.afilt.ein ? 1 : 0));
    case 4: return Text(v, kTextLogPanel) + FileNamePart(v.dtlog);
    case 5: return Text(v, kTextElementPanel) + FileNamePart(v.dtOaTxt);
    default: return {};
  }
}

PanelShade Desktop::PanelShadeOf(int i) const {
  switch (i) {
    case 0: return m.PrgPar.online ? PanelShade::Green : PanelShade::LightOrange;
    case 1: return OnlineView() ? PanelShade::PaleGreen : PanelShade::Normal;
    case 2: return m.AllgPar.lfilt.ein ? PanelShade::LightOrange : PanelShade::Normal;
    case 3: return m.AllgPar.afilt.ein ? PanelShade::LightOrange : PanelShade::Normal;
    default: return PanelShade::Normal;
  }
}

std::string Desktop::Caption() const {
  // The caption text starts with a blank that separates it from the
  // instance number; the first instance shows none.
  const std::string suffix = InstanceSuffix(m.AllgVar.pnr);
  const std::string& text = Text(m.AllgVar, kTextCaption);
  return suffix.empty() ? text.substr(std::min(text.size(), text.find_first_not_of(' '))) : suffix + text;
}

std::string Desktop::OnlineButtonHint() const {
  return Text(m.AllgVar, kTextOnlineHint + (m.PrgPar.online ? 1 : 0));
}

std::string Desktop::ViewButtonHint() const { return Text(m.AllgVar, kTextViewHint + (OnlineView() ? 1 : 0)); }

}  // namespace qlxs
