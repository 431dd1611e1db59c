// qlxs-cli export and extract: a log into a text file, or the admitted
// telegrams of a log into a new log.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/log_room.h"
#include "cli/options.h"
#include "cli/view_setup.h"
#include "log/telegram_log.h"
#include "model/typed_file.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "print/print_log.h"
#include "print/text_file_output.h"

namespace qlxs::cli {

namespace {

constexpr char kExportHelp[] =
    "Usage: qlxs-cli export LOG OUT [OPTIONS]\n"
    "\n"
    "Writes the telegrams of the telegram log LOG that the display filter admits\n"
    "into the text file OUT (UTF-8; '-' for standard output), as the print\n"
    "function of the desktop monitor does: a page header with the log's name,\n"
    "date and how it is shown, a date line whenever the day changes, the lines\n"
    "of each telegram followed by an empty line (in the export format: the\n"
    "column headings, then one line per object), and an end line. LOG is only\n"
    "read.\n"
    "\n"
    "Options:\n";

constexpr char kExportExitHelp[] =
    "\n"
    "Ctrl-C, SIGTERM or SIGHUP stops the export: OUT ends with the line that\n"
    "says it was cancelled.\n"
    "\n"
    "Exit status: 0 success; 1 LOG is missing, is not a telegram log or has\n"
    "blocks that cannot be read, or OUT cannot be written; 2 usage error;\n"
    "99 the language file cannot be loaded; 128 + the signal when stopped.\n";

constexpr char kExtractHelp[] =
    "Usage: qlxs-cli extract LOG OUT.lg4 [--filter FILE] [--size MB] [--force]\n"
    "\n"
    "Copies the telegrams of the telegram log LOG that the display filter admits\n"
    "into the new telegram log OUT.lg4, unchanged and numbered from 1, with the\n"
    "settings stored in LOG. Without --filter the view rules of the settings\n"
    "decide (link-layer telegrams and raw frames may be hidden there). LOG is\n"
    "only read.\n"
    "\n"
    "  --filter FILE  only what the filter file (348 bytes, saved by the filter\n"
    "                 dialog of the desktop monitor) admits\n"
    "  --size MB      maximum size of OUT.lg4, 1 to 2000 (default: that of LOG);\n"
    "                 when it is full, its oldest telegrams are overwritten and\n"
    "                 the command says so\n"
    "  --force        replace an OUT.lg4 that exists\n"
    "\n"
    "OUT.lg4 is written as a capture writes its log: a process that is killed\n"
    "leaves it readable with what it had stored. Ctrl-C, SIGTERM or SIGHUP stops\n"
    "the extract at the next 100 telegrams; OUT.lg4 is complete up to there.\n"
    "\n"
    "Exit status: 0 success; 1 LOG is missing, is not a telegram log or has\n"
    "blocks that cannot be read, or OUT.lg4 cannot be written; 2 usage error;\n"
    "99 the language file cannot be loaded; 128 + the signal when stopped.\n";

// A cancel request at each progress report: a stop signal.
bool StopRequested(int) { return StopSignal() != 0; }

// The exit status of an output that ran, after its messages.
int Finish(const char* command, const std::string& log, const std::string& out, const Monitor& m,
           const PrintResult& r) {
  if (r.io != 0) {
    std::fprintf(stderr, "qlxs-cli %s: %s: cannot write: %s\n", command, out.c_str(), IoResultText(r.io).c_str());
    return kExitFailure;
  }
  if (!ReportReadFailures(m, log, command)) return kExitFailure;
  if (r.cancelled) {
    const int sig = StopSignal();
    std::fprintf(stderr, "qlxs-cli %s: stopped by %s; %d telegrams written to %s\n", command, StopSignalName(sig),
                 r.telegrams, out.c_str());
    return StopExitCode(sig);
  }
  return kExitOk;
}

}  // namespace

int RunExport(int argc, char** argv) {
  ViewOptions o;
  std::vector<std::string> names;
  const std::string help = std::string(kExportHelp) + kViewOptionsHelp + kExportExitHelp;
  ArgParser args("export", help.c_str());
  DeclareViewOptions(args, o);
  args.Positionals(names, 2, 2, "expected LOG and OUT");
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  const std::string& log = names[0];
  const std::string& out = names[1];
  if (SameFile(log, out)) return args.Fail("LOG and OUT are the same file; LOG is never changed");
  if (!WatchStopSignals("export")) return kExitFailure;

  SystemClock clock;
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (const int rc = SetUpView(*m, o, log, "export"); rc >= 0) return rc;
  TextFileOutput text(out);
  const PrintResult r = PrintLog(*m, text, nullptr, StopRequested);
  m->log.file.Close();
  return Finish("export", log, out, *m, r);
}

int RunExtract(int argc, char** argv) {
  ViewOptions o;
  std::vector<std::string> names;
  long size = 0;  // 0: the size stored in LOG
  bool force = false;
  ArgParser args("extract", kExtractHelp);
  args.Text("--filter", o.filter);
  args.Number("--size", 1, kMaxLogSize, size, "--size takes a number of MB from 1 to 2000");
  args.Flag("--force", force);
  args.Positionals(names, 2, 2, "expected LOG and OUT.lg4");
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  const std::string& log = names[0];
  const std::string& out = names[1];
  if (SameFile(log, out)) return args.Fail("LOG and OUT.lg4 are the same file; LOG is never changed");
  if (RefusedToReplace("extract", out, force)) return kExitFailure;
  if (!WatchStopSignals("extract")) return kExitFailure;

  SystemClock clock;
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (const int rc = SetUpView(*m, o, log, "extract"); rc >= 0) return rc;

  LogFile x;
  x.name = out;
  const int32_t maxlog = m->AllgPar.maxlog;
  if (size != 0) m->AllgPar.maxlog = static_cast<int32_t>(size);
  LogCreate(*m, x);
  m->AllgPar.maxlog = maxlog;
  if (!x.file.IsOpen()) {
    std::fprintf(stderr, "qlxs-cli extract: %s: cannot create the telegram log: %s\n", out.c_str(),
                 IoResultText(m->AllgVar.lastIoResult).c_str());
    return kExitFailure;
  }
  // No timer runs here: the store writes the extract's checkpoints itself,
  // so an extract that is killed leaves a log with what it stored.
  x.autoCheckpoint = true;
  NoPrintOutput nothing;
  const PrintResult r = PrintLog(*m, nothing, &x, StopRequested);
  m->log.file.Close();
  const int rc = Finish("extract", log, out, *m, r);
  if (m->AllgVar.logerr) {
    std::fprintf(stderr, "qlxs-cli extract: %s: writing the telegram log failed\n", out.c_str());
    return kExitFailure;
  }
  std::string kept;
  if (x.stand.erstnr > 1) {
    // The ring of the extract came round: its oldest telegrams are gone.
    const int32_t lost = x.stand.erstnr - 1;
    std::fprintf(stderr,
                 "qlxs-cli extract: %s: the ring (%d blocks) overwrote the oldest %d telegrams; give a larger "
                 "--size to keep them all\n",
                 out.c_str(), x.stand.anzbl, lost);
    kept = "; the ring overwrote the oldest " + std::to_string(lost);
  }
  if (rc == kExitOk) std::printf("%d telegrams extracted into %s%s\n", r.telegrams, out.c_str(), kept.c_str());
  return rc;
}

}  // namespace qlxs::cli
