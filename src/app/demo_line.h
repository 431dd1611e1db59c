#pragma once
/// The demo line, for trying the monitor without a serial tap: two
/// pseudo-terminal pairs stand in for the two serial ports, and the line
/// simulator plays a telecontrol conversation into their master ends in real
/// time, while the monitor captures from the slave ends through the whole
/// real capture path (serial ports, receivers, log).
///
/// The demo lives in a data directory of its own with its own settings and
/// log; the user's settings, data directory, port map and logs are never
/// read or written. A program runs the demo as:
///
///     DemoLine line;                          // check line.ok()
///     StartUpDemo(m, progDir);                // instead of StartUp
///     line.MapPorts(m);                       // before going online
///     ... GoOnline(m) ...
///     every tick: line.Pump(clock.Tick(), LineOctetsPerSecond(m));
///     ... GoOffline(m); LogClose(m) ...
///     ShutDownDemo(m);                        // instead of ShutDown

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/startup.h"
#include "model/port_params.h"
#include "platform/pty_pair.h"
#include "sim/line_simulator.h"

namespace qlxs {

struct Monitor;

/// The data directory of the demo: "demo/" in the user's data folder.
std::string DemoDataDirectory();

/// The element text file of the demo, in the program directory: it names the
/// stations, objects and addresses of the simulated plant.
inline constexpr const char* kDemoElementFile = "QLXSDemo.txt";

/// The start-up of a demo: `StartUpIn` the demo data directory, then the
/// demo's element texts (`kDemoElementFile` of the program directory) are
/// loaded.
StartupResult StartUpDemo(Monitor& m, const std::string& progDir);

/// The save at the end of a demo: the demo's settings file only.
int ShutDownDemo(Monitor& m);

/// Octets per second on a serial line with the port's parameters: the baud
/// rate divided by the bits of one character (start bit, data bits, parity
/// bit when there is parity, stop bits); 3840 for 38400 baud 8N1.
double OctetsPerSecond(int32_t baud, const T_BetriebsPar& bp);

/// `OctetsPerSecond` of the first port of `m` (its effective baud rate).
double LineOctetsPerSecond(const Monitor& m);

/// What the demo line plays.
struct DemoLineOptions {
  /// The simulated plant and its conversation. The seed of the plant that
  /// `kDemoElementFile` names, with now and then a fault to show.
  sim::SimOptions sim = [] {
    sim::SimOptions o;
    o.seed = 1;
    o.faults = sim::kAllFaults;
    o.faultEvery = 40;
    return o;
  }();
  /// 0: the line never ends (the opening, then the conversation for ever).
  /// More: one whole call of `SimulateLine` with this many APDUs, from the
  /// opening to the closing, after which the line stays quiet.
  int apdus = 0;
  /// The simulated pauses between the exchanges are kept up to this length
  /// in milliseconds; 0 plays the line back to back at the line rate.
  uint32_t maxPauseMs = 2000;
};

/// The two pseudo-terminal pairs and the simulator that plays into them.
class DemoLine {
 public:
  /// Creates both pairs in raw mode without echo.
  explicit DemoLine(const DemoLineOptions& options = {});
  ~DemoLine();
  DemoLine(const DemoLine&) = delete;
  DemoLine& operator=(const DemoLine&) = delete;

  /// True when both pairs exist; else `error()` says why.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  /// The slave device of port 0 or 1, which the monitor opens.
  const std::string& Device(int port) const { return pty_[port].slave(); }

  /// Points both ports of `m` at the slave ends: `m.portMap` becomes a map
  /// (in memory) of their COM numbers to the two devices. A port without a
  /// COM number, or the second with the first one's, gets one (4 and 5).
  void MapPorts(Monitor& m) const;

  /// Writes into the master ends what is due by `nowMs` (a millisecond tick)
  /// at `octetsPerSecond`: the octets of both lines in the order the
  /// simulator sent them, with its pauses (shortened to `maxPauseMs`). The
  /// first call starts the line. After a long gap between two calls (a
  /// stalled program, a monitor that was offline), at most one second of
  /// the line is caught up. Octets the line does not take now (nobody reads
  /// the slave end) wait for the next call. Returns the octets written.
  size_t Pump(uint32_t nowMs, double octetsPerSecond);

  /// Octets written into the master end of port 0 or 1 so far.
  uint64_t Written(int port) const { return written_[port]; }
  /// True when a line of `DemoLineOptions::apdus` has been written out whole.
  bool Finished() const;

  /// Longest stretch of time, in milliseconds, that one call of `Pump` plays.
  static constexpr uint32_t kMaxCatchUpMs = 1000;

 private:
  bool NextRun();

  DemoLineOptions options_;
  std::string error_;
  PtyPair pty_[2];
  std::unique_ptr<sim::EndlessLine> endless_;
  sim::SimResult piece_;        // the part of the line being played
  bool lastPiece_ = false;      // no piece follows `piece_`
  size_t run_ = 0;              // index of the run being played in `piece_.runs`
  size_t inRun_ = 0;            // octets of that run already written
  size_t lineAt_[2] = {0, 0};   // octets of each line of `piece_` already written
  bool runBegun_ = false;       // the pause before the run has been worked out
  double pauseMs_ = 0;          // pause left before the run begins
  double creditMs_ = 0;         // line time due and not yet played
  bool started_ = false;
  uint32_t lastMs_ = 0;
  double lastRunTime_ = -1;     // simulated time of the run before, -1 before the first
  uint64_t written_[2] = {0, 0};
};

}  // namespace qlxs
