// Printing the log: page headers and page breaks, date lines, the gaps and
// end texts, progress and cancel, and the extract into a new log.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "config/colours.h"
#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "print/print_log.h"
#include "render/render.h"
#include "model/typed_file.h"
#include "support/capture_fixture.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using test::CaptureFixture;
using test::ScratchDir;

// A printer of `linesPerPage` lines, or a text file when 0.
class RecordingOutput final : public PrintOutput {
 public:
  explicit RecordingOutput(int linesPerPage = 0) : perPage_(linesPerPage) {}
  int Begin() override { return failBegin; }
  bool Paper() const override { return perPage_ > 0; }
  bool PageFull() const override { return perPage_ > 0 && onPage_ >= perPage_; }
  void NewPage() override {
    ++newPages;
    onPage_ = 0;
  }
  int Line(std::string_view text) override {
    lines.emplace_back(text);
    colours.push_back(current);
    ++onPage_;
    return failAfter >= 0 && static_cast<int>(lines.size()) > failAfter ? 28 : 0;  // ENOSPC
  }
  void Abort() override { aborted = true; }
  int End() override { return 0; }
  void Colours(T_FarbIndex pair) override { current = pair; }

  std::vector<std::string> lines;
  std::vector<T_FarbIndex> colours;  ///< the pair each line was written in
  T_FarbIndex current{};
  int newPages = 0;
  bool aborted = false;
  int failBegin = 0;
  int failAfter = -1;

 private:
  int perPage_;
  int onPage_ = 0;
};

constexpr double kDay = 46002.0;  // 2025-12-11

// A log with `count` telegrams (text lines), the last `nextDay` of them a day later.
struct PrintFixture {
  explicit PrintFixture(int count, int nextDay = 0, uint8_t stat = StatTextLine) {
    fx.m.AllgVar.dtlog = dir.file("p.lg4");
    LogOpen(fx.m, fx.m.AllgVar.dtlog, false);
    for (int i = 0; i < count; ++i) {
      T_Telegramm t{};
      t.ek = kReceiverPort1;
      t.ta = TaRaw;
      t.stat = stat;
      t.lg = 2;
      t.b[0] = 'O';
      t.b[1] = 'K';
      t.dt = (i >= count - nextDay ? kDay + 1 : kDay) + 0.5;
      StoreTelegram(fx.m, t);
    }
    fx.m.PrgPar.afmt = FmtByteSer;
    fx.m.PrgPar.mitzeit = 1;
    fx.m.PrgPar.mitlink = 1;
    fx.m.PrgPar.ausgonl = 0;  // printed from the log view
  }
  ScratchDir dir;
  CaptureFixture fx;
};

int Count(const std::vector<std::string>& lines, const std::string& start) {
  int n = 0;
  for (const std::string& l : lines) n += l.rfind(start, 0) == 0;
  return n;
}

TEST(PrintLog, TextFileHasOneHeaderDateLinesGapsAndTheEnd) {
  PrintFixture p(3, 1);
  RecordingOutput out;
  const PrintResult r = PrintLog(p.fx.m, out, nullptr);
  EXPECT_EQ(r.io, 0);
  EXPECT_EQ(r.telegrams, 3);
  EXPECT_EQ(r.pages, 1);
  ASSERT_GE(out.lines.size(), 3u);
  EXPECT_EQ(out.lines[0].rfind(p.fx.m.AllgVar.dtlog, 0), 0u) << out.lines[0];
  EXPECT_NE(out.lines[0].find("as of 12/11/25 page  1"), std::string::npos) << out.lines[0];
  EXPECT_NE(out.lines[0].find("Log, filter off, bytes, time on, link on"), std::string::npos) << out.lines[0];
  EXPECT_EQ(out.lines[1], "");
  // Header, dump and gap per telegram; a date line before the day changes.
  const std::vector<std::string> body(out.lines.begin() + 2, out.lines.end());
  ASSERT_EQ(body.size(), 3u * 3 + 1 + 1);
  EXPECT_EQ(body[6], "12/12/25") << "the third telegram is on the next day";
  EXPECT_EQ(body.back(), "*** End of output ***");
  EXPECT_EQ(body[2], "") << "an empty line after each telegram";
}

TEST(PrintLog, EveryPrinterPageStartsWithItsHeader) {
  PrintFixture p(6);
  RecordingOutput out(5);
  const PrintResult r = PrintLog(p.fx.m, out, nullptr);
  EXPECT_EQ(r.io, 0);
  EXPECT_GT(r.pages, 2);
  EXPECT_EQ(out.newPages, r.pages - 1) << "a new page for every header but the first";
  EXPECT_EQ(Count(out.lines, p.fx.m.AllgVar.dtlog), r.pages);
  EXPECT_NE(out.lines[15].find("page  4"), std::string::npos) << "page 4 starts after three full pages";
}

TEST(PrintLog, TelegramLinesComeInTheirColoursAndEverythingElseInTheHeadingColours) {
  PrintFixture p(4, 1);
  T_TelFarben& tf = p.fx.m.PrgPar.tf;
  tf.ueb = {ColourBlue, ColourLightYellow};
  tf.e1 = {ColourRed, ColourWhite};
  RecordingOutput out(4);  // page breaks inside telegrams
  PrintLog(p.fx.m, out, nullptr);
  ASSERT_EQ(out.lines.size(), out.colours.size());
  const std::string& log = p.fx.m.AllgVar.dtlog;
  int telegramLines = 0;
  for (size_t i = 0; i < out.lines.size(); ++i) {
    const std::string& l = out.lines[i];
    // The telegram lines of this fixture are its header and its dump "4F 4B".
    const bool telegram = !l.empty() && l.rfind(log, 0) != 0 && l.find('/') == std::string::npos && l[0] != '*';
    const uint16_t want = telegram ? tf.e1.wd() : tf.ueb.wd();
    EXPECT_EQ(out.colours[i].wd(), want) << "line " << i << ": " << l;
    telegramLines += telegram;
  }
  EXPECT_EQ(telegramLines, 4 * 2);
  EXPECT_GT(out.newPages, 2);
}

