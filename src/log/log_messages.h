#pragma once
/// The numbered messages of the telegram log, formatted in one place.

#include <string>

namespace qlxs {

struct LogState;
struct LogFile;
struct T_AllgVar;

/// A file that was to be opened as the log is not a valid log.
inline constexpr int kMsgLogInvalid = 1201;
/// Writing the log file failed (reported by the main window from `logerr`).
inline constexpr int kMsgLogWriteFailed = 1202;
/// A block or block header of the log could not be read.
inline constexpr int kMsgLogReadFailed = 1203;
/// A log was found with more telegrams in its blocks than its header
/// named (left by a process that died); "%s" the file, "%d" how many.
inline constexpr int kMsgLogRecovered = 1700;
/// The log is being written by another process; "%s" the file.
inline constexpr int kMsgLogLocked = 1701;
/// The English wording of message 1700, while no language texts are loaded.
inline constexpr char kLogRecoveredText[] =
    "The telegram log %s was not closed properly. %d telegrams stored after its last save were recovered from its "
    "blocks.";

/// The text of message `number` for the log file `path`: the language text
/// (its "%s" is the file name), or an English text while no language texts
/// are loaded. The file name, when the text has no place for it, and
/// `detail` (why), when not empty, follow in parentheses.
std::string LogMessageText(const T_AllgVar& v, int number, const std::string& path, const std::string& detail);

/// Shows message `number` as an error.
void ShowLogError(LogState& m, int number, const std::string& path, const std::string& detail);

/// Detail of message 1203 for a block the file ends inside of.
inline constexpr char kBlockCutText[] = "the file ends inside the block; the records before its end are kept";

/// Counts a block of x that could not be read or was damaged and shows
/// message 1203 for the first one since x was opened or created, so a badly
/// damaged file does not flood the user with one message per block.
void ReportReadFailure(LogState& m, LogFile& x, int32_t block, const std::string& detail);

}  // namespace qlxs
