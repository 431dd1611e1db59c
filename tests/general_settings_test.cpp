// The general settings without a window: the rules of the entry fields,
// what OK writes, the command with its questions in order (going offline,
// creating the log anew, moving to a new data directory), the options and
// the about box lines.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop.h"
#include "app/general_settings.h"
#include "app/monitor.h"
#include "config/allg_par.h"
#include "config/automatic_log_name.h"
#include "config/settings.h"
#include "log/log_format.h"
#include "log/telegram_log.h"
#include "model/version.h"
#include "platform/file_system.h"
#include "platform/user_store.h"
#include "support/monitor_fixture.h"
#include "support/recording_canvas.h"
#include "support/desktop_fixture.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

// A desktop with its log in the data folder of a scratch directory and the
// user store in the scratch directory too.
struct SettingsFixture : test::DesktopFixture {
  SettingsFixture() : DesktopFixture("data") { d.Create({}); }

  // The dialog as the user fills it: the fields as they open, changed by
  // `change`, then OK with the entries checked and written as the dialog does.
  std::function<bool(T_AllgPar&, std::string&)> Typing(std::function<void(GeneralEntries&)> change, int ilo = 0) {
    return [this, change, ilo](T_AllgPar& copy, std::string& dataDir) {
      GeneralEntries e = GeneralEntriesOf(m.AllgVar, copy, dataDir);
      change(e);
      if (CheckGeneralEntries(m, e).any()) return false;
      WriteGeneralEntries(m.AllgVar, e, ilo, copy, dataDir);
      return true;
    };
  }

  test::ScopedEnv config{"XDG_CONFIG_HOME", dir.file("config")};
};

TEST(GeneralSettings, FieldRules) {
  T_AllgVar v;
  // structure text, total bits, accepted
  for (const auto& [text, total, ok] : std::vector<std::tuple<std::string, int, bool>>{
           {"16", 16, true}, {"8-8", 16, true}, {"12;4", 16, true}, {"8-8-8", 24, true}, {"4-4", 16, false},
           {"8-8", 24, false}, {"8-0-8", 16, false}, {"", 16, false}, {"$10", 16, true}, {"2-2-2-2-2-6", 16, false}}) {
    EXPECT_EQ(StructureValue(v, text, total).has_value(), ok) << text << " / " << total;
  }
  // text, value or nothing
  for (const auto& [text, want] : std::vector<std::pair<std::string, std::optional<int32_t>>>{
           {"100", 100}, {"32767", 32767}, {" 3200 ", 3200}, {"99", std::nullopt}, {"32768", std::nullopt},
           {"-200", std::nullopt}, {"1e3", std::nullopt}, {"", std::nullopt}, {"0000100", std::nullopt}}) {
    EXPECT_EQ(Mw100Value(text), want) << "mw100 '" << text << "'";
  }
  for (const auto& [text, want] : std::vector<std::pair<std::string, std::optional<int32_t>>>{
           {"2000", 2000}, {"1", 1}, {"2001", std::nullopt}, {"0", std::nullopt}, {"-5", std::nullopt},
           {"99999999999", std::nullopt}, {"12x", std::nullopt}}) {
    EXPECT_EQ(MaxLogValue(text), want) << "maxlog '" << text << "'";
  }
  // the arrow keys step the maximum log size within its range
  for (const auto& [text, delta, want] : std::vector<std::tuple<std::string, int, std::string>>{
           {"100", 1, "101"}, {"100", -1, "99"}, {"2000", 1, "2000"}, {"1", -1, "1"}, {"0", 1, "1"},
           {"5000", -1, "2000"}, {"abc", 1, "abc"}}) {
    EXPECT_EQ(StepMaxLog(text, delta), want) << text << " " << delta;
  }
}

TEST(GeneralSettings, StructureMaskTakesItsCharactersInUpperCase) {
  for (const auto& [typed, want] : std::vector<std::pair<std::string, std::optional<std::string>>>{
           {"8-8", "8-8"}, {"a, b;c.d", "A, B;C.D"}, {"$1f", "$1F"}, {"i", "I"}, {"8/8", std::nullopt},
           {"g", std::nullopt}, {"8_8", std::nullopt}, {"", ""}}) {
    EXPECT_EQ(StructureMask(typed), want) << typed;
  }
}

