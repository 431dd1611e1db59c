#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

#include "app/monitor.h"
#include "app/startup.h"
#include "config/language_texts.h"
#include "config/settings.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/file_system.h"
#include "platform/instance_lock.h"
#include "platform/message_sink.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using test::ScopedEnv;

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MakeDirectories(progDir), 0);
    ASSERT_EQ(MakeDirectories(lockDir), 0);
    ASSERT_EQ(CopyFileReplacing(QLXS_BIN_DIR "/QLXSText.ger", progDir + "QLXSText.ger"), 0);
  }

  test::ScratchDir root;
  ScopedEnv home{"HOME", root.file("home")};
  ScopedEnv cfg{"XDG_CONFIG_HOME", root.file("config")};
  ScopedEnv data{"XDG_DATA_HOME", root.file("data")};
  ScopedEnv lcAll{"LC_ALL"}, lcMessages{"LC_MESSAGES"};
  ScopedEnv lang{"LANG", "de_DE.UTF-8"};
  std::string progDir = root.file("prog/bin/");
  std::string lockDir = root.file("run/");
  ManualClock clock;
  RecordingMessageSink messages;
};

TEST_F(StartupTest, GermanTextsThatDoNotLoadEndWithExitCode99BeforeAnythingElse) {
  const std::string german = progDir + "QLXSText.ger";
  const struct {
    const char* name;
    const char* content;  // nullptr: no file
    const char* says;
  } cases[] = {
      {"missing", nullptr, german.c_str()},
      {"too short", "   0  ;\n   1  eins\n", german.c_str()},
      {"numbering jumps", "   0  ;\n   1  eins\n   3  drei\n", "   3  drei"},
  };
  for (const auto& c : cases) {
    ::unlink(german.c_str());
    if (c.content) {
      ASSERT_TRUE(test::WriteFile(german, c.content));
    }
    RecordingMessageSink seen;
    Monitor m(clock, seen);
    const StartupResult r = StartUp(m, progDir, lockDir);
    EXPECT_EQ(r, StartupResult::NoLanguage) << c.name;
    EXPECT_EQ(StartupExitCode(r), 99) << c.name;
    EXPECT_EQ(m.AllgVar.pnr, 0) << c.name << ": no instance number is taken";
    EXPECT_FALSE(IsFile(InstanceLockPath(lockDir, 1))) << c.name;
    ASSERT_EQ(seen.entries.size(), 1u) << c.name;
    EXPECT_EQ(seen.entries[0].type, MsgError);
    EXPECT_NE(seen.entries[0].text.find(c.says), std::string::npos) << c.name << ": " << seen.entries[0].text;
  }
}

