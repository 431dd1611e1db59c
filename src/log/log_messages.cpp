#include "log/log_messages.h"

#include "config/language_texts.h"
#include "config/text_format.h"
#include "log/log_state.h"
#include "log/telegram_log.h"
#include "platform/message_sink.h"

namespace qlxs {

namespace {

// The English wording, for a monitor without loaded language texts.
std::string BuiltInText(int number, const std::string& path) {
  switch (number) {
    case kMsgLogInvalid: return "The file " + path + " is not a valid telegram log.";
    case kMsgLogWriteFailed: return "Writing the log file " + path + " failed.";
    case kMsgLogReadFailed: return "Reading the log file " + path + " failed.";
    case kMsgLogLocked: return "The log file " + path + " is being written by another program.";
    default: return "Log file " + path + ".";
  }
}

}  // namespace

std::string LogMessageText(const T_AllgVar& v, int number, const std::string& path, const std::string& detail) {
  const std::string& fmt = Text(v, number);
  const std::string main = fmt.empty() ? BuiltInText(number, path) : FormatText(fmt, {path});
  // The text names the file when it has a place for it; otherwise the file goes with the detail.
  std::string extra = main.find(path) == std::string::npos ? path : std::string();
  if (!detail.empty()) extra += (extra.empty() ? "" : ": ") + detail;
  return extra.empty() ? main : main + " (" + extra + ")";
}

void ShowLogError(LogState& m, int number, const std::string& path, const std::string& detail) {
  m.messages.Show(number, MsgError, LogMessageText(m.AllgVar, number, path, detail));
}

void ReportReadFailure(LogState& m, LogFile& x, int32_t block, const std::string& detail) {
  if (x.readFailures++ == 0)
    ShowLogError(m, kMsgLogReadFailed, x.name, "block " + std::to_string(block) + ": " + detail);
}

}  // namespace qlxs
