#pragma once
/// The information element sets of IEC 60870-5-101/104 as text: values
/// with their quality or qualifier octets, commands and their qualifiers,
/// file transfer elements and the time tags. Names of flags and qualifiers
/// are language texts; in the Logisch format the long texts are used where
/// a value has two, in every other format the short ones.
///
/// Everything here appends to a caller's string. The element readers take
/// their octets at `c.pb` of the rendering context and never read at or
/// beyond the end of its data (`c.te.lg`).

#include <cstdint>
#include <string>

namespace qlxs {

struct ConfigState;
struct T_TeleAusgabe;

/// Octets the element set of type `typ` takes, its time tag included; 0 for
/// the types that show nothing. Type 125 counts its four header octets
/// (NOF, NOS, LOS), not the segment that follows them.
int ElementTextOctets(int typ);

/// The text of the element set at `c.pb` by the type of `c.te`, time tag
/// included; `c.pb` moves behind it. When the data holds fewer octets than
/// the element set takes, the octets that are there are dumped instead.
/// Types without a decoding add nothing and leave `c.pb` where it is.
void AppendElementText(std::string& out, const ConfigState& cs, T_TeleAusgabe& c);

/// A seven-octet time tag (CP56Time2a) at `c.pb`: weekday, date, the
/// invalid, substituted-bit and summer-time flags and the time of day.
/// Advances `c.pb` by 7. A day that its month does not have cannot be a
/// date: it is shown as year, month and day numbers as received
/// ("2023-02-31").
void AppendCp56Text(std::string& out, const ConfigState& cs, T_TeleAusgabe& c);
/// A three-octet time tag (CP24Time2a) at `c.pb`: minute, seconds and
/// milliseconds and the two flags of the minute octet. Advances `c.pb` by 3.
void AppendCp24Text(std::string& out, const ConfigState& cs, T_TeleAusgabe& c);

/// Empty when v is 0, else text n, v in decimal and a blank.
void AppendValueText(std::string& out, const ConfigState& cs, int n, int v);
/// The flags IV, NT, SB, BL (bits 7..4) of a quality octet, long names only
/// in Logisch and only for a single flag; then the reserved bits `reserved`
/// when not 0.
void AppendQualityText(std::string& out, const ConfigState& cs, uint8_t octet, int reserved);
/// A quality descriptor QDS: `AppendQualityText` of it, the overflow flag
/// (bit 0), and a blank when anything was shown.
void AppendQdsText(std::string& out, const ConfigState& cs, uint8_t q);
/// The flags IV, CA, CY (bits 7..5) of a counter's sequence octet; long
/// names only in Logisch, for a single flag and a type `typ` without a
/// seven-octet time tag. A blank follows when anything was shown.
void AppendBcrFlagsText(std::string& out, const ConfigState& cs, uint8_t octet, int typ);
/// A normalised value: the raw value in 6 columns, "=", the percentage of
/// `AllgPar.mw100` in 6 columns with 3, 2 or 1 decimals, "%" and two
/// blanks. When mw100 is 0 no percentage exists: the raw value alone, in 6
/// columns, and two blanks.
void AppendNvaText(std::string& out, const ConfigState& cs, int16_t raw);
/// A scaled value in 6 columns and two blanks.
void AppendSvaText(std::string& out, int16_t v);
/// A short floating point value with seven significant digits. A value
/// that is not a number shows as "NaN", an infinite one as "INF" or "-INF".
void AppendReal(std::string& out, float v);
/// `AppendReal` and two blanks.
void AppendFloatText(std::string& out, float v);
/// Four octets of a bitstring, the last received first, each as its bits 7
/// to 0 in the characters `AllgVar.bitz` and two blanks.
void AppendBitsText(std::string& out, const ConfigState& cs, const uint8_t octets[4]);
/// Milliseconds as seconds with two digits, a comma, three digits of
/// milliseconds and two blanks.
void AppendSecondsText(std::string& out, uint16_t ms);
/// Start events of protection equipment SPE.
void AppendSpeText(std::string& out, const ConfigState& cs, uint8_t spe);
/// Output circuit information OCI.
void AppendOciText(std::string& out, const ConfigState& cs, uint8_t oci);
/// The select/execute bit and the qualifier QU of a single, double or
/// regulating step command octet.
void AppendQocText(std::string& out, const ConfigState& cs, uint8_t octet);
/// Qualifier of a set-point command QOS.
void AppendQosText(std::string& out, const ConfigState& cs, uint8_t qos);
/// Cause of initialisation COI.
void AppendCoiText(std::string& out, const ConfigState& cs, uint8_t coi);
/// Qualifier of interrogation QOI.
void AppendQoiText(std::string& out, const ConfigState& cs, uint8_t qoi);
/// Qualifier of counter interrogation QCC.
void AppendQccText(std::string& out, const ConfigState& cs, uint8_t qcc);
/// Qualifier of parameter of measured values QPM.
void AppendQpmText(std::string& out, const ConfigState& cs, uint8_t qpm);
/// Qualifier of parameter activation QPA.
void AppendQpaText(std::string& out, const ConfigState& cs, uint8_t qpa);

}  // namespace qlxs
