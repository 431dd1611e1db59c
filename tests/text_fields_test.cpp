// Fields of separator-delimited lines and the small numbers read from them.

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

#include "config/text_fields.h"

namespace qlxs {
namespace {

TEST(TextFields, SplittingTakesFieldsUpToTheNextSeparator) {
  const struct {
    std::string_view line;
    std::vector<std::string_view> fields;  // SplitField until the line is empty
    int separators;
  } cases[] = {
      {"a;b;c", {"a", "b", "c"}, 2},
      {"a;;c;", {"a", "", "c"}, 3},  // a separator at the end leaves nothing after it
      {" a ; b ", {" a ", " b "}, 1},
      {"no separator", {"no separator"}, 0},
      {";x", {"", "x"}, 1},
  };
  for (const auto& c : cases) {
    std::string_view rest = c.line;
    std::vector<std::string_view> got;
    do got.push_back(SplitField(rest, ';'));
    while (!rest.empty());
    EXPECT_EQ(got, c.fields) << c.line;
    EXPECT_EQ(CountSeparators(c.line, ';'), c.separators) << c.line;
  }
  std::string_view rest = "12-7";
  EXPECT_EQ(SplitAt(rest, '-'), "12");
  EXPECT_EQ(rest, "7");
  EXPECT_EQ(SplitAt(rest, '-'), "7");
  EXPECT_EQ(rest, "");
}

TEST(TextFields, QuotesAroundTheWholeLine) {
  const struct {
    std::string_view line, stripped;
  } cases[] = {
      {"\"a;b\"", "a;b"},       {"\"a;b", "a;b"},     {"a;b\"", "a;b\""}, {"\"\"", ""},
      {"\"", ""},               {"\"a;\"b\"\"", "a;\"b\""}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StripQuotes(c.line), c.stripped) << c.line;
}

TEST(TextFields, IntegersInARange) {
  using R = std::optional<int32_t>;
  const struct {
    std::string_view text;
    int32_t low, high;
    R value;
  } cases[] = {
      {"15", 0, 15, 15},           {"16", 0, 15, std::nullopt}, {" 7 ", 0, 19, 7},
      {"-1", 0, 255, std::nullopt}, {"-1", 0, 0, -1},            // low == high: no range
      {"+5", 0, 9, 5},             {"+-5", -9, 9, std::nullopt}, {"", 0, 0, std::nullopt},
      {"1x", 0, 0, std::nullopt},  {"$10", 0, 0, std::nullopt},  {"2147483648", 0, 0, std::nullopt},
      {"-2147483648", 0, 0, INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIntRange(c.text, c.low, c.high), c.value) << c.text;
}

}  // namespace
}  // namespace qlxs
