#pragma once
/// The one-line form of a stored record that `records` lists and `capture`
/// prints: tab-separated fields, then the data octets in hex.

#include <cstdint>
#include <string>

#include "model/telegram.h"

namespace qlxs::cli {

/// The header line naming the fields, with its line end.
inline constexpr char kRecordHeaderLine[] = "nr\tek\tstat\tta\tlg\tidm\tprot\tofs\ttime\tdata\n";

/// Appends the line of record `t`, with its line end: the number relative
/// to the log whose oldest telegram has number `erstnr`, `ek`, `stat`, `ta`,
/// `lg`, `idm`, `prot` (hex), `ofs`, the time stamp as
/// YYYY-MM-DD HH:MM:SS.mmm local time, and the data octets in hex.
void AppendRecordLine(std::string& line, const T_Telegramm& t, int32_t erstnr);

}  // namespace qlxs::cli
