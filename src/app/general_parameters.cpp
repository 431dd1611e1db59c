#include "app/general_parameters.h"

#include "app/port_config.h"
#include "app/monitor.h"

namespace qlxs {

void ApplyGeneralParameters(Monitor& m) {
  ApplyPortParams(m, m.ports[0]);
  ApplyPortParams(m, m.ports[1]);
}

}  // namespace qlxs
