// A log file from outside: open it, walk all records forwards and backwards.
// Every walk must end and stay inside the blocks.

#include "fuzz_support.h"
#include "log/log_reader.h"
#include "log/telegram_log.h"

using namespace qlxs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ScratchFile file("log.lg4");
  fuzz::FuzzMonitor fm(false);
  Monitor& m = *fm.m;
  const std::string& path = file.Write(data, size);
  if (LogOpenForReading(m, path) != LogCheck::Valid) return 0;
  ReaderOpen(m);
  ReaderSeek(m, m.log.stand.erstbl, false);
  T_Telegramm t;
  int steps = 0;
  do {
    ReaderRecord(m, t);
  } while (ReaderNext(m) && ++steps < 1'000'000);
  while (ReaderBack(m) && ++steps < 2'000'000) ReaderRecord(m, t);
  if (steps >= 2'000'000) __builtin_trap();  // a walk that does not end
  ReaderClose(m);
  return 0;
}
