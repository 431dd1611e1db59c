#pragma once
/// Where numbered messages go: a message box in the desktop program, stderr
/// on the command line, a list in the tests.

#include <string>
#include <vector>

namespace qlxs {

/// Kinds of message, as the message boxes show them.
enum MsgType : int { MsgWarning = 0, MsgError = 1, MsgInformation = 2, MsgConfirmation = 3 };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  /// Shows message `number` of the language texts. `text` is the finished
  /// text (already formatted with its arguments); it may be empty when no
  /// language texts are loaded, in which case the number identifies it.
  virtual void Show(int number, MsgType type, const std::string& text) = 0;
};

/// Writes "qlxs: <text>" (or "qlxs: message <number>") to stderr.
class StderrMessageSink final : public MessageSink {
 public:
  void Show(int number, MsgType type, const std::string& text) override;
};

/// Keeps every message, for tests and for callers that report later.
class RecordingMessageSink final : public MessageSink {
 public:
  struct Entry {
    int number;
    MsgType type;
    std::string text;
  };
  void Show(int number, MsgType type, const std::string& text) override {
    entries.push_back({number, type, text});
  }
  std::vector<Entry> entries;
};

}  // namespace qlxs
