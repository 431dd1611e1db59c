#include "print/print_log.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "log/log_reader.h"
#include "log/log_state.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "model/helpers.h"
#include "model/typed_file.h"
#include "platform/locale_formats.h"
#include "render/render.h"
#include "view/shown.h"

namespace qlxs {

namespace {

constexpr int kTextPageDate = 428;
constexpr int kTextPage = 429;
constexpr int kTextEnd = 1170;
constexpr int kTextCancelled = 1171;
constexpr int kTextExportHeadings = 1173;
constexpr int kProgressEvery = 100;

// One run of the output: the target, the page count and the day of the
// last date line.
class Printer {
 public:
  Printer(LogState& m, PrintOutput& out, bool toLog)
      : m_(m), out_(out), toLog_(toLog), colours_(m.PrgPar.tf.ueb) {}

  // Writes a line, starting a new page with its header first when the page is full.
  int Line(std::string_view text) {
    if (toLog_) return 0;
    if (out_.PageFull()) {
      if (const int io = PageHeader(); io != 0) return io;
    }
    return out_.Line(text);
  }

  int PageHeader() {
    if (toLog_) return 0;
    if (++pages_ > 1) out_.NewPage();
    out_.Colours(m_.PrgPar.tf.ueb);
    const int io = HeaderLines();
    out_.Colours(colours_);
    return io;
  }

  // The colour pair of the lines that follow (kept across a page header).
  void Colours(T_FarbIndex pair) {
    colours_ = pair;
    if (!toLog_) out_.Colours(pair);
  }

  // The lines of a piece, split at its CR LF line ends.
  int Piece(std::string_view piece) {
    size_t start = 0;
    for (size_t end; (end = piece.find("\r\n", start)) != std::string_view::npos; start = end + 2)
      if (const int io = Line(piece.substr(start, end - start)); io != 0) return io;
    return start < piece.size() ? Line(piece.substr(start)) : 0;
  }

  int DateLine(double dt) {
    line_.clear();
    AppendShortDate(line_, dt);
    return Line(line_);
  }

  int pages() const { return pages_; }
  double lastDate = 0;

 private:
  int HeaderLines() {
    if (m_.PrgPar.afmt == FmtExport) {
      if (const int io = out_.Line(Text(m_.AllgVar, kTextExportHeadings)); io != 0) return io;
      return out_.Line("");
    }
    line_.clear();
    line_ += PadRight(m_.AllgVar.dtlog, 32);
    line_ += Text(m_.AllgVar, kTextPageDate);
    AppendShortDate(line_, lastDate);
    line_ += ' ';
    line_ += Text(m_.AllgVar, kTextPage);
    line_ += FormatWidth(3, pages_);
    line_ += PadLeft(TitleText(m_), 60);
    if (const int io = out_.Line(line_); io != 0) return io;
    return out_.Line("");
  }

  LogState& m_;
  PrintOutput& out_;
  const bool toLog_;
  int pages_ = 0;
  T_FarbIndex colours_;
  std::string line_;
};

}  // namespace

PrintResult PrintLog(LogState& m, PrintOutput& out, LogFile* extract, const PrintProgress& progress) {
  PrintResult r;
  T_TeleAusgabe c;
  Printer p(m, out, extract != nullptr);
  LogReader& reader = m.log.reader;
  reader.newest = m.log.stand.aktbl;
  r.io = out.Begin();
  if (r.io == 0) {
    if (!reader.open) ReaderOpen(m);
    ReaderSeek(m, m.log.stand.erstbl, false);
    int32_t total = static_cast<int32_t>(std::min<uint32_t>(
        static_cast<uint32_t>(m.log.stand.letztnr) - static_cast<uint32_t>(m.log.stand.erstnr) + 1u, INT32_MAX));
    int32_t lastProgress = -kProgressEvery;
    T_Telegramm t;
    // Nothing is output when no telegram is admitted: the reader then stands
    // on a telegram the filter rejects.
    if (!IsShown(m) && !NextShown(m)) total = -1;
    ReaderRecord(m, t);
    if (t.lga == 0) total = -1;
    BeginTelegram(m, c, t);
    p.lastDate = c.te.dt;
    const T_FarbIndex headings = m.PrgPar.tf.ueb;
    r.io = p.PageHeader();
    while (r.io == 0 && c.te.nr <= total) {
      if (std::floor(p.lastDate) != std::floor(c.te.dt)) {
        p.lastDate = c.te.dt;
        p.Colours(headings);
        if ((r.io = p.DateLine(c.te.dt)) != 0) break;
      }
      int pieces = 0;
      if (extract) {
        StoreInto(m, *extract, t);
      } else {
        for (const std::string* piece = &NextLines(m, c); !piece->empty(); piece = &NextLines(m, c), ++pieces) {
          p.Colours(c.tcl);
          if ((r.io = p.Piece(*piece)) != 0) break;
        }
        if (r.io != 0) break;
      }
      ++r.telegrams;
      p.Colours(headings);
      if (pieces > 0 && (out.Paper() || m.PrgPar.afmt != FmtExport) && (r.io = p.Line("")) != 0) break;
      if (c.te.nr > lastProgress + kProgressEvery) {
        lastProgress = c.te.nr;
        if (progress && progress(total > 0 ? static_cast<int>(int64_t{lastProgress} * 100 / total) : 100)) {
          r.cancelled = true;
          p.Line(Text(m.AllgVar, kTextCancelled));
          out.Abort();
          break;
        }
      }
      // The window's work between two pages can close the log (a new daily
      // log at midnight): the output is then incomplete and says so.
      if (!reader.open) {
        r.io = kIoNotOpen;
        break;
      }
      if (!NextShown(m)) break;
      ReaderRecord(m, t);
      BeginTelegram(m, c, t);
    }
    if (r.io == 0 && !r.cancelled) r.io = p.Line(Text(m.AllgVar, kTextEnd));
  }
  if (extract) LogWriteBack(m, *extract);
  const int end = out.End();
  if (r.io == 0) r.io = end;
  if (m.PrgPar.ausgonl == 1) ReaderClose(m);
  r.pages = p.pages();
  return r;
}

}  // namespace qlxs