TEST_F(StartupTest, TwoProcessesStartedTogetherGetInstancesOneAndTwo) {
  int report[2], release[2];
  ASSERT_EQ(::pipe(report), 0);
  ASSERT_EQ(::pipe(release), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < 2; ++i) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(release[1]);
      ManualClock childClock;
      RecordingMessageSink childMessages;
      Monitor m(childClock, childMessages);
      const StartupResult r = StartUp(m, progDir, lockDir);
      const std::string line = std::to_string(static_cast<int>(r)) + " " + std::to_string(m.AllgVar.pnr) + " " +
                               FileNameFor(m, kTextSettingsFile) + " " + FileNameFor(m, kTextLogFile) + "\n";
      (void)!::write(report[1], line.data(), line.size());
      char c;
      (void)!::read(release[0], &c, 1);  // both hold their numbers until the parent has seen them
      ::_exit(0);
    }
    children.push_back(pid);
  }
  ::close(report[1]);
  ::close(release[0]);
  std::string out;
  char buf[1024];
  while (std::count(out.begin(), out.end(), '\n') < 2) {
    const ssize_t n = ::read(report[0], buf, sizeof buf);
    if (n <= 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(release[1]);
  for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
  ::close(report[0]);

  Monitor names0(clock, messages);
  names0.AllgVar.ProgDir = progDir;
  ASSERT_TRUE(LoadTexts(names0, LangGerman));
  const std::string settingsName = Text(names0.AllgVar, kTextSettingsFile);
  const std::string logName = Text(names0.AllgVar, kTextLogFile);
  std::set<int> numbers;
  std::set<std::string> names;
  size_t pos = 0;
  for (int i = 0; i < 2; ++i) {
    const size_t eol = out.find('\n', pos);
    ASSERT_NE(eol, std::string::npos) << out;
    std::istringstream line(out.substr(pos, eol - pos));
    pos = eol + 1;
    int result = -1, pnr = -1;
    std::string settings, log;
    line >> result >> pnr >> settings >> log;
    EXPECT_EQ(result, static_cast<int>(StartupResult::Run));
    numbers.insert(pnr);
    names.insert(settings);
    names.insert(log);
    if (pnr == 2) {
      EXPECT_NE(settings.find(settingsName + "2"), std::string::npos) << settings;
      EXPECT_NE(log.find(logName + "2"), std::string::npos) << log;
    }
  }
  EXPECT_EQ(numbers, (std::set<int>{1, 2}));
  EXPECT_EQ(names.size(), 4u) << "each instance has its own settings and log file";
}

TEST_F(StartupTest, SeventhInstanceDoesNotStart) {
  InstanceLock others[kMaxInstances];
  for (int i = 0; i < kMaxInstances; ++i) ASSERT_EQ(others[i].Claim(lockDir), i + 1);

  Monitor m(clock, messages);
  const StartupResult r = StartUp(m, progDir, lockDir);
  EXPECT_EQ(r, StartupResult::NoInstance);
  EXPECT_EQ(StartupExitCode(r), 1);
  EXPECT_EQ(m.AllgVar.pnr, 0);
  EXPECT_EQ(m.AllgVar.first, 0);
  ASSERT_FALSE(messages.entries.empty());
  EXPECT_NE(messages.entries[0].text.find("all 6 instances are running"), std::string::npos)
      << messages.entries[0].text;

  // The save at the end still happens, under the suffix "0".
  ASSERT_EQ(ShutDown(m), 0);
  EXPECT_TRUE(IsFile(m.AllgVar.DataDir + Text(m.AllgVar, kTextSettingsFile) + "0" +
                     Text(m.AllgVar, kTextSettingsFile + 1)));

  // A number given back is the next one taken.
  others[2].Release();
  Monitor next(clock, messages);
  EXPECT_EQ(StartUp(next, progDir, lockDir), StartupResult::Run);
  EXPECT_EQ(next.AllgVar.pnr, 3);
}

TEST_F(StartupTest, PreparesBothPortsAndGoesOnWhenTheChosenLanguageFails) {
  ScopedEnv english("LANG", "C");
  Monitor m(clock, messages);
  m.ports[0].bp.cnr = 7;
  EXPECT_EQ(StartUp(m, progDir, lockDir), StartupResult::Run);
  EXPECT_EQ(m.AllgVar.pnr, 1);
  EXPECT_EQ(m.AllgVar.ProgDir, progDir);
  EXPECT_EQ(m.PrgPar.spr, 1);
  ASSERT_EQ(messages.entries.size(), 1u) << "the English file is missing: reported, start goes on";
  EXPECT_NE(messages.entries[0].text.find("QLXSText.usa"), std::string::npos);

  EXPECT_EQ(m.ports[1].bp.cnr, 8);
  EXPECT_EQ(m.ports[0].em.enr, 1);
  EXPECT_EQ(m.ports[1].em.enr, 3);
  EXPECT_EQ(m.ports[0].se.snr, 2);
  EXPECT_EQ(m.ports[1].se.snr, 4);
}

TEST_F(StartupTest, ReadsThePortMapOfTheDataDirectoryAndReportsItsBadLines) {
  const std::string dataDir = ApplicationDataDirectory();
  ASSERT_EQ(MakeDirectories(dataDir), 0);
  ASSERT_TRUE(test::WriteFile(dataDir + "ports.map", "4 /dev/ttyUSB0\n5 ttyUSB1\n"));
  Monitor m(clock, messages);
  EXPECT_EQ(StartUp(m, progDir, lockDir), StartupResult::Run);
  EXPECT_EQ(m.AllgVar.DataDir, dataDir);
  EXPECT_EQ(m.portMap.DevicePath(4), "/dev/ttyUSB0");
  EXPECT_EQ(m.portMap.DevicePath(5), "/dev/ttyS4");
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].type, MsgWarning);
  EXPECT_NE(messages.entries[0].text.find(dataDir + "ports.map:2: "), std::string::npos) << messages.entries[0].text;
}

}  // namespace
}  // namespace qlxs
