#pragma once
/// Run-time values of the program, derived at start and while it runs.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/address_structure.h"
#include "config/element_texts.h"
#include "model/text_table.h"

namespace qlxs {

/// The language texts and the type list come from `T_TextTable`.
struct T_AllgVar : T_TextTable {
  std::string ProgDir;   ///< program directory, with a trailing '/'
  std::string DataDir;   ///< data directory, with a trailing '/'
  int pnr = 0;           ///< instance number 1..6; 0 when none was claimed
  int first = 0;         ///< 1 when an instance number was claimed
  std::string dtlog;     ///< current telegram log file
  std::string dtOaTxt;   ///< current element text file
  bool logopt = false;   ///< the current log was named explicitly
  bool logsave = false;  ///< a telegram was stored since the log was opened
  bool logerr = false;   ///< a write of the log file failed
  int lastIoResult = 0;  ///< I/O result of the last log open or close
  double syszt = 0;      ///< local time last read by the main loop
  uint32_t Tick = 0;     ///< timer tick counter, one per 54 ms tick (wraps modulo 2^32)
  int min = 0;           ///< minute last seen by the day-change check of the daily log

  // Serial ports that can be opened, as the last probe found them.
  int AnzCom = 0;                      ///< number of entries in ComNr
  std::array<uint8_t, 255> ComNr{};    ///< available COM numbers, ascending

  // Language texts and the values derived from them after every load.
  char khex = '$';                   ///< hexadecimal prefix character (text 25)
  std::string bitz = "01";           ///< characters of a bit 0 and a bit 1 (text 27)
  char tz = ';';                     ///< field separator of text files and exports (text 1172)
  std::string HelpFile;              ///< help file of the current language
  std::array<std::string, 256> TypeNames;  ///< type-name file: name per type identification

  // Derived from the address structures of the general parameters
  // (`ApplyStructures`); the defaults belong to one field of 16 bits for the
  // common address and one of 24 bits for the object address.
  T_AdrStruktur cabrt{1, {5, 0, 0, 0, 0}};  ///< decimal digits of the largest value of each CA field
  T_AdrStruktur oabrt{1, {8, 0, 0, 0, 0}};  ///< decimal digits of the largest value of each IOA field
  std::string cafmt = "%*d";  ///< printf equivalent of the CA text: "%*d", then "-%*d" per further field
  std::string oafmt = "%*d";  ///< the same for the IOA
  int lgcastr = 6;            ///< width of a CA text: the digit counts plus the number of fields
  int lgoastr = 9;            ///< width of an IOA text

  // The element text table and its layout flags (set by the file's lines).
  ElementTexts elements;  ///< names of objects, stations and IP addresses
  bool rwe = false;       ///< element lines begin with a sub-address field
  bool mitca = false;     ///< element lines contain a common address field
  /// Station-name cache of the rendering: the station key looked up last,
  /// -1 when none (an element text load or clear empties it).
  int32_t ca = -1;
  std::string catxt;      ///< a blank and the name of station `ca`
};

}  // namespace qlxs
