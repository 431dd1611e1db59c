#include "ui/colour_dialogs.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QVBoxLayout>

#include "app/colour_settings.h"
#include "app/dialog_rules.h"
#include "app/monitor.h"
#include "config/dialog_texts.h"
#include "ui/qt_canvas.h"
#include "ui/qt_text.h"

namespace qlxs {

namespace {

// Item data holding the colour of a swatch.
constexpr int kColourRole = Qt::UserRole + 1;

// The largest font size the size list offers; the samples keep room for it.
constexpr int kLargestSampleSize = 16;


QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

Rgb ToRgb(const QColor& c) {
  return {static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}

QFont ViewFont(int pointSize) {
  QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  f.setPointSize(pointSize);
  return f;
}

// An item of a colour list: `colour` filled in, `name` on it at the left.
void PaintSwatch(QPainter& p, const QRect& r, const QString& name, const QColor& colour) {
  p.save();
  p.fillRect(r, colour);
  p.setPen(WhiteTextOn(ToRgb(colour)) ? Qt::white : Qt::black);
  p.drawText(r.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, name);
  p.restore();
}

// The frame that marks the selected item of a list drawn in colours.
void PaintSelectionFrame(QPainter& p, const QRect& r, const QPalette& palette) {
  p.save();
  p.setPen(QPen(palette.color(QPalette::Highlight), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(1, 1, -1, -1));
  p.restore();
}

// Draws the entries of the code list in the colours of their codes.
class CodeItemDelegate : public QStyledItemDelegate {
 public:
  CodeItemDelegate(const T_TypUrsFarben& table, const SystemColours& sys, QObject* parent)
      : QStyledItemDelegate(parent), table_(table), sys_(sys) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const T_FarbIndex shown = CodeItemColours(table_.frb[index.row() & 0xFF]);
    p->save();
    p->fillRect(option.rect, ToQColor(PaletteColour(shown.hg, sys_)));
    p->setPen(ToQColor(PaletteColour(shown.fg, sys_)));
    p->setFont(option.font);
    p->drawText(option.rect.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter,
                index.data(Qt::DisplayRole).toString());
    p->restore();
    if (option.state & QStyle::State_Selected) PaintSelectionFrame(*p, option.rect, option.palette);
  }

 private:
  const T_TypUrsFarben& table_;
  const SystemColours& sys_;
};

// A label whose accelerator moves the focus to `buddy`.
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setBuddy(buddy);
  return l;
}

}  // namespace

// ---------------------------------------------------------------------------
// Drawn colour lists and samples

ColourCombo::ColourCombo(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new SwatchDelegate(this));
  setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void ColourCombo::AddColour(const QString& name, const QColor& colour) {
  addItem(name);
  setItemData(count() - 1, colour, kColourRole);
}

QColor ColourCombo::colourAt(int i) const { return itemData(i, kColourRole).value<QColor>(); }

void ColourCombo::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionComboBox opt;
  initStyleOption(&opt);
  opt.currentText.clear();
  opt.currentIcon = QIcon();
  p.drawComplexControl(QStyle::CC_ComboBox, opt);
  if (currentIndex() < 0) return;
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
  PaintSwatch(p, field, currentText(), colourAt(currentIndex()));
  if (hasFocus()) PaintSelectionFrame(p, field, palette());
}

void SwatchDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  PaintSwatch(*p, option.rect, index.data(Qt::DisplayRole).toString(), index.data(kColourRole).value<QColor>());
  if (option.state & (QStyle::State_Selected | QStyle::State_MouseOver))
    PaintSelectionFrame(*p, option.rect, option.palette);
}

ColourSample::ColourSample(const QString& text, QWidget* parent) : QWidget(parent), line_(text) {
  font_ = ViewFont(10);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ColourSample::SetColours(const QColor& text, const QColor& background) {
  text_ = text;
  background_ = background;
  update();
}

void ColourSample::SetPointSize(int size) {
  font_.setPointSize(size);
  update();
}

QSize ColourSample::sizeHint() const {
  // Room for the line at the largest size, so that the dialog keeps its
  // layout when the size changes.
  const QFontMetrics fm(ViewFont(kLargestSampleSize));
  return {fm.horizontalAdvance(line_) + 8, fm.height() + 4};
}

void ColourSample::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), background_);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setFont(font_);
  p.setPen(text_);
  p.drawText(rect().adjusted(3, 2, -3, -2), Qt::AlignLeft | Qt::AlignTop, line_);
}

// ---------------------------------------------------------------------------
// Telegram size and colours

