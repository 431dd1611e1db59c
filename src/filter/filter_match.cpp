#include "filter/filter_match.h"

#include "config/monitor.h"

namespace qlxs {

bool FilterMatch(const Monitor&, const T_Filter&, const T_Telegramm&) { return true; }

bool ViewAdmits(const Monitor& m, const T_Telegramm& t) {
  if (t.lga == 0) return false;
  const bool accepted = !IsFaultyStatus(t.stat);
  if (t.ta == TaRaw && accepted && m.PrgPar.nur104) return false;
  if (m.AllgPar.afilt.ein) return FilterMatch(m, m.AllgPar.afilt, t);
  const bool linkLayer = t.ta == TaSFormat || t.ta == TaUFormat || t.ta == TaRaw104;
  return !(accepted && !m.PrgPar.mitlink && linkLayer);
}

}  // namespace qlxs
