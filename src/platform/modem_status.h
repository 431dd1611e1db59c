#pragma once
/// The modem status octet in the layout of the 16550 modem status register,
/// built from readings of the modem lines. The change flags gather between
/// two reads of the octet, as the register's delta bits do, so a change seen
/// while polling for a status trigger is still reported by the next read.

#include <cstdint>

namespace qlxs {

/// Bits of the modem status octet.
enum : uint8_t {
  kMsrDeltaCts = 0x01,
  kMsrDeltaDsr = 0x02,
  kMsrTrailingRi = 0x04,  ///< RI went from on to off
  kMsrDeltaDcd = 0x08,
  kMsrCts = 0x10,
  kMsrDsr = 0x20,
  kMsrRi = 0x40,
  kMsrDcd = 0x80,
};

/// Transitions counted by the driver since the previous reading (zero where
/// the driver keeps no counts). A count catches a pulse that begins and ends
/// between two readings of the line levels.
struct ModemLineCounts {
  uint32_t cts = 0, dsr = 0, rng = 0, dcd = 0;
};

class ModemStatusTracker {
 public:
  /// Starts from `states` (bits 4-7 of the octet) with no changes pending.
  void Reset(uint8_t states);
  /// Takes a new reading: `states` in bits 4-7; change flags are added for
  /// every line whose level differs from the last reading or whose count moved.
  void Sample(uint8_t states, const ModemLineCounts& counts);
  /// The octet: current states and the change flags gathered since the last
  /// call; the flags are then cleared.
  uint8_t Read();
  /// Change flags gathered and not yet read (bits 0-3).
  uint8_t PendingChanges() const { return changes_; }

 private:
  uint8_t states_ = 0;
  uint8_t changes_ = 0;
};

}  // namespace qlxs
