// The lines of APDU telegrams in the view formats, with the shipped English
// texts: header, connection and link line, type, cause, common address and
// object lines, the LogNeu line with its continuation lines, names from an
// element text file and the display filter's object criteria.

#include "render/apdu_lines.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "config/element_texts.h"
#include "config/type_name_file.h"
#include "filter/filter_match.h"
#include "model/date_time.h"
#include "render/render.h"
#include "sim/apdu_builder.h"
#include "support/apdu_telegram.h"
#include "support/files.h"
#include "support/monitor_fixture.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using Lines = std::vector<std::string>;

// Control octets of an I frame with N(S) 3 and N(R) 2.
#define I_CONTROL 0x06, 0x00, 0x04, 0x00

// Double points 1091 OFF and 1100 ON, spontaneous, station 212.
const std::vector<uint8_t> kTwoDoublePoints = {0x68, 0x12, I_CONTROL, 0x03, 0x02, 0x03, 0x00, 0xD4, 0x00,
                                               0x43, 0x04, 0x00, 0x01, 0x4C, 0x04, 0x00, 0x02};

constexpr char kHeader[] = " 7          P1 Rx  12:00:00,250            OK";
constexpr char kConnection[] = "Connection 2404:192.168.10.20 -> 36870:192.168.10.1\r\n";

class ApduLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::setlocale(LC_ALL, "C");
    m.log.stand.erstnr = 1;
    LoadTypeNames(m.AllgVar);
    View(FmtLogisch, true, true);
  }

  void View(int afmt, bool mitzeit, bool mitlink) {
    m.PrgPar.afmt = afmt;
    m.PrgPar.mitzeit = mitzeit;
    m.PrgPar.mitlink = mitlink;
  }

  static T_Telegramm Telegram(const std::vector<uint8_t>& apdu, uint8_t stat = StatOk, bool identity = true) {
    return test::ApduTelegram(apdu, stat, identity);
  }
  // Every piece of telegram t, and the line number of each in `numbers`.
  Lines Pieces(const T_Telegramm& t, std::vector<int>* numbers = nullptr) {
    view.dtalt = 0;
    BeginTelegram(m, view, t);
    Lines pieces;
    for (int i = 0; i < 300; ++i) {
      const std::string& piece = NextLines(m, view);
      if (piece.empty()) break;
      pieces.push_back(piece);
      if (numbers) numbers->push_back(view.znr);
    }
    return pieces;
  }

  test::CaptureFixture fx;
  Monitor& m = fx.m;
  T_TeleAusgabe view;
};

TEST_F(ApduLinesTest, IFormatInLogischWithTimeAndLink) {
  EXPECT_EQ(Pieces(Telegram(kTwoDoublePoints)),
            (Lines{kHeader,
                   std::string(kConnection) + "Link     :  I format  N(S)=3  N(R)=2  ",
                   "Type     :  Double-point information=3, 2 objects (SQ=0)",
                   "Cause    :  spontaneous=3  originator 0",
                   "ASDU addr:    212 ",
                   "Object  1:      1091  OFF  ",
                   "Object  2:      1100  ON  "}));
}

TEST_F(ApduLinesTest, IFormatWithoutTimeAndLink) {
  View(FmtLogisch, false, false);
  const Lines lines = Pieces(Telegram(kTwoDoublePoints));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], kConnection);
  EXPECT_EQ(lines[1], "Type     :  Double-point information=3, 2 objects (SQ=0)");
  // Without the connection identity there is no line 2 at all.
  const Lines bare = Pieces(Telegram(kTwoDoublePoints, StatOk, false));
  ASSERT_EQ(bare.size(), 5u);
  EXPECT_EQ(bare[0], lines[1]);
}

TEST_F(ApduLinesTest, KompaktHasCauseAndAddressOnTheTypeLine) {
  View(FmtKompakt, true, true);
  std::vector<int> numbers;
  const Lines lines = Pieces(Telegram(kTwoDoublePoints), &numbers);
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 6, 7}));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Type     :  M_DP_NA_1=3  spont=3  originator 0    212 ");
  EXPECT_EQ(lines[3], "Object  1:      1091  OFF  ");
}

