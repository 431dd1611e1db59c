#include "view/view_draw.h"

#include <algorithm>

#include "log/log_state.h"
#include "model/helpers.h"
#include "view/shown.h"

namespace qlxs {

namespace {

constexpr int kTitleMargin = 6;  // above and below the title
constexpr int kTitleWidth = 80;  // the title is padded to this many characters
constexpr int kLinesBesideTelegrams = 7;
constexpr std::string_view kCrLf = "\r\n";

bool OnlineView(const LogState& m) { return m.PrgPar.ausgonl == 1; }

}  // namespace

void RecomputeMetrics(const LogState& m, ViewState& v, Canvas& canvas) {
  v.lineHeight = std::max(1, canvas.TextHeight(kLineHeightSample));
  v.areaHeight = canvas.ClientHeight() - canvas.StatusBarHeight();
  v.linesPerPage = v.areaHeight / v.lineHeight - kLinesBesideTelegrams;
  v.gap = m.PrgPar.tf.leerzl * v.lineHeight / 100;
  v.y = v.topLineY;
}

void SetColourPair(ViewState& v, Canvas& canvas, T_FarbIndex pair) {
  if (pair.fg != v.cli.fg) canvas.SetFontColour(pair.fg);
  if (pair.hg != v.cli.hg) canvas.SetBrushColour(pair.hg);
  v.cli = pair;
}

void ForgetColours(ViewState& v) { v.cli = {kColourUnknown, kColourUnknown}; }

void DrawLine(ViewState& v, Canvas& canvas, std::string_view line) {
  if (v.y + v.lineHeight > v.areaHeight) v.y = v.topLineY;
  canvas.DrawText(kViewLeft, v.y, line);
  v.y += v.lineHeight;
  if (v.y + v.lineHeight > v.areaHeight) v.pageFull = true;
}

void DrawLines(ViewState& v, Canvas& canvas, std::string_view text) {
  size_t start = 0;
  while (start < text.size() && !v.pageFull) {
    const size_t end = text.find(kCrLf, start);
    if (end == std::string_view::npos) return DrawLine(v, canvas, text.substr(start));
    DrawLine(v, canvas, text.substr(start, end - start));
    start = end + kCrLf.size();
  }
}

void Gap(ViewState& v) {
  v.y += v.gap;
  if (v.y + v.lineHeight > v.areaHeight) v.pageFull = true;
}

int ViewRight(const LogState& m, const Canvas& canvas) {
  return canvas.ClientWidth() - (OnlineView(m) ? 0 : canvas.ScrollBarWidth());
}

void ClearView(const LogState& m, ViewState& v, Canvas& canvas) {
  SetColourPair(v, canvas, m.PrgPar.tf.ueb);
  canvas.FillRect(0, canvas.ToolBarHeight(), ViewRight(m, canvas), v.areaHeight);
  DrawTitle(m, v, canvas);
  v.pageFull = false;
}

void DrawTitle(const LogState& m, ViewState& v, Canvas& canvas) {
  v.y = (OnlineView(m) ? canvas.StatisticsBottom() : canvas.ToolBarHeight()) + kTitleMargin;
  canvas.SetBold(true);
  canvas.DrawText(kViewLeft, v.y, PadRight(TitleText(m), kTitleWidth));
  v.y += v.lineHeight + kTitleMargin;
  canvas.SetBold(false);
  v.topLineY = v.y;
  v.pageBottomY = v.topLineY + v.lineHeight * std::max(0, (v.areaHeight - v.topLineY) / v.lineHeight);
}

void StartTelegram(LogState& m, ViewState& v, Canvas& canvas, T_TeleAusgabe& c, const T_Telegramm& t) {
  BeginTelegram(m, c, t);
  SetColourPair(v, canvas, c.tcl);
}

void RenderAll(LogState& m, T_TeleAusgabe& c, std::vector<T_FarbIndex>* colours) {
  c.TxtStr.clear();
  c.anztxt = 0;
  if (colours) colours->clear();
  for (;;) {
    const std::string& piece = NextLines(m, c);
    if (piece.empty()) break;
    const size_t before = c.TxtStr.size();
    AppendPieceLines(c.TxtStr, piece, kCrLf);
    int lines = 0;
    for (size_t p = before; (p = c.TxtStr.find(kCrLf, p)) != std::string::npos; p += kCrLf.size()) ++lines;
    c.anztxt += lines;
    if (colours) colours->insert(colours->end(), static_cast<size_t>(lines), c.tcl);
  }
}

}  // namespace qlxs
