// qlxs-cli show: the telegrams of a log as text, in the formats of the views.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/view_setup.h"
#include "filter/filter_match.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "render/render.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli show LOG [OPTIONS]\n"
    "\n"
    "Prints the telegrams of the telegram log LOG as text, oldest first, as the\n"
    "log view shows them: the lines of each telegram, one per output line. The\n"
    "file is only read, never changed; a log that is being written is shown as\n"
    "it stands.\n"
    "\n"
    "Options:\n";

constexpr char kExitHelp[] =
    "\n"
    "Exit status: 0 success; 1 LOG is missing, is not a telegram log or has\n"
    "blocks that cannot be read (what can be read is shown), an element text\n"
    "file or filter file cannot be read, or the output cannot be written;\n"
    "2 usage error; 99 the language file cannot be loaded.\n";

}  // namespace

int RunShow(int argc, char** argv) {
  ViewOptions o;
  std::vector<std::string> names;
  const std::string help = std::string(kHelp) + kViewOptionsHelp + kExitHelp;
  ArgParser args("show", help.c_str());
  DeclareViewOptions(args, o);
  args.Positionals(names, 1, 1, "expected exactly one argument, the log file");
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  const std::string& path = names[0];

  SystemClock clock;
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (const int rc = SetUpView(*m, o, path, "show"); rc >= 0) return rc;

  T_TeleAusgabe view;
  std::string out;
  bool writeFailed = false;
  VisitStored(*m, [&](const T_Telegramm& t) {
    if (writeFailed || !ViewAdmits(m->PrgPar, m->AllgPar, m->log.stand.erstnr, t)) return;
    BeginTelegram(*m, view, t);
    for (const std::string* piece = &NextLines(*m, view); !piece->empty(); piece = &NextLines(*m, view))
      AppendPieceLines(out, *piece, "\n");
    if (out.size() >= 1 << 16) {
      writeFailed = std::fwrite(out.data(), 1, out.size(), stdout) != out.size();
      out.clear();
    }
  });
  std::fwrite(out.data(), 1, out.size(), stdout);
  m->log.file.Close();
  if (std::fflush(stdout) != 0 || std::ferror(stdout) || writeFailed) {
    std::fprintf(stderr, "qlxs-cli show: cannot write the output\n");
    return kExitFailure;
  }
  return ReportReadFailures(*m, path, "show") ? kExitOk : kExitFailure;
}

}  // namespace qlxs::cli
