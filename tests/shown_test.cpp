// Which telegrams the views show: the steps of the reader from one admitted
// telegram to the next, and the title line.

#include <gtest/gtest.h>

#include <vector>

#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "support/capture_fixture.h"
#include "support/scratch_dir.h"
#include "view/shown.h"

namespace qlxs {
namespace {

using test::CaptureFixture;
using test::ScratchDir;

// A log of telegrams numbered 1.. with the given classes; the link-layer
// telegrams (S format) are hidden while the link layer is off.
struct ShownLog {
  explicit ShownLog(const std::vector<uint8_t>& classes) {
    LogOpen(fx.m, dir.file("v.lg4"), false);
    for (uint8_t ta : classes) {
      T_Telegramm t{};
      t.ek = kReceiverPort1;
      t.ta = ta;
      t.stat = StatOk;
      t.lg = 6;
      StoreTelegram(fx.m, t);
    }
    ReaderOpen(fx.m);
    ReaderSeek(fx.m, fx.m.log.stand.erstbl, false);
  }
  int Current() {
    T_Telegramm t;
    ReaderRecord(fx.m, t);
    return t.nr;
  }
  ScratchDir dir;
  CaptureFixture fx;
};

TEST(Shown, StepsSkipWhatTheViewHides) {
  //                 1          2          3          4          5          6
  ShownLog log({TaSFormat, TaIFormat, TaSFormat, TaSFormat, TaIFormat, TaSFormat});
  Monitor& m = log.fx.m;
  m.PrgPar.mitlink = 0;
  EXPECT_FALSE(IsShown(m)) << "telegram 1 is an S telegram";
  EXPECT_TRUE(NextShown(m));
  EXPECT_EQ(log.Current(), 2);
  EXPECT_TRUE(NextShown(m));
  EXPECT_EQ(log.Current(), 5);
  EXPECT_FALSE(NextShown(m)) << "nothing admitted after 5";
  EXPECT_EQ(log.Current(), 6);
  EXPECT_TRUE(PrevShown(m));
  EXPECT_EQ(log.Current(), 5);
  EXPECT_TRUE(PrevShown(m));
  EXPECT_EQ(log.Current(), 2);
  EXPECT_FALSE(PrevShown(m)) << "nothing admitted before 2";
  EXPECT_EQ(log.Current(), 2) << "back on the first admitted telegram";

  EXPECT_TRUE(JumpShown(m, 1));
  EXPECT_EQ(log.Current(), 5);
  EXPECT_FALSE(JumpShown(m, -3));
  EXPECT_EQ(log.Current(), 2);
  m.PrgPar.mitlink = 1;
  EXPECT_TRUE(JumpShown(m, 3));
  EXPECT_EQ(log.Current(), 5) << "with the link layer every telegram counts";
}

TEST(Shown, TitleSaysHowTheLogIsShown) {
  CaptureFixture fx;
  T_PrgPar& p = fx.m.PrgPar;
  p.ausgonl = 0;
  p.afmt = 3;
  p.mitzeit = 1;
  p.mitlink = 0;
  p.nur104 = 1;
  EXPECT_EQ(TitleText(fx.m), "Log, filter off, logical, time on, link off, IEC 104 only");
  p.ausgonl = 1;
  p.afmt = 6;
  fx.m.AllgPar.lfilt.ein = 1;
  EXPECT_EQ(TitleText(fx.m), "Online, filter on, bytes, time on, link off, IEC 104 only")
      << "the log filter counts in the online view";
}

}  // namespace
}  // namespace qlxs
