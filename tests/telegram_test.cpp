#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "model/date_time.h"
#include "model/helpers.h"
#include "model/port_state.h"
#include "model/telegram.h"

namespace qlxs {
namespace {

TEST(Telegram, ApduViewReadsTheDataArea) {
  T_Telegramm t{};
  const uint8_t apdu[] = {0x68, 0x0E, 0x02, 0x00, 0x04, 0x00, 0x01, 0x01, 0x03, 0x00, 0x34, 0x12, 0x56, 0x34, 0x12};
  std::memcpy(t.b, apdu, sizeof apdu);
  EXPECT_EQ(t.apdu().strt, 0x68);
  EXPECT_EQ(t.apdu().tlg, 14);
  EXPECT_EQ(t.apdu().snr, 2);
  EXPECT_EQ(t.apdu().rnr, 4);
  EXPECT_EQ(t.apdu().typ, 1);
  EXPECT_EQ(t.apdu().ca, 0x1234);
  EXPECT_EQ(t.apdu().oa & 0xFFFFFF, 0x123456u);
}

TEST(Telegram, StatusBoundaryAndRecordLength) {
  for (uint8_t ok : {StatOk, StatUnknownType, StatUserCause, StatType101, StatFragment, StatTextLine,
                     StatIpLengthZero})
    EXPECT_FALSE(IsFaultyStatus(ok)) << int(ok);
  for (uint8_t bad : {StatLineError, StatNotIpv4, StatStructureError, StatAsduLengthError, StatCauseError})
    EXPECT_TRUE(IsFaultyStatus(bad)) << int(bad);
  EXPECT_EQ(RecordLength(0), 28);
  EXPECT_EQ(RecordLength(1), 30);
  EXPECT_EQ(RecordLength(kMaxStoredDataLength), 1530);
  EXPECT_EQ(RecordLength(kTelegramDataSize), 1548);
}

TEST(PortState, SecondPortIsDerivedFromTheFirst) {
  T_ComVar p1, p2;
  InitPortStates(p1, p2);
  EXPECT_EQ(p1.bp.lg, 500);
  EXPECT_EQ(p1.bp.cnr, 4);
  EXPECT_EQ(p2.bp.cnr, 5);
  EXPECT_EQ(p1.em.enr, 1);
  EXPECT_EQ(p2.em.enr, 3);
  EXPECT_EQ(p1.se.snr, 2);
  EXPECT_EQ(p2.se.snr, 4);
  EXPECT_EQ(std::memcmp(&p1.bp.ip, "\x07" "0.0.0.0", 8), 0);
  EXPECT_EQ(p1.bp.ipa[2], 0x64);
  EXPECT_EQ(p1.bp.ipa[3], 0x09);
  EXPECT_EQ(p2.bp.tosyn, 4000u);
}

TEST(PortParams, FrameLimitStaysInsideTheDataArea) {
  T_BetriebsPar bp = DefaultBetriebsPar();
  const struct { int32_t tlg; int limit; } cases[] = {{1500, 1500}, {100, 100}, {32767, 1500}, {0, 1}, {-5, 1}};
  for (const auto& c : cases) {
    bp.tlg = c.tlg;
    EXPECT_EQ(EffectiveFrameLimit(bp), c.limit) << c.tlg;
  }
}

TEST(Helpers, BitsAndBytes) {
  EXPECT_EQ(BitOf(0x80000000u, 31), 1);
  EXPECT_EQ(BitOf(0x80000000u, 63), 1);
  EXPECT_EQ(BitOf(1, 32), 1);
  EXPECT_EQ(SwapBytes32(0x11223344u), 0x44332211u);
  EXPECT_EQ(BitCount16(0), 0);
  EXPECT_EQ(BitCount16(0xFFFF), 16);
  EXPECT_EQ(BitCount16(0x8421), 4);
}

TEST(Helpers, Formatting) {
  EXPECT_EQ(FormatWidth(5, 42), "   42");
  EXPECT_EQ(FormatDigits(3, 7), "007");
  EXPECT_EQ(PadRight("ab", 4), "ab  ");
  EXPECT_EQ(PadLeft("ab", 4), "  ab");
  EXPECT_EQ(PadLeft("abcdef", 4), "abcdef");
  EXPECT_EQ(RepeatChar('-', 3), "---");
  EXPECT_EQ(RepeatChar('-', -1), "");
  EXPECT_EQ(FormatReal(1.5f), "1.5");
  EXPECT_EQ(FormatReal(NAN), "0");
  EXPECT_EQ(FormatReal(INFINITY), "0");
}

TEST(Helpers, CutUtf8NeverSplitsACharacter) {
  const std::string s = "a\xC3\xA4\xC3\xB6";  // a ä ö
  EXPECT_EQ(CutUtf8(s, 10), s);
  EXPECT_EQ(CutUtf8(s, 2), "a");
  EXPECT_EQ(CutUtf8(s, 3), "a\xC3\xA4");
  EXPECT_EQ(CutUtf8(s, 0), "");
}

TEST(DateTime, RoundTripsAndFormats) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
  // Every field differs from the others where it can, so that a field
  // decoded into the wrong place shows.
  const DateTimeParts cases[] = {
      {2026, 3, 5, 23, 58, 57, 999},  // the last millisecond before a new second
      {2026, 3, 5, 23, 59, 59, 999},  // the last millisecond of a day
      {2024, 2, 29, 7, 41, 13, 1},    // a leap day
      {2000, 1, 1, 0, 0, 0, 0},
      {1999, 12, 31, 12, 30, 45, 500},
  };
  const auto fields = [](const DateTimeParts& d) {
    return std::tuple{d.year, d.month, d.day, d.hour, d.minute, d.second, d.millisecond};
  };
  for (const DateTimeParts& c : cases)
    EXPECT_EQ(fields(DecodeDateTime(EncodeDateTime(c))), fields(c)) << FormatIsoDateTime(EncodeDateTime(c));
  const DateTimeParts p{2026, 3, 5, 23, 59, 59, 999};
  EXPECT_EQ(FormatIsoDateTime(EncodeDateTime(p)), "2026-03-05 23:59:59.999");
  // Garbage from a damaged file must not crash.
  EXPECT_EQ(FormatIsoDateTime(NAN), "1899-12-30 00:00:00.000");
}

}  // namespace
}  // namespace qlxs
