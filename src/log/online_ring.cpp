#include "log/online_ring.h"

#include <cstring>

namespace qlxs {

void RingClear(OnlineRing& ring) {
  std::memset(ring.slot.data(), 0, sizeof ring.slot);
  ring.write = 0;
  ring.read = 0;
  ring.redraw = false;
}

void RingPut(OnlineRing& ring, const T_Telegramm& t, int n) {
  std::memcpy(&ring.slot[ring.write], &t, static_cast<size_t>(n));
  ring.write = (ring.write + 1) % kRingSlots;
  if (ring.write == ring.read) ring.read = (ring.read + 2) % kRingSlots;
}

}  // namespace qlxs
