#pragma once
/// The language text table: every word the programs show is a numbered
/// text of the current language file, `ProgDir` + "QLXSText." + "ger" or
/// "usa". This module loads the file, looks texts up, and derives the values
/// that other modules read from a few texts (marker characters, the field
/// separator, the decoded cause lists, the type list, the help file).

#include <string>
#include <string_view>
#include <vector>

#include "config/allg_var.h"
#include "iec104/cause_lists.h"

namespace qlxs {

struct ConfigState;

/// Languages by index: the file extension comes from the index.
enum Language : int { LangGerman = 0, LangEnglish = 1 };

/// Texts with a fixed role in the loader and the derived values.
inline constexpr int kTextHexPrefix = 25;        ///< first character: `khex`
inline constexpr int kTextBitChars = 27;         ///< first two characters: `bitz`
inline constexpr int kTextTypeNameFile = 298;    ///< name of the type-name file
inline constexpr int kTextHelpFile = 1163;       ///< help file name
inline constexpr int kTextSeparator = 1172;      ///< first character: `tz`

/// Limits of the table.
inline constexpr int kMaxTexts = 3000;   ///< numbers 0..2999
inline constexpr int kMinTexts = 1000;   ///< a complete file has at least this many

/// Values used when the language file does not supply a usable one: an
/// empty or non-ASCII text 25 or 1172, or a text 27 that does not start with
/// two printable ASCII characters.
inline constexpr char kDefaultHexPrefix = '$';
inline constexpr char kDefaultSeparator = ';';
inline constexpr std::string_view kDefaultBitChars = "01";

/// Outcome of reading a language file. `error` is 0 on success, otherwise
/// 1 (file missing, unreadable or too short), 2 (text number wrong),
/// 3 (numbering jumps) or 4 (too many texts). `line` is the 1-based number of
/// the line that stopped the loading (for error 1: lines read + 1) and
/// `text` that line (empty for error 1).
struct TextFileResult {
  int error = 0;
  int line = 0;
  std::string text;
};

/// "ger" for German, "usa" for English, "" for any other index.
std::string LanguageExtension(int index);
/// `progDir` + "QLXSText." + the extension of `index`.
std::string LanguageFileName(const std::string& progDir, int index);

/// Reads the language file at `path` into `table` by the numbering rules:
/// lines of at most 6 characters or starting with ";" are skipped; columns
/// 1-4 hold the text number (four blanks: the next number), column 7 on the
/// text, cut before its last ";". A first numbered line 18 leaves texts 0..17
/// empty; a later 18 is taken as the next number. On an error `table` keeps
/// the texts read before it. No message is shown and nothing is derived.
TextFileResult ReadTextFile(const std::string& path, std::vector<std::string>& table);

/// The fixed message of a loader error, as the error box shows it: the
/// message of the code, the line number right-aligned in 5 characters, CR LF
/// and `fileName` (error 1) or the line that stopped the loading (2..4).
/// These four messages are the only texts that do not come from the file.
std::string TextFileErrorMessage(const TextFileResult& result, const std::string& fileName);

/// Loads the language of `index` from `AllgVar.ProgDir` into
/// `AllgVar.TxtList` and runs `ApplyLoadedTexts`. On failure the error box
/// (error type, OK button, centred on the screen) is shown through
/// `messages`, the table keeps the texts read before the error and the
/// derived values stay as they were; the result is false.
bool LoadTexts(ConfigState& m, int index);

/// The steps after a successful load: decodes the number lists from text
/// 1009 on (`ConvertCauseLists`), sets `khex`, `bitz`, the type list
/// `TypStr`/`maxpicktyp`, `tz` and the help file `ProgDir` + text 1163.
void ApplyLoadedTexts(T_AllgVar& v);

}  // namespace qlxs
