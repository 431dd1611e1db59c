#pragma once
/// What the scroll bar of the log view, the mouse wheel and the keys of the
/// main window do to the telegram views. The window forwards its events
/// here and carries out the answer.

#include <optional>

#include "view/canvas.h"
#include "view/view_state.h"

namespace qlxs {

struct LogState;
struct T_PrgPar;

/// What the scroll bar reports.
enum class ScrollCode {
  LineUp,
  LineDown,
  PageUp,
  PageDown,
  ThumbTrack,     ///< the thumb is being dragged
  ThumbPosition,  ///< the thumb was released
  Top,
  Bottom,
  EndScroll,      ///< a scroll action is over
};

/// The view command of a scroll code with the Shift and Ctrl keys as they
/// are at that moment; none for the codes the view ignores.
std::optional<int> ScrollCommand(ScrollCode code, bool shift, bool ctrl);

/// The scroll bar of the log view moved or one of its keys was pressed:
/// carries out the view command and returns the new scroll position (the
/// position unchanged for the codes the view ignores).
int LogScroll(LogState& m, ViewState& v, Canvas& canvas, ScrollCode code, bool shift, bool ctrl, int position);

/// The mouse wheel turned (toward the user when `down`): in the log view a
/// line down or up, with `position` the scroll bar position before and
/// after. False in the online view, where the wheel does nothing.
bool WheelScroll(LogState& m, ViewState& v, Canvas& canvas, bool down, int& position);

/// The keys of the main window that switch the views.
enum class ViewKey { Up, Down, Escape, Other };
/// What the window does after a key.
enum class ViewSwitch { None, ShowLogView, ShowOnlineView };

/// With the view-switch keys enabled in the options: Up and Down leave the
/// online view for the log view, Esc leaves the log view for the online view.
ViewSwitch TelKeyDown(const T_PrgPar& p, ViewKey key);

}  // namespace qlxs
