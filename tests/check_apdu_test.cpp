#include <gtest/gtest.h>

#include <cstring>

#include "capture/check_apdu.h"
#include "sim/apdu_builder.h"
#include "support/capture_fixture.h"

namespace qlxs {
namespace {

using sim::Bytes;
using test::CaptureFixture;

// Runs the check on `apdu` as the unwrapping hands it over: identity
// appended, `idm` 12. The octets after the identity are start octets, so a
// read beyond the APDU would change verdicts.
T_Telegramm Check(CaptureFixture& fx, const Bytes& apdu) {
  T_Telegramm& te = fx.port1().em.te;
  ClearTelegram(te);
  std::memset(te.b, 0x68, sizeof te.b);
  std::memcpy(te.b, apdu.data(), apdu.size());
  std::memset(te.b + apdu.size(), 0xAB, 12);
  te.lg = static_cast<int16_t>(apdu.size() + 12);
  te.idm = 12;
  CheckApdu(fx.m.AllgVar, fx.m.PrgPar.frburs, fx.port1().em.te);
  return te;
}

// An I-format APDU of type `typ` with the given structure qualifier, cause
// octet and `objects` octets of information objects.
Bytes I(uint8_t typ, uint8_t vsq, uint8_t cot, size_t objects) {
  Bytes a = {0x68, static_cast<uint8_t>(10 + objects), 0x02, 0x00, 0x04, 0x00, typ, vsq, cot, 0x00, 0x01, 0x00};
  for (size_t i = 0; i < objects; ++i) a.push_back(static_cast<uint8_t>(i));
  return a;
}

Bytes Segment(size_t los, int lengthDelta) {
  Bytes a = I(125, 1, 13, 3 + 2 + 1 + 1 + los);
  a[18] = static_cast<uint8_t>(los + lengthDelta);
  return a;
}

TEST(CheckApdu, FormatTypeStructureLengthAndCause) {
  const struct {
    const char* name;
    Bytes apdu;
    uint8_t ta, stat;
  } cases[] = {
      {"S format, N(R) 1", {0x68, 0x04, 0x01, 0x00, 0x02, 0x00}, TaSFormat, StatOk},
      {"S format, length 5", {0x68, 0x05, 0x01, 0x00, 0x02, 0x00, 0x00}, TaSFormat, StatLengthError},
      {"STARTDT act", {0x68, 0x04, 0x07, 0x00, 0x00, 0x00}, TaUFormat, StatOk},
      {"TESTFR con", {0x68, 0x04, 0x83, 0x00, 0x00, 0x00}, TaUFormat, StatOk},
      {"STARTDT act and con", {0x68, 0x04, 0x0F, 0x00, 0x00, 0x00}, TaUFormat, StatControlError},
      {"U format without function", {0x68, 0x04, 0x03, 0x00, 0x00, 0x00}, TaUFormat, StatControlError},
      {"U format, octet 3 set", {0x68, 0x04, 0x07, 0x00, 0x01, 0x00}, TaUFormat, StatControlError},
      {"U format, octet 2 set", {0x68, 0x04, 0x03, 0x01, 0x00, 0x00}, TaUFormat, StatControlError},
      {"TESTFR act, one octet too many", {0x68, 0x05, 0x43, 0x00, 0x00, 0x00, 0x00}, TaUFormat, StatLengthError},
      {"U format, two bits and too long", {0x68, 0x05, 0x0F, 0x00, 0x00, 0x00, 0x00}, TaUFormat, StatLengthError},
      {"I format, length 12", I(1, 1, 3, 0), TaIFormat, StatLengthError},
      {"APDU of start and length only", {0x68, 0x00}, TaIFormat, StatLengthError},
      {"APDU of three octets", {0x68, 0x01, 0x03}, TaUFormat, StatLengthError},
      {"type 1, 2 objects, length 18", I(1, 2, 3, 8), TaIFormat, StatOk},
      {"type 1, 2 objects, length 19", I(1, 2, 3, 9), TaIFormat, StatAsduLengthError},
      {"type 1, SQ, 3 elements, length 16", I(1, 0x83, 3, 6), TaIFormat, StatOk},
      {"type 1, SQ, 3 elements, length 17", I(1, 0x83, 3, 7), TaIFormat, StatAsduLengthError},
      {"type 1, no objects", I(1, 0, 3, 4), TaIFormat, StatStructureError},
      {"type 30 with SQ", I(30, 0x81, 3, 11), TaIFormat, StatStructureError},
      {"type 39, two objects", I(39, 2, 3, 28), TaIFormat, StatStructureError},
      {"type 126 without SQ", I(126, 1, 5, 16), TaIFormat, StatStructureError},
      {"type 126 with SQ", I(126, 0x82, 5, 3 + 26), TaIFormat, StatOk},
      {"type 2 (IEC 101 only)", I(2, 1, 3, 7), TaIFormat, StatType101},
      {"type 2 with a wrong length", I(2, 1, 3, 8), TaIFormat, StatAsduLengthError},
      {"type 106", I(106, 1, 6, 4), TaIFormat, StatUnknownType},
      {"type 128", I(128, 1, 6, 4), TaIFormat, StatUnknownType},
      {"type 133", I(133, 1, 6, 4), TaIFormat, StatUnknownType},
      {"type 0", I(0, 1, 3, 4), TaIFormat, StatUnknownType},
      {"type 1, cause 0", I(1, 1, 0, 4), TaIFormat, StatCauseError},
      {"type 1, cause 6 (defined, not permitted)", I(1, 1, 6, 4), TaIFormat, StatCauseError},
      {"type 1, cause 3 with test and negative bits", I(1, 1, 0xC3, 4), TaIFormat, StatOk},
      {"type 100, activation", I(100, 1, 6, 4), TaIFormat, StatOk},
      {"file segment", Segment(20, 0), TaIFormat, StatOk},
      {"file segment, any cause", [] { Bytes a = Segment(20, 0); a[8] = 0; return a; }(), TaIFormat, StatOk},
      {"file segment, length octet one too big", Segment(20, 1), TaIFormat, StatAsduLengthError},
      {"file segment, length octet one too small", Segment(20, -1), TaIFormat, StatAsduLengthError},
      {"file segment too short for its length octet", I(125, 1, 13, 5), TaIFormat, StatAsduLengthError},
  };
  CaptureFixture fx;
  for (const auto& c : cases) {
    const T_Telegramm t = Check(fx, c.apdu);
    EXPECT_EQ(t.ta, c.ta) << c.name;
    EXPECT_EQ(t.stat, c.stat) << c.name;
  }
}

// A cause that the type does not permit is a cause error, unless it is no
// defined cause at all and its cause octet has a colour of its own.
TEST(CheckApdu, ColouredUndefinedCauseIsAUserCause) {
  const struct {
    uint8_t urs;
    bool coloured;
    uint8_t stat;
  } cases[] = {
      {0, false, StatCauseError},
      {0, true, StatUserCause},
      {50, false, StatCauseError},
      {50, true, StatUserCause},
      {0x80 | 50, true, StatUserCause},   // the whole octet is looked up, test bit included
      {6, true, StatCauseError},           // defined cause: colour or not, an error
      {3, true, StatOk},                   // permitted: the colour plays no part
  };
  for (const auto& c : cases) {
    CaptureFixture fx;
    if (c.coloured) fx.m.PrgPar.frburs.frb[c.urs] = {3, 0};
    // Colour only on a neighbouring octet: not this cause's colour.
    fx.m.PrgPar.frburs.frb[static_cast<uint8_t>(c.urs + 1)] = {0, 4};
    EXPECT_EQ(Check(fx, I(1, 1, c.urs, 4)).stat, c.stat) << int(c.urs) << (c.coloured ? " coloured" : "");
  }
}

// Every type the simulator builds passes with its usual causes: the lengths
// of the type table and the simulator's element layouts agree.
TEST(CheckApdu, SimulatedAsdusOfEveryTypePass) {
  CaptureFixture fx;
  sim::Rng rng(3);
  const struct {
    uint8_t typ, cot;
  } cases[] = {{1, 3},   {3, 20},  {5, 3},   {7, 3},   {9, 1},   {11, 3},  {13, 3},  {15, 37}, {20, 20},
               {21, 1},  {30, 3},  {31, 3},  {32, 3},  {33, 3},  {34, 3},  {35, 3},  {36, 3},  {37, 3},
               {38, 3},  {39, 3},  {40, 3},  {45, 6},  {46, 7},  {47, 10}, {48, 6},  {49, 6},  {50, 6},
               {51, 6},  {58, 6},  {59, 6},  {60, 6},  {61, 6},  {62, 6},  {63, 6},  {64, 6},  {70, 4},
               {100, 6}, {101, 6}, {102, 5}, {103, 6}, {105, 6}, {107, 6}, {110, 6}, {111, 6}, {112, 6},
               {113, 6}, {120, 13}, {121, 13}, {122, 13}, {123, 13}, {124, 13}, {125, 13}};
  for (const auto& c : cases) {
    const bool several = c.typ <= 38;
    const sim::Asdu a = sim::MakeAsdu(c.typ, false, several ? 3 : 1, c.cot, 7, 100, rng, 45000.5);
    EXPECT_EQ(Check(fx, sim::IApdu(1, 2, a)).stat, StatOk) << int(c.typ);
  }
  const sim::Asdu dir = sim::MakeAsdu(126, true, 4, 5, 7, 100, rng, 45000.5);
  EXPECT_EQ(Check(fx, sim::IApdu(1, 2, dir)).stat, StatOk);
}

}  // namespace
}  // namespace qlxs
