#include "config/general_parameters.h"

#include "capture/port_config.h"
#include "config/monitor.h"

namespace qlxs {

void ApplyGeneralParameters(Monitor& m) {
  ApplyPortParams(m, m.ports[0]);
  ApplyPortParams(m, m.ports[1]);
}

}  // namespace qlxs
