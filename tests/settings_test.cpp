#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "app/monitor.h"
#include "config/language_texts.h"
#include "config/settings.h"
#include "model/date_time.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"
#include "platform/user_store.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::WriteFile;

// A home of its own for every test: user store, data folder and a program
// directory <root>/prog/bin/ whose install prefix is <root>/prog/.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MakeDirectories(progDir), 0);
    ASSERT_EQ(CopyFileReplacing(QLXS_BIN_DIR "/QLXSText.ger", progDir + "QLXSText.ger"), 0);
    Prepare(m);
  }

  // What start-up has done before the settings are read.
  void Prepare(Monitor& mon) {
    mon.AllgVar.ProgDir = progDir;
    ASSERT_TRUE(LoadTexts(mon, LangGerman));
    mon.AllgVar.pnr = 1;
    mon.AllgVar.syszt = clock.LocalNow();
  }

  std::string SettingsName() const {
    return Text(m.AllgVar, kTextSettingsFile) + Text(m.AllgVar, kTextSettingsFile + 1);
  }
  std::string LogName() const { return Text(m.AllgVar, kTextLogFile) + Text(m.AllgVar, kTextLogExtension); }

  test::ScratchDir root;
  ScopedEnv home{"HOME", root.file("home")};
  ScopedEnv cfg{"XDG_CONFIG_HOME", root.file("config")};
  ScopedEnv data{"XDG_DATA_HOME", root.file("data")};
  ScopedEnv lcAll{"LC_ALL"}, lcMessages{"LC_MESSAGES"};
  ScopedEnv lang{"LANG", "de_DE.UTF-8"};
  std::string progDir = root.file("prog/bin/");
  ManualClock clock{EncodeDateTime({2024, 3, 5, 10, 0, 0, 0})};
  RecordingMessageSink messages;
  Monitor m{clock, messages};
};

std::string Image(const T_PrgPar& p) { return std::string(reinterpret_cast<const char*>(&p), sizeof p); }

TEST_F(SettingsTest, FileWrittenAndReadBackIsByteIdentical) {
  m.AllgVar.DataDir = root.file("dd/");
  ASSERT_EQ(MakeDirectories(m.AllgVar.DataDir), 0);
  T_PrgPar& p = m.PrgPar;
  p.afmt = 6;
  p.spr = 1;
  p.opt[2] = 1;
  p.mruanz = 2;
  p.mru[0].assign("/logs/a.lg4");
  p.mru[1].assign("/logs/b.lg4");
  p.altlog.assign("/logs/old.lg4");
  p.tf.schrift = 12;
  p.frbtyp.frb[13] = {4, 9};
  // Reserved areas are carried unchanged.
  for (size_t i = 0; i < sizeof p.res4; ++i) p.res4[i] = static_cast<uint8_t>(i + 1);
  p.res7[7] = 0xA5;
  m.AllgVar.dtOaTxt = "/home/u/Stationen.txt";
  ASSERT_EQ(SaveSettings(m), 0);
  const std::string written = ReadFile(m.AllgVar.DataDir + SettingsName());
  ASSERT_EQ(written.size(), 4360u);
  EXPECT_EQ(written, Image(m.PrgPar));
  EXPECT_EQ(m.PrgPar.txtdat.view(), "/home/u/Stationen.txt");

  Monitor again(clock, messages);
  Prepare(again);
  LoadSettings(again);
  EXPECT_EQ(again.AllgVar.DataDir, m.AllgVar.DataDir) << "found through the user store";
  EXPECT_EQ(Image(again.PrgPar), written);
  again.AllgVar.dtOaTxt = std::string(again.PrgPar.txtdat.view());
  ASSERT_EQ(SaveSettings(again), 0);
  EXPECT_EQ(ReadFile(m.AllgVar.DataDir + SettingsName()), written);
}

