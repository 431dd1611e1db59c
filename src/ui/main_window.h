#pragma once
/// The main window of the desktop program: the control bar with the menu
/// buttons, the port indicators and the online and view buttons, the status
/// grid of the online view, the scroll bar of the log view, the status bar
/// with its six panels, and the telegram view drawn on a `QtCanvas`. The
/// window only forwards: every decision is taken by its `Desktop`.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>

#include "app/commands.h"
#include "app/desktop.h"
#include "platform/termios_serial_port.h"
#include "ui/qt_canvas.h"

class QAction;
class QKeySequence;
class QActionGroup;
class QMenu;
class QScrollBar;
class QSocketNotifier;
class QTableWidget;
class QTimer;
class QToolButton;

namespace qlxs {

struct Monitor;
class DemoLine;
class ViewArea;
class PanelBar;

class TfmMain final : public QMainWindow, public DesktopWindow, private CanvasGeometry {
  Q_OBJECT
 public:
  /// Creates the window for monitor `m` (started up, language loaded) with
  /// the command line `args` (program name not included). Ports without a
  /// serial port get the window's own.
  TfmMain(Monitor& m, const std::vector<std::string>& args, QWidget* parent = nullptr);
  ~TfmMain() override;

  Desktop& desktop() { return *desktop_; }
  /// The View action with tag 0 .. 7 (options, then formats).
  QAction* viewAction(int tag) const { return viewActions_[static_cast<size_t>(tag)]; }
  QAction* logViewAction() const { return aAusgLog_; }
  QAction* onlineViewAction() const { return aAusgOnl_; }
  QAction* goOnlineAction() const { return aGoOnl_; }
  QAction* goOfflineAction() const { return aGoOffl_; }
  /// The action of `a` (the View options and formats, the view and mode
  /// actions, and the file, filter and help actions).
  QAction* action(Action a) const;
  QAction* goToAction() const { return aGoTo_; }
  QAction* copyAction() const { return aCopy_; }
  QAction* languageAction(int spr) const { return miLang_[static_cast<size_t>(spr)]; }
  QAction* demoAction() const { return miDemo_; }
  QMenu* fileMenu() const { return menus_[0]; }
  /// The menu item captioned with text `number` (the first one; null when none).
  QAction* menuItem(int number) const;
  /// The recently used files as the File menu lists them.
  QList<QAction*> recentFileActions() const { return recentActions_; }
  QTableWidget* statusGrid() const { return tbSt_; }
  QScrollBar* scrollBar() const { return scbrLog_; }
  /// The 54 ms timer (tests stop it and tick by hand).
  QTimer* timer() const { return oTimer_; }
  /// The text of status panel i as shown.
  QString panelText(int i) const;
  /// The telegram view as drawn (the backing pixmap).
  const QPixmap& viewPixmap() const { return canvas_->pixmap(); }
  /// Where a message box placed at the main window goes (global coordinates).
  QPoint MessagePlace() const;

  // DesktopWindow
  void PostViewCommand(int code) override;
  void ShowViewMode(bool onlineView) override;
  void RefreshControls() override;
  void RefreshGrid() override;
  void SetScrollPosition(int position) override;

  /// Assigns the shortcuts of the actions by the options (F8, F9, F11, F12).
  void ApplyShortcuts();
  /// Plays the demo line on every tick (null: none). The demo menu item is
  /// then checked and disabled.
  void SetDemoLine(DemoLine* line);
  /// The text Ctrl+C copies: the telegram drawn at height `y` of the view,
  /// or, when none is drawn there, the whole page.
  QString CopyText(int y);
  void LanguageChanged() override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  friend class ViewArea;

  // CanvasGeometry
  int StatusBarHeight() const override;
  int ToolBarHeight() const override;
  int StatisticsBottom() const override;
  int ScrollBarWidth() const override;

  void BuildActions();
  QAction* MakeAction(bool checkable, const std::function<void()>& slot);
  void RefreshRecentFiles();
  QString ChooseFile(bool save, int textNumber, const std::string& current);
  void GoToTelegram();
  void CopyToClipboard();
  void BuildMenus();
  void BuildControlBar();
  /// The language texts of the core (`Desktop::ApplyLanguage`), then the captions.
  void ApplyLanguage();
  /// Every caption, hint and column of the window from the language texts.
  void ApplyCaptions();
  void LayoutChildren();
  void OnTimer();
  void OnScrollAction(int action);
  void SyncPortNotifiers();
  void RefreshLeds();
  void Place();
  QString T(int n) const;

  Monitor& m_;
  std::array<TermiosSerialPort, 2> serial_;
  ViewArea* area_ = nullptr;
  std::unique_ptr<QtCanvas> canvas_;
  std::unique_ptr<Desktop> desktop_;

  QWidget* controlBar_ = nullptr;
  std::array<QToolButton*, 6> menuButtons_{};
  std::array<QToolButton*, 4> leds_{};
  QToolButton* tbtnOnl_ = nullptr;
  QToolButton* tbtnTel_ = nullptr;
  QTableWidget* tbSt_ = nullptr;
  QScrollBar* scbrLog_ = nullptr;
  PanelBar* stbrMain_ = nullptr;
  QTimer* oTimer_ = nullptr;
  std::array<QSocketNotifier*, 2> notifiers_{};

  std::array<QAction*, 8> viewActions_{};
  QActionGroup* formatGroup_ = nullptr;
  QAction* aAusgLog_ = nullptr;
  QAction* aAusgOnl_ = nullptr;
  QAction* aGoOnl_ = nullptr;
  QAction* aGoOffl_ = nullptr;
  QAction* miOnline_ = nullptr;
  QAction* miOffline_ = nullptr;
  QAction* miExit_ = nullptr;
  QAction* aLogDel_ = nullptr;
  QAction* aAFilter_ = nullptr;
  QAction* aAFiltAE_ = nullptr;
  QAction* aHelpF1_ = nullptr;
  QAction* aTextLoad_ = nullptr;
  QAction* miLogOp_ = nullptr;
  QAction* miLogSav_ = nullptr;
  QAction* miLogDrucken_ = nullptr;
  QAction* miTxtClr_ = nullptr;
  QAction* miDemo_ = nullptr;
  QAction* aGoTo_ = nullptr;
  QAction* aCopy_ = nullptr;
  std::array<QAction*, 2> miLang_{};
  QAction* miTelSize_ = nullptr;
  QAction* miFrbTyp_ = nullptr;
  QAction* miFrbUrs_ = nullptr;
  QAction* miEmSe_ = nullptr;
  QAction* miAllg_ = nullptr;
  QAction* miOpt_ = nullptr;
  QAction* miLFilter_ = nullptr;
  QAction* miHelp2_ = nullptr;
  QAction* miVersion_ = nullptr;
  QList<QAction*> recentActions_;
  std::vector<std::string> recentShown_;
  DemoLine* demo_ = nullptr;
  std::vector<std::pair<QAction*, int>> numberedItems_;  ///< menu items and their text numbers
  std::array<QMenu*, 6> menus_{};
  QMenu* popup_ = nullptr;
  bool closed_ = false;
};

}  // namespace qlxs
