#pragma once
/// The online ring: the last telegrams the display filter admitted, from
/// which the live view draws one per timer tick.

#include <array>
#include <cstdint>

#include "model/telegram.h"

namespace qlxs {

/// Number of slots of the online ring.
inline constexpr int kRingSlots = 24;

/// 24 slots, a write index, a read index and a redraw flag. A slot holds one
/// stored record of which only the first `lga` bytes are valid; a slot whose
/// `lga` is 0 is empty. A burst the view cannot draw in time costs the two
/// oldest undrawn telegrams per overflow, never memory.
struct OnlineRing {
  std::array<T_Telegramm, kRingSlots> slot{};
  int32_t write = 0;    ///< next slot the store fills
  int32_t read = 0;     ///< next slot the online view draws
  bool redraw = false;  ///< the online view redraws the whole area at its next tick
};

/// Sets both indexes, all slots and the redraw flag to zero.
void RingClear(OnlineRing& ring);

/// Copies the `n` bytes of a stored record into the slot at the write index
/// and advances it; when it catches up with the read index, the read index
/// skips the two oldest undrawn telegrams.
void RingPut(OnlineRing& ring, const T_Telegramm& t, int n);

}  // namespace qlxs
