#pragma once
/// The name of the automatic telegram log file of this instance.

#include <string>

namespace qlxs {

struct ConfigState;

/// `DataDir` + text 1199 + the instance suffix (empty for instance 1, else
/// the decimal instance number), then with the daily log file option the day
/// of the month of `AllgVar.syszt` in two digits, then text 1200 (the log
/// extension). Empty while no data directory is set or the language texts
/// are not loaded: then no log counts as the automatic one.
std::string AutomaticLogName(const ConfigState& m);

}  // namespace qlxs
