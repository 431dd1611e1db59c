#pragma once
/// The whole state of one running monitor: the capture state with the log
/// and the configuration below it, plus what only the application holds,
/// the instance number and the port map. The desktop program and the
/// command line each own one; tests build a fresh one with a manual clock
/// and a temporary data directory.

#include "capture/capture_state.h"
#include "platform/instance_lock.h"
#include "platform/port_map.h"

namespace qlxs {

struct Monitor : CaptureState {
  using CaptureState::CaptureState;

  InstanceLock instanceLock;  ///< holds the instance number `AllgVar.pnr` while the monitor lives
  PortMap portMap;            ///< device of each COM number (ports.map of the data directory)
};

}  // namespace qlxs
