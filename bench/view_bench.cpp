// The log view on a full-size log (100 MB, about 3100 blocks, page cache
// warm): End, Home, the thumb at 500 and Page Down, each one ShowPage with
// its rendering, drawn on a canvas that only counts; first with the display
// filter off, then with a selective one: only the S-format telegrams (one
// in four), and a type that the log does not hold (the page walks the
// whole log). The log is built once in the temporary directory.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/monitor.h"
#include "config/language_texts.h"
#include "filter/filter_match.h"
#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "view/canvas.h"
#include "view/log_view.h"
#include "view/view_draw.h"
#include "view/view_state.h"

namespace qlxs {
namespace {

// A window of 1000 x 800 pixels whose drawing costs nothing.
class CountingCanvas final : public Canvas {
 public:
  int ClientWidth() const override { return 1000; }
  int ClientHeight() const override { return 800; }
  int StatusBarHeight() const override { return 20; }
  int ToolBarHeight() const override { return 30; }
  int StatisticsBottom() const override { return 90; }
  int ScrollBarWidth() const override { return 16; }
  int TextHeight(std::string_view) override { return 14; }
  void DrawText(int, int, std::string_view text) override { drawn += text.size(); }
  void FillRect(int, int, int, int) override {}
  void CopyBand(int, int, int) override {}
  void SetFontColour(int) override {}
  void SetBrushColour(int) override {}
  void SetBold(bool) override {}
  void SetBusyCursor(bool) override {}
  size_t drawn = 0;
};

struct FullLog {
  FullLog() : m(clock, sink) {
    m.AllgVar.ProgDir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
    LoadTexts(m, LangEnglish);
    const char* tmp = std::getenv("TMPDIR");
    path = std::string(tmp && *tmp ? tmp : "/tmp") + "/qlxs-view-bench-" + std::to_string(::getpid()) + ".lg4";
    m.AllgPar.maxlog = 100;
    LogOpen(m, path, false);
    // I-format telegrams of 3 objects and S telegrams until the ring has
    // gone round once: every block is full.
    uint8_t i = 0;
    while (m.log.stand.erstbl == 0 || m.log.stand.aktbl + 1 < m.log.stand.anzbl / 2) {
      T_Telegramm t{};
      t.ek = (++i & 1) ? kReceiverPort1 : kReceiverPort2;
      t.ta = (i % 4) ? TaIFormat : TaSFormat;
      t.stat = StatOk;
      const uint8_t apdu[] = {0x68, 22, 2, 0, 2, 0, 1, 3, 3, 0, 12, 0, 1, 0, 0, 1, 2, 0, 0, 0, 3, 0, 0, 0};
      std::copy(apdu, apdu + (t.ta == TaSFormat ? 6 : sizeof apdu), t.b);
      t.lg = t.ta == TaSFormat ? 6 : sizeof apdu;
      clock.Advance(3);
      StoreTelegram(m, t);
    }
    m.PrgPar.ausgonl = 0;
    m.PrgPar.afmt = 3;
    m.PrgPar.mitzeit = m.PrgPar.mitlink = 1;
    ReaderOpen(m);
    RecomputeMetrics(m, view, canvas);
  }
  ~FullLog() {
    LogClose(m);
    ::unlink(path.c_str());
  }
  ManualClock clock;
  RecordingMessageSink sink;
  Monitor m;
  ViewState view;
  CountingCanvas canvas;
  std::string path;
};

FullLog& Log() {
  static FullLog log;
  return log;
}

void BM_ShowPage(benchmark::State& state) {
  FullLog& log = Log();
  const int code = static_cast<int>(state.range(0));
  const int position = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    // Page Down starts from the middle, the thumb from the start of the log
    // (it steps record by record from where the reader stands), End and
    // Home from wherever they stand.
    if (code == kViewPageDown) ShowPage(log.m, log.view, log.canvas, kViewRedraw, 500);
    if (code == kViewRedraw) ShowPage(log.m, log.view, log.canvas, kViewHome, -1);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ShowPage(log.m, log.view, log.canvas, code, position));
  }
  state.counters["telegrams"] = log.m.log.stand.letztnr - log.m.log.stand.erstnr + 1;
}
BENCHMARK(BM_ShowPage)
    ->Args({kViewEnd, -1})
    ->Args({kViewHome, -1})
    ->Args({kViewRedraw, 500})
    ->Args({kViewPageDown, -1})
    ->ArgNames({"code", "pos"})
    ->Unit(benchmark::kMillisecond);

// The display filters of the filtered runs.
enum FilterCase { kOnlySFormat = 1, kAbsentType = 2 };

void BM_ShowPageFiltered(benchmark::State& state) {
  FullLog& log = Log();
  T_Filter& f = log.m.AllgPar.afilt;
  f = T_Filter{};
  if (state.range(1) == kOnlySFormat) {
    f.tart = TartS;
  } else {
    f.krit[2].akt = 1;  // the type row: single command, which the log does not hold
    f.krit[2].w1 = 45;
  }
  FilterNormalise(f, log.m.AllgPar);
  f.ein = 1;
  const int code = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    if (code == kViewPageDown) ShowPage(log.m, log.view, log.canvas, kViewRedraw, 500);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ShowPage(log.m, log.view, log.canvas, code, -1));
  }
  f = T_Filter{};
  FilterNormalise(f, log.m.AllgPar);
}
BENCHMARK(BM_ShowPageFiltered)
    ->Args({kViewEnd, kOnlySFormat})
    ->Args({kViewHome, kOnlySFormat})
    ->Args({kViewPageDown, kOnlySFormat})
    ->Args({kViewEnd, kAbsentType})
    ->Args({kViewHome, kAbsentType})
    ->ArgNames({"code", "filter"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qlxs
