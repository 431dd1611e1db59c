#include "view/online_view.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "filter/filter_match.h"
#include "log/log_state.h"
#include "view/view_draw.h"

namespace qlxs {

namespace {

int Before(int i) { return (i + kRingSlots - 1) % kRingSlots; }
int After(int i) { return (i + 1) % kRingSlots; }

bool Admits(const LogState& m, const T_Telegramm& t) {
  return ViewAdmits(m.PrgPar, m.AllgPar, m.log.stand.erstnr, t);
}

// A context of its own for one telegram, measuring time from the shared one.
T_TeleAusgabe FreshContext(ViewState& v) {
  T_TeleAusgabe c;
  c.shared = &v.shared;
  return c;
}

// Scrolls the lines drawn so far up by one band so that `height` more
// pixels fit above the page bottom.
void MakeRoom(const LogState& m, ViewState& v, Canvas& canvas, int height) {
  if (v.y + height > v.pageBottomY) {
    const int up = std::min(v.y + height - v.pageBottomY, v.y - v.topLineY);
    if (up > 0) {
      canvas.CopyBand(v.topLineY + up, v.y, v.topLineY);
      SetColourPair(v, canvas, {v.cli.fg, m.PrgPar.tf.ueb.hg});
      canvas.FillRect(0, v.y - up, ViewRight(m, canvas), v.y);
      v.y -= up;
    }
  }
  v.pageFull = false;
}

}  // namespace

void OnlineTick(LogState& m, ViewState& v, Canvas& canvas) {
  if (m.PrgPar.ausgonl != 1) return;
  OnlineRing& ring = m.log.ring;
  if (ring.redraw) {
    ring.redraw = false;
    ClearView(m, v, canvas);
    RewindRing(m, v);
    while (ring.read != ring.write) DrawRingEntry(m, v, canvas);
  } else if (ring.read != ring.write) {
    DrawRingEntry(m, v, canvas);
  }
}

void RewindRing(LogState& m, ViewState& v) {
  OnlineRing& ring = m.log.ring;
  // Measuring renders the entries newest first; the time since the
  // previous telegram must not come from that order.
  const double dtalt = v.shared.dtalt;
  T_TeleAusgabe c = FreshContext(v);
  int y = v.topLineY;
  ring.read = Before(ring.write);
  for (;;) {
    // Every entry but the one at the write index fits: draw them all.
    if (ring.read == ring.write) {
      ring.read = After(ring.write);
      break;
    }
    const T_Telegramm& t = ring.slot[ring.read];
    if (t.lga == 0) break;
    if (Admits(m, t)) {
      BeginTelegram(m, c, t);
      RenderAll(m, c);
      y += c.anztxt * v.lineHeight + v.gap;
      if (y >= v.pageBottomY) break;
    }
    ring.read = Before(ring.read);
  }
  v.shared.dtalt = dtalt;
}

void DrawRingEntry(LogState& m, ViewState& v, Canvas& canvas) {
  OnlineRing& ring = m.log.ring;
  const T_Telegramm& t = ring.slot[ring.read];
  if (t.lga != 0 && Admits(m, t)) DrawOnlineTelegram(m, v, canvas, t);
  ring.read = After(ring.read);
}

void DrawOnlineTelegram(LogState& m, ViewState& v, Canvas& canvas, const T_Telegramm& t) {
  T_TeleAusgabe c = FreshContext(v);
  StartTelegram(m, v, canvas, c, t);
  std::vector<T_FarbIndex> colours;
  RenderAll(m, c, &colours);
  MakeRoom(m, v, canvas, c.anztxt * v.lineHeight + v.gap);
  Gap(v);
  // Each line in the colours of its object, as the log view draws it.
  std::string_view text = c.TxtStr;
  for (size_t i = 0; i < colours.size() && !v.pageFull; ++i) {
    const size_t end = text.find("\r\n");
    if (end == std::string_view::npos) break;
    SetColourPair(v, canvas, colours[i]);
    DrawLine(v, canvas, text.substr(0, end));
    text.remove_prefix(end + 2);
  }
}

void DrawOnlineLine(LogState& m, ViewState& v, Canvas& canvas, std::string_view line) {
  if (m.PrgPar.ausgonl != 1) return;
  MakeRoom(m, v, canvas, v.lineHeight);
  SetColourPair(v, canvas, m.PrgPar.tf.ueb);
  DrawLine(v, canvas, line);
}

}  // namespace qlxs
