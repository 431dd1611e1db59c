#pragma once
/// SIGTERM, SIGINT and SIGHUP as a Qt signal on the GUI thread: the handler
/// only writes the signal number into a pipe, whose read end a socket
/// notifier watches, so the window closes between two events as when the
/// user closes it.

#include <QObject>

class QSocketNotifier;

namespace qlxs {

class StopSignals final : public QObject {
  Q_OBJECT
 public:
  /// Installs the handlers; `ok()` says whether that worked.
  explicit StopSignals(QObject* parent = nullptr);
  /// Restores the default handling and closes the pipe.
  ~StopSignals() override;
  bool ok() const { return notifier_ != nullptr; }

 signals:
  /// A stop signal arrived (its number).
  void stopRequested(int signo);

 private:
  void Read();
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace qlxs
