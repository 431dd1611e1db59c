#include "capture/line_feed.h"

#include <algorithm>

#include "capture/capture_state.h"
#include "capture/receiver.h"
#include "platform/clock.h"

namespace qlxs {

void FeedTwoLines(CaptureState& m, const NextLineBlock& next, const std::function<bool()>& stop) {
  bool ended[2] = {false, false};
  while (!(ended[0] && ended[1])) {
    for (int line = 0; line < 2; ++line) {
      if (ended[line]) continue;
      if (stop && stop()) return;
      const std::span<const uint8_t> block = next(line);
      if (block.empty()) {
        ended[line] = true;
        continue;
      }
      T_ComVar& port = m.ports[line];
      port.em.fehl = 0;
      ReceiveBlock(m, port, block.data(), block.size());
    }
  }
}

void CloseAfterTimeout(CaptureState& m) {
  uint32_t wait = 0;
  for (const T_ComVar& port : m.ports) wait = std::max(wait, port.bp.toempf);
  m.clock.Sleep(wait + 1);
  for (T_ComVar& port : m.ports) PortTick(m, port);
}

}  // namespace qlxs
