// qlxs-cli records: the stored records of a telegram log, one line each.

#include <cstdio>
#include <memory>
#include <string>

#include "app/monitor.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/record_line.h"
#include "log/log_reader.h"
#include "log/telegram_log.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli records LOG\n"
    "\n"
    "Lists the records stored in the telegram log file LOG, oldest first. After a\n"
    "header line comes one tab-separated line per record: the number relative to\n"
    "the log, ek, stat, ta, lg, idm, prot (hex), ofs, the time stamp as\n"
    "YYYY-MM-DD HH:MM:SS.mmm local time, and the data octets in hex.\n"
    "The file is only read, never changed.\n"
    "\n"
    "Exit status: 0 success; 1 the file is missing, is not a telegram log, or has\n"
    "blocks that cannot be read (the records that can be read are still listed);\n"
    "2 usage error.\n";

}  // namespace

int RunRecords(int argc, char** argv) {
  std::vector<std::string> names;
  ArgParser args("records", kHelp);
  args.Positionals(names, 1, 1, "expected exactly one argument, the log file");
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  const std::string path = names[0];
  SystemClock clock;
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (!OpenLogToRead(*m, path, "records")) return kExitFailure;

  std::string out = kRecordHeaderLine;
  VisitStored(*m, [&](const T_Telegramm& t) {
    AppendRecordLine(out, t, m->log.stand.erstnr);
    if (out.size() >= 1 << 16) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  });
  std::fwrite(out.data(), 1, out.size(), stdout);
  m->log.file.Close();

  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "qlxs-cli records: cannot write the listing\n");
    return kExitFailure;
  }
  return ReportReadFailures(*m, path, "records") ? kExitOk : kExitFailure;
}

}  // namespace qlxs::cli
