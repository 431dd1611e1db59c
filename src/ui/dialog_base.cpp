#include "ui/dialog_base.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "app/dialog_rules.h"
#include "config/config_state.h"
#include "config/dialog_texts.h"
#include "model/text_table.h"
#include "ui/help_browser.h"

namespace qlxs {

QlxsDialog::QlxsDialog(const ConfigState& cs, QWidget* mainWindow, int helpTopic, bool enterMovesFocus)
    : QDialog(mainWindow), cs_(cs), mainWindow_(mainWindow), helpTopic_(helpTopic),
      enterMovesFocus_(enterMovesFocus) {
  components_.push_back(this);
  hints_.push_back(0);
  hintLine_ = new QLabel(this);
  hintLine_->setFrameShape(QFrame::StyledPanel);
  hintLine_->setFrameShadow(QFrame::Sunken);
  hintLine_->setMinimumHeight(hintLine_->fontMetrics().height() + 6);
  hintLine_->setObjectName("hintLine");
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
}

QlxsDialog::~QlxsDialog() {
  // Closing the window moves the focus once more; the lists are gone by then.
  disconnect(qApp, nullptr, this, nullptr);
}

QString QlxsDialog::T(int n) const { return QString::fromStdString(Text(cs_.AllgVar, n)); }

int QlxsDialog::AddComponent(QWidget* control, int hint) {
  components_.push_back(control);
  hints_.push_back(hint);
  // Enter on an entry field of a combo box or a spin box arrives at the
  // field itself; the filter sees it first.
  if (enterMovesFocus_) control->installEventFilter(this);
  return static_cast<int>(components_.size()) - 1;
}

QWidget* QlxsDialog::component(int i) const {
  return i >= 0 && i < componentCount() ? components_[static_cast<size_t>(i)] : nullptr;
}

void QlxsDialog::RestoreFocus(int ilo) {
  const int i = FocusIndexToRestore(ilo, componentCount(), [this](int k) {
    const QWidget* w = components_[static_cast<size_t>(k)];
    return w->isEnabled() && w->focusPolicy() != Qt::NoFocus && !w->isHidden();
  });
  if (i < 0) return;
  components_[static_cast<size_t>(i)]->setFocus(Qt::OtherFocusReason);
  remembered_ = i;
}

QHBoxLayout* QlxsDialog::ButtonRow() {
  if (buttonRow_) return buttonRow_;
  buttonRow_ = new QHBoxLayout;
  buttonRow_->addStretch(1);
  ok_ = new QPushButton(T(kTextOk), this);
  ok_->setDefault(!enterMovesFocus_);
  ok_->setAutoDefault(false);
  cancel_ = new QPushButton(T(kTextCancel), this);
  cancel_->setAutoDefault(false);
  buttonRow_->addWidget(ok_);
  buttonRow_->addWidget(cancel_);
  connect(ok_, &QPushButton::clicked, this, &QlxsDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  if (helpTopic_ != 0) {
    help_ = new QPushButton(T(kTextHelp), this);
    help_->setAutoDefault(false);
    buttonRow_->addWidget(help_);
    connect(help_, &QPushButton::clicked, this, [this] { ShowHelp(); });
  }
  return buttonRow_;
}

void QlxsDialog::PlaceBeside(int topBelowMain) {
  if (mainWindow_ == nullptr) return;
  adjustSize();
  const QRect main = mainWindow_->frameGeometry();
  const QScreen* screen = mainWindow_->screen();
  const int screenWidth = screen ? screen->availableGeometry().right() + 1 : main.right() + width();
  const int left = DialogLeftBeside(main.left(), main.width(), screenWidth, frameGeometry().width());
  move(left, topBelowMain >= 0 ? main.top() + topBelowMain : y());
}

void QlxsDialog::Place() {
  if (placeTop_ != kNotPlaced) PlaceBeside(placeTop_);
}

void QlxsDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (shown_) return;
  shown_ = true;
  Place();
}

void QlxsDialog::MarkError(QLineEdit* field, bool error) {
  field->setProperty("inError", error);
  field->setStyleSheet(error ? "QLineEdit { background: #ffd0d0; }" : QString());
}

void QlxsDialog::accept() {
  if (!Validate()) return;
  QDialog::accept();
}

void QlxsDialog::ShowHelp() { ShowHelpTopic(this, cs_, helpTopic_); }

void QlxsDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier && helpTopic_ != 0) {
    ShowHelp();
    return;
  }
  if (enterMovesFocus_ && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
    // Enter moves on; only a focused button acts on it.
    if (auto* b = qobject_cast<QAbstractButton*>(focusWidget())) {
      b->click();
    } else {
      focusNextChild();
    }
    return;
  }
  QDialog::keyPressEvent(e);
}

bool QlxsDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress && !qobject_cast<QAbstractButton*>(watched)) {
    const auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      focusNextChild();
      return true;
    }
  }
  return QDialog::eventFilter(watched, e);
}

void QlxsDialog::FocusChanged(QWidget* now) {
  if (now == nullptr || now->window() != this) return;
  // The control of the list that holds the focused widget (a combo box's
  // own line edit belongs to the combo box).
  for (size_t i = 1; i < components_.size(); ++i) {
    QWidget* c = components_[i];
    if (c != now && !c->isAncestorOf(now)) continue;
    hintLine_->setText(hints_[i] != 0 ? T(hints_[i]) : QString());
    if (!qobject_cast<QAbstractButton*>(c) || c->inherits("QCheckBox") || c->inherits("QRadioButton"))
      remembered_ = static_cast<int>(i);
    return;
  }
  const bool button = now == ok_ || now == cancel_ || (help_ && now == help_);
  hintLine_->setText(button ? T(kTextGeneralHint) : QString());
}

}  // namespace qlxs
