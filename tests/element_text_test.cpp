// Information elements and time tags as text, with the shipped English
// texts: every element family in the long (Logisch) and short texts.

#include "render/element_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <string>
#include <vector>

#include "render/render.h"
#include "support/monitor_fixture.h"

namespace qlxs {
namespace {

constexpr int kElementOffset = 15;  // the first element of an I-format APDU

class ElementTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::setlocale(LC_ALL, "C");
    fx.m.AllgPar.mw100 = 32000;
  }

  // The element text of type `typ` whose element set is `octets`, placed as
  // the first element of an APDU that ends with them. `pbAfter` receives the
  // read position afterwards.
  std::string Element(int afmt, int typ, const std::vector<uint8_t>& octets, int* pbAfter = nullptr) {
    fx.m.PrgPar.afmt = afmt;
    c.te.b[6] = static_cast<uint8_t>(typ);
    std::copy(octets.begin(), octets.end(), c.te.b + kElementOffset);
    c.te.lg = static_cast<int16_t>(kElementOffset + octets.size());
    c.pb = kElementOffset;
    std::string out;
    AppendElementText(out, fx.m, c);
    if (pbAfter) *pbAfter = c.pb;
    return out;
  }

  test::CaptureFixture fx;
  T_TeleAusgabe c;
};

struct Case {
  const char* what;
  int afmt;
  int typ;
  std::vector<uint8_t> octets;
  const char* text;
};

constexpr int L = FmtLogisch;
constexpr int K = FmtKompakt;

// A CP56Time2a of 10000 ms, minute 30, hour 12 with summer time, weekday 3,
// 5 December 2023.
#define CP56_DEC_2023 0x10, 0x27, 0x1E, 0x8C, 0x65, 0x0C, 0x17
#define CP56_ZERO 0, 0, 0, 0, 0, 0, 0

