#pragma once
/// Evaluation of the log filter and the display filter for one stored telegram.

#include "config/filter_record.h"
#include "model/telegram.h"

namespace qlxs {

struct Monitor;

/// True when telegram t matches filter f. The store applies it to the log
/// filter when that is on; `ViewAdmits` applies it to the display filter.
///
/// The criteria are not evaluated yet: every telegram matches, so a filter
/// that is switched on restricts nothing. Filters are switched on only by
/// the filter dialog, and opening a log switches both off.
bool FilterMatch(const Monitor& m, const T_Filter& f, const T_Telegramm& t);

/// True when the views show stored telegram t: the display filter
/// `AllgPar.afilt` with the view defaults. An empty record (`lga` 0) is never
/// shown; with `PrgPar.nur104` raw frames without IEC 104 traffic (class 0,
/// status 40 or above) are hidden; a display filter that is on decides the
/// rest; otherwise, with `PrgPar.mitlink` off, accepted S and U format
/// telegrams and raw IEC 104 frames (classes 2, 3, 5) are hidden.
bool ViewAdmits(const Monitor& m, const T_Telegramm& t);

}  // namespace qlxs
