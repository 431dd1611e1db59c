#include "model/version.h"

// The build passes the project version to this file alone.
#ifndef QLXS_VERSION
#error "QLXS_VERSION must be defined by the build"
#endif

namespace qlxs {

const char* ProgramVersion() { return QLXS_VERSION; }

}  // namespace qlxs
