#include "cli/cli_support.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>

#include "app/monitor.h"
#include "config/filter_file.h"
#include "filter/filter_match.h"
#include "log/log_reader.h"
#include "log/telegram_log.h"
#include "config/language_texts.h"
#include "platform/directories.h"

namespace qlxs::cli {

bool LoadProgramTexts(Monitor& m) {
  m.AllgVar.ProgDir = ProgramDirectory(ExecutableDirectory());
  return LoadTexts(m, LangGerman);
}

bool OpenLogToRead(Monitor& m, const std::string& path, const char* command) {
  int io = 0;
  const LogCheck check = LogOpenForReading(m, path, &io);
  if (check == LogCheck::Valid) return true;
  const bool notALog = check == LogCheck::WrongMagic || check == LogCheck::WrongLength ||
                       check == LogCheck::TooShort || check == LogCheck::BadRingState;
  std::fprintf(stderr, "qlxs-cli %s: %s: %s%s\n", command, path.c_str(), notALog ? "not a telegram log file: " : "",
               LogCheckText(check, io).c_str());
  return false;
}

void VisitStored(Monitor& m, const std::function<void(const T_Telegramm&)>& visit) {
  ReaderOpen(m);
  ReaderSeek(m, m.log.stand.erstbl, false);
  T_Telegramm t;
  do {
    ReaderRecord(m, t);
    if (t.lga != 0) visit(t);
  } while (ReaderNext(m));
  ReaderClose(m);
}

bool ReportReadFailures(const Monitor& m, const std::string& path, const char* command) {
  if (m.log.readFailures == 0) return true;
  std::fprintf(stderr, "qlxs-cli %s: %s: %d block(s) could not be read or were damaged\n", command, path.c_str(),
               m.log.readFailures);
  return false;
}

bool UseDisplayFilterFile(Monitor& m, const std::string& path, const char* command) {
  T_Filter f{};
  std::string why;
  if (!ReadFilterFile(path, f, why)) {
    std::fprintf(stderr, "qlxs-cli %s: cannot load the filter file %s: %s\n", command, path.c_str(), why.c_str());
    return false;
  }
  FilterNormalise(f, m.AllgPar);
  f.ein = f.def != 0;
  m.AllgPar.afilt = f;
  return true;
}

bool ParseNumber(const char* s, long lo, long hi, long& out) {
  if (!s || !*s) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s, &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool FileHasContent(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && st.st_size > 0;
}

namespace {

volatile std::sig_atomic_t gStopSignal = 0;

extern "C" void RecordStopSignal(int sig) {
  if (gStopSignal == 0) gStopSignal = sig;
}

}  // namespace

namespace {

bool InstallStopHandler() {
  struct sigaction sa {};
  sa.sa_handler = RecordStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a waiting read returns with EINTR
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the caller ignores stays ignored, as nohup and background
    // jobs of a shell expect.
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0) return false;
    if (old.sa_handler == SIG_IGN) continue;
    if (::sigaction(sig, &sa, nullptr) != 0) return false;
  }
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, sig);
  return ::sigprocmask(SIG_UNBLOCK, &set, nullptr) == 0;
}

}  // namespace

bool WatchStopSignals(const char* command) {
  if (InstallStopHandler()) return true;
  std::fprintf(stderr, "qlxs-cli %s: cannot watch for stop signals: %s\n", command, std::strerror(errno));
  return false;
}

bool RefusedToReplace(const char* command, const std::string& path, bool force) {
  if (force || !FileHasContent(path)) return false;
  std::fprintf(stderr, "qlxs-cli %s: %s exists already; use --force to replace it\n", command, path.c_str());
  return true;
}

int StopSignal() { return gStopSignal; }

const char* StopSignalName(int sig) {
  switch (sig) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

ReadOutcome ReadFully(int fd, void* buf, size_t size, const std::function<void()>& idle, int idleMs) {
  ReadOutcome r;
  auto* p = static_cast<unsigned char*>(buf);
  bool idleDone = !idle;
  while (r.n < size) {
    if (!idleDone) {
      pollfd pfd{fd, POLLIN, 0};
      const int ready = ::poll(&pfd, 1, idleMs);
      if (ready < 0 && errno == EINTR) {
        if (StopSignal() != 0) break;
        continue;
      }
      if (ready == 0) {
        idle();
        idleDone = true;
      }
    }
    const ssize_t got = ::read(fd, p + r.n, size - r.n);
    if (got > 0) {
      r.n += static_cast<size_t>(got);
    } else if (got == 0) {
      r.end = true;
      break;
    } else if (errno == EINTR) {
      if (StopSignal() != 0) break;
    } else {
      r.error = errno;
      r.end = true;
      break;
    }
  }
  return r;
}

}  // namespace qlxs::cli
