#include "log/log_state.h"

namespace qlxs {

LogState::LogState(Clock& clock_, MessageSink& messages_) : ConfigState(messages_), clock(clock_) {
  InitPortStates(ports[0], ports[1]);
}

}  // namespace qlxs
