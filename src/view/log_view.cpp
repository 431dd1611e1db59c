#include "view/log_view.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "log/log_reader.h"
#include "log/log_state.h"
#include "platform/locale_formats.h"
#include "view/shown.h"
#include "view/view_draw.h"

namespace qlxs {

namespace {

constexpr int kTextNoMore = 1191;        // no (further) telegram to show
constexpr int kTextTelegramNumber = 425; // page header: before the number of the page top
constexpr int kTextOfCount = 427;        // page header: before the telegram count
constexpr int kHeaderBelow = 6;          // space below the page header
constexpr int kEndStartY = 20;           // End measures the newest telegrams from 5 lines + this
constexpr int kEndStartLines = 5;

// Telegrams a moving command steps, negative backward; 0 for the others.
int StepOf(int code) {
  switch (code) {
    case kViewPageUp: return -5;
    case kViewPageDown: return 5;
    case kViewLineUp: return -1;
    case kViewLineDown: return 1;
    case kViewCtrlPageUp: return -500;
    case kViewCtrlPageDown: return 500;
    case kViewShiftCtrlPageUp: return -5000;
    case kViewShiftCtrlPageDown: return 5000;
    case kViewShiftPageUp: return -50;
    case kViewShiftPageDown: return 50;
    default: return 0;
  }
}

// The arrows and Page Up/Down page through the objects of a telegram that
// filled the page alone before they move to another telegram.
bool PagesThroughObjects(int code) {
  return code == kViewPageUp || code == kViewPageDown || code == kViewLineUp || code == kViewLineDown;
}

int32_t RecordNumber(const LogState& m) {
  T_Telegramm t;
  ReaderRecord(m, t);
  return t.nr;
}

// Object lines that fit on a page beside the other lines of telegram t.
int ObjectLinesPerPage(const LogState& m, const ViewState& v, const T_Telegramm& t) {
  const T_PrgPar& p = m.PrgPar;
  if (p.afmt == FmtLogNeu) return v.linesPerPage - 1;
  return v.linesPerPage - 4 - (p.mitlink ? 1 : 0) - (t.idm > 0 ? 1 : 0) - (p.mitzeit || t.stat < kStatErrorLimit ? 1 : 0) +
         (p.afmt == FmtKompakt ? 2 : 0);
}

// Moves the first object of a telegram that filled the last page alone by
// a page forward or back. False when the move goes to another telegram:
// forward once its last object was shown, back from its first object, and
// always when the page did not reach its objects.
bool PageObjects(const LogState& m, ViewState& v, int step) {
  const T_TeleAusgabe& c = v.shared;
  const int32_t advance = std::max(1, ObjectLinesPerPage(m, v, c.te) - 1);
  int32_t& first = v.pageTopObject;
  if (step > 0 && c.objnr > 0 && c.objnr < c.objanz) {
    // The last page of objects ends with the last object; every page
    // starts further on than the one before.
    const int32_t lines = advance + 1;
    int32_t next = first + advance;
    if (next + lines > c.objanz) next = std::max(c.objanz - lines, first + 1);
    first = next;
    return true;
  }
  if (step < 0 && first > 0) {
    first = advance <= first ? first - advance : 0;
    return true;
  }
  return false;
}

void DrawPageHeader(LogState& m, ViewState& v, Canvas& canvas, const T_TeleAusgabe& c) {
  SetColourPair(v, canvas, m.PrgPar.tf.ueb);
  canvas.SetBold(true);
  std::string line;
  AppendLongDate(line, c.te.dt);
  line += Text(m.AllgVar, kTextTelegramNumber);
  line += FormatGrouped(c.te.nr, 0);
  line += Text(m.AllgVar, kTextOfCount);
  line += FormatGrouped(m.log.reader.count, 0);
  DrawLines(v, canvas, line);
  v.y += kHeaderBelow;
  canvas.SetBold(false);
  SetColourPair(v, canvas, c.tcl);
}

// End: the reader on the telegram that starts the page whose last telegram
// is the newest. Returns the step still to take from there.
int SeekEnd(LogState& m, ViewState& v) {
  LogReader& r = m.log.reader;
  ReaderSeek(m, m.log.stand.aktbl, true);
  r.newest = m.log.stand.aktbl;
  // With the display filter on, the last admitted telegram before the newest record.
  if (m.AllgPar.afilt.ein) return -1;
  // Records the view hides take no room on the page.
  if (!IsShown(m) && !PrevShown(m)) return 0;
  T_TeleAusgabe& c = v.shared;
  c.obja = 0;
  T_Telegramm t;
  int y = kEndStartLines * v.lineHeight + kEndStartY;
  for (;;) {
    ReaderRecord(m, t);
    if (t.lga == 0) return -1;
    BeginTelegram(m, c, t);
    RenderAll(m, c);
    y += c.anztxt * v.lineHeight + v.gap;
    // The telegram measured last does not fit: the page starts after it.
    if (y > v.pageBottomY) return 1;
    // At the start of the log the page starts with its first telegram,
    // which has no telegram before it to measure the time from.
    if (!JumpShown(m, -1)) {
      c.dtalt = 0;
      return 0;
    }
  }
}

}  // namespace

int ShowPage(LogState& m, ViewState& v, Canvas& canvas, int code, int position) {
  T_TeleAusgabe& c = v.shared;
  c.dtalt = 0;
  if (m.PrgPar.ausgonl == 1) {
    m.log.ring.redraw = true;
    v.hasPageTop = false;
    return 0;
  }
  LogReader& r = m.log.reader;
  if (!r.open) {
    v.hasPageTop = false;
    return 0;
  }
  ClearView(m, v, canvas);
  v.pageTelegrams.clear();
  T_LogStand& s = m.log.stand;
  if (!v.hasPageTop || s.ueberl != 0) {
    s.ueberl = 0;
    code = kViewEnd;
  }
  r.count = static_cast<int32_t>(static_cast<uint32_t>(s.letztnr) - static_cast<uint32_t>(s.erstnr) + 1u);
  if (code == kViewRedraw && position == 0) code = kViewHome;
  if (code == kViewRedraw && position >= kScrollRange) code = kViewEnd;
  canvas.SetBusyCursor(true);

  int step = StepOf(code);
  if (code == kViewEnd || code == kViewHome) v.pageTopObject = 0;
  if (code >= 1 && code <= 7) {
    if (!IsShown(m)) JumpShown(m, -1);
  } else if (code == kViewEnd) {
    step = SeekEnd(m, v);
  } else if (code == kViewHome) {
    ReaderSeek(m, s.erstbl, false);
    if (!IsShown(m)) NextShown(m);
  }
  if (PagesThroughObjects(code) && c.tjs == 1 && PageObjects(m, v, step)) step = 0;
  if (code == kViewRedraw && position > 0) {
    const int64_t target = int64_t{r.count} * position / kScrollRange;
    const int64_t current = static_cast<int64_t>(RecordNumber(m)) - s.erstnr;
    step = static_cast<int>(std::clamp<int64_t>(target - current, -r.count, r.count));
  }
  const int32_t blockBefore = r.blk, posBefore = r.pos;
  JumpShown(m, step);
  if (r.blk != blockBefore || r.pos != posBefore) v.pageTopObject = 0;

  // Paint from the page top down until the page is full.
  v.hasPageTop = true;
  v.pageTopBlock = r.blk;
  v.pageTopPos = r.pos;
  c.tjs = 0;
  bool firstOnPage = true;
  double lastDate = 0;
  T_Telegramm t;
  for (;;) {
    ReaderRecord(m, t);
    if (t.lga == 0 || !IsShown(m)) {
      if (!NextShown(m)) {
        DrawLines(v, canvas, Text(m.AllgVar, kTextNoMore));
        break;
      }
      ReaderRecord(m, t);
      v.pageTopObject = 0;
    }
    if (firstOnPage) {
      v.pageTopBlock = r.blk;
      v.pageTopPos = r.pos;
    }
    c.obja = firstOnPage ? v.pageTopObject : 0;
    StartTelegram(m, v, canvas, c, t);
    if (firstOnPage) {
      lastDate = c.te.dt;
      DrawPageHeader(m, v, canvas, c);
    } else if (std::floor(lastDate) != std::floor(c.te.dt)) {
      lastDate = c.te.dt;
      std::string date;
      AppendShortDate(date, c.te.dt);
      DrawLines(v, canvas, date);
    }
    firstOnPage = false;
    const int yBefore = v.y;
    const int32_t block = r.blk, pos = r.pos;
    while (!v.pageFull) {
      const std::string& piece = NextLines(m, c);
      if (piece.empty()) break;
      SetColourPair(v, canvas, c.tcl);
      DrawLines(v, canvas, piece);
    }
    if (v.y != yBefore) v.pageTelegrams.push_back({yBefore, v.y, block, pos});
    if (v.y != yBefore && !v.pageFull) Gap(v);
    if (v.pageFull) break;
    if (!NextShown(m)) {
      DrawLines(v, canvas, Text(m.AllgVar, kTextNoMore));
      break;
    }
  }
  c.obja = v.pageTopObject;
  ReaderReturn(m, v.pageTopBlock, v.pageTopPos);
  canvas.SetBusyCursor(false);
  if (firstOnPage || r.count <= 1) return 0;
  const int64_t top = static_cast<int64_t>(RecordNumber(m)) - s.erstnr;
  return static_cast<int>(std::clamp<int64_t>(int64_t{kScrollRange} * top / (r.count - 1), 0, kScrollRange));
}

std::optional<int> RunViewCommand(LogState& m, ViewState& v, Canvas& canvas, int code) {
  const int position = ShowPage(m, v, canvas, code, -1);
  if (m.PrgPar.ausgonl == 1) return std::nullopt;
  return position;
}

}  // namespace qlxs
