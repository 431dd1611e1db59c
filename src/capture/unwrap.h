#pragma once
/// PPP, IPv4 and TCP unwrapping of a completed frame and the extraction of
/// the IEC 104 APDUs it carries.

#include "model/port_state.h"

namespace qlxs {

struct Monitor;

/// Analyses the frame under construction of `port` (`em.te`) in place:
/// unstuffs it and reads the PPP, IPv4 and TCP headers. May set `stat`,
/// `ta`, `prot` and `ofs`. Returns true when the frame carries IEC 104
/// payload that `ExtractApdus` must cut.
bool UnwrapFrame(Monitor& m, T_ComVar& port);

/// Cuts the APDUs and payload pieces out of the frame that `UnwrapFrame`
/// accepted, checks each APDU and stores them after the raw frame.
void ExtractApdus(Monitor& m, T_ComVar& port);

}  // namespace qlxs
