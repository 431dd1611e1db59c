// The automatic log file name of an instance, and the write-back it earns.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "config/automatic_log_name.h"
#include "config/language_texts.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "model/date_time.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::TestMonitor;

TEST(AutomaticLogName, DataDirectoryNameInstanceDayExtension) {
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgVar.DataDir = "/data/";
  EXPECT_EQ(AutomaticLogName(m), "") << "no language texts: no automatic name";
  m.AllgVar.ProgDir = QLXS_BIN_DIR "/";
  ASSERT_TRUE(LoadTexts(m, LangEnglish));
  m.AllgVar.syszt = EncodeDate(2025, 3, 5) + 0.75;
  const struct {
    int pnr;
    bool daily;
    const char* name;
  } cases[] = {
      {1, false, "/data/QLXSLog.lg4"},
      {2, false, "/data/QLXSLog2.lg4"},
      {1, true, "/data/QLXSLog05.lg4"},
      {6, true, "/data/QLXSLog605.lg4"},
      {0, false, "/data/QLXSLog0.lg4"},
  };
  for (const auto& c : cases) {
    m.AllgVar.pnr = c.pnr;
    m.PrgPar.opt[kOptDailyLog] = c.daily;
    EXPECT_EQ(AutomaticLogName(m), c.name) << c.pnr << " " << c.daily;
  }
}

// The automatic log carries the current settings in its header, so it is
// written back on close even when nothing was stored.
TEST(AutomaticLogName, TheAutomaticLogIsWrittenBackOnClose) {
  test::ScratchDir dir;
  TestMonitor tm;
  Monitor& m = *tm;
  m.AllgVar.ProgDir = QLXS_BIN_DIR "/";
  ASSERT_TRUE(LoadTexts(m, LangEnglish));
  m.AllgVar.DataDir = dir.path() + "/";
  m.AllgVar.pnr = 1;
  const std::string name = AutomaticLogName(m);
  {
    TestMonitor writer;
    LogOpen(*writer, name, false);
    LogClose(*writer);
  }
  LogOpen(m, name, false);
  ASSERT_FALSE(m.AllgVar.logsave);
  m.AllgPar.mw100 = 4242;  // a changed general setting
  LogClose(m);
  TestMonitor reader;
  ASSERT_EQ(LogOpenForReading(*reader, name), LogCheck::Valid);
  EXPECT_EQ(reader->AllgPar.mw100, 4242);
}

}  // namespace
}  // namespace qlxs
