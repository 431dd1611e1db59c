#pragma once
/// The name of the automatic telegram log file of this instance.

#include <string>

namespace qlxs {

struct Monitor;

/// The automatic log file name: data directory, the log name text, the
/// instance suffix, the day of the month with the daily log option, and the
/// log extension. Those name parts are language texts; until they are
/// loaded there is no automatic name and the result is empty, so no log
/// counts as the automatic one.
std::string AutomaticLogName(const Monitor& m);

}  // namespace qlxs