TEST(GeneralSettings, DataDirectoryIsAskedForAndCreatedWithItsParents) {
  test::TestMonitor t;
  test::ScratchDir dir;
  const std::string file = dir.write("plain", "x");
  const struct {
    const char* name;
    std::string path;
    std::vector<MsgAnswer> answers;
    DataDirCheck want;
    bool asked;
    bool existsAfter;
  } cases[] = {
      {"exists", dir.dir(), {}, DataDirCheck::Exists, false, true},
      {"created with parents", dir.file("a/b/c/"), {AnswerYes}, DataDirCheck::Created, true, true},
      {"declined", dir.file("d/e"), {AnswerNo}, DataDirCheck::Declined, true, false},
      {"below a file", file + "/sub", {AnswerYes}, DataDirCheck::Failed, true, false},
      {"empty", "  ", {}, DataDirCheck::Invalid, false, false},
      {"too long", dir.file(std::string(kDataDirChars, 'x')), {AnswerYes}, DataDirCheck::Invalid, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    t.sink.entries.clear();
    t.sink.answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(CheckDataDirectory(*t, c.path), c.want);
    EXPECT_EQ(t.MessageNumbers(), c.asked ? std::vector<int>{kTextCreateDataDir} : std::vector<int>{});
    EXPECT_EQ(IsDirectory(c.path), c.existsAfter);
  }
}

TEST(GeneralSettings, AFolderTypedWithoutItsPathLiesInTheHomeFolder) {
  test::ScratchDir dir;
  test::ScopedEnv home{"HOME", dir.dir()};
  const std::string h = WithTrailingSlash(dir.dir());
  const struct {
    const char* typed;
    std::string want;
  } cases[] = {
      {"/srv/qlxs/", "/srv/qlxs/"}, {" logs ", h + "logs"}, {"~", h}, {"~/plant/a", h + "plant/a"}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveDataDirectory(c.typed), c.want) << c.typed;
  test::TestMonitor t;
  t.sink.answers = {AnswerYes};
  EXPECT_EQ(CheckDataDirectory(*t, "plant"), DataDirCheck::Created);
  EXPECT_TRUE(IsDirectory(h + "plant"));
}

TEST(GeneralSettings, OkChecksTheObjectStructureAndTheDirectoryOnlyWhenNothingElseIsWrong) {
  test::TestMonitor t;
  test::ScratchDir dir;
  const GeneralEntries good{"8-8", "8-16", "32000", "100", dir.file("new")};
  t.sink.answers = {AnswerNo};
  const GeneralErrors caWrong = CheckGeneralEntries(*t, {"4-4", "8", "32000", "100", good.dataDir});
  EXPECT_TRUE(caWrong.ca);
  EXPECT_FALSE(caWrong.ioa) << "not checked while the common address is in error";
  EXPECT_FALSE(caWrong.dataDir);
  EXPECT_TRUE(t.MessageNumbers().empty()) << "no directory question while a field is in error";

  const GeneralErrors ioaWrong = CheckGeneralEntries(*t, {"8-8", "8", "99", "2001", good.dataDir});
  EXPECT_TRUE(ioaWrong.ioa);
  EXPECT_TRUE(ioaWrong.mw100);
  EXPECT_TRUE(ioaWrong.maxlog);
  EXPECT_FALSE(IsDirectory(good.dataDir));

  const GeneralErrors declined = CheckGeneralEntries(*t, good);
  EXPECT_TRUE(declined.dataDir);
  EXPECT_FALSE(declined.ca || declined.ioa || declined.mw100 || declined.maxlog);
  EXPECT_EQ(t.MessageNumbers(), std::vector<int>{kTextCreateDataDir});
}

TEST(GeneralSettings, OkWritesExactlyTheFieldsOfTheDialog) {
  T_AllgVar v;
  v.TxtList.resize(100);
  SetText(v, 26, "-");
  T_AllgPar ap = DefaultAllgPar();
  ap.afilt.ein = 1;
  const GeneralEntries shown = GeneralEntriesOf(v, ap, "/data/");
  EXPECT_EQ(shown.ca, "16");
  EXPECT_EQ(shown.ioa, "24");
  EXPECT_EQ(shown.mw100, "32000");
  EXPECT_EQ(shown.maxlog, "100");
  EXPECT_EQ(shown.dataDir, "/data/");

  T_AllgPar written = ap;
  std::string dataDir = "/data/";
  WriteGeneralEntries(v, {"8-8", "8;8;8", "1000", "7", "/elsewhere"}, 3, written, dataDir);
  EXPECT_EQ(dataDir, "/elsewhere/") << "with a trailing delimiter";
  EXPECT_EQ(GeneralEntriesOf(v, written, dataDir).ca, "8-8");
  EXPECT_EQ(GeneralEntriesOf(v, written, dataDir).ioa, "8-8-8");
  T_AllgPar expected = ap;
  expected.ilo = 3;
  expected.cabrt = T_AdrStruktur{2, {8, 8, 0, 0, 0}};
  expected.oabrt = T_AdrStruktur{3, {8, 8, 8, 0, 0}};
  expected.mw100 = 1000;
  expected.maxlog = 7;
  EXPECT_EQ(std::memcmp(&written, &expected, sizeof written), 0) << "no other byte changes";
}

TEST(GeneralSettingsCommand, QuestionsComeInOrderAndTheirAnswersDecide) {
  const struct {
    const char* name;
    bool online;
    std::string maxlog, mw100;
    std::vector<MsgAnswer> answers;
    std::vector<int> questions;
    bool onlineAfter;
    int32_t maxlogAfter, mw100After;
  } cases[] = {
      {"only the log size while online, both Yes", true, "5", "32000", {AnswerYes, AnswerYes}, {1204, 1328}, false, 5, 32000},
      {"declining the new size keeps the old one", true, "5", "2000", {AnswerYes, AnswerNo}, {1204, 1328}, false, 100, 2000},
      {"staying online drops every change", true, "5", "2000", {AnswerNo}, {1204}, true, 100, 32000},
      {"offline no question for the 100 % value", false, "100", "2000", {}, {}, false, 100, 2000},
      {"offline the size asks only 1328", false, "5", "32000", {AnswerYes}, {1328}, false, 5, 32000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsFixture fx;
    fx.m.PrgPar.online = c.online;
    fx.sink.answers.assign(c.answers.begin(), c.answers.end());
    const int32_t blocksBefore = fx.m.log.stand.anzbl;
    GeneralSettingsCommand(fx.d, fx.Typing([&](GeneralEntries& e) {
                             e.maxlog = c.maxlog;
                             e.mw100 = c.mw100;
                           }, 4));
    EXPECT_EQ(fx.MessageNumbers(), c.questions);
    EXPECT_EQ(fx.m.PrgPar.online != 0, c.onlineAfter);
    EXPECT_EQ(fx.m.AllgPar.maxlog, c.maxlogAfter);
    EXPECT_EQ(fx.m.AllgPar.mw100, c.mw100After);
    EXPECT_EQ(fx.m.AllgPar.ilo, 4) << "the focused control is kept in any case";
    EXPECT_EQ(fx.m.log.stand.anzbl, c.maxlogAfter == 100 ? blocksBefore : LogCapacityBlocks(c.maxlogAfter))
        << "the log is created anew only for a new size";
  }
}

TEST(GeneralSettingsCommand, OkWithoutAChangeStoresOnlyTheFocusedControl) {
  SettingsFixture fx;
  fx.m.PrgPar.online = 1;
  fx.m.AllgPar.afilt.ein = 1;
  T_AllgPar before = fx.m.AllgPar;
  const int controls = fx.window.controls;
  GeneralSettingsCommand(fx.d, fx.Typing([](GeneralEntries&) {}, 2));
  before.ilo = 2;
  EXPECT_EQ(std::memcmp(&fx.m.AllgPar, &before, sizeof before), 0);
  EXPECT_TRUE(fx.MessageNumbers().empty());
  EXPECT_EQ(fx.m.PrgPar.online, 1);
  EXPECT_EQ(fx.window.controls, controls);

  // Cancel keeps even the focused control.
  GeneralSettingsCommand(fx.d, [](T_AllgPar& copy, std::string&) {
    copy.ilo = 5;
    copy.mw100 = 500;
    return false;
  });
  EXPECT_EQ(std::memcmp(&fx.m.AllgPar, &before, sizeof before), 0);
}

TEST(GeneralSettingsCommand, ANewDataDirectoryTakesTheSettingsAndTheLogThere) {
  SettingsFixture fx;
  const std::string oldLog = fx.m.AllgVar.dtlog;
  const std::string newDir = fx.dir.file("moved/deeper/");
  fx.sink.answers = {AnswerYes};
  GeneralSettingsCommand(fx.d, fx.Typing([&](GeneralEntries& e) {
    e.dataDir = fx.dir.file("moved/deeper");
    e.ca = "8-8";
  }));
  EXPECT_EQ(fx.MessageNumbers(), std::vector<int>{kTextCreateDataDir});
  EXPECT_EQ(fx.m.AllgVar.DataDir, newDir);
  EXPECT_EQ(fx.m.AllgVar.dtlog, newDir + "QLXSLog.lg4");
  EXPECT_TRUE(IsFile(newDir + "QLXSLog.lg4"));
  EXPECT_TRUE(IsFile(FileNameFor(fx.m, kTextSettingsFile)));
  EXPECT_EQ(DirectoryPart(FileNameFor(fx.m, kTextSettingsFile)), newDir);
  EXPECT_EQ(ReadStoredDataDirectory(), newDir) << "the user store follows at once";
  EXPECT_TRUE(IsFile(oldLog)) << "the old log stays where it was";
  EXPECT_EQ(fx.m.AllgPar.cabrt.anz, 2) << "a new log brings the settings as they are now";
  EXPECT_EQ(fx.m.PrgPar.ausgonl, 0) << "the log view shows the new log";
  EXPECT_FALSE(fx.window.modes.back());
}

TEST(GeneralSettingsCommand, StayingOnlineRestoresTheDataDirectory) {
  SettingsFixture fx;
  fx.m.PrgPar.online = 1;
  const std::string oldDir = fx.m.AllgVar.DataDir;
  fx.sink.answers = {AnswerYes, AnswerNo};
  GeneralSettingsCommand(fx.d, fx.Typing([&](GeneralEntries& e) { e.dataDir = fx.dir.file("other"); }));
  EXPECT_EQ(fx.MessageNumbers(), (std::vector<int>{kTextCreateDataDir, kTextGoOffline}));
  EXPECT_EQ(fx.m.AllgVar.DataDir, oldDir);
  EXPECT_EQ(fx.m.PrgPar.online, 1);
  EXPECT_FALSE(IsFile(fx.dir.file("other/QLXSLog.lg4")));
}

TEST(Options, CountNeverExceedsTheFiveFlagsAndOkWritesTheShownOnes) {
  T_AllgVar v;
  v.TxtList.resize(1300);
  for (const auto& [text, want] : std::vector<std::pair<std::string, int>>{
           {"5", 5}, {"3", 3}, {"9", 5}, {"-1", 0}, {"x", 0}, {"", 0}}) {
    SetText(v, kTextOptionCount, text);
    EXPECT_EQ(OptionCount(v), want) << "'" << text << "'";
  }
  T_PrgPar p{};
  std::memset(p.opt, 1, sizeof p.opt);
  WriteOptions(p, {false, true, false});
  EXPECT_EQ(std::vector<int>(p.opt, p.opt + 5), (std::vector<int>{0, 1, 0, 1, 1}));
  WriteOptions(p, std::vector<bool>(7, false));
  EXPECT_EQ(std::vector<int>(p.opt, p.opt + 5), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST(About, VersionLineAndTheLinesInOrder) {
  T_AllgVar v;
  v.TxtList.resize(1400);
  SetText(v, kTextVersionPrefix, "Version ");
  SetText(v, kTextAboutTitle, "title");
  SetText(v, kTextAboutLast, "last");
  for (const auto& [version, want] : std::vector<std::pair<std::string, std::string>>{
           {"0.1.0", "Version 0.1.0.0"}, {"2.3.4.5", "Version 2.3.4.5"}, {"7", "Version 7.0.0.0"},
           {"", "?.?.?.?"}, {"1..2", "?.?.?.?"}, {"1.2.", "?.?.?.?"}, {"1.2.3.4.5", "?.?.?.?"}, {"1.x", "?.?.?.?"}}) {
    EXPECT_EQ(AboutVersionLine(v, version), want) << "'" << version << "'";
  }
  const std::vector<std::string> lines = AboutLines(v, ProgramVersion());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1], "title");
  EXPECT_EQ(lines[3], kCopyrightLine);
  EXPECT_NE(lines[5], "?.?.?.?") << "the build's version reads";
  EXPECT_EQ(lines[7], "last");
  for (size_t i : {0u, 2u, 4u, 6u}) EXPECT_EQ(lines[i], "");
}

}  // namespace
}  // namespace qlxs
