// The online view on a recording canvas: one telegram per tick at the
// bottom of the area, the area scrolled up by one band copy, a burst
// larger than the ring, and the redraw with the newest telegrams that fit.

#include "view/online_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/online_ring.h"
#include "support/monitor_fixture.h"
#include "support/recording_canvas.h"
#include "view/log_view.h"
#include "view/view_draw.h"

namespace qlxs {
namespace {

using test::CanvasCall;

// An online view 300 pixels high with lines of 10 and a gap of 5 below
// statistics ending at 100: telegram lines from 122 to the page bottom at
// 272, room for 10 one-line telegrams.
struct OnlineView {
  OnlineView() {
    m.PrgPar.ausgonl = 1;
    m.PrgPar.afmt = FmtLogisch;
    m.PrgPar.mitzeit = 1;
    m.PrgPar.mitlink = 1;
    m.PrgPar.tf.leerzl = 50;
    RecomputeMetrics(m, v, canvas);
  }
  // Message "T<i>" into the ring, as the store puts an admitted telegram.
  void Put(int i) {
    T_Telegramm t{};
    t.ta = TaEvent;
    t.stat = StatMessage;
    t.ek = kReceiverPort1;
    t.nr = i;
    t.dt = 46002.5 + i / 86400.0;
    const std::string text = "T" + std::to_string(i);
    SetMessageText(t, text.c_str(), text.size());
    t.lga = static_cast<uint16_t>((kTelegramHeaderSize + t.lg + 1) & ~1);
    RingPut(m.log.ring, t, t.lga);
  }
  void Tick() {
    canvas.calls.clear();
    OnlineTick(m, v, canvas);
  }
  // The message numbers in the texts given, in order.
  static std::vector<int> Numbers(const std::vector<std::string>& texts) {
    std::vector<int> out;
    for (const std::string& s : texts)
      if (const size_t p = s.rfind(" T"); p != std::string::npos) out.push_back(std::stoi(s.substr(p + 2)));
    return out;
  }
  std::vector<int> OnScreen() const { return Numbers(canvas.Texts()); }
  std::vector<int> DrawnThisTick() const {
    std::vector<std::string> texts;
    for (const CanvasCall& c : canvas.CallsOf(CanvasCall::Text)) texts.push_back(c.text);
    return Numbers(texts);
  }
  static std::vector<int> Range(int first, int last) {
    std::vector<int> out;
    for (int i = first; i <= last; ++i) out.push_back(i);
    return out;
  }

  test::CaptureFixture fx;
  Monitor& m = fx.m;
  test::RecordingCanvas canvas;
  ViewState v;
};

TEST(OnlineView, EachTickDrawsOneTelegramAndScrollsTheAreaByOneBand) {
  OnlineView ov;
  ShowPage(ov.m, ov.v, ov.canvas, kViewRedraw, -1);
  ov.Tick();
  ASSERT_EQ(ov.canvas.Texts().size(), 1u) << "the title";
  for (int i = 1; i <= 25; ++i) {
    ov.Put(i);
    ov.Tick();
    EXPECT_EQ(ov.DrawnThisTick(), std::vector<int>{i});
    const auto copies = ov.canvas.CallsOf(CanvasCall::Copy);
    const auto fills = ov.canvas.CallsOf(CanvasCall::Fill);
    if (i <= 10) {
      EXPECT_TRUE(copies.empty()) << "telegram " << i << " fits below the others";
      EXPECT_EQ(ov.OnScreen(), OnlineView::Range(1, i));
      continue;
    }
    // The area moves up by the height of one telegram (line and gap).
    ASSERT_EQ(copies.size(), 1u) << "telegram " << i;
    EXPECT_EQ(copies[0].a, ov.v.topLineY + 15);
    EXPECT_EQ(copies[0].c, ov.v.topLineY);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].d - fills[0].b, 15) << "the band that was freed";
    EXPECT_EQ(ov.OnScreen(), OnlineView::Range(i - 9, i)) << "the newest ten, the newest at the bottom";
    EXPECT_LE(ov.canvas.screen.rbegin()->first + ov.v.lineHeight, ov.v.pageBottomY);
    EXPECT_GE(std::next(ov.canvas.screen.begin())->first, ov.v.topLineY) << "nothing scrolled over the title";
  }
  ov.Tick();
  EXPECT_TRUE(ov.canvas.calls.empty()) << "nothing new, nothing drawn";
}

TEST(OnlineView, ABurstLargerThanTheRingKeepsTheNewestUnread) {
  OnlineView ov;
  ShowPage(ov.m, ov.v, ov.canvas, kViewRedraw, -1);
  ov.Tick();
  for (int i = 1; i <= 30; ++i) ov.Put(i);
  std::vector<int> drawn;
  for (int tick = 0; tick < 30; ++tick) {
    ov.Tick();
    const std::vector<int> now = ov.DrawnThisTick();
    EXPECT_LE(now.size(), 1u) << "one telegram per tick";
    drawn.insert(drawn.end(), now.begin(), now.end());
  }
  EXPECT_EQ(drawn, OnlineView::Range(9, 30));
}

TEST(OnlineView, ARedrawShowsTheNewestTelegramsThatFit) {
  const struct {
    int height;
    std::vector<int> shown;
  } cases[] = {
      {300, OnlineView::Range(21, 30)},  // ten fit
      {1000, OnlineView::Range(8, 30)},  // all the ring holds besides the slot written next
  };
  for (const auto& c : cases) {
    OnlineView ov;
    ov.canvas.height = c.height;
    RecomputeMetrics(ov.m, ov.v, ov.canvas);
    for (int i = 1; i <= 30; ++i) ov.Put(i);
    ShowPage(ov.m, ov.v, ov.canvas, kViewRedraw, -1);
    ov.Tick();
    EXPECT_EQ(ov.OnScreen(), c.shown) << "height " << c.height;
    EXPECT_TRUE(ov.canvas.CallsOf(CanvasCall::Copy).empty()) << "they fit without scrolling";
    EXPECT_EQ(ov.m.log.ring.read, ov.m.log.ring.write) << "nothing left unread";
  }
}

TEST(OnlineView, TicksDrawNothingInTheLogView) {
  OnlineView ov;
  ov.Put(1);
  ov.m.log.ring.redraw = true;
  ov.m.PrgPar.ausgonl = 0;
  ov.Tick();
  EXPECT_TRUE(ov.canvas.calls.empty());
  EXPECT_NE(ov.m.log.ring.read, ov.m.log.ring.write);
}

}  // namespace
}  // namespace qlxs
