#pragma once
/// The file side of opening, saving and re-analysing telegram logs.
///
/// - `OpenLogFile` makes a log file the current log, for viewing it or for
///   appending to it.
/// - `LogCopyTo` and `SaveLogAs` save the current log under another name as a
///   byte-for-byte copy; the current log stays what it was.
/// - `ReplayLog` passes the raw frames stored in a log file through the
///   receivers again and stores what they yield in the current log.

#include <cstdint>
#include <functional>
#include <string>

#include "log/telegram_log.h"

namespace qlxs {

struct Monitor;

/// Makes `name` the current telegram log: closes the current one (writing it
/// back when something was stored), clears the online ring and opens `name`
/// without the age check. The settings stored in its header replace the
/// current general parameters and the parameters of both ports; both filters
/// arrive switched off. A file that is not a valid log is reported (message
/// 1201) and replaced by a new empty log, as `LogOpen` does.
void OpenLogFile(Monitor& m, const std::string& name);

/// What `LogCopyTo` did.
enum class LogCopyOutcome {
  Copied,     ///< the target holds a byte-for-byte copy of the current log file
  SameFile,   ///< the target is the current log file itself: nothing done
  NoSource,   ///< the current log has no file: nothing done
  Failed,     ///< reading, creating or writing failed; reported, target unchanged
};

/// The result of `LogCopyTo`: the outcome, and for a failure the file that
/// failed and the I/O result.
struct LogCopyResult {
  LogCopyOutcome outcome = LogCopyOutcome::Copied;
  int io = 0;            ///< errno of the failure
  std::string file;      ///< the file the failure concerns
};

/// Copies the current log file (`AllgVar.dtlog`) byte for byte to `target`.
/// Nothing happens when `target` names the current log file (the same text,
/// or another name of the same file) or when the current log has no file.
/// The copy is written next to the target under a temporary name and then
/// renamed over it, so an existing target is replaced only by a complete
/// copy and survives a failed one; a symbolic link as target is followed.
/// A failure is shown as an error naming the file and the reason. The
/// current log and its handles are not touched; the caller closes (writes
/// back) the log first so that the file holds every telegram.
LogCopyResult LogCopyTo(Monitor& m, const std::string& target);

/// Saves the current log under `target`: closes it (writing it back), copies
/// it with `LogCopyTo` (unless `copy` is false: then the log is only written
/// back, and the result says `SameFile`), opens it again as the current log
/// without the age check and opens the reader at its end. The current log
/// stays the current log; the copy is not opened. A log kept in memory only
/// is neither closed nor copied (`NoSource`), since closing it would lose it.
LogCopyResult SaveLogAs(Monitor& m, const std::string& target, bool copy = true);

/// What `ReplayLog` did.
struct ReplayResult {
  LogCheck check = LogCheck::Valid;  ///< why the file was not replayed (`Valid` when it was)
  int io = 0;                        ///< I/O result of a failed check
  bool currentLog = false;           ///< refused: the file is the current log itself
  bool complete = false;             ///< the walk reached the newest block of the file
  bool stopped = false;              ///< the walk was ended early because `stop` said so
  int32_t frames = 0;                ///< stored frames passed through the receivers
  int32_t blocks = 0;                ///< blocks walked
  int32_t damagedBlocks = 0;         ///< blocks that could not be read or had damaged records
};

/// Re-analyses the log file `name`: walks its records from the oldest block
/// to the newest through a log object and file handle of its own, and passes
/// every stored raw frame (classes 0 and 5) through the receiver of its port
/// (`ek` 3: the second port, else the first) with `CompleteFrame`. The frame
/// is unwrapped and checked again with the current parameters; the raw
/// telegram and whatever it yields are stored in the current log through
/// `StoreTelegram`, with new numbers and the stored time stamp. Stored APDUs,
/// events and TCP payload pieces are skipped: the pieces come again from
/// their raw frames (feeding a piece would store its payload once more as a
/// bogus raw frame).
///
/// How the receiver closed a frame (at a flag while in flag synchronisation,
/// on a line error, by the reception time-out) depends on what came before
/// it on the line and is not in the log; the stored status says it, so each
/// frame is judged the way it was when it was captured: a line-error frame
/// keeps its error code, a frame that closed at a flag is a PPP frame again
/// unless it was stored as not delimited, and a frame the time-out closed is
/// unwrapped again.
///
/// The file is only read. A file that is not a valid log, or that is the
/// current log itself, gives message 1203 and stores nothing. A block that
/// cannot be read ends the walk (message 1203); a block with damaged records
/// keeps its good ones. The walk ends after at most the file's capacity in
/// blocks, whatever the file holds. `stop`, when given, is asked after each
/// frame (a frame and all it yields are stored together); when it answers
/// true the walk ends there. The receivers' state, `LastVid` and the
/// pending APDUs of a capture that is going on are put aside during the
/// replay and restored afterwards, so neither disturbs the other.
ReplayResult ReplayLog(Monitor& m, const std::string& name, const std::function<bool()>& stop = {});

}  // namespace qlxs
