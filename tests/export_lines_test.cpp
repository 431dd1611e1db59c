// The Export format with the shipped English texts: one line of fields per
// information object for every element family, the fields every line of a
// telegram shares, S, U and event telegrams, faulty and cut APDUs, dump
// lines, names, the object filter, and damaged APDUs of every length.

#include "render/export_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <map>
#include <string>
#include <vector>

#include "config/element_texts.h"
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
using Bytes = std::vector<uint8_t>;

// Control octets of an I frame with N(S) 3 and N(R) 2: the words 6 and 4.
#define I_CONTROL 0x06, 0x00, 0x04, 0x00
// A CP56 time tag: 10000 ms, minute 30, hour 12, weekday 3 day 5, month 12, year 23.
#define CP56 0x10, 0x27, 0x1E, 0x0C, 0x65, 0x0C, 0x17
constexpr char kCp56Fields[] = "10000;30;12;101;12;23;";

// Number 7, object index, then the fields every line of an I-format
// telegram of port 1 repeats up to the type name.
constexpr char kIShared[] = "P1 Rx;12/11/25;12:00:00;250;1;OK;6;4;";

// An I-format APDU of station 212, spontaneous, with `objects` behind the
// structure qualifier; the length octet counts what is there.
Bytes Apdu(uint8_t typ, uint8_t struk, const Bytes& objects) {
  const uint8_t header[] = {0x68, 0x00, I_CONTROL, typ, struk, 0x03, 0x00, 0xD4, 0x00};
  Bytes a(sizeof header + objects.size());
  std::copy(objects.begin(), objects.end(), std::copy(header, header + sizeof header, a.begin()));
  a[1] = static_cast<uint8_t>(a.size() - 2);
  return a;
}

// The fields from the type name to the common address of such an APDU.
std::string AsduFields(const std::string& name, int typ, int struk) {
  return name + ";" + std::to_string(typ) + ";" + std::to_string(struk) + ";3;0;212;";
}

// Line `index` of telegram 7 for an object: the shared fields and `rest`.
std::string ObjectLine(int index, const std::string& asdu, const std::string& rest) {
  return "7;" + std::to_string(index) + ";" + kIShared + asdu + rest;
}

size_t Columns(const std::string& line, char tz = ';') {
  return static_cast<size_t>(std::count(line.begin(), line.end(), tz));
}

class ExportLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::setlocale(LC_ALL, "C");
    m.log.stand.erstnr = 1;
    m.PrgPar.afmt = FmtExport;
    m.PrgPar.mitzeit = m.PrgPar.mitlink = m.PrgPar.nur104 = 1;
  }

  static T_Telegramm Telegram(const Bytes& apdu, uint8_t stat = StatOk) { return test::ApduTelegram(apdu, stat); }
  Lines Pieces(const T_Telegramm& t) {
    BeginTelegram(m, view, t);
    Lines pieces;
    for (int i = 0; i < 300; ++i) {
      const std::string& piece = NextLines(m, view);
      if (piece.empty()) break;
      pieces.push_back(piece);
    }
    return pieces;
  }

  test::CaptureFixture fx;
  Monitor& m = fx.m;
  T_TeleAusgabe view;
};

struct FamilyCase {
  const char* what;
  const char* name;
  uint8_t typ;
  uint8_t struk;
  Bytes objects;
  Lines rests;  // per line: object fields, element fields and time fields
};

