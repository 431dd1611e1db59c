#pragma once
/// The whole state of one running monitor: configuration records, the two
/// port states, the counters, the telegram log and the platform services.
/// The desktop program and the command line each own one; tests build a
/// fresh one with a manual clock and a temporary data directory.

#include <array>
#include <cstdint>
#include <functional>

#include "capture/unwrap.h"
#include "config/config_state.h"
#include "log/telegram_log.h"
#include "model/port_state.h"
#include "model/telegram.h"
#include "platform/instance_lock.h"
#include "platform/port_map.h"

namespace qlxs {

class Clock;

struct Monitor : ConfigState {
  Monitor(Clock& clock, MessageSink& messages);
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  Clock& clock;            ///< tick and local time
  std::array<T_ComVar, 2> ports;  ///< first and second port
  TelegramCounters counters{};    ///< telegram counters per receiver number
  int32_t TickOffset = 0;  ///< maps the millisecond tick to the local time of day
  T_VId LastVid{};         ///< identity of the last IEC 104 IPv4 segment on either port
  PendingApduTable PendingApdus{};  ///< APDUs that continue in a later segment, both ports
  TelegramLog log;         ///< the telegram log with its reader and online ring
  InstanceLock instanceLock;  ///< holds the instance number `AllgVar.pnr` while the monitor lives
  PortMap portMap;         ///< device of each COM number (ports.map of the data directory)

  /// Called with every telegram that the store has filed into the log (after
  /// numbering); the command line prints telegrams from here.
  std::function<void(const T_Telegramm&)> onStored;
};

}  // namespace qlxs
