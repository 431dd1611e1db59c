// Address structures: field arithmetic, address texts, the parsers of
// addresses and structures, and the values derived from the structures.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "config/address_structure.h"
#include "config/allg_par.h"
#include "config/config_state.h"
#include "config/language_texts.h"
#include "platform/message_sink.h"

namespace qlxs {
namespace {

constexpr T_AdrStruktur S(std::initializer_list<int32_t> widths) {
  T_AdrStruktur s{static_cast<int32_t>(widths.size()), {0, 0, 0, 0, 0}};
  int i = 0;
  for (int32_t w : widths) s.fd[i++] = w;
  return s;
}

class AddressStructure : public ::testing::Test {
 protected:
  AddressStructure() : cs(sink) {
    cs.AllgVar.TxtList.assign(1300, "");
    cs.AllgVar.TxtList[26] = "-";
    cs.AllgVar.TxtList[1227] = "  (F12: pick list)";
  }
  // Makes ca and ioa the structures in force.
  void Use(const T_AdrStruktur& ca, const T_AdrStruktur& ioa) {
    cs.AllgPar.cabrt = ca;
    cs.AllgPar.oabrt = ioa;
    ApplyStructures(cs);
  }
  RecordingMessageSink sink;
  ConfigState cs;
};

TEST(FieldMask, AllOnesInTheLowestWidthBitsModulo32) {
  const struct {
    int32_t width;
    uint32_t mask;
  } cases[] = {
      {1, 1},           {8, 255},          {16, 0xFFFF},      {24, 0xFFFFFF}, {31, 0x7FFFFFFF},
      {0, 0xFFFFFFFF},  {32, 0xFFFFFFFF},  {33, 1},           {-1, 0x7FFFFFFF},
      {INT32_MIN, 0xFFFFFFFF},
  };
  for (const auto& c : cases) EXPECT_EQ(FieldMask(c.width), c.mask) << c.width;
}

TEST(SplitFields, LastFieldHoldsTheLowestBits) {
  const T_AdrStruktur s = S({4, 4, 8, 8});
  const auto f = SplitFields(s, 0xAB1234);
  EXPECT_EQ(f[0], 0xAu);
  EXPECT_EQ(f[1], 0xBu);
  EXPECT_EQ(f[2], 0x12u);
  EXPECT_EQ(f[3], 0x34u);
  EXPECT_EQ(f[4], 0u);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(FieldOf(s, 0xAB1234, i), f[i - 1]) << i;
  EXPECT_EQ(FieldOf(s, 0xAB1234, 0), 0u);
  EXPECT_EQ(FieldOf(s, 0xAB1234, 5), 0u);
}

TEST_F(AddressStructure, TextsAreRightAlignedFieldsJoinedByHyphens) {
  const struct {
    T_AdrStruktur ca, ioa;
    uint32_t caValue, ioaValue;
    const char* caText;
    const char* ioaText;
  } cases[] = {
      {SingleField(16), SingleField(24), 1, 1, "    1", "       1"},
      {SingleField(16), SingleField(24), 65535, 16777215, "65535", "16777215"},
      {S({8, 8}), S({8, 16}), 0x1234, 3 * 65536 + 1000, " 18- 52", "  3- 1000"},
      {S({4, 12}), S({1, 7, 8, 8}), 0xFFFF, 0xFFFFFF, "15-4095", "1-127-255-255"},
      {S({2, 2, 4, 4, 4}), S({8, 8, 8}), 0, 0x010203, "0-0- 0- 0- 0", "  1-  2-  3"},
  };
  for (const auto& c : cases) {
    Use(c.ca, c.ioa);
    EXPECT_EQ(FormatCa(c.caValue, cs.AllgPar, cs.AllgVar), c.caText);
    EXPECT_EQ(FormatIoa(c.ioaValue, cs.AllgPar, cs.AllgVar), c.ioaText);
    EXPECT_EQ(static_cast<int>(FormatCa(c.caValue, cs.AllgPar, cs.AllgVar).size()), cs.AllgVar.lgcastr - 1);
    EXPECT_EQ(static_cast<int>(FormatIoa(c.ioaValue, cs.AllgPar, cs.AllgVar).size()), cs.AllgVar.lgoastr - 1);
  }
}

// The text is what the derived format string gives with the ten
// arguments width 1, field 1, ... width 5, field 5.
TEST_F(AddressStructure, TextEqualsTheDerivedFormatForManyStructuresAndValues) {
  const T_AdrStruktur structures[] = {SingleField(24), S({8, 16}), S({16, 8}), S({3, 5, 16}),
                                      S({4, 4, 4, 4, 8}), S({1, 1, 1, 1, 20}), S({12, 12})};
  std::mt19937 rng(7);
  for (const T_AdrStruktur& s : structures) {
    Use(SingleField(16), s);
    ASSERT_EQ(cs.AllgVar.oafmt.size(), 3u + 4u * (s.anz - 1));
    for (int k = 0; k < 200; ++k) {
      const uint32_t v = k < 2 ? (k ? 0xFFFFFFu : 0u) : rng() & 0xFFFFFF;
      const auto f = SplitFields(s, v);
      const T_AdrStruktur& w = cs.AllgVar.oabrt;
      char expected[128];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
      std::snprintf(expected, sizeof expected, cs.AllgVar.oafmt.c_str(), w.fd[0], static_cast<int>(f[0]), w.fd[1],
                    static_cast<int>(f[1]), w.fd[2], static_cast<int>(f[2]), w.fd[3], static_cast<int>(f[3]),
                    w.fd[4], static_cast<int>(f[4]));
#pragma GCC diagnostic pop
      std::string appended = "x";
      AppendIoa(appended, v, cs.AllgPar, cs.AllgVar);
      ASSERT_EQ(appended, std::string("x") + expected) << cs.AllgVar.oafmt << " " << v;
    }
  }
}

TEST_F(AddressStructure, DerivedValuesAndRangeTexts) {
  // A fresh record already holds what the default structures derive.
  const T_AllgVar fresh;
  Use(DefaultAllgPar().cabrt, DefaultAllgPar().oabrt);
  EXPECT_EQ(cs.AllgVar.lgcastr, fresh.lgcastr);
  EXPECT_EQ(cs.AllgVar.lgoastr, fresh.lgoastr);
  EXPECT_EQ(cs.AllgVar.cafmt, fresh.cafmt);
  EXPECT_EQ(cs.AllgVar.oafmt, fresh.oafmt);
  EXPECT_EQ(cs.AllgVar.cabrt.fd[0], fresh.cabrt.fd[0]);
  EXPECT_EQ(cs.AllgVar.oabrt.fd[0], fresh.oabrt.fd[0]);
  EXPECT_EQ(fresh.lgcastr, 6);
  EXPECT_EQ(fresh.lgoastr, 9);
  EXPECT_EQ(Text(cs.AllgVar, 836), " 0..65535");
  EXPECT_EQ(Text(cs.AllgVar, 839), " 0..16777215  (F12: pick list)");

  Use(S({8, 8}), S({3, 5, 16}));
  EXPECT_EQ(cs.AllgVar.lgcastr, 8);
  EXPECT_EQ(cs.AllgVar.lgoastr, 1 + 2 + 5 + 3);
  EXPECT_EQ(cs.AllgVar.cafmt, "%*d-%*d");
  EXPECT_EQ(cs.AllgVar.oafmt, "%*d-%*d-%*d");
  EXPECT_EQ(Text(cs.AllgVar, 836), " 0..255 - 0..255");
  EXPECT_EQ(Text(cs.AllgVar, 839), " 0..7 - 0..31 - 0..65535  (F12: pick list)");
}

// A damaged log header can bring any structure; nothing reads outside the
// record or shifts by 32 or more.
TEST_F(AddressStructure, DamagedStructuresStayWithinTheRecord) {
  const T_AdrStruktur damaged[] = {{0, {0, 0, 0, 0, 0}}, {-7, {24, 0, 0, 0, 0}}, {9, {8, 8, 8, 8, 8}},
                                   {2, {40, -3, 0, 0, 0}}, {1, {INT32_MIN, 0, 0, 0, 0}}};
  for (const T_AdrStruktur& s : damaged) {
    Use(s, s);
    EXPECT_LE(static_cast<size_t>(cs.AllgVar.lgcastr), kMaxAddressText + 1);
    EXPECT_EQ(FormatCa(0xFFFFFFFF, cs.AllgPar, cs.AllgVar).size() + 1, static_cast<size_t>(cs.AllgVar.lgcastr));
    EXPECT_EQ(StructureText(s, "-").empty(), false);
    (void)ParseExact(s, "1-2-3", '$');
    (void)ParseTrailing(s, "1", '$');
  }
}

TEST(ScanNumbers, SeparatorsHexPrefixAndWhereTheScanStops) {
  const struct {
    const char* text;
    int max;
    std::vector<int32_t> numbers;
    bool complete;
  } cases[] = {
      {"12.34", 5, {12, 34}, true},
      {"12/34", 5, {12, 34}, true},
      {"  12 - 34  ", 5, {12, 34}, true},
      {"$1F", 5, {31}, true},
      {"$1f-$a", 5, {31, 10}, true},
      {"1F", 5, {}, false},                 // hex digits without the prefix
      {"12-1F-3", 5, {12}, false},          // stops at the run that does not read
      {"$", 5, {}, false},                  // a prefix without digits
      {"2147483647", 5, {2147483647}, true},
      {"2147483648", 5, {}, false},         // too large for 32 bits
      {"$80000000", 5, {}, false},
      {"1$2", 5, {}, false},                // the prefix inside a decimal run
      {"1 2 3", 2, {1, 2}, false},          // more numbers than asked for
      {"1 2 -", 2, {1, 2}, true},           // only separators left
      {"", 5, {}, true},
      {"x,y;z", 5, {}, true},
  };
  for (const auto& c : cases) {
    const ScannedNumbers r = ScanNumbers(c.text, c.max, '$');
    EXPECT_EQ(r.numbers, c.numbers) << c.text;
    EXPECT_EQ(r.complete, c.complete) << c.text;
  }
  EXPECT_EQ(ScanNumbers("#10", 5, '#').numbers, std::vector<int32_t>{16});  // the prefix is configurable
}

TEST(ParseAddress, ExactTrailingAndWholeNumber) {
  T_AllgPar ap = DefaultAllgPar();
  ap.cabrt = S({8, 8});
  ap.oabrt = S({8, 16});
  using R = std::optional<uint32_t>;
  const R none;
  const struct {
    const char* text;
    R ca, ioa, ioaText;
  } cases[] = {
      {"3-1000", none, 3 * 65536 + 1000, 3 * 65536 + 1000},   // CA: 1000 > 255
      {"3-70000", none, none, none},                        // 70000 > 65535
      {"197608", none, 197608, none},                       // whole number; as last field > 65535
      {"1000", 1000, 1000, 1000},                           // trailing: fills the last field
      {"1 2 3", none, none, none},                          // three numbers for two fields
      {"18-52", 0x1234, 18 * 65536 + 52, 18 * 65536 + 52},
      {"255.255", 0xFFFF, 255 * 65536 + 255, 255 * 65536 + 255},
      {"256-1", none, none, none},                          // 256 > 255
      {"$FFFF", 0xFFFF, 0xFFFF, 0xFFFF},                    // whole number in hex
      {" 65536 ", none, 65536, none},
      {"16777216", none, none, none},
      {"", none, none, none},
      {"1-2x", 0x0102, 65538, 65538},                       // 'x' is a separator
      {"1-2F", none, none, none},                           // a part that does not read
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseCa(c.text, ap, '$'), c.ca) << c.text;
    EXPECT_EQ(ParseIoa(c.text, ap, '$'), c.ioa) << c.text;
    EXPECT_EQ(ParseIoaText(c.text, ap, '$'), c.ioaText) << c.text;
  }
  EXPECT_EQ(ParseExact(kIpStructure, "192.168.1.2", '$'), R(0xC0A80102));
  EXPECT_EQ(ParseExact(kIpStructure, "192.168.1", '$'), none);
  EXPECT_EQ(ParseExact(kIpStructure, "192.168.1.256", '$'), none);
  EXPECT_EQ(ParseExact(kIpStructure, "1.2.3.4.5", '$'), none);
  EXPECT_EQ(ParseExact(S({4, 4, 4, 4, 8}), "1-2-3-4-5-6", '$'), none);  // a sixth number is not ignored
  EXPECT_EQ(ParseTrailing(S({8, 8, 8}), "1-2", '$'), R(0x000102));
}

TEST(ParseStructure, WidthsMustBeNonZeroAndAddUp) {
  using R = std::optional<T_AdrStruktur>;
  const struct {
    const char* text;
    int total;
    bool ok;
  } cases[] = {
      {"8-8", 16, true},   {"8-0-8", 16, false}, {"4-4", 16, false},      {"12-4", 16, true},
      {"16", 16, true},    {"8 16", 24, true},   {"1-1-1-1-20", 24, true}, {"4-4-4-4-4-4", 24, false},
      {"", 16, false},     {"0", 0, false},      {"4-4", 8, true},         {"4-4F", 8, false},
      {"$8.$8", 16, true},
  };
  for (const auto& c : cases) {
    const R s = ParseStructure(c.text, c.total, '$');
    EXPECT_EQ(s.has_value(), c.ok) << c.text;
    if (!s) continue;
    const ScannedNumbers widths = ScanNumbers(c.text, 5, '$');
    ASSERT_EQ(s->anz, static_cast<int32_t>(widths.numbers.size())) << c.text;
    for (int i = 0; i < s->anz; ++i) EXPECT_EQ(s->fd[i], widths.numbers[i]) << c.text;
  }
}

TEST(StructureText, ReadsBackAsTheSameStructure) {
  for (const T_AdrStruktur& s : {SingleField(16), S({8, 8}), S({3, 5, 16}), S({4, 4, 4, 4, 8})}) {
    for (const char* sep : {"-", ".", " ", ", "}) {
      const std::string text = StructureText(s, sep);
      int total = 0;
      for (int i = 0; i < s.anz; ++i) total += s.fd[i];
      const std::optional<T_AdrStruktur> back = ParseStructure(text, total, '$');
      ASSERT_TRUE(back) << text;
      EXPECT_EQ(std::memcmp(&*back, &s, sizeof s), 0) << text;
    }
  }
  EXPECT_EQ(StructureText(S({3, 5, 16}), "-"), "3-5-16");
}

}  // namespace
}  // namespace qlxs
