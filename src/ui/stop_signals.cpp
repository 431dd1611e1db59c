#include "ui/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include <QSocketNotifier>

namespace qlxs {

namespace {

int pipeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnSignal(int signo) {
  const int saved = errno;
  const unsigned char c = static_cast<unsigned char>(signo);
  [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &c, 1);
  errno = saved;
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
  if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &sa, nullptr);
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
}

StopSignals::~StopSignals() {
  if (!notifier_) return;
  for (int s : kSignals) std::signal(s, SIG_DFL);
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

void StopSignals::Read() {
  unsigned char c = 0;
  int last = 0;
  while (::read(pipeFds[0], &c, 1) == 1) last = c;
  if (last != 0) emit stopRequested(last);
}

}  // namespace qlxs
