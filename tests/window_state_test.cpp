// What the main window shows and decides, without a window: the command
// line, the initial element file, the status panels, the caption and the
// status grid.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/window_state.h"
#include "support/capture_fixture.h"

namespace qlxs {
namespace {

using test::CaptureFixture;

TEST(WindowState, CommandLineNamesFilesAndTheOnlineState) {
  CaptureFixture fx;
  Monitor& m = fx.m;
  m.AllgVar.DataDir = "/data/";
  m.AllgVar.pnr = 1;
  const std::set<std::string> existing = {"/x/plant.LG4", "/x/names.txt"};
  const auto exists = [&](const std::string& n) { return existing.count(n) > 0; };
  m.PrgPar.online = 1;
  EXPECT_TRUE(ReadCommandLine(m, {"/x/plant.LG4", "/x/names.txt", "OFFLINE", "/x/gone.lg4", "-T2"}, exists));
  EXPECT_EQ(m.AllgVar.dtlog, "/x/plant.LG4");
  EXPECT_TRUE(m.AllgVar.logopt);
  EXPECT_EQ(m.AllgVar.dtOaTxt, "/x/names.txt");
  EXPECT_EQ(m.PrgPar.online, 0);
  ASSERT_EQ(fx.sink.entries.size(), 1u);
  EXPECT_EQ(fx.sink.entries[0].text, "The file /x/gone.lg4 does not exist.");

  EXPECT_FALSE(ReadCommandLine(m, {"online"}, exists));
  EXPECT_EQ(m.PrgPar.online, 1);
  EXPECT_FALSE(m.AllgVar.logopt);
  EXPECT_EQ(m.AllgVar.dtlog.rfind("/data/", 0), 0u) << "the automatic log";
  EXPECT_EQ(m.AllgVar.dtOaTxt, "");

  // The element file at the deferred start.
  EXPECT_EQ(InitialElementFile(m, exists), m.AllgVar.ProgDir + "QLXSElem.txt")
      << "neither named nor in the data directory: the program directory's";
  const std::set<std::string> inData = {"/data/QLXSElem.txt"};
  EXPECT_EQ(InitialElementFile(m, [&](const std::string& n) { return inData.count(n) > 0; }), "/data/QLXSElem.txt");
  m.PrgPar.txtdat.assign("/x/names.txt");
  EXPECT_EQ(InitialElementFile(m, exists), "/x/names.txt") << "the settings name the last one loaded";
}

TEST(WindowState, PanelsAndCaptionFollowTheState) {
  CaptureFixture fx;
  Monitor& m = fx.m;
  m.PrgPar.online = 1;
  m.PrgPar.ausgonl = 0;
  m.AllgPar.afilt.ein = 1;
  m.AllgVar.dtlog = "/data/QLXSLog.lg4";
  const auto p = StatusPanels(m);
  EXPECT_EQ(p[0].text, "Online");
  EXPECT_EQ(p[0].colour, PanelColour::Green);
  EXPECT_EQ(p[1].text, "Log view");
  EXPECT_EQ(p[1].colour, PanelColour::Normal);
  EXPECT_EQ(p[2].text, "Log filter off");
  EXPECT_EQ(p[3].text, "Display filter on");
  EXPECT_EQ(p[3].colour, PanelColour::LightOrange);
  EXPECT_EQ(p[4].text, "Log: QLXSLog.lg4");
  m.PrgPar.online = 0;
  EXPECT_EQ(StatusPanels(m)[0].colour, PanelColour::LightOrange);

  m.AllgVar.pnr = 1;
  EXPECT_EQ(WindowCaption(m), " QLXS - IEC 104 Line Monitor");
  m.AllgVar.pnr = 3;
  EXPECT_EQ(WindowCaption(m), "3 QLXS - IEC 104 Line Monitor");
}

TEST(WindowState, StatusGridFromTheTexts) {
  CaptureFixture fx;
  const StatusGridLayout g = BuildStatusGrid(fx.m);
  EXPECT_EQ(g.cells[1][0], "Port 1");
  EXPECT_EQ(g.cells[2][0], "Port 2");
  EXPECT_EQ(g.widths[0], 60);
  EXPECT_EQ(g.cells[0][0], "Port");
  EXPECT_EQ(g.cells[0][1], "Telegrams");
  EXPECT_EQ(g.widths[7], 0) << "a text without comma is the width alone";

  const struct {
    int k;
    uint32_t value;
    int row, column;
    std::string text;
  } cells[] = {
      {0, 1234567, 1, 1, "   1,234,567"},
      {1, 12, 1, 2, "       12"},
      {6, 0, 2, 3, "           0"},
  };
  for (const auto& c : cells) {
    const CounterCell cell = CounterCellOf(c.k, c.value);
    EXPECT_EQ(cell.row, c.row);
    EXPECT_EQ(cell.column, c.column);
    EXPECT_EQ(cell.text, c.text) << c.k;
  }
}

}  // namespace
}  // namespace qlxs
