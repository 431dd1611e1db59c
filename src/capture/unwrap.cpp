#include "capture/unwrap.h"

namespace qlxs {

// Until the unwrapping exists no frame counts as IEC 104 traffic.
bool UnwrapFrame(Monitor&, T_ComVar&) { return false; }

void ExtractApdus(Monitor&, T_ComVar&) {}

}  // namespace qlxs
