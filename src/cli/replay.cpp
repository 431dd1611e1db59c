// qlxs-cli replay: re-analyses the raw frames of a telegram log into a new log.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/general_parameters.h"
#include "app/log_files.h"
#include "app/monitor.h"
#include "app/startup.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/log_room.h"
#include "cli/options.h"
#include "log/telegram_log.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli replay IN LOG [--size MB] [--force]\n"
    "\n"
    "Re-analyses the telegram log IN: every raw frame stored in it, from the oldest\n"
    "to the newest, goes through the receivers, the unwrapping and the APDU check\n"
    "again, and the frames, APDUs and pieces of TCP payload this yields are stored\n"
    "in a new telegram log LOG with the time stamps stored in IN. The APDUs and\n"
    "pieces stored in IN are not copied; they come again from their frames.\n"
    "LOG gets the settings stored in IN (the parameters of both ports, such as the\n"
    "IEC 104 TCP port, and the general parameters, such as the maximum log size,\n"
    "unless --size gives another).\n"
    "IN is only read, never changed.\n"
    "\n"
    "LOG is a ring of fixed capacity: when it is full, each new block of telegrams\n"
    "overwrites the oldest one. Before starting, replay warns when IN uses more\n"
    "blocks than LOG holds; at the end it says how many of the oldest telegrams\n"
    "were overwritten, if any.\n"
    "\n"
    "Options:\n"
    "  --size MB   maximum size of LOG in MB, 1 to 2000 (default: the maximum log\n"
    "              size stored in IN)\n"
    "  --force     replace LOG when it exists already (otherwise replay refuses,\n"
    "              so that no log is lost by accident)\n"
    "\n"
    "Exit status: 0 success (also when the ring overwrote its oldest telegrams);\n"
    "1 IN is missing, is not a telegram log or has blocks\n"
    "that cannot be read (what could be read is re-analysed into LOG), or LOG\n"
    "cannot be written; 2 usage error; 99 the language file cannot be loaded;\n"
    "130, 143 or 129 stopped by SIGINT, SIGTERM or SIGHUP: what was re-analysed\n"
    "until then is stored in LOG, which is written back and complete.\n";

bool NotALog(LogCheck c) {
  return c == LogCheck::WrongMagic || c == LogCheck::WrongLength || c == LogCheck::TooShort ||
         c == LogCheck::BadRingState || c == LogCheck::NotRegular;
}

// Says on stderr when the blocks IN uses (ring state `in`) are more than
// a new log of maximum size `maxlog` holds: re-analysed, its telegrams take
// about as much room again, so the oldest of them would be overwritten.
void WarnWhenInMayNotFit(const std::string& inName, const std::string& logName, const T_LogStand& in,
                         int32_t maxlog) {
  if (in.letztnr == 0 || in.anzbl <= 0) return;
  const int64_t used = BlocksInUse(in);
  const int32_t blocks = LogCapacityBlocks(maxlog);
  if (used <= blocks) return;
  std::fprintf(stderr,
               "qlxs-cli replay: %s will not fit into %s: it uses %lld blocks (%s), the ring of %s (--size %d) "
               "holds %d (%s) and overwrites the oldest telegrams when it is full. %s\n",
               inName.c_str(), logName.c_str(), static_cast<long long>(used),
               Megabytes(used * kLogBlockSize).c_str(), logName.c_str(), maxlog, blocks,
               Megabytes(int64_t{blocks} * kLogBlockSize).c_str(), SizeAdvice(used).c_str());
}

}  // namespace

int RunReplay(int argc, char** argv) {
  std::vector<std::string> names;
  bool force = false;
  long size = 0;  // 0: the maximum log size stored in IN
  ArgParser args("replay", kHelp);
  args.Flag("--force", force);
  args.Number("--size", 1, kMaxLogSize, size, "--size takes a number of MB from 1 to 2000");
  args.Positionals(names, 2, 2, "expected IN and LOG");
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  const std::string in = names[0];
  const std::string logName = names[1];
  if (SameFile(in, logName)) return args.Fail("IN and LOG are the same file; IN is never changed");
  if (RefusedToReplace("replay", logName, force)) return kExitFailure;

  SystemClock clock;
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (!LoadProgramTexts(*m)) return kExitNoLanguage;

  // Check IN before anything is created, and take over the settings it carries.
  int io = 0;
  const LogCheck check = LogOpenForReading(*m, in, &io);
  if (check == LogCheck::Valid) ApplyGeneralParameters(*m);
  m->log.file.Close();
  if (check != LogCheck::Valid) {
    std::fprintf(stderr, "qlxs-cli replay: %s: %s%s\n", in.c_str(), NotALog(check) ? "not a telegram log file: " : "",
                 LogCheckText(check, io).c_str());
    return kExitFailure;
  }

  if (size != 0) m->AllgPar.maxlog = static_cast<int32_t>(size);
  WarnWhenInMayNotFit(in, logName, m->log.stand, m->AllgPar.maxlog);
  LogNew(*m, logName);
  m->AllgVar.dtlog = logName;
  if (m->AllgVar.logerr) {
    std::fprintf(stderr, "qlxs-cli replay: %s: cannot create the telegram log\n", logName.c_str());
    return kExitFailure;
  }
  // No timer runs here: the store writes its checkpoints itself.
  m->log.autoCheckpoint = true;
  if (!WatchStopSignals("replay")) {
    LogClose(*m);
    return kExitFailure;
  }
  StoreTally tally;
  m->onStored = [&tally](const T_Telegramm& t) { tally.Add(t); };
  const ReplayResult r = ReplayLog(*m, in, [] { return StopSignal() != 0; });
  const std::string overwritten = ReportOverwrite("replay", logName, m->log.stand, tally);
  LogClose(*m);

  int rc = kExitOk;
  if (r.stopped) {
    std::fprintf(stderr, "qlxs-cli replay: stopped by %s before the end of %s; %d telegrams stored in %s\n",
                 StopSignalName(StopSignal()), in.c_str(), tally.telegrams, logName.c_str());
    rc = StopExitCode(StopSignal());
  } else if (r.check != LogCheck::Valid || r.currentLog) {
    std::fprintf(stderr, "qlxs-cli replay: %s: cannot be re-analysed\n", in.c_str());
    rc = kExitFailure;
  } else if (!r.complete || r.damagedBlocks > 0) {
    std::fprintf(stderr,
                 "qlxs-cli replay: %s: %d block(s) could not be read or were damaged%s; what could be read is "
                 "re-analysed into %s\n",
                 in.c_str(), r.damagedBlocks, r.complete ? "" : ", the walk stopped there", logName.c_str());
    rc = kExitFailure;
  }
  if (m->AllgVar.logerr) {
    std::fprintf(stderr, "qlxs-cli replay: %s: writing the telegram log failed\n", logName.c_str());
    rc = kExitFailure;
  }
  std::printf("%d telegrams stored in %s from %d frames of %s%s\n", tally.telegrams, logName.c_str(), r.frames,
              in.c_str(), overwritten.c_str());
  return rc;
}

}  // namespace qlxs::cli