const Case kCases[] = {
    // Single and double points with their quality flags.
    {"single ON", L, 1, {0x01}, "ON  "},
    {"one flag: long name", L, 1, {0x81}, "ON  invalid  "},
    {"two flags: short names", L, 1, {0xC1}, "ON  IV NT  "},
    {"reserved bits, long", L, 1, {0x04}, "OFF  reserved bits=2  "},
    {"reserved bits, short", K, 1, {0x04}, "OFF  RES=2  "},
    {"double ON", L, 3, {0x02}, "ON  "},
    {"double indeterminate, blocked", K, 3, {0x13}, "indeterminate  BL  "},
    {"single with CP24", L, 2, {0x01, 0x10, 0x27, 0x85}, "ON  05:10,000   IV "},
    {"single with CP56", L, 30, {0x80, CP56_DEC_2023}, "OFF  invalid  DOW=3 12/05/23  summer time 12:30:10,000  "},
    // Step position: signed 7 bits, transient, QDS.
    {"step position", K, 5, {0xC5, 0x01}, "-59  T OV  "},
    {"step position, long", L, 5, {0x3F, 0x00}, "63  "},
    // Normalised values against mw100 = 32000: decimals by size.
    {"NVA 50 %", L, 9, {0x80, 0x3E, 0x00}, " 16000= 50.00%  "},
    {"NVA small negative", L, 9, {0xFD, 0xFF, 0x00}, "    -3=-0.009%  "},
    {"NVA above 100 %", L, 9, {0xFF, 0x7F, 0x00}, " 32767= 102.4%  "},
    {"NVA with overflow", K, 9, {0x34, 0x12, 0x01}, "  4660= 14.56%  OV  "},
    {"NVA without quality", L, 21, {0x00, 0x80}, "-32768=-102.4%  "},
    // Scaled values and floats.
    {"SVA blocked", L, 11, {0x18, 0xFC, 0x10}, " -1000  blocked  "},
    {"float", K, 13, {0x00, 0x00, 0xC0, 0x3F, 0x00}, "1.5  "},
    {"float NaN", K, 13, {0x00, 0x00, 0xC0, 0x7F, 0x00}, "NaN  "},
    {"float +inf", K, 13, {0x00, 0x00, 0x80, 0x7F, 0x00}, "INF  "},
    {"float -inf", K, 13, {0x00, 0x00, 0x80, 0xFF, 0x00}, "-INF  "},
    {"float seven digits", L, 36, {0x10, 0x06, 0x9E, 0x3F, 0x20, CP56_ZERO},
     "1.23456  substituted  01/01/00  00:00:00,000  "},
    // Counters.
    {"counter -1", L, 15, {0xFF, 0xFF, 0xFF, 0xFF, 0x05}, "sequence number 5       -1  "},
    {"counter short", K, 15, {0x87, 0xD6, 0x12, 0x00, 0x05}, "SQ=5  1,234,567  "},
    {"counter, one flag, long", L, 15, {0x00, 0x00, 0x00, 0x00, 0x25}, "carry sequence number 5        0  "},
    {"counter, two flags", L, 15, {0x00, 0x00, 0x00, 0x00, 0xA5}, "IV CY  sequence number 5        0  "},
    {"counter with CP56: short flags", L, 37, {0x64, 0, 0, 0, 0x81, CP56_ZERO},
     "IV  sequence number 1      100  01/01/00  00:00:00,000  "},
    // Bitstrings: bits in Logisch, hexadecimal elsewhere and with quality flags.
    {"bitstring bits", L, 7, {0x01, 0x00, 0x00, 0x80, 0x00},
     "10000000  00000000  00000000  00000001  "},
    {"bitstring with a flag", L, 7, {0x01, 0x00, 0x00, 0x80, 0x80}, "$80 $00 $00 $01  invalid  "},
    {"bitstring short", K, 7, {0x01, 0x02, 0x03, 0x04, 0x00}, "$04 $03 $02 $01  "},
    {"bitstring type 8 keeps bits", L, 8, {0x0F, 0, 0, 0, 0x80, 0x00, 0x00, 0x00},
     "00000000  00000000  00000000  00001111  invalid  00:00,000   "},
    {"bitstring type 33 hexadecimal", L, 33, {0xAB, 0, 0, 0, 0x00, CP56_ZERO},
     "$00 $00 $00 $AB  01/01/00  00:00:00,000  "},
    {"bitstring command", K, 51, {0x01, 0x00, 0x00, 0x80}, "10000000  00000000  00000000  00000001  "},
    // Protection equipment with elapsed time and CP24.
    {"protection event", L, 17, {0x0A, 0x10, 0x27, 0x10, 0x27, 0x85},
     "ON  elapsed time invalid 10,000  05:10,000   IV "},
    {"start events", K, 18, {0x41, 0x81, 0xF4, 0x01, 0x00, 0x00, 0x40},
     "RES=1 GS  IV RES=1 elapsed time 00,500  00:00,000   SB "},
    {"output circuits", L, 19, {0x03, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00},
     "CL1 GC elapsed time 65,535  00:00,000   "},
    // Commands and their qualifiers.
    {"single command select", L, 45, {0x81}, "ON  select  value 0  "},
    {"single command reserved bit", K, 45, {0x83}, "ON  Sel  QU=0  reserved bits=1 "},
    {"double command long pulse", L, 46, {0x0A}, "ON  execute  long pulse  "},
    {"step command persistent", K, 47, {0x0D}, "lower  Ex  persistent output  "},
    {"set point normalised", L, 48, {0x80, 0x3E, 0x85}, " 16000= 50.00%  select  value 5  "},
    {"set point scaled", K, 49, {0x0A, 0x00, 0x05}, "    10  Ex  QL=5  "},
    {"set point float", K, 50, {0x00, 0x00, 0x80, 0xBF, 0x00}, "-1  Ex  QL=0  "},
    {"single command with CP56", L, 58, {0x01, CP56_DEC_2023},
     "ON  execute  value 0  DOW=3 12/05/23  summer time 12:30:10,000  "},
    {"initialisation", L, 70, {0x82}, "remote reset  after change of local parameters"},
    {"initialisation, other cause", L, 70, {0x05}, "value 5  "},
    {"station interrogation", L, 100, {20}, "station interrogation"},
    {"group interrogation", L, 100, {25}, "group interrogation 5"},
    {"interrogation, other", K, 100, {40}, "value 40"},
    {"general counter request", L, 101, {0x45}, "general counter request  freeze without reset"},
    {"counter group", L, 101, {0x02}, "counter group 2  read"},
    {"no counter read", L, 101, {0x80}, "no counter read  freeze with reset"},
    {"counter request, other", L, 101, {0x3F}, "value 63  read"},
    {"read command", L, 102, {}, ""},
    {"clock synchronisation", L, 103, {CP56_DEC_2023}, "DOW=3 12/05/23  summer time 12:30:10,000  "},
    {"test command", L, 104, {0x55, 0xAA}, "$AA55  "},
    {"reset process", L, 105, {1}, "general reset of process"},
    {"reset event buffer", L, 105, {2}, "reset of the event buffer"},
    {"reset, other", L, 105, {7}, "value 7"},
    {"test command with time", K, 107, {0x34, 0x12, CP56_ZERO}, "$1234  01/01/00  00:00:00,000  "},
    {"parameter, all flags", K, 110, {0x80, 0x3E, 0xC1},
     " 16000= 50.00%  not in operation  local parameter change  threshold value"},
    {"parameter, other kind", K, 111, {0x01, 0x00, 0x09}, "     1  KPA=9"},
    {"parameter, other kind, long", L, 112, {0x00, 0x00, 0x00, 0x00, 0x00}, "0  parameter kind 0"},
    {"parameter activation", L, 113, {2}, "act/deact of the parameter of the addressed object"},
    {"parameter activation, other", L, 113, {9}, "value 9"},
    // File transfer.
    {"file ready", L, 120, {0x02, 0x00, 0xE8, 0x03, 0x00, 0x00}, "file=2  length=1000  FRQ=$00"},
    {"section ready", L, 121, {0x03, 0x00, 0x01, 0x05, 0x00, 0x00, 0x80}, "file=3  section=1 length=5   SRQ=$80"},
    {"call", K, 122, {0x04, 0x00, 0x00, 0x01}, "file=4  section=0  SCQ=$01"},
    {"last section", K, 123, {0x05, 0x00, 0x02, 0x03, 0xAB}, "file=5  section=2  LSQ=$03  CHS=$AB"},
    {"ack", K, 124, {0x06, 0x00, 0x01, 0x03}, "file=6  section=1  AFQ=$03"},
    {"segment header", K, 125, {0x01, 0x00, 0x02, 0x00}, "file=1  section=2  length=0"},
    {"directory", L, 126, {0x07, 0x00, 0x64, 0x00, 0x00, 0x20, CP56_DEC_2023},
     "file=7  length=100  SOF=$20  DOW=3 12/05/23  summer time 12:30:10,000  "},
    // Types without a decoding show nothing.
    {"undefined type", L, 22, {}, ""},
    {"private type", L, 200, {}, ""},
};

