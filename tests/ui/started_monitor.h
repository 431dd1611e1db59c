#pragma once
// The monitor as the desktop program starts it, for the window tests: a
// scratch home with its own settings and data folders, the English
// environment, the real start-up with the language files of the build, and
// the messages kept.

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "app/monitor.h"
#include "app/startup.h"
#include "config/language_texts.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs::test {

/// `ClockT` is the clock the monitor runs on (a `ManualClock` lets a test
/// step time).
template <typename ClockT = SystemClock>
struct StartedMonitor {
  /// Starts the monitor in the scratch home with the English texts; false
  /// when a step failed.
  bool Start() {
    if (MakeDirectories(root.file("run")) != 0) return false;
    m = std::make_unique<Monitor>(clock, messages);
    return StartUp(*m, QLXS_BIN_DIR, root.file("run")) == StartupResult::Run && LoadTexts(*m, LangEnglish);
  }

  /// Numbers of the messages shown so far.
  std::vector<int> MessageNumbers() const {
    std::vector<int> n;
    for (const auto& e : messages.entries) n.push_back(e.number);
    return n;
  }

  ScratchDir root;
  ScopedEnv home{"HOME", root.file("home")};
  ScopedEnv cfg{"XDG_CONFIG_HOME", root.file("config")};
  ScopedEnv data{"XDG_DATA_HOME", root.file("data")};
  ScopedEnv lcAll{"LC_ALL"}, lcMessages{"LC_MESSAGES"};
  ScopedEnv lang{"LANG", "en_US.UTF-8"};
  ClockT clock = MakeClock();
  RecordingMessageSink messages;
  std::unique_ptr<Monitor> m;

 private:
  static ClockT MakeClock() {
    if constexpr (std::is_same_v<ClockT, ManualClock>)
      return ClockT{46002.5};  // 2025-12-11 12:00
    else
      return ClockT{};
  }
};

}  // namespace qlxs::test
