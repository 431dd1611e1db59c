#pragma once
/// Feeding recorded octets of two lines through the receivers, as two serial
/// ports would deliver them: used by `qlxs-cli feed`, the pipeline tests and
/// the capture benchmark, so all of them capture the same way.

#include <cstdint>
#include <functional>
#include <span>

namespace qlxs {

struct CaptureState;

/// The next block of octets of `line` (0: the first port, 1: the second), at
/// most `kReceiveBlockSize` octets; empty when that line has ended. The
/// octets must stay valid until the next call.
using NextLineBlock = std::function<std::span<const uint8_t>(int line)>;

/// Feeds two lines to the receivers of the two ports in turn, one block of
/// each line at a time, without line errors, until both lines have ended or
/// `stop` (when given) returns true before a block.
void FeedTwoLines(CaptureState& m, const NextLineBlock& next, const std::function<bool()>& stop = {});

/// Closes what the receivers of both ports still hold, as the reception
/// time-out would: waits on the monitor's clock past the longer time-out of
/// the two, then runs both ports' timer steps.
void CloseAfterTimeout(CaptureState& m);

}  // namespace qlxs
