#include "ui/print_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialog_rules.h"
#include "app/monitor.h"
#include "config/dialog_texts.h"
#include "config/message_box.h"
#include "model/text_table.h"
#include "ui/qt_canvas.h"
#include "ui/qt_printer_output.h"
#include "ui/qt_text.h"

namespace qlxs {

namespace {

constexpr int kHelpTopic = 1100;
constexpr int kTextCaption = 1312;
constexpr int kTextOutput = 1313;
constexpr int kTextOutputItems = 1314;
constexpr int kTextCurrentLog = 1315;
constexpr int kTextPrinter = 1316;
constexpr int kTextFile = 1317;
constexpr int kTextHint = 1319;  // three lines, 1319 .. 1321
constexpr int kTextRunning = 1190;
constexpr int kTextFileHint = 876;
constexpr int kTextLogExtension = 1200;
constexpr int kTextPdfFile = 1713;
constexpr int kTextColours = 1714;


}  // namespace

void PrintCommand(Monitor& m, QWidget* mainWindow) {
  TfmDruk d(m, mainWindow);
  d.PlaceWhenShown(kDialogTopBelowMain);
  if (d.exec() == QDialog::Accepted) StorePrintChoices(m.PrgPar, d.choices());
}

TfmDruk::TfmDruk(Monitor& m, QWidget* mainWindow) : QlxsDialog(m, mainWindow, kHelpTopic, false), m_(m) {
  setWindowTitle(T(kTextCaption));
  auto* layout = new QVBoxLayout(this);

  auto* group = new QGroupBox(T(kTextOutput), this);
  auto* row = new QHBoxLayout(group);
  const std::vector<std::string> items = SplitCommaList(Text(m.AllgVar, kTextOutputItems));
  for (int i = 0; i < 3; ++i) {
    rgrAusg_[i] = new QRadioButton(i < static_cast<int>(items.size()) ? Q(items[i]) : QString(), group);
    row->addWidget(rgrAusg_[i]);
    connect(rgrAusg_[i], &QRadioButton::toggled, this, [this](bool on) {
      if (on) ChoiceChanged();
    });
  }
  row->addStretch(1);
  layout->addWidget(group);

  auto* grid = new QGridLayout;
  pcbDruk_ = new QComboBox(this);
  pcbDruk_->addItem(T(kTextPdfFile));
  for (const QString& name : QPrinterInfo::availablePrinterNames()) pcbDruk_->addItem(name);
  pcbDruk_->setMinimumContentsLength(30);
  auto* lblDruk = new QLabel(T(kTextPrinter), this);
  lblDruk->setBuddy(pcbDruk_);
  grid->addWidget(lblDruk, 0, 0);
  grid->addWidget(pcbDruk_, 0, 1);
  fcbFile_ = new QComboBox(this);
  fcbFile_->setEditable(true);
  fcbFile_->setInsertPolicy(QComboBox::NoInsert);
  fcbFile_->setMinimumContentsLength(30);
  auto* lblFile = new QLabel(T(kTextFile), this);
  lblFile->setBuddy(fcbFile_);
  grid->addWidget(lblFile, 1, 0);
  grid->addWidget(fcbFile_, 1, 1);
  cbFarben_ = new QCheckBox(T(kTextColours), this);
  grid->addWidget(cbFarben_, 2, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);

  lblHinweis_ = new QLabel(T(kTextHint) + '\n' + T(kTextHint + 1) + '\n' + T(kTextHint + 2), this);
  lblHinweis_->setWordWrap(false);
  layout->addWidget(lblHinweis_);
  prbrDruk_ = new QProgressBar(this);
  prbrDruk_->setRange(0, 100);
  prbrDruk_->hide();
  layout->addWidget(prbrDruk_);
  layout->addLayout(ButtonRow());
  layout->addWidget(hintLine());

  AddComponent(group, kTextGeneralHint);
  AddComponent(pcbDruk_, kTextGeneralHint);
  AddComponent(fcbFile_, kTextFileHint);
  AddComponent(cbFarben_, kTextGeneralHint);

  const PrintChoices stored = InitialPrintChoices(m.PrgPar, pcbDruk_->count(), 0);
  pcbDruk_->setCurrentIndex(stored.printer);
  connect(pcbDruk_, &QComboBox::currentIndexChanged, this, [this] { ChoiceChanged(); });
  rgrAusg_[stored.choice]->setChecked(true);  // fills the file list
  const int file = InitialPrintChoices(m.PrgPar, pcbDruk_->count(), fcbFile_->count()).file;
  fcbFile_->setCurrentIndex(file);
  if (file < 0) fcbFile_->setEditText(QString());
  connect(fcbFile_, &QComboBox::editTextChanged, this, [this] { MarkError(fcbFile_->lineEdit(), false); });
}

PrintChoices TfmDruk::choices() const {
  return {Choice(), pcbDruk_->currentIndex(), fcbFile_->findText(fcbFile_->currentText())};
}

int TfmDruk::Choice() const {
  for (int i = 0; i < 3; ++i)
    if (rgrAusg_[i]->isChecked()) return i;
  return kPrintTextFile;
}

bool TfmDruk::Pdf() const { return pcbDruk_->currentIndex() == kPdfEntry; }

void TfmDruk::ChoiceChanged() {
  const int choice = Choice();
  const bool printer = choice == kPrintPrinter;
  pcbDruk_->setEnabled(printer);
  cbFarben_->setEnabled(printer);
  fcbFile_->setEnabled(!printer || Pdf());
  const QString mask = Q(PrintFileMask(choice, Pdf()));
  if (mask != mask_) {
    mask_ = mask;
    FillFileList();
  }
}

// The files of the data directory that match the mask; the entry is kept.
void TfmDruk::FillFileList() {
  const QString entered = fcbFile_->currentText();
  fcbFile_->blockSignals(true);
  fcbFile_->clear();
  fcbFile_->addItems(QDir(Q(m_.AllgVar.DataDir)).entryList({mask_}, QDir::Files, QDir::Name));
  fcbFile_->setCurrentIndex(-1);
  fcbFile_->setEditText(entered);
  fcbFile_->blockSignals(false);
}

void TfmDruk::accept() {
  if (running_) return;
  const int choice = Choice();
  QString target;
  if (choice == kPrintPrinter && !Pdf()) {
    target = pcbDruk_->currentText();
  } else {
    const std::string name = PrintTargetName(fcbFile_->currentText().trimmed().toStdString(), choice, Pdf(),
                                             m_.AllgVar.DataDir, Text(m_.AllgVar, kTextLogExtension));
    switch (CheckPrintTarget(name, m_.AllgVar.dtlog)) {
      case PrintTargetCheck::NoName:
        MarkError(fcbFile_->lineEdit(), true);
        fcbFile_->setFocus();
        return;
      case PrintTargetCheck::CurrentLog:
        MessageOkNr(m_, kTextCurrentLog, MsgError);
        fcbFile_->setFocus();
        return;
      case PrintTargetCheck::Ok:
        break;
    }
    if (!MayReplaceOutput(m_, name)) {
      fcbFile_->setFocus();
      return;
    }
    target = Q(name);
  }
  Run(choice, target);
  QlxsDialog::accept();
}

void TfmDruk::Run(int choice, const QString& target) {
  cancelButton()->setFocus();
  okButton()->hide();
  helpButton()->hide();
  for (QWidget* w : {static_cast<QWidget*>(rgrAusg_[0]->parentWidget()), static_cast<QWidget*>(pcbDruk_),
                     static_cast<QWidget*>(fcbFile_), static_cast<QWidget*>(cbFarben_)})
    w->setEnabled(false);
  cancel_ = false;
  running_ = true;
  prbrDruk_->show();
  prbrDruk_->setValue(0);
  hintLine()->setText(T(kTextRunning));  // after the focus moved: the running output's hint stays
  lastTarget_ = target;
  const PrintProgress progress = [this](int percent) { return Progress(percent); };
  const std::string name = target.toStdString();
  if (choice == kPrintPrinter) {
    QPrinter printer(QPrinter::HighResolution);
    if (Pdf()) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(target);
    } else {
      printer.setPrinterName(target);
    }
    printer.setDocName(Q(m_.AllgVar.dtlog));
    QtPrinterOutput out(printer, cbFarben_->isChecked(), DesktopSystemColours());
    lastResult_ = RunPrint(m_, choice, name, &out, progress);
  } else {
    lastResult_ = RunPrint(m_, choice, name, nullptr, progress);
  }
  running_ = false;
}

bool TfmDruk::Progress(int percent) {
  if (prbrDruk_->value() != percent) prbrDruk_->setValue(percent);
  QCoreApplication::processEvents();
  return cancel_;
}

void TfmDruk::reject() {
  if (running_) {
    cancel_ = true;
    return;
  }
  QlxsDialog::reject();
}

}  // namespace qlxs
