#pragma once
/// What the telegram store and the log work with: the configuration, the
/// clock, the two port states (their parameters travel in the log header,
/// their receivers are counted), the telegram counters, the time base, and
/// the telegram log itself. Capture and the application extend it.

#include <array>
#include <cstdint>
#include <functional>

#include "config/config_state.h"
#include "log/telegram_log.h"
#include "model/port_state.h"
#include "model/telegram.h"

namespace qlxs {

class Clock;

struct LogState : ConfigState {
  LogState(Clock& clock, MessageSink& messages);

  Clock& clock;                   ///< tick and local time
  std::array<T_ComVar, 2> ports;  ///< first and second port
  TelegramCounters counters{};    ///< telegram counters per receiver number
  int32_t TickOffset = 0;         ///< maps the millisecond tick to the local time of day
  TelegramLog log;                ///< the telegram log with its reader and online ring

  /// Called with every telegram that the store has filed into the log (after
  /// numbering); the command line prints telegrams from here.
  std::function<void(const T_Telegramm&)> onStored;
};

}  // namespace qlxs