TEST_F(ElementTextTest, EveryFamilyInLongAndShortTexts) {
  for (const Case& k : kCases) {
    int pb = 0;
    EXPECT_EQ(Element(k.afmt, k.typ, k.octets, &pb), k.text) << k.what;
    EXPECT_EQ(pb, kElementOffset + static_cast<int>(k.octets.size())) << k.what << ": read up to the end";
  }
}

TEST_F(ElementTextTest, Cp56DatesThatDoNotExistShowTheNumbersReceived) {
  const struct {
    std::vector<uint8_t> tag;
    const char* text;
  } cases[] = {
      {{0, 0, 0, 0, 0x1F, 0x02, 0x17}, "2023-02-31  00:00:00,000  "},
      {{0, 0, 0, 0, 0x1D, 0x02, 0x17}, "2023-02-29  00:00:00,000  "},
      {{0, 0, 0, 0, 0x1D, 0x02, 0x18}, "02/29/24  00:00:00,000  "},   // a leap year
      {{0, 0, 0, 0, 0x1F, 0x04, 0x7F}, "2127-04-31  00:00:00,000  "},
      {{0, 0, 0, 0, 0x00, 0x00, 0x00}, "01/01/00  00:00:00,000  "},   // day and month 0 read as 1
      {{0, 0, 0, 0, 0x0F, 0x0D, 0x00}, "01/15/00  00:00:00,000  "},   // month 13 read as 1
      // Every flag and an hour beyond 23 as received.
      {{0xCF, 0x07, 0xFB, 0x9F, 0xE1, 0x01, 0x01}, "DOW=7 01/01/01  IV SB summer time 31:59:01,999  "},
  };
  for (const auto& k : cases) EXPECT_EQ(Element(L, 103, k.tag), k.text);
}

TEST_F(ElementTextTest, NormalisedValueWithoutHundredPercentShowsTheRawValue) {
  fx.m.AllgPar.mw100 = 0;
  EXPECT_EQ(Element(L, 21, {0x34, 0x12}), "  4660  ");
  EXPECT_EQ(Element(L, 9, {0x00, 0x80, 0x80}), "-32768  invalid  ");
  fx.m.AllgPar.mw100 = -1000;
  EXPECT_EQ(Element(L, 21, {0xF4, 0x01}), "   500=-50.00%  ");
}

TEST_F(ElementTextTest, ElementCutByTheEndOfTheDataIsDumped) {
  int pb = 0;
  // A segment whose header is cut after three octets.
  const std::string cut = Element(K, 125, {0x01, 0x00, 0x02}, &pb);
  EXPECT_EQ(cut.substr(0, 8), "01 00 02");
  EXPECT_EQ(cut.size(), 70u);
  EXPECT_EQ(pb, kElementOffset + 3);
  // A normalised value without its quality octet.
  EXPECT_EQ(Element(L, 9, {0x80, 0x3E}, &pb).substr(0, 5), "80 3E");
  EXPECT_EQ(pb, kElementOffset + 2);
}

TEST_F(ElementTextTest, TimeTagsReadOnlyInsideTheData) {
  c.te.lg = kElementOffset + 2;
  c.te.b[kElementOffset] = 0x10;
  c.te.b[kElementOffset + 1] = 0x27;
  c.te.b[kElementOffset + 2] = 0x85;  // beyond the data: must not be read
  c.pb = kElementOffset;
  std::string out;
  AppendCp24Text(out, fx.m, c);
  EXPECT_EQ(out, "00:10,000   ");
  EXPECT_EQ(c.pb, kElementOffset + 2);
}

}  // namespace
}  // namespace qlxs