TEST_F(ApduLinesTest, KompaktTypeLineOfAShortApduLeavesOutWhatIsMissing) {
  View(FmtKompakt, false, false);
  // Length octet 7: type, structure and one cause octet, no originator.
  const Lines lines = Pieces(Telegram({0x68, 0x07, I_CONTROL, 0x03, 0x01, 0x03}, StatAsduLengthError, false));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Type     :  M_DP_NA_1=3  ");
}

TEST_F(ApduLinesTest, LogNeuOneLineWithContinuationLinesUnderTheFirstObject) {
  View(FmtLogNeu, true, true);
  std::vector<uint8_t> four = {0x68, 0x1A, I_CONTROL, 0x03, 0x04, 0x03, 0x00, 0xD4, 0x00};
  for (uint8_t i = 0; i < 4; ++i) four.insert(four.end(), {static_cast<uint8_t>(0x43 + i), 0x04, 0x00, 0x01});
  const Lines lines = Pieces(Telegram(four));
  const std::string head = "P1 Rx      7  12:00:00,250  I format  N(S)=3  N(R)=2    212  M_DP_NA_1 spont O=0  ";
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], head + "    1091  OFF  OK");
  const std::string indent(head.size() - 12, ' ');
  EXPECT_EQ(lines[1], indent + "Object  2:      1092  OFF  ");
  EXPECT_EQ(lines[3], indent + "Object  4:      1094  OFF  ");
  EXPECT_EQ(lines[1].find("1092"), lines[0].find("1091"));

  View(FmtLogNeu, false, false);
  EXPECT_EQ(Pieces(Telegram(four))[0], "P1 Rx    212  M_DP_NA_1 spont O=0      1091  OFF  OK");
}

TEST_F(ApduLinesTest, SAndUFormatNeedTheLinkLayer) {
  const T_Telegramm testfr = Telegram({0x68, 0x04, 0x43, 0x00, 0x00, 0x00});
  const T_Telegramm ack = Telegram({0x68, 0x04, 0x01, 0x00, 0x0A, 0x00});
  EXPECT_EQ(Pieces(testfr), (Lines{kHeader, std::string(kConnection) + "Link     :  U format  TESTFR act  "}));
  EXPECT_EQ(Pieces(ack), (Lines{kHeader, std::string(kConnection) + "Link     :  S format  N(R)=5  "}));
  View(FmtLogNeu, true, true);
  EXPECT_EQ(Pieces(testfr), Lines{"P1 Rx      7  12:00:00,250  U format  TESTFR act  OK"});

  for (int afmt : {FmtLogisch, FmtKompakt, FmtLogNeu}) {
    View(afmt, true, false);
    EXPECT_TRUE(Pieces(testfr).empty()) << afmt;
    EXPECT_TRUE(Pieces(ack).empty()) << afmt;
  }
}

TEST_F(ApduLinesTest, UFormatWithoutAValidFunctionNamesNoOtherText) {
  // Control octet 2 set: the lowest bit beyond the six functions.
  const T_Telegramm t = Telegram({0x68, 0x04, 0x03, 0x01, 0x00, 0x00}, StatControlError);
  std::string out;
  BeginTelegram(m, view, t);
  AppendApciText(out, m, view);
  EXPECT_EQ(out, "U format  without valid function  ");
}

TEST_F(ApduLinesTest, SequenceCountsAddressesUp) {
  const Lines lines = Pieces(Telegram({0x68, 0x11, I_CONTROL, 0x01, 0x84, 0x14, 0x00, 0xD4, 0x00,
                                       0x64, 0x00, 0x00, 0x01, 0x00, 0x01, 0x80}));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[2], "Type     :  Single-point information=1, 4 objects in sequence (SQ=1)");
  EXPECT_EQ(lines[5], "Object  1:       100  ON  ");
  EXPECT_EQ(lines[6], "Object  2:       101  OFF  ");
  EXPECT_EQ(lines[7], "Object  3:       102  ON  ");
  EXPECT_EQ(lines[8], "Object  4:       103  OFF  invalid  ");
}

