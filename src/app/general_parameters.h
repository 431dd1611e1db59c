#pragma once
/// Bringing what is derived from the general parameters in line with them.

namespace qlxs {

struct Monitor;

/// Recomputes everything derived from `AllgPar` and the port parameters.
/// Called after a log file has been opened (its header brings new general
/// and port parameters) and after the general settings changed: the widths
/// and formats of the address texts and the range texts 836 and 839
/// (`ApplyStructures`), each port's
/// modem-line mask in force follows its parameters (`ApplyPortParams`), and
/// both filters get the criterion rows of the address structures in force
/// (`FilterNormalise`).
void ApplyGeneralParameters(Monitor& m);

}  // namespace qlxs
