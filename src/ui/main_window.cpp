#include "ui/main_window.h"

#include <QAction>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QProcess>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include "app/demo_line.h"
#include "app/monitor.h"
#include "app/timer_tick.h"
#include "config/dialog_texts.h"
#include "config/prg_par.h"
#include "config/text_format.h"
#include "config/type_name_file.h"
#include "model/text_table.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "app/filter_dialog_rules.h"
#include "app/general_settings.h"
#include "app/help_topics.h"
#include "ui/colour_dialogs.h"
#include "ui/file_dialog.h"
#include "ui/com_dialog.h"
#include "ui/print_dialog.h"
#include "ui/filter_dialog.h"
#include "ui/general_dialogs.h"
#include "ui/help_browser.h"
#include "view/log_view.h"
#include "view/page_text.h"

namespace qlxs {

namespace {

// Text numbers of the menus: the first item of each, then item i is + i.
constexpr int kTextMenuButtons = 504;
constexpr int kTextFileMenu = 1410;
constexpr int kTextModeMenu = 523;
constexpr int kTextViewMenu = 531;
constexpr int kTextParamMenu = 1490;
constexpr int kTextLanguageMenu = 927;
constexpr int kTextFilterMenu = 683;
constexpr int kTextHelpMenu = 689;
constexpr int kTextLedHints = 1154;
constexpr int kTextFilterSwitch = 686;       // display filter item: + ein
constexpr int kTextLogOpenDialog = 1195;
constexpr int kTextLogSaveDialog = 1196;
constexpr int kTextElementOpenDialog = 1425;
constexpr int kTextDemoItem = 1702;
constexpr int kTextGoToTitle = 1703;
constexpr int kTextGoToLabel = 1704;
constexpr int kTextGoToItem = 1706;
constexpr int kTextCopyItem = 1707;
constexpr int kTextDemoFailed = 1708;

// Positions in the View menu of the separators and the view-mode items.
constexpr int kViewItemLogView = 10;
constexpr int kViewItemOnlineView = 11;

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// A round lamp for the port indicators, lit or dark.
QIcon LampIcon(QColor lit, bool on) {
  QPixmap p(20, 19);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QColor(80, 80, 80));
  g.setBrush(on ? lit : QColor(90, 90, 90));
  g.drawEllipse(4, 3, 12, 12);
  return QIcon(p);
}

// The images of the online button (0 offline, 1 online) and of the view
// button (2 log view, 3 online view).
QIcon ButtonIcon(int index) {
  QPixmap p(30, 19);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  switch (index) {
    case 0:
    case 1:
      g.setPen(QPen(QColor(60, 60, 60), 1.5));
      g.setBrush(index == 1 ? QColor(0, 200, 0) : QColor(220, 60, 40));
      g.drawEllipse(8, 2, 14, 14);
      break;
    default:
      g.setPen(QPen(index == 3 ? QColor(0, 120, 0) : QColor(40, 40, 140), 2));
      for (int y = 4; y <= 15; y += 4) g.drawLine(5, y, index == 3 ? 25 : 20, y);
      if (index == 3) {
        g.setBrush(QColor(0, 160, 0));
        g.drawPolygon(QPolygon({QPoint(20, 12), QPoint(28, 12), QPoint(24, 17)}));
      }
      break;
  }
  return QIcon(p);
}

QKeySequence KeySequenceOf(ActionKey key) {
  switch (key) {
    case ActionKey::KeyNone: return {};
    case ActionKey::F1: return QKeySequence(Qt::Key_F1);
    case ActionKey::F8: return QKeySequence(Qt::Key_F8);
    case ActionKey::F9: return QKeySequence(Qt::Key_F9);
    case ActionKey::F11: return QKeySequence(Qt::Key_F11);
    case ActionKey::F12: return QKeySequence(Qt::Key_F12);
    case ActionKey::CtrlD: return QKeySequence(Qt::CTRL | Qt::Key_D);
    default: return QKeySequence(Qt::Key_0 + (static_cast<int>(key) - static_cast<int>(ActionKey::Digit0)));
  }
}

// Keys the scroll bar of the log view turns into scroll codes.
bool IsPagingKey(int key) {
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      return true;
    default:
      return false;
  }
}

}  // namespace

