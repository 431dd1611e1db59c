#pragma once
/// The rules every dialog of the desktop program follows, without a window:
/// where a dialog opened beside the main window goes, and which control
/// gets the focus back when a dialog opens with a remembered control index.

#include <functional>

namespace qlxs {

/// Top of the options and colour dialogs below the main window's top.
inline constexpr int kDialogTopBelowMain = 48;

/// Left edge of a dialog of width `dialogWidth` opened beside the main
/// window: right of it, or as far right as the screen allows.
int DialogLeftBeside(int mainLeft, int mainWidth, int screenWidth, int dialogWidth);

/// The control to focus when a dialog opens with the remembered index `ilo`
/// of its list of `count` controls: `ilo` itself when it is not 0, lies in
/// the list and names a control that `canFocus`; else -1 (the dialog's own
/// first control keeps the focus).
int FocusIndexToRestore(int ilo, int count, const std::function<bool(int)>& canFocus);

}  // namespace qlxs
