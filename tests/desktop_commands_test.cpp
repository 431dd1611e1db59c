// The main window's commands without a window: the file commands with
// their questions, the recently used files, the display filter switch, the
// language switch, going to a telegram and the text that Ctrl+C copies.
// They work on real logs made by the simulator.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/desktop.h"
#include "app/monitor.h"
#include "config/element_texts.h"
#include "config/language_texts.h"
#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "model/date_time.h"
#include "model/text_table.h"
#include "platform/file_system.h"
#include "support/apdu_telegram.h"
#include "support/files.h"
#include "support/monitor_fixture.h"
#include "support/recording_canvas.h"
#include "support/desktop_fixture.h"
#include "support/run_cli.h"
#include "support/scratch_dir.h"
#include "view/go_to.h"
#include "view/log_view.h"
#include "view/page_text.h"

namespace qlxs {
namespace {

// A desktop created with a simulated log of 60 APDUs as the current log,
// offline, in the log view.
struct CommandFixture : test::DesktopFixture {
  CommandFixture() {
    m.PrgPar.ausgonl = 0;
    EXPECT_TRUE(test::MakeSimulatedLog(dir, log, {"--apdus", "60"}));
    d.Create({log});
    // Draw the newest page, as the window does after the start.
    d.RunViewCommand(35);
  }
  // Stored telegrams of the current log.
  int32_t Count() const { return m.log.stand.letztnr - m.log.stand.erstnr + 1; }