/// The client area: shows the backing pixmap of the telegram view and
/// carries the control bar, the status grid, the scroll bar and the status
/// bar as children laid out by the window.
class ViewArea final : public QWidget {
 public:
  explicit ViewArea(TfmMain& w) : QWidget(&w), w_(w) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
  }
  /// Height of the mouse in the view when it was last over it; -1 when it is not.
  int mouseY = -1;

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    p.drawPixmap(e->rect(), w_.canvas_->pixmap(), e->rect());
  }
  void resizeEvent(QResizeEvent*) override { w_.LayoutChildren(); }
  void wheelEvent(QWheelEvent* e) override {
    if (e->angleDelta().y() != 0) w_.desktop().Wheel(e->angleDelta().y() < 0);
    e->accept();
  }
  void keyPressEvent(QKeyEvent* e) override {
    // In the log view the paging keys page wherever the focus is: the view
    // area passes them to the scroll bar, which turns them into its scroll
    // codes as when it has the focus itself.
    if (!w_.desktop().OnlineView() && IsPagingKey(e->key())) {
      QCoreApplication::sendEvent(w_.scbrLog_, e);
      return;
    }
    ViewKey k = ViewKey::Other;
    if (e->key() == Qt::Key_Up) k = ViewKey::Up;
    if (e->key() == Qt::Key_Down) k = ViewKey::Down;
    if (e->key() == Qt::Key_Escape) k = ViewKey::Escape;
    if (k == ViewKey::Other) return QWidget::keyPressEvent(e);
    w_.desktop().Key(k);
  }
  void contextMenuEvent(QContextMenuEvent* e) override {
    mouseY = e->pos().y();
    if (!w_.popup_) return;
    // The popup shows the View items without the shortcuts the View menu shows.
    const QList<QAction*> items = w_.popup_->actions();
    for (QAction* a : items) a->setShortcutVisibleInContextMenu(false);
    w_.popup_->exec(e->globalPos());
    for (QAction* a : items) a->setShortcutVisibleInContextMenu(true);
  }
  void mouseMoveEvent(QMouseEvent* e) override { mouseY = static_cast<int>(e->position().y()); }
  void leaveEvent(QEvent*) override { mouseY = -1; }

 private:
  TfmMain& w_;
};

/// The owner-drawn status bar: six panels of fixed width, each filled in
/// its shade with its text 4 pixels right of and 2 below its corner.
class PanelBar final : public QWidget {
 public:
  explicit PanelBar(QWidget* parent, TfmMain& w) : QWidget(parent), w_(w) { setMouseTracking(true); }
  std::array<QString, kPanelCount> texts;
  std::array<PanelShade, kPanelCount> shades{};

