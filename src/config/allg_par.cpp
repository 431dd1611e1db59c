#include "config/allg_par.h"

#include <cstring>

namespace qlxs {

T_AllgPar DefaultAllgPar() {
  T_AllgPar ap;
  std::memset(&ap, 0, sizeof ap);
  ap.lg = sizeof(T_AllgPar);
  ap.cabrt = SingleField(16);
  ap.oabrt = SingleField(24);
  ap.maxlog = 100;
  ap.mw100 = 32000;
  return ap;
}

}  // namespace qlxs
