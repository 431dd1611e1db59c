#include "ui/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace qlxs {

namespace {

QMessageBox::Icon IconOf(MsgType t) {
  switch (t) {
    case MsgWarning: return QMessageBox::Warning;
    case MsgError: return QMessageBox::Critical;
    case MsgInformation: return QMessageBox::Information;
    case MsgConfirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageSink::SetMainWindow(QWidget* window, std::function<QPoint()> place) {
  window_ = window;
  place_ = std::move(place);
}

void QtMessageSink::Show(int number, MsgType type, const std::string& text) {
  MessageRequest r;
  r.number = number;
  r.type = type;
  r.text = text.empty() ? "Message " + std::to_string(number) : text;
  Ask(r);
}

MsgAnswer QtMessageSink::Ask(const MessageRequest& r) {
  const bool atWindow = r.place == PlaceMainWindow && window_ != nullptr && window_->isVisible();
  QMessageBox box(IconOf(r.type), QApplication::applicationDisplayName(), QString::fromStdString(r.text),
                  r.buttons == ButtonsYesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                  atWindow ? window_ : nullptr);
  if (r.buttons == ButtonsYesNo) box.setDefaultButton(QMessageBox::No);
  if (atWindow) {
    if (!window_->isActiveWindow()) window_->showNormal();
    box.move(place_ ? place_() : window_->pos());
  }
  const int answer = box.exec();
  if (r.buttons == ButtonsOk) return AnswerOk;
  return answer == QMessageBox::Yes ? AnswerYes : AnswerNo;
}

}  // namespace qlxs
