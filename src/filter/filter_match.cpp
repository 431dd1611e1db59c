#include "filter/filter_match.h"

namespace qlxs {

bool FilterMatch(const T_Filter&, const T_AllgPar&, int32_t, const T_Telegramm&) { return true; }

bool ViewAdmits(const T_PrgPar& p, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t) {
  if (t.lga == 0) return false;
  const bool accepted = !IsFaultyStatus(t.stat);
  if (t.ta == TaRaw && accepted && p.nur104) return false;
  if (ap.afilt.ein) return FilterMatch(ap.afilt, ap, erstnr, t);
  const bool linkLayer = t.ta == TaSFormat || t.ta == TaUFormat || t.ta == TaRaw104;
  return !(accepted && !p.mitlink && linkLayer);
}

}  // namespace qlxs
