// What the telegram colour dialog and the colour table dialog decide: the
// size list against the real language texts, the colour lists and their
// selections, the gap field, what OK writes, the code list entries, and the
// rule that a colour table is copied back only when it changed.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/colour_settings.h"
#include "config/colours.h"
#include "config/prg_par.h"
#include "model/text_table.h"
#include "support/monitor_fixture.h"

namespace qlxs {
namespace {

// The English language texts as the program loads them.
class ColourSettings : public ::testing::Test {
 protected:
  test::CaptureFixture f;
  T_AllgVar& v = f.m.AllgVar;
};

TEST_F(ColourSettings, TheSizeListSelectsTheItemOfTheSize) {
  const std::vector<std::string> items = FontSizeItems(v);
  ASSERT_EQ(items, (std::vector<std::string>{"8", "9", "10", "11", "12", "13", "14", "15", "16"}));
  // size, item; "1" and "6" occur inside the texts of other sizes but are
  // no sizes of the list.
  for (const auto& [size, item] : std::vector<std::pair<int, int>>{
           {8, 0}, {9, 1}, {10, 2}, {16, 8}, {1, 0}, {6, 0}, {7, 0}, {17, 0}, {0, 0}, {-9, 0}}) {
    EXPECT_EQ(FontSizeItemIndex(items, size), item) << "size " << size;
  }
}

TEST_F(ColourSettings, TheSizeOfAnItemIsItsNumberElseTheSizeStays) {
  for (const auto& [item, size] : std::vector<std::pair<std::string, int>>{
           {"12", 12}, {"  9 ", 9}, {"", 11}, {"abc", 11}, {"9pt", 11}, {"0", 11}, {"100", 11}, {"-8", 11}}) {
    EXPECT_EQ(FontSizeOfItem(item, 11), size) << "'" << item << "'";
  }
}

TEST_F(ColourSettings, ColourListsOfTheTelegramDialogHoldColoursOneToNineteen) {
  const std::vector<std::string> items = TelColourListItems(v);
  ASSERT_EQ(items.size(), 19u);
  EXPECT_EQ(items.front(), " Black");
  EXPECT_EQ(items[1], " Blue");
  EXPECT_EQ(items.back(), " Inactive caption");
  // stored index, selected item (-1: none)
  for (const auto& [index, item] : std::vector<std::pair<int, int>>{{0, -1}, {1, 0}, {15, 14}, {19, 18}, {20, -1}, {255, -1}})
    EXPECT_EQ(TelColourListItem(static_cast<uint8_t>(index)), item) << "index " << index;
}

TEST_F(ColourSettings, AColourListChangeStoresTheColourIntoItsPairOnly) {
  T_TelFarben tf = DefaultTelFarben();
  const T_TelFarben before = tf;
  SetTelColour(tf, 3, true, 0);   // background of channel 3 := black
  SetTelColour(tf, 6, false, 18);  // errors' text := inactive caption
  EXPECT_EQ(tf.e2.hg, 1);
  EXPECT_EQ(tf.e2.fg, before.e2.fg);
  EXPECT_EQ(tf.err.fg, 19);
  for (int k : {1, 2, 4, 5}) EXPECT_EQ(TelColourPair(tf, k).wd(), TelColourPair(before, k).wd()) << "pair " << k;

  // A list showing no colour, an item beyond the list or a pair that does
  // not exist change nothing.
  const T_TelFarben now = tf;
  for (const auto& [pair, item] : std::vector<std::pair<int, int>>{{1, -1}, {1, 19}, {0, 3}, {7, 3}}) {
    SetTelColour(tf, pair, false, item);
    SetTelColour(tf, pair, true, item);
  }
  EXPECT_EQ(std::memcmp(&tf, &now, sizeof tf), 0);
}

TEST_F(ColourSettings, SampleLinesNameTheirPair) {
  EXPECT_EQ(SampleLineText(v, 1), "Port 1 receive");
  EXPECT_EQ(SampleLineText(v, 6), "Errors and messages");
}

TEST_F(ColourSettings, TheGapFieldTakesAnUnsignedSixteenBitNumber) {
  const struct {
    const char* text;
    bool ok;
    int32_t value;
  } cases[] = {
      {"50", true, 50},     {" 7 ", true, 7},   {"0", true, 0},      {"65535", true, 65535},
      {"00050", true, 50},  {"65536", false, 0}, {"99999", false, 0}, {"123456", false, 0},
      {"", false, 0},       {"  ", false, 0},   {"-1", false, 0},    {"+5", false, 0},
      {"1e3", false, 0},    {"5 0", false, 0},
  };
  for (const auto& c : cases) {
    int32_t value = -7;
    EXPECT_EQ(ParseGapField(c.text, value), c.ok) << "'" << c.text << "'";
    EXPECT_EQ(value, c.ok ? c.value : -7) << "'" << c.text << "'";
  }
  T_TelFarben tf = DefaultTelFarben();
  EXPECT_EQ(GapFieldText(tf), "50");
}

TEST_F(ColourSettings, OkWritesTheFocusTheSizeAndTheGapAndNothingElse) {
  T_TelFarben tf = DefaultTelFarben();
  std::memset(tf.res, 0xA5, sizeof tf.res);
  tf.vers = 7;
  SetTelColour(tf, 2, false, 4);
  const T_TelFarben edited = tf;
  AcceptTelColours(tf, 5, "12", 80);
  EXPECT_EQ(tf.ilo, 5);
  EXPECT_EQ(tf.schrift, 12);
  EXPECT_EQ(tf.leerzl, 80);
  T_TelFarben rest = tf;
  rest.ilo = edited.ilo;
  rest.schrift = edited.schrift;
  rest.leerzl = edited.leerzl;
  EXPECT_EQ(std::memcmp(&rest, &edited, sizeof rest), 0) << "pairs, version and reserved bytes stay";

  AcceptTelColours(tf, 2, "", 0);
  EXPECT_EQ(tf.schrift, 12) << "a size list without items keeps the size";
}

TEST_F(ColourSettings, CodeListEntriesNameTypesAndCausesWithTheirBits) {
  const struct {
    int code;
    bool perType;
    const char* expected;
  } cases[] = {
      {1, true, "   1    M_SP_NA_1  Single-point information"},
      {0, true, "   0    "},
      {22, true, "  22    "},  // not defined
      {128, true, " 128    "},  // private range: not defined
      {255, true, " 255    "},
      {3, false, "   3    spont  spontaneous"},
      {0x83, false, " 131    test spont  spontaneous"},
      {0x43, false, "  67    negative spont  spontaneous"},
      {0xC3, false, " 195    test negative spont  spontaneous"},
      {0, false, "   0    "},
      {63, false, "  63    "},  // not a defined cause
      {0x80, false, " 128    test "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ColourCodeItem(v, c.code, c.perType), c.expected) << c.code << (c.perType ? " type" : " cause");
}

TEST_F(ColourSettings, PaletteListsHoldAllTwentyColours) {
  const std::vector<std::string> items = PaletteListItems(v);
  ASSERT_EQ(items.size(), 20u);
  EXPECT_EQ(items[0], "  0 (unchanged)");
  EXPECT_EQ(items[3], "  3 Red");
  EXPECT_EQ(items[19], " 19 Inactive caption");
  for (const auto& [index, item] : std::vector<std::pair<int, int>>{{0, 0}, {19, 19}, {20, -1}, {255, -1}})
    EXPECT_EQ(PaletteListItem(static_cast<uint8_t>(index)), item) << "index " << index;
}

TEST(ColourTable, ColoursGoToTheSelectedCodeAndColourZeroStoresZero) {
  T_TypUrsFarben t = DefaultTypUrsFarben();
  SelectCode(t, 0x83);
  SetCodeColour(t, false, 3);
  SetCodeColour(t, true, 14);
  EXPECT_EQ(t.itu, 0x83);
  EXPECT_EQ(t.frb[0x83].fg, 3);
  EXPECT_EQ(t.frb[0x83].hg, 14);
  EXPECT_EQ(t.frb[0x03].wd(), 0) << "the cause without the test bit has its own entry";

  SetCodeColour(t, false, 0);
  EXPECT_EQ(t.frb[0x83].fg, 0) << "colour 0 keeps the text colour that applies otherwise";
  SetCodeColour(t, true, 20);
  SetCodeColour(t, true, -1);
  EXPECT_EQ(t.frb[0x83].hg, 14) << "a list showing no colour changes nothing";

  SelectCode(t, 256);
  SelectCode(t, -1);
  EXPECT_EQ(t.itu, 0x83);
}

TEST(ColourTable, ADamagedSelectedCodeSelectsCodeZero) {
  T_TypUrsFarben t = DefaultTypUrsFarben();
  for (const auto& [itu, code] : std::vector<std::pair<int, int>>{{0, 0}, {255, 255}, {256, 0}, {-1, 0}, {1 << 30, 0}}) {
    t.itu = itu;
    EXPECT_EQ(CodeToSelect(t), code) << itu;
  }
  t.itu = 4000;
  SetCodeColour(t, false, 2);
  EXPECT_EQ(t.frb[0].fg, 2);
}

TEST(ColourTable, CodeEntriesWithoutColourAreDrawnInTheWindowColours) {
  const struct {
    uint8_t fg, hg, shownFg, shownHg;
  } cases[] = {
      {0, 0, ColourWindowText, ColourWindowBackground},
      {3, 0, 3, ColourWindowBackground},
      {0, 14, ColourWindowText, 14},
      {8, 1, 8, 1},
      {255, 20, ColourWindowText, ColourWindowBackground},
      {19, 19, 19, 19},
  };
  for (const auto& c : cases) {
    const T_FarbIndex shown = CodeItemColours({c.fg, c.hg});
    EXPECT_EQ(shown.fg, c.shownFg) << int(c.fg) << "/" << int(c.hg);
    EXPECT_EQ(shown.hg, c.shownHg) << int(c.fg) << "/" << int(c.hg);
  }
}

TEST(ColourTable, OkCopiesTheTableBackOnlyWhenAByteDiffers) {
  T_TypUrsFarben stored = DefaultTypUrsFarben();
  stored.frb[9] = {2, 11};
  T_TypUrsFarben edited = stored;
  EXPECT_FALSE(CopyBackWhenChanged(stored, edited));

  for (const auto& change : std::vector<void (*)(T_TypUrsFarben&)>{
           [](T_TypUrsFarben& t) { t.ilo = 3; },
           [](T_TypUrsFarben& t) { t.itu = 9; },
           [](T_TypUrsFarben& t) { t.frb[255].hg = 5; },
           [](T_TypUrsFarben& t) { t.res[11] = 1; },
       }) {
    T_TypUrsFarben s = stored;
    T_TypUrsFarben e = stored;
    change(e);
    EXPECT_TRUE(CopyBackWhenChanged(s, e));
    EXPECT_EQ(std::memcmp(&s, &e, sizeof s), 0);
  }
}

TEST(ColourNames, NamesAreWhiteOnDarkColoursAndBlackOnLightOnes) {
  const struct {
    Rgb colour;
    bool white;
  } cases[] = {
      {PaletteColour(ColourBlack), true},        {PaletteColour(ColourBlue), true},
      {PaletteColour(ColourPurple), true},       {PaletteColour(ColourGrey), false},
      {PaletteColour(ColourRed), true},          {PaletteColour(ColourYellow), false},
      {PaletteColour(ColourWhite), false},       {PaletteColour(ColourLightBlue), false},
      {{30, 30, 30}, true},  // a dark desktop's window background
      {{230, 230, 230}, false},  // its window text
  };
  for (const auto& c : cases)
    EXPECT_EQ(WhiteTextOn(c.colour), c.white) << int(c.colour.r) << "," << int(c.colour.g) << "," << int(c.colour.b);
}

}  // namespace
}  // namespace qlxs
