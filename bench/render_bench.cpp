// Rendering: the telegrams of a simulated line turned into lines of text in
// each output format, with time and link layer on, as the log view and
// `qlxs-cli show` produce them. Reports telegrams and lines per second and
// the heap allocations per telegram.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "capture/line_feed.h"
#include "config/language_texts.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "render/render.h"
#include "sim/line_simulator.h"
#include "support/allocations.h"

namespace qlxs {
namespace {

// The telegrams the capture stores from a simulated line, in memory.
std::vector<T_Telegramm> CapturedTelegrams(Monitor& m) {
  sim::SimOptions o;
  o.seed = 11;
  o.apdus = 4000;
  o.splitPercent = 10;
  const sim::SimResult r = sim::SimulateLine(o);
  std::vector<T_Telegramm> stored;
  m.onStored = [&stored](const T_Telegramm& t) { stored.push_back(t); };
  size_t pos[2] = {};
  FeedTwoLines(m, [&](int line) {
    const size_t n = std::min<size_t>(r.line[line].size() - pos[line], 512);
    const std::span<const uint8_t> block(r.line[line].data() + pos[line], n);
    pos[line] += n;
    return block;
  });
  CloseAfterTimeout(m);
  m.onStored = nullptr;
  return stored;
}

void BM_Render(benchmark::State& state) {
  ManualClock clock;
  RecordingMessageSink sink;
  Monitor m(clock, sink);
  m.AllgVar.ProgDir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
  if (!LoadTexts(m, LangEnglish)) {
    state.SkipWithError("language texts not found next to the benchmark");
    return;
  }
  const std::vector<T_Telegramm> telegrams = CapturedTelegrams(m);
  m.PrgPar.afmt = static_cast<int32_t>(state.range(0));
  m.PrgPar.mitzeit = m.PrgPar.mitlink = 1;
  m.log.stand.erstnr = 1;
  T_TeleAusgabe c;
  std::string out;
  long lines = 0, allocations = 0;
  for (auto _ : state) {
    const long before = bench::Allocations();
    for (const T_Telegramm& t : telegrams) {
      BeginTelegram(m, c, t);
      for (const std::string* p = &NextLines(m, c); !p->empty(); p = &NextLines(m, c)) {
        out.clear();
        AppendPieceLines(out, *p, "\n");
        ++lines;
      }
      benchmark::DoNotOptimize(out.data());
    }
    allocations += bench::Allocations() - before;
  }
  const double runs = static_cast<double>(state.iterations());
  const double perRun = static_cast<double>(telegrams.size());
  state.counters["telegrams/s"] = benchmark::Counter(perRun * runs, benchmark::Counter::kIsRate);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
  state.counters["allocs/telegram"] = static_cast<double>(allocations) / (runs * perRun);
}
BENCHMARK(BM_Render)->DenseRange(FmtLogisch, FmtExport)->ArgName("format")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qlxs
