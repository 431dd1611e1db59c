#pragma once
/// The log filter and the display filter: normalising a filter record after
/// it was edited or the address structures changed, and evaluating it for
/// one stored telegram.
///
/// Evaluation reads fixed offsets of the record and allocates nothing. It
/// never reads an octet of `b` beyond the data the telegram holds: the ASDU
/// fields and object addresses are read only inside the APDU (`lg` - `idm`
/// octets), the appended identity and the IPv4 header only inside `lg`. An
/// ASDU octet that a short or damaged telegram does not hold reads as 0; an
/// address that cannot be read satisfies no address criterion.

#include <cstdint>

#include "config/allg_par.h"
#include "config/filter_record.h"
#include "config/prg_par.h"
#include "model/telegram.h"

namespace qlxs {

/// Criterion kinds (`T_FltKrit::art`).
enum : int32_t {
  KritNumber = 6,     ///< telegram number relative to the log
  KritLength = 7,     ///< `lg` as stored
  KritType = 8,       ///< type identification
  KritCause = 9,      ///< cause octet without the test bit
  KritOrigin = 10,    ///< originator address
  KritCaField1 = 11,  ///< common address fields 1..4: kinds 11..14
  KritIoaField1 = 15, ///< object address fields 1..5: kinds 15..19
  KritLast = 19,
};

/// Bits of the class mask `T_Filter::tart`.
enum : uint16_t {
  TartRaw104 = 0x01,  ///< class 5
  TartI = 0x02,       ///< class 1
  TartS = 0x04,       ///< class 2
  TartStart = 0x08,   ///< class 3 whose first control octet is below 0x40 (STARTDT, STOPDT)
  TartTest = 0x10,    ///< class 3 whose first control octet has bit 6 or 7 set (TESTFR)
  TartOther = 0x20,   ///< classes 0 and 4, always set after normalising
  TartAll = 0x3F,
};

/// Source mask `T_Filter::tken` that admits both ports.
inline constexpr uint16_t kTkenBothPorts = 3;

/// Gives the rows their kinds for the address structures of `ap` (number,
/// length, type, cause, originator, one row per common address field, one
/// per object address field; `anz` = rows given a kind) and computes `def`,
/// `asdu` and `ioa1`. A row keeps its values when it gets another kind. No
/// status flag set means both; no source or no class means all. A zeroed
/// record becomes a filter that admits everything, with `def` 0.
void FilterNormalise(T_Filter& f, const T_AllgPar& ap);

/// True when value v satisfies row r: equal to `w1` (`mod` 0), equal to
/// `w1` or `w2` (`mod` 1), else within `w1`..`w2`, a range that wraps when
/// `w1` > `w2`; negated when `akt` is 2. The caller tests `akt` != 0.
bool CritMatch(const T_FltKrit& r, int32_t v);

/// The value criterion kind `art` takes from telegram t; 0 for kinds
/// outside 6..19. Kinds 15..19 take the field of the first object's
/// address (the filter itself tests every object with `IoaMatch`).
int32_t CritValue(int32_t art, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t);

/// The information object address of object n (from 1) of an I-format
/// telegram: three octets little-endian, the first address when n < 2, SQ
/// is set or the type is private (above 127), plus n - 1 for a sequence of
/// several objects.
uint32_t IoaOfObject(int n, const T_Telegramm& t);

/// True when object n of t satisfies every active object address row of f
/// (rows `ioa1` .. `anz`), each against its field of the address under
/// `ap.oabrt`.
bool IoaMatch(const T_Filter& f, const T_AllgPar& ap, const T_Telegramm& t, int n);
/// The same for an object whose address `a` the caller has read.
bool IoaAddressMatch(const T_Filter& f, const T_AllgPar& ap, uint32_t a);

/// True when telegram t matches filter f. The store applies it to the log
/// filter when that is on; `ViewAdmits` applies it to the display filter.
/// `ap` gives the address structures that split the addresses into fields,
/// `erstnr` the number of the oldest telegram of the log, from which the
/// telegram number criterion counts. The checks run in a fixed order and the
/// first decisive one gives the result: number and time bounds; events
/// pass; length, source and status; faulty telegrams and raw frames without
/// IEC 104 traffic pass; class mask; IPv4 address; ASDU criteria, which only
/// I-format telegrams can meet; object address criteria, which at least one
/// object must meet.
bool FilterMatch(const T_Filter& f, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t);

/// True when the views show stored telegram t: the display filter
/// `AllgPar.afilt` with the view defaults. An empty record (`lga` 0) is never
/// shown; with `PrgPar.nur104` raw frames without IEC 104 traffic (class 0,
/// status 40 or above) are hidden; a display filter that is on must match;
/// and with `PrgPar.mitlink` off, accepted S and U format telegrams and raw
/// IEC 104 frames (classes 2, 3, 5) are hidden whether the filter is on or
/// off.
bool ViewAdmits(const T_PrgPar& p, const T_AllgPar& ap, int32_t erstnr, const T_Telegramm& t);

}  // namespace qlxs