  QSize sizeHint() const override { return {600, fontMetrics().height() + 8}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    int x = 0;
    for (int i = 0; i < kPanelCount; ++i) {
      const QRect r(x, 1, kPanelWidths[i] - 2, height() - 2);
      if (shades[i] != PanelShade::Normal) p.fillRect(r, ToQColor(PanelShadeColour(shades[i])));
      p.setPen(palette().color(QPalette::Mid));
      p.drawRect(r.adjusted(0, 0, -1, -1));
      p.setPen(palette().color(QPalette::WindowText));
      p.drawText(r.adjusted(4, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop, texts[i]);
      x += kPanelWidths[i];
    }
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    const T_AllgVar& v = w_.desktop().m.AllgVar;
    setToolTip(QString::fromStdString(e->position().x() > width() * 0.7 ? v.dtOaTxt : v.dtlog));
  }

 private:
  TfmMain& w_;
};

TfmMain::TfmMain(Monitor& m, const std::vector<std::string>& args, QWidget* parent)
    : QMainWindow(parent), m_(m) {
  setMinimumSize(500, 300);
  resize(801, 546);
  area_ = new ViewArea(*this);
  setCentralWidget(area_);
  canvas_ = std::make_unique<QtCanvas>(*area_, static_cast<const CanvasGeometry&>(*this));
  canvas_->SetSystemColours(DesktopSystemColours());
  desktop_ = std::make_unique<Desktop>(m_, *canvas_, *this);

  BuildActions();
  BuildMenus();
  BuildControlBar();
  tbSt_ = new QTableWidget(3, 8, area_);
  tbSt_->horizontalHeader()->hide();
  tbSt_->verticalHeader()->hide();
  // Read only and never focused; left enabled so that the counters stay legible.
  tbSt_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tbSt_->setSelectionMode(QAbstractItemView::NoSelection);
  tbSt_->setFocusPolicy(Qt::NoFocus);
  tbSt_->verticalHeader()->setDefaultSectionSize(tbSt_->fontMetrics().height() + 6);
  tbSt_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  tbSt_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  tbSt_->hide();
  scbrLog_ = new QScrollBar(Qt::Vertical, area_);
  scbrLog_->setRange(0, kScrollRange);
  scbrLog_->setPageStep(50);
  scbrLog_->setValue(kScrollRange);
  connect(scbrLog_, &QScrollBar::actionTriggered, this, [this](int a) { OnScrollAction(a); });
  connect(scbrLog_, &QScrollBar::sliderReleased, this, [this] {
    desktop_->Scroll(ScrollCode::ThumbPosition, false, false, scbrLog_->sliderPosition());
  });
  stbrMain_ = new PanelBar(area_, *this);

  for (size_t i = 0; i < serial_.size(); ++i)
    if (m_.ports[i].pCp == nullptr) m_.ports[i].pCp = &serial_[i];

  desktop_->Create(args);
  canvas_->SetFontSize(m_.PrgPar.tf.schrift);
  ApplyLanguage();
  ApplyShortcuts();
  oTimer_ = new QTimer(this);
  oTimer_->setTimerType(Qt::PreciseTimer);
  oTimer_->setInterval(static_cast<int>(kTickMs));
  connect(oTimer_, &QTimer::timeout, this, [this] { OnTimer(); });
  oTimer_->start();
  ShowViewMode(desktop_->OnlineView());
  Place();
  LayoutChildren();
}

TfmMain::~TfmMain() {
  if (!closed_) desktop_->Close();
  for (size_t i = 0; i < serial_.size(); ++i)
    if (m_.ports[i].pCp == &serial_[i]) m_.ports[i].pCp = nullptr;
}

QString TfmMain::T(int n) const { return QString::fromStdString(Text(m_.AllgVar, n)); }

void TfmMain::BuildActions() {
  for (int tag = 0; tag < 8; ++tag) {
    QAction* a = new QAction(this);
    a->setCheckable(true);
    a->setData(tag);
    a->setShortcut(QKeySequence(Qt::Key_0 + tag));
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, [this, tag] {
      desktop_->ViewActionClick(tag);
      RefreshControls();  // a click that changed nothing leaves the check mark as it was
    });
    addAction(a);
    viewActions_[static_cast<size_t>(tag)] = a;
  }
  formatGroup_ = new QActionGroup(this);
  for (int tag = kTagFirstFormat; tag <= kTagLastFormat; ++tag) formatGroup_->addAction(viewActions_[tag]);

