// qlxs-cli feed: raw line octets from files through the receivers into a new log.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "capture/receiver.h"
#include "capture/time_base.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "config/monitor.h"
#include "config/startup.h"
#include "log/telegram_log.h"
#include "model/typed_file.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli feed LOG FILE1 [FILE2] [--chunk N] [--force]\n"
    "\n"
    "Feeds the raw line octets of FILE1 to the first port's receiver and those of\n"
    "FILE2 to the second port's receiver, alternating blocks of N octets, as if\n"
    "they arrived on a continuous line. What is still pending at the end is closed\n"
    "as the reception time-out would close it. Every frame, text line, APDU and\n"
    "piece of TCP payload is stored in a new telegram log LOG.\n"
    "Use it to analyse raw serial captures made with other tools.\n"
    "\n"
    "Options:\n"
    "  --chunk N   block size in octets, 1 to 1519 (default 1519)\n"
    "  --force     replace LOG when it exists already (otherwise feed refuses,\n"
    "              so that no captured log is lost by accident)\n"
    "\n"
    "Exit status: 0 success; 1 a file cannot be read or the log cannot be written;\n"
    "2 usage error; 99 the language file cannot be loaded.\n";

int Usage(const char* problem) {
  std::fprintf(stderr, "qlxs-cli feed: %s\n\n%s", problem, kHelp);
  return kExitUsage;
}

struct Input {
  std::FILE* f = nullptr;
  std::string path;
  bool done = true;
  ~Input() {
    if (f) std::fclose(f);
  }
};

}  // namespace

int RunFeed(int argc, char** argv) {
  if (WantsHelp(argc, argv)) {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  std::vector<std::string> names;
  long chunk = kReceiveBlockSize;
  bool force = false;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--chunk") {
      if (i + 1 >= argc || !ParseNumber(argv[i + 1], 1, kReceiveBlockSize, chunk))
        return Usage("--chunk takes a number from 1 to 1519");
      ++i;
    } else if (a == "--force") {
      force = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      names.push_back(a);
    }
  }
  if (names.size() < 2 || names.size() > 3) return Usage("expected LOG, FILE1 and optionally FILE2");

  const std::string logName = names[0];
  Input inputs[2];
  for (size_t i = 1; i < names.size(); ++i) {
    Input& in = inputs[i - 1];
    in.path = names[i];
    in.f = std::fopen(in.path.c_str(), "rb");
    if (!in.f) {
      std::fprintf(stderr, "qlxs-cli feed: %s: %s\n", in.path.c_str(), std::strerror(errno));
      return kExitFailure;
    }
    in.done = false;
  }
  if (!force && FileHasContent(logName)) {
    std::fprintf(stderr, "qlxs-cli feed: %s exists already; use --force to replace it\n", logName.c_str());
    return kExitFailure;
  }

  // A manual clock that stands still while feeding: the octets count as one
  // continuous reception, so no time-out cuts a frame between two blocks.
  SystemClock system;
  ManualClock clock(system.LocalNow(), system.Tick());
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (!LoadProgramTexts(*m)) return kExitNoLanguage;
  SyncClock(*m);

  LogNew(*m, logName);
  if (m->AllgVar.logerr) {
    std::fprintf(stderr, "qlxs-cli feed: %s: cannot create the telegram log: %s\n", logName.c_str(),
                 IoResultText(m->AllgVar.lastIoResult).c_str());
    return kExitFailure;
  }

  int32_t stored = 0;
  m->onStored = [&stored](const T_Telegramm&) { ++stored; };
  uint8_t block[kReceiveBlockSize];
  int readError = 0;
  std::string readErrorPath;
  while (!inputs[0].done || !inputs[1].done) {
    for (int p = 0; p < 2; ++p) {
      Input& in = inputs[p];
      if (in.done) continue;
      const size_t n = std::fread(block, 1, static_cast<size_t>(chunk), in.f);
      if (n > 0) {
        T_ComVar& port = m->ports[p];
        port.em.fehl = 0;
        port.em.anz = static_cast<uint16_t>(n);
        ReceiveBlock(*m, port, block, n);
      }
      if (n < static_cast<size_t>(chunk)) {
        if (std::ferror(in.f) && readError == 0) {
          readError = errno ? errno : EIO;
          readErrorPath = in.path;
        }
        in.done = true;
      }
    }
  }
  // Close what is still pending, as the reception time-out would.
  uint32_t wait = 0;
  for (const T_ComVar& port : m->ports) wait = std::max(wait, port.bp.toempf);
  clock.Advance(wait + 1);
  for (T_ComVar& port : m->ports) PortTick(*m, port);

  LogClose(*m);
  if (readError) {
    std::fprintf(stderr, "qlxs-cli feed: %s: read error: %s (the octets read before it are stored in %s)\n",
                 readErrorPath.c_str(), std::strerror(readError), logName.c_str());
    return kExitFailure;
  }
  if (m->AllgVar.logerr) {
    std::fprintf(stderr, "qlxs-cli feed: %s: writing the telegram log failed\n", logName.c_str());
    return kExitFailure;
  }
  std::printf("%d telegrams stored in %s\n", stored, logName.c_str());
  return kExitOk;
}

}  // namespace qlxs::cli
