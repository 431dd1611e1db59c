#pragma once
/// The start-up sequence that runs before any window exists, and the save
/// at the end of the process.

#include <string>

namespace qlxs {

struct Monitor;

/// How start-up ended.
enum class StartupResult {
  Run,         ///< an instance number was claimed: the program runs
  NoInstance,  ///< all six instance numbers are held: end without starting
  NoLanguage,  ///< the German language file failed to load: end with exit code 99
};

/// Exit code of a program that ends because the German language file could not be loaded.
inline constexpr int kExitNoLanguage = 99;

/// The process exit code for a start-up result that does not run the
/// program: 99 without German texts, 1 without an instance number, 0 otherwise.
int StartupExitCode(StartupResult r);

/// The start-up sequence: reads the local time into `syszt`, sets
/// `ProgDir` = `progDir`, loads the German texts, claims an instance number
/// through the lock files in `lockDir`, `LoadSettings`, loads the chosen
/// language when it is not German, and prepares the two port states (the
/// second derived from the first), and reads the port map of the data
/// directory. With no free instance number `pnr` and
/// `first` stay 0 and the reason is reported.
StartupResult StartUp(Monitor& m, const std::string& progDir, const std::string& lockDir);

/// The start-up of a monitor that keeps to a data directory of its own,
/// `dataDir` (created when missing), such as the demo: as `StartUp`, but
/// the instance number is claimed among the lock files in `dataDir`, the
/// settings are read from the settings file there, and the port map stays
/// empty for the caller to fill. The user store, the user's data folder
/// and its port map are neither read nor written.
StartupResult StartUpIn(Monitor& m, const std::string& progDir, const std::string& dataDir);

/// Reads `ports.map` of the data directory into `m.portMap`; each ignored
/// line or read error is shown as a warning naming the file and line.
void LoadPortMapOf(Monitor& m);

/// The save at the end of the process: `SaveSettings`. Returns its result.
int ShutDown(Monitor& m);

}  // namespace qlxs