TEST_F(ApduLinesTest, CauseFlagsAndOriginator) {
  std::vector<uint8_t> apdu = kTwoDoublePoints;
  apdu[8] = 0xC3;
  apdu[9] = 17;
  EXPECT_EQ(Pieces(Telegram(apdu))[3], "Cause    :  test negative spontaneous=3  originator 17");
  View(FmtLogNeu, false, false);
  EXPECT_EQ(Pieces(Telegram(apdu))[0], "P1 Rx    212  M_DP_NA_1 T N spont O=17     1091  OFF  OK");
  apdu[8] = 50;  // a cause without name
  EXPECT_EQ(Pieces(Telegram(apdu))[0], "P1 Rx    212  M_DP_NA_1 COT50 O=17     1091  OFF  OK");
}

TEST_F(ApduLinesTest, StationAndObjectNamesAndColoursFromTheElementTexts) {
  test::ScratchDir dir;
  const std::string file = dir.dir() + "plant.txt";
  ASSERT_TRUE(test::WriteFile(file, "CA;212;Alder Creek\n1091;3-14;Breaker 5\n"));
  ASSERT_TRUE(LoadElementTexts(m, file).ok());
  m.PrgPar.frbtyp.frb[3] = T_FarbIndex{5, 0};  // double points yellow, unless the element says otherwise

  BeginTelegram(m, view, Telegram(kTwoDoublePoints));
  EXPECT_EQ(NextLines(m, view), kHeader);
  EXPECT_EQ(view.tcl.fg, 3) << "the telegram starts in the colour of its first object";
  EXPECT_EQ(view.tcl.hg, 14);
  for (int i = 0; i < 3; ++i) NextLines(m, view);
  EXPECT_EQ(NextLines(m, view), "ASDU addr:    212 Alder Creek");
  EXPECT_EQ(NextLines(m, view), "Object  1:      1091 Breaker 5            OFF  ");
  EXPECT_EQ(view.tcl.fg, 3);
  EXPECT_EQ(NextLines(m, view), "Object  2:      1100  ON  ");
  EXPECT_EQ(view.tcl.fg, 5) << "the type colour";
  EXPECT_EQ(view.tcl.hg, m.PrgPar.tf.e1.hg) << "on the receiver's pair, not on the previous object's";
}

TEST_F(ApduLinesTest, ElementKeysOfTheFileLayouts) {
  T_AllgVar& v = m.AllgVar;
  EXPECT_EQ(ElementKey(v, 7, 0x1234), 7u);
  v.rwe = true;
  EXPECT_EQ(ElementKey(v, 7, 0x1234), 0x04000007u);
  v.catxt.clear();
  v.ca = -1;
  EXPECT_EQ(CaName(v, 0x1234), " ");
  EXPECT_EQ(v.ca, 0x123) << "stations of a sub-address file are named by the address shifted by 4";
  v.mitca = true;
  EXPECT_EQ(ElementKey(v, 7, 0x4321), kNoElementKey) << "a common address the file does not list";
}

TEST_F(ApduLinesTest, DisplayFilterSkipsObjects) {
  T_Filter& f = m.AllgPar.afilt;
  f.ein = 1;
  T_FltKrit& ioa = f.krit[6];  // object address field 1 with the default structures
  ioa.akt = 1;
  ioa.w1 = 1100;
  FilterNormalise(f, m.AllgPar);
  ASSERT_EQ(f.ioa1, 7);
  Lines lines = Pieces(Telegram(kTwoDoublePoints));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[5], "Object  2:      1100  ON  ");

  ioa.w1 = 999;  // no object passes
  lines = Pieces(Telegram(kTwoDoublePoints));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4], "ASDU addr:    212 ");
  View(FmtLogNeu, true, true);
  EXPECT_TRUE(Pieces(Telegram(kTwoDoublePoints)).empty());
}

TEST_F(ApduLinesTest, ObjectCutByTheEndOfTheDataShowsTheOctetsThatAreThere) {
  View(FmtLogisch, false, false);
  // The length octet promises both objects, the data ends one octet into
  // the address of the second.
  std::vector<uint8_t> cut(kTwoDoublePoints.begin(), kTwoDoublePoints.begin() + 17);
  Lines lines = Pieces(Telegram(cut, StatAsduLengthError, false));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4], "Object  1:      1091  OFF  ");
  EXPECT_EQ(lines[5].substr(0, 38), "Object  2:        76        1-1:  4C  ");

  // Cut right behind the first object: the second has nothing to show.
  cut.pop_back();
  EXPECT_EQ(Pieces(Telegram(cut, StatAsduLengthError, false)).size(), 5u);
  // Cut inside the first element: the octets of it that are there.
  std::vector<uint8_t> three = {0x68, 0x0E, I_CONTROL, 0x09, 0x01, 0x03, 0x00, 0xD4, 0x00, 0x64, 0x00, 0x00, 0x80};
  lines = Pieces(Telegram(three, StatAsduLengthError, false));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4].substr(0, 24), "Object   :       100  80");
}

