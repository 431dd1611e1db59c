#pragma once
/// Address structure: how a common address (16 bits) or an information
/// object address (24 bits) splits into fields, for example station-substation
/// or group-item. The record is part of the general parameters stored in
/// every log file header, so its layout is a file format. This module turns
/// addresses into text by their structure, reads addresses and structures
/// that users type or write in element text files (IPv4 addresses too, as
/// four fields of 8 bits), and derives the column widths of the rendering.
///
/// A structure read from a log header may be damaged: every operation here
/// takes its field count as 1..5 (`FieldCount`) and its widths modulo 32, so
/// no input makes them read outside the record or shift by 32 or more.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlxs {

struct ConfigState;
struct T_AllgPar;
struct T_AllgVar;

#pragma pack(push, 1)
/// 24 bytes: the number of fields and their widths, most significant first.
struct T_AdrStruktur {
  int32_t anz;    ///< number of fields, 1..5
  int32_t fd[5];  ///< fd[0] .. fd[4]: widths of fields 1..5 (bits, or digit counts in AllgVar)
};
#pragma pack(pop)
static_assert(sizeof(T_AdrStruktur) == 24);
static_assert(offsetof(T_AdrStruktur, fd) == 4);

/// One field of the given width in bits.
constexpr T_AdrStruktur SingleField(int32_t bits) { return T_AdrStruktur{1, {bits, 0, 0, 0, 0}}; }

/// The structure of an IPv4 address: four fields of 8 bits.
inline constexpr T_AdrStruktur kIpStructure{4, {8, 8, 8, 8, 0}};

/// Language texts of the address structures.
inline constexpr int kTextStructureSeparator = 26;  ///< between the widths of `StructureText`
inline constexpr int kTextCaRange = 836;            ///< range of common address fields
inline constexpr int kTextIoaRange = 839;           ///< range of object address fields
inline constexpr int kTextPickListHint = 1227;      ///< appended to text 839

/// Most fields a structure has.
inline constexpr int kMaxAddressFields = 5;
/// Longest text `FormatAddress` makes: five fields of at most ten digits
/// (digit counts above 10 are taken as 10) and four "-".
inline constexpr size_t kMaxAddressText = 5 * 10 + 4;

/// The number of fields of `s` that the operations use: `anz` within 1..5.
int FieldCount(const T_AdrStruktur& s);

/// Largest value of a field `width` bits wide, 2^width - 1: all ones in the
/// lowest (width mod 32) bits; widths 0 and 32 both give 0xFFFFFFFF.
uint32_t FieldMask(int32_t width);

/// The values of the fields of `v`, field 1 (most significant) first; the
/// last field holds the least significant bits. Entries beyond the field
/// count are 0.
std::array<uint32_t, kMaxAddressFields> SplitFields(const T_AdrStruktur& s, uint32_t v);

/// The value of field `i` (from 1) of `v`; 0 when the structure has no field i.
uint32_t FieldOf(const T_AdrStruktur& s, uint32_t v, int i);

/// Appends `v` as text by structure `s`: each field right-aligned in the
/// digit count `digits.fd[i]` of its largest value, the fields joined by
/// "-". This is the text that the format "%*d" followed by "-%*d" per further
/// field (`T_AllgVar::cafmt`, `oafmt`) gives with the widths and fields as
/// arguments; it is built directly, so nothing from a file reaches printf.
/// Allocates nothing when `out` has room.
void AppendAddress(std::string& out, uint32_t v, const T_AdrStruktur& s, const T_AdrStruktur& digits);
/// The same as a new string.
std::string FormatAddress(uint32_t v, const T_AdrStruktur& s, const T_AdrStruktur& digits);

/// A common address as text by `ap.cabrt` with the digit counts `av.cabrt`.
void AppendCa(std::string& out, uint32_t ca, const T_AllgPar& ap, const T_AllgVar& av);
std::string FormatCa(uint32_t ca, const T_AllgPar& ap, const T_AllgVar& av);
/// An information object address as text by `ap.oabrt` with `av.oabrt`.
void AppendIoa(std::string& out, uint32_t ioa, const T_AllgPar& ap, const T_AllgVar& av);
std::string FormatIoa(uint32_t ioa, const T_AllgPar& ap, const T_AllgVar& av);

/// The numbers of an address text, as far as they read. Number characters
/// are 0-9, A-F, a-f and the hexadecimal prefix `khex`; every other
/// character separates numbers. A run of number characters that starts with
/// `khex` is hexadecimal (the digits after it), any other run decimal; both
/// must fit a signed 32-bit integer. A run that does not convert (hex
/// digits without the prefix, a value too large, a prefix without digits)
/// stops the scan and is not counted, as does reaching `max` numbers.
struct ScannedNumbers {
  std::vector<int32_t> numbers;  ///< the numbers read, in order
  /// True when the scan read every number of the text: it stopped neither at
  /// a run that does not convert nor at `max` with more numbers left.
  bool complete = true;
};
ScannedNumbers ScanNumbers(std::string_view text, int max, char khex);

/// The address written as exactly one number per field of `s` (any
/// separators), each within its field. Fails on another count of numbers,
/// a field out of range or a part that does not read.
std::optional<uint32_t> ParseExact(const T_AdrStruktur& s, std::string_view text, char khex);

/// The address written as its last fields: c numbers (1 <= c <= field
/// count) fill the last c fields, the leading fields are 0. Fails when no
/// number, more numbers than fields, a field out of range or a part that
/// does not read.
std::optional<uint32_t> ParseTrailing(const T_AdrStruktur& s, std::string_view text, char khex);

/// A common address: the whole text as one number 0..65535 (decimal, or
/// hexadecimal after `khex`, blanks around it allowed), else `ParseExact`
/// by `ap.cabrt`. The result always fits 16 bits.
std::optional<uint32_t> ParseCa(std::string_view text, const T_AllgPar& ap, char khex);
/// An information object address: the whole text as one number
/// 0..16777215, else `ParseExact` by `ap.oabrt`. The result fits 24 bits.
std::optional<uint32_t> ParseIoa(std::string_view text, const T_AllgPar& ap, char khex);
/// An information object address given by its last fields (`ParseTrailing`
/// by `ap.oabrt`). The result fits 24 bits.
std::optional<uint32_t> ParseIoaText(std::string_view text, const T_AllgPar& ap, char khex);

/// A structure typed as its field widths (any separators). Fails when a
/// width is 0, there are more than five, or the widths do not add up to
/// `total` (which must be a non-zero multiple of 8); a single width need not
/// be a multiple of 8.
std::optional<T_AdrStruktur> ParseStructure(std::string_view text, int total, char khex);

/// The field widths in decimal, joined by `separator` (text 26), so that
/// `ParseStructure` reads them back.
std::string StructureText(const T_AdrStruktur& s, std::string_view separator);

/// The value range of each field: " 0..<max of field 1>" and " - 0..<max>"
/// for every further field.
std::string RangeText(const T_AdrStruktur& s);

/// Number of decimal digits of `v`.
int DecimalDigits(uint32_t v);

/// Brings the values derived from the address structures of the general
/// parameters in line with them: the digit counts `AllgVar.cabrt`/`oabrt`,
/// the format strings `cafmt`/`oafmt`, the text widths `lgcastr`/`lgoastr`,
/// and the range texts 836 (common address) and 839 (object address,
/// followed by text 1227).
void ApplyStructures(ConfigState& cs);

}  // namespace qlxs
