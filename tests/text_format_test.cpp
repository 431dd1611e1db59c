// Formatting with language texts: the notation of the language files,
// locale-independent here (C locale), and safe with mismatched arguments.

#include <gtest/gtest.h>

#include <clocale>

#include "config/text_format.h"

namespace qlxs {
namespace {

class TextFormat : public ::testing::Test {
 protected:
  void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(TextFormat, Specifiers) {
  EXPECT_EQ(FormatText("  N(S)=%d  N(R)=%d", {3, 2}), "  N(S)=3  N(R)=2");
  EXPECT_EQ(FormatText("[%5d|%-5d|%.3d]", {42, 42, 7}), "[   42|42   |007]");
  EXPECT_EQ(FormatText("%*d", {5, 42}), "   42");
  EXPECT_EQ(FormatText("%x %u", {255, -1}), "FF 4294967295");
  EXPECT_EQ(FormatText("%1.3f s", {1.5}), "1.500 s");
  EXPECT_EQ(FormatText("%6.*f%%", {2, 50.0}), " 50.00%");
  EXPECT_EQ(FormatText("%.0n telegrams", {1234567.0}), "1,234,567 telegrams");
  EXPECT_EQ(FormatText("%.2n", {-1234.5}), "-1,234.50");
  EXPECT_EQ(FormatText("%s -> %s", {"10.0.0.1:2404", std::string("10.0.0.2:1024")}), "10.0.0.1:2404 -> 10.0.0.2:1024");
  EXPECT_EQ(FormatText("%.3s|%5s|%-5s|", {"Größe", "äb", "äb"}), "Grö|   äb|äb   |") << "widths count characters";
  EXPECT_EQ(FormatText("%1:s %0:s", {"a", "b"}), "b a");
  EXPECT_EQ(FormatText("100 % of %d", {5}), "100 % of 5") << "a % not followed by a kind is a character";
}

TEST_F(TextFormat, MismatchedOrMissingArgumentsAreHarmless) {
  EXPECT_EQ(FormatText("%s", {42}), "42");
  EXPECT_EQ(FormatText("%d", {"text"}), "text");
  EXPECT_EQ(FormatText("%d", {2.9}), "2");
  EXPECT_EQ(FormatText("%f", {2}), "2.00");
  EXPECT_EQ(FormatText("%d %d %s", {1}), "1  ");
  EXPECT_EQ(FormatText("%s%s%s%s%s%s%n", {}), "");
  EXPECT_EQ(FormatText("%z", {1}), "%z");
  EXPECT_EQ(FormatText("%", {}), "%");
  EXPECT_EQ(FormatText("%99999d", {1}).size(), 1000u) << "widths are bounded";
}

TEST_F(TextFormat, ArgumentKinds) {
  const struct {
    const char* fmt;
    const char* kinds;
  } cases[] = {
      {"  N(S)=%d  N(R)=%d", "ii"},
      {"  %s: %.0n telegrams, %.0n errors", "srr"},
      {"%*.0n", "ir"},
      {"%6.*f%%", "ir"},
      {"100 % done", ""},
      {"%%d", ""},
      {"%z", "?z"},
      {"%1:s", "s"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatArgumentKinds(c.fmt), c.kinds) << c.fmt;
}

}  // namespace
}  // namespace qlxs
