#pragma once
/// Pieces the subcommands share.

#include <cstddef>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace qlxs {
struct Monitor;
struct T_Telegramm;
}

namespace qlxs::cli {

/// Sets the program directory of `m` from the running executable and loads
/// the German language texts, which also carry the cause lists the APDU
/// check needs. On failure the loader's message has gone to stderr and the
/// result is false; the caller ends with exit code 99, as the program does.
bool LoadProgramTexts(Monitor& m);

/// Opens the log `path` as the telegram log of `m` for reading only. On
/// failure says on stderr "qlxs-cli COMMAND: PATH: " and why, and returns
/// false.
bool OpenLogToRead(Monitor& m, const std::string& path, const char* command);

/// Calls `visit` with every stored telegram of the telegram log of `m`, from
/// the oldest to the newest, through the reader; closes the reader after.
void VisitStored(Monitor& m, const std::function<void(const T_Telegramm&)>& visit);

/// Says on stderr when blocks of the log `path` could not be read or were
/// damaged while it was read; returns false then.
bool ReportReadFailures(const Monitor& m, const std::string& path, const char* command);

/// Makes the filter file `path` the display filter of `m`, under the address
/// structures in force (call it after the log's general parameters were
/// applied): normalised, and on when it restricts anything. On failure says
/// on stderr why, naming the file, and returns false.
bool UseDisplayFilterFile(Monitor& m, const std::string& path, const char* command);

/// Parses a whole decimal number in [lo, hi]; false when `s` is anything else.
bool ParseNumber(const char* s, long lo, long hi, long& out);

/// Without `force`, an output that exists and is not empty is refused: says
/// so on stderr as "qlxs-cli COMMAND: PATH exists already; use --force to
/// replace it" and returns true.
bool RefusedToReplace(const char* command, const std::string& path, bool force);

/// True when `path` names an existing file that is not empty.
bool FileHasContent(const std::string& path);

/// Stop requests for the commands that work through their input to its end.
/// Installs a handler for SIGINT, SIGTERM and SIGHUP that only records the
/// first of them; the command finishes the block it is handling, closes what
/// is pending, writes its log back and ends with `StopExitCode`. The handler
/// is installed without SA_RESTART, so a read that waits for input (a pipe,
/// a terminal) returns with EINTR instead of waiting on. A signal that is
/// ignored when the command starts (nohup) stays ignored. False when the
/// handler cannot be installed, after saying so on stderr as
/// "qlxs-cli COMMAND: ...".
bool WatchStopSignals(const char* command);

/// The first stop signal received since `WatchStopSignals`, or 0.
int StopSignal();

/// The name of a stop signal: "SIGINT", "SIGTERM" or "SIGHUP".
const char* StopSignalName(int sig);

/// The exit status after a stop by `sig`: 128 + sig, as a shell reports a
/// process ended by that signal (130 SIGINT, 143 SIGTERM, 129 SIGHUP).
inline int StopExitCode(int sig) { return 128 + sig; }

/// What one `ReadFully` call got.
struct ReadOutcome {
  size_t n = 0;       ///< octets read
  bool end = false;   ///< the input ended (or failed) within the call
  int error = 0;      ///< errno of a failed read, else 0
};

/// Reads up to `size` octets from `fd`, waiting for more until the input
/// ends, so a pipe delivers the same blocks as a file. A stop signal ends the
/// wait early; what was read before it is kept. When `idle` is given and the
/// input has nothing for `idleMs`, `idle` is called once before the wait
/// goes on (a pipe whose writer pauses must not keep stored telegrams out
/// of the log file).
ReadOutcome ReadFully(int fd, void* buf, size_t size, const std::function<void()>& idle = {},
                      int idleMs = 0);

}  // namespace qlxs::cli
