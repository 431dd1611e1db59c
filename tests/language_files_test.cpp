// The shipped language files against the shapes their uses need
// (tests/data/text_shapes.txt): every used text is there, formats take the
// right arguments, lists have their items, fixed values hold, the cause lists
// and names are consistent, and language-independent texts agree.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "config/language_texts.h"
#include "config/text_format.h"
#include "config/type_name_file.h"
#include "iec104/cause_lists.h"
#include "iec104/type_table.h"
#include "model/text_file.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "support/monitor_fixture.h"

namespace qlxs {
namespace {

// One line of the shapes file: a keyword and its words.
struct Directive {
  std::string key;
  std::vector<std::string> args;
  std::string rest;  // everything after the keyword and one blank
};

std::vector<int> Numbers(const std::string& list) {
  std::vector<int> out;
  std::stringstream ss(list);
  std::string item;
  while (std::getline(ss, item, ',')) {
    const size_t dash = item.find('-');
    const int lo = std::stoi(item.substr(0, dash));
    const int hi = dash == std::string::npos ? lo : std::stoi(item.substr(dash + 1));
    for (int n = lo; n <= hi; ++n) out.push_back(n);
  }
  return out;
}

std::vector<Directive> ReadShapes() {
  std::vector<Directive> out;
  std::ifstream in(QLXS_SOURCE_DIR "/tests/data/text_shapes.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    Directive d;
    std::stringstream ss(line);
    ss >> d.key;
    const size_t sp = line.find(' ');
    d.rest = sp == std::string::npos ? "" : line.substr(sp + 1);
    for (std::string w; ss >> w;) d.args.push_back(w);
    out.push_back(d);
  }
  return out;
}

// A shipped language, loaded the way the program loads it.
struct Language {
  std::string name;
  std::vector<std::string> raw;  // texts as in the file, before decoding
  T_AllgVar v;                   // after LoadTexts and LoadTypeNames
  bool loaded = false;
  std::vector<RecordingMessageSink::Entry> messages;

  const std::string& T(int n) const { return Text(v, n); }
  const std::string& Raw(int n) const {
    static const std::string empty;
    return n >= 0 && static_cast<size_t>(n) < raw.size() ? raw[n] : empty;
  }
};

Language Load(int index) {
  Language lang;
  lang.name = "QLXSText." + LanguageExtension(index);
  test::TestMonitor tm;
  Monitor& m = tm.m;
  m.AllgVar.ProgDir = QLXS_BIN_DIR "/";
  lang.loaded = LoadTexts(m, index);
  LoadTypeNames(m.AllgVar);
  lang.v = m.AllgVar;
  lang.messages = tm.sink.entries;
  ReadTextFile(LanguageFileName(m.AllgVar.ProgDir, index), lang.raw);
  return lang;
}

class LanguageFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    languages_ = new std::vector<Language>{Load(LangGerman), Load(LangEnglish)};
    shapes_ = new std::vector<Directive>(ReadShapes());
  }
  static void TearDownTestSuite() {
    delete languages_;
    delete shapes_;
  }
  static std::vector<Directive> All(const std::string& key) {
    std::vector<Directive> out;
    for (const Directive& d : *shapes_)
      if (d.key == key) out.push_back(d);
    return out;
  }
  static std::vector<Language>* languages_;
  static std::vector<Directive>* shapes_;
};
std::vector<Language>* LanguageFiles::languages_ = nullptr;
std::vector<Directive>* LanguageFiles::shapes_ = nullptr;