  aAusgLog_ = MakeAction(true, [this] { desktop_->ToggleViewClick(); });
  aAusgOnl_ = MakeAction(true, [this] { desktop_->OnlineViewClick(); });
  aGoOnl_ = MakeAction(true, [this] { desktop_->GoOnlineClick(); });
  aGoOffl_ = MakeAction(true, [this] { desktop_->GoOfflineClick(); });
  aLogDel_ = MakeAction(false, [this] { desktop_->DeleteLogCommand(); });
  for (const FilterKind kind : {FilterKind::Display, FilterKind::Log}) {
    (kind == FilterKind::Display ? aAFilter_ : miLFilter_) = MakeAction(false, [this, kind] {
      FilterCommand(m_, kind, [this, kind](T_Filter& copy) {
        return EditFilter(m_, this, copy, kind == FilterKind::Display);
      });
      PostViewCommand(kViewRedraw);
    });
  }
  aAFiltAE_ = MakeAction(false, [this] { desktop_->ToggleDisplayFilterClick(); });
  aHelpF1_ = MakeAction(false, [this] { ShowHelpTopic(this, m_, kHelpMainWindow); });
  aTextLoad_ = MakeAction(false, [this] {
    const QString name = ChooseFile(false, kTextElementOpenDialog, m_.AllgVar.dtOaTxt);
    if (!name.isEmpty()) desktop_->LoadElementTextsCommand(name.toStdString());
  });
  aGoTo_ = MakeAction(false, [this] { GoToTelegram(); });
  aGoTo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  aCopy_ = MakeAction(false, [this] { CopyToClipboard(); });
  aCopy_->setShortcut(QKeySequence::Copy);
  miLogOp_ = MakeAction(false, [this] {
    const QString name = ChooseFile(false, kTextLogOpenDialog, m_.AllgVar.dtlog);
    if (!name.isEmpty()) desktop_->OpenLogCommand(name.toStdString());
  });
  miLogSav_ = MakeAction(false, [this] {
    const QString name = ChooseFile(true, kTextLogSaveDialog, m_.AllgVar.dtlog);
    if (!name.isEmpty()) desktop_->SaveLogAsCommand(name.toStdString());
  });
  miTxtClr_ = MakeAction(false, [this] { desktop_->ClearElementTextsCommand(); });
  for (int spr = 0; spr < 2; ++spr) {
    miLang_[spr] = MakeAction(true, [this, spr] { desktop_->SwitchLanguage(spr); });
    miLang_[spr]->setData(spr);
  }
  miHelp2_ = MakeAction(false, [this] { ShowHelpTopic(this, m_, kHelpContents); });
  miDemo_ = MakeAction(true, [this] {
    // The demo runs in a program of its own with its own data directory,
    // so this monitor's capture and settings stay as they are.
    if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {"--demo"}))
      m_.messages.Show(0, MsgError, FormatText(Text(m_.AllgVar, kTextDemoFailed), {"cannot start " +
          QCoreApplication::applicationFilePath().toStdString()}));
  });
  miTelSize_ = MakeAction(false, [this] {
    T_TelFarben copy = m_.PrgPar.tf;
    if (EditTelegramColours(m_, this, copy)) {
      m_.PrgPar.tf = copy;
      canvas_->SetFontSize(copy.schrift);
      desktop_->Resized();
    }
    PostViewCommand(kViewRedraw);
  });
  for (const bool causes : {false, true}) {
    (causes ? miFrbUrs_ : miFrbTyp_) = MakeAction(false, [this, causes] {
      if (EditColourTable(m_, this, causes)) PostViewCommand(kViewRedraw);
    });
  }
  miAllg_ = MakeAction(false, [this] {
    GeneralSettingsCommand(*desktop_, [this](T_AllgPar& copy, std::string& dataDir) {
      return EditGeneral(m_, this, copy, dataDir, ToolBarHeight());
    });
  });
  miOpt_ = MakeAction(false, [this] {
    if (EditOptions(m_, this)) ApplyShortcuts();
  });
  miVersion_ = MakeAction(false, [this] {
    ShowAbout(m_, this);
    PostViewCommand(kViewRedraw);
  });
  miLogDrucken_ = MakeAction(false, [this] { desktop_->RunOutput([this] { PrintCommand(m_, this); }); });
  miEmSe_ = MakeAction(false, [this] {
    // While the ports wait to reopen, the window paints and captures but
    // takes no clicks or keys, so nothing opens the ports in between.
    desktop_->PortSettingsCommand([this](Monitor& mm, T_ComVar& c) { return RunPortDialog(mm, this, c); },
                                  [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
  });
  miOnline_ = aGoOnl_;
  miOffline_ = aGoOffl_;
}

QAction* TfmMain::MakeAction(bool checkable, const std::function<void()>& slot) {
  QAction* a = new QAction(this);
  a->setCheckable(checkable);
  if (slot) {
    connect(a, &QAction::triggered, this, [this, slot] {
      slot();
      RefreshControls();  // a click that changed nothing leaves the check mark as it was
    });
  }
  addAction(a);
  return a;
}

QAction* TfmMain::menuItem(int number) const {
  for (const auto& [a, n] : numberedItems_)
    if (n == number) return a;
  return nullptr;
}

QAction* TfmMain::action(Action a) const {
  switch (a) {
    case Action::AusgLog: return aAusgLog_;
    case Action::AusgOnl: return aAusgOnl_;
    case Action::GoOnl: return aGoOnl_;
    case Action::GoOffl: return aGoOffl_;
    case Action::LogDel: return aLogDel_;
    case Action::AFilter: return aAFilter_;
    case Action::AFiltAE: return aAFiltAE_;
    case Action::HelpF1: return aHelpF1_;
    case Action::TextLoad: return aTextLoad_;
    default: return viewActions_[static_cast<size_t>(ActionTag(a))];
  }
}

void TfmMain::BuildMenus() {
  for (QMenu*& menu : menus_) menu = new QMenu(this);
  auto item = [this](QMenu* menu, int number, QAction* action) {
    menu->addAction(action);
    numberedItems_.push_back({action, number});
    return action;
  };
  // File: delete, open, save as, print, -, element texts load and clear, -,
  // exit, the recently used files in front of exit, and the demo line.
  QMenu* file = menus_[0];
  item(file, kTextFileMenu, aLogDel_);
  item(file, kTextFileMenu + 1, miLogOp_);
  item(file, kTextFileMenu + 2, miLogSav_);
  item(file, kTextFileMenu + 3, miLogDrucken_);
  file->addSeparator();
  item(file, kTextFileMenu + 5, aTextLoad_);
  item(file, kTextFileMenu + 6, miTxtClr_);
  file->addSeparator();
  miExit_ = new QAction(this);
  connect(miExit_, &QAction::triggered, this, &QWidget::close);
  item(file, kTextFileMenu + 8, miExit_);
  file->addSeparator();
  item(file, kTextDemoItem, miDemo_);

  item(menus_[1], kTextModeMenu, miOnline_);
  item(menus_[1], kTextModeMenu + 1, miOffline_);

  QMenu* view = menus_[2];
  popup_ = new QMenu(this);
  for (QMenu* target : {view, popup_}) {
    for (int tag = 0; tag < 3; ++tag) item(target, kTextViewMenu + tag, viewActions_[tag]);
    target->addSeparator();
    for (int tag = kTagFirstFormat; tag <= kTagLastFormat; ++tag)
      item(target, kTextViewMenu + tag + 1, viewActions_[tag]);
    target->addSeparator();
    item(target, kTextViewMenu + kViewItemLogView, aAusgLog_);
    item(target, kTextViewMenu + kViewItemOnlineView, aAusgOnl_);
  }
  // Beyond the View menu, the popup offers going to a telegram and copying.
  popup_->addSeparator();
  item(popup_, kTextGoToItem, aGoTo_);
  item(popup_, kTextCopyItem, aCopy_);

  QMenu* param = menus_[3];
  QMenu* language = param->addMenu(QString());
  numberedItems_.push_back({language->menuAction(), kTextParamMenu});
  auto* languages = new QActionGroup(this);
  for (int i = 0; i < 2; ++i) {
    item(language, kTextLanguageMenu + i, miLang_[i]);
    languages->addAction(miLang_[i]);
  }
  item(param, kTextParamMenu + 1, miTelSize_);
  item(param, kTextParamMenu + 2, miFrbTyp_);
  item(param, kTextParamMenu + 3, miFrbUrs_);
  param->addSeparator();
  item(param, kTextParamMenu + 5, miEmSe_);
  item(param, kTextParamMenu + 6, miAllg_);
  item(param, kTextParamMenu + 7, miOpt_);

  item(menus_[4], kTextFilterMenu, aAFilter_);
  item(menus_[4], kTextFilterMenu + 1, aAFiltAE_);
  item(menus_[4], kTextFilterMenu + 2, miLFilter_);
  item(menus_[5], kTextHelpMenu, miHelp2_);
  item(menus_[5], kTextHelpMenu + 1, miVersion_);
}

void TfmMain::BuildControlBar() {
  controlBar_ = new QWidget(area_);
  controlBar_->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(controlBar_);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(2);
  for (size_t i = 0; i < menuButtons_.size(); ++i) {
    QToolButton* b = new QToolButton(controlBar_);
    b->setMenu(menus_[i]);
    b->setPopupMode(QToolButton::InstantPopup);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setStyleSheet("QToolButton::menu-indicator { image: none; }");
    row->addWidget(b);
    menuButtons_[i] = b;
  }
  row->addSpacing(12);
  for (size_t i = 0; i < leds_.size(); ++i) {
    if (i == 2) row->addSpacing(6);
    QToolButton* b = new QToolButton(controlBar_);
    b->setAutoRaise(true);
    b->setIconSize(QSize(20, 19));
    b->setIcon(LampIcon(i % 2 == 0 ? QColor(0, 220, 0) : QColor(255, 60, 40), false));
    b->setProperty("lit", false);
    row->addWidget(b);
    leds_[i] = b;
  }
  row->addSpacing(12);
  tbtnOnl_ = new QToolButton(controlBar_);
  tbtnTel_ = new QToolButton(controlBar_);
  for (QToolButton* b : {tbtnOnl_, tbtnTel_}) {
    b->setCheckable(true);
    b->setIconSize(QSize(30, 19));
    b->setAutoRaise(true);
    row->addWidget(b);
  }
  connect(tbtnOnl_, &QToolButton::clicked, aGoOnl_, &QAction::trigger);
  connect(tbtnTel_, &QToolButton::clicked, aAusgLog_, &QAction::trigger);
  row->addStretch(1);
}

void TfmMain::ApplyLanguage() {
  desktop_->ApplyLanguage();
  ApplyCaptions();
}

void TfmMain::ApplyCaptions() {
  for (size_t i = 0; i < menuButtons_.size(); ++i)
    menuButtons_[i]->setText(T(kTextMenuButtons + static_cast<int>(i)));
  for (auto& [action, number] : numberedItems_) action->setText(T(number));
  for (size_t i = 0; i < leds_.size(); ++i) leds_[i]->setToolTip(T(kTextLedHints + static_cast<int>(i)));
  int width = 4;
  for (int c = 0; c < 8; ++c) {
    tbSt_->setColumnWidth(c, desktop_->columnWidths[c]);
    width += desktop_->columnWidths[c];
  }
  tbSt_->setFixedWidth(width);
  tbSt_->setFixedHeight(3 * tbSt_->verticalHeader()->defaultSectionSize() + 4);
  tbSt_->clearSelection();
  recentShown_.clear();  // the captions of the list are built again
  RefreshGrid();
  RefreshControls();
}

void TfmMain::LanguageChanged() {
  ApplyCaptions();
  LayoutChildren();
}

void TfmMain::ApplyShortcuts() {
  // Of two actions with one key only the first in list order gets it, as a
  // key triggers one action: F8 toggles online, F9 the view.
  std::vector<ActionKey> taken;
  for (int i = 0; i < kActionCount; ++i) {
    const Action a = static_cast<Action>(i);
    ActionKey key = ActionShortcut(a, m_.PrgPar);
    if (std::find(taken.begin(), taken.end(), key) != taken.end()) key = ActionKey::KeyNone;
    if (key != ActionKey::KeyNone) taken.push_back(key);
    QAction* qa = action(a);
    qa->setShortcut(KeySequenceOf(key));
    qa->setShortcutContext(Qt::WindowShortcut);
  }
}

void TfmMain::SetDemoLine(DemoLine* line) {
  demo_ = line;
  miDemo_->setChecked(line != nullptr);
  miDemo_->setEnabled(line == nullptr);
}

void TfmMain::LayoutChildren() {
  const int w = area_->width();
  const int h = area_->height();
  const int barH = controlBar_->sizeHint().height();
  controlBar_->setGeometry(0, 0, w, barH);
  tbSt_->move(0, barH);
  const int statusH = stbrMain_->sizeHint().height();
  stbrMain_->setGeometry(0, h - statusH, w, statusH);
  const int sbW = scbrLog_->sizeHint().width();
  scbrLog_->setGeometry(w - sbW, barH, sbW, std::max(0, h - barH - statusH));
  canvas_->Resize();
  desktop_->Resized();
}

int TfmMain::StatusBarHeight() const { return stbrMain_ ? stbrMain_->height() : 0; }
int TfmMain::ToolBarHeight() const { return controlBar_ ? controlBar_->height() : 0; }
int TfmMain::StatisticsBottom() const { return tbSt_ ? tbSt_->y() + tbSt_->height() : ToolBarHeight(); }
int TfmMain::ScrollBarWidth() const { return scbrLog_ ? scbrLog_->width() : 0; }

void TfmMain::PostViewCommand(int code) {
  QMetaObject::invokeMethod(
      this, [this, code] { if (!closed_) desktop_->RunViewCommand(code); }, Qt::QueuedConnection);
}

void TfmMain::ShowViewMode(bool onlineView) {
  tbSt_->setVisible(onlineView);
  scbrLog_->setVisible(!onlineView);
  if (onlineView)
    area_->setFocus();
  else
    scbrLog_->setFocus();
}

void TfmMain::RefreshControls() {
  const Desktop& d = *desktop_;
  const bool online = m_.PrgPar.online != 0;
  for (int tag = 0; tag < 8; ++tag) viewActions_[tag]->setChecked(d.ViewActionChecked(tag));
  aAusgOnl_->setChecked(d.OnlineView());
  aAusgLog_->setChecked(!d.OnlineView());
  tbtnTel_->setChecked(d.OnlineView());
  tbtnTel_->setIcon(ButtonIcon(2 + (d.OnlineView() ? 1 : 0)));
  tbtnTel_->setToolTip(QString::fromStdString(d.ViewButtonHint()));
  miOnline_->setChecked(online);
  miOffline_->setChecked(!online);
  const T_Filter& afilt = m_.AllgPar.afilt;
  aAFiltAE_->setEnabled(afilt.def != 0);
  aAFiltAE_->setText(T(kTextFilterSwitch + (afilt.ein ? 1 : 0)));
  for (int spr = 0; spr < 2; ++spr) miLang_[spr]->setChecked(m_.PrgPar.spr == spr);
  RefreshRecentFiles();
  tbtnOnl_->setChecked(online);
  tbtnOnl_->setIcon(ButtonIcon(online ? 1 : 0));
  tbtnOnl_->setToolTip(QString::fromStdString(d.OnlineButtonHint()));
  for (int i = 0; i < kPanelCount; ++i) {
    stbrMain_->texts[i] = QString::fromStdString(d.PanelText(i));
    stbrMain_->shades[i] = d.PanelShadeOf(i);
  }
  stbrMain_->update();
  const QString caption = QString::fromStdString(d.Caption());
  setWindowTitle(caption);
  QGuiApplication::setApplicationDisplayName(caption);
  SyncPortNotifiers();
}

void TfmMain::RefreshGrid() {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 8; ++c) {
      const QString text = QString::fromStdString(desktop_->grid[r][c]);
      QTableWidgetItem* it = tbSt_->item(r, c);
      if (it == nullptr) {
        it = new QTableWidgetItem;
        it->setTextAlignment(r > 0 && c > 0 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
        tbSt_->setItem(r, c, it);
      }
      if (it->text() != text) it->setText(text);
    }
}

void TfmMain::SetScrollPosition(int position) {
  const QSignalBlocker block(scbrLog_);
  scbrLog_->setSliderPosition(position);
  scbrLog_->setValue(position);
}

void TfmMain::OnScrollAction(int action) {
  const Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
  const bool shift = mods & Qt::ShiftModifier;
  const bool ctrl = mods & Qt::ControlModifier;
  ScrollCode code;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = ScrollCode::LineDown; break;
    case QAbstractSlider::SliderSingleStepSub: code = ScrollCode::LineUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = ScrollCode::PageDown; break;
    case QAbstractSlider::SliderPageStepSub: code = ScrollCode::PageUp; break;
    case QAbstractSlider::SliderToMinimum: code = ScrollCode::Top; break;
    case QAbstractSlider::SliderToMaximum: code = ScrollCode::Bottom; break;
    case QAbstractSlider::SliderMove:
      // The thumb follows the mouse; the page follows the thumb.
      desktop_->Scroll(ScrollCode::ThumbTrack, shift, ctrl, scbrLog_->sliderPosition());
      return;
    default: return;
  }
  desktop_->Scroll(code, shift, ctrl, scbrLog_->value());
}

