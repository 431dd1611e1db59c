#pragma once
/// The lines that describe an APDU: the link line with the APCI, the type,
/// cause and common address lines, one line per information object, the
/// one-line LogNeu form, and the walk over the information objects that the
/// export lines share. The rendering driver calls them from its line plans.
///
/// Every ASDU field is read inside the telegram's data (`te.lg`): a field
/// that a short or damaged APDU does not hold reads as 0, and an object cut
/// off by the end of the data shows the octets that are there.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qlxs {

struct ConfigState;
struct LogState;
struct T_AllgVar;
struct T_TeleAusgabe;

/// Before the header line of an I-format telegram: the address of its first
/// object in `c.oa` and that object's colours in `c.tcl`.
void SelectFirstObject(LogState& m, T_TeleAusgabe& c);

/// Line `c.znr` (2 and on) of an APDU telegram in Logisch or Kompakt: the
/// link line, the type, cause and common address lines (Kompakt has them
/// on the type line and jumps from line 4 to 6), then one line per
/// information object; from line 7 on the rest of a segment (type 125) or
/// of a type without a decoding as dump lines.
void AppendApduLine(std::string& out, LogState& m, T_TeleAusgabe& c);

/// Piece `c.znr` of an APDU telegram or event in the LogNeu format: at line
/// 1 the one line of the telegram (port, number and time, APCI, common
/// address, type, cause, originator, the first object and the status);
/// then, indented under the first object, one line per further object.
void AppendLogNeuLines(std::string& out, LogState& m, T_TeleAusgabe& c);

/// The connection line, and with the link layer shown the label of text 406
/// and the APCI.
void AppendLinkLine(std::string& out, LogState& m, T_TeleAusgabe& c);
/// The APCI: its format (text 30 + class) with the sequence numbers of an
/// I or S frame or the function of a U frame, and two blanks.
void AppendApciText(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c);
/// Line 3: the type; in Kompakt with the cause and the common address.
void AppendTypeLine(std::string& out, ConfigState& cs, const T_TeleAusgabe& c);
/// The type's name from the type-name file, or text 70, the type and two
/// blanks when the file has none.
void AppendTypeFileName(std::string& out, const T_AllgVar& v, int typ);
/// The test and negative flags, the cause by name and number, the originator.
void AppendCauseText(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c);
/// Line 4: the cause text, labelled in Logisch.
void AppendCauseLine(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c);
/// Line 5: the common address and the station name, labelled in Logisch.
void AppendCaLine(std::string& out, ConfigState& cs, const T_TeleAusgabe& c);
/// The station name text of common address `ca`: a blank and the name (a
/// lone blank for a station without name). With a sub-address file (`rwe`)
/// stations are named by the address shifted right by 4. The last station
/// looked up is kept in `v.ca` and `v.catxt`, so consecutive telegrams of
/// one station look it up once.
const std::string& CaName(T_AllgVar& v, uint32_t ca);
/// The common address followed by its station name text.
void AppendCaText(std::string& out, ConfigState& cs, const T_TeleAusgabe& c);
/// The address of information object n (from 1): the first address for
/// n < 2, a sequence (SQ = 1) or a private type; otherwise the address
/// before element n. A sequence of several objects counts up from the first.
uint32_t ObjectAddress(const T_TeleAusgabe& c, int n);
/// The key of an object in the element table: its address, and in bits
/// 24-31 the low four bits of the common address (`rwe` file) or the
/// position of the common address in the file's list (`mitca` file, which
/// gives `kNoElementKey` for a common address it does not list).
uint32_t ElementKey(const T_AllgVar& v, uint32_t oa, uint32_t ca);
/// The key of an object that cannot have an element.
inline constexpr uint32_t kNoElementKey = 0xFFFFFFFF;
/// Looks up the element of the current object (`c.oa`) and gives `c.tcl`
/// its colour: that of the element, else that of the type, else that of the
/// cause octet, over the pair of the receiver; faulty telegrams keep theirs.
void SelectObjectColours(ConfigState& cs, T_TeleAusgabe& c);
/// Moves to the next object to show (starting at `c.obja` when set),
/// skipping those the display filter's object criteria reject; false when
/// none is left.
bool NextObject(const ConfigState& cs, T_TeleAusgabe& c);
/// Octets from one information object to the next: the element, and with
/// SQ = 0 the address; a type without a definition counts one octet.
int ObjectStride(const T_TeleAusgabe& c);
/// Makes object `c.objnr` the current one: its address in `c.oa`, `c.pb` on
/// its element, one more object column counted, and its element looked up
/// (with its colours) when its key differs from the last one.
void PositionObject(ConfigState& cs, T_TeleAusgabe& c);
/// True when the data holds the whole address of the current object (after
/// `PositionObject`).
bool ObjectAddressHeld(const T_TeleAusgabe& c);
/// `PositionObject`, then the address column: the address and the
/// element's name, padded.
void AppendObjectColumn(std::string& out, ConfigState& cs, T_TeleAusgabe& c);
/// One information object: label, address column and element text; nothing
/// when no object is left.
void AppendObjectLine(std::string& out, ConfigState& cs, T_TeleAusgabe& c);
/// The cause column of LogNeu: flags and short cause name in 6 characters,
/// the originator in 5.
void AppendCauseColumn(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c);
/// Pads what was appended to `out` since `start` with blanks to `width`
/// characters, and at least one blank: the columns of the lines.
void PadTo(std::string& out, size_t start, int width);

}  // namespace qlxs