bool IsDecimal(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

TEST_F(LanguageFiles, BothLoadWithoutMessages) {
  ASSERT_FALSE(shapes_->empty()) << "shapes file missing";
  for (const Language& l : *languages_) {
    EXPECT_TRUE(l.loaded) << l.name;
    EXPECT_TRUE(l.messages.empty()) << l.name << ": " << (l.messages.empty() ? "" : l.messages[0].text);
  }
}

TEST_F(LanguageFiles, EveryUsedTextIsPresentAndFilled) {
  std::set<int> optional;
  for (const Directive& d : All("optional")) for (int n : Numbers(d.args[0])) optional.insert(n);
  for (const Directive& d : All("used"))
    for (const Language& l : *languages_)
      for (int n : Numbers(d.args[0])) {
        EXPECT_LT(static_cast<size_t>(n), l.v.TxtList.size()) << l.name << ": text " << n << " missing";
        if (!optional.count(n)) {
          EXPECT_FALSE(l.Raw(n).empty()) << l.name << ": text " << n << " is empty";
        }
      }
  for (const Directive& d : All("empty"))
    for (const Language& l : *languages_)
      for (int n : Numbers(d.args[0])) EXPECT_EQ(l.Raw(n), "") << l.name << ": text " << n;
}

TEST_F(LanguageFiles, FormatsTakeTheArgumentsTheirCallersPass) {
  for (const Directive& d : All("format"))
    for (const Language& l : *languages_) {
      const int n = std::stoi(d.args[0]);
      EXPECT_EQ(FormatArgumentKinds(l.T(n)), d.args[1]) << l.name << ": text " << n << " = \"" << l.T(n) << "\"";
    }
}

TEST_F(LanguageFiles, ListsAndCountsHaveTheirItems) {
  for (const Language& l : *languages_) {
    for (const Directive& d : All("commas")) {
      const int n = std::stoi(d.args[0]);
      const std::string& t = l.T(n);
      EXPECT_EQ(std::count(t.begin(), t.end(), ',') + 1, std::stoi(d.args[1])) << l.name << ": text " << n;
    }
    for (const Directive& d : All("combo")) {
      const int n = std::stoi(d.args[0]);
      const std::string& count = l.T(n + 1);
      ASSERT_TRUE(IsDecimal(count)) << l.name << ": item count text " << n + 1 << " = \"" << count << "\"";
      const int c = std::stoi(count);
      EXPECT_GE(c, std::stoi(d.args[1])) << l.name << ": combo " << n;
      if (d.args[2] != "-") {
        EXPECT_LE(c, std::stoi(d.args[2])) << l.name << ": combo " << n;
      }
      for (int i = 0; i < c; ++i) {
        EXPECT_FALSE(l.T(n + 2 + i).empty()) << l.name << ": combo item text " << n + 2 + i;
        if (d.args[3] == "decimal") {
          EXPECT_TRUE(IsDecimal(l.T(n + 2 + i))) << l.name << ": text " << n + 2 + i;
        }
      }
    }
    for (const Directive& d : All("count")) {
      const int n = std::stoi(d.args[0]);
      ASSERT_TRUE(IsDecimal(l.T(n))) << l.name << ": text " << n;
      EXPECT_GE(std::stoi(l.T(n)), std::stoi(d.args[1])) << l.name << ": text " << n;
      EXPECT_LE(std::stoi(l.T(n)), std::stoi(d.args[2])) << l.name << ": text " << n;
    }
  }
}

TEST_F(LanguageFiles, FixedValuesLengthsAndExtensionsHold) {
  for (const Language& l : *languages_) {
    for (const Directive& d : All("exact")) {
      const int n = std::stoi(d.args[0]);
      EXPECT_EQ(l.T(n), d.rest.substr(d.rest.find(' ') + 1)) << l.name << ": text " << n;
    }
    auto len = [&](int n) { return static_cast<int>(Utf8Length(l.T(n))); };
    for (const Directive& d : All("length")) EXPECT_EQ(len(std::stoi(d.args[0])), std::stoi(d.args[1])) << l.name << ": text " << d.args[0];
    for (const Directive& d : All("minlength")) EXPECT_GE(len(std::stoi(d.args[0])), std::stoi(d.args[1])) << l.name << ": text " << d.args[0];
    for (const Directive& d : All("maxlength")) EXPECT_LE(len(std::stoi(d.args[0])), std::stoi(d.args[1])) << l.name << ": text " << d.args[0];
    for (const Directive& d : All("dotext"))
      for (int n : Numbers(d.args[0])) {
        EXPECT_GE(l.T(n).size(), 2u) << l.name << ": text " << n;
        EXPECT_EQ(l.T(n).substr(0, 1), ".") << l.name << ": text " << n;
      }
    for (const Directive& d : All("nodotext"))
      for (int n : Numbers(d.args[0])) {
        EXPECT_FALSE(l.T(n).empty()) << l.name << ": text " << n;
        EXPECT_EQ(l.T(n).find('.'), std::string::npos) << l.name << ": text " << n;
      }
    for (const Directive& d : All("differs"))
      EXPECT_NE(l.T(std::stoi(d.args[0])), l.T(std::stoi(d.args[1]))) << l.name << ": texts " << d.args[0] << ", " << d.args[1];
    for (const Directive& d : All("filter"))
      for (int n : Numbers(d.args[0])) {
        for (size_t at = 0;;) {
          const size_t next = l.T(n).find(";;", at);
          const std::string entry = l.T(n).substr(at, next == std::string::npos ? std::string::npos : next - at);
          EXPECT_NE(entry.find(" (*"), std::string::npos) << l.name << ": text " << n << " entry \"" << entry << "\"";
          EXPECT_TRUE(!entry.empty() && entry.back() == ')') << l.name << ": text " << n;
          if (next == std::string::npos) break;
          at = next + 2;
        }
      }
    for (const Directive& d : All("lg4filter"))
      for (int n : Numbers(d.args[0])) EXPECT_NE(l.T(n).find("(*.lg4)"), std::string::npos) << l.name << ": text " << n;
  }
}

TEST_F(LanguageFiles, CharactersWithARoleAreUsable) {
  for (const Language& l : *languages_) {
    for (const Directive& d : All("hexprefix")) {
      const std::string& t = l.T(std::stoi(d.args[0]));
      ASSERT_FALSE(t.empty()) << l.name;
      EXPECT_EQ(std::string("0123456789ABCDEFabcdef ").find(t[0]), std::string::npos) << l.name << ": \"" << t << "\"";
      EXPECT_EQ(l.v.khex, t[0]) << l.name;
    }
    for (const Directive& d : All("separator")) {
      const std::string& t = l.T(std::stoi(d.args[0]));
      ASSERT_FALSE(t.empty()) << l.name;
      EXPECT_EQ(std::string("0123456789 ").find(t[0]), std::string::npos) << l.name;
      EXPECT_EQ(l.v.tz, t[0]) << l.name;
    }
    EXPECT_EQ(l.v.bitz, l.T(kTextBitChars).substr(0, 2)) << l.name;
    for (const Directive& d : All("nocomnumber")) {
      const std::string& t = l.T(std::stoi(d.args[0]));
      const std::string chars = t.size() > 5 ? t.substr(5, 3) : "";
      EXPECT_FALSE(IsDecimal(chars) && std::stoi(chars) != 0) << l.name << ": \"" << t << "\"";
    }
    for (const Directive& d : All("widthcaption"))
      for (int n : Numbers(d.args[0])) EXPECT_TRUE(IsDecimal(l.T(n).substr(0, l.T(n).find(',')))) << l.name << ": text " << n;
    for (const Directive& d : All("fontsizes")) {
      const std::string& t = l.T(std::stoi(d.args[0]));
      std::stringstream ss(t);
      std::string item;
      for (int i = 0; std::getline(ss, item, ','); ++i) {
        const std::string size = item.substr(item.find_first_not_of(' '));
        ASSERT_TRUE(IsDecimal(size)) << l.name << ": item " << i;
        // The dialog finds a size by its position: position div 6 is its item.
        EXPECT_EQ(static_cast<int>(t.find(size) + 1) / 6, i) << l.name << ": size " << size;
      }
    }
    for (const Directive& d : All("keyword")) {
      const std::string& t = l.T(std::stoi(d.args[0]));
      EXPECT_FALSE(t.empty());
      for (const char* reserved : {"RWE", "CA", "IP", "URS"}) EXPECT_NE(t, reserved) << l.name;
      EXPECT_EQ(t.find(l.v.tz), std::string::npos) << l.name;
    }
  }
}

TEST_F(LanguageFiles, CauseListsAreWrittenAsPairsAndCoverTheTypeList) {
  for (const Directive& d : All("causelists"))
    for (const Language& l : *languages_) {
      const int first = std::stoi(d.args[0]), last = std::stoi(d.args[1]);
      ASSERT_EQ(l.v.maxpicktyp, last - first) << l.name << ": one cause list per entry of the type list";
      const std::string& all = l.T(first);
      for (int n = first; n <= last; ++n) {
        const std::string& raw = l.Raw(n);
        EXPECT_TRUE(!raw.empty() && raw.size() % 2 == 0 && IsDecimal(raw)) << l.name << ": text " << n << " = \"" << raw << "\"";
        const std::string& list = l.T(n);
        EXPECT_EQ(list.size() * 2, raw.size()) << l.name << ": text " << n << " did not decode completely";
        for (size_t i = 0; i < list.size(); ++i) {
          const int c = static_cast<unsigned char>(list[i]);
          EXPECT_TRUE(c >= 1 && c <= 63) << l.name << ": text " << n << " cause " << c;
          EXPECT_NE(all.find(list[i]), std::string::npos) << l.name << ": text " << n << " cause " << c << " not defined";
          if (i > 0) {
            EXPECT_LT(static_cast<unsigned char>(list[i - 1]), c) << l.name << ": text " << n << " not ascending";
          }
        }
      }
      EXPECT_EQ(l.T(last + 1), "") << l.name << ": the text after the last list must end the decoding";
    }
}

// The rules of IEC 60870-5-101/104 that the cause lists must follow,
// one case per kind of type (see docs/cause-lists.md).
TEST_F(LanguageFiles, CauseListsFollowTheCompanionStandards) {
  const struct {
    int type, cause;
    bool permitted;
  } cases[] = {
      {1, 20, true},    // interrogated by station interrogation
      {1, 36, true},    // interrogated by group 16
      {1, 11, true},    // return information, remote command
      {1, 6, false},    // monitor information is never activated
      {7, 11, false},   // bitstrings are no return information
      {9, 1, true},     // measured values may be periodic
      {1, 1, false},
      {15, 37, true},   // integrated totals answer counter interrogation
      {15, 20, false},
      {30, 3, true},    // time-tagged information is spontaneous ...
      {30, 20, false},  // ... and no answer to an interrogation
      {38, 3, true},
      {38, 5, false},
      {45, 6, true},    // commands: activation and its confirmation, termination
      {45, 10, true},
      {45, 47, true},   // the mirrored "unknown" causes
      {45, 3, false},
      {51, 8, false},   // no deactivation of a bitstring command
      {58, 9, true},    // time-tagged commands like their untagged forms
      {70, 4, true},    // end of initialization
      {70, 3, false},
      {100, 8, true},
      {101, 8, false},
      {102, 5, true},
      {102, 6, false},
      {103, 3, true},
      {110, 20, true},  // parameters answer interrogations
      {113, 9, true},
      {120, 13, true},  // file transfer
      {122, 5, true},
      {126, 5, true},
      {126, 13, false},
  };
  for (const Language& l : *languages_)
    for (const auto& c : cases)
      EXPECT_EQ(CausePermitted(l.v, TypeGroup(l.v, c.type), c.cause), c.permitted)
          << l.name << ": type " << c.type << ", cause " << c.cause;
}

TEST_F(LanguageFiles, TypeAndCauseNamesMatchTheTypeNameFileAndTheCauseList) {
  for (const Language& l : *languages_) {
    for (const Directive& d : All("whole"))
      for (int n : Numbers(d.args[0])) EXPECT_EQ(l.T(n).find("  "), std::string::npos) << l.name << ": text " << n;
    for (const Directive& d : All("typenames")) {
      const int base = std::stoi(d.args[0]);
      for (int t = 1; t <= 127; ++t) {
        const std::string& text = l.T(base + t);
        const std::string& abbreviation = l.v.TypeNames[t];
        if (IsDefinedType(t)) {
          EXPECT_FALSE(abbreviation.empty()) << "type-name file lacks type " << t;
        }
        if (abbreviation.empty()) {
          EXPECT_EQ(text.find("  "), std::string::npos) << l.name << ": type " << t << " has no name";
          continue;
        }
        const size_t p = text.find("  ");
        ASSERT_NE(p, std::string::npos) << l.name << ": type " << t << " needs short and long name";
        EXPECT_EQ(text.substr(0, p), abbreviation) << l.name << ": type " << t;
        EXPECT_GT(text.size(), p + 2) << l.name << ": type " << t;
      }
    }
    for (const Directive& d : All("causenames")) {
      const int base = std::stoi(d.args[0]);
      const std::string& defined = l.T(kTextFirstNumberList);
      for (int c = 1; c <= 63; ++c) {
        const std::string& text = l.T(base + c);
        if (defined.find(static_cast<char>(c)) == std::string::npos) {
          EXPECT_EQ(text, l.T(base)) << l.name << ": undefined cause " << c << " must read like cause 0";
        } else {
          const size_t p = text.find("  ");
          EXPECT_TRUE(p != std::string::npos && p > 0 && text.size() > p + 2) << l.name << ": cause " << c << " = \"" << text << "\"";
        }
      }
    }
    for (const Directive& d : All("typeentries"))
      for (int n : Numbers(d.args[0]))
        EXPECT_EQ(l.T(n).rfind(" " + std::to_string(n - 950) + "=", 0), 0u) << l.name << ": text " << n;
  }
}

TEST_F(LanguageFiles, LanguageIndependentTextsAgree) {
  const Language& ger = (*languages_)[0];
  const Language& usa = (*languages_)[1];
  for (const Directive& d : All("same"))
    for (int n : Numbers(d.args[0])) EXPECT_EQ(ger.Raw(n), usa.Raw(n)) << "text " << n;
  EXPECT_EQ(ger.T(kTextTypeNameFile), usa.T(kTextTypeNameFile));
}

}  // namespace
}  // namespace qlxs
