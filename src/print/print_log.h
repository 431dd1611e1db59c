#pragma once
/// Output of the log: the telegrams of the telegram log that the display
/// filter admits, rendered in the current output format into lines for a
/// text file or a printer, or copied unrendered into a new log (an extract).
/// The walk, the page headers, the date lines and the end texts live here;
/// the targets only take lines and pages. Progress is reported every 100
/// telegrams, and the answer can cancel the output.

#include <cstdint>
#include <functional>
#include <string_view>

#include "config/prg_par.h"

namespace qlxs {

struct LogState;
struct LogFile;

/// Where the lines of a printout go.
class PrintOutput {
 public:
  virtual ~PrintOutput() = default;
  /// Starts the output; 0 or the I/O result of the failure.
  virtual int Begin() = 0;
  /// True for a printer: on paper an empty line keeps the telegrams apart
  /// also in the Export format, whose lines a text file keeps together
  /// for a spreadsheet.
  virtual bool Paper() const { return false; }
  /// True when the next line would start below the page.
  virtual bool PageFull() const { return false; }
  /// Starts a new page; not called for the first one.
  virtual void NewPage() {}
  /// Writes one line; 0 or the I/O result of the failure.
  virtual int Line(std::string_view text) = 0;
  /// The colour pair of the lines that follow, as the view shows them: the
  /// telegram's pair for its lines, the headings pair for page headers,
  /// date lines and end texts. Outputs without colours ignore it.
  virtual void Colours(T_FarbIndex /*pair*/) {}
  /// The output is cancelled: a printer abandons its job.
  virtual void Abort() {}
  /// Ends the output; 0 or the I/O result of the failure.
  virtual int End() = 0;
};

/// Progress of an output, in percent of the telegrams of the log; returns
/// true to cancel it.
using PrintProgress = std::function<bool(int percent)>;

/// How an output ended.
struct PrintResult {
  int io = 0;              ///< 0, or the I/O result that ended it early
  bool cancelled = false;  ///< the progress answer cancelled it
  int32_t telegrams = 0;   ///< telegrams output
  int32_t pages = 0;       ///< page headers output
};

/// Outputs the admitted telegrams of the telegram log of m: into `out` as
/// lines (page headers, a date line whenever the day changes, the lines of
/// each telegram and an empty line after it, in the Export format only on
/// paper, then
/// text 1170, or text 1171 when cancelled), or, with `extract`, unrendered
/// into that log object, renumbered from 1 (then `out` gets nothing to show
/// and may be a `NoPrintOutput`). Telegrams stored while the output runs are
/// not reached. The reader is moved; it is closed afterwards in the online
/// view.
PrintResult PrintLog(LogState& m, PrintOutput& out, LogFile* extract, const PrintProgress& progress = {});

/// An output that takes every line and shows nothing (for an extract).
class NoPrintOutput final : public PrintOutput {
 public:
  int Begin() override { return 0; }
  int Line(std::string_view) override { return 0; }
  int End() override { return 0; }
};

}  // namespace qlxs