TEST_F(ApduLinesTest, UndefinedTypeShowsTheFirstObjectAndDumpsTheRest) {
  View(FmtLogisch, false, false);
  // Type 2 (IEC 101 only): SIQ and CP24, three objects.
  std::vector<uint8_t> apdu = {0x68, 0x1F, I_CONTROL, 0x02, 0x03, 0x03, 0x00, 0xD4, 0x00};
  for (uint8_t i = 0; i < 3; ++i) apdu.insert(apdu.end(), {static_cast<uint8_t>(10 + i), 0, 0, 0x01, 0x10, 0x27, 0x05});
  std::vector<int> numbers;
  const Lines lines = Pieces(Telegram(apdu, StatType101, false), &numbers);
  EXPECT_EQ(numbers, (std::vector<int>{1, 3, 4, 5, 6, 7}));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4], "Object  1:        10  ON  05:10,000   ");
  EXPECT_EQ(lines[5].substr(0, 14), "     1-14:  0B");
}

TEST_F(ApduLinesTest, SegmentDumpsItsOctetsFromLineSeven) {
  View(FmtLogNeu, false, false);
  std::vector<uint8_t> apdu = {0x68, 0x00, I_CONTROL, 125, 0x01, 0x0D, 0x00, 0xD4, 0x00, 0x58, 0x1B, 0x00,
                               0x01, 0x00, 0x02, 0x14};
  for (uint8_t i = 0; i < 20; ++i) apdu.push_back(i);
  apdu[1] = static_cast<uint8_t>(apdu.size() - 2);
  const Lines lines = Pieces(Telegram(apdu));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "P1 Rx    212  F_SG_NA_1 file  O=0      7000  file=1  section=2  length=20 OK");
  const std::string indent(lines[0].find("7000") - 4 - 12, ' ');
  EXPECT_EQ(lines[1].substr(0, indent.size() + 15), indent + "     1-16:  00 ");
  EXPECT_EQ(lines[2].substr(0, indent.size() + 15), indent + "    17-20:  10 ");
}


TEST_F(ApduLinesTest, DamagedApdusEndTheirLines) {
  // Random ASDUs of every length behind a valid I-format APCI, in every
  // view format, with the object filter on and off and any first object:
  // each telegram ends, after at most one line per object.
  sim::Rng rng(7);
  T_Filter& f = m.AllgPar.afilt;
  f.krit[6].akt = 1;
  f.krit[6].mod = 2;
  f.krit[6].w1 = 0;
  f.krit[6].w2 = 0x7FFFFF;
  FilterNormalise(f, m.AllgPar);
  for (int round = 0; round < 2000; ++round) {
    const int n = 7 + static_cast<int>(rng.Below(60));  // the type octet at 6 is always there
    std::vector<uint8_t> apdu(static_cast<size_t>(n));
    for (uint8_t& o : apdu) o = rng.Octet();
    apdu[0] = 0x68;
    apdu[2] &= 0xFE;
    if (rng.Percent(50)) apdu[6] = static_cast<uint8_t>(rng.Below(140));
    const uint8_t stat = rng.Percent(50) ? StatOk : StatAsduLengthError;
    View(FmtLogisch + static_cast<int>(rng.Below(3)), rng.Percent(50), rng.Percent(50));
    f.ein = rng.Percent(30);
    view.obja = rng.Percent(10) ? static_cast<int>(rng.Below(5)) : 0;
    const T_Telegramm t = Telegram(apdu, stat, rng.Percent(50));
    const Lines lines = Pieces(t);
    // At most 127 objects and the lines before them.
    EXPECT_LE(lines.size(), 135u) << "round " << round;
  }
}

}  // namespace
}  // namespace qlxs
