#pragma once
/// The decisions of the desktop program's main window, without the window:
/// the command line, the deferred start, the timer tick with the counters
/// and the online view, going online and offline with the view that follows,
/// the view mode, the view options and formats, the status panels, the
/// status grid, the caption, the window placement and closing. The window
/// implements `DesktopWindow`, carries out what it is told and shows what it
/// reads here; a test implements it with a recorder.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/port_config.h"
#include "config/colours.h"
#include "config/settings.h"
#include "view/canvas.h"
#include "view/view_input.h"
#include "view/view_state.h"

namespace qlxs {

struct Monitor;

/// Texts of the main window.
inline constexpr int kTextCaption = 499;           ///< window caption after the instance suffix
inline constexpr int kTextOffline = 673;           ///< "Offline"; + online: "Online"
inline constexpr int kTextNoFile = 882;            ///< format: the file %s does not exist
inline constexpr int kTextViewMode = 1142;         ///< "Log view"; + ausgonl: "Online view"
inline constexpr int kTextDisplayFilter = 1145;    ///< panel 3 before the filter state
inline constexpr int kTextLogFilter = 1146;        ///< panel 2 before the filter state
inline constexpr int kTextFilterOff = 1139;        ///< "off"; + 1: "on"
inline constexpr int kTextOnlineHint = 1148;       ///< hint of the online button; + online
inline constexpr int kTextViewHint = 1151;         ///< hint of the view button; + ausgonl
inline constexpr int kTextElementPanel = 1192;     ///< panel 5 before the element file name
inline constexpr int kTextLogPanel = 1194;         ///< panel 4 before the log file name
inline constexpr int kTextGridPort1 = 1280;        ///< row caption of the first port
inline constexpr int kTextGridColumns = 1282;      ///< "width,caption" of column 0; + c
inline constexpr int kTextOfflineOnly = 1204;      ///< question: the command works offline only
inline constexpr int kTextDeleteLog = 1205;        ///< question: format: delete the log %s
inline constexpr int kTextNoDisplayFilter = 1215;  ///< error: the display filter restricts nothing
inline constexpr int kTextReplayExtension = 1628;  ///< extension of a log to re-analyse
inline constexpr int kTextNoCopyExtension = 48;    ///< extension that saves no copy (".nul")
inline constexpr int kTextNoSuchTelegram = 1705;   ///< format: the log holds no telegram %s
inline constexpr int kTextElementsUnreadable = 1715;  ///< format: element text file %s cannot be read: %s


/// Number of status panels and their widths in pixels.
inline constexpr int kPanelCount = 6;
inline constexpr std::array<int, kPanelCount> kPanelWidths{60, 136, 112, 140, 140, 140};

/// The deferred start runs this many ticks after the window was created.
inline constexpr uint32_t kDeferredStartTicks = 6;

/// What the core asks of the window. Every call is made on the GUI thread.
class DesktopWindow {
 public:
  virtual ~DesktopWindow() = default;
  /// Queue view command `code` for `Desktop::RunViewCommand`; returns at once.
  virtual void PostViewCommand(int code) = 0;
  /// The view mode is (re)applied: the online view shows the status grid and
  /// hides the scroll bar, the log view the other way round and focuses the
  /// scroll bar.
  virtual void ShowViewMode(bool onlineView) = 0;
  /// Check marks, buttons, panels or the caption changed: read them again.
  virtual void RefreshControls() = 0;
  /// Cells of the status grid changed: read them again.
  virtual void RefreshGrid() = 0;
  /// The scroll bar of the log view moves to `position` (0 .. 1000).
  virtual void SetScrollPosition(int position) = 0;
  /// The language texts changed: every caption of the window is set again
  /// (`Desktop::ApplyLanguage` has run).
  virtual void LanguageChanged() = 0;
};

/// Background of a status panel; `Normal` is the bar's own background.
enum class PanelShade { Normal, Green, LightOrange, PaleGreen };
/// The colour of a shade other than `Normal`.
Rgb PanelShadeColour(PanelShade s);

/// Width and caption of a status grid column from its text ("width,caption",
/// or a width alone); a width that does not read is 0.
struct GridColumn {
  int width = 0;
  std::string caption;
};
GridColumn ParseGridColumn(const std::string& text);

/// Window placement as the settings keep it.
enum class WindowShow { Normal, Maximised, Minimised };
struct Placement {
  int top = 0, left = 0, height = 0, width = 0;
};
/// The placement to store at close: `wstat` 1 with the rectangle in the
/// normal state, 3 with the size kept in the maximised state, and nothing
/// changed in the minimised state.
void StorePlacement(T_PrgPar& p, WindowShow show, const Placement& normal);

/// The main window's state and decisions.
class Desktop {
 public:
  Desktop(Monitor& m, Canvas& canvas, DesktopWindow& window);

