#pragma once
/// Where numbered messages go: a message box in the desktop program, stderr
/// (and, for questions, the terminal) on the command line, a list in the
/// tests.

#include <deque>
#include <string>
#include <vector>

namespace qlxs {

/// Kinds of message, as the message boxes show them.
enum MsgType : int { MsgWarning = 0, MsgError = 1, MsgInformation = 2, MsgConfirmation = 3 };

/// Buttons of a message box.
enum MsgButtons : int { ButtonsOk = 0, ButtonsYesNo = 1 };

/// The button that closed a message box.
enum MsgAnswer : int { AnswerOk = 1, AnswerYes = 6, AnswerNo = 7 };

/// Where a message box appears.
enum MsgPlace : int {
  /// Left edge at the main window's left + its width / 5, top 30 pixels
  /// below the status grid; the application is restored first when the main
  /// window is not active.
  PlaceMainWindow = 0,
  /// Centred on the screen (used before the main window exists).
  PlaceScreenCentre = 1,
};

/// A message box to show: the text, its kind, its buttons and its place.
/// `number` is the language text number the text came from, 0 when it was
/// composed otherwise.
struct MessageRequest {
  int number = 0;
  MsgType type = MsgInformation;
  MsgButtons buttons = ButtonsOk;
  MsgPlace place = PlaceMainWindow;
  std::string text;
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  /// Shows message `number` of the language texts. `text` is the finished
  /// text (already formatted with its arguments); it may be empty when no
  /// language texts are loaded, in which case the number identifies it.
  virtual void Show(int number, MsgType type, const std::string& text) = 0;
  /// Shows a message box and waits for its answer. The default shows the
  /// text with `Show` and answers OK, or No to a question, which never
  /// destroys anything.
  virtual MsgAnswer Ask(const MessageRequest& request);
};

/// Writes "qlxs: <kind>: <text>" (or "... message <number>") to stderr.
/// Questions are asked on the controlling terminal when standard input is
/// one ("[y/N]"); without a terminal they are answered No.
class StderrMessageSink final : public MessageSink {
 public:
  StderrMessageSink() = default;
  /// Reads answers from `in` and writes to `out` (for tests on a pty).
  StderrMessageSink(int inFd, int outFd) : inFd_(inFd), outFd_(outFd) {}
  void Show(int number, MsgType type, const std::string& text) override;
  MsgAnswer Ask(const MessageRequest& request) override;

 private:
  int inFd_ = 0;
  int outFd_ = 2;
};

/// Keeps every message, for tests and for callers that report later.
/// Questions take their answers from `answers` in order (No when it is
/// empty).
class RecordingMessageSink final : public MessageSink {
 public:
  struct Entry {
    int number;
    MsgType type;
    std::string text;
    MsgButtons buttons = ButtonsOk;
    MsgPlace place = PlaceMainWindow;
  };
  void Show(int number, MsgType type, const std::string& text) override {
    entries.push_back({number, type, text});
  }
  MsgAnswer Ask(const MessageRequest& r) override {
    entries.push_back({r.number, r.type, r.text, r.buttons, r.place});
    if (r.buttons == ButtonsOk) return AnswerOk;
    if (answers.empty()) return AnswerNo;
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<Entry> entries;
  std::deque<MsgAnswer> answers;
};

}  // namespace qlxs
