// The language file loader: numbering rules, the four errors with their
// messages, the values derived after a load and their fallbacks, lookups.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "config/language_texts.h"
#include "iec104/cause_lists.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

// "%4d  text" lines for the texts first..last, each text "t<n>".
std::string Numbered(int first, int last) {
  std::string out;
  char buf[32];
  for (int n = first; n <= last; ++n) {
    std::snprintf(buf, sizeof buf, "%4d  t%d\n", n, n);
    out += buf;
  }
  return out;
}

class LanguageTexts : public ::testing::Test {
 protected:
  LanguageTexts() : m(clock, sink) { m.AllgVar.ProgDir = dir.dir(); }

  // Writes the German file and loads it.
  bool Load(const std::string& content) {
    dir.write("QLXSText.ger", content);
    return LoadTexts(m, LangGerman);
  }
  std::string T(int n) const { return Text(m.AllgVar, n); }

  test::ScratchDir dir;
  ManualClock clock;
  RecordingMessageSink sink;
  Monitor m;
};

TEST_F(LanguageTexts, FileNamesFollowTheLanguageIndex) {
  EXPECT_EQ(LanguageFileName("/opt/qlxs/", LangGerman), "/opt/qlxs/QLXSText.ger");
  EXPECT_EQ(LanguageFileName("/opt/qlxs/", LangEnglish), "/opt/qlxs/QLXSText.usa");
  EXPECT_EQ(LanguageExtension(2), "");
  EXPECT_EQ(LanguageExtension(-1), "");
}

TEST_F(LanguageTexts, ThousandTextsLoadAndOneFewerIsTooShort) {
  ASSERT_TRUE(Load(Numbered(0, 999)));
  EXPECT_EQ(m.AllgVar.TxtList.size(), 1000u);
  EXPECT_EQ(T(999), "t999");
  EXPECT_TRUE(sink.entries.empty());

  EXPECT_FALSE(Load("; comment\n" + Numbered(0, 998)));
  ASSERT_EQ(sink.entries.size(), 1u);
  // Error 1 names the line after the last one read, then the file.
  EXPECT_EQ(sink.entries[0].text, "Program text file missing/wrong 1001\r\n" + dir.file("QLXSText.ger"));
  EXPECT_EQ(sink.entries[0].type, MsgError);
  EXPECT_EQ(sink.entries[0].buttons, ButtonsOk);
  EXPECT_EQ(sink.entries[0].place, PlaceScreenCentre);
  EXPECT_EQ(m.AllgVar.TxtList.size(), 999u) << "the texts read before the error stay";
}

TEST_F(LanguageTexts, MissingOrUnreadableFileIsErrorOneAtLineOne) {
  EXPECT_FALSE(LoadTexts(m, LangEnglish));
  ASSERT_EQ(sink.entries.size(), 1u);
  EXPECT_EQ(sink.entries[0].text, "Program text file missing/wrong    1\r\n" + dir.file("QLXSText.usa"));

  // A directory of that name cannot be read either.
  std::filesystem::create_directory(dir.file("QLXSText.ger"));
  EXPECT_FALSE(LoadTexts(m, LangGerman));
  EXPECT_EQ(sink.entries.back().text, "Program text file missing/wrong    1\r\n" + dir.file("QLXSText.ger"));
}

// Files that stop the loader, with the error, the line number and the line
// the message shows.
struct BadFile {
  const char* name;
  std::string content;
  int error;
  int line;
  std::string shown;
};

TEST_F(LanguageTexts, BadNumberingStopsWithItsErrorLineNumberAndLine) {
  const std::vector<BadFile> cases = {
      {"jump after 4", Numbered(0, 4) + "   7  seven\n", 3, 6, "   7  seven"},
      {"number above 3000", Numbered(0, 2) + "3001  x\n", 2, 4, "3001  x"},
      {"not a number", Numbered(0, 2) + "  x3  x\n", 2, 4, "  x3  x"},
      {"left-aligned number", Numbered(0, 4) + "5     five\n", 2, 6, "5     five"},
      {"negative number", Numbered(0, 2) + "  -3  x\n", 3, 4, "  -3  x"},
      {"repeated number", Numbered(0, 2) + "   2  again\n", 3, 4, "   2  again"},
      {"3001st text", Numbered(0, 2999) + "      one too many\n", 4, 3001, "      one too many"},
  };
  for (const BadFile& c : cases) {
    sink.entries.clear();
    EXPECT_FALSE(Load(c.content)) << c.name;
    ASSERT_EQ(sink.entries.size(), 1u) << c.name;
    static const char* const kMessages[] = {"", "Program text file missing/wrong", "Text number wrong, line:",
                                            "Line number jumps, line:", "Too many lines, line:"};
    char number[16];
    std::snprintf(number, sizeof number, "%5d", c.line);
    EXPECT_EQ(sink.entries[0].text, std::string(kMessages[c.error]) + number + "\r\n" + c.shown) << c.name;
  }
}

TEST_F(LanguageTexts, NumberingRules) {
  // Starting at 18 leaves 0..17 empty; a later 18 is just the next text.
  std::string file = "  18  eighteen\n" + Numbered(19, 30) + "  18  thirty-one\n" + Numbered(32, 999);
  // Blank number columns take the next number; short lines and ";" lines are skipped.
  file += "      one thousand\n1001  \n; 1001  comment\n1001  x;\n";
  ASSERT_TRUE(Load(file)) << (sink.entries.empty() ? "" : sink.entries[0].text);
  EXPECT_EQ(T(0), "");
  EXPECT_EQ(T(17), "");
  EXPECT_EQ(T(18), "eighteen");
  EXPECT_EQ(T(31), "thirty-one");
  EXPECT_EQ(T(1000), "one thousand");
  EXPECT_EQ(T(1001), "x");
  EXPECT_EQ(m.AllgVar.TxtList.size(), 1002u);

  // A jump to 18 from below fills the gap with empty texts.
  ASSERT_TRUE(Load(Numbered(0, 5) + "  18  x\n" + Numbered(19, 999)));
  EXPECT_EQ(T(5), "t5");
  EXPECT_EQ(T(6), "");
  EXPECT_EQ(T(18), "x");
}

