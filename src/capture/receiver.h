#pragma once
/// The serial receiver of a port: takes the octets of the line in blocks,
/// cuts them into frames (PPP frames between 0x7E flags, text lines ending
/// in LF, or whatever a time-out, the length limit or a line error closes),
/// stamps and stores each frame as a raw telegram and hands PPP frames to the
/// unwrapping. It also turns modem-line changes into telegrams and keeps the
/// receive activity indicator.
///
/// Everything runs on the one event thread; a port state is touched only by
/// the event or tick being handled.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "model/port_state.h"

namespace qlxs {

struct CaptureState;

/// Largest block read from a port in one go.
inline constexpr size_t kReceiveBlockSize = 1519;

/// Line-error code that stands for a break.
inline constexpr uint16_t kLineErrorBreak = 5;

/// Handles one event of the port's serial port (`port.pCp`). For
/// `kMsgDataAvailable`, `data` is the number of octets available: they are
/// all read in blocks of at most `kReceiveBlockSize`, each block with the line
/// error (or break, code 5) the port reports after reading it, and fed to
/// `ReceiveBlock`; the receive indicator lights afterwards. For
/// `kMsgStatusTrigger`, `trigger` is the handle that fired: when it is the
/// modem-status trigger, changes of watched lines are stored as a modem
/// status telegram and the trigger is armed again. Other events are ignored.
void OnPortEvent(CaptureState& m, T_ComVar& port, int message, uint16_t trigger, long data);

/// Delimits frames in one block of `count` octets, with the block's line
/// error already in `port.em.fehl`. Closes a frame left pending by an expired
/// time-out first, closes frames at flags, text-line ends and the length
/// limit, and closes what is buffered at the end when the block had a line
/// error. Allocation-free; frames never grow beyond `EffectiveFrameLimit`.
void ReceiveBlock(CaptureState& m, T_ComVar& port, const uint8_t* block, size_t count);

/// Applies the two time-outs at the current tick: flag synchronisation is
/// lost after `em.tosyn`; after `em.toempf` a non-empty buffer gets status 13
/// and true is returned (the caller closes it).
bool CheckTimeouts(CaptureState& m, T_ComVar& port);

/// Stamps the frame under construction with the current date and time, then
/// `CompleteFrame`.
void CloseFrame(CaptureState& m, T_ComVar& port);

/// Classifies the frame in `em.te` (line error, PPP frame, text line, not
/// delimited), stores it as a raw telegram with the octets as received,
/// unwraps PPP frames and time-out frames and stores what they carry, then
/// resets the receiver. The time stamp already in `em.te.dt` is kept, so the
/// log re-analysis can call it on a stored frame.
void CompleteFrame(CaptureState& m, T_ComVar& port);

/// Clears the telegram under construction, the line error, and sets status 40.
/// Flag synchronisation is kept.
void ResetReceiver(T_ComVar& port);

/// The work of one timer tick for a port: counts both indicators down and
/// closes a frame whose reception time-out has expired.
void PortTick(CaptureState& m, T_ComVar& port);

/// Stores a modem status telegram (status 43, class 3) with `fnr` = `value`;
/// the store stamps it.
void StoreModemStatus(CaptureState& m, T_ComVar& port, uint8_t value);

/// Lights an indicator for two ticks, unless it is still counting down.
void LedOn(T_LedVar& led);

/// Counts an indicator down by one tick; it goes dark when one tick is left,
/// and can light again once the count has reached zero.
void LedTick(T_LedVar& led);

/// Waits at least `ms` milliseconds of the monitor's clock while keeping the
/// program responsive: calls `processPendingEvents` (when set) while more
/// than 2 ms remain, sleeps 10 ms at a time while more than 17 ms remain and
/// 1 ms at a time after that.
void Delay(CaptureState& m, uint32_t ms, const std::function<void()>& processPendingEvents);

}  // namespace qlxs
