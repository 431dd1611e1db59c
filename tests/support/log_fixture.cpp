#include "support/log_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"

namespace qlxs::test {

LogState ReadLogState(const std::string& path) {
  TestMonitor tm;
  LogState s;
  s.valid = LogOpenForReading(*tm, path) == LogCheck::Valid;
  s.stand = tm->log.stand;
  s.maxlog = tm->AllgPar.maxlog;
  tm->log.file.Close();
  return s;
}

std::vector<std::vector<uint8_t>> StoreSamples(Monitor& m, int count, int lg, int first) {
  std::vector<std::vector<uint8_t>> stored;
  for (int i = first; i < first + count; ++i) {
    T_Telegramm t = SampleTelegram(i, lg);
    StoreTelegram(m, t);
    stored.push_back(RecordBytes(t));
  }
  return stored;
}


T_Telegramm SampleTelegram(int i, int lg) {
  static constexpr uint8_t kClasses[] = {TaRaw, TaIFormat, TaSFormat, TaUFormat, TaRaw104};
  static constexpr uint8_t kStats[] = {StatOk, StatOk, StatTimeout, StatFragment, StatLineError, StatTextLine};
  T_Telegramm t{};
  t.ta = kClasses[i % 5];
  t.stat = kStats[i % 6];
  t.ek = i % 3 == 0 ? kReceiverPort2 : kReceiverPort1;
  t.lg = static_cast<int16_t>(lg >= 0 ? lg : (i * 379 + i / 7) % (kTelegramDataSize + 1));
  t.dt = 46002.25 + i / 86'400'000.0;
  t.idm = t.ta >= TaIFormat && t.ta <= TaUFormat ? 12 : 0;
  t.prot = t.ta == TaRaw104 ? 0x0021 : 0;
  t.ofs = t.ta == TaRaw104 ? 3 : 0;
  for (int k = 0; k < t.lg; ++k) t.b[k] = static_cast<uint8_t>(i * 31 + k * 7 + (k >> 8));
  return t;
}

std::vector<uint8_t> RecordBytes(const T_Telegramm& t) {
  const auto* p = reinterpret_cast<const uint8_t*>(&t);
  return std::vector<uint8_t>(p, p + t.lga);
}

namespace {

int64_t StepLimit(const Monitor& m) {
  return int64_t{m.log.stand.anzbl} * (kLogBlockSize / kTelegramHeaderSize + 2) + 4;
}

}  // namespace

namespace {

// Every record from one end of the log to the other; a walk that does not
// end within the log's size fails the test.
std::vector<std::vector<uint8_t>> Walk(Monitor& m, bool forward) {
  ReaderOpen(m);
  if (forward)
    ReaderSeek(m, m.log.stand.erstbl, false);
  else
    ReaderSeek(m, m.log.stand.aktbl, true);
  std::vector<std::vector<uint8_t>> out;
  T_Telegramm t;
  int64_t steps = 0;
  do {
    ReaderRecord(m, t);
    if (t.lga != 0) out.push_back(RecordBytes(t));
    if (++steps > StepLimit(m)) {
      ADD_FAILURE() << (forward ? "forward" : "backward") << " walk does not end";
      break;
    }
  } while (forward ? ReaderNext(m) : ReaderBack(m));
  return out;
}

}  // namespace

std::vector<std::vector<uint8_t>> ReadForward(Monitor& m) { return Walk(m, true); }

std::vector<std::vector<uint8_t>> ReadBackward(Monitor& m) { return Walk(m, false); }


bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

int RunInChild(bool unprivileged, int (*fn)(void*), void* arg) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(120);
    ::_exit(fn(arg));
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace qlxs::test
