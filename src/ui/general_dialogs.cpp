#include "ui/general_dialogs.h"

#include <algorithm>
#include <vector>

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "app/dialog_rules.h"
#include "app/general_settings.h"
#include "app/monitor.h"
#include "config/dialog_texts.h"
#include "model/version.h"
#include "platform/file_system.h"
#include "ui/qt_text.h"

namespace qlxs {

namespace {


// An entry field whose Up and Down keys step the maximum log size.
class StepEdit final : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) {
      setText(Q(StepMaxLog(text().toStdString(), e->key() == Qt::Key_Up ? 1 : -1)));
      return;
    }
    QLineEdit::keyPressEvent(e);
  }
};

// Room for `chars` average characters in an entry field.
void SetWidthInChars(QLineEdit* e, int chars) {
  e->setMinimumWidth(e->fontMetrics().averageCharWidth() * chars + 16);
}

// The label text of an entry field without its mnemonic marker, for titles.
QString WithoutMnemonic(QString s) { return s.remove(QRegularExpression("&(?!&)")); }

}  // namespace

QValidator::State StructureValidator::validate(QString& input, int&) const {
  const std::optional<std::string> masked = StructureMask(input.toStdString());
  if (!masked) return Invalid;
  input = Q(*masked);
  return Acceptable;
}

// ---------------------------------------------------------------- TfmAlg

TfmAlg::TfmAlg(Monitor& m, QWidget* mainWindow, const T_AllgPar& ap, const std::string& dataDir, int controlBarHeight)
    : QlxsDialog(m, mainWindow, kHelpGeneral, true), m_(m), controlBarHeight_(controlBarHeight) {
  setWindowTitle(T(kTextGeneralCaption));
  const T_AllgVar& v = m.AllgVar;
  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  int row = 0;
  const auto addField = [&](QLineEdit* field, int n, QWidget* extra) {
    const EntryFieldCaption c = EntryFieldText(v, n);
    auto* label = new QLabel(Q(c.label), this);
    label->setBuddy(field);
    field->setTextMargins(c.margin, 0, c.margin, 0);
    grid->addWidget(label, row, 0);
    if (extra) {
      auto* line = new QHBoxLayout;
      line->addWidget(field, 1);
      line->addWidget(extra);
      grid->addLayout(line, row, 1);
    } else {
      grid->addWidget(field, row, 1, Qt::AlignLeft);
    }
    ++row;
    return c.hint;
  };

  auto* validator = new StructureValidator(this);
  edStatAdr = new QLineEdit(this);
  edObjAdr = new QLineEdit(this);
  for (QLineEdit* e : {edStatAdr, edObjAdr}) {
    e->setValidator(validator);
    SetWidthInChars(e, 16);
  }
  edMw100 = new QLineEdit(this);
  edMw100->setMaxLength(kMw100Chars);
  SetWidthInChars(edMw100, 10);
  edMaxLog = new StepEdit(this);
  edMaxLog->setMaxLength(kMaxLogChars);
  SetWidthInChars(edMaxLog, 10);
  edLogVerz = new QLineEdit(this);
  SetWidthInChars(edLogVerz, 60);
  btnBr = new QPushButton("...", this);
  btnBr->setAutoDefault(false);
  btnBr->setFixedWidth(btnBr->fontMetrics().horizontalAdvance("...") + 24);
  connect(btnBr, &QPushButton::clicked, this, &TfmAlg::Browse);

  AddComponent(edStatAdr, addField(edStatAdr, kTextCaStructure, nullptr));
  AddComponent(edObjAdr, addField(edObjAdr, kTextIoaStructure, nullptr));
  AddComponent(edMw100, addField(edMw100, kTextMw100, nullptr));
  AddComponent(edMaxLog, addField(edMaxLog, kTextMaxLog, nullptr));
  AddComponent(edLogVerz, addField(edLogVerz, kTextDataDir, btnBr));
  AddComponent(btnBr, kTextGeneralHint);

  const GeneralEntries e = GeneralEntriesOf(v, ap, dataDir);
  edStatAdr->setText(Q(e.ca));
  edObjAdr->setText(Q(e.ioa));
  edMw100->setText(Q(e.mw100));
  edMaxLog->setText(Q(e.maxlog));
  edLogVerz->setText(Q(e.dataDir));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addLayout(ButtonRow());
  layout->addWidget(hintLine());
  RestoreFocus(ap.ilo);
}

GeneralEntries TfmAlg::Entries() const {
  return GeneralEntries{edStatAdr->text().toStdString(), edObjAdr->text().toStdString(),
                        edMw100->text().toStdString(), edMaxLog->text().toStdString(),
                        edLogVerz->text().toStdString()};
}

bool TfmAlg::Validate() {
  const GeneralErrors err = CheckGeneralEntries(m_, Entries());
  MarkError(edStatAdr, err.ca);
  MarkError(edObjAdr, err.ioa);
  MarkError(edMw100, err.mw100);
  MarkError(edMaxLog, err.maxlog);
  MarkError(edLogVerz, err.dataDir);
  return !err.any();
}