TEST_F(SettingsTest, DamagedFilesAreIgnoredAsAWhole) {
  T_PrgPar good = DefaultPrgPar();
  good.afmt = 7;
  const std::string image = Image(good);
  auto patched = [&](size_t offset, int32_t value) {
    std::string s = image;
    std::memcpy(s.data() + offset, &value, sizeof value);
    return s;
  };
  const struct {
    const char* name;
    std::string content;
  } cases[] = {
      {"4359 bytes", image.substr(0, 4359)},
      {"4361 bytes", image + '\0'},
      {"empty", ""},
      {"vers 15", patched(offsetof(T_PrgPar, vers), 15)},
      {"wrong magic", patched(offsetof(T_PrgPar, kenn), 0x57000401)},
      {"lg 4000", patched(offsetof(T_PrgPar, lg), 4000)},
  };
  const std::string path = root.file("settings.cfg");
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteFile(path, c.content));
    T_PrgPar p = DefaultPrgPar();
    EXPECT_FALSE(ReadSettingsFile(path, p)) << c.name;
    EXPECT_EQ(Image(p), Image(DefaultPrgPar())) << c.name << ": the defaults stay";
  }
  ASSERT_EQ(::mkdir((root.file("dir.cfg")).c_str(), 0755), 0);
  T_PrgPar p = DefaultPrgPar();
  EXPECT_FALSE(ReadSettingsFile(root.file("dir.cfg"), p));
  EXPECT_FALSE(ReadSettingsFile(root.file("missing.cfg"), p));
}

TEST_F(SettingsTest, OtherColourBlockVersionResetsOnlyThatBlock) {
  T_PrgPar file = DefaultPrgPar();
  file.afmt = 5;
  file.mitzeit = 0;
  file.tf.vers = 0;
  file.tf.schrift = 30;
  file.tf.e1 = {9, 9};
  file.frburs.frb[3] = {1, 2};
  const std::string path = root.file("settings.cfg");
  ASSERT_EQ(WriteSettingsFile(path, file), 0);
  T_PrgPar p = DefaultPrgPar();
  ASSERT_TRUE(ReadSettingsFile(path, p));
  const T_TelFarben def = DefaultTelFarben();
  EXPECT_EQ(std::memcmp(&p.tf, &def, sizeof def), 0);
  EXPECT_EQ(p.afmt, 5);
  EXPECT_EQ(p.mitzeit, 0);
  EXPECT_EQ(p.frburs.frb[3].wd(), file.frburs.frb[3].wd());
}

TEST_F(SettingsTest, RecentFileCountIsKeptInsideTheSlots) {
  T_PrgPar file = DefaultPrgPar();
  file.mruanz = 1000;
  ASSERT_EQ(WriteSettingsFile(root.file("s.cfg"), file), 0);
  T_PrgPar p = DefaultPrgPar();
  ASSERT_TRUE(ReadSettingsFile(root.file("s.cfg"), p));
  EXPECT_EQ(p.mruanz, kMaxRecentFiles);
}

TEST_F(SettingsTest, AltlogInTheProgramDirectorySettingsMayNameTheDataDirectory) {
  ASSERT_EQ(MakeDirectories(root.file("logs")), 0);
  ASSERT_EQ(MakeDirectories(root.file("prog/logs")), 0);
  const struct {
    const char* name;
    std::string altlog;
    std::string dataDir;
  } cases[] = {
      {"another existing directory", root.file("logs/old.lg4"), root.file("logs/")},
      {"under the install prefix", root.file("prog/logs/old.lg4"), ApplicationDataDirectory()},
      {"directory does not exist", root.file("gone/old.lg4"), ApplicationDataDirectory()},
      {"relative path", "logs/old.lg4", ApplicationDataDirectory()},
      {"empty", "", ApplicationDataDirectory()},
  };
  for (const auto& c : cases) {
    T_PrgPar file = DefaultPrgPar();
    file.afmt = 6;
    file.altlog.assign(c.altlog);
    ASSERT_EQ(WriteSettingsFile(progDir + SettingsName(), file), 0);
    Monitor mon(clock, messages);
    Prepare(mon);
    LoadSettings(mon);
    EXPECT_EQ(mon.AllgVar.DataDir, c.dataDir) << c.name;
    EXPECT_EQ(mon.PrgPar.afmt, 6) << c.name << ": the settings of the program directory are in force";
  }
}

