#pragma once
/// Evaluation of the log filter and the display filter for one stored telegram.

#include <cstdint>

#include "config/allg_par.h"
#include "config/filter_record.h"
#include "config/prg_par.h"
#include "model/telegram.h"

namespace qlxs {

/// True when telegram t matches filter f. The store applies it to the log
/// filter when that is on; `ViewAdmits` applies it to the display filter.
/// `ap` gives the address structures that split the addresses into fields,
/// `erstnr` the number of the oldest telegram of the log, from which the
/// telegram number criterion counts.
///
/// The criteria are not evaluated yet: every telegram matches, so a filter
/// that is switched on restricts nothing. Filters are switched on only by
/// the filter dialog, and opening a log switches both off.
bool FilterMatch(const T_Filter& f, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t);

/// True when the views show stored telegram t: the display filter
/// `AllgPar.afilt` with the view defaults. An empty record (`lga` 0) is never
/// shown; with `PrgPar.nur104` raw frames without IEC 104 traffic (class 0,
/// status 40 or above) are hidden; a display filter that is on decides the
/// rest; otherwise, with `PrgPar.mitlink` off, accepted S and U format
/// telegrams and raw IEC 104 frames (classes 2, 3, 5) are hidden.
bool ViewAdmits(const T_PrgPar& p, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t);

}  // namespace qlxs
