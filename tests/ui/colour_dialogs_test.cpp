// The two colour dialogs driven through their controls: Cancel leaves the
// records as they were, OK writes the size, the gap, the colour pairs and
// the focused control and nothing else, the samples follow the lists, the
// gap field refuses bad entries, the remembered control gets the focus,
// and a colour table is copied back only when it changed.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/colour_settings.h"
#include "app/monitor.h"
#include "config/colours.h"
#include "config/language_texts.h"
#include "support/monitor_fixture.h"
#include "ui/colour_dialogs.h"
#include "ui/qt_canvas.h"
#include "ui/screenshot.h"

namespace qlxs {
namespace {

QColor Palette(int i) {
  const Rgb c = PaletteColour(i, DesktopSystemColours());
  return QColor(c.r, c.g, c.b);
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class ColourDialogs : public ::testing::Test {
 protected:
  void SetUp() override { Language(LangEnglish); }

  void Language(int lang) {
    m.AllgVar.ProgDir = QLXS_BIN_DIR "/";
    m.PrgPar.spr = static_cast<uint8_t>(lang);
    ASSERT_TRUE(LoadTexts(m, lang));
  }

  // Runs `body` on the modal dialog of type D once it is open and active.
  template <typename D>
  void WhenOpen(std::function<void(D&)> body) {
    QTimer::singleShot(0, [body] {
      auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
      ASSERT_NE(d, nullptr);
      ASSERT_TRUE(QTest::qWaitForWindowActive(d));
      body(*d);
    });
  }

  static void Focus(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
  }

  test::TestMonitor tm;
  Monitor& m = tm.m;
};

// ---------------------------------------------------------------------------
// Telegram size and colours

TEST_F(ColourDialogs, CancelLeavesTheTelegramColoursAsTheyWere) {
  T_TelFarben copy = m.PrgPar.tf;
  WhenOpen<TelColourDialog>([](TelColourDialog& d) {
    d.sizeList()->setCurrentIndex(6);
    d.gapField()->setText("120");
    d.colourList(1, false)->setCurrentIndex(7);
    d.colourList(5, true)->setCurrentIndex(0);
    d.cancelButton()->click();
  });
  EXPECT_FALSE(EditTelegramColours(m, nullptr, copy));
  EXPECT_TRUE(SameBytes(copy, m.PrgPar.tf));
}

TEST_F(ColourDialogs, OkWritesSizeGapPairsAndTheFocusedControlOnly) {
  T_TelFarben copy = m.PrgPar.tf;
  std::memset(copy.res, 0x5A, sizeof copy.res);
  copy.e2.hg = 25;  // only a damaged settings file holds this
  const T_TelFarben before = copy;
  WhenOpen<TelColourDialog>([](TelColourDialog& d) {
    EXPECT_EQ(d.sizeList()->currentText(), "9");
    EXPECT_EQ(d.gapField()->text(), "50");
    EXPECT_EQ(d.colourList(3, true)->currentIndex(), -1) << "an index beyond the palette shows no colour";
    d.sizeList()->setCurrentIndex(3);              // 11
    d.gapField()->setText("75");
    d.colourList(1, false)->setCurrentIndex(7);    // channel 1 text: white
    d.colourList(1, true)->setCurrentIndex(1);     // on blue
    d.colourList(6, false)->setCurrentIndex(18);   // errors: inactive caption
    Focus(d.colourList(4, true));
    d.okButton()->click();
  });
  ASSERT_TRUE(EditTelegramColours(m, nullptr, copy));
  EXPECT_EQ(copy.schrift, 11);
  EXPECT_EQ(copy.leerzl, 75);
  EXPECT_EQ(copy.ilo, TelColourListControl(4, true));
  EXPECT_EQ(copy.e1.fg, ColourWhite);
  EXPECT_EQ(copy.e1.hg, ColourBlue);
  EXPECT_EQ(copy.err.fg, ColourInactiveCaption);
  EXPECT_EQ(copy.e2.hg, 25) << "a list showing no colour keeps the stored index";

  T_TelFarben rest = copy;
  rest.schrift = before.schrift;
  rest.leerzl = before.leerzl;
  rest.ilo = before.ilo;
  rest.e1 = before.e1;
  rest.err = before.err;
  EXPECT_TRUE(SameBytes(rest, before)) << "version, other pairs and reserved bytes stay";
}

TEST_F(ColourDialogs, SamplesShowTheirPairInTheChosenColoursAndSize) {
  T_TelFarben tf = m.PrgPar.tf;
  TelColourDialog d(m, nullptr, tf);
  for (int pair = 1; pair <= kTelColourPairs; ++pair) {
    const T_FarbIndex p = TelColourPair(tf, pair);
    EXPECT_EQ(d.sample(pair)->textColour(), Palette(p.fg)) << pair;
    EXPECT_EQ(d.sample(pair)->backgroundColour(), Palette(p.hg)) << pair;
    EXPECT_EQ(d.sample(pair)->pointSize(), 9);
  }
  d.colourList(2, true)->setCurrentIndex(ColourLightYellow - 1);
  EXPECT_EQ(d.sample(2)->backgroundColour(), Palette(ColourLightYellow));
  EXPECT_EQ(d.sample(1)->backgroundColour(), Palette(tf.e1.hg)) << "other samples stay";
  d.sizeList()->setCurrentIndex(8);
  for (int pair = 1; pair <= kTelColourPairs; ++pair) EXPECT_EQ(d.sample(pair)->pointSize(), 16);

  // The lists draw each colour with its name.
  ColourCombo* list = d.colourList(1, false);
  ASSERT_EQ(list->count(), 19);
  EXPECT_EQ(list->itemText(0), " Black");
  EXPECT_EQ(list->colourAt(0), Palette(ColourBlack));
  EXPECT_EQ(list->colourAt(18), Palette(ColourInactiveCaption));
}

TEST_F(ColourDialogs, TheGapFieldRefusesWhatIsNoSixteenBitNumber) {
  T_TelFarben copy = m.PrgPar.tf;
  WhenOpen<TelColourDialog>([](TelColourDialog& d) {
    for (const char* bad : {"", "65536", "99999"}) {
      d.gapField()->setText(bad);
      d.okButton()->click();
      EXPECT_TRUE(d.isVisible()) << "'" << bad << "'";
      EXPECT_TRUE(d.gapField()->property("inError").toBool()) << "'" << bad << "'";
      EXPECT_EQ(QApplication::focusWidget(), d.gapField());
    }
    // Typing keeps to digits and five places.
    d.gapField()->clear();
    QTest::keyClicks(d.gapField(), "7x-1234567");
    EXPECT_EQ(d.gapField()->text(), "71234");
    d.gapField()->setText("65535");
    d.okButton()->click();
    EXPECT_FALSE(d.isVisible());
  });
  ASSERT_TRUE(EditTelegramColours(m, nullptr, copy));
  EXPECT_EQ(copy.leerzl, 65535);
}

TEST_F(ColourDialogs, TheRememberedControlGetsTheFocusBack) {
  // ilo, expected focus: the control of that index, or (0) the size list
  // that comes first.
  for (const auto& [ilo, control] : std::vector<std::pair<int, int>>{
           {kTelColourGapField, kTelColourGapField},
           {TelColourListControl(6, true), TelColourListControl(6, true)},
           {TelColourListControl(3, false), TelColourListControl(3, false)},
           {0, kTelColourSizeList},
           {kTelColourControls + 1, kTelColourSizeList},
           {-4, kTelColourSizeList}}) {
    T_TelFarben tf = m.PrgPar.tf;
    tf.ilo = ilo;
    TelColourDialog d(m, nullptr, tf);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(QApplication::focusWidget(), d.component(control)) << "ilo " << ilo;
    EXPECT_EQ(d.hintLine()->text().toStdString(), Text(m.AllgVar, control == kTelColourGapField ? 1457 : 502))
        << "ilo " << ilo;
  }
}

TEST_F(ColourDialogs, TelegramColourScreenshots) {
  for (const auto& [lang, name] : std::vector<std::pair<int, QString>>{{LangGerman, "colours-ger"},
                                                                        {LangEnglish, "colours-usa"}}) {
    Language(lang);
    T_TelFarben tf = m.PrgPar.tf;
    tf.ilo = TelColourListControl(1, false);
    TelColourDialog d(m, nullptr, tf);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(d.windowTitle().toStdString(), Text(m.AllgVar, kTextTelColourCaption));
    test::SaveScreenshot(d, name);
  }
}

// ---------------------------------------------------------------------------
// Colours per type and per cause

TEST_F(ColourDialogs, CancelLeavesTheColourTableAsItWas) {
  m.PrgPar.frburs.frb[3] = {2, 0};
  const T_TypUrsFarben before = m.PrgPar.frburs;
  WhenOpen<ColourTableDialog>([](ColourTableDialog& d) {
    d.codeList()->setCurrentRow(3);
    d.textColourList()->setCurrentIndex(ColourRed);
    d.backgroundList()->setCurrentIndex(ColourLightRed);
    d.cancelButton()->click();
  });
  EXPECT_FALSE(EditColourTable(m, nullptr, true));
  EXPECT_TRUE(SameBytes(m.PrgPar.frburs, before));
}

TEST_F(ColourDialogs, OkStoresTheColoursOfTheSelectedCodeAndTheFocusedControl) {
  m.PrgPar.frburs.frb[0x83] = {ColourBlue, ColourLightYellow};
  const T_TypUrsFarben typesBefore = m.PrgPar.frbtyp;
  WhenOpen<ColourTableDialog>([](ColourTableDialog& d) {
    EXPECT_EQ(d.codeList()->count(), 256);
    EXPECT_EQ(d.codeList()->item(0x83)->text(), " 131    test spont  spontaneous");
    d.codeList()->setCurrentRow(0x83);
    EXPECT_EQ(d.textColourList()->currentIndex(), ColourBlue) << "the lists show the code's pair";
    EXPECT_EQ(d.backgroundList()->currentIndex(), ColourLightYellow);
    d.textColourList()->setCurrentIndex(ColourSystemBackground);
    d.codeList()->setCurrentRow(3);
    EXPECT_EQ(d.textColourList()->currentIndex(), 0);
    d.textColourList()->setCurrentIndex(ColourRed);
    Focus(d.backgroundList());
    d.okButton()->click();
  });
  ASSERT_TRUE(EditColourTable(m, nullptr, true));
  const T_TypUrsFarben& t = m.PrgPar.frburs;
  EXPECT_EQ(t.frb[0x83].fg, 0) << "colour 0 is stored as 0";
  EXPECT_EQ(t.frb[0x83].hg, ColourLightYellow);
  EXPECT_EQ(t.frb[3].fg, ColourRed);
  EXPECT_EQ(t.frb[3].hg, 0);
  EXPECT_EQ(t.itu, 3);
  EXPECT_EQ(t.ilo, kTableBackground);
  EXPECT_TRUE(SameBytes(m.PrgPar.frbtyp, typesBefore)) << "the table per type is another one";
}

TEST_F(ColourDialogs, ATableOkedWithoutAChangeIsNotCopiedBack) {
  m.PrgPar.frbtyp.ilo = kTableCodeList;
  m.PrgPar.frbtyp.itu = 36;
  m.PrgPar.frbtyp.frb[36] = {ColourGreen, 0};
  const T_TypUrsFarben before = m.PrgPar.frbtyp;
  WhenOpen<ColourTableDialog>([](ColourTableDialog& d) {
    EXPECT_EQ(d.codeList()->currentRow(), 36);
    EXPECT_EQ(QApplication::focusWidget(), d.codeList());
    // Choosing the colour the code has already is no change.
    d.textColourList()->setCurrentIndex(ColourBlue);
    d.textColourList()->setCurrentIndex(ColourGreen);
    d.okButton()->click();
  });
  EXPECT_FALSE(EditColourTable(m, nullptr, false));
  EXPECT_TRUE(SameBytes(m.PrgPar.frbtyp, before));
}

TEST_F(ColourDialogs, TheColourTableDialogFocusesTheRememberedControlElseTheCodeList) {
  for (const auto& [ilo, control] : std::vector<std::pair<int, int>>{
           {kTableBackground, kTableBackground}, {kTableTextColour, kTableTextColour}, {0, kTableCodeList},
           {4, kTableCodeList}}) {
    T_TypUrsFarben t = m.PrgPar.frbtyp;
    t.ilo = ilo;
    ColourTableDialog d(m, nullptr, t, true);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(QApplication::focusWidget(), d.component(control)) << "ilo " << ilo;
  }
}

TEST_F(ColourDialogs, TypeColourScreenshot) {
  Language(LangGerman);
  T_TypUrsFarben t = m.PrgPar.frbtyp;
  t.frb[1] = {ColourBlue, 0};
  t.frb[3] = {ColourRed, ColourLightRed};
  t.frb[9] = {ColourWhite, ColourPurple};
  t.frb[13] = {0, ColourLightGreen};
  t.frb[30] = {ColourBlue, ColourLightYellow};
  t.itu = 9;
  ColourTableDialog d(m, nullptr, t, true);
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  d.codeList()->scrollToTop();
  EXPECT_EQ(d.windowTitle().toStdString(), Text(m.AllgVar, kTextColourTableCaption + 1));
  EXPECT_EQ(d.codeList()->item(1)->text().toStdString(), "   1    " + Text(m.AllgVar, 71));
  EXPECT_EQ(d.textColourList()->currentIndex(), ColourWhite);
  test::SaveScreenshot(d, "typecolours-ger");
}

}  // namespace
}  // namespace qlxs
