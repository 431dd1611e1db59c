// Reading text files: UTF-8, Windows-1252 fallback, line ends.

#include <gtest/gtest.h>

#include <cerrno>

#include "model/text_file.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

TEST(TextFile, Utf8Validation) {
  const struct {
    std::string bytes;
    bool valid;
  } cases[] = {
      {"plain ASCII", true},
      {"Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80", true},
      {"Gr\xF6\xDF" "e", false},          // Windows-1252
      {"\xC3", false},                    // cut short
      {"\xC0\xAF", false},                // overlong
      {"\xE0\x80\xAF", false},            // overlong
      {"\xED\xA0\x80", false},            // surrogate
      {"\xF4\x90\x80\x80", false},        // above U+10FFFF
      {"\xE2\x82", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(TextFile, DecodingFallsBackToWindows1252) {
  EXPECT_EQ(DecodeTextFile("Gr\xF6\xDF" "e \x80 \x81"), "Größe € \xEF\xBF\xBD");
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF" "Größe"), "Größe") << "the byte order mark goes";
  EXPECT_EQ(DecodeTextFile("Größe"), "Größe");
}

TEST(TextFile, LinesEndAtCrLfLfOrCr) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(TextFile, ReadsRealFilesAndReportsErrors) {
  test::ScratchDir dir;
  std::vector<std::string> lines;
  EXPECT_EQ(ReadTextLines(dir.write("win.txt", "1;Gr\xF6\xDF" "e;\r\n2;x;\r\n"), lines), 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"1;Größe;", "2;x;"}));
  EXPECT_EQ(ReadTextLines(dir.file("missing.txt"), lines), ENOENT);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(ReadTextLines(dir.dir(), lines), EISDIR);
}

TEST(TextFile, CharacterPositions) {
  EXPECT_EQ(Utf8Length("Größe"), 5u);
  EXPECT_EQ(Utf8Offset("Größe", 3), 4u);
  EXPECT_EQ(Utf8Offset("ab", 5), 2u);
}

}  // namespace
}  // namespace qlxs