TEST_F(LanguageTexts, TextIsCutBeforeItsLastSemicolon) {
  std::string file = Numbered(0, 0);
  file += "   1  word; a comment\n";
  file += "   2  a;b;\n";
  file += "   3  ends in blanks  ;\n";
  file += "   4  ;\n";
  file += "   5    \n";         // blanks stay blanks: only ";" makes an empty text
  file += "   6  Größe\n";      // columns count characters, not bytes
  file += Numbered(7, 999);
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(T(1), "word");
  EXPECT_EQ(T(2), "a;b");
  EXPECT_EQ(T(3), "ends in blanks  ");
  EXPECT_EQ(T(4), "");
  EXPECT_EQ(T(5), "  ");
  EXPECT_EQ(T(6), "Größe");
  EXPECT_EQ(TextLength(m.AllgVar, 6), 5);
}

TEST_F(LanguageTexts, WindowsFileIsReadAsWindows1252) {
  std::string file = Numbered(0, 5) + "   6  Gr\xF6\xDF" "e \x80\r\n" + Numbered(7, 999);
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(T(6), "Größe €");
}

TEST_F(LanguageTexts, LookupsOutsideTheTableAreEmptyAndChangeNothing) {
  ASSERT_TRUE(Load(Numbered(0, 999)));
  EXPECT_EQ(T(1000), "");
  EXPECT_EQ(T(-1), "");
  EXPECT_EQ(TextLength(m.AllgVar, 5000), 0);
  SetText(m.AllgVar, 836, " 0..65535");
  EXPECT_EQ(T(836), " 0..65535");
  SetText(m.AllgVar, 1000, "x");
  SetText(m.AllgVar, -1, "x");
  EXPECT_EQ(m.AllgVar.TxtList.size(), 1000u);
}

// A complete file with the texts the derived values come from; the other
// texts hold no digits, so they end the decoding of number lists.
std::string WithTexts(const std::vector<std::pair<int, std::string>>& texts, int last = 1200) {
  std::string out;
  char buf[32];
  for (int n = 0; n <= last; ++n) {
    std::string t = "text";
    for (const auto& [num, text] : texts)
      if (num == n) t = text + ";";
    std::snprintf(buf, sizeof buf, "%4d  ", n);
    out += buf + t + "\n";
  }
  return out;
}

TEST_F(LanguageTexts, DerivedValuesAfterALoad) {
  ASSERT_TRUE(Load(WithTexts({{25, "$hex"}, {27, ".X"}, {1172, "\t"}, {1163, "help/de/index.html"},
                              {1009, "6566"}, {1010, "0305"}, {1011, ""}, {1012, "0102"}})));
  EXPECT_EQ(m.AllgVar.khex, '$');
  EXPECT_EQ(m.AllgVar.bitz, ".X");
  EXPECT_EQ(m.AllgVar.tz, ';') << "a control character cannot separate fields";
  EXPECT_EQ(m.AllgVar.HelpFile, dir.dir() + "help/de/index.html");
  EXPECT_EQ(m.AllgVar.maxpicktyp, 59);
  EXPECT_EQ(m.AllgVar.TypStr.size(), 59u);
  // Number lists are decoded up to the first that decodes to nothing.
  EXPECT_EQ(T(1009), "AB");
  EXPECT_EQ(T(1010), "\x03\x05");
  EXPECT_EQ(T(1011), "");
  EXPECT_EQ(T(1012), "0102");
}

TEST_F(LanguageTexts, UnusableTextsFallBackToDefaults) {
  // Empty marker and separator, a one-character bit text, number lists with
  // pairs that are not decimal and an odd digit: nothing breaks.
  ASSERT_TRUE(Load(WithTexts({{25, ""}, {27, "X"}, {1172, ""}, {1009, "0A6566x"}, {1010, "ABCD"}, {1011, "01"}})));
  EXPECT_EQ(m.AllgVar.khex, '$');
  EXPECT_EQ(m.AllgVar.bitz, "01");
  EXPECT_EQ(m.AllgVar.tz, ';');
  EXPECT_EQ(T(1009), "AB");
  EXPECT_EQ(T(1010), "") << "a list without any number ends the decoding";
  EXPECT_EQ(T(1011), "01");

  ASSERT_TRUE(Load(WithTexts({{25, "äh"}, {27, "ö1"}, {1172, "§"}})));
  EXPECT_EQ(m.AllgVar.khex, '$');
  EXPECT_EQ(m.AllgVar.bitz, "01");
  EXPECT_EQ(m.AllgVar.tz, ';');
}

TEST_F(LanguageTexts, FailedLoadKeepsTheDerivedValues) {
  ASSERT_TRUE(Load(WithTexts({{25, "#"}, {1172, ","}})));
  EXPECT_FALSE(Load(Numbered(0, 10) + "  12  jump\n"));
  EXPECT_EQ(m.AllgVar.khex, '#');
  EXPECT_EQ(m.AllgVar.tz, ',');
  EXPECT_EQ(m.AllgVar.TxtList.size(), 11u);
}

}  // namespace
}  // namespace qlxs