TelColourDialog::TelColourDialog(const ConfigState& cs, QWidget* mainWindow, const T_TelFarben& tf)
    : QlxsDialog(cs, mainWindow, kHelpTelColours, true), sys_(DesktopSystemColours()), work_(tf) {
  setWindowTitle(T(kTextTelColourCaption));
  const T_AllgVar& v = cs.AllgVar;

  size_ = new QComboBox(this);
  const std::vector<std::string> sizes = FontSizeItems(v);
  for (const std::string& s : sizes) size_->addItem(Q(s));
  size_->setCurrentIndex(FontSizeItemIndex(sizes, tf.schrift));

  const EntryFieldCaption gapText = EntryFieldText(v, kTextGapField);
  gap_ = new QLineEdit(Q(GapFieldText(tf)), this);
  gap_->setMaxLength(5);
  gap_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), gap_));
  gap_->setTextMargins(gapText.margin, 0, 0, 0);
  gap_->setMaximumWidth(gap_->fontMetrics().horizontalAdvance("000000") + 2 * gapText.margin + 12);

  AddComponent(size_, kTextGeneralHint);
  AddComponent(gap_, gapText.hint);

  auto* top = new QGridLayout;
  top->addWidget(BuddyLabel(T(kTextFontSizeLabel), size_, this), 0, 0);
  top->addWidget(size_, 0, 1, Qt::AlignLeft);
  top->addWidget(BuddyLabel(Q(gapText.label), gap_, this), 1, 0);
  top->addWidget(gap_, 1, 1, Qt::AlignLeft);
  top->setColumnStretch(2, 1);

  const std::vector<std::string> names = TelColourListItems(v);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  for (int pair = 1; pair <= kTelColourPairs; ++pair) {
    for (const bool background : {false, true}) {
      auto* list = new ColourCombo(this);
      for (size_t j = 0; j < names.size(); ++j)
        list->AddColour(Q(names[j]), ToQColor(PaletteColour(static_cast<int>(j) + 1, sys_)));
      const T_FarbIndex p = TelColourPair(tf, pair);
      list->setCurrentIndex(TelColourListItem(background ? p.hg : p.fg));
      connect(list, &QComboBox::currentIndexChanged, this,
              [this, pair, background](int item) { ColourChosen(pair, background, item); });
      lists_[static_cast<size_t>(TelColourListControl(pair, background) - TelColourListControl(1, false))] = list;
      AddComponent(list, kTextGeneralHint);
      grid->addWidget(list, pair, background ? 1 : 0);
    }
    auto* sample = new ColourSample(Q(SampleLineText(v, pair)), this);
    samples_[static_cast<size_t>(pair - 1)] = sample;
    grid->addWidget(sample, pair, 2);
    ShowSample(pair);
  }
  grid->addWidget(BuddyLabel(T(kTextTextColourLabel), colourList(1, false), this), 0, 0);
  grid->addWidget(BuddyLabel(T(kTextBackgroundLabel), colourList(1, true), this), 0, 1);
  grid->addWidget(new QLabel(T(kTextSamplesLabel), this), 0, 2);
  grid->setColumnStretch(2, 1);

  connect(size_, &QComboBox::currentIndexChanged, this, [this] {
    for (int pair = 1; pair <= kTelColourPairs; ++pair) ShowSample(pair);
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(6);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addLayout(ButtonRow());
  layout->addWidget(hintLine());

  RestoreFocus(tf.ilo);
  PlaceWhenShown(kDialogTopBelowMain);
}

ColourCombo* TelColourDialog::colourList(int pair, bool background) const {
  return lists_[static_cast<size_t>(TelColourListControl(pair, background) - TelColourListControl(1, false))];
}

T_TelFarben TelColourDialog::Edited() const {
  T_TelFarben tf = work_;
  int32_t gap = tf.leerzl;
  ParseGapField(gap_->text().toStdString(), gap);
  AcceptTelColours(tf, rememberedIndex(), size_->currentText().toStdString(), gap);
  return tf;
}

bool TelColourDialog::Validate() {
  int32_t gap = 0;
  const bool ok = ParseGapField(gap_->text().toStdString(), gap);
  MarkError(gap_, !ok);
  if (!ok) gap_->setFocus(Qt::OtherFocusReason);
  return ok;
}

void TelColourDialog::ColourChosen(int pair, bool background, int item) {
  SetTelColour(work_, pair, background, item);
  ShowSample(pair);
}

void TelColourDialog::ShowSample(int pair) {
  const T_FarbIndex p = TelColourPair(work_, pair);
  ColourSample* s = sample(pair);
  s->SetColours(ToQColor(PaletteColour(p.fg, sys_)), ToQColor(PaletteColour(p.hg, sys_)));
  s->SetPointSize(FontSizeOfItem(size_->currentText().toStdString(), work_.schrift));
}

// ---------------------------------------------------------------------------
// Colours per type and per cause

ColourTableDialog::ColourTableDialog(const ConfigState& cs, QWidget* mainWindow, const T_TypUrsFarben& table,
                                     bool perType)
    : QlxsDialog(cs, mainWindow, perType ? kHelpTypeColours : kHelpCauseColours, true),
      sys_(DesktopSystemColours()), work_(table) {
  const int typeOffset = perType ? 1 : 0;
  setWindowTitle(T(kTextColourTableCaption + typeOffset));
  const T_AllgVar& v = cs.AllgVar;
  const QFont fixed = ViewFont(font().pointSize() > 0 ? font().pointSize() : 10);

  codes_ = new QListWidget(this);
  codes_->setFont(fixed);
  codes_->setItemDelegate(new CodeItemDelegate(work_, sys_, codes_));
  codes_->setUniformItemSizes(true);
  const QFontMetrics fm(fixed);
  int widest = 0;
  for (int code = 0; code <= 255; ++code) {
    const QString item = Q(ColourCodeItem(v, code, perType));
    widest = std::max(widest, fm.horizontalAdvance(item));
    codes_->addItem(item);
  }
  codes_->setMinimumWidth(widest + 16 + codes_->verticalScrollBar()->sizeHint().width());
  codes_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  codes_->setMinimumHeight(fm.height() * 22);

  const std::vector<std::string> names = PaletteListItems(v);
  for (ColourCombo** list : {&fg_, &hg_}) {
    *list = new ColourCombo(this);
    (*list)->setFont(fixed);
    for (size_t i = 0; i < names.size(); ++i)
      (*list)->AddColour(Q(names[i]), ToQColor(PaletteColour(static_cast<int>(i), sys_)));
    (*list)->setMaxVisibleItems(kPaletteSize);
  }
  AddComponent(codes_, kTextGeneralHint);
  AddComponent(fg_, kTextGeneralHint);
  AddComponent(hg_, kTextGeneralHint);

  connect(codes_, &QListWidget::currentRowChanged, this, [this](int row) { CodeSelected(row); });
  connect(fg_, &QComboBox::currentIndexChanged, this, [this](int item) { ColourChosen(false, item); });
  connect(hg_, &QComboBox::currentIndexChanged, this, [this](int item) { ColourChosen(true, item); });

  auto* colours = new QVBoxLayout;
  colours->addWidget(BuddyLabel(T(kTextTableTextColour), fg_, this));
  colours->addWidget(fg_);
  colours->addSpacing(8);
  colours->addWidget(BuddyLabel(T(kTextTableBackground), hg_, this));
  colours->addWidget(hg_);
  colours->addStretch(1);

  auto* grid = new QGridLayout;
  grid->addWidget(BuddyLabel(T(kTextCodeListLabel + typeOffset), codes_, this), 0, 0);
  grid->addWidget(codes_, 1, 0);
  grid->addLayout(colours, 1, 1);
  grid->setColumnStretch(0, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(ButtonRow());
  layout->addWidget(hintLine());

  // The selected code with its colours, and the focus in the code list
  // unless the dialog remembers another control.
  const int code = CodeToSelect(table);
  {
    const QSignalBlocker block(codes_);
    codes_->setCurrentRow(code);
  }
  CodeSelected(code);
  codes_->scrollToItem(codes_->item(code), QAbstractItemView::PositionAtCenter);
  codes_->setFocus(Qt::OtherFocusReason);
  RestoreFocus(table.ilo);
  PlaceWhenShown(kDialogTopBelowMain);
}

T_TypUrsFarben ColourTableDialog::Edited() const {
  T_TypUrsFarben t = work_;
  t.ilo = rememberedIndex();
  return t;
}

void ColourTableDialog::CodeSelected(int code) {
  SelectCode(work_, code);
  const T_FarbIndex p = work_.frb[CodeToSelect(work_)];
  const QSignalBlocker blockFg(fg_);
  const QSignalBlocker blockHg(hg_);
  fg_->setCurrentIndex(PaletteListItem(p.fg));
  hg_->setCurrentIndex(PaletteListItem(p.hg));
}

void ColourTableDialog::ColourChosen(bool background, int item) {
  SetCodeColour(work_, background, item);
  codes_->viewport()->update();
}

// ---------------------------------------------------------------------------
// Entry points

bool EditTelegramColours(Monitor& m, QWidget* mainWindow, T_TelFarben& copy) {
  TelColourDialog d(m, mainWindow, copy);
  if (d.exec() != QDialog::Accepted) return false;
  copy = d.Edited();
  return true;
}

bool EditColourTable(Monitor& m, QWidget* mainWindow, bool causes) {
  T_TypUrsFarben& table = causes ? m.PrgPar.frburs : m.PrgPar.frbtyp;
  ColourTableDialog d(m, mainWindow, table, !causes);
  if (d.exec() != QDialog::Accepted) return false;
  return CopyBackWhenChanged(table, d.Edited());
}

}  // namespace qlxs