  std::string log = dir.file("sim.lg4");
};

// The number of the telegram at the page top of the log view.
int32_t PageTopNumber(Monitor& m) {
  T_Telegramm t;
  ReaderRecord(m, t);
  return t.nr;
}

TEST(DesktopCommands, OpeningALogWhileOnlineAsksFirst) {
  for (const MsgAnswer answer : {AnswerNo, AnswerYes}) {
    CommandFixture fx;
    const std::string other = fx.dir.file("other.lg4");
    ASSERT_TRUE(test::MakeSimulatedLog(fx.dir, other, {"--apdus", "10"}));
    fx.m.PrgPar.online = 1;
    fx.sink.answers = {answer};
    fx.d.OpenLogCommand(other);
    EXPECT_EQ(fx.MessageNumbers().back(), kTextOfflineOnly);
    EXPECT_EQ(fx.m.AllgVar.dtlog, answer == AnswerYes ? other : fx.log);
    EXPECT_EQ(fx.m.PrgPar.online, answer == AnswerYes ? 0 : 1);
    EXPECT_EQ(fx.d.recent.names().front(), other) << "the chosen file is on top either way";
  }
}

TEST(DesktopCommands, SavingACopyKeepsTheCurrentLogAndNulSavesNone) {
  CommandFixture fx;
  const std::string copy = fx.dir.file("copy.lg4");
  fx.d.SaveLogAsCommand(copy);
  EXPECT_EQ(fx.m.AllgVar.dtlog, fx.log);
  EXPECT_EQ(test::ReadFile(copy), test::ReadFile(fx.log));
  EXPECT_EQ(fx.d.recent.names().front(), copy);
  EXPECT_TRUE(fx.m.log.reader.open);
  fx.d.SaveLogAsCommand(fx.dir.file("none.nul"));
  EXPECT_FALSE(IsFile(fx.dir.file("none.nul")));
  EXPECT_EQ(fx.d.recent.names().size(), 1u);
}

TEST(DesktopCommands, SavingALogKeptInMemoryLosesNothing) {
  // A log whose name is not a regular file lives in memory only.
  for (const char* target : {"copy.lg4", "none.nul"}) {
    SCOPED_TRACE(target);
    CommandFixture fx;
    const std::string folder = fx.dir.file("folder.lg4");
    ASSERT_EQ(MakeDirectories(folder), 0);
    ASSERT_TRUE(fx.d.OpenLog(folder));
    ASSERT_TRUE(fx.m.log.name.empty());
    T_Telegramm t = test::ApduTelegram({0x68, 0x04, 0x07, 0x00, 0x00, 0x00});
    StoreTelegram(fx.m, t);
    const int32_t newest = fx.m.log.stand.letztnr;
    ASSERT_GT(newest, 0);
    fx.d.SaveLogAsCommand(fx.dir.file(target));
    EXPECT_EQ(fx.m.log.stand.letztnr, newest);
    EXPECT_FALSE(IsFile(fx.dir.file(target)));
  }
}

TEST(DesktopCommands, DeletingTheLogAsksAndClearsTheCounters) {
  for (const MsgAnswer answer : {AnswerNo, AnswerYes}) {
    CommandFixture fx;
    fx.m.counters = {5, 1, 0, 0, 3, 0, 0, 0};
    const int32_t before = fx.Count();
    fx.sink.answers = {answer};
    fx.d.DeleteLogCommand();
    ASSERT_FALSE(fx.sink.entries.empty());
    EXPECT_NE(fx.sink.entries.back().text.find("sim.lg4"), std::string::npos) << "the question names the file";
    if (answer == AnswerYes) {
      EXPECT_EQ(fx.m.counters, (TelegramCounters{}));
      EXPECT_LT(fx.Count(), before);
    } else {
      EXPECT_EQ(fx.m.counters[0], 5u);
      EXPECT_EQ(fx.Count(), before);
    }
  }
}

TEST(DesktopCommands, RecentFilesOpenByKindAndForgetFilesThatAreGone) {
  CommandFixture fx;
  const std::string elements = fx.dir.write("plant.txt", "CA;212;Alder Creek\n");
  const std::string gone = fx.dir.file("gone.lg4");
  fx.d.recent.Add(gone);
  fx.d.recent.Add(elements);
  fx.d.RecentFileClick(gone);
  EXPECT_EQ(fx.MessageNumbers().back(), kTextNoFile);
  EXPECT_EQ(fx.d.recent.names(), std::vector<std::string>{elements});
  fx.d.RecentFileClick(elements);
  EXPECT_EQ(fx.m.AllgVar.dtOaTxt, elements);
  EXPECT_EQ(fx.m.AllgVar.elements.stations.size(), 1u);
  // A file that cannot be read is reported and changes nothing.
  const std::string unreadable = fx.dir.file("gone.txt");
  fx.d.LoadElementTextsCommand(unreadable);
  EXPECT_EQ(fx.MessageNumbers().back(), kTextElementsUnreadable);
  EXPECT_EQ(fx.m.AllgVar.dtOaTxt, elements);
  EXPECT_EQ(fx.m.AllgVar.elements.stations.size(), 1u);
  fx.d.ClearElementTextsCommand();
  EXPECT_EQ(fx.m.AllgVar.dtOaTxt, "");
  EXPECT_TRUE(fx.m.AllgVar.elements.stations.empty());
}

TEST(DesktopCommands, TheDisplayFilterSwitchesOnlyWhenItRestrictsSomething) {
  CommandFixture fx;
  fx.m.AllgPar.afilt.def = 0;
  fx.d.ToggleDisplayFilterClick();
  EXPECT_EQ(fx.MessageNumbers().back(), kTextNoDisplayFilter);
  EXPECT_EQ(fx.m.AllgPar.afilt.ein, 0);
  fx.m.AllgPar.afilt.def = 1;
  fx.d.ToggleDisplayFilterClick();
  EXPECT_EQ(fx.m.AllgPar.afilt.ein, 1);
  EXPECT_EQ(fx.window.posted.back(), 0);
}

TEST(DesktopCommands, ALanguageSwitchKeepsTheRecentFilesAndAFailedOneChangesNothing) {
  CommandFixture fx;
  const std::string copy = fx.dir.file("copy.lg4");
  fx.d.SaveLogAsCommand(copy);
  ASSERT_TRUE(fx.d.SwitchLanguage(0));
  EXPECT_EQ(fx.window.languageChanges, 1);
  EXPECT_EQ(fx.d.recent.names(), std::vector<std::string>{copy}) << "written into the settings and taken again";
  EXPECT_EQ(fx.d.grid[1][0], Text(fx.m.AllgVar, kTextGridPort1));
  const std::string german = Text(fx.m.AllgVar, kTextGridPort1);
  // A program directory without language files: the texts stay.
  fx.m.AllgVar.ProgDir = fx.dir.file("nowhere/");
  EXPECT_FALSE(fx.d.SwitchLanguage(1));
  EXPECT_EQ(fx.window.languageChanges, 1);
  EXPECT_EQ(Text(fx.m.AllgVar, kTextGridPort1), german) << "the texts are kept whole";
  EXPECT_EQ(fx.m.PrgPar.spr, 0);
  EXPECT_EQ(fx.MessageNumbers().back(), 0) << "the loader's error is shown";
}

TEST(DesktopCommands, AnOutputLeavesThePageWhereItWas) {
  CommandFixture fx;
  const int32_t top = fx.m.log.stand.erstnr + 17;
  ASSERT_TRUE(fx.d.GoTo(std::to_string(top)));
  fx.d.RunViewCommand(0);
  for (const bool viewCommandMeanwhile : {false, true}) {
    SCOPED_TRACE(viewCommandMeanwhile);
    fx.d.RunOutput([&] {
      // Printing walks the log with the view's reader to its end; the
      // window may post view commands while it processes events.
      ReaderSeek(fx.m, fx.m.log.stand.aktbl, true);
      if (viewCommandMeanwhile) fx.d.RunViewCommand(kViewEnd);
      EXPECT_EQ(PageTopNumber(fx.m), fx.m.log.stand.letztnr) << "a waiting command does not move the reader";
    });
    EXPECT_EQ(PageTopNumber(fx.m), top);
    EXPECT_EQ(fx.window.posted.back(), viewCommandMeanwhile ? kViewEnd : kViewRedraw);
  }
}

TEST(GoTo, WhatTheUserTypesIsANumberOrATime) {
  const double newest = EncodeDate(2026, 12, 10) + 0.5;
  const struct {
    const char* text;
    bool ok, byTime;
    int32_t number;
    double time;
  } cases[] = {
      {"1234", true, false, 1234, 0},
      {" 1,234 ", true, false, 1234, 0},
      {"13:45", true, true, 0, EncodeDate(2026, 12, 10) + (13 * 60 + 45) / 1440.0},
      {"13:45:30", true, true, 0, EncodeDate(2026, 12, 10) + (13 * 3600 + 45 * 60 + 30) / 86400.0},
      {"09.12.2026 08:00", true, true, 0, EncodeDate(2026, 12, 9) + 8 / 24.0},
      {"24:00", false, false, 0, 0},
      {"12:61", false, false, 0, 0},
      {"31.13.2026 08:00", false, false, 0, 0},
      {"31.02.2026 08:00", false, false, 0, 0},
      {"29.02.2028 08:00", true, true, 0, EncodeDate(2028, 2, 29) + 8 / 24.0},
      {"12a", false, false, 0, 0},
      {"", false, false, 0, 0},
      {"99999999999", false, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto t = ParseGoToTarget(c.text, newest);
    ASSERT_EQ(t.has_value(), c.ok);
    if (!t) continue;
    EXPECT_EQ(t->byTime, c.byTime);
    if (c.byTime)
      EXPECT_NEAR(t->time, c.time, 1e-9);
    else
      EXPECT_EQ(t->number, c.number);
  }
}

TEST(GoTo, FindsATelegramByNumberOrTimeAndRefusesOneThatIsNotThere) {
  CommandFixture fx;
  const int32_t first = fx.m.log.stand.erstnr, last = fx.m.log.stand.letztnr;
  ASSERT_GT(last - first, 40);
  for (const int32_t n : {first, first + 17, last}) {
    ASSERT_TRUE(fx.d.GoTo(std::to_string(n)));
    EXPECT_EQ(PageTopNumber(fx.m), n);
    fx.d.RunViewCommand(fx.window.posted.back());
    EXPECT_EQ(PageTopNumber(fx.m), n) << "the page starts there";
  }
  EXPECT_FALSE(fx.d.GoTo(std::to_string(last + 1)));
  EXPECT_EQ(fx.MessageNumbers().back(), kTextNoSuchTelegram);
  EXPECT_EQ(PageTopNumber(fx.m), last) << "a failed search leaves the page";

  // By time: the first telegram stored at or after it.
  ASSERT_TRUE(GoToTelegram(fx.m, fx.d.view, {false, first + 30, 0}));
  T_Telegramm t;
  ReaderRecord(fx.m, t);
  const std::string when = FormatIsoDateTime(t.dt).substr(11, 8);  // hh:mm:ss
  ASSERT_TRUE(fx.d.GoTo(when));
  ReaderRecord(fx.m, t);
  EXPECT_LE(PageTopNumber(fx.m), first + 30);
  EXPECT_EQ(FormatIsoDateTime(t.dt).substr(11, 8), when);
  EXPECT_FALSE(fx.d.GoTo("23:59:59")) << "after the newest telegram";
}

TEST(GoTo, SearchesTheBlocksOfAWrappedRing) {
  // A ring of 32 blocks that has gone round: the oldest block is not the
  // first in the file, and the oldest numbers are overwritten.
  test::ScratchDir dir;
  test::TestMonitor tm;
  Monitor& m = *tm;
  m.AllgPar.maxlog = 1;
  LogOpen(m, dir.file("ring.lg4"), false);
  for (int i = 0; m.log.stand.erstbl < 5; ++i) {
    T_Telegramm t = test::ApduTelegram({0x68, 0x04, 0x01, 0x00, 0x02, 0x00});
    t.dt = 46000.0 + i / 86400.0;  // a second apart
    StoreTelegram(m, t);
  }
  ReaderOpen(m);
  ViewState v;
  const int32_t first = m.log.stand.erstnr, last = m.log.stand.letztnr;
  ASSERT_GT(first, 1000);
  for (const int32_t n : {first, first + 1, (first + last) / 2, last - 1, last}) {
    ASSERT_TRUE(GoToTelegram(m, v, {false, n, 0})) << n;
    EXPECT_EQ(PageTopNumber(m), n);
    EXPECT_EQ(v.pageTopBlock, m.log.reader.blk);
    // The same telegram by its time.
    T_Telegramm t;
    ReaderRecord(m, t);
    ASSERT_TRUE(GoToTelegram(m, v, {true, 0, t.dt})) << n;
    EXPECT_EQ(PageTopNumber(m), n);
  }
  for (const int32_t gone : {first - 1, 1, last + 1}) {
    ASSERT_TRUE(GoToTelegram(m, v, {false, first + 3, 0}));
    EXPECT_FALSE(GoToTelegram(m, v, {false, gone, 0})) << gone;
    EXPECT_EQ(PageTopNumber(m), first + 3) << "the page stays where it was";
  }
  LogClose(m);
}

TEST(PageText, CopiesTheTelegramUnderTheMouseOrThePage) {
  CommandFixture fx;
  fx.d.GoTo(std::to_string(fx.m.log.stand.erstnr));
  fx.d.RunViewCommand(0);
  const auto& page = fx.d.view.pageTelegrams;
  ASSERT_GE(page.size(), 3u);
  const std::string all = PageText(fx.m, fx.d.view);
  const std::string second = TelegramTextAt(fx.m, fx.d.view, (page[1].top + page[1].bottom) / 2);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.find('\r'), std::string::npos);
  EXPECT_NE(all.find(second.substr(second.find('\n'))), std::string::npos) << "the page holds the telegram's lines";
  EXPECT_EQ(TelegramTextAt(fx.m, fx.d.view, page.back().bottom + 1000), "");
  EXPECT_EQ(PageTopNumber(fx.m), fx.m.log.stand.erstnr) << "the reader is back on the page top";

  // The online view copies the telegrams it has drawn.
  fx.d.ShowOnlineView();
  fx.d.Tick();
  EXPECT_EQ(PageText(fx.m, fx.d.view), "") << "nothing drawn yet";
  T_Telegramm startdt = test::ApduTelegram({0x68, 0x04, 0x07, 0x00, 0x00, 0x00});
  StoreTelegram(fx.m, startdt);
  EXPECT_EQ(PageText(fx.m, fx.d.view), "") << "stored, not drawn";
  fx.d.Tick();
  const std::string online = PageText(fx.m, fx.d.view);
  EXPECT_NE(online.find("STARTDT act"), std::string::npos) << online;
  EXPECT_EQ(online.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace qlxs
