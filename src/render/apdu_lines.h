#pragma once
/// The lines that describe an APDU: the link line with the APCI, the type,
/// cause and common address lines, one line per information object, the
/// one-line LogNeu form, and the export lines. The rendering driver calls
/// them from its line plans.

#include <string>

namespace qlxs {

struct LogState;
struct T_TeleAusgabe;

/// Before the header line of an I-format telegram: the address of its first
/// object in `c.oa` and that object's colours in `c.tcl`.
void SelectFirstObject(LogState& m, T_TeleAusgabe& c);

/// Line `c.znr` (2 and on) of an APDU telegram in Logisch or Kompakt.
void AppendApduLine(std::string& out, LogState& m, T_TeleAusgabe& c);

/// Piece `c.znr` of an APDU telegram or event in the LogNeu format.
void AppendLogNeuLines(std::string& out, LogState& m, T_TeleAusgabe& c);

/// Piece `c.znr` of an APDU telegram or event in the Export format.
void AppendExportLines(std::string& out, LogState& m, T_TeleAusgabe& c);

}  // namespace qlxs
