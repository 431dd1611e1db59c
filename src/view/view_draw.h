#pragma once
/// Drawing on the canvas of the telegram views: the metrics, the colour
/// pair, lines and texts with the page-full rule, the gap, the title and
/// the cleared view, and a telegram's lines collected into one text.

#include <string_view>
#include <vector>

#include "view/canvas.h"
#include "view/view_state.h"

namespace qlxs {

struct LogState;

/// The text whose height is the line height.
inline constexpr std::string_view kLineHeightSample = "ABCQgj01234567890";
/// Left margin of every line.
inline constexpr int kViewLeft = 10;

/// Measures the line height and derives the other metrics from the canvas
/// geometry; the next line goes to the top line again.
void RecomputeMetrics(const LogState& m, ViewState& v, Canvas& canvas);

/// Makes `pair` the colours of the canvas, touching the font colour and the
/// brush colour only where they differ from the pair in force.
void SetColourPair(ViewState& v, Canvas& canvas, T_FarbIndex pair);
/// The next `SetColourPair` sets both colours (the canvas lost its state).
void ForgetColours(ViewState& v);

/// Draws one line at the current y, starting at the top line again when it
/// would run below the area; sets page full when the next one would.
void DrawLine(ViewState& v, Canvas& canvas, std::string_view line);
/// Draws the lines of a text separated by CR LF (a final CR LF ends the
/// last line), stopping when the page is full.
void DrawLines(ViewState& v, Canvas& canvas, std::string_view text);
/// The space between two telegrams.
void Gap(ViewState& v);

/// Right edge of the telegram area: the client width, less the scroll bar in the log view.
int ViewRight(const LogState& m, const Canvas& canvas);
/// Fills the area in the heading colours, draws the title and clears page full.
void ClearView(const LogState& m, ViewState& v, Canvas& canvas);
/// The bold title line below the tool bar (online view: below the
/// statistics); sets the top line and the page bottom below it.
void DrawTitle(const LogState& m, ViewState& v, Canvas& canvas);

/// Prepares context c with telegram t and takes its colour pair.
void StartTelegram(LogState& m, ViewState& v, Canvas& canvas, T_TeleAusgabe& c, const T_Telegramm& t);

/// All lines of the telegram in c into `c.TxtStr`, each ended by CR LF, and
/// their number into `c.anztxt`. With `colours`, the colour pair of each
/// line (the renderer changes it per information object) goes there.
void RenderAll(LogState& m, T_TeleAusgabe& c, std::vector<T_FarbIndex>* colours = nullptr);

}  // namespace qlxs
