#pragma once
/// The Export format: APDU and event telegrams as lines of fields for
/// spreadsheets and scripts, one line per information object. Every field
/// is followed by the separator `AllgVar.tz`; no field is quoted. Values are
/// the plain numbers of the telegram's octets, not texts.
///
/// The first line of a telegram holds its number, object index 0, port,
/// date, time and milliseconds, class, then the event text (events end
/// there) or the status and the two control words; an I-format APDU adds
/// its type name, type, structure qualifier, cause, originator and common
/// address, and the fields of its first object. Each further object gets a
/// line of its own that repeats the telegram's fields 3 to 16 (`ExpStr`).
/// The rest of a file transfer APDU or of a type without a decoding follows
/// as dump lines.
///
/// Everything is read inside the telegram's data: a field the data does not
/// wholly hold is left empty, so a line keeps the columns of its type.

#include <cstdint>
#include <initializer_list>
#include <string>

namespace qlxs {

struct ConfigState;
struct LogState;
struct T_TeleAusgabe;

/// Piece `c.znr` of an APDU telegram or event in the Export format; nothing
/// at the end of the telegram.
void AppendExportLines(std::string& out, LogState& m, T_TeleAusgabe& c);

/// Each number in decimal, followed by `tz`.
void AppendJoinFields(std::string& out, char tz, std::initializer_list<int64_t> numbers);
/// The fields of the current object: its address and its element's name
/// (empty when it has none). The address is empty when the data does not
/// hold it, and then so is the name.
void AppendObjectFields(std::string& out, const ConfigState& cs, const T_TeleAusgabe& c);
/// The fields of the element set at `c.pb` by the type of `c.te`, followed
/// by its time fields; `c.pb` moves behind what was read. A type without
/// export fields gives none, and no time fields either.
void AppendElementFields(std::string& out, const ConfigState& cs, T_TeleAusgabe& c);
/// The fields of the time tag at `c.pb`: milliseconds and the minute octet,
/// and for a seven-octet tag the hour, day, month and year octets, each as
/// it stands. Nothing for a type without a time tag.
void AppendTimeFields(std::string& out, const ConfigState& cs, T_TeleAusgabe& c);

}  // namespace qlxs
