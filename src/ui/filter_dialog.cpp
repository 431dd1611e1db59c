#include "ui/filter_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/dialog_rules.h"
#include "app/monitor.h"
#include "config/dialog_texts.h"
#include "model/date_time.h"
#include "platform/clock.h"
#include "ui/qt_text.h"
#include "ui/file_dialog.h"

namespace qlxs {

namespace {


// Top of the filter dialog below the main window's top.
constexpr int kPickListTopBelowDialog = 12;

void SetDateTime(QDateEdit* date, QTimeEdit* time, double v) {
  const DateTimeParts p = DecodeDateTime(v);
  date->setDate(QDate(p.year, p.month, p.day));
  time->setTime(QTime(p.hour, p.minute, p.second, p.millisecond));
}

double DateTimeOf(const QDateEdit* date, const QTimeEdit* time) {
  DateTimeParts p;
  p.year = date->date().year();
  p.month = date->date().month();
  p.day = date->date().day();
  p.hour = time->time().hour();
  p.minute = time->time().minute();
  p.second = time->time().second();
  p.millisecond = time->time().msec();
  return EncodeDateTime(p);
}

// A check list: one checkable item per text of the comma list.
QListWidget* CheckList(QWidget* parent, const T_AllgVar& v, int n) {
  auto* list = new QListWidget(parent);
  for (const std::string& s : CheckListBoxText(v, n).items) {
    auto* item = new QListWidgetItem(Q(s), list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int rows = std::max(list->count(), 1);
  list->setFixedHeight(list->sizeHintForRow(0) * rows + 2 * list->frameWidth() + 2);
  list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 8);
  return list;
}

void SetChecks(QListWidget* list, const bool* checks, size_t n) {
  for (size_t k = 0; k < n && static_cast<int>(k) < list->count(); ++k)
    list->item(static_cast<int>(k))->setCheckState(checks[k] ? Qt::Checked : Qt::Unchecked);
}

template <size_t N>
std::array<bool, N> Checks(const QListWidget* list) {
  std::array<bool, N> a{};
  for (size_t k = 0; k < N && static_cast<int>(k) < list->count(); ++k)
    a[k] = list->item(static_cast<int>(k))->checkState() == Qt::Checked;
  return a;
}

QComboBox* Box(QWidget* parent, const T_AllgVar& v, int n) {
  auto* box = new QComboBox(parent);
  for (const std::string& s : ComboBoxText(v, n).items) box->addItem(Q(s));
  box->setCurrentIndex(box->count() > 0 ? 0 : -1);
  return box;
}

QLineEdit* ValueField(QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setMaxLength(12);
  field->setAlignment(Qt::AlignRight);
  field->setValidator(new QRegularExpressionValidator(QRegularExpression(" *[0-9]* *"), field));
  field->setFixedWidth(field->fontMetrics().horizontalAdvance("2147483647") + 16);
  return field;
}

}  // namespace

bool EditFilter(Monitor& m, QWidget* mainWindow, T_Filter& copy, bool displayFilter) {
  TfmFlt dialog(m, mainWindow, copy, displayFilter ? FilterKind::Display : FilterKind::Log);
  return dialog.exec() == QDialog::Accepted;
}

// ---------------------------------------------------------------- TfmTyp

TfmTyp::TfmTyp(const ConfigState& cs, QWidget* parent, int mode, int32_t current)
    : QlxsDialog(cs, parent, 0, false), mode_(mode) {
  const PickList p = BuildPickList(cs.AllgVar, mode, current);
  setWindowTitle(Q(p.caption));
  lbTyp_ = new QListWidget(this);
  lbTyp_->setObjectName("lbTyp");
  lbTyp_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  for (const std::string& e : p.entries) lbTyp_->addItem(Q(e));
  // At least the list's usual width, wide enough for the longest name.
  lbTyp_->setMinimumWidth(std::max(kPickListWidth, lbTyp_->sizeHintForColumn(0) + 2 * lbTyp_->frameWidth() +
                                                       lbTyp_->verticalScrollBar()->sizeHint().width() + 4));
  lbTyp_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  lbTyp_->setMinimumHeight(lbTyp_->sizeHintForRow(0) * 20);
  if (p.selected >= 0) {
    lbTyp_->setCurrentRow(p.selected);
    lbTyp_->scrollToItem(lbTyp_->currentItem(), QAbstractItemView::PositionAtCenter);
  } else {
    lbTyp_->setCurrentRow(-1);
    lbTyp_->clearSelection();
  }
  connect(lbTyp_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  AddComponent(lbTyp_, 0);
  hintLine()->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbTyp_);
  layout->addLayout(ButtonRow());
  okButton()->setDefault(true);
  lbTyp_->setFocus();
}

std::optional<int32_t> TfmTyp::chosen() const {
  if (lbTyp_->selectedItems().isEmpty()) return std::nullopt;
  return PickedCode(cs_.AllgVar, mode_, lbTyp_->currentRow());
}

// ---------------------------------------------------------------- TfmFlt

TfmFlt::TfmFlt(Monitor& m, QWidget* mainWindow, T_Filter& copy, FilterKind which)
    : QlxsDialog(m, mainWindow, FilterHelpTopic(which), true), m_(m), target_(copy), work_(copy) {
  setWindowTitle(T(FilterCaptionText(which)));
  layouts_ = FilterRows(m.AllgVar, m.AllgPar);
  span_ = SpanOfLog(m, m.clock.LocalNow());
  Build();
  Fill();
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) { FocusMoved(old, now); });
  PlaceWhenShown(kDialogTopBelowMain);
  RestoreFocus(work_.ilo);
}

