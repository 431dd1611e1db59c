// The whole capture path: simulated line octets of both directions through
// the two receivers, the unwrapping and reassembly, the APDU check and the
// store into a telegram log file on disk (default size, so the ring of
// blocks wraps as it does in a long capture). Reports line octets per
// second and APDUs per second in wall-clock time, and the heap allocations
// per frame (there must be none).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/monitor.h"
#include "capture/line_feed.h"
#include "capture/receiver.h"
#include "config/language_texts.h"
#include "log/telegram_log.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "sim/line_simulator.h"
#include "support/allocations.h"


namespace qlxs {
namespace {

std::string ProgramDir() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

void BM_CapturePath(benchmark::State& state) {
  sim::SimOptions o;
  o.seed = 11;
  o.apdus = 20000;
  o.splitPercent = static_cast<int>(state.range(0));
  o.vj = state.range(1) != 0;
  const sim::SimResult r = sim::SimulateLine(o);
  long apdus = 0, frames = 0;
  for (const auto& line : r.expected)
    for (const sim::ExpectedTelegram& t : line) {
      if (t.hasVid && t.stat != StatFragment) ++apdus;
      if (!t.hasVid) ++frames;
    }

  ManualClock clock;
  RecordingMessageSink sink;
  Monitor m(clock, sink);
  m.AllgVar.ProgDir = ProgramDir();
  if (!LoadTexts(m, LangEnglish)) {
    state.SkipWithError("language texts not found next to the benchmark");
    return;
  }

  const char* tmp = std::getenv("TMPDIR");
  const std::string logName =
      std::string(tmp && *tmp ? tmp : "/tmp") + "/qlxs-capture-bench-" + std::to_string(::getpid()) + ".lg4";
  LogNew(m, logName);
  m.AllgVar.dtlog = logName;
  if (m.AllgVar.logerr) {
    state.SkipWithError(("cannot create the log file " + logName).c_str());
    return;
  }

  long allocations = 0;
  for (auto _ : state) {
    const long before = bench::Allocations();
    size_t pos[2] = {};
    FeedTwoLines(m, [&](int line) {
      const size_t n = std::min(r.line[line].size() - pos[line], kReceiveBlockSize);
      const std::span<const uint8_t> block(r.line[line].data() + pos[line], n);
      pos[line] += n;
      return block;
    });
    allocations += bench::Allocations() - before;
  }
  LogClose(m);
  ::unlink(logName.c_str());
  if (m.AllgVar.logerr) state.SkipWithError(("writing the log file " + logName + " failed").c_str());
  const double iterations = static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(r.line[0].size() + r.line[1].size()));
  state.counters["APDUs/s"] = benchmark::Counter(static_cast<double>(apdus) * iterations, benchmark::Counter::kIsRate);
  state.counters["allocs/frame"] = static_cast<double>(allocations) / (iterations * static_cast<double>(frames));
}
BENCHMARK(BM_CapturePath)->Args({0, 0})->Args({10, 0})->Args({0, 1})->ArgNames({"split%", "vj"})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace qlxs
