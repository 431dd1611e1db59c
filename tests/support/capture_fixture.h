#pragma once
// Capture tests: feeding simulated lines through the receivers, and the
// parts of the telegrams they store.

#include <algorithm>
#include <cstring>
#include <functional>
#include <span>
#include <stdexcept>
#include <vector>

#include "capture/line_feed.h"
#include "capture/receiver.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "sim/apdu_builder.h"
#include "sim/frame_builder.h"
#include "sim/line_simulator.h"
#include "support/monitor_fixture.h"

namespace qlxs::test {

/// Feeds both simulated lines to the receivers in blocks of random size, as
/// serial ports deliver them: half of the blocks 1 .. `shortMax` octets, the
/// others up to a whole receive block. `beforeBlock` runs before each block.
/// Then closes what is pending as the reception time-out would.
inline void FeedInRandomBlocks(CaptureFixture& fx, const sim::SimResult& r, sim::Rng& rng, size_t shortMax,
                               const std::function<void()>& beforeBlock = {}) {
  size_t pos[2] = {};
  FeedTwoLines(fx.m, [&](int line) -> std::span<const uint8_t> {
    const size_t left = r.line[line].size() - pos[line];
    if (left == 0) return {};
    if (beforeBlock) beforeBlock();
    const size_t n = std::min<size_t>(left, 1 + rng.Below(rng.Percent(50) ? shortMax : kReceiveBlockSize));
    const std::span<const uint8_t> block(r.line[line].data() + pos[line], n);
    pos[line] += n;
    return block;
  });
  CloseAfterTimeout(fx.m);
}

/// The data octets of a telegram without the appended identity.
inline sim::Bytes DataOf(const T_Telegramm& t) {
  return sim::Bytes(t.b, t.b + t.lg - t.idm);
}

/// The identity appended to an APDU or piece telegram.
inline T_VId VidOf(const T_Telegramm& t) {
  T_VId v{};
  if (t.idm == sizeof v && t.lg >= static_cast<int>(sizeof v)) std::memcpy(&v, t.b + t.lg - sizeof v, sizeof v);
  return v;
}

}  // namespace qlxs::test