TEST_F(SettingsTest, FirstStartMovesToTheDataFolderAndTakesTheOldLogAlong) {
  ASSERT_TRUE(WriteFile(progDir + LogName(), "old log content"));
  LoadSettings(m);
  const std::string dataDir = root.file("data/Brakel/DemoQuallixS/");
  EXPECT_EQ(m.AllgVar.DataDir, dataDir);
  EXPECT_TRUE(IsDirectory(dataDir));
  EXPECT_EQ(m.AllgVar.dtlog, dataDir + LogName());
  EXPECT_EQ(ReadFile(m.AllgVar.dtlog), "old log content");
  EXPECT_EQ(ReadFile(progDir + LogName()), "old log content") << "the original stays";
  EXPECT_TRUE(messages.entries.empty());
}

TEST_F(SettingsTest, ALogAlreadyInTheDataFolderIsNeverOverwritten) {
  const std::string dataDir = root.file("data/Brakel/DemoQuallixS/");
  ASSERT_EQ(MakeDirectories(dataDir), 0);
  ASSERT_TRUE(WriteFile(dataDir + LogName(), "newer log"));
  ASSERT_TRUE(WriteFile(progDir + LogName(), "old log"));
  LoadSettings(m);
  EXPECT_EQ(ReadFile(dataDir + LogName()), "newer log");
}

TEST_F(SettingsTest, ProgramDirectoryServesWhenTheDataFolderCannotBeMade) {
  ASSERT_TRUE(WriteFile(root.file("notadir"), ""));
  ScopedEnv badData("XDG_DATA_HOME", root.file("notadir"));
  LoadSettings(m);
  EXPECT_EQ(m.AllgVar.DataDir, progDir);
  EXPECT_TRUE(m.AllgVar.dtlog.empty());
}

TEST_F(SettingsTest, UserStoreNamingAMissingDirectoryIsPassedOver) {
  ASSERT_EQ(WriteStoredDataDirectory(root.file("removed/")), 0);
  LoadSettings(m);
  EXPECT_EQ(m.AllgVar.DataDir, ApplicationDataDirectory());
}

TEST_F(SettingsTest, LanguageDefaultFollowsTheSystemUntilAFileIsRead) {
  {
    ScopedEnv english("LANG", "en_US.UTF-8");
    Monitor mon(clock, messages);
    Prepare(mon);
    LoadSettings(mon);
    EXPECT_EQ(mon.PrgPar.spr, 1) << "a first start on a non-German system comes up in English";
  }
  {
    Monitor mon(clock, messages);
    Prepare(mon);
    LoadSettings(mon);
    EXPECT_EQ(mon.PrgPar.spr, 0);
  }
  {
    // A valid settings file has the last word.
    ScopedEnv english("LANG", "C");
    m.AllgVar.DataDir = root.file("dd/");
    ASSERT_EQ(MakeDirectories(m.AllgVar.DataDir), 0);
    m.PrgPar.spr = 0;
    ASSERT_EQ(SaveSettings(m), 0);
    Monitor mon(clock, messages);
    Prepare(mon);
    LoadSettings(mon);
    EXPECT_EQ(mon.PrgPar.spr, 0);
  }
}

TEST_F(SettingsTest, PerInstanceFileNames) {
  m.AllgVar.DataDir = "/d/";
  const std::string set = Text(m.AllgVar, 1131), setExt = Text(m.AllgVar, 1132);
  const std::string log = Text(m.AllgVar, 1199), logExt = Text(m.AllgVar, 1200);
  const struct {
    int pnr;
    bool daily;
    std::string settings;
    std::string logFile;
  } cases[] = {
      {1, false, "/d/" + set + setExt, "/d/" + log + logExt},
      {2, false, "/d/" + set + "2" + setExt, "/d/" + log + "2" + logExt},
      {6, true, "/d/" + set + "6" + setExt, "/d/" + log + "605" + logExt},
      {1, true, "/d/" + set + setExt, "/d/" + log + "05" + logExt},
      {0, false, "/d/" + set + "0" + setExt, "/d/" + log + "0" + logExt},
  };
  for (const auto& c : cases) {
    m.AllgVar.pnr = c.pnr;
    m.PrgPar.opt[kOptDailyLog] = c.daily;
    EXPECT_EQ(FileNameFor(m, kTextSettingsFile), c.settings) << c.pnr;
    EXPECT_EQ(FileNameFor(m, kTextLogFile), c.logFile) << c.pnr << " daily " << c.daily;
  }
}

}  // namespace
}  // namespace qlxs
