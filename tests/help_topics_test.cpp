// The help pages: every topic the program asks for has a page in both
// languages, every link between the pages leads to a file (and anchor) that
// exists, the pages load nothing from outside, and a missing page falls back
// to the other language and then to the contents page.

#include "app/help_topics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/config_state.h"
#include "model/text_table.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

namespace fs = std::filesystem;

const std::string kSourceData = std::string(QLXS_SOURCE_DIR) + "/data/";

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Names of the files in one language folder of the source tree.
std::set<std::string> FilesOf(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

std::vector<fs::path> AllPages() {
  std::vector<fs::path> pages;
  for (const char* lang : {"ger", "usa"})
    for (const auto& e : fs::directory_iterator(kSourceData + "help/" + lang))
      if (e.path().extension() == ".html") pages.push_back(e.path());
  return pages;
}

TEST(HelpPages, EveryTopicHasAPageInBothLanguages) {
  for (int spr : {0, 1}) {
    const std::string folder = HelpFolder(kSourceData, spr);
    for (int topic : HelpTopics())
      EXPECT_TRUE(IsFile(folder + HelpPageName(topic))) << folder << HelpPageName(topic);
  }
  EXPECT_EQ(FilesOf(HelpFolder(kSourceData, 0)), FilesOf(HelpFolder(kSourceData, 1)))
      << "both languages have the same pages";
}

TEST(HelpPages, EveryPageHasATitleAndLoadsNothingFromOutside) {
  const std::regex title("<title>([^<]*\\S[^<]*)</title>");
  const std::regex external("(href|src)\\s*=\\s*\"[a-zA-Z][a-zA-Z0-9+.-]*:");
  const auto pages = AllPages();
  ASSERT_FALSE(pages.empty());
  for (const fs::path& page : pages) {
    const std::string html = ReadAll(page);
    EXPECT_TRUE(std::regex_search(html, title)) << page << ": no title";
    EXPECT_FALSE(std::regex_search(html, external)) << page << ": link with a scheme";
    EXPECT_EQ(html.find("<script"), std::string::npos) << page << ": script";
    EXPECT_EQ(html.find("@import"), std::string::npos) << page << ": imported style";
  }
}

TEST(HelpPages, EveryRelativeLinkLeadsToAFileAndAnchor) {
  const std::regex link("(href|src)\\s*=\\s*\"([^\"]*)\"");
  int links = 0;
  for (const fs::path& page : AllPages()) {
    const std::string html = ReadAll(page);
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
      const std::string target = (*it)[2].str();
      ++links;
      const size_t hash = target.find('#');
      const std::string file = target.substr(0, hash);
      const fs::path resolved = file.empty() ? page : page.parent_path() / file;
      ASSERT_TRUE(fs::is_regular_file(resolved)) << page << ": " << target;
      if (hash != std::string::npos) {
        const std::string anchor = target.substr(hash + 1);
        EXPECT_NE(ReadAll(resolved).find("id=\"" + anchor + "\""), std::string::npos)
            << page << ": " << target << ": no such anchor";
      }
    }
  }
  EXPECT_GT(links, 0);
}

// A program directory with help pages of the given names ("ger/5500.html").
struct HelpDir {
  test::ScratchDir dir;
  explicit HelpDir(std::initializer_list<const char*> pages) {
    for (const char* p : pages) {
      const std::string path = dir.dir() + "help/" + p;
      EXPECT_EQ(MakeDirectories(DirectoryPart(path)), 0);
      dir.write("help/" + std::string(p), "<html></html>");
    }
  }
  std::string Page(const char* p) const { return dir.dir() + "help/" + p; }
};

TEST(HelpPagePath, FallsBackToTheOtherLanguageThenToTheContents) {
  struct Case {
    const char* what;
    std::initializer_list<const char*> pages;
    int spr;
    const char* expected;  // nullptr: no page at all
  };
  const Case cases[] = {
      {"own page", {"ger/5500.html", "usa/5500.html", "ger/110.html"}, 0, "ger/5500.html"},
      {"own page, English", {"ger/5500.html", "usa/5500.html"}, 1, "usa/5500.html"},
      {"other language's page", {"usa/5500.html", "ger/110.html"}, 0, "usa/5500.html"},
      {"own contents", {"ger/110.html", "usa/110.html", "ger/5400.html"}, 1, "usa/110.html"},
      {"other contents", {"ger/110.html"}, 1, "ger/110.html"},
      {"unknown language counts as German", {"ger/5500.html", "usa/5500.html"}, 7, "ger/5500.html"},
      {"nothing there", {"ger/5400.html"}, 0, nullptr},
  };
  for (const Case& c : cases) {
    HelpDir h(c.pages);
    const std::string got = HelpPagePath(h.dir.dir(), c.spr, 5500);
    EXPECT_EQ(got, c.expected ? h.Page(c.expected) : std::string()) << c.what;
  }
}

TEST(HelpPagePath, FindsEveryTopicOfTheInstalledData) {
  // The build copies data/ next to the executables.
  for (int spr : {0, 1})
    for (int topic : HelpTopics())
      EXPECT_EQ(HelpPagePath(QLXS_BIN_DIR "/", spr, topic),
                HelpFolder(QLXS_BIN_DIR "/", spr) + HelpPageName(topic));
}

TEST(ReportHelpMissing, NamesTheHelpFolderOfTheLanguage) {
  RecordingMessageSink sink;
  ConfigState cs(sink);
  cs.AllgVar.ProgDir = "/opt/qlxs/share/";
  cs.PrgPar.spr = 1;
  cs.AllgVar.TxtList.resize(kTextHelpMissing + 1);
  SetText(cs.AllgVar, kTextHelpMissing, "no help in %s");
  ReportHelpMissing(cs);
  ASSERT_EQ(sink.entries.size(), 1u);
  EXPECT_EQ(sink.entries[0].number, kTextHelpMissing);
  EXPECT_EQ(sink.entries[0].type, MsgError);
  EXPECT_EQ(sink.entries[0].text, "no help in /opt/qlxs/share/help/usa/");
}

}  // namespace
}  // namespace qlxs
