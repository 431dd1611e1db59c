#pragma once
/// The texts of dialog controls, taken from the language texts by the
/// rules every dialog follows. The operations return what a control shows;
/// the desktop program applies them to its widgets. A control's hint is the
/// number of the text its dialog's status bar shows while the control has
/// the focus (0: none).

#include <string>
#include <string_view>
#include <vector>

#include "config/allg_var.h"

namespace qlxs {

/// The general hint of buttons, check boxes, combo and list boxes.
inline constexpr int kTextGeneralHint = 502;

/// Caption and hint number of a label, button or check box.
struct ControlCaption {
  std::string caption;
  int hint = 0;
};

/// An entry field with its attached label.
struct EntryFieldCaption {
  std::string label;
  int margin = 5;  ///< text margin of the field in pixels
  int hint = 0;
};

/// A combo box with its attached label and its items.
struct ComboCaption {
  std::string label;
  int hint = kTextGeneralHint;
  std::vector<std::string> items;
  int selected = -1;  ///< 0 when there is an item, else -1
};

/// A check list box.
struct CheckListCaption {
  std::vector<std::string> items;
  int hint = kTextGeneralHint;
};

/// Texts of a file dialog.
struct FileDialogCaption {
  std::string title;
  std::string defaultExt;  ///< default extension, without the dot
  std::string filter;      ///< "Description (*.ext);;..." entries
};

/// Label: caption text n, no hint.
ControlCaption LabelText(const T_AllgVar& v, int n);
/// Button: caption text n, general hint.
ControlCaption ButtonText(const T_AllgVar& v, int n);
/// Check box: caption text n, general hint.
ControlCaption CheckBoxText(const T_AllgVar& v, int n);
/// Entry field: label text n, margin 5, hint text n + 1.
EntryFieldCaption EntryFieldText(const T_AllgVar& v, int n);
/// Combo box: label text n, general hint; the item count is the decimal
/// value of text n + 1 (0 when it is not a number), the items are texts
/// n + 2 .. n + 1 + count; the first item is selected.
ComboCaption ComboBoxText(const T_AllgVar& v, int n);
/// Check list box: the items of text n split at commas, general hint.
CheckListCaption CheckListBoxText(const T_AllgVar& v, int n);
/// Status bar: text n.
std::string StatusBarText(const T_AllgVar& v, int n);

/// Splits a comma list into its items at every comma. Items keep their
/// blanks; an empty text has no items.
std::vector<std::string> SplitCommaList(std::string_view text);

/// Open dialog from number n: title text n, default extension text n + 2,
/// filter text n + 3.
FileDialogCaption OpenDialogText(const T_AllgVar& v, int n);
/// The dialog that saves the log under another name: title text 1196, the
/// default extension of the log open dialog (text 1197; text 1198 is that
/// dialog's filter) and the save filter text 1210.
FileDialogCaption SaveLogDialogText(const T_AllgVar& v);

}  // namespace qlxs
