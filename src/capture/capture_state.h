#pragma once
/// What the receivers, the unwrapping and the APDU check work with: the log
/// state they store into, and what reassembly carries from one segment to
/// the next on either port.

#include "capture/unwrap.h"
#include "log/log_state.h"

namespace qlxs {

struct CaptureState : LogState {
  using LogState::LogState;

  T_VId LastVid{};                  ///< identity of the last IEC 104 IPv4 segment on either port
  PendingApduTable PendingApdus{};  ///< APDUs that continue in a later segment, both ports
};

}  // namespace qlxs