TfmFlt::~TfmFlt() {
  // Closing moves the focus out of the dialog, which would validate the
  // field left and update the hints after these members are gone.
  disconnect(qApp, nullptr, this, nullptr);
  for (QLineEdit* f : {ip_.w1, ip_.w2}) f->disconnect(this);
  for (const RowControls& c : rows_)
    for (QLineEdit* f : {c.w1, c.w2}) f->disconnect(this);
}

void TfmFlt::Build() {
  const T_AllgVar& v = m_.AllgVar;
  auto* outer = new QVBoxLayout(this);

  // Time bounds.
  auto* times = new QGridLayout;
  const auto timeRow = [&](int r, int text, QCheckBox*& check, QDateEdit*& date, QTimeEdit*& time) {
    check = new QCheckBox(T(text), this);
    date = new QDateEdit(this);
    date->setCalendarPopup(true);
    date->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    time = new QTimeEdit(this);
    time->setDisplayFormat("HH:mm:ss");
    times->addWidget(check, r, 0);
    times->addWidget(date, r, 1);
    times->addWidget(time, r, 2);
    AddComponent(check, kTextGeneralHint);
    AddComponent(date, kTextDateHint);
    AddComponent(time, kTextTimeHint);
  };
  timeRow(0, kTextFilterFrom, chbVon_, dtVon_, tmVon_);
  timeRow(1, kTextFilterTo, chbBis_, dtBis_, tmBis_);
  times->setColumnStretch(3, 1);
  outer->addLayout(times);

  // Status, source and class.
  auto* lists = new QHBoxLayout;
  const auto checkList = [&](int label, int items) {
    auto* column = new QVBoxLayout;
    auto* caption = new QLabel(T(label), this);
    QListWidget* list = CheckList(this, v, items);
    caption->setBuddy(list);
    column->addWidget(caption);
    column->addWidget(list);
    column->addStretch(1);
    lists->addLayout(column);
    AddComponent(list, kTextGeneralHint);
    return list;
  };
  chlbStat_ = checkList(kTextFilterStatusLabel, kTextFilterStatusItems);
  chlbTKen_ = checkList(kTextFilterSourceLabel, kTextFilterSourceItems);
  chlbTA_ = checkList(kTextFilterClassLabel, kTextFilterClassItems);
  lists->addStretch(1);
  outer->addLayout(lists);

  // The IPv4 row and the criterion rows.
  auto* grid = new QGridLayout;
  grid->setColumnStretch(5, 1);
  const auto row = [&](int r, const QString& label, QLineEdit* w1, QLineEdit* w2, int fieldHint) {
    RowControls c;
    c.label = new QLabel(label, this);
    c.akt = Box(this, v, kTextFilterStateBox);
    c.w1 = w1;
    c.mod = Box(this, v, kTextFilterModeBox);
    c.w2 = w2;
    c.label->setBuddy(c.akt);
    grid->addWidget(c.label, r, 0);
    grid->addWidget(c.akt, r, 1);
    grid->addWidget(c.w1, r, 2);
    grid->addWidget(c.mod, r, 3);
    grid->addWidget(c.w2, r, 4);
    AddComponent(c.akt, kTextGeneralHint);
    AddComponent(c.w1, fieldHint);
    AddComponent(c.mod, kTextGeneralHint);
    AddComponent(c.w2, fieldHint);
    return c;
  };
  const auto ipField = [this] {
    auto* f = new QLineEdit(this);
    f->setMinimumWidth(f->fontMetrics().horizontalAdvance("255.255.255.255") + 24);
    return f;
  };
  ip_ = row(0, T(kTextFilterIpLabel), ipField(), ipField(), kTextFilterIpHint);
  for (const FilterRowLayout& rowLayout : layouts_) {
    // The fields are watched (F12, right click) as components of the dialog.
    rows_.push_back(row(rowLayout.row, Q(rowLayout.label), ValueField(this), ValueField(this), 0));
  }
  for (QLineEdit* f : {ip_.w1, ip_.w2}) connect(f, &QLineEdit::editingFinished, this, [this] { Validate(); });
  for (const RowControls& c : rows_)
    for (QLineEdit* f : {c.w1, c.w2}) connect(f, &QLineEdit::editingFinished, this, [this] { Validate(); });
  outer->addLayout(grid);
  outer->addStretch(1);

  // Reset, then OK, Cancel and Help.
  btnReset_ = new QPushButton(T(kTextFilterReset), this);
  btnReset_->setAutoDefault(false);
  connect(btnReset_, &QPushButton::clicked, this, [this] { Reset(); });
  QHBoxLayout* buttons = ButtonRow();
  buttons->insertWidget(0, btnReset_);
  AddComponent(btnReset_, kTextGeneralHint);
  outer->addLayout(buttons);
  outer->addWidget(hintLine());

  // The form's pop-up menu: load and save filter files.
  miLoad_ = new QAction(T(kTextFilterLoad), this);
  miLoad_->setShortcut(QKeySequence::Open);
  miSave_ = new QAction(T(kTextFilterSave), this);
  miSave_->setShortcut(QKeySequence::Save);
  connect(miLoad_, &QAction::triggered, this, [this] { Load(); });
  connect(miSave_, &QAction::triggered, this, [this] { Save(); });
  addAction(miLoad_);
  addAction(miSave_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  // The same two as buttons beside Reset, so that they are found.
  int at = 1;
  for (QAction* a : {miLoad_, miSave_}) {
    auto* b = new QPushButton(a->text(), this);
    b->setAutoDefault(false);
    b->setToolTip(a->shortcut().toString(QKeySequence::NativeText));
    connect(b, &QPushButton::clicked, a, &QAction::trigger);
    buttons->insertWidget(at++, b);
  }
}

void TfmFlt::Fill() {
  const FilterForm form = FillFilterForm(work_, rows_.size(), span_, m_.AllgVar.elements);
  chbVon_->setChecked(form.vonein);
  SetDateTime(dtVon_, tmVon_, form.von);
  chbBis_->setChecked(form.bisein);
  SetDateTime(dtBis_, tmBis_, form.bis);
  const bool status[2] = {form.fok, form.ffehl};
  SetChecks(chlbStat_, status, 2);
  SetChecks(chlbTKen_, form.tken.data(), form.tken.size());
  SetChecks(chlbTA_, form.tart.data(), form.tart.size());
  ip_.akt->setCurrentIndex(form.ipAkt);
  ip_.w1->setText(Q(form.ip1));
  ip_.mod->setCurrentIndex(form.ipMod);
  ip_.w2->setText(Q(form.ip2));
  for (size_t i = 0; i < rows_.size(); ++i) {
    const FilterFormRow& r = form.rows[i];
    rows_[i].akt->setCurrentIndex(r.akt);
    rows_[i].w1->setText(Q(r.w1));
    rows_[i].mod->setCurrentIndex(r.mod);
    rows_[i].w2->setText(Q(r.w2));
  }
  for (QLineEdit* f : {ip_.w1, ip_.w2}) MarkError(f, false);
  for (const RowControls& c : rows_)
    for (QLineEdit* f : {c.w1, c.w2}) MarkError(f, false);
}

FilterForm TfmFlt::Form() const {
  FilterForm form;
  form.vonein = chbVon_->isChecked();
  form.von = DateTimeOf(dtVon_, tmVon_);
  form.bisein = chbBis_->isChecked();
  form.bis = DateTimeOf(dtBis_, tmBis_);
  const auto status = Checks<2>(chlbStat_);
  form.fok = status[0];
  form.ffehl = status[1];
  form.tken = Checks<2>(chlbTKen_);
  form.tart = Checks<5>(chlbTA_);
  form.ipAkt = ip_.akt->currentIndex();
  form.ipMod = ip_.mod->currentIndex();
  form.ip1 = ip_.w1->text().toStdString();
  form.ip2 = ip_.w2->text().toStdString();
  for (const RowControls& c : rows_)
    form.rows.push_back(
        {c.akt->currentIndex(), c.w1->text().toStdString(), c.mod->currentIndex(), c.w2->text().toStdString()});
  return form;
}

bool TfmFlt::Validate() {
  const auto bad = InvalidFilterFields(Form(), layouts_, m_.AllgVar.elements);
  const auto isBad = [&](int row, int field) {
    return std::find(bad.begin(), bad.end(), FilterFieldRef{row, field}) != bad.end();
  };
  MarkError(ip_.w1, isBad(kIpRow, 1));
  MarkError(ip_.w2, isBad(kIpRow, 2));
  for (size_t i = 0; i < rows_.size(); ++i) {
    MarkError(rows_[i].w1, isBad(static_cast<int>(i) + 1, 1));
    MarkError(rows_[i].w2, isBad(static_cast<int>(i) + 1, 2));
  }
  return bad.empty();
}

bool TfmFlt::ReadBack() {
  return ReadFilterForm(Form(), layouts_, m_.AllgVar.elements, m_.AllgPar, rememberedIndex(), work_);
}

void TfmFlt::accept() {
  if (!Validate() || !ReadBack()) return;
  target_ = work_;
  QDialog::accept();
}

void TfmFlt::Reset() {
  ResetFilter(work_, m_.AllgPar);
  Fill();
}

QString TfmFlt::ChooseFile(bool save) {
  return qlxs::ChooseFile(this, FilterFileDialogText(m_.AllgVar, save), save, FilterFileStartPath(m_.AllgVar));
}

void TfmFlt::Load() {
  const QString path = ChooseFile(false);
  if (path.isEmpty()) return;
  if (LoadFilterFile(m_, path.toStdString(), work_)) Fill();
}

void TfmFlt::Save() {
  if (!Validate()) return;
  const QString path = ChooseFile(true);
  if (path.isEmpty() || !ReadBack()) return;
  SaveFilterFile(m_, path.toStdString(), work_);
}

bool TfmFlt::OpenPickList(QLineEdit* field) {
  int mode = kPickNone;
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].w1 == field || rows_[i].w2 == field) mode = layouts_[i].pickMode;
  if (mode == kPickNone) return false;
  TfmTyp pick(m_, this, mode, field->text().trimmed().toInt());
  pick.adjustSize();
  pick.move(PickListLeft(field->mapToGlobal(QPoint(0, 0)).x(), pick.frameGeometry().width()),
            frameGeometry().top() + kPickListTopBelowDialog);
  if (pick.exec() != QDialog::Accepted) return false;
  const std::optional<int32_t> code = pick.chosen();
  if (!code) return false;
  field->setText(QString::number(*code));
  field->setFocus(Qt::OtherFocusReason);
  Validate();
  return true;
}

