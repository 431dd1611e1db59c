#pragma once
/// The general settings (address structures, 100 % value, maximum log size,
/// data directory), the options and the about box, without a window: what
/// the entry fields show, when they are valid, what OK writes, and the
/// command that applies changed general settings, with its questions in
/// their order. The dialogs of the desktop program only show and forward.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/help_topics.h"
#include "config/allg_par.h"
#include "config/prg_par.h"

namespace qlxs {

class Desktop;
struct ConfigState;
struct T_AllgVar;

/// Texts of the general settings dialog.
inline constexpr int kTextGeneralCaption = 556;
inline constexpr int kTextCaStructure = 597;  ///< label; hint 598
inline constexpr int kTextIoaStructure = 600;  ///< label; hint 601
inline constexpr int kTextMw100 = 603;         ///< label; hint 604
inline constexpr int kTextMaxLog = 633;        ///< label; hint 634
inline constexpr int kTextDataDir = 553;       ///< label; hint 554
inline constexpr int kTextCreateDataDir = 552;   ///< question: create the missing data directory?
inline constexpr int kTextGoOffline = 1204;      ///< question while online: go offline?
inline constexpr int kTextResetForMaxLog = 1328;  ///< question: create the log anew for the new size?

/// Texts of the options dialog: caption, the number of options, the first
/// option's caption (option i: + i).
inline constexpr int kTextOptionsCaption = 1231;
inline constexpr int kTextOptionCount = 1232;
inline constexpr int kTextFirstOption = 1233;

/// Texts of the about box.
inline constexpr int kTextAboutCaption = 1323;
inline constexpr int kTextAboutTitle = 1324;    ///< first text line
inline constexpr int kTextVersionPrefix = 1325;  ///< before the version number
inline constexpr int kTextAboutLast = 1326;     ///< last text line
/// The copyright line of the about box.
inline constexpr const char* kCopyrightLine = "Copyright (C) the QLXS developers";

/// Limits of the entry fields.
inline constexpr int32_t kMw100Min = 100;
inline constexpr int32_t kMw100Max = 32767;
inline constexpr int kMw100Chars = 6;
inline constexpr int32_t kMaxLogMin = 1;
inline constexpr int32_t kMaxLogMax = 2000;
inline constexpr int kMaxLogChars = 11;
/// Longest data directory, so that the file names in it fit the 255
/// characters the settings keep of a path.
inline constexpr size_t kDataDirChars = 150;

/// Total bits of a common address and of an information object address.
inline constexpr int kCaBits = 16;
inline constexpr int kIoaBits = 24;

/// The entry mask of the address structure fields: the blank, "$", ",",
/// "-", ".", the digits, ";", A to F and I; letters are taken in upper
/// case. Returns the text as the field keeps it, or nothing when it holds a
/// character the mask refuses.
std::optional<std::string> StructureMask(std::string_view typed);

/// The text of the entry fields of the general settings dialog.
struct GeneralEntries {
  std::string ca;       ///< structure of the common address
  std::string ioa;      ///< structure of the information object address
  std::string mw100;    ///< raw value shown as 100 %
  std::string maxlog;   ///< maximum log size
  std::string dataDir;  ///< data directory
};

/// What the dialog shows when it opens: the structures as their field
/// widths joined by text 26, the two numbers in decimal, the data directory.
GeneralEntries GeneralEntriesOf(const T_AllgVar& v, const T_AllgPar& ap, const std::string& dataDir);

/// A structure field: the widths must add up to `total` (16 or 24).
std::optional<T_AdrStruktur> StructureValue(const T_AllgVar& v, std::string_view text, int total);
/// The 100 % field: a decimal number 100 .. 32767 (blanks around it allowed).
std::optional<int32_t> Mw100Value(std::string_view text);
/// The maximum log size field: a decimal number 1 .. 2000. A log of no
/// size would hold a single block, so sizes below 1 are refused too.
std::optional<int32_t> MaxLogValue(std::string_view text);

/// The maximum log size field after an arrow key: its value moved by
/// `delta` and kept within 1 .. 2000; a text that is not a number stays.
std::string StepMaxLog(std::string_view text, int delta);

/// The outcome of the data directory field.
enum class DataDirCheck {
  Exists,    ///< the directory exists
  Created,   ///< it did not exist; the user agreed and it was created with its parents
  Declined,  ///< it does not exist and the user declined to create it
  Failed,    ///< it could not be created
  Invalid,   ///< empty or longer than `kDataDirChars`
};
/// The directory the data directory field names: blanks around it are
/// dropped; a path without a leading '/' (also "~" and "~/...") lies in the
/// home folder, since the program's working directory is arbitrary.
std::string ResolveDataDirectory(std::string_view text);
/// Checks the data directory field (as `ResolveDataDirectory` reads it); a
/// missing directory is asked for with question 552 and created on Yes.
/// Only `Exists` and `Created` are valid.
DataDirCheck CheckDataDirectory(ConfigState& cs, const std::string& dir);

/// Which fields are in error.
struct GeneralErrors {
  bool ca = false, ioa = false, mw100 = false, maxlog = false, dataDir = false;
  bool any() const { return ca || ioa || mw100 || maxlog || dataDir; }
};
/// Checks all fields as OK does. The object address structure is checked
/// only when the common address structure is valid; the data directory
/// only when every other field is valid, so that question 552 comes (and a
/// directory is created) only for an OK that closes the dialog.
GeneralErrors CheckGeneralEntries(ConfigState& cs, const GeneralEntries& e);

/// What OK writes after `CheckGeneralEntries` found no error: `ilo` := the
/// remembered control index, both structures, `mw100`, `maxlog`, and the data
/// directory with a trailing '/'. Nothing else of `ap` changes.
void WriteGeneralEntries(const T_AllgVar& v, const GeneralEntries& e, int ilo, T_AllgPar& ap,
                         std::string& dataDir);

/// Top-left corner of the general settings dialog: its right edge on the
/// main window's right edge, its top twice the control bar's height below
/// the main window's top.
struct DialogCorner {
  int left = 0, top = 0;
};
DialogCorner GeneralDialogCorner(int mainLeft, int mainTop, int mainWidth, int dialogWidth, int controlBarHeight);

/// The general settings command of the main window. `edit` runs the dialog on
/// a copy of `AllgPar` and on `AllgVar.DataDir` (changed directly on OK) and
/// returns whether it ended with OK. Then: the remembered control index is
/// kept; with no change nothing else happens. While online question 1204
/// comes first; No restores the data directory and drops every change.
/// Otherwise capture goes offline, the copy becomes `AllgPar`, and a changed
/// maximum log size asks question 1328: Yes creates the log anew with the new
/// size, No keeps the old size while the other changes apply. The derived
/// values follow. A new data directory takes the log there: the current log
/// is closed (written back), the settings file and the user store move to the
/// new directory at once, and the automatic log file there is opened (its
/// header's settings taken over, as any log brings its own) and shown in the
/// log view.
void GeneralSettingsCommand(Desktop& d, const std::function<bool(T_AllgPar& copy, std::string& dataDir)>& edit);

/// The number of options the options dialog shows: text 1232 in decimal,
/// never more than the five option flags (0 when it does not read).
int OptionCount(const T_AllgVar& v);
/// What OK of the options dialog writes: flag i := 1 when item i is
/// checked, else 0, for the items shown (at most five).
void WriteOptions(T_PrgPar& p, const std::vector<bool>& checked);

/// The version line of the about box: text 1325 and the four parts of
/// `version` ("MAJOR.MINOR.PATCH[.BUILD]", missing parts 0) joined by ".".
/// Without a version that reads, the line is "?.?.?.?".
std::string AboutVersionLine(const T_AllgVar& v, std::string_view version);
/// The lines of the about box in order: empty, text 1324, empty, the
/// copyright line, empty, the version line, empty, text 1326.
std::vector<std::string> AboutLines(const T_AllgVar& v, std::string_view version);

}  // namespace qlxs
