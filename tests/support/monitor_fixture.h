#pragma once
// The monitor every test builds on: a manual clock and a list of messages,
// and, for the capture tests, the language texts and every stored telegram.

#include <memory>
#include <vector>

#include "app/monitor.h"
#include "model/telegram.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs::test {

/// A fresh monitor with a manual clock (2025-12-11 12:00) and a message list.
struct TestMonitor {
  ManualClock clock{46002.5};
  RecordingMessageSink sink;
  std::unique_ptr<Monitor> owned = std::make_unique<Monitor>(clock, sink);
  Monitor& m = *owned;
  std::vector<T_Telegramm> stored;  ///< filled only by a `CaptureFixture`

  Monitor& operator*() { return m; }
  Monitor* operator->() { return &m; }
  T_ComVar& port1() { return m.ports[0]; }
  T_ComVar& port2() { return m.ports[1]; }
  /// Numbers of the messages shown so far.
  std::vector<int> MessageNumbers() const;
};

/// A monitor ready to capture: the English language texts loaded (the APDU
/// check reads their cause lists), and every stored telegram kept in `stored`.
struct CaptureFixture : TestMonitor {
  CaptureFixture();
};

}  // namespace qlxs::test
