#include "log/log_messages.h"

#include "config/monitor.h"
#include "platform/message_sink.h"

namespace qlxs {

std::string LogMessageText(int number, const std::string& path, const std::string& detail) {
  std::string text;
  switch (number) {
    case kMsgLogInvalid: text = path + " is not a valid telegram log file"; break;
    case kMsgLogWriteFailed: text = "Writing the telegram log file " + path + " failed"; break;
    case kMsgLogReadFailed: text = "Cannot read the telegram log file " + path; break;
    default: text = "Telegram log file " + path; break;
  }
  if (!detail.empty()) text += ": " + detail;
  return text;
}

void ShowLogError(Monitor& m, int number, const std::string& path, const std::string& detail) {
  m.messages.Show(number, MsgError, LogMessageText(number, path, detail));
}

void ReportReadFailure(Monitor& m, LogFile& x, int32_t block, const std::string& detail) {
  if (x.readFailures++ == 0)
    ShowLogError(m, kMsgLogReadFailed, x.name, "block " + std::to_string(block) + ": " + detail);
}

}  // namespace qlxs
