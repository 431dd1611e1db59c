// The desktop monitor's cost while it captures a busy line: the main window
// (offscreen unless QT_QPA_PLATFORM says otherwise) captures the demo line
// with both ports at 115200 baud, played back to back without pauses, so
// the line is as full as the simulated conversation can make it. Every part
// of the real program runs: the pseudo-terminals, the socket notifiers, the
// receivers, the log, the 54 ms timer and the online view painted into the
// window's pixmap. After a warm-up it measures the process's CPU time over
// the given wall time and prints it as a share of one core.
//
// Usage: online_window_bench [SECONDS] [BAUD]   (default 20 s, 115200)

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "app/demo_line.h"
#include "app/monitor.h"
#include "app/startup.h"
#include "log/telegram_log.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/message_sink.h"
#include "ui/main_window.h"

namespace {

double CpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace qlxs;
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  const int baud = argc > 2 ? std::atoi(argv[2]) : 115200;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // A home of its own: the demo's settings and log go there.
  char home[] = "/tmp/qlxs-online-bench-XXXXXX";
  if (!::mkdtemp(home)) return 1;
  ::setenv("HOME", home, 1);
  ::setenv("XDG_CONFIG_HOME", (std::string(home) + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (std::string(home) + "/data").c_str(), 1);
  ::setenv("LANG", "en_US.UTF-8", 1);
  QApplication app(argc, argv);

  DemoLineOptions options;
  options.maxPauseMs = 0;
  DemoLine line(options);
  if (!line.ok()) {
    std::fprintf(stderr, "online_window_bench: %s\n", line.error().c_str());
    return 1;
  }
  SystemClock clock;
  StderrMessageSink messages;
  auto m = std::make_unique<Monitor>(clock, messages);
  if (StartUpDemo(*m, ProgramDirectory(ExecutableDirectory())) != StartupResult::Run) return 1;
  for (T_ComVar& port : m->ports) port.bp.baud = baud;
  line.MapPorts(*m);
  m->PrgPar.online = 1;
  m->PrgPar.ausgonl = 1;

  double cpuStart = 0;
  int32_t storedStart = 0;
  uint64_t writtenStart = 0;
  QElapsedTimer wall;
  {
    TfmMain w(*m, {});
    w.SetDemoLine(&line);
    w.resize(1000, 700);
    w.show();
    // Two seconds to open the ports and fill the view, then the measurement.
    QTimer::singleShot(2000, [&] {
      cpuStart = CpuSeconds();
      storedStart = m->log.stand.letztnr;
      writtenStart = line.Written(0) + line.Written(1);
      wall.start();
      QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    });
    app.exec();
    const double cpu = CpuSeconds() - cpuStart;
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    std::printf("online view, both ports at %d baud, %.1f s: %.3f s CPU = %.2f %% of one core; "
                "%d telegrams stored, %llu octets played (%.0f octets/s)\n",
                baud, elapsed, cpu, 100.0 * cpu / elapsed, m->log.stand.letztnr - storedStart,
                static_cast<unsigned long long>(line.Written(0) + line.Written(1) - writtenStart),
                static_cast<double>(line.Written(0) + line.Written(1) - writtenStart) / elapsed);
    w.close();
  }
  ShutDownDemo(*m);
  std::string rm = std::string("rm -rf ") + home;
  return std::system(rm.c_str()) == 0 ? 0 : 1;
}