  Monitor& m;
  Canvas& canvas;
  DesktopWindow& window;
  ViewState view;

  uint32_t openUhr = 0;  ///< tick of the deferred start; 0 before `Create`
  bool updt = false;     ///< the periodic output is running (no re-entry)
  bool t2 = false;       ///< timing diagnostics of the periodic output
  uint32_t talt = 0, tmax = 0;  ///< last and largest duration of the periodic output, ms
  bool started = false;  ///< the deferred start has run
  StatusGrid grid;       ///< the cells of the status grid
  std::array<int, 8> columnWidths{};
  TelegramCounters shownCounters{};  ///< the counters as the grid shows them

  /// The window's creation, without the widgets: synchronises the capture
  /// clock, reads the local time, the switch "t2", the font size (8 .. 16,
  /// else 10, also in the settings), the background colours, the command
  /// line `args` (program name not included) with the initial files, builds
  /// the status grid, probes the ports (a configured COM port that is
  /// missing makes the program start offline), sets the deferred start six
  /// ticks ahead and opens the log reader.
  void Create(const std::vector<std::string>& args);

  /// The command line and the initial files: a parameter with the log
  /// extension names the log (named explicitly), one with the element
  /// extension the element text file, each when the file exists (else
  /// message 882 and the other cases are tried); the words of texts 673 and
  /// 674 start offline or online. Then the log is opened and the element
  /// text file chosen: the command line's, the settings', the data
  /// directory's default, else the program directory's.
  void EvaluateCommandLine(const std::vector<std::string>& args);

  /// Builds the status grid's captions and column widths from the texts.
  void BuildStatusGrid();
  /// Writes every counter, then the port cells, into the grid.
  void FillGrid();

  /// One timer tick: `TimerTick` with the window's work in its place (the
  /// changed counters of the online view, `OnlineTick`, the deferred start),
  /// then what the tick's result asks of the window.
  void Tick();

  /// Going online or offline as the core does it, with the view following:
  /// going online shows the online view, going offline the log view.
  void SetOnline(int value);
  /// `ApplyOnline` of the core, then the panels, check marks and the view
  /// mode re-applied without switching it.
  void ApplyOnline();
  /// The device of open port i (0 or 1) has data or has failed:
  /// `ServicePort`; when that lost the last port, the log view follows.
  void ServicePort(int i);
  /// The COM port command: `ApplyPortSettings` with `dialog`, then the view,
  /// the status grid and the controls follow what it did (another log file,
  /// or capture offline when no port opened again).
  void PortSettingsCommand(const PortDialog& dialog, const std::function<void()>& processPendingEvents);
  /// The online button: toggles, clearing the counters when going online.
  void GoOnlineClick();
  /// Offline when online.
  void GoOfflineClick();

  void ShowOnlineView();
  void ShowLogView();
  /// The view button: the other view.
  void ToggleViewClick();
  /// The online view item: the online view unless it is shown.
  void OnlineViewClick();

  /// A View action by its tag: 0 .. 2 toggle an option (nothing in the CSV
  /// format), 3 .. 7 choose a format (CSV sets all three options).
  void ViewActionClick(int tag);
  /// Whether the View action `tag` is checked.
  bool ViewActionChecked(int tag) const;

