#include "platform/message_sink.h"

#include <cstdio>

namespace qlxs {

void StderrMessageSink::Show(int number, MsgType type, const std::string& text) {
  const char* kind = type == MsgError ? "error" : type == MsgWarning ? "warning" : "note";
  if (text.empty())
    std::fprintf(stderr, "qlxs: %s: message %d\n", kind, number);
  else
    std::fprintf(stderr, "qlxs: %s: %s\n", kind, text.c_str());
}

}  // namespace qlxs
