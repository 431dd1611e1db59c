// The main window's decisions without a window: the command line and the
// initial files, the deferred start, ports that are missing at start, the
// view following a failed log write, the status panels, the counters of
// the status grid and the window placement.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/desktop.h"
#include "app/monitor.h"
#include "config/prg_par.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "support/apdu_telegram.h"
#include "support/capture_fixture.h"
#include "support/recording_canvas.h"
#include "support/desktop_fixture.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using test::DesktopFixture;

TEST(Desktop, CommandLineNamesTheFilesAndTheOnlineState) {
  const struct {
    const char* name;
    std::vector<std::string> args;  // "LOG", "ELEM": existing files; "NOLOG": a missing log
    bool logNamed;
    bool elementsNamed;
    int online;  // -1: as before (0)
    bool t2;
    std::vector<int> messages;
  } cases[] = {
      {"nothing", {}, false, false, -1, false, {}},
      {"log and element file", {"LOG", "ELEM"}, true, true, -1, false, {}},
      {"words and switch, case ignored", {"ONLINE", "/t2"}, false, false, 1, true, {}},
      {"the last word counts", {"online", "Offline"}, false, false, 0, false, {}},
      {"a missing log is reported", {"NOLOG", "online"}, false, false, 1, false, {882}},
      {"t2 needs its switch character", {"t2"}, false, false, -1, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DesktopFixture fx;
    const std::string log = fx.dir.file("named.LG4");
    {
      test::TestMonitor maker;
      LogOpen(*maker, log, false);
      LogClose(*maker);
    }
    const std::string elements = fx.dir.write("plant.txt", "CA;212;Alder Creek\n");
    std::vector<std::string> args;
    for (const std::string& a : c.args)
      args.push_back(a == "LOG" ? log : a == "ELEM" ? elements : a == "NOLOG" ? fx.dir.file("gone.lg4") : a);
    fx.d.Create(args);
    EXPECT_EQ(fx.m.AllgVar.logopt, c.logNamed);
    EXPECT_EQ(fx.m.AllgVar.dtlog, c.logNamed ? log : fx.dir.file("QLXSLog.lg4"));
    if (c.elementsNamed)
      EXPECT_EQ(fx.m.AllgVar.dtOaTxt, elements);
    else
      EXPECT_EQ(fx.m.AllgVar.dtOaTxt, QLXS_BIN_DIR "/QLXSElem.txt") << "none in the data directory";
    EXPECT_EQ(fx.m.PrgPar.online, c.online < 0 ? 0 : c.online);
    EXPECT_EQ(fx.d.t2, c.t2);
    EXPECT_EQ(fx.MessageNumbers(), c.messages);
  }
}

TEST(Desktop, DeferredStartRunsOnceOnTheSeventhTick) {
  DesktopFixture fx;
  const std::string elements = fx.dir.write("plant.txt", "CA;212;Alder Creek\n");
  fx.d.Create({elements});
  for (int i = 0; i < 6; ++i) fx.d.Tick();
  EXPECT_FALSE(fx.d.started);
  EXPECT_TRUE(fx.m.AllgVar.elements.stations.empty());
  fx.d.Tick();
  EXPECT_TRUE(fx.d.started);
  EXPECT_EQ(fx.m.AllgVar.elements.stations.size(), 1u) << "the element texts are loaded";
  EXPECT_EQ(fx.window.posted.back(), 35) << "the end of the log is shown";
  const size_t posted = fx.window.posted.size();
  for (int i = 0; i < 600; ++i) fx.d.Tick();
  EXPECT_EQ(fx.window.posted.size(), posted);
}

TEST(Desktop, AMissingElementFileIsForgottenAtTheDeferredStart) {
  DesktopFixture fx;
  fx.d.Create({});
  for (int i = 0; i < 7; ++i) fx.d.Tick();
  EXPECT_EQ(fx.m.AllgVar.dtOaTxt, "");
  EXPECT_EQ(fx.d.PanelText(5), "Element texts: ");
}

TEST(Desktop, AConfiguredPortThatIsMissingStartsOfflineAPortNumberZeroDoesNot) {
  for (const int32_t cnr : {0, 200}) {
    DesktopFixture fx;
    fx.m.ports[0].bp.cnr = cnr;
    fx.m.PrgPar.online = 1;
    fx.d.Create({"online"});
    EXPECT_EQ(fx.m.PrgPar.online, cnr == 0 ? 1 : 0) << "COM" << cnr;
  }
}

TEST(Desktop, AFailedLogWriteGoesOfflineAndShowsTheLogView) {
  DesktopFixture fx;
  fx.d.Create({});
  fx.m.PrgPar.online = 1;
  fx.m.PrgPar.ausgonl = 1;
  fx.m.AllgVar.logerr = true;
  while (fx.m.PrgPar.online) fx.d.Tick();
  EXPECT_EQ(fx.m.AllgVar.Tick % 32, 5u);
  EXPECT_EQ(fx.m.PrgPar.ausgonl, 0);
  EXPECT_FALSE(fx.window.modes.back()) << "the scroll bar is shown";
  EXPECT_EQ(fx.MessageNumbers().back(), 1202);
}

TEST(Desktop, StatusPanelsFollowOnlineViewAndFilters) {
  DesktopFixture fx;
  fx.d.Create({});
  fx.m.PrgPar.online = 1;
  fx.m.PrgPar.ausgonl = 1;
  fx.m.AllgPar.afilt.ein = 1;
  EXPECT_EQ(fx.d.PanelText(0), "Online");
  EXPECT_EQ(fx.d.PanelShadeOf(0), PanelShade::Green);
  EXPECT_EQ(fx.d.PanelText(1), "Online view");
  EXPECT_EQ(fx.d.PanelShadeOf(1), PanelShade::PaleGreen);
  EXPECT_EQ(fx.d.PanelShadeOf(2), PanelShade::Normal);
  EXPECT_EQ(fx.d.PanelShadeOf(3), PanelShade::LightOrange);
  EXPECT_EQ(fx.d.PanelText(4), "Log: QLXSLog.lg4");
  fx.m.PrgPar.online = 0;
  fx.m.PrgPar.ausgonl = 0;
  EXPECT_EQ(fx.d.PanelText(0), "Offline");
  EXPECT_EQ(fx.d.PanelShadeOf(0), PanelShade::LightOrange);
  EXPECT_EQ(fx.d.PanelText(1), "Log view");
  EXPECT_EQ(fx.d.PanelShadeOf(1), PanelShade::Normal);
  EXPECT_EQ(fx.d.Caption(), "QLXS - IEC 104 Line Monitor");
  fx.m.AllgVar.pnr = 3;
  EXPECT_EQ(fx.d.Caption(), "3 QLXS - IEC 104 Line Monitor");
}

TEST(Desktop, StatusGridShowsTheCountersThatChangedInTheOnlineView) {
  DesktopFixture fx;
  fx.d.Create({});
  EXPECT_EQ(fx.d.grid[0][1], "Telegrams");
  EXPECT_EQ(fx.d.grid[1][0], "Port 1");
  EXPECT_EQ(fx.d.columnWidths[0], 60);
  fx.m.PrgPar.ausgonl = 1;
  fx.m.counters = {1234567, 2, 0, 0, 9, 0, 0, 0};
  const int grids = fx.window.grids;
  fx.d.Tick();
  EXPECT_EQ(fx.d.grid[1][1], "   1,234,567");
  EXPECT_EQ(fx.d.grid[1][2], "        2");
  EXPECT_EQ(fx.d.grid[2][1], "           9");
  EXPECT_EQ(fx.window.grids, grids + 1);
  fx.d.Tick();
  EXPECT_EQ(fx.window.grids, grids + 1) << "nothing changed, nothing refreshed";
}

TEST(Desktop, TheTimingSwitchAddsALineAfterEachOutputOfTheOnlineView) {
  for (const bool t2 : {false, true}) {
    DesktopFixture fx;
    fx.d.Create(t2 ? std::vector<std::string>{"-t2"} : std::vector<std::string>{});
    for (int i = 0; i < 7; ++i) fx.d.Tick();
    fx.d.ShowOnlineView();
    fx.d.Tick();  // the redraw of the empty view
    const auto timingLines = [&] {
      int n = 0;
      for (const std::string& text : fx.canvas.Texts()) n += text.rfind("d max ", 0) == 0 ? 1 : 0;
      return n;
    };
    EXPECT_EQ(timingLines(), 0) << "nothing was output";
    T_Telegramm startdt = test::ApduTelegram({0x68, 0x04, 0x07, 0x00, 0x00, 0x00});
    StoreTelegram(fx.m, startdt);
    fx.d.Tick();
    EXPECT_EQ(timingLines(), t2 ? 1 : 0);
    fx.d.Tick();
    EXPECT_EQ(timingLines(), t2 ? 1 : 0) << "a tick without output adds no line";
  }
}

TEST(Desktop, PlacementIsStoredByTheWindowState) {
  const Placement now{10, 20, 300, 400};
  const struct {
    WindowShow show;
    int32_t wstat, top, left, height, width;
  } cases[] = {
      {WindowShow::Normal, 1, 10, 20, 300, 400},
      {WindowShow::Maximised, 3, 1, 2, 3, 4},
      {WindowShow::Minimised, 1, 1, 2, 3, 4},
  };
  for (const auto& c : cases) {
    T_PrgPar p{};
    p.wtop = 1;
    p.wleft = 2;
    p.wheight = 3;
    p.wwidth = 4;
    StorePlacement(p, c.show, now);
    EXPECT_EQ(p.wstat, c.wstat);
    EXPECT_EQ(p.wtop, c.top);
    EXPECT_EQ(p.wleft, c.left);
    EXPECT_EQ(p.wheight, c.height);
    EXPECT_EQ(p.wwidth, c.width);
  }
}

}  // namespace
}  // namespace qlxs
