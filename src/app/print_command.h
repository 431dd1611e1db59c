#pragma once
/// The decisions of the print dialog, without a window: the three outputs
/// (text file, printer, extract into a new log) and the choices stored for
/// them in the settings, the file mask of the file list, the output file
/// name made from what the user entered, the refusal of the current log as
/// a target, and the run of one output with its failure message.

#include <string>

#include "print/print_log.h"

namespace qlxs {

struct ConfigState;

struct Monitor;
struct T_PrgPar;

/// The output choice (`PrgPar.druausg`).
enum PrintChoice : int {
  kPrintTextFile = 0,  ///< rendered lines into a text file
  kPrintPrinter = 1,   ///< rendered lines on a printer (or into a PDF file)
  kPrintLogFile = 2,   ///< the admitted telegrams, unrendered, into a new log
};

/// What the dialog shows selected: the choice, the printer list index and
/// the file list index (-1: no file selected).
struct PrintChoices {
  int choice = kPrintTextFile;
  int printer = 0;
  int file = -1;
};

/// The choices the dialog opens with, from the stored ones (`druausg`,
/// `drudrucker`, `drudatei`) and the lengths of the lists as they are now:
/// a choice outside 0 .. 2 is the text file, a printer index outside the
/// list the first printer (-1 when there is none), a file index outside the
/// list no file.
PrintChoices InitialPrintChoices(const T_PrgPar& p, int printers, int files);
/// Stores the choices in the settings when the dialog ends with OK.
void StorePrintChoices(T_PrgPar& p, const PrintChoices& c);

/// The mask of the file list: "*.lg4" for the log file, "*.pdf" for the
/// printer when it prints into a PDF file, else "*.txt".
std::string PrintFileMask(int choice, bool pdf);

/// The output file named by the entry `entered`, for `choice` (`pdf`: the
/// printer prints into a PDF file): a name that is not an absolute path is
/// taken in the data directory `dataDir` (with its trailing '/'); for the
/// log file its extension is replaced by `logExt` (text 1200, with the
/// dot); for a text file or a PDF file without an extension ".txt" or
/// ".pdf" is appended. Empty when nothing but blanks was entered.
std::string PrintTargetName(const std::string& entered, int choice, bool pdf, const std::string& dataDir,
                            const std::string& logExt);

/// Why the dialog does not start an output into a file.
enum class PrintTargetCheck {
  Ok,
  NoName,      ///< no file name entered
  CurrentLog,  ///< the file is the current telegram log (text 1315)
};

/// Checks the output file `name` against the current telegram log `dtlog`:
/// the same name, or another name of the same file (a link, a relative
/// path), is refused, since the output would destroy the log it reads.
PrintTargetCheck CheckPrintTarget(const std::string& name, const std::string& dtlog);

/// Question before an output replaces an existing file: `%s` the file.
inline constexpr int kTextReplaceOutput = 1716;

/// Whether an output may go into the file `name`: a file that is not there
/// may be written; an existing one (a saved log in the file list, another
/// program's log) only after question 1716 was answered Yes.
bool MayReplaceOutput(ConfigState& cs, const std::string& name);

/// Text of the message that an output failed: `%s` the file or printer,
/// `%s` the reason.
inline constexpr int kTextOutputFailed = 1712;

/// Runs one output of the log of m and says what went wrong: into the text
/// file `name`, on `printer` (then `name` is what a failure message calls
/// the printer: its name, or the PDF file), or into a new log `name` (created with the current settings and the
/// capacity `AllgPar.maxlog`). A file that cannot be created, a failed
/// write or a printer that cannot start ends the output and is shown as
/// an error (text 1712) naming the file or printer and the reason; so does
/// the printer choice without a printer (nothing is written then). The
/// error flag of the current log is not touched by a failing extract.
PrintResult RunPrint(Monitor& m, int choice, const std::string& name, PrintOutput* printer,
                     const PrintProgress& progress);

}  // namespace qlxs
