#pragma once
/// The settings file, the data directory and the per-instance file names.

#include <cstdint>
#include <string>

#include "config/prg_par.h"

namespace qlxs {

struct ConfigState;

/// Size of the settings file: the image of `T_PrgPar`.
inline constexpr int kSettingsFileSize = sizeof(T_PrgPar);
/// Format version of the settings file.
inline constexpr int32_t kSettingsVersion = 16;
/// Version of the view size and colour block inside it.
inline constexpr int32_t kTelFarbenVersion = 1;

/// Text numbers of file names: name and extension of the settings file, of
/// the automatic log file.
inline constexpr int kTextSettingsFile = 1131;
inline constexpr int kTextLogFile = 1199;
inline constexpr int kTextLogExtension = 1200;

/// The instance suffix of file names: empty for instance 1, else the
/// decimal instance number (also "0" when no number was claimed).
std::string InstanceSuffix(int pnr);

/// The per-instance file name for text number `n`: DataDir + text n +
/// suffix + text n+1. For the log file (1199) the extension is text 1200,
/// preceded with the daily log option by the day of the month of
/// `AllgVar.syszt` as two digits.
std::string FileNameFor(const ConfigState& m, int n);

/// Reads a settings file. It is valid when it is exactly 4360 bytes long
/// with the magic number, length 4360 and version 16; then it replaces
/// `prgPar` (with the view size and colour block reset to its defaults when
/// that block has another version) and the result is true. Otherwise
/// `prgPar` is left as it was.
bool ReadSettingsFile(const std::string& path, T_PrgPar& prgPar);

/// Writes the 4360-byte image of `prgPar`; the old file is replaced only
/// when the new one is complete. Returns 0 or an errno value.
int WriteSettingsFile(const std::string& path, const T_PrgPar& prgPar);

/// Finds the data directory and reads the settings file, in this order: the
/// data directory of the user store when it exists; else the program
/// directory, whose valid settings file may name another data directory
/// through the directory of `altlog` (when it exists and lies outside the
/// install prefix); else the user's data folder (created when missing,
/// taking over the log file of the program directory), falling back to the
/// program directory. Needs `AllgVar.ProgDir`, `pnr` and `syszt`.
void LoadSettings(ConfigState& m);

/// For commands that only read logs: the settings of the first instance, from
/// the data directory of the user store when it exists, else from the
/// user's data folder. Creates, copies and claims nothing; without a
/// settings file the defaults stay. Needs `AllgVar.ProgDir`; sets `pnr` 1.
void LoadSettingsToRead(ConfigState& m);

/// Writes the settings to the settings file of the data directory (with
/// `lg`, `vers` and `txtdat` = `AllgVar.dtOaTxt` brought up to date), and
/// nothing else. Returns 0 or an errno value.
int SaveSettingsFile(ConfigState& m);

/// Writes the data directory to the user store and the settings to the
/// settings file (`SaveSettingsFile`). Returns 0 or the errno value of the
/// first failure.
int SaveSettings(ConfigState& m);

}  // namespace qlxs
