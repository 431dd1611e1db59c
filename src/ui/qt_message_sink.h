#pragma once
/// Numbered messages and questions as message boxes: below the status grid
/// of the main window once it exists, centred on the screen before.

#include <functional>

#include <QPoint>

#include "platform/message_sink.h"

class QWidget;

namespace qlxs {

class QtMessageSink final : public MessageSink {
 public:
  /// The window the boxes belong to and where a box placed at it goes
  /// (global coordinates of its top left corner).
  void SetMainWindow(QWidget* window, std::function<QPoint()> place);
  void Show(int number, MsgType type, const std::string& text) override;
  MsgAnswer Ask(const MessageRequest& request) override;

 private:
  QWidget* window_ = nullptr;
  std::function<QPoint()> place_;
};

}  // namespace qlxs
