#include "config/monitor.h"

namespace qlxs {

Monitor::Monitor(Clock& clock_, MessageSink& messages_)
    : ConfigState(messages_), clock(clock_) {
  InitPortStates(ports[0], ports[1]);
}

}  // namespace qlxs
