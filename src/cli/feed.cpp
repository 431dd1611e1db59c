// qlxs-cli feed: raw line octets from files through the receivers into a new log.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "app/startup.h"
#include "capture/line_feed.h"
#include "capture/receiver.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/log_room.h"
#include "cli/options.h"
#include "log/telegram_log.h"
#include "log/time_base.h"
#include "model/typed_file.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli feed LOG FILE1 [FILE2] [--chunk N] [--size MB] [--force]\n"
    "\n"
    "Feeds the raw line octets of FILE1 to the first port's receiver and those of\n"
    "FILE2 to the second port's receiver, alternating blocks of N octets, as if\n"
    "they arrived on a continuous line. What is still pending at the end is closed\n"
    "as the reception time-out would close it. Every frame, text line, APDU and\n"
    "piece of TCP payload is stored in a new telegram log LOG.\n"
    "Use it to analyse raw serial captures made with other tools. FILE1 and FILE2\n"
    "may also be pipes.\n"
    "\n"
    "LOG is a ring of fixed capacity: when it is full, each new block of telegrams\n"
    "overwrites the oldest one. The stored records need more room than the line\n"
    "octets (every octet is stored in a frame, an APDU a second time, and each\n"
    "record has a header of its own; commonly 2 to 3 times as much). Before\n"
    "starting, feed warns when the input will not or may not fit; at the end it\n"
    "says how many of the oldest telegrams were overwritten, if any.\n"
    "\n"
    "Options:\n"
    "  --chunk N   block size in octets, 1 to 1519 (default 1519)\n"
    "  --size MB   maximum size of LOG in MB, 1 to 2000 (default 100)\n"
    "  --force     replace LOG when it exists already (otherwise feed refuses,\n"
    "              so that no captured log is lost by accident)\n"
    "\n"
    "Ctrl-C (SIGINT), SIGTERM or SIGHUP stops feed at the next block: what is\n"
    "pending is closed as at the end of the input and LOG is written back, so it\n"
    "holds everything read up to then.\n"
    "\n"
    "Exit status: 0 success (also when the ring overwrote its oldest telegrams);\n"
    "1 a file cannot be read or the log cannot be written; 2 usage error;\n"
    "99 the language file cannot be loaded; 129 (SIGHUP), 130 (SIGINT) or\n"
    "143 (SIGTERM) stopped by that signal, LOG holds what was read before it.\n";

struct Input {
  int fd = -1;
  std::string path;
  bool done = true;
  int64_t octets = -1;  // size of a regular file, else -1
  ~Input() {
    if (fd >= 0) ::close(fd);
  }
};

// How much more room the stored records commonly need than the line octets:
// simulated lines give 2.1 to 2.5 times, short frames more.
constexpr int64_t kCommonRecordFactor = 3;

// Says on stderr when the line octets of the inputs will not, or may not,
// fit into a ring of `blocks` blocks without overwriting the oldest telegrams.
void WarnWhenInputMayNotFit(const std::string& logName, const Input (&inputs)[2], int32_t blocks, long size) {
  int64_t octets = 0;
  std::string files;
  for (const Input& in : inputs)
    if (in.octets > 0) {
      octets += in.octets;
      files += (files.empty() ? "" : " and ") + in.path;
    }
  const int64_t room = RecordRoom(blocks);
  if (octets == 0 || kCommonRecordFactor * octets <= room) return;
  const bool surely = octets > room;
  std::fprintf(stderr,
               "qlxs-cli feed: the input %s not fit into %s: %s %s %s of line octets, and their records commonly "
               "need %lld to %lld times as much room; the ring of %s (--size %ld) holds %s of records and "
               "overwrites the oldest telegrams when it is full. %s\n",
               surely ? "will" : "may", logName.c_str(), files.c_str(),
               files.find(" and ") != std::string::npos ? "hold" : "holds", Megabytes(octets).c_str(),
               static_cast<long long>(kCommonRecordFactor - 1), static_cast<long long>(kCommonRecordFactor),
               logName.c_str(), size, Megabytes(room).c_str(),
               SizeAdvice(BlocksFor(kCommonRecordFactor * octets)).c_str());
}

}  // namespace