void TfmMain::OnTimer() {
  if (demo_) demo_->Pump(m_.clock.Tick(), LineOctetsPerSecond(m_));
  desktop_->Tick();
  RefreshLeds();
  if (m_.PrgPar.online == 0 && (notifiers_[0] || notifiers_[1])) SyncPortNotifiers();
}

void TfmMain::RefreshLeds() {
  for (size_t i = 0; i < leds_.size(); ++i) {
    const T_ComVar& port = m_.ports[i / 2];
    const bool lit = ((i % 2 == 0 ? port.LedR : port.LedT).image & 1) != 0;
    if (leds_[i]->property("lit").toBool() == lit) continue;
    leds_[i]->setProperty("lit", lit);
    leds_[i]->setIcon(LampIcon(i % 2 == 0 ? QColor(0, 220, 0) : QColor(255, 60, 40), lit));
  }
}

void TfmMain::SyncPortNotifiers() {
  for (size_t i = 0; i < notifiers_.size(); ++i) {
    const T_ComVar& port = m_.ports[i];
    const int fd = port.se.open && port.pCp ? port.pCp->Fd() : -1;
    QSocketNotifier*& n = notifiers_[i];
    if (n && n->socket() == fd) continue;
    if (n) {
      n->setEnabled(false);
      n->deleteLater();
      n = nullptr;
    }
    if (fd < 0) continue;
    n = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(n, &QSocketNotifier::activated, this, [this, i] {
      desktop_->ServicePort(static_cast<int>(i));
      SyncPortNotifiers();
    });
  }
}

