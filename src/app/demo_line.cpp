#include "app/demo_line.h"

#include <algorithm>
#include <cstring>

#include "app/monitor.h"
#include "app/port_config.h"
#include "config/element_texts.h"
#include "config/settings.h"
#include "platform/directories.h"
#include "platform/message_sink.h"
#include "platform/port_map.h"

namespace qlxs {

namespace {

// APDUs the endless line simulates at a time: a few minutes of the line at
// the usual pauses, a fraction of a second of work.
constexpr int kApdusPerPiece = 200;

constexpr double kMsPerDay = 86'400'000.0;

}  // namespace

std::string DemoDataDirectory() { return ApplicationDataDirectory() + "demo/"; }

StartupResult StartUpDemo(Monitor& m, const std::string& progDir) {
  const StartupResult r = StartUpIn(m, progDir, DemoDataDirectory());
  if (r != StartupResult::Run) return r;
  const std::string elements = m.AllgVar.ProgDir + kDemoElementFile;
  const ElementLoadResult loaded = LoadElementTexts(m, elements);
  if (!loaded.ok())
    m.messages.Show(0, MsgWarning,
                    elements + ": the element texts of the demo cannot be read: " + std::strerror(loaded.ioError));
  return r;
}

int ShutDownDemo(Monitor& m) { return SaveSettingsFile(m); }

double OctetsPerSecond(int32_t baud, const T_BetriebsPar& bp) {
  if (baud <= 0) return 0;
  const int data = bp.data >= 5 && bp.data <= 8 ? bp.data : 8;
  const int bits = 1 + data + (bp.pari != 0 ? 1 : 0) + (bp.stop == 2 ? 2 : 1);
  return static_cast<double>(baud) / bits;
}

double LineOctetsPerSecond(const Monitor& m) {
  return OctetsPerSecond(EffectiveBaud(m, m.ports[0].bp), m.ports[0].bp);
}

DemoLine::DemoLine(const DemoLineOptions& options) : options_(options), pty_{PtyPair{true}, PtyPair{true}} {
  for (PtyPair& pty : pty_) {
    if (!pty.ok()) {
      error_ = std::string("cannot create a pseudo-terminal pair: ") + std::strerror(pty.error());
      return;
    }
    if (const int err = pty.MakeRaw(); err != 0) {
      error_ = pty.slave() + ": cannot set raw mode: " + std::strerror(err);
      return;
    }
  }
}

DemoLine::~DemoLine() = default;

void DemoLine::MapPorts(Monitor& m) const {
  int32_t& first = m.ports[0].bp.cnr;
  int32_t& second = m.ports[1].bp.cnr;
  if (first <= 0 || first > kMaxComNumber) first = 4;
  if (second <= 0 || second > kMaxComNumber || second == first) second = first == 5 ? 4 : 5;
  m.portMap = PortMap{};
  m.portMap.devices[first] = Device(0);
  m.portMap.devices[second] = Device(1);
}

bool DemoLine::Finished() const { return lastPiece_ && run_ >= piece_.runs.size(); }

// Makes `run_` a run with octets left to play, simulating the next piece of
// the line when the current one is played out; false when the line has ended.
bool DemoLine::NextRun() {
  while (run_ >= piece_.runs.size()) {
    if (lastPiece_) return false;
    if (options_.apdus > 0) {
      sim::SimOptions o = options_.sim;
      o.apdus = options_.apdus;
      piece_ = sim::SimulateLine(o);
      lastPiece_ = true;
    } else {
      if (!endless_) endless_ = std::make_unique<sim::EndlessLine>(options_.sim);
      piece_ = endless_->Next(kApdusPerPiece);
    }
    run_ = 0;
    inRun_ = 0;
    lineAt_[0] = lineAt_[1] = 0;
    runBegun_ = false;
  }
  return true;
}

size_t DemoLine::Pump(uint32_t nowMs, double octetsPerSecond) {
  if (!ok()) return 0;
  if (!started_) {
    started_ = true;
    lastMs_ = nowMs;
  }
  creditMs_ = std::min(creditMs_ + static_cast<uint32_t>(nowMs - lastMs_), static_cast<double>(kMaxCatchUpMs));
  lastMs_ = nowMs;
  if (octetsPerSecond <= 0) return 0;

  size_t total = 0;
  while (NextRun()) {
    const sim::LineRun& run = piece_.runs[run_];
    if (!runBegun_) {
      // The pause before a run is the simulated time since the run before.
      const double gapMs = lastRunTime_ < 0 ? 0 : (run.time - lastRunTime_) * kMsPerDay;
      pauseMs_ = std::clamp(gapMs, 0.0, static_cast<double>(options_.maxPauseMs));
      lastRunTime_ = run.time;
      runBegun_ = true;
    }
    if (pauseMs_ > 0) {
      const double wait = std::min(pauseMs_, creditMs_);
      pauseMs_ -= wait;
      creditMs_ -= wait;
      if (pauseMs_ > 0) break;
    }
    const auto due = static_cast<size_t>(creditMs_ * octetsPerSecond / 1000 + 1e-6);
    if (due == 0) break;
    const size_t n = std::min<size_t>(due, run.size - inRun_);
    const ssize_t w = pty_[run.line].WriteSome(piece_.line[run.line].data() + lineAt_[run.line], n);
    // A full line takes the rest at the next call; so does a failed write.
    if (w <= 0) break;
    const auto done = static_cast<size_t>(w);
    creditMs_ = std::max(0.0, creditMs_ - static_cast<double>(done) * 1000 / octetsPerSecond);
    inRun_ += done;
    lineAt_[run.line] += done;
    written_[run.line] += done;
    total += done;
    if (inRun_ == run.size) {
      ++run_;
      inRun_ = 0;
      runBegun_ = false;
    }
    if (done < n) break;
  }
  return total;
}

}  // namespace qlxs
