#pragma once
/// The decisions of the filter dialog and of its pick list for types and
/// causes, without a window: which criterion rows the dialog has and what
/// their labels, limits and hints are; what the controls show for a filter
/// (with the log's first and last time and its telegram count as defaults);
/// which entries are valid; what OK writes into the filter copy; reset,
/// loading and saving filter files; the entries of the pick list; and the
/// main window's command that runs the dialog on a copy of the display or
/// log filter and takes the copy back on OK.
///
/// The dialog edits either filter the same way. Its controls, in the order
/// of their component indexes (the `ilo` the filter remembers), are: the
/// "from" check box, date and time; the "to" check box, date and time; the
/// status, source and class check lists; the IPv4 state box, first address,
/// mode box and second address; then per criterion row its state box, first
/// value, mode box and second value.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/help_topics.h"
#include "config/allg_par.h"
#include "config/dialog_texts.h"
#include "config/element_texts.h"
#include "config/filter_record.h"

namespace qlxs {

struct ConfigState;
struct LogState;
struct T_AllgVar;
struct T_TextTable;

/// Language texts of the filter dialog.
inline constexpr int kTextDisplayFilterCaption = 692;
inline constexpr int kTextLogFilterCaption = 693;
inline constexpr int kTextFilterStateBox = 694;  ///< combo convention: count 695, items 696..
inline constexpr int kTextFilterModeBox = 699;   ///< combo convention: count 700, items 701..
inline constexpr int kTextFilterRowLabel = 703;  ///< + criterion kind: the row label
inline constexpr int kTextFilterFrom = 704;
inline constexpr int kTextFilterTo = 705;
inline constexpr int kTextFilterStatusLabel = 706;
inline constexpr int kTextFilterSourceLabel = 707;
inline constexpr int kTextFilterClassLabel = 708;
inline constexpr int kTextFilterIpLabel = 794;
inline constexpr int kTextFilterIpHint = 795;
inline constexpr int kTextFilterLoad = 796;       ///< pop-up item and open dialog title
inline constexpr int kTextFilterSave = 797;       ///< pop-up item and save dialog title
inline constexpr int kTextFilterFileFilter = 798; ///< file type filter of both file dialogs
inline constexpr int kTextFilterFileExt = 799;    ///< default extension, without the dot
inline constexpr int kTextTimeHint = 823;
inline constexpr int kTextDateHint = 826;
inline constexpr int kTextFilterStatusItems = 878;
inline constexpr int kTextFilterSourceItems = 879;
inline constexpr int kTextFilterClassItems = 880;
inline constexpr int kTextFilterReset = 679;
inline constexpr int kTextValueHint = 1209;       ///< prefix of a value field's upper limit
inline constexpr int kTextPickListCaption = 1165; ///< + pick mode
/// Help topics of the dialog for the display filter and the log filter.

/// Which of the two filters of the general parameters.
enum class FilterKind { Display, Log };

/// The filter of `ap` that `which` names.
T_Filter& FilterOf(T_AllgPar& ap, FilterKind which);
/// Caption text and help topic of the dialog for `which`.
int FilterCaptionText(FilterKind which);
int FilterHelpTopic(FilterKind which);

/// Pick list modes.
inline constexpr int kPickNone = 0;
inline constexpr int kPickTypes = 1;
inline constexpr int kPickCauses = 2;

/// One criterion row of the dialog.
struct FilterRowLayout {
  int row = 0;          ///< 1..14, the row of `T_Filter::krit`
  int32_t art = 0;      ///< criterion kind under the current address structures
  std::string label;    ///< text 703 + art; "&<n>" before it for address fields
  int32_t upper = 0;    ///< largest value of its value fields (the smallest is 0)
  int pickMode = kPickNone;  ///< the value fields open the pick list (types, causes)
  std::string hint;     ///< status hint of its value fields: text 1209, the limit, text 1227 with a pick list
};

/// Upper limit of the value fields of criterion kind `art`: 2147483647 for
/// the number, 261 for the length, 255 for type, cause and originator,
/// 2^w - 1 for a field of the common or object address of w bits.
int32_t FilterValueLimit(int32_t art, const T_AllgPar& ap);

/// The rows of the dialog: one per criterion kind the address structures of
/// `ap` give (number, length, type, cause, originator, the common address
/// fields, the object address fields). The address field rows are numbered
/// "&1", "&2", ... in order before their texts.
std::vector<FilterRowLayout> FilterRows(const T_AllgVar& v, const T_AllgPar& ap);

/// The telegram log as the dialog's defaults see it, read when it opens.
struct LogSpan {
  int32_t count = 0;  ///< telegrams in the log, `letztnr` - `erstnr` + 1
  double first = 0;   ///< time stamp of the oldest telegram
  double last = 0;    ///< time stamp of the newest telegram
};
/// The span of the log of `s`. A log without time stamps (a new, empty one)
/// gives `now` for both, so the date editors offer today rather than 1899.
LogSpan SpanOfLog(const LogState& s, double now);

/// One criterion row as the dialog shows it.
struct FilterFormRow {
  int akt = 0;         ///< state box: 0 off, 1 must match, 2 must not match
  std::string w1;      ///< first value field
  int mod = 0;         ///< mode box: 0 equal, 1 either value, 2 range
  std::string w2;      ///< second value field
};

/// What the controls of the dialog show.
struct FilterForm {
  bool vonein = false;
  double von = 0;  ///< date of the date editor with the time of the time editor
  bool bisein = false;
  double bis = 0;
  bool fok = false, ffehl = false;  ///< status check list
  std::array<bool, 2> tken{};       ///< source check list: bit k of `tken`
  std::array<bool, 5> tart{};       ///< class check list: bit k of `tart`
  int ipAkt = 0, ipMod = 0;
  std::string ip1, ip2;             ///< the IPv4 address fields
  std::vector<FilterFormRow> rows;  ///< one per row of the dialog
};

/// The controls for filter f with `rowCount` rows: the bounds in force or
/// else the log's first and last time stamps; the number row, when it is
/// off, preset to 1 .. the log's telegram count; the addresses by their
/// name in the element texts, else dotted decimal.
FilterForm FillFilterForm(const T_Filter& f, size_t rowCount, const LogSpan& span, const ElementTexts& el);

/// A field that does not hold a valid entry: value field `field` (1, 2) of
/// row `row` (1..), or of the IPv4 row when `row` is `kIpRow`.
struct FilterFieldRef {
  int row = 0;
  int field = 0;
  bool operator==(const FilterFieldRef&) const = default;
};
inline constexpr int kIpRow = 0;

/// Every field of `form` whose entry is not valid: a value outside 0 ..
/// its row's limit or not a whole decimal number, an IPv4 field that is
/// neither a dotted address nor the name of one in the element texts.
std::vector<FilterFieldRef> InvalidFilterFields(const FilterForm& form, const std::vector<FilterRowLayout>& rows,
                                                const ElementTexts& el);

/// OK (and Save): reads the controls back into f when every entry is valid
/// and returns true; otherwise changes nothing and returns false. Writes
/// `ilo`, the rows the dialog has, the time bounds and their switches, the
/// status flags, the source and class masks (with the class bit of raw
/// frames and events), the IPv4 row, and normalises f under `ap`.
bool ReadFilterForm(const FilterForm& form, const std::vector<FilterRowLayout>& rows, const ElementTexts& el,
                    const T_AllgPar& ap, int32_t ilo, T_Filter& f);

/// Reset: f becomes the normalised all-zero filter.
void ResetFilter(T_Filter& f, const T_AllgPar& ap);

/// A value field's entry: a decimal number 0 .. `upper`, blanks around it
/// allowed.
std::optional<int32_t> ParseFilterValue(std::string_view text, int32_t upper);

/// An IPv4 address word (the four octets in transmission order read as a
/// little-endian word) in dotted decimal.
std::string FormatIpv4(uint32_t word);
/// What an address field shows for `word`: its name in the element texts,
/// blanks around it removed, else dotted decimal.
std::string FilterIpText(const ElementTexts& el, uint32_t word);
/// An address field's entry (blanks around it removed): a dotted decimal
/// address, else the name of an IP entry of the element texts. Every
/// address, 255.255.255.255 too, is valid.
std::optional<uint32_t> ParseFilterIp(const ElementTexts& el, std::string_view text);

/// Texts of the load (`save` false) and save dialogs of filter files:
/// titles 796 and 797 without their accelerator marks, default extension
/// 799, filter 798.
FileDialogCaption FilterFileDialogText(const T_AllgVar& v, bool save);
/// Where the file dialogs start: the file "Filter" in the data directory.
std::string FilterFileStartPath(const T_AllgVar& v);

/// Error texts of filter files: `%s` the file, `%s` the reason.
inline constexpr int kTextFilterNotLoaded = 1718;
inline constexpr int kTextFilterNotSaved = 1719;

/// Load: reads the filter file `path` into `copy`. A file that is not a
/// filter file (missing, unreadable, of another size or length word) leaves
/// `copy` as it was and shows an error naming the file and the reason (text 1718).
bool LoadFilterFile(ConfigState& cs, const std::string& path, T_Filter& copy);
/// Save: `copy` (already read back from the controls) gets `lg` = 348 and
/// is written to `path`; a failure shows an error naming the file and the
/// reason (text 1719).
bool SaveFilterFile(ConfigState& cs, const std::string& path, T_Filter& copy);

/// Status hint of a value field: text 1209, the upper limit, and text 1227
/// when it opens a pick list.
std::string FilterValueHint(const T_AllgVar& v, int32_t upper, int pickMode);

/// The pick list mode of the value fields of criterion kind `art`: types
/// for kind 8, causes for kind 9, none otherwise.
int PickModeOfKind(int32_t art);

/// The pick list for a field holding `current`.
struct PickList {
  std::string caption;               ///< text 1165 + mode
  std::vector<std::string> entries;  ///< one per type or cause
  int selected = -1;                 ///< entry of the current value, -1 when it has none
};
/// Mode 1: the types of the type list with their full names, without the
/// list's last five entries; mode 2: every defined cause (cause list 0).
/// The low octet of `current` selects its entry.
PickList BuildPickList(const T_TextTable& v, int mode, int32_t current);
/// The code of entry `index` (from 0) of the pick list of `mode`; none
/// when no entry is selected.
std::optional<int32_t> PickedCode(const T_TextTable& v, int mode, int index);
/// Left edge of the pick list opened from a field at screen x `fieldX`: to
/// the left of the dialog, never off the screen.
int PickListLeft(int fieldX, int pickWidth);
/// Width of the pick list.
inline constexpr int kPickListWidth = 352;

/// The main window's command for the display filter (`which` Display) or the
/// log filter: `runDialog` edits a copy and returns true on OK; then the
/// copy is switched on when it restricts anything (off otherwise) and
/// replaces the filter. Returns whether the filter was replaced; the caller
/// updates the filter's controls and redraws the view either way.
bool FilterCommand(ConfigState& cs, FilterKind which, const std::function<bool(T_Filter& copy)>& runDialog);

}  // namespace qlxs