void TfmAlg::Store(T_AllgPar& ap, std::string& dataDir) const {
  WriteGeneralEntries(m_.AllgVar, Entries(), rememberedIndex(), ap, dataDir);
}

void TfmAlg::Browse() {
  const QString dir = QFileDialog::getExistingDirectory(
      mainWindow_ ? mainWindow_ : this, WithoutMnemonic(T(kTextDataDir)), edLogVerz->text(),
      QFileDialog::ShowDirsOnly);
  if (!dir.isEmpty()) edLogVerz->setText(Q(WithTrailingSlash(dir.toStdString())));
}

void TfmAlg::Place() {
  if (mainWindow_ == nullptr) return;
  const QRect main = mainWindow_->frameGeometry();
  const DialogCorner c =
      GeneralDialogCorner(main.left(), main.top(), main.width(), frameGeometry().width(), controlBarHeight_);
  move(c.left, c.top);
}

bool EditGeneral(Monitor& m, QWidget* mainWindow, T_AllgPar& copy, std::string& dataDir, int controlBarHeight) {
  TfmAlg dialog(m, mainWindow, copy, dataDir, controlBarHeight);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Store(copy, dataDir);
  return true;
}

// ---------------------------------------------------------------- TfmOpt

TfmOpt::TfmOpt(Monitor& m, QWidget* mainWindow) : QlxsDialog(m, mainWindow, kHelpOptions, false), m_(m) {
  setWindowTitle(T(kTextOptionsCaption));
  PlaceWhenShown(kDialogTopBelowMain);
  chlbOpt = new QListWidget(this);
  const int count = OptionCount(m.AllgVar);
  for (int i = 0; i < count; ++i) {
    auto* item = new QListWidgetItem(T(kTextFirstOption + i), chlbOpt);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(m.PrgPar.opt[i] ? Qt::Checked : Qt::Unchecked);
  }
  if (count > 0) chlbOpt->setCurrentRow(0);
  // Tall enough for every option without a scroll bar.
  const int rowHeight = count > 0 ? chlbOpt->sizeHintForRow(0) : chlbOpt->fontMetrics().height();
  chlbOpt->setFixedHeight(rowHeight * std::max(count, 1) + 2 * chlbOpt->frameWidth() + 4);
  chlbOpt->setMinimumWidth(chlbOpt->sizeHintForColumn(0) + 2 * chlbOpt->frameWidth() + 24);
  AddComponent(chlbOpt, kTextGeneralHint);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chlbOpt);
  layout->addLayout(ButtonRow());
  layout->addWidget(hintLine());
  // The status line shows the general hint in full.
  hintLine()->setMinimumWidth(hintLine()->fontMetrics().horizontalAdvance(T(kTextGeneralHint)) + 16);
  chlbOpt->setFocus();
}

void TfmOpt::Store() const {
  std::vector<bool> checked;
  for (int i = 0; i < chlbOpt->count(); ++i) checked.push_back(chlbOpt->item(i)->checkState() == Qt::Checked);
  WriteOptions(m_.PrgPar, checked);
}


bool EditOptions(Monitor& m, QWidget* mainWindow) {
  TfmOpt dialog(m, mainWindow);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Store();
  return true;
}

// ---------------------------------------------------------------- TfmInfo

TfmInfo::TfmInfo(Monitor& m, QWidget* mainWindow) : QlxsDialog(m, mainWindow, 0, false) {
  setWindowTitle(T(kTextAboutCaption));
  lbInfo = new QListWidget(this);
  for (const std::string& line : AboutLines(m.AllgVar, ProgramVersion())) {
    auto* item = new QListWidgetItem(Q(line), lbInfo);
    item->setTextAlignment(Qt::AlignHCenter);
    item->setFlags(Qt::ItemIsEnabled);
  }
  QPalette p = lbInfo->palette();
  p.setColor(QPalette::Base, QColor(192, 220, 192));
  lbInfo->setPalette(p);
  lbInfo->setFocusPolicy(Qt::NoFocus);
  lbInfo->setSelectionMode(QAbstractItemView::NoSelection);
  lbInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lbInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lbInfo->setMinimumWidth(lbInfo->sizeHintForColumn(0) + 48);
  lbInfo->setFixedHeight(lbInfo->sizeHintForRow(0) * lbInfo->count() + 2 * lbInfo->frameWidth() + 4);

  auto* ok = new QPushButton(T(kTextOk), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->installEventFilter(this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addStretch(1);

  // The about box has no hints to show.
  hintLine()->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbInfo);
  layout->addLayout(buttons);
  ok->setFocus();
}

void TfmInfo::keyPressEvent(QKeyEvent* e) {
  // A modifier alone (as for switching windows) is not a key press that
  // dismisses the box.
  switch (e->key()) {
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_Meta: case Qt::Key_AltGr:
      QlxsDialog::keyPressEvent(e);
      return;
    default: accept();
  }
}

bool TfmInfo::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(e));
    return true;
  }
  return QlxsDialog::eventFilter(watched, e);
}

void ShowAbout(Monitor& m, QWidget* mainWindow) {
  TfmInfo dialog(m, mainWindow);
  dialog.exec();
}

}  // namespace qlxs
