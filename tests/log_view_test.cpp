// The log view on a recording canvas: the pages that the view commands
// show, End and Home, the thumb, paging through the objects of a telegram
// too long for a page, page headers and date lines, the empty log, and
// what the scroll bar, the wheel and the keys ask for.

#include "view/log_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "support/monitor_fixture.h"
#include "support/recording_canvas.h"
#include "support/scratch_dir.h"
#include "view/view_draw.h"
#include "view/view_input.h"

namespace qlxs {
namespace {

using test::CanvasCall;

constexpr double kDay = 46002.0;  // Thursday, 2025-12-11
constexpr double kSecond = 1.0 / 86400.0;

// A message telegram "T<i>": one line in every format.
T_Telegramm Message(int i, double dt) {
  T_Telegramm t{};
  t.ta = TaEvent;
  t.stat = StatMessage;
  t.ek = kReceiverPort1;
  t.dt = dt;
  const std::string text = "T" + std::to_string(i);
  SetMessageText(t, text.c_str(), text.size());
  return t;
}

// An I-format telegram with `objects` single points at addresses 101 ...
T_Telegramm SinglePoints(int objects, double dt) {
  std::vector<uint8_t> a = {0x68, 0, 0x06, 0x00, 0x04, 0x00, 1, static_cast<uint8_t>(objects), 3, 0, 1, 0};
  for (int i = 0; i < objects; ++i) {
    const int ioa = 101 + i;
    a.insert(a.end(), {static_cast<uint8_t>(ioa), static_cast<uint8_t>(ioa >> 8), 0, static_cast<uint8_t>(i & 1)});
  }
  a[1] = static_cast<uint8_t>(a.size() - 2);
  T_Telegramm t{};
  t.ta = TaIFormat;
  t.stat = StatOk;
  t.ek = kReceiverPort1;
  t.dt = dt;
  std::copy(a.begin(), a.end(), t.b);
  t.lg = static_cast<int16_t>(a.size());
  return t;
}

// A log view 300 pixels high with lines of 10 and a gap of 5: the title
// ends at 52, the area at 280; a page holds 14 one-line telegrams.
struct LogView {
  LogView() {
    LogOpen(m, dir.file("v.lg4"), false);
    m.PrgPar.ausgonl = 0;
    m.PrgPar.afmt = FmtLogisch;
    m.PrgPar.mitzeit = 1;
    m.PrgPar.mitlink = 1;
    m.PrgPar.tf.leerzl = 50;
    RecomputeMetrics(m, v, canvas);
  }
  // Events are stamped with the clock's time, so the clock shows t's.
  void Store(T_Telegramm t) {
    fx.clock.SetLocalNow(t.dt);
    fx.clock.SetTick(static_cast<uint32_t>(std::lround((t.dt - std::floor(t.dt)) * 86'400'000.0)));
    m.TickOffset = 0;
    StoreTelegram(m, t);
  }
  void StoreMessages(int count, double from = kDay + 0.5) {
    for (int i = 1; i <= count; ++i) Store(Message(i, from + i * kSecond));
  }
  // Enters the log view as the window does (the reader opened, the end
  // shown) the first time, then carries out a view command.
  int Show(int code, int position = -1) {
    if (!m.log.reader.open) {
      ReaderOpen(m);
      ShowPage(m, v, canvas, kViewEnd, -1);
    }
    canvas.calls.clear();
    return ShowPage(m, v, canvas, code, position);
  }
  // The numbers of the messages on the canvas, top to bottom.
  std::vector<int> Messages() const {
    std::vector<int> out;
    for (const std::string& s : canvas.Texts())
      if (const size_t p = s.rfind(" T"); p != std::string::npos && s.find("telegram") == std::string::npos)
        out.push_back(std::stoi(s.substr(p + 2)));
    return out;
  }
  // The numbers of the information objects on the canvas, top to bottom.
  std::vector<int> Objects() const {
    std::vector<int> out;
    for (const std::string& s : canvas.Texts())
      if (s.rfind("Object", 0) == 0) out.push_back(std::stoi(s.substr(6, 3)));
    return out;
  }
  bool ShowsText(int n) const {
    for (const std::string& s : canvas.Texts())
      if (s == Text(m.AllgVar, n)) return true;
    return false;
  }

