// The decisions behind the main window's actions: shortcuts under the
// options, the view options and formats, the display filter switch, the
// menu captions and the recently used files.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/commands.h"
#include "support/capture_fixture.h"

namespace qlxs {
namespace {

using test::CaptureFixture;

TEST(Commands, FunctionKeysFollowTheirOptions) {
  T_PrgPar p = DefaultPrgPar(false);
  for (uint8_t& o : p.opt) o = 0;
  const struct {
    Action action;
    ActionKey key;
    int option;  // -1: always bound
  } cases[] = {
      {Action::Nur104, ActionKey::Digit0, -1}, {Action::Csv, ActionKey::Digit7, -1},
      {Action::GoOnl, ActionKey::F8, 0},       {Action::GoOffl, ActionKey::F8, 0},
      {Action::AusgLog, ActionKey::F9, 1},     {Action::AusgOnl, ActionKey::F9, 1},
      {Action::AFiltAE, ActionKey::F11, 2},    {Action::AFilter, ActionKey::F12, 3},
      {Action::LogDel, ActionKey::CtrlD, -1},  {Action::HelpF1, ActionKey::F1, -1},
  };
  for (const auto& c : cases) {
    T_PrgPar q = p;
    EXPECT_EQ(ActionShortcut(c.action, q), c.option < 0 ? c.key : ActionKey::KeyNone) << int(c.action);
    if (c.option >= 0) {
      q.opt[c.option] = 1;
      EXPECT_EQ(ActionShortcut(c.action, q), c.key) << int(c.action);
    }
  }
  // Two actions share F8 and F9: the first in list order takes the key.
  for (uint8_t& o : p.opt) o = 1;
  Action a{};
  ASSERT_TRUE(ActionForKey(ActionKey::F8, p, a));
  EXPECT_EQ(a, Action::GoOnl);
  ASSERT_TRUE(ActionForKey(ActionKey::F9, p, a));
  EXPECT_EQ(a, Action::AusgLog);
  ASSERT_TRUE(ActionForKey(ActionKey::Digit5, p, a));
  EXPECT_EQ(ActionTag(a), 5);
  p.opt[0] = 0;
  EXPECT_FALSE(ActionForKey(ActionKey::F8, p, a));
}

TEST(Commands, ViewOptionsAreFixedWhileExportIsChosen) {
  T_PrgPar p = DefaultPrgPar(false);
  ChooseFormat(p, 3);
  p.nur104 = p.mitzeit = p.mitlink = 0;
  EXPECT_TRUE(ToggleViewOption(p, 1));
  EXPECT_TRUE(ViewActionChecked(p, 1));
  EXPECT_FALSE(ViewActionChecked(p, 0));
  EXPECT_TRUE(ViewActionChecked(p, 3));
  ChooseFormat(p, 7);
  EXPECT_EQ(p.afmt, 7);
  EXPECT_TRUE(p.nur104 && p.mitzeit && p.mitlink) << "Export switches the three options on";
  EXPECT_FALSE(ToggleViewOption(p, 2));
  EXPECT_TRUE(p.mitlink) << "and they cannot be switched off while it is chosen";
  ChooseFormat(p, 9);
  EXPECT_EQ(p.afmt, 7) << "no such format";
}

TEST(Commands, TheDisplayFilterSwitchesOnlyWhenItRestrictsSomething) {
  T_AllgPar ap = DefaultAllgPar();
  EXPECT_FALSE(ToggleDisplayFilter(ap));
  EXPECT_EQ(ap.afilt.ein, 0);
  ap.afilt.def = 1;
  EXPECT_TRUE(ToggleDisplayFilter(ap));
  EXPECT_EQ(ap.afilt.ein, 1);
  EXPECT_TRUE(ToggleDisplayFilter(ap));
  EXPECT_EQ(ap.afilt.ein, 0);
}

TEST(Commands, MenuCaptionsComeFromTheLanguageTexts) {
  CaptureFixture fx;
  EXPECT_EQ(MenuButtonText(fx.m, 0), "&File");
  EXPECT_EQ(MenuItemText(fx.m, Menu::File, 0), "&Delete log");
  EXPECT_EQ(MenuItemText(fx.m, Menu::Mode, 0), "&Online");
  EXPECT_EQ(MenuItemText(fx.m, Menu::View, 0), "&IEC 104 only");
}

TEST(Commands, RecentFilesKeepSixMostRecentFirst) {
  CaptureFixture fx;
  T_PrgPar p = DefaultPrgPar(false);
  const std::set<std::string> existing = {"/a.lg4", "/b.txt", "/c.lg4"};
  p.mruanz = 4;
  p.mru[0].assign("/a.lg4");
  p.mru[1].assign("/gone.lg4");
  p.mru[2].assign("/b.txt");
  p.mru[3].assign("/c.lg4");
  RecentFiles r;
  r.Load(p, [&](const std::string& n) { return existing.count(n) > 0; });
  EXPECT_EQ(r.names(), (std::vector<std::string>{"/a.lg4", "/b.txt", "/c.lg4"})) << "order kept, missing skipped";
  for (int i = 0; i < 6; ++i) r.Add("/n" + std::to_string(i) + ".lg4");
  r.Add("/n2.lg4");
  EXPECT_EQ(r.names().size(), 6u);
  EXPECT_EQ(r.names().front(), "/n2.lg4") << "an opened file moves to the top";
  r.Save(p);
  EXPECT_EQ(p.mruanz, 6);
  EXPECT_EQ(std::string(p.mru[0].view()), "/n2.lg4");
  r.Add(std::string(300, 'x'));
  r.Save(p);
  EXPECT_EQ(p.mru[0].view().size(), 255u) << "names are cut to 255 characters";

  EXPECT_EQ(KindOfRecentFile(fx.m, "/x/plant.LG4"), RecentKind::Log);
  EXPECT_EQ(KindOfRecentFile(fx.m, "/x/names.txt"), RecentKind::ElementTexts);
  EXPECT_EQ(KindOfRecentFile(fx.m, "/x.d/noext"), RecentKind::Other);
}

}  // namespace
}  // namespace qlxs
