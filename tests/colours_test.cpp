// The palette and the colour pair a telegram and its objects are drawn in.

#include "config/colours.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/apdu.h"

namespace qlxs {
namespace {

TEST(PaletteColour, FixedEntries) {
  struct Case {
    int i;
    Rgb rgb;
  } cases[] = {
      {1, {0, 0, 0}},        {2, {0, 0, 255}},      {3, {255, 0, 0}},      {4, {0, 192, 0}},
      {5, {255, 255, 0}},    {6, {0, 255, 255}},    {7, {192, 0, 192}},    {8, {255, 255, 255}},
      {9, {128, 128, 128}},  {10, {214, 214, 214}}, {11, {208, 220, 255}}, {12, {255, 211, 211}},
      {13, {214, 250, 198}}, {14, {255, 255, 183}},
  };
  for (const Case& c : cases) EXPECT_EQ(PaletteColour(c.i), c.rgb) << "index " << c.i;
}

TEST(PaletteColour, SystemEntriesFollowTheDesktop) {
  const SystemColours dark{{30, 30, 30}, {230, 230, 230}, {50, 50, 50}, {0, 90, 160}, {80, 80, 80}};
  EXPECT_EQ(PaletteColour(0, dark), dark.window);
  EXPECT_EQ(PaletteColour(15, dark), dark.window);
  EXPECT_EQ(PaletteColour(16, dark), dark.windowText);
  EXPECT_EQ(PaletteColour(17, dark), dark.menu);
  EXPECT_EQ(PaletteColour(18, dark), dark.activeCaption);
  EXPECT_EQ(PaletteColour(19, dark), dark.inactiveCaption);
  EXPECT_EQ(PaletteColour(3, dark), (Rgb{255, 0, 0}));
  for (int damaged : {20, 255, -1}) EXPECT_EQ(PaletteColour(damaged, dark), dark.window) << damaged;
}

// An accepted I-format APDU with one single point and an appended identity.
T_Telegramm Apdu(uint8_t ek, uint8_t typ, uint8_t urs) {
  T_Telegramm t{};
  t.ek = ek;
  t.ta = TaIFormat;
  t.stat = StatOk;
  const uint8_t apdu[] = {kApduStart, 14, 0, 0, 0, 0, typ, 1, urs, 0, 1, 0, 0x10, 0, 0, 1};
  std::memcpy(t.b, apdu, sizeof apdu);
  t.idm = sizeof(T_VId);
  t.lg = static_cast<int16_t>(sizeof apdu + t.idm);
  return t;
}

TEST(TelegramColours, ChannelPairs) {
  const T_TelFarben tf = DefaultTelFarben();
  const T_TypUrsFarben none = DefaultTypUrsFarben();
  auto pair = [&](const T_Telegramm& t) { return TelegramColours(tf, none, none, t).wd(); };
  EXPECT_EQ(pair(Apdu(kReceiverPort1, 1, 3)), tf.e1.wd());
  EXPECT_EQ(pair(Apdu(2, 1, 3)), tf.s1.wd());
  EXPECT_EQ(pair(Apdu(kReceiverPort2, 1, 3)), tf.e2.wd());
  EXPECT_EQ(pair(Apdu(4, 1, 3)), tf.s2.wd());
  EXPECT_EQ(pair(Apdu(0, 1, 3)), tf.err.wd()) << "no channel";
  EXPECT_EQ(pair(Apdu(9, 1, 3)), tf.err.wd()) << "no such channel";
  T_Telegramm faulty = Apdu(kReceiverPort1, 1, 3);
  faulty.stat = StatCauseError;
  EXPECT_EQ(pair(faulty), tf.err.wd());
  T_Telegramm opened{};
  opened.ek = kReceiverPort1;
  opened.ta = TaEvent;
  opened.stat = StatPortOpened;
  EXPECT_EQ(pair(opened), tf.err.wd());
}

TEST(TelegramColours, ElementBeforeTypeBeforeCauseBeforeChannel) {
  const T_TelFarben tf = DefaultTelFarben();  // receiver 1: blue on window background
  T_TypUrsFarben types = DefaultTypUrsFarben();
  T_TypUrsFarben causes = DefaultTypUrsFarben();
  types.frb[13] = {ColourRed, ColourLightYellow};
  causes.frb[3] = {ColourGreen, ColourLightGreen};
  causes.frb[kCauseTest | 3] = {ColourPurple, 0};   // text colour only
  causes.frb[20] = {0, ColourLightGrey};            // background only
  causes.frb[21] = {0xFF, 0x20};                    // damaged: beyond the palette
  const uint16_t element = T_FarbIndex{ColourBlack, ColourAqua}.wd();

  struct Case {
    const char* what;
    uint8_t typ, urs;
    uint16_t element;
    T_FarbIndex expected;
  } cases[] = {
      {"element colour wins", 13, 3, element, {ColourBlack, ColourAqua}},
      {"type before cause", 13, 3, 0, {ColourRed, ColourLightYellow}},
      {"cause when the type has none", 1, 3, 0, {ColourGreen, ColourLightGreen}},
      {"the test bit selects its own entry", 1, kCauseTest | 3, 0, {ColourPurple, tf.e1.hg}},
      {"an index of 0 keeps the channel's", 1, 20, 0, {tf.e1.fg, ColourLightGrey}},
      {"no entry keeps the channel pair", 1, 6, 0, tf.e1},
      {"indexes beyond the palette keep the channel pair", 1, 21, 0, tf.e1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TelegramColours(tf, types, causes, Apdu(kReceiverPort1, c.typ, c.urs), c.element).wd(),
              c.expected.wd())
        << c.what;

  T_Telegramm faulty = Apdu(kReceiverPort1, 13, 3);
  faulty.stat = StatCauseError;
  EXPECT_EQ(TelegramColours(tf, types, causes, faulty, element).wd(), tf.err.wd())
      << "a faulty telegram keeps the error colours";
  T_Telegramm piece = Apdu(kReceiverPort1, 13, 3);
  piece.stat = StatFragment;
  EXPECT_EQ(TelegramColours(tf, types, causes, piece).wd(), tf.e1.wd()) << "a piece has no type";
  T_Telegramm cut = Apdu(kReceiverPort1, 13, 3);
  cut.lg = static_cast<int16_t>(8 + cut.idm);
  EXPECT_EQ(TelegramColours(tf, types, causes, cut).wd(), tf.e1.wd()) << "an APDU cut before its cause";
}

}  // namespace
}  // namespace qlxs
