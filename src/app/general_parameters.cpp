#include "app/general_parameters.h"

#include "app/monitor.h"
#include "app/port_config.h"
#include "config/address_structure.h"
#include "filter/filter_match.h"

namespace qlxs {

void ApplyGeneralParameters(Monitor& m) {
  ApplyStructures(m);
  ApplyPortParams(m, m.ports[0]);
  ApplyPortParams(m, m.ports[1]);
  FilterNormalise(m.AllgPar.afilt, m.AllgPar);
  FilterNormalise(m.AllgPar.lfilt, m.AllgPar);
}

}  // namespace qlxs