  test::ScratchDir dir;
  test::CaptureFixture fx;
  Monitor& m = fx.m;
  test::RecordingCanvas canvas;
  ViewState v;
};

TEST(LogView, EndFillsThePageWithTheNewestTelegrams) {
  const struct {
    int stored;
    std::vector<int> shown;
  } cases[] = {
      // End measures from 5 lines + 20 (70) to the page bottom (272): 13 telegrams of 15.
      {30, {18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}},
      // Fewer than fit: all of them, from the first.
      {3, {1, 2, 3}},
      {1, {1}},
  };
  for (const auto& c : cases) {
    LogView lv;
    lv.StoreMessages(c.stored);
    const int position = lv.Show(kViewEnd);
    EXPECT_EQ(lv.Messages(), c.shown) << c.stored << " telegrams";
    EXPECT_TRUE(lv.ShowsText(1191)) << "the end of the log follows the newest";
    EXPECT_EQ(position, c.stored > 1 ? 1000 * (c.shown[0] - 1) / (c.stored - 1) : 0);
    EXPECT_EQ(lv.Show(kViewRedraw), position) << "the reader stays on the page top";
    EXPECT_EQ(lv.Messages(), c.shown);
  }
}

TEST(LogView, EndWithTheDisplayFilterOnShowsTheLastAdmittedBeforeTheNewest) {
  LogView lv;
  lv.StoreMessages(30);
  T_Filter& f = lv.m.AllgPar.afilt;  // faulty telegrams and events
  f.ein = 1;
  f.tken = 3;
  f.ffehl = 1;
  lv.Show(kViewEnd);
  EXPECT_EQ(lv.Messages(), (std::vector<int>{29, 30}));
}

TEST(LogView, CommandsMoveThePageTopByTheirCount) {
  LogView lv;
  lv.StoreMessages(1001);
  const struct {
    int code;
    int top;
  } cases[] = {
      {kViewPageUp, 595},          {kViewPageDown, 605},           {kViewLineUp, 599},
      {kViewLineDown, 601},        {kViewCtrlPageUp, 100},         {kViewCtrlPageDown, 1001},
      {kViewShiftPageUp, 550},     {kViewShiftPageDown, 650},      {kViewShiftCtrlPageUp, 1},
      {kViewShiftCtrlPageDown, 1001}, {kViewRedraw, 600},          {3, 600},
      {99, 600},                   {kViewHome, 1},
  };
  lv.Show(kViewHome);
  for (const auto& c : cases) {
    lv.Show(kViewRedraw, 599);  // page top 600
    ASSERT_EQ(lv.Messages().front(), 600);
    const int position = lv.Show(c.code);
    ASSERT_FALSE(lv.Messages().empty()) << c.code;
    EXPECT_EQ(lv.Messages().front(), c.top) << "command " << c.code;
    EXPECT_EQ(position, c.top - 1) << "command " << c.code;
  }
}

TEST(LogView, ThumbPositionsGoToTheirShareOfTheLog) {
  LogView lv;
  lv.StoreMessages(1001);
  lv.Show(kViewHome);
  EXPECT_EQ(lv.Show(kViewRedraw, 500), 500);
  EXPECT_EQ(lv.Messages().front(), 501);
  EXPECT_EQ(lv.Show(kViewRedraw, 250), 250) << "back from the middle";
  EXPECT_EQ(lv.Messages().front(), 251);
  lv.Show(kViewRedraw, 1000);
  EXPECT_EQ(lv.Messages().back(), 1001) << "1000 is the end";
  EXPECT_EQ(lv.Show(kViewRedraw, 0), 0) << "0 is the start";
  EXPECT_EQ(lv.Messages().front(), 1);
}

TEST(LogView, PagesGoThroughTheObjectsOfATelegramTooLongForAPage) {
  LogView lv;
  lv.Store(Message(1, kDay + 0.5));
  lv.Store(SinglePoints(60, kDay + 0.5 + kSecond));
  lv.Store(Message(3, kDay + 0.5 + 2 * kSecond));
  lv.Show(kViewHome);
  ASSERT_EQ(lv.Messages(), std::vector<int>{1}) << testing::PrintToString(lv.canvas.Texts());
  lv.Show(kViewLineDown);
  ASSERT_FALSE(lv.Objects().empty()) << testing::PrintToString(lv.canvas.Texts());
  ASSERT_EQ(lv.Objects().front(), 1) << "the long telegram starts the page";

  // Forward: every page starts further on and leaves no object out, the
  // last one ends with the last object; only then the next telegram.
  std::vector<std::vector<int>> pages{lv.Objects()};
  for (int i = 0; i < 10 && lv.Messages().empty(); ++i) {
    lv.Show(kViewPageDown);
    if (!lv.Objects().empty()) pages.push_back(lv.Objects());
  }
  ASSERT_GE(pages.size(), 3u);
  for (size_t i = 1; i < pages.size(); ++i) {
    EXPECT_GT(pages[i].front(), pages[i - 1].front());
    EXPECT_LE(pages[i].front(), pages[i - 1].back() + 1) << "page " << i << " leaves objects out";
  }
  EXPECT_EQ(pages.back().back(), 60);
  EXPECT_EQ(lv.Messages(), (std::vector<int>{3})) << "after the last object the next telegram";

  // Back from the last page of objects to the first, then to the telegram before.
  lv.Show(kViewLineUp);
  ASSERT_FALSE(lv.Objects().empty()) << testing::PrintToString(lv.canvas.Texts());
  ASSERT_EQ(lv.Objects().front(), 1) << "coming back, the telegram starts with its first object";
  for (size_t i = 0; i + 1 < pages.size(); ++i) lv.Show(kViewPageDown);
  ASSERT_EQ(lv.Objects(), pages.back());
  std::vector<int> firsts;
  for (int i = 0; i < 10 && lv.Messages().empty() && !lv.Objects().empty(); ++i) {
    firsts.push_back(lv.Objects().front());
    lv.Show(kViewPageUp);
  }
  EXPECT_EQ(firsts.size(), pages.size());
  for (size_t i = 1; i < firsts.size(); ++i) EXPECT_LT(firsts[i], firsts[i - 1]);
  EXPECT_EQ(firsts.back(), 1);
  EXPECT_EQ(lv.Messages().front(), 1) << "after the first object the telegram before";
}

TEST(LogView, EveryPageStartsWithItsHeaderAndADayChangeWithItsDate) {
  LogView lv;
  for (int i = 1; i <= 20; ++i) lv.Store(Message(i, (i <= 5 ? kDay : kDay + 1) + 0.5 + i * kSecond));
  lv.Show(kViewHome);
  auto first = [&] { return lv.canvas.screen.upper_bound(lv.v.topLineY - 1)->second; };
  EXPECT_EQ(first().text, "Thursday, December 11, 2025   telegram 1 of 20");
  EXPECT_TRUE(first().bold);
  const T_TelFarben& tf = lv.m.PrgPar.tf;
  EXPECT_EQ(first().font, tf.ueb.fg) << "headings in their colours";
  const test::ShownText& telegram = std::next(lv.canvas.screen.upper_bound(lv.v.topLineY - 1))->second;
  EXPECT_EQ(telegram.font, tf.err.fg) << "a message in the colours of events: " << telegram.text;
  EXPECT_FALSE(telegram.bold);
  const std::vector<std::string> texts = lv.canvas.Texts();
  const auto date = std::find(texts.begin(), texts.end(), "12/12/25");
  ASSERT_NE(date, texts.end());
  EXPECT_NE(std::prev(date)->find(" T5"), std::string::npos) << "between the days";
  EXPECT_NE(std::next(date)->find(" T6"), std::string::npos);

  lv.Show(kViewPageDown);
  EXPECT_EQ(first().text, "Friday, December 12, 2025   telegram 6 of 20");
  EXPECT_TRUE(first().bold);
  const std::vector<std::string> next = lv.canvas.Texts();
  EXPECT_EQ(std::count(next.begin(), next.end(), "12/12/25"), 0)
      << "the header names the day; no date line on the page";
  EXPECT_EQ(lv.canvas.boldDepth, 0);
}

TEST(LogView, AnEmptyLogShowsTheTitleAndTheEndText) {
  for (int code : {kViewEnd, kViewHome, kViewPageDown, kViewRedraw}) {
    LogView lv;
    EXPECT_EQ(lv.Show(code), 0);
    const std::vector<std::string> texts = lv.canvas.Texts();
    ASSERT_EQ(texts.size(), 2u) << code;
    EXPECT_EQ(texts[0].rfind("Log, filter off", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1], Text(lv.m.AllgVar, 1191));
    EXPECT_FALSE(lv.canvas.busy) << "the cursor is restored";
  }
}

TEST(LogView, NoPageWithoutTheReaderOrInTheOnlineView) {
  LogView lv;
  lv.StoreMessages(3);
  EXPECT_EQ(ShowPage(lv.m, lv.v, lv.canvas, kViewEnd, -1), 0);
  EXPECT_TRUE(lv.canvas.calls.empty()) << "the reader is closed";

  lv.m.PrgPar.ausgonl = 1;
  lv.m.log.ring.redraw = false;
  EXPECT_EQ(lv.Show(kViewHome), 0);
  EXPECT_TRUE(lv.canvas.calls.empty());
  EXPECT_TRUE(lv.m.log.ring.redraw) << "the next tick redraws the online view";
}

TEST(LogView, AnOverwrittenPageTopGoesToTheEnd) {
  LogView lv;
  lv.StoreMessages(30);
  lv.Show(kViewHome);
  lv.m.log.stand.ueberl = 1;
  lv.Show(kViewRedraw);
  EXPECT_EQ(lv.Messages().back(), 30);
  EXPECT_EQ(lv.m.log.stand.ueberl, 0);
  EXPECT_EQ(lv.Show(kViewRedraw), lv.Show(kViewRedraw)) << "then the page stays";
}

TEST(LogView, ColoursChangeOnlyWhereThePairDiffers) {
  LogView lv;
  SetColourPair(lv.v, lv.canvas, {1, 2});
  SetColourPair(lv.v, lv.canvas, {1, 2});
  SetColourPair(lv.v, lv.canvas, {3, 2});
  SetColourPair(lv.v, lv.canvas, {3, 4});
  std::vector<std::pair<int, int>> calls;
  for (const CanvasCall& c : lv.canvas.calls) calls.emplace_back(c.kind, c.a);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{
                       {CanvasCall::Font, 1}, {CanvasCall::Brush, 2}, {CanvasCall::Font, 3}, {CanvasCall::Brush, 4}}));
}