void TfmMain::RefreshRecentFiles() {
  const std::vector<std::string>& names = desktop_->recent.names();
  if (names == recentShown_ && recentActions_.size() == static_cast<int>(names.size())) return;
  recentShown_ = names;
  for (QAction* a : recentActions_) {
    menus_[0]->removeAction(a);
    a->deleteLater();
  }
  recentActions_.clear();
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string name = names[i];
    QAction* a = new QAction(QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(name)), menus_[0]);
    connect(a, &QAction::triggered, this, [this, name] {
      // What the menu left behind is handled before the file is opened.
      QCoreApplication::processEvents();
      desktop_->RecentFileClick(name);
      RefreshControls();
    });
    menus_[0]->insertAction(miExit_, a);
    recentActions_.push_back(a);
  }
}

QString TfmMain::ChooseFile(bool save, int textNumber, const std::string& current) {
  const FileDialogCaption c = save ? SaveLogDialogText(m_.AllgVar) : OpenDialogText(m_.AllgVar, textNumber);
  return qlxs::ChooseFile(this, c, save, current.empty() ? m_.AllgVar.DataDir : current);
}

void TfmMain::GoToTelegram() {
  bool ok = false;
  const QString text = QInputDialog::getText(this, T(kTextGoToTitle), T(kTextGoToLabel), QLineEdit::Normal, {}, &ok);
  if (ok && !text.trimmed().isEmpty()) desktop_->GoTo(text.toStdString());
}

