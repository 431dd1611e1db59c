#include "platform/message_sink.h"

#include <unistd.h>

#include <cerrno>

namespace qlxs {

MsgAnswer MessageSink::Ask(const MessageRequest& request) {
  Show(request.number, request.type, request.text);
  return request.buttons == ButtonsOk ? AnswerOk : AnswerNo;
}

namespace {

const char* KindWord(MsgType type) {
  switch (type) {
    case MsgError: return "error";
    case MsgWarning: return "warning";
    case MsgConfirmation: return "question";
    default: return "note";
  }
}

// Message texts separate their lines with CR LF, as the message boxes
// expect; a terminal wants LF alone.
std::string TerminalText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

void WriteAll(int fd, const std::string& s) {
  size_t done = 0;
  while (done < s.size()) {
    const ssize_t n = ::write(fd, s.data() + done, s.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string MessageLine(int number, MsgType type, const std::string& text) {
  std::string line = "qlxs: ";
  line += KindWord(type);
  line += ": ";
  line += text.empty() ? "message " + std::to_string(number) : TerminalText(text);
  return line;
}

}  // namespace

void StderrMessageSink::Show(int number, MsgType type, const std::string& text) {
  WriteAll(outFd_, MessageLine(number, type, text) + "\n");
}

MsgAnswer StderrMessageSink::Ask(const MessageRequest& request) {
  if (request.buttons == ButtonsOk) {
    Show(request.number, request.type, request.text);
    return AnswerOk;
  }
  const std::string question = MessageLine(request.number, request.type, request.text) + " [y/N] ";
  if (!::isatty(inFd_)) {
    WriteAll(outFd_, question + "no (standard input is not a terminal)\n");
    return AnswerNo;
  }
  WriteAll(outFd_, question);
  std::string reply;
  char c;
  for (;;) {
    const ssize_t n = ::read(inFd_, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || c == '\n') break;
    reply += c;
  }
  const size_t first = reply.find_first_not_of(" \t\r");
  const char k = first == std::string::npos ? 'n' : reply[first];
  return k == 'y' || k == 'Y' || k == 'j' || k == 'J' ? AnswerYes : AnswerNo;
}

}  // namespace qlxs
