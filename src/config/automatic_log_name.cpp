#include "config/automatic_log_name.h"

#include "config/monitor.h"

namespace qlxs {

std::string AutomaticLogName(const Monitor&) { return {}; }

}  // namespace qlxs