TEST(ViewInput, ScrollCodesAndModifiersGiveViewCommands) {
  const struct {
    ScrollCode code;
    bool shift, ctrl;
    std::optional<int> command;
  } cases[] = {
      {ScrollCode::LineUp, false, false, kViewLineUp},
      {ScrollCode::LineDown, true, true, kViewLineDown},
      {ScrollCode::PageUp, false, false, kViewPageUp},
      {ScrollCode::PageUp, true, false, kViewShiftPageUp},
      {ScrollCode::PageUp, false, true, kViewCtrlPageUp},
      {ScrollCode::PageUp, true, true, kViewShiftCtrlPageUp},
      {ScrollCode::PageDown, false, false, kViewPageDown},
      {ScrollCode::PageDown, true, false, kViewShiftPageDown},
      {ScrollCode::PageDown, false, true, kViewCtrlPageDown},
      {ScrollCode::PageDown, true, true, kViewShiftCtrlPageDown},
      {ScrollCode::ThumbTrack, false, false, kViewRedraw},
      {ScrollCode::Top, false, false, kViewHome},
      {ScrollCode::Bottom, false, false, kViewEnd},
      {ScrollCode::ThumbPosition, false, false, std::nullopt},
      {ScrollCode::EndScroll, false, false, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScrollCommand(c.code, c.shift, c.ctrl), c.command) << static_cast<int>(c.code) << c.shift << c.ctrl;
}

TEST(ViewInput, ScrollBarAndWheelMoveTheLogView) {
  LogView lv;
  lv.StoreMessages(101);
  lv.Show(kViewHome);
  EXPECT_EQ(LogScroll(lv.m, lv.v, lv.canvas, ScrollCode::ThumbTrack, false, false, 500), 500);
  EXPECT_EQ(lv.Messages().front(), 51);
  lv.canvas.calls.clear();
  EXPECT_EQ(LogScroll(lv.m, lv.v, lv.canvas, ScrollCode::EndScroll, false, false, 123), 123);
  EXPECT_TRUE(lv.canvas.calls.empty()) << "end of scrolling draws nothing";

  int position = 500;
  EXPECT_TRUE(WheelScroll(lv.m, lv.v, lv.canvas, true, position));
  EXPECT_EQ(position, 510);
  EXPECT_EQ(lv.Messages().front(), 52);
  EXPECT_TRUE(WheelScroll(lv.m, lv.v, lv.canvas, false, position));
  EXPECT_EQ(lv.Messages().front(), 51);

  lv.m.PrgPar.ausgonl = 1;
  lv.canvas.calls.clear();
  EXPECT_FALSE(WheelScroll(lv.m, lv.v, lv.canvas, true, position)) << "no wheel in the online view";
  EXPECT_EQ(position, 500);
  EXPECT_TRUE(lv.canvas.calls.empty());
  EXPECT_EQ(RunViewCommand(lv.m, lv.v, lv.canvas, kViewEnd), std::nullopt) << "no scroll bar in the online view";
}

TEST(ViewInput, KeysSwitchTheViewsWhenTheOptionIsOn) {
  const struct {
    bool option;
    bool online;
    ViewKey key;
    ViewSwitch result;
  } cases[] = {
      {true, true, ViewKey::Up, ViewSwitch::ShowLogView},
      {true, true, ViewKey::Down, ViewSwitch::ShowLogView},
      {true, true, ViewKey::Escape, ViewSwitch::None},
      {true, false, ViewKey::Escape, ViewSwitch::ShowOnlineView},
      {true, false, ViewKey::Up, ViewSwitch::None},
      {true, false, ViewKey::Other, ViewSwitch::None},
      {false, true, ViewKey::Down, ViewSwitch::None},
      {false, false, ViewKey::Escape, ViewSwitch::None},
  };
  for (const auto& c : cases) {
    T_PrgPar p = DefaultPrgPar(false);
    p.opt[kOptViewSwitchKeys] = c.option;
    p.ausgonl = c.online;
    EXPECT_EQ(TelKeyDown(p, c.key), c.result) << c.option << c.online << static_cast<int>(c.key);
  }
}

}  // namespace
}  // namespace qlxs