TEST_F(ExportLinesTest, ElementFamilies) {
  const FamilyCase cases[] = {
      {"single points", "M_SP_NA_1", 1, 3, {100, 0, 0, 0x01, 101, 0, 0, 0x00, 102, 0, 0, 0x81},
       {"100;;1;0;", "101;;0;0;", "102;;1;128;"}},
      {"single points in sequence", "M_SP_NA_1", 1, 0x83, {100, 0, 0, 0x01, 0x00, 0x81},
       {"100;;1;0;", "101;;0;0;", "102;;1;128;"}},
      {"double point", "M_DP_NA_1", 3, 1, {1, 2, 0, 0x92}, {"513;;2;144;"}},
      {"step position", "M_ST_NA_1", 5, 1, {1, 0, 0, 0xC5, 0x01}, {"1;;197;1;"}},
      {"bitstring", "M_BO_NA_1", 7, 1, {1, 0, 0, 0x01, 0x00, 0x00, 0x80, 0x00}, {"1;;-2147483647;0;"}},
      {"normalised value", "M_ME_NA_1", 9, 1, {1, 0, 0, 0xFE, 0xFF, 0x80}, {"1;;-2;128;"}},
      {"scaled value", "M_ME_NB_1", 11, 1, {1, 0, 0, 0x34, 0x12, 0x00}, {"1;;4660;0;"}},
      {"short float", "M_ME_NC_1", 13, 1, {1, 0, 0, 0x00, 0x00, 0xC0, 0x3F, 0x00}, {"1;;1.5;0;"}},
      {"counter", "M_IT_NA_1", 15, 1, {1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x25}, {"1;;-1;37;"}},
      {"normalised without quality", "M_ME_ND_1", 21, 1, {1, 0, 0, 0xFF, 0x7F}, {"1;;32767;"}},
      {"single point with time tag", "M_SP_TB_1", 30, 1, {1, 0, 0, 0x01, CP56},
       {std::string("1;;1;0;") + kCp56Fields}},
      {"float with time tag", "M_ME_TF_1", 36, 1, {1, 0, 0, 0x00, 0x00, 0xC0, 0x3F, 0x00, CP56},
       {std::string("1;;1.5;0;") + kCp56Fields}},
      {"protection event", "M_EP_TD_1", 38, 1, {1, 0, 0, 0x0A, 0xF4, 0x01, CP56},
       {std::string("1;;2;8;500;") + kCp56Fields}},
      {"protection start events", "M_EP_TE_1", 39, 1, {1, 0, 0, 0x21, 0x08, 0xE8, 0x03, CP56},
       {std::string("1;;33;8;1000;") + kCp56Fields}},
      {"single command", "C_SC_NA_1", 45, 1, {1, 0, 0, 0x81}, {"1;;1;128;"}},
      {"double command", "C_DC_NA_1", 46, 1, {1, 0, 0, 0x82}, {"1;;2;128;"}},
      {"float set point", "C_SE_NC_1", 50, 1, {1, 0, 0, 0x00, 0x00, 0x20, 0xC0, 0x80}, {"1;;-2.5;128;"}},
      {"single command with time tag", "C_SC_TA_1", 58, 1, {1, 0, 0, 0x83, CP56},
       {std::string("1;;1;130;") + kCp56Fields}},
      {"end of initialisation", "M_EI_NA_1", 70, 1, {0, 0, 0, 0x82}, {"0;;2;128;"}},
      {"interrogation", "C_IC_NA_1", 100, 1, {0, 0, 0, 20}, {"0;;20;"}},
      {"counter interrogation", "C_CI_NA_1", 101, 1, {0, 0, 0, 0x45}, {"0;;69;"}},
      {"clock synchronisation", "C_CS_NA_1", 103, 1, {0, 0, 0, CP56}, {std::string("0;;") + kCp56Fields}},
      {"test command", "C_TS_TA_1", 107, 1, {0, 0, 0, 0xFF, 0xFF, CP56},
       {std::string("0;;65535;") + kCp56Fields}},
      {"parameter activation", "P_AC_NA_1", 113, 1, {1, 0, 0, 0x83}, {"1;;3;128;"}},
      {"file ready", "F_FR_NA_1", 120, 1, {1, 0, 0, 0x02, 0x00, 0xE8, 0x03, 0x00, 0x00}, {"1;;2;1000;0;"}},
      {"section ready", "F_SR_NA_1", 121, 1, {1, 0, 0, 0x02, 0x00, 0x01, 0x70, 0x11, 0x01, 0x80},
       {"1;;2;1;70000;128;"}},
      {"last section", "F_LS_NA_1", 123, 1, {1, 0, 0, 0x02, 0x00, 0x01, 0x03, 0xAB}, {"1;;2;1;3;171;"}},
  };
  for (const FamilyCase& c : cases) {
    const std::string asdu = AsduFields(c.name, c.typ, c.struk);
    Lines expected;
    for (size_t i = 0; i < c.rests.size(); ++i) expected.push_back(ObjectLine(static_cast<int>(i), asdu, c.rests[i]));
    EXPECT_EQ(Pieces(Telegram(Apdu(c.typ, c.struk, c.objects))), expected) << c.what;
  }
}

TEST_F(ExportLinesTest, SAndUFormatGiveOneLineOfTenFields) {
  EXPECT_EQ(Pieces(Telegram({0x68, 0x04, 0x01, 0x00, 0x0A, 0x00})),
            Lines{"7;0;P1 Rx;12/11/25;12:00:00;250;2;OK;1;10;"});
  // Every field ends in the separator of the language texts.
  m.AllgVar.tz = '\t';
  EXPECT_EQ(Pieces(Telegram({0x68, 0x04, 0x43, 0x00, 0x00, 0x00})),
            Lines{"7\t0\tP1 Rx\t12/11/25\t12:00:00\t250\t3\tOK\t67\t0\t"});
}