QString TfmMain::CopyText(int y) {
  std::string text = y >= 0 ? TelegramTextAt(m_, desktop_->view, y) : std::string();
  if (text.empty()) text = PageText(m_, desktop_->view);
  return QString::fromStdString(text);
}

void TfmMain::CopyToClipboard() {
  const QString text = CopyText(area_->mouseY);
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

QString TfmMain::panelText(int i) const { return stbrMain_->texts[static_cast<size_t>(i)]; }

QPoint TfmMain::MessagePlace() const {
  return mapToGlobal(QPoint(width() / 5, StatisticsBottom() + 30));
}

void TfmMain::Place() {
  const T_PrgPar& p = m_.PrgPar;
  if (p.wstat == 0) return;
  if (p.wwidth > 0 && p.wheight > 0) setGeometry(p.wleft, p.wtop, p.wwidth, p.wheight);
  if (p.wstat == 3) setWindowState(windowState() | Qt::WindowMaximized);
}

void TfmMain::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && isActiveWindow() && desktop_) PostViewCommand(kViewRedraw);
  QMainWindow::changeEvent(e);
}

void TfmMain::closeEvent(QCloseEvent* e) {
  if (!closed_) {
    oTimer_->stop();
    desktop_->Close();
    const WindowShow show = isMinimized()   ? WindowShow::Minimised
                            : isMaximized() ? WindowShow::Maximised
                                            : WindowShow::Normal;
    const QRect g = geometry();
    StorePlacement(m_.PrgPar, show, {g.top(), g.left(), g.height(), g.width()});
    for (QSocketNotifier*& n : notifiers_) {
      delete n;
      n = nullptr;
    }
    closed_ = true;
  }
  e->accept();
}

}  // namespace qlxs
