#pragma once
/// The element text table: names that the user gives to information
/// objects, stations (common addresses) and IPv4 addresses of a plant, with
/// colours for objects and for causes of transmission, read from an element
/// text file. The rendering, the export and the filter dialogs look names up
/// here by key; the tables are sorted once after loading and searched by
/// halving, since the rendering asks for every object line.
///
/// The file is a text file of lines whose fields are separated by `tz`
/// (text 1172). A line wholly in double quotes reads as without them; an
/// empty line, a line that starts with the separator or one without any is
/// ignored. The first field (blanks around it removed) is the key:
///
///   RWE ;                    element lines from here on start with a sub-address 0..15
///   <text 1129> ;            element lines from here on hold a common address
///   CA ; <address> ; <name>  a station name
///   IP ; <a.b.c.d> ; <name>  a name for an IPv4 address
///   URS ; <cause> ; <colour> the colour of a cause octet 0..255 (`PrgPar.frburs`)
///   otherwise an element line: [sub-address ;] [common address ;] object address ; colour ; name
///
/// A colour is empty or "0" (none), or "fg" or "fg-bg" with palette indexes
/// 0..19. An element's key is its object address in bits 0-23 and a
/// qualifier in bits 24-31: the sub-address, or the position of its common
/// address in the list of common addresses (which wins when both are given).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlxs {

/// Language texts of element text files: their extension, and the name of
/// the file loaded when none is named.
inline constexpr int kTextElementExtension = 1430;
inline constexpr int kTextDefaultElements = 1431;

struct ConfigState;
struct T_AllgVar;

/// One named element: an information object, a station or an IP address.
struct T_Element {
  /// Key: for objects the element key (object address in bits 0-23,
  /// qualifier in bits 24-31); for stations the common address; for IP
  /// addresses the four octets in transmission order read as a
  /// little-endian word.
  uint32_t id = 0;
  std::string s0;   ///< the name, as written
  /// Colour pair: text colour index in the low octet, background in the
  /// high octet, each 0..19; 0 leaves the colour to type, cause and
  /// receiver. Always 0 for stations and IP addresses.
  uint16_t cl = 0;
  uint16_t f1 = 0;  ///< not used
};

/// A table of elements, sorted by `id` after loading.
using T_ElTab = std::vector<T_Element>;

/// Most common addresses the list of a file with common addresses holds.
inline constexpr size_t kMaxCaList = 256;

/// The three tables and the list of common addresses.
struct ElementTexts {
  T_ElTab elements;  ///< information objects, by element key
  T_ElTab stations;  ///< stations, by common address
  T_ElTab ips;       ///< IPv4 addresses, by address word
  /// Common addresses in the order in which element lines first named them;
  /// the position is the qualifier of that station's element keys. Lives
  /// as long as the program: loading another file appends to it.
  std::vector<uint16_t> caList;
};

/// Language texts of the loader.
inline constexpr int kTextWithCaKey = 1129;      ///< key of the line that switches common addresses on
inline constexpr int kTextFaultyLines = 1432;    ///< format: file, lines, faulty lines, list
inline constexpr int kTextFaultyLinesRow = 1433; ///< start of each row of the list

/// Most faulty line numbers listed in the message (more are only counted).
inline constexpr int kMaxListedFaultyLines = 201;

/// Outcome of `LoadElementTexts`.
struct ElementLoadResult {
  int ioError = 0;  ///< errno of the failed read; 0 when the file was read
  int lines = 0;    ///< lines of the file
  int faulty = 0;   ///< lines that did not read (listed in message 1432)
  bool ok() const { return ioError == 0; }
};

/// Loads the element text file `name` into `cs.AllgVar.elements`,
/// replacing the tables; "URS" lines write colours into `cs.PrgPar.frburs`.
/// Faulty lines add nothing and are counted; when there are any, message
/// 1432 (an error with an OK button) names the file, its line count, the
/// number of faulty lines and the first 201 of their numbers, ten per row.
/// Sets `AllgVar.dtOaTxt` := name. When the file cannot be read, nothing
/// changes and the result carries the errno. Either way the station-name
/// cache `AllgVar.ca` is emptied.
ElementLoadResult LoadElementTexts(ConfigState& cs, const std::string& name);

/// Empties the three tables, clears the layout flags `rwe` and `mitca` and
/// the station-name cache. The list of common addresses stays.
void ClearElementTexts(T_AllgVar& v);

/// Index of the element with key `key` in the element table, -1 when absent.
int FindElement(const ElementTexts& t, uint32_t key);
/// Name of element `index`; empty outside the table.
const std::string& ElementName(const ElementTexts& t, int index);
/// Colour pair of element `index`; 0 outside the table.
uint16_t ElementColour(const ElementTexts& t, int index);
/// Key of element `index`; 0 outside the table.
uint32_t ElementId(const ElementTexts& t, int index);
/// Number of elements.
int ElementCount(const ElementTexts& t);
/// Name of the station with key `ca`; empty when it has none.
const std::string& StationName(const ElementTexts& t, uint32_t ca);
/// Name of the IPv4 address word `address`; empty when it has none.
const std::string& IpName(const ElementTexts& t, uint32_t address);
/// Address word of the last IP entry (in table order) whose name, blanks
/// around it removed, equals `text`; none when there is no such entry.
std::optional<uint32_t> IpByName(const ElementTexts& t, std::string_view text);
/// Position of common address `ca` in the list of common addresses, -1
/// when absent.
int CaListIndex(const ElementTexts& t, uint32_t ca);

}  // namespace qlxs