  /// A queued view command: `ShowPage`, and in the log view the new scroll position.
  void RunViewCommand(int code);
  /// The scroll bar, its keys, the wheel and the view-switch keys.
  void Scroll(ScrollCode code, bool shift, bool ctrl, int position);
  void Wheel(bool down);
  void Key(ViewKey key);
  /// The window was resized: the view metrics follow and the view is redrawn.
  void Resized();

  /// Closing the window: only after creation, closes the ports (their
  /// telegrams are stored), writes the recently used files into the
  /// settings and closes the log (written back). Returns false when there
  /// was nothing to do.
  bool Close();

  // File commands, after their file dialog (if any) returned `name`.
  /// Opening a log: a file with the re-analysis extension (text 1628) is
  /// replayed into the current log; any other becomes the current log
  /// (`OpenLog`) and goes on top of the recently used files.
  void OpenLogCommand(const std::string& name);
  /// Makes `name` the current log: while online only after text 1204 was
  /// answered Yes (false on No). Goes offline, opens it, shows the log view
  /// at its end.
  bool OpenLog(const std::string& name);
  /// Saving the log under `name`: while online only after text 1204 was
  /// answered Yes. Goes offline; unless `name` has the extension of text 48
  /// a copy is written (and the name goes on top of the recently used
  /// files); the current log stays current and the view shows its end.
  void SaveLogAsCommand(const std::string& name);
  /// Clearing the log after the warning of text 1205 was answered Yes:
  /// `LogReset` and the eight counters set to 0.
  void DeleteLogCommand();
  /// Loads `name` as the element text file (on top of the recently used
  /// files); a file that cannot be read is reported (text 1715) and the
  /// element texts in use stay.
  void LoadElementTextsCommand(const std::string& name);
  /// Clears the element texts; no element text file is in use afterwards.
  void ClearElementTextsCommand();
  /// A recently used file was chosen: a file that is gone is reported (text
  /// 882) and removed; a log is opened, an element text file loaded.
  void RecentFileClick(const std::string& name);
  /// The display filter on or off; text 1215 when it restricts nothing.
  void ToggleDisplayFilterClick();
  /// The language of index `spr` (0 German, 1 English): loads its texts;
  /// only when that succeeded the recently used files are written into the
  /// settings, taken again, `ApplyLanguage` runs, the window sets its
  /// captions and the view is shown again. False when loading failed: the
  /// texts and the language stay as they were.
  bool SwitchLanguage(int spr);
  /// What a new language changes outside the widgets: the status grid, the
  /// recently used files (taken from the settings, files that are gone
  /// skipped) and the type names.
  void ApplyLanguage();
  /// Goes to the telegram the user typed (a number or a time) in the log
  /// view; text 1705 when the log has none. False when nothing was found.
  bool GoTo(const std::string& text);

  /// An output of the log (`run`: the print dialog and what it prints),
  /// which walks the log with the view's reader while the window goes on:
  /// view commands posted meanwhile wait until it has ended, and then the
  /// reader returns to the page top and the page is drawn again (or the
  /// last waiting command runs).
  void RunOutput(const std::function<void()>& run);

  RecentFiles recent;

  /// The text and shade of status panel i (0 .. 5).
  std::string PanelText(int i) const;
  PanelShade PanelShadeOf(int i) const;
  /// Window caption: the instance suffix and text 499.
  std::string Caption() const;
  /// Hints of the online and the view button.
  std::string OnlineButtonHint() const;
  std::string ViewButtonHint() const;
  bool OnlineView() const;
  int scrollPosition() const { return scrollPos_; }

 private:
  void RefreshCounters(bool all);
  /// The log view without going to its end.
  void EnterLogView();
  /// Capture went offline by itself (a failed log write, every port lost, a
  /// port that did not open again): the timing figures are reset and the
  /// log view is shown.
  void FollowOffline();
  void WindowWork();
  void DeferredStart();
  int scrollPos_ = kScrollRangeEnd;
  bool outputRunning_ = false;
  int waitingViewCommand_ = -1;  ///< the last view command posted during an output
  static constexpr int kScrollRangeEnd = 1000;
};

}  // namespace qlxs