TEST(PrintLog, ExportStartsWithTheColumnHeadingsAndHasGapsOnlyOnPaper) {
  for (const int linesPerPage : {0, 100}) {
    PrintFixture p(2, 0, StatTextLine);
    p.fx.m.PrgPar.afmt = FmtExport;
    RecordingOutput out(linesPerPage);
    PrintLog(p.fx.m, out, nullptr);
    ASSERT_GE(out.lines.size(), 3u);
    EXPECT_EQ(out.lines[0], Text(p.fx.m.AllgVar, 1173));
    EXPECT_EQ(out.lines[1], "");
    // A text file keeps the export lines together; paper separates the telegrams.
    EXPECT_EQ(std::count(out.lines.begin() + 2, out.lines.end(), ""), linesPerPage > 0 ? 2 : 0) << linesPerPage;
  }
}

TEST(PrintLog, NothingToShowGivesHeaderAndEndOnly) {
  for (const bool emptyLog : {true, false}) {
    PrintFixture p(emptyLog ? 0 : 4, 0, StatOk);
    if (!emptyLog) {
      p.fx.m.AllgPar.afilt.ein = 1;  // a display filter that admits nothing
      p.fx.m.AllgPar.afilt.tken = 0;
    }
    RecordingOutput out;
    const PrintResult r = PrintLog(p.fx.m, out, nullptr);
    EXPECT_EQ(r.telegrams, 0) << emptyLog;
    ASSERT_EQ(out.lines.size(), 3u) << emptyLog;
    EXPECT_EQ(out.lines[2], "*** End of output ***");
  }
}

TEST(PrintLog, ProgressCanCancel) {
  PrintFixture p(250);
  RecordingOutput out(60);
  std::vector<int> seen;
  const PrintResult r = PrintLog(p.fx.m, out, nullptr, [&seen](int percent) {
    seen.push_back(percent);
    return seen.size() == 2;
  });
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(seen, (std::vector<int>{0, 40}));
  EXPECT_TRUE(out.aborted);
  EXPECT_EQ(out.lines.back(), Text(p.fx.m.AllgVar, 1171));
  EXPECT_EQ(r.telegrams, 102);
}

TEST(PrintLog, AFailedWriteEndsTheOutput) {
  PrintFixture p(10);
  RecordingOutput out;
  out.failAfter = 4;
  EXPECT_EQ(PrintLog(p.fx.m, out, nullptr).io, 28);
  EXPECT_EQ(out.lines.size(), 5u);
  RecordingOutput refused;
  refused.failBegin = 13;
  EXPECT_EQ(PrintLog(p.fx.m, refused, nullptr).io, 13);
  EXPECT_TRUE(refused.lines.empty());
}

TEST(PrintLog, ALogClosedDuringTheOutputEndsItAsAFailure) {
  PrintFixture p(250);
  RecordingOutput out(60);
  int calls = 0;
  // The progress answer stands for the window's work between pages, which
  // here closes the log as the daily switch at midnight does.
  const PrintResult r = PrintLog(p.fx.m, out, nullptr, [&](int) {
    if (++calls == 2) LogClose(p.fx.m);
    return false;
  });
  EXPECT_EQ(r.io, kIoNotOpen);
  EXPECT_LT(r.telegrams, 250);
  EXPECT_NE(out.lines.back(), Text(p.fx.m.AllgVar, 1170)) << "no end text for an incomplete output";
}

TEST(PrintLog, ExtractCopiesTheAdmittedTelegramsRenumbered) {
  PrintFixture p(0);
  for (int i = 1; i <= 6; ++i) {
    T_Telegramm t{};
    t.ek = kReceiverPort1;
    t.ta = TaIFormat;
    t.stat = i == 2 || i == 5 ? StatLengthError : StatOk;
    t.lg = 6;
    t.b[0] = static_cast<uint8_t>(i);
    StoreTelegram(p.fx.m, t);
  }
  T_Filter& f = p.fx.m.AllgPar.afilt;  // faulty telegrams only
  f.ein = 1;
  f.tken = 3;
  f.ffehl = 1;
  LogFile x;
  x.name = p.dir.file("x.lg4");
  LogCreate(p.fx.m, x);
  RecordingOutput nothingShown;
  const PrintResult r = PrintLog(p.fx.m, nothingShown, &x);
  EXPECT_EQ(r.telegrams, 2);
  EXPECT_TRUE(nothingShown.lines.empty()) << "no headers, dates or end texts in an extract";

  auto extract = std::make_unique<test::TestMonitor>();
  ASSERT_EQ(LogOpenForReading(extract->m, x.name), LogCheck::Valid);
  EXPECT_EQ(extract->m.log.stand.erstnr, 1);
  EXPECT_EQ(extract->m.log.stand.letztnr, 2);
  ReaderOpen(extract->m);
  ReaderSeek(extract->m, 0, false);
  T_Telegramm t;
  ReaderRecord(extract->m, t);
  EXPECT_EQ(t.nr, 1);
  EXPECT_EQ(t.b[0], 2) << "the first faulty telegram, renumbered";
  ASSERT_TRUE(ReaderNext(extract->m));
  ReaderRecord(extract->m, t);
  EXPECT_EQ(t.nr, 2);
  EXPECT_EQ(t.b[0], 5);
}

}  // namespace
}  // namespace qlxs
