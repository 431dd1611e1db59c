#include "config/general_parameters.h"

#include "config/monitor.h"

namespace qlxs {

void ApplyGeneralParameters(Monitor&) {}

}  // namespace qlxs
