#include "capture/receiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/monitor.h"
#include "log/time_base.h"
#include "model/date_time.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "support/fake_serial_port.h"
#include "support/hex.h"
#include "support/monitor_fixture.h"

namespace qlxs {
namespace {

using Octets = std::vector<uint8_t>;

Octets Hex(const std::string& text) { return test::ParseHex(text); }

Octets Repeat(size_t n, uint8_t c) { return Octets(n, c); }

Octets Cat(std::initializer_list<Octets> parts) {
  Octets out;
  for (const Octets& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A monitor with a manual clock and fake serial ports on both port states;
// every stored telegram is kept.
struct Rig : test::TestMonitor {
  FakeSerialPort serial[2];

  Rig() {
    for (int k = 0; k < 2; ++k) m.ports[k].pCp = &serial[k];
    m.onStored = [this](const T_Telegramm& t) { stored.push_back(t); };
    SyncClock(m);
  }

  T_ComVar& Port(int k = 0) { return m.ports[k]; }

  // One data event with these octets.
  void Receive(const Octets& octets, uint16_t lineError = 0, bool lineBreak = false, int k = 0) {
    serial[k].Feed(octets, lineError, lineBreak);
    OnPortEvent(m, Port(k), kMsgDataAvailable, 0, serial[k].Available());
  }

  // Time passes; with `tick` the timer tick follows.
  void Wait(uint32_t ms, bool tick = true) {
    clock.Advance(ms);
    if (tick) {
      PortTick(m, Port(0));
      PortTick(m, Port(1));
    }
  }

  // A script of steps: hex octets form one data event; "+N" waits N ms and
  // ticks; "~N" waits N ms without a tick.
  void Run(const std::vector<std::string>& steps) {
    for (const std::string& s : steps) {
      if (s[0] == '+' || s[0] == '~')
        Wait(static_cast<uint32_t>(std::stoul(s.substr(1))), s[0] == '+');
      else
        Receive(Hex(s));
    }
  }
};

struct Frame {
  int stat;
  std::string hex;
  friend bool operator==(const Frame&, const Frame&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Frame& f) { return os << f.stat << ":[" << f.hex << "]"; }
};

std::vector<Frame> Frames(const std::vector<T_Telegramm>& stored) {
  std::vector<Frame> out;
  for (const T_Telegramm& t : stored) out.push_back({t.stat, test::HexText({t.b, static_cast<size_t>(std::max<int>(t.lg, 0))})});
  return out;
}

// ---------------------------------------------------------------------------

struct DelimitCase {
  const char* name;
  std::vector<std::string> steps;
  std::vector<Frame> expected;
  bool syncAfter;
};

TEST(Receiver, DelimitsFramesAndTextLines) {
  const DelimitCase cases[] = {
      {"flag-delimited frame out of sync keeps its opening flag",
       {"7E 01 02 7E"}, {{40, "7E 01 02 7E"}}, true},
      {"in sync a frame needs no opening flag",
       {"7E 01 7E", "FF 03 C0 21 09 01 00 04 7E"}, {{40, "7E 01 7E"}, {40, "FF 03 C0 21 09 01 00 04 7E"}}, true},
      {"one flag closes a frame and the next octets form the following one",
       {"7E 01 7E 02 7E"}, {{40, "7E 01 7E"}, {40, "02 7E"}}, true},
      {"two flags after a frame are a frame, a third opens the next",
       {"7E 01 7E 7E 7E 7E 02 7E"}, {{40, "7E 01 7E"}, {40, "7E 7E"}, {40, "7E 02 7E"}}, true},
      {"a frame spread over several events",
       {"7E FF 03", "C0 21", "09 7E"}, {{40, "7E FF 03 C0 21 09 7E"}}, true},
      {"stuffed octets are stored as received",
       {"7E FF 03 C0 21 7D 5E 7D 5D 7E"}, {{40, "7E FF 03 C0 21 7D 5E 7D 5D 7E"}}, true},
      {"a frame without opening flag out of sync is not delimited but synchronises",
       {"01 02 7E", "03 7E"}, {{5, "01 02 7E"}, {40, "03 7E"}}, true},
      {"text line out of sync",
       {"0D 0A 4F 4B 0D 0A"}, {{55, "0D 0A 4F 4B 0D 0A"}}, false},
      {"two LFs alone do not end a line",
       {"0A 0A", "41 0A"}, {{55, "0A 0A 41 0A"}}, false},
      {"a text line over several events",
       {"0D 0A 43 4F", "4E 4E 45 43 54 0D 0A"}, {{55, "0D 0A 43 4F 4E 4E 45 43 54 0D 0A"}}, false},
      {"text that does not start with CR or LF waits for the time-out",
       {"41 54 0D 0A 0D 0A 4F 4B 0D 0A", "+251"}, {{55, "41 54 0D 0A 0D 0A 4F 4B 0D 0A"}}, false},
      {"in sync LF does not close a frame",
       {"7E 01 7E", "0D 0A 4F 4B 0D 0A 7E"}, {{40, "7E 01 7E"}, {40, "0D 0A 4F 4B 0D 0A 7E"}}, true},
      {"synchronisation is lost after the flag time-out",
       {"7E 01 7E", "+4001", "0D 0A 4F 4B 0D 0A"}, {{40, "7E 01 7E"}, {55, "0D 0A 4F 4B 0D 0A"}}, false},
      {"a flagged frame cut short is closed by the time-out",
       {"7E FF 03 C0 21", "+251"}, {{13, "7E FF 03 C0 21"}}, false},
      {"an in-sync frame cut short is closed by the time-out",
       {"7E 01 7E", "02 03", "+251"}, {{40, "7E 01 7E"}, {13, "02 03"}}, false},
      {"octets out of sync closed by the time-out",
       {"41 42", "+251"}, {{13, "41 42"}}, false},
      {"a time-out frame ending in CR counts as text",
       {"41 54 0D", "+251"}, {{55, "41 54 0D"}}, false},
      {"the time-out is strict",
       {"7E 01", "+250", "02 7E"}, {{40, "7E 01 02 7E"}}, true},
      {"an expired time-out closes the pending frame before the next block",
       {"7E 01 02", "~300", "7E 03 7E"}, {{13, "7E 01 02"}, {40, "7E 03 7E"}}, true},
  };
  for (const DelimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.Run(c.steps);
    EXPECT_EQ(Frames(rig.stored), c.expected);
    EXPECT_EQ(rig.Port().em.synlast, c.syncAfter);
    for (const T_Telegramm& t : rig.stored) {
      EXPECT_EQ(t.ta, TaRaw);
      EXPECT_EQ(t.ek, 1);
      EXPECT_EQ(t.idm, 0);
    }
    // Whatever was stored, the receiver is ready for the next frame.
    EXPECT_EQ(rig.Port().em.fehl, 0);
  }
}

struct LimitCase {
  const char* name;
  int32_t tlg;
  Octets input;
  uint16_t lineError;
  std::vector<std::pair<int, int>> expected;  // status, length
};

TEST(Receiver, LengthLimitClosesFrames) {
  const Octets text = Hex("0D 0A 4F 4B 0D 0A");
  const LimitCase cases[] = {
      {"1500 octets close with 16, the next octet starts a new frame",
       1500, Repeat(1501, 0x41), 0, {{16, 1500}, {13, 1}}},
      {"a CR as the 1500th octet makes it text",
       1500, Cat({Repeat(1499, 0x41), Hex("0D")}), 0, {{55, 1500}}},
      {"an LF as the 1500th octet makes it text",
       1500, Cat({Repeat(1499, 0x41), Hex("0A")}), 0, {{55, 1500}}},
      {"a smaller limit from the port settings",
       100, Repeat(250, 0x41), 0, {{16, 100}, {16, 100}, {13, 50}}},
      {"an in-sync frame at the limit loses synchronisation",
       1500, Cat({Hex("7E 01 7E 7E"), Repeat(1499, 0x41), text}), 0, {{40, 3}, {16, 1500}, {55, 6}}},
      {"a limit above the data area read from a log header",
       40000, Repeat(1600, 0x41), 0, {{16, 1500}, {13, 100}}},
      {"the longest stored frame: the limit and a line error",
       40000, Repeat(1500, 0x41), 2, {{1, 1501}}},
      {"a limit below one from a damaged header",
       -5, Hex("41 42"), 0, {{16, 1}, {16, 1}}},
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.Port().bp.tlg = c.tlg;
    rig.Receive(c.input, c.lineError);
    rig.Wait(251);
    std::vector<std::pair<int, int>> got;
    for (const T_Telegramm& t : rig.stored) got.push_back({t.stat, t.lg});
    EXPECT_EQ(got, c.expected);
  }
}

struct LineErrorCase {
  const char* name;
  std::vector<std::string> before;
  std::string block;
  uint16_t lineError;
  bool lineBreak;
  std::vector<Frame> expected;
};

TEST(Receiver, LineErrorsAndBreaksMarkTheFrameTheyHit) {
  const LineErrorCase cases[] = {
      {"the frame closed by the first flag carries the code, later frames are normal",
       {}, "41 42 7E 7E 01 7E", 3, false, {{1, "41 42 7E 03"}, {40, "7E 01 7E"}}},
      {"without a flag the block's octets are closed at its end",
       {}, "41 42", 2, false, {{1, "41 42 02"}}},
      {"a frame pending from earlier blocks takes the code",
       {"7E 01"}, "02 03", 4, false, {{1, "7E 01 02 03 04"}}},
      {"a break without a line error gives code 5",
       {}, "41", 0, true, {{1, "41 05"}}},
      {"a break overrides the line error",
       {}, "41", 4, true, {{1, "41 05"}}},
      {"a frame closed by its time-out at the next block takes that block's code",
       {"7E 01 02", "~300"}, "7E 03 7E", 1, false, {{1, "7E 01 02 01"}, {40, "7E 03 7E"}}},
  };
  for (const LineErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.Run(c.before);
    rig.Receive(Hex(c.block), c.lineError, c.lineBreak);
    EXPECT_EQ(Frames(rig.stored), c.expected);
    EXPECT_EQ(rig.Port().em.fehl, 0);
  }
}

TEST(Receiver, ReadsAnEventInBlocksEachWithItsOwnLineError) {
  Rig rig;
  // A frame that ends in the first block, one that spans into the second
  // block, in which a line error arrives, and a long run after it.
  rig.serial[0].Feed(Cat({Repeat(1000, 0x41), Hex("7E"), Repeat(518, 0x42)}));
  rig.serial[0].Feed(Cat({Hex("43 7E"), Repeat(2000, 0x44)}), 4);
  OnPortEvent(rig.m, rig.Port(), kMsgDataAvailable, 0, rig.serial[0].Available());
  rig.Wait(251);

  EXPECT_EQ(rig.serial[0].BlockReads(), (std::vector<size_t>{1519, 1519, 483}));
  std::vector<std::pair<int, int>> got;
  for (const T_Telegramm& t : rig.stored) got.push_back({t.stat, t.lg});
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{5, 1001}, {1, 521}, {16, 1500}, {13, 500}}));
  ASSERT_EQ(rig.stored.size(), 4u);
  EXPECT_EQ(rig.stored[1].b[519], 0x7E);
  EXPECT_EQ(rig.stored[1].b[520], 4);
}

TEST(Receiver, AnEventAnnouncingMoreThanThePortHasEnds) {
  Rig rig;
  rig.serial[0].Feed(Hex("7E 01 7E"));
  OnPortEvent(rig.m, rig.Port(), kMsgDataAvailable, 0, 5000);
  EXPECT_EQ(Frames(rig.stored), (std::vector<Frame>{{40, "7E 01 7E"}}));
}

TEST(Receiver, StampsFramesWithTheTimeTheyWereClosed) {
  Rig rig;
  rig.Receive(Hex("7E 01 02"));
  rig.Wait(100);
  rig.Receive(Hex("03 7E"));
  const double atFlag = StampNow(rig.m);
  rig.Receive(Hex("7E 04"));
  rig.Wait(200);
  rig.Wait(60);  // the time-out expires between two ticks
  const double atTimeout = StampNow(rig.m);
  ASSERT_EQ(rig.stored.size(), 2u);
  EXPECT_DOUBLE_EQ(rig.stored[0].dt, atFlag);
  EXPECT_DOUBLE_EQ(rig.stored[1].dt, atTimeout);
  EXPECT_EQ(rig.stored[1].stat, StatTimeout);
  // The stamp is the date plus the time of day from the tick, to the millisecond.
  EXPECT_EQ(std::floor(atFlag), std::floor(rig.clock.LocalNow()));
  EXPECT_NEAR(atTimeout - atFlag, 260.0 / kMsPerDay, 1e-9);
}

TEST(Receiver, TimeoutsSurviveTheTickWrapping) {
  Rig rig;
  rig.clock.SetTick(0xFFFFFF00u);
  rig.Receive(Hex("7E 01 7E 7E 02"));
  rig.Wait(200);  // both deadlines lie past the wrap
  EXPECT_EQ(rig.stored.size(), 1u);
  EXPECT_TRUE(rig.Port().em.synlast);
  rig.Wait(51);
  ASSERT_EQ(rig.stored.size(), 2u);
  EXPECT_EQ(Frames(rig.stored)[1], (Frame{13, "7E 02"}));
}

TEST(Receiver, PortsAreIndependent) {
  Rig rig;
  rig.Receive(Hex("7E 01"), 0, false, 0);
  rig.Receive(Hex("0D 0A 4F 4B"), 0, false, 1);
  rig.Receive(Hex("02 7E"), 0, false, 0);
  rig.Receive(Hex("0D 0A"), 0, false, 1);
  ASSERT_EQ(rig.stored.size(), 2u);
  EXPECT_EQ(rig.stored[0].ek, 1);
  EXPECT_EQ(Frames(rig.stored)[0], (Frame{40, "7E 01 02 7E"}));
  EXPECT_EQ(rig.stored[1].ek, 3);
  EXPECT_EQ(Frames(rig.stored)[1], (Frame{55, "0D 0A 4F 4B 0D 0A"}));
  EXPECT_EQ(rig.m.counters[0], 1);
  EXPECT_EQ(rig.m.counters[4], 1);
}

// Which frames go to the unwrapping shows in the PPP protocol it finds.
TEST(Receiver, UnwrapsFlaggedAndTimedOutFramesOnly) {
  struct Case {
    const char* name;
    std::function<void(Rig&)> feed;
    int stat;
    bool unwrapped;
  };
  const Octets lcp = Hex("7E FF 03 C0 21 01");
  const Case cases[] = {
      {"flag-delimited", [&](Rig& r) { r.Receive(Cat({lcp, Hex("7E")})); }, 40, true},
      {"closed by the time-out", [&](Rig& r) { r.Receive(lcp); r.Wait(251); }, 13, true},
      {"not delimited", [&](Rig& r) { r.Receive(Hex("FF 03 C0 21 01 7E")); }, 5, false},
      {"too long", [&](Rig& r) { r.Receive(Cat({lcp, Repeat(1494, 0x41)})); }, 16, false},
      {"line error", [&](Rig& r) { r.Receive(Cat({lcp, Hex("7E")}), 3); }, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    c.feed(rig);
    ASSERT_EQ(rig.stored.size(), 1u);
    EXPECT_EQ(rig.stored[0].stat, c.stat);
    EXPECT_EQ(rig.stored[0].prot != 0, c.unwrapped);
    EXPECT_EQ(rig.stored[0].prot == 0xC021, c.unwrapped);
  }
}

struct ModemCase {
  const char* name;
  uint8_t paend;
  uint8_t status;
  bool fromOutBuffTrigger;
  int storedValue;  // -1: nothing stored
  bool rearmed;
};

TEST(Receiver, ModemLineChangesOfWatchedLines) {
  const ModemCase cases[] = {
      {"DCD change watched", 0x80, 0x88, false, 0x88, true},
      {"only an unwatched line changed", 0x80, 0xB1, false, -1, true},
      {"watched and unwatched changes: only watched flags kept", 0x30, 0x3F, false, 0x33, true},
      {"RI trailing edge watched", 0x40, 0x04, false, 0x04, true},
      {"the output-buffer trigger is ignored", 0x80, 0x88, true, -1, false},
  };
  for (const ModemCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    T_ComVar& port = rig.Port(1);
    FakeSerialPort& sp = rig.serial[1];
    port.se.paend = c.paend;
    port.hCpOutBuffUsed = sp.AddStatusTrigger(kTriggerOutBuffUsed);
    port.hCpModStat = sp.AddStatusTrigger(kTriggerModemStatus);
    sp.SetStatusTrigger(port.hCpModStat, c.paend, true);
    sp.SetModemStatus(c.status);
    OnPortEvent(rig.m, port, kMsgStatusTrigger, c.fromOutBuffTrigger ? port.hCpOutBuffUsed : port.hCpModStat, 0);

    if (c.storedValue < 0) {
      EXPECT_TRUE(rig.stored.empty());
    } else {
      ASSERT_EQ(rig.stored.size(), 1u);
      const T_Telegramm& t = rig.stored[0];
      EXPECT_EQ(t.stat, StatModemStatus);
      EXPECT_EQ(t.ta, TaUFormat);
      EXPECT_EQ(t.ek, 3);
      EXPECT_EQ(t.lg, 4);
      EXPECT_EQ(t.event().fnr, static_cast<uint32_t>(c.storedValue));
      EXPECT_EQ(t.prot, 0);
      EXPECT_EQ(t.ofs, 0);
      EXPECT_EQ(t.idm, 0);
      EXPECT_NE(t.dt, 0.0);  // stamped by the store
      for (int i = 4; i < kTelegramDataSize; ++i) ASSERT_EQ(t.b[i], 0) << i;
    }
    const FakeSerialPort::Trigger* trig = sp.TriggerOf(port.hCpModStat);
    EXPECT_EQ(trig->arms, c.rearmed ? 2 : 1);
    if (c.rearmed) {
      EXPECT_TRUE(trig->armed);
      EXPECT_EQ(trig->mask, c.paend);
    }
  }
}

TEST(Receiver, ModemEventWithoutModemTriggerIsIgnored) {
  Rig rig;
  T_ComVar& port = rig.Port();
  port.hCpOutBuffUsed = rig.serial[0].AddStatusTrigger(kTriggerOutBuffUsed);
  rig.serial[0].SetModemStatus(0xFF);
  OnPortEvent(rig.m, port, kMsgStatusTrigger, 7, 0);
  EXPECT_TRUE(rig.stored.empty());
}

TEST(Receiver, ReceiveIndicatorLightsForTwoTicks) {
  Rig rig;
  T_LedVar& led = rig.Port().LedR;
  auto lit = [&] { return (led.image & 1) != 0; };
  rig.Receive(Hex("41"));
  EXPECT_TRUE(lit());
  rig.Receive(Hex("42"));  // no second lighting while counting down
  EXPECT_EQ(led.image, 1);
  rig.Wait(54);
  EXPECT_TRUE(lit());
  rig.Wait(54);
  EXPECT_FALSE(lit());
  rig.Receive(Hex("43"));  // too early to light again
  EXPECT_FALSE(lit());
  rig.Wait(54);
  rig.Receive(Hex("44"));
  EXPECT_TRUE(lit());
  // The transmit indicator only counts down.
  EXPECT_EQ(rig.Port().LedT.image, 0);
}

TEST(Receiver, DelayWaitsAndKeepsEventsFlowing) {
  Rig rig;
  int calls = 0;
  const uint32_t start = rig.clock.Tick();
  Delay(rig.m, 176000 / 9600 + 300, [&] { ++calls; });
  const uint32_t waited = rig.clock.Tick() - start;
  EXPECT_GE(waited, 318u);
  EXPECT_LT(waited, 318u + 10u);
  EXPECT_GT(calls, 0);

  calls = 0;
  Delay(rig.m, 0, [&] { ++calls; });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(rig.clock.Tick(), start + waited);

  Delay(rig.m, 5, nullptr);  // no event processing wanted
  EXPECT_GE(rig.clock.Tick() - start - waited, 5u);
}

TEST(Receiver, DelayOnTheSystemClock) {
  SystemClock clock;
  RecordingMessageSink sink;
  Monitor m(clock, sink);
  const uint32_t start = clock.Tick();
  Delay(m, 30, nullptr);
  EXPECT_GE(clock.Tick() - start, 30u);
}

// Random line octets in random blocks, with line errors, breaks and pauses:
// every octet ends up in exactly one stored frame, in order, and no frame
// outgrows its limit.
TEST(Receiver, RandomStreamLosesNothingAndNeverOverflows) {
  for (int32_t tlg : {1500, 100, 40000}) {
    SCOPED_TRACE(tlg);
    Rig rig;
    rig.Port().bp.tlg = tlg;
    const int limit = EffectiveFrameLimit(rig.Port().bp);
    Octets sent, received;
    rig.m.onStored = [&](const T_Telegramm& t) {
      ASSERT_GE(t.lg, 1);
      ASSERT_LE(t.lg, kMaxStoredDataLength);
      if (t.idm != 0) return;  // extracted from a frame, not a frame
      const int frame = t.stat == StatLineError ? t.lg - 1 : t.lg;
      ASSERT_LE(frame, limit);
      const int known[] = {StatLineError, StatNoFrame, StatTimeout, StatTooLong, StatOk, StatTextLine,
                           StatNotIpv4, StatIpLengthZero};
      ASSERT_NE(std::find(std::begin(known), std::end(known), t.stat), std::end(known)) << int(t.stat);
      received.insert(received.end(), t.b, t.b + frame);
      // Stored records are clean past their data, whatever came before.
      ASSERT_TRUE(std::all_of(t.b + t.lg, t.b + kTelegramDataSize, [](uint8_t c) { return c == 0; }));
    };
    std::mt19937 rng(1234 + tlg);
    auto octet = [&]() -> uint8_t {
      const unsigned r = rng() % 100;
      if (r < 8) return 0x7E;
      if (r < 12) return 0x0A;
      if (r < 16) return 0x0D;
      if (r < 18) return 0x7D;
      return static_cast<uint8_t>(rng());
    };
    for (int event = 0; event < 400; ++event) {
      Octets block(rng() % 4000 + 1);
      for (uint8_t& c : block) c = octet();
      const unsigned r = rng() % 100;
      rig.Receive(block, r < 5 ? static_cast<uint16_t>(rng() % 4 + 1) : 0, r >= 5 && r < 8);
      sent.insert(sent.end(), block.begin(), block.end());
      if (rng() % 3 == 0) rig.Wait(rng() % 400);
    }
    rig.Wait(300);
    EXPECT_EQ(rig.Port().em.te.lg, 0);
    ASSERT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
  }
}

}  // namespace
}  // namespace qlxs
