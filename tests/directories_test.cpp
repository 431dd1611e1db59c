#include <gtest/gtest.h>

#include "platform/directories.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using test::ScopedEnv;

TEST(Directories, XdgVariablesWithFallbacks) {
  ScopedEnv home("HOME", "/home/anna");
  {
    ScopedEnv c("XDG_CONFIG_HOME", "/cfg");
    ScopedEnv d("XDG_DATA_HOME", "/data/");
    EXPECT_EQ(ConfigHome(), "/cfg/");
    EXPECT_EQ(DataHome(), "/data/");
    EXPECT_EQ(ApplicationDataDirectory(), "/data/Brakel/DemoQuallixS/");
  }
  {
    // Unset or relative values are ignored, as the XDG rules say.
    ScopedEnv c("XDG_CONFIG_HOME");
    ScopedEnv d("XDG_DATA_HOME", "relative/share");
    EXPECT_EQ(ConfigHome(), "/home/anna/.config/");
    EXPECT_EQ(DataHome(), "/home/anna/.local/share/");
  }
  test::ScratchDir run;
  {
    ScopedEnv r("XDG_RUNTIME_DIR", run.dir());
    EXPECT_EQ(RuntimeDirectory(), run.dir());
  }
  {
    ScopedEnv r("XDG_RUNTIME_DIR", run.file("missing"));
    EXPECT_EQ(RuntimeDirectory(), "/tmp/");
  }
}

TEST(Directories, ProgramDirectoryAndInstallPrefix) {
  EXPECT_EQ(InstallPrefix("/usr/bin"), "/usr/");
  EXPECT_EQ(InstallPrefix("/opt/qlxs/bin/"), "/opt/qlxs/");
  EXPECT_EQ(InstallPrefix("/usr/local/share/qlxs/"), "/usr/local/");
  EXPECT_EQ(InstallPrefix("/home/u/src/qlxs/build/"), "/home/u/src/qlxs/build/");

  // A build tree holds the language file next to the executable; an
  // installed program finds it under <prefix>/share/qlxs/.
  test::ScratchDir tree;
  EXPECT_EQ(ProgramDirectory(tree.dir()), InstallPrefix(tree.dir()) + "share/qlxs/");
  ASSERT_TRUE(test::WriteFile(tree.file("QLXSText.ger"), "texts"));
  EXPECT_EQ(ProgramDirectory(tree.dir()), tree.dir());
  EXPECT_EQ(ProgramDirectory("/usr/bin/"), "/usr/share/qlxs/");
}

TEST(Directories, GermanIsTakenFromTheLocaleVariablesInPosixOrder) {
  const struct {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    bool german;
  } cases[] = {
      {"", "", "de_DE.UTF-8", true},
      {"", "", "de", true},
      {"", "", "en_GB.UTF-8", false},
      {"", "", "", false},
      {"", "", "C", false},
      {"", "", "den_XX", false},
      {"C", "", "de_DE.UTF-8", false},
      {"", "de_AT@euro", "en_US", true},
      {"de_CH.UTF-8", "en_US", "en_US", true},
  };
  for (const auto& c : cases) {
    ScopedEnv a("LC_ALL", c.lcAll), m("LC_MESSAGES", c.lcMessages), l("LANG", c.lang);
    EXPECT_EQ(SystemLanguageIsGerman(), c.german) << c.lcAll << "|" << c.lcMessages << "|" << c.lang;
  }
}

}  // namespace
}  // namespace qlxs
