#include "app/print_command.h"

#include <cerrno>

#include "app/monitor.h"
#include "config/config_state.h"
#include "config/message_box.h"
#include "config/text_format.h"
#include "log/telegram_log.h"
#include "model/typed_file.h"
#include "platform/file_system.h"
#include "print/text_file_output.h"

namespace qlxs {

namespace {

// Where the file name starts in `path`.
size_t NameStart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// Where the extension of the file name starts (at its dot), npos when it has
// none. A leading dot names a hidden file, not an extension.
size_t ExtensionStart(const std::string& path) {
  const size_t name = NameStart(path);
  const size_t dot = path.rfind('.');
  return dot == std::string::npos || dot <= name ? std::string::npos : dot;
}

}  // namespace

PrintChoices InitialPrintChoices(const T_PrgPar& p, int printers, int files) {
  PrintChoices c;
  c.choice = p.druausg >= kPrintTextFile && p.druausg <= kPrintLogFile ? p.druausg : kPrintTextFile;
  c.printer = p.drudrucker >= 0 && p.drudrucker < printers ? p.drudrucker : (printers > 0 ? 0 : -1);
  c.file = p.drudatei >= 0 && p.drudatei < files ? p.drudatei : -1;
  return c;
}

void StorePrintChoices(T_PrgPar& p, const PrintChoices& c) {
  p.druausg = c.choice;
  p.drudrucker = c.printer;
  p.drudatei = c.file;
}

std::string PrintFileMask(int choice, bool pdf) {
  if (choice == kPrintLogFile) return "*.lg4";
  return choice == kPrintPrinter && pdf ? "*.pdf" : "*.txt";
}

std::string PrintTargetName(const std::string& entered, int choice, bool pdf, const std::string& dataDir,
                            const std::string& logExt) {
  const size_t first = entered.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  std::string name = entered.substr(first, entered.find_last_not_of(' ') - first + 1);
  if (name[0] != '/') name = WithTrailingSlash(dataDir) + name;
  if (NameStart(name) == name.size()) return {};  // a directory, no file name
  const size_t ext = ExtensionStart(name);
  if (choice == kPrintLogFile) {
    if (ext != std::string::npos) name.erase(ext);
    name += logExt;
  } else if (ext == std::string::npos) {
    name += choice == kPrintPrinter && pdf ? ".pdf" : ".txt";
  }
  return name;
}

PrintTargetCheck CheckPrintTarget(const std::string& name, const std::string& dtlog) {
  if (name.empty()) return PrintTargetCheck::NoName;
  return SameFile(name, dtlog) ? PrintTargetCheck::CurrentLog : PrintTargetCheck::Ok;
}

bool MayReplaceOutput(ConfigState& cs, const std::string& name) {
  if (!IsFile(name)) return true;
  const std::string question = FormatText(Text(cs.AllgVar, kTextReplaceOutput), {name});
  return MessageAt(cs, question, MsgWarning, ButtonsYesNo) == AnswerYes;
}

PrintResult RunPrint(Monitor& m, int choice, const std::string& name, PrintOutput* printer,
                     const PrintProgress& progress) {
  PrintResult r;
  if (choice == kPrintLogFile) {
    // The extract's failures are reported here; the flag and the I/O result
    // that the store sets belong to the current log.
    const bool logerr = m.AllgVar.logerr;
    const int lastIo = m.AllgVar.lastIoResult;
    m.AllgVar.logerr = false;
    LogFile x;
    x.name = name;
    x.autoCheckpoint = true;  // a crash leaves a readable extract
    LogCreate(m, x);
    if (!x.file.IsOpen()) {
      r.io = m.AllgVar.lastIoResult != 0 ? m.AllgVar.lastIoResult : kIoNotOpen;
    } else {
      NoPrintOutput nothing;
      r = PrintLog(m, nothing, &x, progress);
      if (r.io == 0 && m.AllgVar.logerr) r.io = m.AllgVar.lastIoResult != 0 ? m.AllgVar.lastIoResult : EIO;
    }
    m.AllgVar.logerr = logerr;
    m.AllgVar.lastIoResult = lastIo;
  } else if (choice == kPrintPrinter) {
    // Without a printer nothing is printed, and nothing else is written.
    if (printer != nullptr)
      r = PrintLog(m, *printer, nullptr, progress);
    else
      r.io = ENODEV;
  } else {
    TextFileOutput text(name);
    r = PrintLog(m, text, nullptr, progress);
  }
  if (r.io != 0) {
    MessageOkNrText(m, kTextOutputFailed, FormatText(Text(m.AllgVar, kTextOutputFailed), {name, IoResultText(r.io)}),
                    MsgError);
  }
  return r;
}

}  // namespace qlxs
