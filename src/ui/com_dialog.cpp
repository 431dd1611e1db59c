#include "ui/com_dialog.h"

#include <algorithm>
#include <iterator>

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/dialog_rules.h"
#include "app/monitor.h"
#include "config/dialog_texts.h"
#include "ui/qt_text.h"

namespace qlxs {

namespace {
// The port record counts the dialog's components from 0 (the first label),
// as settings files and log headers from elsewhere do; the dialog base
// counts them from 1 and keeps 0 for "nothing remembered".
constexpr int kFirstComponent = 1;
}  // namespace


namespace {


QLabel* Label(QWidget* parent, const std::string& text, QWidget* buddy, const char* name) {
  auto* l = new QLabel(Q(text), parent);
  l->setObjectName(name);
  if (buddy) l->setBuddy(buddy);
  return l;
}

QComboBox* Combo(QWidget* parent, const ComboCaption& c, const char* name) {
  auto* cb = new QComboBox(parent);
  cb->setObjectName(name);
  for (const std::string& item : c.items) cb->addItem(Q(item));
  cb->setCurrentIndex(c.selected);
  return cb;
}

QLineEdit* NumberField(QWidget* parent, const char* name) {
  auto* ed = new QLineEdit(parent);
  ed->setObjectName(name);
  ed->setAlignment(Qt::AlignRight);
  ed->setMaxLength(6);
  ed->setValidator(new QRegularExpressionValidator(QRegularExpression(" *[0-9]* *"), ed));
  ed->setFixedWidth(ed->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
  return ed;
}

}  // namespace

TfmCom::TfmCom(Monitor& m, QWidget* mainWindow, const T_ComVar& first, const std::string& byIdDir)
    : QlxsDialog(m, mainWindow, kHelpPortDialog, true), m_(m), items_(ComItems(m, ListSerialDevices(byIdDir))) {
  const T_AllgVar& v = m.AllgVar;
  setWindowTitle(T(kTextPortDialogCaption));

  const EntryFieldCaption logText = EntryFieldText(v, kTextLogTextField);
  const EntryFieldCaption fieldTexts[kPortFieldCount] = {
      EntryFieldText(v, kTextFrameLengthField), EntryFieldText(v, kTextRecvTimeoutField),
      EntryFieldText(v, kTextSyncTimeoutField), EntryFieldText(v, kTextTcpPortField)};
  const ComboCaption com = ComboBoxText(v, kTextComCombo), baud = ComboBoxText(v, kTextBaudCombo),
                     pari = ComboBoxText(v, kTextParityCombo), data = ComboBoxText(v, kTextDataBitsCombo),
                     stop = ComboBoxText(v, kTextStopBitsCombo);
  const CheckListCaption lines = CheckListBoxText(v, kTextModemLineItems);

  // Controls.
  sfLogText_ = new QLineEdit(this);
  sfLogText_->setObjectName("sfLogText");
  sfLogText_->setMaxLength(83);
  cbCom_ = Combo(this, com, "cbCom");
  cbCom2_ = Combo(this, com, "cbCom2");
  for (QComboBox* cb : {cbCom_, cbCom2_}) {
    cb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cb->setMinimumContentsLength(32);
  }
  cbBaud_ = Combo(this, baud, "cbBaud");
  cbPari_ = Combo(this, pari, "cbPari");
  cbData_ = Combo(this, data, "cbData");
  cbStop_ = Combo(this, stop, "cbStop");
  const char* fieldNames[kPortFieldCount] = {"edTLg", "edToEmpf", "edToSyn", "edPort"};
  for (int f = 0; f < kPortFieldCount; ++f) fields_[f] = NumberField(this, fieldNames[f]);
  chlbAend_ = new QListWidget(this);
  chlbAend_->setObjectName("chlbAend");
  chlbAend_->setFlow(QListView::LeftToRight);
  chlbAend_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  chlbAend_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  chlbAend_->setSpacing(2);
  for (const std::string& item : lines.items) {
    auto* it = new QListWidgetItem(Q(item), chlbAend_);
    it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    it->setCheckState(Qt::Unchecked);
  }
  chlbAend_->setFixedHeight(chlbAend_->sizeHintForRow(0) + 2 * chlbAend_->frameWidth() + 6);

  QLabel* lblAend = Label(this, LabelText(v, kTextModemLinesLabel).caption, chlbAend_, "lblAend");
  QLabel* lblBaud = Label(this, baud.label, cbBaud_, "lblBaud");
  QLabel* lblTeLg = Label(this, fieldTexts[FieldFrameLength].label, fields_[FieldFrameLength], "lblTeLg");
  QLabel* lblToEmpf = Label(this, fieldTexts[FieldRecvTimeout].label, fields_[FieldRecvTimeout], "lblToEmpf");
  QLabel* lblCom = Label(this, com.label, cbCom_, "lblCom");
  QLabel* lblLogText = Label(this, logText.label, sfLogText_, "lblLogText");
  QLabel* lblData = Label(this, data.label, cbData_, "cbDataLabel1");
  QLabel* lblToSyn = Label(this, fieldTexts[FieldSyncTimeout].label, fields_[FieldSyncTimeout], "lblToSyn");
  QLabel* lblPort = Label(this, fieldTexts[FieldTcpPort].label, fields_[FieldTcpPort], "lblPort");
  QLabel* lblPari = Label(this, pari.label, cbPari_, "lblPari");
  QLabel* lblStop = Label(this, stop.label, cbStop_, "lblStop");

  // Layout: log text and the two COM lists across, then the line settings
  // on the left and the times and the TCP port on the right, then the
  // watched modem lines.
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->addWidget(lblLogText, 0, 0);
  grid->addWidget(sfLogText_, 0, 1, 1, 3);
  grid->addWidget(lblCom, 1, 0);
  grid->addWidget(cbCom_, 1, 1, 1, 3);
  grid->addWidget(cbCom2_, 2, 1, 1, 3);
  grid->addWidget(lblBaud, 3, 0);
  grid->addWidget(cbBaud_, 3, 1);
  grid->addWidget(lblPari, 4, 0);
  grid->addWidget(cbPari_, 4, 1);
  grid->addWidget(lblData, 5, 0);
  grid->addWidget(cbData_, 5, 1);
  grid->addWidget(lblStop, 6, 0);
  grid->addWidget(cbStop_, 6, 1);
  QLabel* fieldLabels[kPortFieldCount] = {lblTeLg, lblToEmpf, lblToSyn, lblPort};
  for (int f = 0; f < kPortFieldCount; ++f) {
    grid->addWidget(fieldLabels[f], 3 + f, 2);
    grid->addWidget(fields_[f], 3 + f, 3);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnMinimumWidth(1, cbBaud_->sizeHint().width() + 12);

  auto* outer = new QVBoxLayout(this);
  outer->addLayout(grid);
  auto* linesRow = new QHBoxLayout;
  linesRow->addWidget(lblAend);
  linesRow->addWidget(chlbAend_, 1);
  outer->addLayout(linesRow);
  outer->addSpacing(6);
  outer->addLayout(ButtonRow());
  outer->addWidget(hintLine());

  // The component list; its positions are what `ilo` remembers.
  AddComponent(lblAend, 0);
  AddComponent(lblBaud, 0);
  AddComponent(lblTeLg, 0);
  AddComponent(lblToEmpf, 0);
  AddComponent(lblCom, 0);
  AddComponent(lblLogText, 0);
  AddComponent(lblData, 0);
  AddComponent(lblToSyn, 0);
  AddComponent(lblPort, 0);
  AddComponent(chlbAend_, lines.hint);
  AddComponent(cbBaud_, baud.hint);
  AddComponent(fields_[FieldFrameLength], fieldTexts[FieldFrameLength].hint);
  AddComponent(fields_[FieldRecvTimeout], fieldTexts[FieldRecvTimeout].hint);
  AddComponent(cbCom_, com.hint);
  AddComponent(cbPari_, pari.hint);
  AddComponent(cbData_, data.hint);
  AddComponent(cbStop_, stop.hint);
  AddComponent(sfLogText_, logText.hint);
  AddComponent(okButton(), kTextGeneralHint);
  AddComponent(cancelButton(), kTextGeneralHint);
  AddComponent(helpButton(), kTextGeneralHint);
  AddComponent(hintLine(), 0);
  AddComponent(cbCom2_, com.hint);
  AddComponent(fields_[FieldSyncTimeout], fieldTexts[FieldSyncTimeout].hint);
  AddComponent(fields_[FieldTcpPort], fieldTexts[FieldTcpPort].hint);

  QWidget* order[] = {sfLogText_, cbCom_, cbCom2_, cbBaud_, cbPari_, cbData_, cbStop_,
                      fields_[0], fields_[1], fields_[2], fields_[3], chlbAend_,
                      okButton(), cancelButton(), helpButton()};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  // Loading.
  const PortEntries e = LoadPortEntries(first.bp, m.ports[1].bp.cnr, items_,
                                        {cbBaud_->count(), cbPari_->count(), cbData_->count(), cbStop_->count()});
  sfLogText_->setText(Q(e.logtxt));
  FillComList(cbCom_, e.com1);
  FillComList(cbCom2_, e.com2);
  cbBaud_->setCurrentIndex(e.baud);
  cbPari_->setCurrentIndex(e.pari);
  cbData_->setCurrentIndex(e.data);
  cbStop_->setCurrentIndex(e.stop);
  for (int f = 0; f < kPortFieldCount; ++f) fields_[f]->setText(Q(e.fields[static_cast<size_t>(f)]));
  for (int i = 0; i < chlbAend_->count() && i < static_cast<int>(e.lines.size()); ++i)
    chlbAend_->item(i)->setCheckState(e.lines[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked);
  ilo_ = e.ilo;
}

void TfmCom::FillComList(QComboBox* cb, int selected) {
  cb->clear();
  int widest = 0;
  for (const ComItem& item : items_) {
    cb->addItem(Q(item.text));
    widest = std::max(widest, cb->fontMetrics().horizontalAdvance(Q(item.text)));
  }
  cb->view()->setMinimumWidth(widest + 40);
  cb->setCurrentIndex(selected);
}

PortEntries TfmCom::Entries() const {
  PortEntries e;
  e.logtxt = sfLogText_->text().toStdString();
  e.com1 = cbCom_->currentIndex();
  e.com2 = cbCom2_->currentIndex();
  e.baud = cbBaud_->currentIndex();
  e.pari = cbPari_->currentIndex();
  e.data = cbData_->currentIndex();
  e.stop = cbStop_->currentIndex();
  for (int f = 0; f < kPortFieldCount; ++f) e.fields[static_cast<size_t>(f)] = fields_[f]->text().toStdString();
  for (int i = 0; i < chlbAend_->count() && i < static_cast<int>(e.lines.size()); ++i)
    e.lines[static_cast<size_t>(i)] = chlbAend_->item(i)->checkState() == Qt::Checked;
  e.ilo = rememberedIndex() - kFirstComponent;
  return e;
}

void TfmCom::ApplySamePortRule() {
  cbCom2_->setCurrentIndex(SecondComItem(items_, cbCom_->currentIndex(), cbCom2_->currentIndex()));
}

bool TfmCom::Validate() {
  ApplySamePortRule();
  const PortEntries e = Entries();
  const std::vector<PortField> bad = InvalidFields(e);
  for (int f = 0; f < kPortFieldCount; ++f)
    MarkError(fields_[f], std::find(bad.begin(), bad.end(), static_cast<PortField>(f)) != bad.end());
  if (!bad.empty()) {
    fields_[bad.front()]->setFocus(Qt::OtherFocusReason);
    fields_[bad.front()]->selectAll();
    return false;
  }
  if (!EnterNewDevices(m_, items_, e)) return false;
  for (QComboBox* cb : {cbCom_, cbCom2_})
    for (int i = 0; i < cb->count() && i < static_cast<int>(items_.size()); ++i)
      cb->setItemText(i, Q(items_[static_cast<size_t>(i)].text));
  return true;
}

bool TfmCom::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::FocusOut && (watched == cbCom_ || watched == cbCom2_) &&
      static_cast<QFocusEvent*>(e)->reason() != Qt::PopupFocusReason) {
    ApplySamePortRule();
  } else if (watched == chlbAend_ && e->type() == QEvent::FocusIn) {
    chlbAend_->setCurrentRow(0);
  } else if (watched == chlbAend_ && e->type() == QEvent::FocusOut) {
    chlbAend_->clearSelection();
  }
  return QlxsDialog::eventFilter(watched, e);
}

void TfmCom::showEvent(QShowEvent* e) {
  QlxsDialog::showEvent(e);
  if (focusRestored_) return;
  focusRestored_ = true;
  RestoreFocus(ilo_ + kFirstComponent);
}

bool RunPortDialog(Monitor& m, QWidget* mainWindow, T_ComVar& copy, const std::string& byIdDir) {
  TfmCom d(m, mainWindow, copy, byIdDir);
  d.PlaceWhenShown(kDialogTopBelowMain);
  if (d.exec() != QDialog::Accepted) return false;
  SavePortEntries(m, d.Entries(), d.items(), copy);
  return true;
}

}  // namespace qlxs
