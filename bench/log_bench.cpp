// Records stored per second with the telegram log on disk.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/monitor.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs {
namespace {

std::string BenchLogPath() {
  const char* base = std::getenv("TMPDIR");
  return std::string(base && *base ? base : "/tmp") + "/qlxs-log-bench-" + std::to_string(::getpid()) + ".lg4";
}

// An I-format APDU with one measured value and its connection identity
// (lg 28, a 56-byte record), or a raw frame of the given length.
T_Telegramm BenchTelegram(int lg) {
  T_Telegramm t{};
  t.ek = kReceiverPort1;
  t.stat = StatOk;
  t.dt = 46002.5;
  t.lg = static_cast<int16_t>(lg);
  if (lg == 28) {
    t.ta = TaIFormat;
    t.idm = 12;
    const uint8_t apdu[] = {0x68, 0x0E, 0x02, 0x00, 0x04, 0x00, 0x0D, 0x01, 0x03, 0x00,
                            0x01, 0x00, 0x10, 0x27, 0x00, 0x00};
    std::memcpy(t.b, apdu, sizeof apdu);
  } else {
    t.ta = TaRaw104;
    for (int i = 0; i < lg; ++i) t.b[i] = static_cast<uint8_t>(i);
  }
  return t;
}

void BM_StoreTelegram(benchmark::State& state) {
  ManualClock clock;
  RecordingMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  const std::string path = BenchLogPath();
  LogOpen(*m, path, false);  // default size: 3126 blocks, so the ring wraps in long runs
  const T_Telegramm sample = BenchTelegram(static_cast<int>(state.range(0)));
  T_Telegramm t = sample;
  for (auto _ : state) {
    t = sample;
    StoreTelegram(*m, t);
    benchmark::DoNotOptimize(t.nr);
  }
  LogClose(*m);
  if (m->AllgVar.logerr) state.SkipWithError("writing the log failed");
  ::unlink(path.c_str());
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(RecordLength(sample.lg)));
}
BENCHMARK(BM_StoreTelegram)->Arg(28)->Arg(257)->Arg(1500)->UseRealTime();

// The time the capture loop spends in one checkpoint of the timer tick: the
// write block, then the ring state, then asking for a flush to the device
// (the flush itself runs on another thread). This is the longest the loop
// can be held up by making the log crash-safe; it must stay far below the
// reception time-out.
void BM_Checkpoint(benchmark::State& state) {
  ManualClock clock;
  RecordingMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  const std::string path = BenchLogPath();
  LogOpen(*m, path, false);
  T_Telegramm t = BenchTelegram(257);
  for (auto _ : state) {
    state.PauseTiming();
    t = BenchTelegram(257);
    StoreTelegram(*m, t);
    clock.Advance(kSyncEveryMs);  // every checkpoint also asks for a flush
    state.ResumeTiming();
    LogCheckpointIfDue(*m, m->log, clock.Tick());
  }
  LogClose(*m);
  if (m->AllgVar.logerr) state.SkipWithError("writing the log failed");
  ::unlink(path.c_str());
}
BENCHMARK(BM_Checkpoint)->UseRealTime()->ComputeStatistics("max", [](const std::vector<double>& v) {
  return *std::max_element(v.begin(), v.end());
});

}  // namespace
}  // namespace qlxs
