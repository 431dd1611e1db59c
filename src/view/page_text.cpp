#include "view/page_text.h"

#include "filter/filter_match.h"
#include "log/log_reader.h"
#include "log/log_state.h"
#include "view/view_draw.h"

namespace qlxs {

namespace {

// Appends the lines of the telegram stored at (block, pos), CR LF turned
// into line feeds. The reader goes back to the page top afterwards. The
// time since the previous telegram is measured from the one rendered
// before, as on the page; the caller keeps the view's own.
void AppendTelegram(LogState& m, ViewState& v, const ViewState::PageTelegram& p, std::string& out) {
  ReaderReturn(m, p.block, p.pos);
  T_Telegramm t;
  ReaderRecord(m, t);
  if (t.lga != 0) {
    T_TeleAusgabe c;
    c.shared = &v.shared;
    BeginTelegram(m, c, t);
    RenderAll(m, c);
    for (const char ch : c.TxtStr)
      if (ch != '\r') out += ch;
  }
  ReaderReturn(m, v.pageTopBlock, v.pageTopPos);
}

bool LogViewShown(const LogState& m, const ViewState& v) {
  return m.PrgPar.ausgonl != 1 && m.log.reader.open && v.hasPageTop;
}

}  // namespace

std::string TelegramTextAt(LogState& m, ViewState& v, int y) {
  std::string out;
  if (!LogViewShown(m, v)) return out;
  for (const ViewState::PageTelegram& p : v.pageTelegrams) {
    if (y < p.top || y >= p.bottom) continue;
    const double dtalt = v.shared.dtalt;
    v.shared.dtalt = 0;
    AppendTelegram(m, v, p, out);
    v.shared.dtalt = dtalt;
    break;
  }
  return out;
}

// The telegrams of the online ring that the view has drawn, oldest first.
std::string OnlineText(LogState& m, ViewState& v) {
  std::string out;
  const OnlineRing& ring = m.log.ring;
  T_TeleAusgabe c;
  c.shared = &v.shared;
  const double dtalt = v.shared.dtalt;
  v.shared.dtalt = 0;
  // From the slot after the one written next round to the last one drawn.
  for (int k = 1; k <= kRingSlots; ++k) {
    const int i = (ring.write + k) % kRingSlots;
    if (i == ring.read) break;  // not drawn yet
    const T_Telegramm& t = ring.slot[static_cast<size_t>(i)];
    if (t.lga == 0 || !ViewAdmits(m.PrgPar, m.AllgPar, m.log.stand.erstnr, t)) continue;
    BeginTelegram(m, c, t);
    RenderAll(m, c);
    for (const char ch : c.TxtStr)
      if (ch != '\r') out += ch;
    out += '\n';
  }
  v.shared.dtalt = dtalt;
  return out;
}

std::string PageText(LogState& m, ViewState& v) {
  if (m.PrgPar.ausgonl == 1) return OnlineText(m, v);
  std::string out;
  if (!LogViewShown(m, v)) return out;
  const double dtalt = v.shared.dtalt;
  v.shared.dtalt = 0;
  for (const ViewState::PageTelegram& p : v.pageTelegrams) {
    AppendTelegram(m, v, p, out);
    out += '\n';
  }
  v.shared.dtalt = dtalt;
  return out;
}

}  // namespace qlxs
