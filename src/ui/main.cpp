// qlxs: the desktop monitor.

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>

#include "app/monitor.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/locale_formats.h"
#include "ui/main_window.h"
#include "ui/qt_message_sink.h"
#include "ui/stop_signals.h"

int main(int argc, char** argv) {
  using namespace qlxs;
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  QApplication::setApplicationName("qlxs");
  SetLocaleFormats(LocaleFormatsFromEnvironment());

  // Before any window: the German texts (else exit 99 after the loader's
  // message), an instance number, the settings and the chosen language.
  SystemClock clock;
  QtMessageSink messages;
  auto m = std::make_unique<Monitor>(clock, messages);
  const StartupResult started = StartUp(*m, ProgramDirectory(ExecutableDirectory()), RuntimeDirectory());
  if (started != StartupResult::Run) return StartupExitCode(started);

  // Logging out, Ctrl-C in the terminal and kill close the window as the
  // user would: ports closed with their telegrams, log written back.
  StopSignals stop;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  int rc = 0;
  {
    TfmMain window(*m, args);
    messages.SetMainWindow(&window, [&window] { return window.MessagePlace(); });
    QObject::connect(&stop, &StopSignals::stopRequested, &window, &QWidget::close);
    window.show();
    rc = app.exec();
    messages.SetMainWindow(nullptr, {});
  }
  if (ShutDown(*m) != 0) rc = rc != 0 ? rc : 1;
  return rc;
}
