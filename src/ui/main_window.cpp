#include "ui/main_window.h"

#include <QAction>
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

#include "app/monitor.h"
#include "app/timer_tick.h"
#include "config/prg_par.h"
#include "config/type_name_file.h"
#include "model/text_table.h"
#include "view/log_view.h"

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
  }

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
    if (w_.popup_) w_.popup_->exec(e->globalPos());
  }

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

  auto make = [this](auto slot) {
    QAction* a = new QAction(this);
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, slot] {
      slot();
      RefreshControls();
    });
    addAction(a);
    return a;
  };
  aAusgLog_ = make([this] { desktop_->ToggleViewClick(); });
  aAusgOnl_ = make([this] { desktop_->OnlineViewClick(); });
  aGoOnl_ = make([this] { desktop_->GoOnlineClick(); });
  aGoOffl_ = make([this] { desktop_->GoOfflineClick(); });
  miOnline_ = aGoOnl_;
  miOffline_ = aGoOffl_;
}

void TfmMain::BuildMenus() {
  for (QMenu*& menu : menus_) menu = new QMenu(this);
  auto item = [this](QMenu* menu, int number, QAction* action = nullptr) {
    if (action == nullptr) {
      action = new QAction(menu);
      action->setEnabled(false);  // its dialog or command is not there yet
    }
    menu->addAction(action);
    numberedItems_.push_back({action, number});
    return action;
  };
  // File: delete, open, save as, print, -, element texts load and clear, -, exit.
  QMenu* file = menus_[0];
  for (int i = 0; i < 4; ++i) item(file, kTextFileMenu + i);
  file->addSeparator();
  for (int i = 5; i < 7; ++i) item(file, kTextFileMenu + i);
  file->addSeparator();
  miExit_ = new QAction(this);
  connect(miExit_, &QAction::triggered, this, &QWidget::close);
  item(file, kTextFileMenu + 8, miExit_);

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

  QMenu* param = menus_[3];
  QMenu* language = param->addMenu(QString());
  numberedItems_.push_back({language->menuAction(), kTextParamMenu});
  for (int i = 0; i < 2; ++i) item(language, kTextLanguageMenu + i);
  for (int i = 1; i < 4; ++i) item(param, kTextParamMenu + i);
  param->addSeparator();
  for (int i = 5; i < 8; ++i) item(param, kTextParamMenu + i);

  for (int i = 0; i < 3; ++i) item(menus_[4], kTextFilterMenu + i);
  for (int i = 0; i < 2; ++i) item(menus_[5], kTextHelpMenu + i);
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
  for (size_t i = 0; i < menuButtons_.size(); ++i)
    menuButtons_[i]->setText(T(kTextMenuButtons + static_cast<int>(i)));
  for (auto& [action, number] : numberedItems_) action->setText(T(number));
  for (size_t i = 0; i < leds_.size(); ++i) leds_[i]->setToolTip(T(kTextLedHints + static_cast<int>(i)));
  desktop_->BuildStatusGrid();
  int width = 4;
  for (int c = 0; c < 8; ++c) {
    tbSt_->setColumnWidth(c, desktop_->columnWidths[c]);
    width += desktop_->columnWidths[c];
  }
  tbSt_->setFixedWidth(width);
  tbSt_->setFixedHeight(3 * tbSt_->verticalHeader()->defaultSectionSize() + 4);
  tbSt_->clearSelection();
  RefreshGrid();
  LoadTypeNames(m_.AllgVar);
  RefreshControls();
}

void TfmMain::ApplyShortcuts() {
  const T_PrgPar& p = m_.PrgPar;
  // Of two actions with one key only the first gets it, as a key triggers
  // one action: F8 toggles online, F9 the view.
  aGoOnl_->setShortcut(p.opt[0] ? QKeySequence(Qt::Key_F8) : QKeySequence());
  aAusgLog_->setShortcut(p.opt[kOptViewSwitchKeys] ? QKeySequence(Qt::Key_F9) : QKeySequence());
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
