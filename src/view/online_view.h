#pragma once
/// The online view: the newest telegrams of the online ring that the view
/// admits, each drawn at the bottom of the area while the area scrolls up.

#include <string_view>
#include "view/canvas.h"
#include "view/view_state.h"

namespace qlxs {

struct LogState;
struct T_Telegramm;

/// One timer tick of the online view (nothing in the log view). When a
/// redraw was asked for, the view is cleared and the newest ring entries
/// that fit are drawn; otherwise at most one unread entry is drawn.
void OnlineTick(LogState& m, ViewState& v, Canvas& canvas);

/// Moves the ring's read index back over the newest entries whose lines
/// fill the area, so that drawing from there on ends with the newest.
void RewindRing(LogState& m, ViewState& v);

/// Draws the entry at the ring's read index when the view admits it, and
/// moves the read index on.
void DrawRingEntry(LogState& m, ViewState& v, Canvas& canvas);

/// Draws telegram t below the last one, first scrolling the area up by as
/// much as it needs (one band copy and one fill).
void DrawOnlineTelegram(LogState& m, ViewState& v, Canvas& canvas, const T_Telegramm& t);

/// Draws one line of text in the heading colours below the last telegram
/// of the online view, scrolling as a telegram does (nothing in the log view).
void DrawOnlineLine(LogState& m, ViewState& v, Canvas& canvas, std::string_view line);

}  // namespace qlxs
