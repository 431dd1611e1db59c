// qlxs: the desktop monitor.

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "app/demo_line.h"
#include "app/monitor.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/locale_formats.h"
#include "ui/main_window.h"
#include "ui/qt_message_sink.h"
#include "ui/stop_signals.h"

namespace {

constexpr const char* kUsage =
    "Usage: qlxs [--demo] [LOG.lg4] [ELEMENTS.txt] [Offline|Online] [-t2]\n"
    "The desktop line monitor for IEC 60870-5-104 over PPP on serial lines.\n"
    "\n"
    "  --demo        monitor the demo line: two pseudo-terminals on which the\n"
    "                built-in simulator plays a station and its control centre\n"
    "                in real time; the demo keeps to a data directory of its own\n"
    "                (demo/ in ~/.local/share/Brakel/DemoQuallixS/)\n"
    "  LOG.lg4       open this telegram log instead of the automatic one\n"
    "  ELEMENTS.txt  use this element text file\n"
    "  Offline, Online (German: Offline, Online)  start offline or online\n"
    "  -t2           show how long each output of the online view took\n"
    "  -h, --help    show this help\n"
    "\n"
    "The settings live in the data directory (see ~/.config/Brakel/DemoQuallixS.conf);\n"
    "ports.map there names the device of each COM number.\n";

// The program's icon, drawn as packaging/qlxs.svg shows it: a line trace
// on a screen above "104".
QIcon AppIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128}) {
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 64.0, size / 64.0);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x1c, 0x3f, 0x66));
    g.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    g.setBrush(QColor(0x0b, 0x1a, 0x2b));
    g.drawRoundedRect(QRectF(8, 10, 48, 30), 3, 3);
    g.setPen(QPen(QColor(0x3e, 0xe0, 0x5a), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF trace[] = {{10, 30}, {16, 30}, {19, 18}, {23, 36}, {27, 24}, {30, 30},
                             {36, 30}, {39, 14}, {43, 34}, {46, 30}, {54, 30}};
    g.drawPolyline(trace, 11);
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(14);
    f.setBold(true);
    g.setFont(f);
    g.setPen(Qt::white);
    g.drawText(QRectF(0, 42, 64, 18), Qt::AlignCenter, "104");
    g.end();
    icon.addPixmap(p);
  }
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace qlxs;
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args;
  bool demo = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--demo")
      demo = true;
    else
      args.push_back(a);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("qlxs");
  QApplication::setDesktopFileName("qlxs");
  QApplication::setWindowIcon(AppIcon());
  SetLocaleFormats(LocaleFormatsFromEnvironment());

  // The demo line exists before the monitor starts, so its ports can be mapped.
  std::unique_ptr<DemoLine> line;
  if (demo) {
    line = std::make_unique<DemoLine>();
    if (!line->ok()) {
      std::fprintf(stderr, "qlxs: the demo line cannot be set up: %s\n", line->error().c_str());
      return 1;
    }
  }

  // Before any window: the German texts (else exit 99 after the loader's
  // message), an instance number, the settings and the chosen language.
  SystemClock clock;
  QtMessageSink messages;
  auto m = std::make_unique<Monitor>(clock, messages);
  const std::string progDir = ProgramDirectory(ExecutableDirectory());
  const StartupResult started = demo ? StartUpDemo(*m, progDir) : StartUp(*m, progDir, RuntimeDirectory());
  if (started != StartupResult::Run) return StartupExitCode(started);
  if (line) {
    line->MapPorts(*m);
    m->PrgPar.online = 1;  // the demo captures from the start
    // The demo's element texts name its stations, unless others are given.
    args.insert(args.begin(), m->AllgVar.ProgDir + kDemoElementFile);
  }

  // Logging out, Ctrl-C in the terminal and kill close the window as the
  // user would: ports closed with their telegrams, log written back.
  StopSignals stop;
  int rc = 0;
  {
    TfmMain window(*m, args);
    window.SetDemoLine(line.get());
    messages.SetMainWindow(&window, [&window] { return window.MessagePlace(); });
    QObject::connect(&stop, &StopSignals::stopRequested, &window, &QWidget::close);
    window.show();
    rc = app.exec();
    messages.SetMainWindow(nullptr, {});
  }
  const int saved = line ? ShutDownDemo(*m) : ShutDown(*m);
  if (saved != 0) rc = rc != 0 ? rc : 1;
  return rc;
}
