#pragma once
/// Which stored telegrams the views, printing and the export show, and the
/// title line that says how they are shown. The steps move the log reader
/// from one admitted telegram to the next.

#include <string>

namespace qlxs {

struct LogState;

/// The title line: online or log view, whether a filter restricts what is
/// shown, the output format and the three view options, each as its
/// language text.
std::string TitleText(const LogState& m);

/// True when the display filter admits the reader's current record.
bool IsShown(const LogState& m);
/// Moves the reader forward to the next admitted record; false when the end
/// of the log came first (the reader then stands on the last record).
bool NextShown(LogState& m);
/// Moves the reader back to the previous admitted record; false when the
/// start of the log came first. Then, when the display filter is on or the
/// link layer is hidden and the first record is not admitted, the reader
/// moves forward to the first admitted one.
bool PrevShown(LogState& m);
/// Moves the reader by n admitted records (forward for n > 0), stopping at
/// the first step that fails. A jump of more than 5000 moves by records
/// without asking the filter. False when a step failed.
bool JumpShown(LogState& m, int n);

}  // namespace qlxs
