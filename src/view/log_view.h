#pragma once
/// The log view: a page of the telegram log, read through the log reader
/// from the page top, moved by view commands (the scroll bar, its keys, the
/// wheel, the menus) and laid out with a page header, date lines and a gap
/// between telegrams.

#include <optional>

#include "view/canvas.h"
#include "view/view_state.h"

namespace qlxs {

struct LogState;

/// View commands: what `ShowPage` does before it draws. 1 .. 7 (the action
/// tags of the view options and formats) redraw after a change of how
/// telegrams are shown; any other code redraws without moving.
enum ViewCommand : int {
  kViewRedraw = 0,            ///< redraw; with a position 1 .. 999 go to that relative position
  kViewPageUp = 33,           ///< 5 telegrams back
  kViewPageDown = 34,         ///< 5 forward
  kViewEnd = 35,              ///< the newest telegrams
  kViewHome = 36,             ///< the oldest telegram
  kViewLineUp = 38,           ///< 1 back
  kViewLineDown = 40,         ///< 1 forward
  kViewCtrlPageUp = 545,      ///< 500 back
  kViewCtrlPageDown = 546,    ///< 500 forward
  kViewShiftCtrlPageUp = 1057,    ///< 5000 back
  kViewShiftCtrlPageDown = 1058,  ///< 5000 forward
  kViewShiftPageUp = 1569,    ///< 50 back
  kViewShiftPageDown = 1570,  ///< 50 forward
};

/// Scroll positions run from 0 (the oldest telegram) to this (the newest).
inline constexpr int kScrollRange = 1000;

/// Carries out a view command and draws the page. In the online view it
/// only asks the next tick to redraw; with the reader closed it does
/// nothing. `position` (0 .. 1000, or -1 for none) is read by command 0.
/// Returns the scroll position of the new page top, 0 .. 1000 (0 when
/// nothing was drawn). Afterwards the reader stands on the page top.
int ShowPage(LogState& m, ViewState& v, Canvas& canvas, int code, int position);

/// A view command posted to the window: `ShowPage` without a position. In
/// the log view the result is the new scroll bar position; in the online
/// view there is none.
std::optional<int> RunViewCommand(LogState& m, ViewState& v, Canvas& canvas, int code);

}  // namespace qlxs