bool TfmFlt::eventFilter(QObject* watched, QEvent* e) {
  if (auto* field = qobject_cast<QLineEdit*>(watched)) {
    const bool f12 = e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F12 &&
                     static_cast<QKeyEvent*>(e)->modifiers() == Qt::NoModifier;
    if (f12 || e->type() == QEvent::ContextMenu) {
      // Only the type and cause fields watch for these.
      bool pickField = false;
      for (size_t i = 0; i < rows_.size(); ++i)
        if ((rows_[i].w1 == field || rows_[i].w2 == field) && layouts_[i].pickMode != kPickNone) pickField = true;
      if (pickField) {
        OpenPickList(field);
        return true;
      }
    }
  }
  return QlxsDialog::eventFilter(watched, e);
}

void TfmFlt::FocusMoved(QWidget* old, QWidget* now) {
  // A check list highlights its first item while it has the focus.
  for (QListWidget* list : {chlbStat_, chlbTKen_, chlbTA_}) {
    if (old == list) list->setCurrentRow(-1);
    if (now == list && list->currentRow() < 0) list->setCurrentRow(0);
  }
  // Value fields show their range (and the pick list) in the status line.
  for (size_t i = 0; i < rows_.size(); ++i)
    if (now == rows_[i].w1 || now == rows_[i].w2) hintLine()->setText(Q(layouts_[i].hint));
}

}  // namespace qlxs