int RunFeed(int argc, char** argv) {
  std::vector<std::string> names;
  long chunk = kReceiveBlockSize;
  long size = 0;  // 0: the monitor's maximum log size
  bool force = false;
  ArgParser args("feed", kHelp);
  args.Number("--chunk", 1, kReceiveBlockSize, chunk, "--chunk takes a number from 1 to 1519");
  args.Number("--size", 1, kMaxLogSize, size, "--size takes a number of MB from 1 to 2000");
  args.Flag("--force", force);
  args.Positionals(names, 2, 3, "expected LOG, FILE1 and optionally FILE2");
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;

  // From here on a stop signal ends the feed in order. Opening a pipe waits
  // for its writer, so the handler is in place before.
  if (!WatchStopSignals("feed")) return kExitFailure;
  const std::string logName = names[0];
  Input inputs[2];
  for (size_t i = 1; i < names.size(); ++i) {
    Input& in = inputs[i - 1];
    in.path = names[i];
    in.fd = ::open(in.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0 && errno == EINTR && StopSignal() != 0) {
      std::fprintf(stderr, "qlxs-cli feed: stopped by %s while waiting for %s; %s was not created\n",
                   StopSignalName(StopSignal()), in.path.c_str(), logName.c_str());
      return StopExitCode(StopSignal());
    }
    if (in.fd < 0) {
      std::fprintf(stderr, "qlxs-cli feed: %s: %s\n", in.path.c_str(), std::strerror(errno));
      return kExitFailure;
    }
    struct stat st;
    if (::fstat(in.fd, &st) == 0 && S_ISREG(st.st_mode)) in.octets = st.st_size;
    in.done = false;
  }
  if (RefusedToReplace("feed", logName, force)) return kExitFailure;

  // A manual clock that stands still while feeding: the octets count as one
  // continuous reception, so no time-out cuts a frame between two blocks.
  SystemClock system;
  ManualClock clock(system.LocalNow(), system.Tick());
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (!LoadProgramTexts(*m)) return kExitNoLanguage;
  SyncClock(*m);

  if (size == 0) size = m->AllgPar.maxlog;
  m->AllgPar.maxlog = static_cast<int32_t>(size);
  LogNew(*m, logName);
  if (m->AllgVar.logerr) {
    std::fprintf(stderr, "qlxs-cli feed: %s: cannot create the telegram log: %s\n", logName.c_str(),
                 IoResultText(m->AllgVar.lastIoResult).c_str());
    return kExitFailure;
  }
  // No timer runs here: the store writes its checkpoints itself, so a
  // feed that is killed leaves a log with what it stored until then.
  m->log.autoCheckpoint = true;
  WarnWhenInputMayNotFit(logName, inputs, m->log.stand.anzbl, size);

  StoreTally tally;
  m->onStored = [&tally](const T_Telegramm& t) { tally.Add(t); };
  uint8_t block[kReceiveBlockSize];
  int readError = 0;
  std::string readErrorPath;
  // A pipe or terminal may pause: what is stored goes to the file meanwhile.
  const auto checkpoint = [&m] {
    if (m->log.unsaved) LogCheckpoint(*m, m->log);
  };
  const auto next = [&](int p) -> std::span<const uint8_t> {
    Input& in = inputs[p];
    if (in.done) return {};
    const ReadOutcome r = in.octets < 0 ? ReadFully(in.fd, block, static_cast<size_t>(chunk), checkpoint,
                                                    static_cast<int>(kCheckpointAfterMs))
                                        : ReadFully(in.fd, block, static_cast<size_t>(chunk));
    if (r.error != 0 && readError == 0) {
      readError = r.error;
      readErrorPath = in.path;
    }
    if (r.end) in.done = true;
    return {block, r.n};
  };
  FeedTwoLines(*m, next, [] { return StopSignal() != 0; });
  // Close what is still pending, as the reception time-out would.
  CloseAfterTimeout(*m);

  const std::string overwritten = ReportOverwrite("feed", logName, m->log.stand, tally);
  LogClose(*m);
  const int stop = StopSignal();
  if (stop != 0) {
    const bool allRead = inputs[0].done && inputs[1].done;
    std::fprintf(stderr, "qlxs-cli feed: stopped by %s%s; %d telegrams stored in %s\n", StopSignalName(stop),
                 allRead ? "" : " before the end of the input", tally.telegrams, logName.c_str());
  }
  if (readError) {
    std::fprintf(stderr, "qlxs-cli feed: %s: read error: %s (the octets read before it are stored in %s)\n",
                 readErrorPath.c_str(), std::strerror(readError), logName.c_str());
    return kExitFailure;
  }
  if (m->AllgVar.logerr) {
    std::fprintf(stderr, "qlxs-cli feed: %s: writing the telegram log failed\n", logName.c_str());
    return kExitFailure;
  }
  std::printf("%d telegrams stored in %s%s\n", tally.telegrams, logName.c_str(), overwritten.c_str());
  return stop != 0 ? StopExitCode(stop) : kExitOk;
}

}  // namespace qlxs::cli
