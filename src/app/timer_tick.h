#pragma once
/// The periodic work of the 54 ms timer that needs no window: the daily log
/// switch at midnight, the capture clock resynchronisation, the reception
/// time-outs and indicators of both ports, the emulated modem-status
/// triggers, and the reaction to a failed log write. The window runs its
/// own output between the capture steps and the end of the tick.

#include <cstdint>
#include <functional>

namespace qlxs {

struct Monitor;

/// Period of the timer in milliseconds.
inline constexpr uint32_t kTickMs = 54;
/// The capture clock is resynchronised every this many ticks.
inline constexpr uint32_t kSyncEveryTicks = 256;

/// What a tick did that the window must follow.
struct TickResult {
  bool newDailyLog = false;  ///< a new daily log was started (captions, online view)
  bool wentOffline = false;  ///< a log write failed: capture went offline and message 1202 was shown
};

/// One timer tick, in this order:
/// 1. online, on an even tick, with the daily log option: reads the local
///    time; when its minute differs from `AllgVar.min` it is remembered, and
///    at 00:00 the log is closed, the online ring cleared and a new log
///    started under the automatic name (with the new day of the month);
/// 2. online, every 256 ticks: `SyncClock`;
/// 3. for the first port, then the second: `PortTick` and, while the port is
///    open, the check of its modem-status trigger; then the log's checkpoint
///    when one is due (`LogCheckpointIfDue`);
/// then `windowWork` (when set: the window's counters, view output and
/// deferred start); then
/// 4. `AllgVar.Tick` advances;
/// 5. online, on a tick whose number modulo 32 is 5, after a log write
///    failure (`logerr`): the flag is cleared, capture goes offline and
///    message 1202 is shown.
TickResult TimerTick(Monitor& m, const std::function<void()>& windowWork = {});

}  // namespace qlxs