TEST_F(ExportLinesTest, EventsEndAfterTheirText) {
  T_Telegramm t;
  ClearTelegram(t);
  t.ta = TaEvent;
  t.stat = StatMessage;
  t.ek = kReceiverPort1;
  t.nr = 7;
  t.dt = EncodeDateTime({2025, 12, 11, 12, 0, 0, 250});
  const char text[] = "log opened";
  t.b[0] = sizeof text - 1;
  std::copy(text, text + sizeof text - 1, t.b + 1);
  t.lg = sizeof text;
  EXPECT_EQ(Pieces(t), Lines{"7;0;P1 Rx;12/11/25;12:00:00;250;4;log opened;"});

  // A modem status telegram (class 3) is an event as in every other format.
  t.ta = TaUFormat;
  t.stat = StatModemStatus;
  t.event().fnr = 0x11;  // DCD (line 0) changed, now on
  t.lg = 8;
  const Lines lines = Pieces(t);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("7;0;P1 Rx;12/11/25;12:00:00;250;3;modem lines:", 0), 0u) << lines[0];
  EXPECT_EQ(Columns(lines[0]), 8u);
}

TEST_F(ExportLinesTest, FaultyIFormatOfSevenToElevenOctetsHasItsFirstLineOnly) {
  // Three single points promised; the data ends inside the ASDU header.
  const Bytes full = Apdu(1, 3, {100, 0, 0, 0x01, 101, 0, 0, 0x00, 102, 0, 0, 0x81});
  const struct {
    size_t octets;
    const char* asdu;
  } cases[] = {
      {7, "M_SP_NA_1;1;;;;;"},   {8, "M_SP_NA_1;1;3;;;;"},  {9, "M_SP_NA_1;1;3;3;;;"},
      {10, "M_SP_NA_1;1;3;3;0;;"}, {11, "M_SP_NA_1;1;3;3;0;;"},
  };
  for (const auto& c : cases) {
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.octets));
    const Lines lines = Pieces(Telegram(cut, StatAsduLengthError));
    EXPECT_EQ(lines, Lines{std::string("7;0;P1 Rx;12/11/25;12:00:00;250;1;ASDU length error;6;4;") + c.asdu})
        << c.octets << " octets";
  }
  // Shorter still: the control words that are there.
  EXPECT_EQ(Pieces(Telegram({0x68, 0x04, 0x06}, StatLengthError)),
            Lines{"7;0;P1 Rx;12/11/25;12:00:00;250;1;APDU length error;;;;;;;;;"});
}

TEST_F(ExportLinesTest, CutObjectsKeepTheColumnsOfTheirType) {
  const std::string floats = AsduFields("M_ME_TF_1", 36, 2);
  const Bytes full = Apdu(36, 2, {1, 0, 0, 0x00, 0x00, 0xC0, 0x3F, 0x00, CP56,   //
                                  2, 0, 0, 0x00, 0x00, 0x20, 0xC0, 0x01, CP56});
  const Lines whole = Pieces(Telegram(full));
  ASSERT_EQ(whole.size(), 2u);
  EXPECT_EQ(whole[1], ObjectLine(1, floats, std::string("2;;-2.5;1;") + kCp56Fields));
  const struct {
    size_t drop;  // octets cut off the end
    const char* second;
  } cases[] = {
      {3, "2;;-2.5;1;10000;30;12;;;;"},  // the time tag up to its hour
      {5, "2;;-2.5;1;10000;;;;;;"},      // the milliseconds only
      {6, "2;;-2.5;1;;;;;;;"},           // one octet of the milliseconds: no field of the tag
      {10, "2;;;;;;;;;;"},               // inside the float: nothing of it
      {14, ";;;;;;;;;;"},                // inside the address: one octet of it
  };
  for (const auto& c : cases) {
    const Bytes cut(full.begin(), full.end() - static_cast<std::ptrdiff_t>(c.drop));
    const Lines lines = Pieces(Telegram(cut, StatAsduLengthError));
    ASSERT_EQ(lines.size(), 2u) << c.drop;
    EXPECT_EQ(lines[1], "7;1;P1 Rx;12/11/25;12:00:00;250;1;ASDU length error;6;4;" + floats + c.second)
        << "cut by " << c.drop;
    EXPECT_EQ(Columns(lines[1]), Columns(whole[1]));
  }
  // Cut right behind the first object: nothing of the second is there.
  const Bytes first(full.begin(), full.begin() + 27);
  EXPECT_EQ(Pieces(Telegram(first, StatAsduLengthError)).size(), 1u);
}

TEST_F(ExportLinesTest, SegmentDumpsItsOctetsBehindEighteenEmptyFields) {
  Bytes segment = {0x58, 0x1B, 0x00, 0x01, 0x00, 0x02, 20};
  for (uint8_t i = 0; i < 20; ++i) segment.push_back(static_cast<uint8_t>(0x30 + i));  // "0123456789:;<=>?@ABC"
  const Lines lines = Pieces(Telegram(Apdu(125, 1, segment)));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], ObjectLine(0, AsduFields("F_SG_NA_1", 125, 1), "7000;;1;2;20;"));
  const std::string gap = "7;1;" + std::string(18, ';');
  EXPECT_EQ(lines[1], gap + "30 31 32 33  34 35 36 37  38 39 3A 3B  3C 3D 3E 3F  0123456789:.<=>?  ")
      << "the separator among the characters shows as a full stop";
  EXPECT_EQ(lines[2].substr(0, 22), "7;2;" + std::string(18, ';'));
  EXPECT_EQ(lines[2].substr(22, 13), "40 41 42 43  ");
}

TEST_F(ExportLinesTest, UndefinedTypeWritesItsFirstObjectAndDumpsTheRest) {
  // Type 2 (IEC 101 only): SIQ and CP24, two objects.
  const Lines lines = Pieces(Telegram(Apdu(2, 2, {10, 0, 0, 0x01, 0x10, 0x27, 0x05,  //
                                                  11, 0, 0, 0x00, 0x10, 0x27, 0x05}),
                                      StatType101));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "7;0;P1 Rx;12/11/25;12:00:00;250;1;type defined in IEC 60870-5-101 only;6;4;"
                      "M_SP_TA_1;2;2;3;0;212;10;;");
  EXPECT_EQ(lines[1].substr(0, 19 + 13), "7;1;" + std::string(15, ';') + "01 10 27 05  ");
}

TEST_F(ExportLinesTest, NamesAndTheObjectFilter) {
  test::ScratchDir dir;
  const std::string file = dir.dir() + "plant.txt";
  ASSERT_TRUE(test::WriteFile(file, "CA;212;Alder Creek\n101;;Breaker 5\n"));
  ASSERT_TRUE(LoadElementTexts(m, file).ok());
  const Bytes three = Apdu(1, 3, {100, 0, 0, 0x01, 101, 0, 0, 0x00, 102, 0, 0, 0x81});
  const std::string asdu = AsduFields("M_SP_NA_1", 1, 3);
  EXPECT_EQ(Pieces(Telegram(three))[1], ObjectLine(1, asdu, "101;Breaker 5;0;0;"));

  T_Filter& f = m.AllgPar.afilt;
  f.ein = 1;
  T_FltKrit& ioa = f.krit[6];  // object address field 1 with the default structures
  ioa.akt = 1;
  ioa.w1 = 102;
  FilterNormalise(f, m.AllgPar);
  EXPECT_EQ(Pieces(Telegram(three)), Lines{ObjectLine(0, asdu, "102;;1;128;")})
      << "the first object written is the first one that passes";
  ioa.w1 = 999;
  FilterNormalise(f, m.AllgPar);
  EXPECT_TRUE(Pieces(Telegram(three)).empty()) << "no object passes: no line at all";
}

TEST_F(ExportLinesTest, DamagedApdusKeepTheColumnsOfTheirType) {
  // Random ASDUs of every length behind an I-format APCI: each telegram
  // ends; every line of objects has as many fields as its first line, and
  // every type has one column count whatever the data holds.
  sim::Rng rng(11);
  std::map<int, size_t> columnsOfType;
  for (int round = 0; round < 3000; ++round) {
    const int n = 12 + static_cast<int>(rng.Below(50));
    Bytes apdu(static_cast<size_t>(n));
    for (uint8_t& o : apdu) o = rng.Octet();
    apdu[0] = 0x68;
    apdu[2] &= 0xFE;
    apdu[6] = static_cast<uint8_t>(rng.Below(140));
    const Lines lines = Pieces(Telegram(apdu, rng.Percent(50) ? StatOk : StatAsduLengthError));
    ASSERT_LE(lines.size(), 140u) << "round " << round;
    ASSERT_FALSE(lines.empty());
    const size_t first = Columns(lines[0]);
    for (const std::string& line : lines) {
      if (line.back() != ';') continue;  // a dump line
      EXPECT_EQ(Columns(line), first) << "round " << round << ": " << line;
    }
    const auto [at, fresh] = columnsOfType.emplace(apdu[6], first);
    EXPECT_EQ(at->second, first) << "type " << int{apdu[6]} << ", round " << round;
  }
}

}  // namespace
}  // namespace qlxs
