// Opening, saving and re-analysing telegram log files.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "app/log_files.h"
#include "capture/receiver.h"
#include "filter/filter_match.h"
#include "log/log_reader.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "sim/apdu_builder.h"
#include "sim/line_simulator.h"
#include "support/capture_fixture.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::CaptureFixture;
using test::ReadFileBytes;
using test::ReadForward;
using test::ScratchDir;

// A capturing monitor with its telegram log in a file.
struct LoggedCapture : CaptureFixture {
  explicit LoggedCapture(const std::string& logName, int32_t maxlog = 100) {
    m.AllgPar.maxlog = maxlog;
    LogNew(m, logName);
    m.AllgVar.dtlog = logName;
  }
};

// Feeds both simulated lines in alternating blocks of varying size, the
// clock moving on between blocks so that time stamps differ, then lets the
// reception time-out close what is left.
void FeedLines(CaptureFixture& fx, const sim::SimResult& r, uint32_t seed) {
  sim::Rng rng(seed * 104729u + 3);
  test::FeedInRandomBlocks(fx, r, rng, 60, [&fx] { fx.clock.Advance(1); });
}

void Feed(CaptureFixture& fx, int port, const sim::Bytes& octets, uint16_t lineError = 0) {
  fx.m.ports[port].em.fehl = lineError;
  ReceiveBlock(fx.m, fx.m.ports[port], octets.data(), octets.size());
}

// Everything of a telegram but its place in the log (`nr`, `lgv`, `lga`).
std::string Difference(const T_Telegramm& got, const T_Telegramm& want) {
  std::string why;
  auto field = [&why](const char* name, double g, double w) {
    if (g != w) why += std::string(" ") + name + " " + std::to_string(g) + " want " + std::to_string(w);
  };
  field("stat", got.stat, want.stat);
  field("ta", got.ta, want.ta);
  field("lg", got.lg, want.lg);
  field("ek", got.ek, want.ek);
  field("idm", got.idm, want.idm);
  field("prot", got.prot, want.prot);
  field("ofs", got.ofs, want.ofs);
  field("dt", got.dt, want.dt);
  if (got.lg == want.lg && got.lg > 0 && std::memcmp(got.b, want.b, static_cast<size_t>(got.lg)) != 0)
    why += " data differs";
  return why;
}

::testing::AssertionResult SameTelegrams(const std::vector<T_Telegramm>& got, const std::vector<T_Telegramm>& want) {
  for (size_t i = 0; i < std::min(got.size(), want.size()); ++i)
    if (const std::string why = Difference(got[i], want[i]); !why.empty())
      return ::testing::AssertionFailure() << "telegram " << i << ":" << why;
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << got.size() << " telegrams, want " << want.size();
  return ::testing::AssertionSuccess();
}

bool IsFrame(const T_Telegramm& t) {
  return (t.ta == TaRaw || t.ta == TaRaw104) && t.stat != StatFragment && t.idm == 0;
}

struct ReplayVariant {
  const char* name;
  int splitPercent;
  uint32_t faults;
  bool vj;
};

// A re-analysis stores again exactly what the capture stored: every raw
// frame with its verdict, every piece and every APDU with its status,
// class, identity and the capture's time stamp, numbered after the
// current log's newest telegram. The replayed file is only read.
TEST(ReplayLog, YieldsWhatTheCaptureStored) {
  const ReplayVariant variants[] = {
      {"plain", 0, 0, false},
      {"split APDUs and faults", 40, sim::kAllFaults, false},
      {"Van Jacobson", 0, sim::FaultBit(sim::Fault::Garbage), true},
  };
  for (const ReplayVariant& v : variants) {
    for (uint32_t seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(std::string(v.name) + ", seed " + std::to_string(seed));
      ScratchDir dir;
      const std::string captured = dir.file("captured.lg4");
      sim::SimOptions o;
      o.seed = seed;
      o.apdus = 300;
      o.splitPercent = v.splitPercent;
      o.faults = v.faults;
      o.faultEvery = 8;
      o.vj = v.vj;
      {
        LoggedCapture a(captured);
        FeedLines(a, sim::SimulateLine(o), seed);
        LogClose(a.m);
        const std::vector<uint8_t> before = ReadFileBytes(captured);

        LoggedCapture b(dir.file("current.lg4"));
        T_Telegramm earlier = test::SampleTelegram(1, 20);
        for (int i = 0; i < 5; ++i) StoreTelegram(b.m, earlier);
        b.stored.clear();
        const ReplayResult r = ReplayLog(b.m, captured);
        EXPECT_TRUE(r.complete);
        EXPECT_EQ(r.damagedBlocks, 0);
        EXPECT_TRUE(b.sink.entries.empty());
        EXPECT_TRUE(SameTelegrams(b.stored, a.stored));
        for (size_t i = 0; i < b.stored.size(); ++i) ASSERT_EQ(b.stored[i].nr, static_cast<int32_t>(6 + i));
        EXPECT_EQ(ReadFileBytes(captured), before);
        // What the replay stored is in the current log, as the reader finds it.
        EXPECT_EQ(ReadForward(b.m).size(), b.stored.size() + 5);
      }
    }
  }
}

// What the receiver decided from the line's history, which the log does not
// hold, comes back from the stored status: a line-error frame keeps its
// error code, a modem text line after PPP traffic stays a text line, octets
// out of synchronisation stay undelimited, and a frame cut off by the
// reception time-out is unwrapped again.
TEST(ReplayLog, FramesAreJudgedAsTheReceiverJudgedThem) {
  ScratchDir dir;
  const std::string captured = dir.file("captured.lg4");
  LoggedCapture a(captured);
  sim::SimOptions o;
  o.seed = 4;
  o.apdus = 40;
  const sim::SimResult r = sim::SimulateLine(o);
  Feed(a, 0, r.line[0]);
  Feed(a, 1, r.line[1]);
  // A line error inside a frame, a text line once flag synchronisation has
  // lapsed, noise closed by a flag, and an IPv4 datagram the time-out cuts.
  Feed(a, 0, {0x7E, 0xFF, 0x03, 0x00, 0x21, 0x45}, 3);
  a.clock.Advance(a.port1().bp.tosyn + 1);
  Feed(a, 0, {0x0D, 0x0A, 'N', 'O', ' ', 'C', 'A', 'R', 'R', 'I', 'E', 'R', 0x0D, 0x0A});
  Feed(a, 1, {0x01, 0x02, 0x03, 0x7E});
  Feed(a, 0, {0x7E, 0xFF, 0x03, 0x00, 0x21, 0x45, 0x00, 0x00, 0x40, 0x00});
  a.clock.Advance(a.port1().bp.toempf + 1);
  PortTick(a.m, a.port1());
  LogClose(a.m);

  uint32_t seen = 0;
  for (const T_Telegramm& t : a.stored) {
    if (t.stat == StatLineError) seen |= 1;
    if (t.stat == StatTextLine && t.lg == 14) seen |= 2;
    if (t.stat == StatNoFrame && t.ek == kReceiverPort2) seen |= 4;
    if (t.stat == StatNotIpv4 && t.b[t.lg - 1] != 0x7E) seen |= 8;
  }
  ASSERT_EQ(seen, 15u) << "the fixture no longer makes every kind of frame";

  LoggedCapture b(dir.file("current.lg4"));
  ReplayLog(b.m, captured);
  EXPECT_TRUE(SameTelegrams(b.stored, a.stored));
}

// A log whose ring has wrapped is replayed from its oldest block to its
// newest: the frames still in it yield what they yielded at capture.
TEST(ReplayLog, WrappedLogFromOldestToNewestBlock) {
  ScratchDir dir;
  const std::string captured = dir.file("wrapped.lg4");
  sim::SimOptions o;
  o.seed = 21;
  o.apdus = 9000;
  o.splitPercent = 0;  // no APDU continues from a frame that was overwritten
  o.faults = sim::kAllFaults & ~sim::FaultBit(sim::Fault::LostSegment);
  o.faultEvery = 30;
  LoggedCapture a(captured, 1);
  FeedLines(a, sim::SimulateLine(o), o.seed);
  const T_LogStand s = a.m.log.stand;
  ASSERT_GT(s.erstnr, 1) << "the ring did not wrap";
  ASSERT_NE(s.erstbl, 0);
  LogClose(a.m);

  // The capture's telegrams from the first frame still in the log.
  std::vector<T_Telegramm> want;
  for (const T_Telegramm& t : a.stored)
    if (t.nr >= s.erstnr && (!want.empty() || IsFrame(t))) want.push_back(t);

  LoggedCapture b(dir.file("current.lg4"), 100);
  const ReplayResult r = ReplayLog(b.m, captured);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.blocks, s.anzbl);
  EXPECT_TRUE(SameTelegrams(b.stored, want));
}

// A file that is not a telegram log gives message 1203 naming it, and
// nothing is stored or changed.
TEST(ReplayLog, NotALogStoresNothing) {
  ScratchDir dir;
  const std::string garbage = dir.file("garbage.lg4");
  test::WriteFileBytes(garbage, std::vector<uint8_t>(5000, 0x41));
  const std::string shortFile = dir.file("short.lg4");
  test::WriteFileBytes(shortFile, std::vector<uint8_t>(100, 0));
  ::mkdir(dir.file("folder.lg4").c_str(), 0755);
  const std::string cases[] = {garbage, shortFile, dir.file("folder.lg4"), dir.file("missing.lg4")};
  for (const std::string& name : cases) {
    SCOPED_TRACE(name);
    LoggedCapture b(dir.file("current.lg4"));
    const T_LogStand before = b.m.log.stand;
    struct stat st;
    const bool regular = ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    const std::vector<uint8_t> bytes = regular ? ReadFileBytes(name) : std::vector<uint8_t>{};
    const ReplayResult r = ReplayLog(b.m, name);
    EXPECT_NE(r.check, LogCheck::Valid);
    EXPECT_TRUE(b.stored.empty());
    EXPECT_EQ(b.m.log.stand.letztnr, before.letztnr);
    ASSERT_EQ(b.sink.entries.size(), 1u);
    EXPECT_EQ(b.sink.entries[0].number, 1203);
    EXPECT_EQ(b.sink.entries[0].type, MsgError);
    EXPECT_NE(b.sink.entries[0].text.find(name), std::string::npos) << b.sink.entries[0].text;
    if (regular) {
      EXPECT_EQ(ReadFileBytes(name), bytes);
    }
  }
}

// Re-analysing the current log into itself would read blocks that the
// replay is overwriting; it is refused.
TEST(ReplayLog, TheCurrentLogItselfIsRefused) {
  ScratchDir dir;
  const std::string name = dir.file("current.lg4");
  LoggedCapture b(name);
  sim::SimOptions o;
  o.apdus = 30;
  FeedLines(b, sim::SimulateLine(o), 1);
  LogFlush(b.m);
  const size_t count = b.stored.size();
  const ReplayResult r = ReplayLog(b.m, dir.path() + "/./current.lg4");
  EXPECT_TRUE(r.currentLog);
  EXPECT_EQ(b.stored.size(), count);
  ASSERT_EQ(b.sink.entries.size(), 1u);
  EXPECT_EQ(b.sink.entries[0].number, 1203);
}

// Damage inside the file: a block with a broken record chain keeps its good
// records and the walk goes on; a file that ends early ends the walk, with
// one message either way.
TEST(ReplayLog, DamagedBlocksAndShortFiles) {
  ScratchDir dir;
  const std::string captured = dir.file("captured.lg4");
  sim::SimOptions o;
  o.seed = 9;
  o.apdus = 1500;
  {
    LoggedCapture a(captured);
    FeedLines(a, sim::SimulateLine(o), 9);
    LogClose(a.m);
    ASSERT_GE(a.m.log.stand.aktbl, 3);
  }
  const std::vector<uint8_t> good = ReadFileBytes(captured);
  // The record length of the sixth record of block 1: five records survive.
  int64_t sixth = BlockFileOffset(1) + kFirstRecord;
  for (int i = 0; i < 5; ++i) {
    uint16_t lga;
    std::memcpy(&lga, good.data() + sixth + offsetof(T_Telegramm, lga), 2);
    sixth += lga;
  }

  struct Case {
    const char* name;
    int64_t cutAt;       // file length, or -1
    int64_t smashAt;     // offset of a record length to spoil, or -1
    bool complete;
    int damagedBlocks;  // the cut block keeps its whole records; the blocks after it are missing
  };
  const Case cases[] = {
      {"broken chain in block 1", -1, sixth + static_cast<int64_t>(offsetof(T_Telegramm, lga)), true, 1},
      {"file ends inside block 2", BlockFileOffset(2) + 1000, -1, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = good;
    if (c.cutAt >= 0) bytes.resize(static_cast<size_t>(c.cutAt));
    if (c.smashAt >= 0) bytes[static_cast<size_t>(c.smashAt)] ^= 0x55;
    const std::string damaged = dir.file("damaged.lg4");
    test::WriteFileBytes(damaged, bytes);

    LoggedCapture b(dir.file("current.lg4"));
    const ReplayResult r = ReplayLog(b.m, damaged);
    EXPECT_EQ(r.complete, c.complete);
    EXPECT_EQ(r.damagedBlocks, c.damagedBlocks);
    EXPECT_GT(r.frames, 0);
    ASSERT_EQ(b.sink.entries.size(), 1u);
    EXPECT_EQ(b.sink.entries[0].number, 1203);
  }
}

// A replay while capture goes on leaves the capture's receivers and its
// pending APDUs as they were: a frame half received before the replay is
// completed afterwards as if nothing had happened in between.
TEST(ReplayLog, CaptureGoingOnIsNotDisturbed) {
  ScratchDir dir;
  const std::string captured = dir.file("captured.lg4");
  sim::SimOptions o;
  o.seed = 12;
  o.apdus = 200;
  o.splitPercent = 50;
  {
    LoggedCapture a(captured);
    FeedLines(a, sim::SimulateLine(o), 12);
    LogClose(a.m);
  }

  o.seed = 13;
  const sim::SimResult live = sim::SimulateLine(o);
  // Undisturbed: the live lines as one capture.
  LoggedCapture plain(dir.file("plain.lg4"));
  FeedLines(plain, live, 5);

  // The same lines with a replay in the middle of them, while frames and
  // APDUs are half received.
  LoggedCapture b(dir.file("current.lg4"));
  sim::Rng rng(5 * 104729u + 3);
  bool replayed = false;
  test::FeedInRandomBlocks(b, live, rng, 60, [&] {
    if (!replayed && b.stored.size() > plain.stored.size() / 2 && b.port1().em.te.lg > 0) {
      const std::vector<T_Telegramm> liveStored = b.stored;
      ReplayLog(b.m, captured);
      EXPECT_GT(b.stored.size(), liveStored.size() + 100);
      b.stored = liveStored;
      replayed = true;
    }
    b.clock.Advance(1);
  });
  ASSERT_TRUE(replayed);
  EXPECT_TRUE(SameTelegrams(b.stored, plain.stored));
}

// Saving the log under another name gives a byte-for-byte copy of its file;
// the current log stays the current log and goes on as before.
TEST(LogCopyTo, CopyIsByteIdenticalAndTheCurrentLogStays) {
  ScratchDir dir;
  const std::string name = dir.file("current.lg4");
  const std::string copy = dir.file("copy.lg4");
  test::WriteFileBytes(copy, {1, 2, 3});  // an existing target is replaced
  LoggedCapture a(name);
  sim::SimOptions o;
  o.apdus = 1200;
  FeedLines(a, sim::SimulateLine(o), 1);
  const int32_t letztnr = a.m.log.stand.letztnr;

  const LogCopyResult r = SaveLogAs(a.m, copy);
  EXPECT_EQ(r.outcome, LogCopyOutcome::Copied);
  EXPECT_TRUE(a.sink.entries.empty());
  EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(name));
  EXPECT_EQ(a.m.AllgVar.dtlog, name);
  EXPECT_EQ(a.m.log.stand.letztnr, letztnr);
  EXPECT_TRUE(a.m.log.reader.open);

  // The copy opens as a log holding the same records; the current log goes on.
  T_Telegramm t = test::SampleTelegram(3, 10);
  StoreTelegram(a.m, t);
  const auto current = ReadForward(a.m);
  EXPECT_EQ(current.back(), test::RecordBytes(t));
  test::TestMonitor other;
  LogOpen(*other, copy, false);
  auto copied = ReadForward(*other);
  EXPECT_EQ(copied.size() + 1, current.size());
  copied.push_back(test::RecordBytes(t));
  EXPECT_EQ(copied, current);
}

// Cases in which nothing is copied, and failures, which are reported naming
// the file and leave the current log as it was.
TEST(LogCopyTo, NothingToDoAndFailures) {
  ScratchDir dir;
  const std::string name = dir.file("current.lg4");
  ::mkdir(dir.file("folder").c_str(), 0755);
  struct Case {
    std::string target;
    LogCopyOutcome outcome;
    std::string named;  // the file a message names; empty: no message
  };
  const Case cases[] = {
      {name, LogCopyOutcome::SameFile, ""},
      {dir.path() + "/./current.lg4", LogCopyOutcome::SameFile, ""},
      {dir.file("no/such/dir/copy.lg4"), LogCopyOutcome::Failed, dir.file("no/such/dir/copy.lg4")},
      {dir.file("folder"), LogCopyOutcome::Failed, dir.file("folder")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    LoggedCapture a(name);
    T_Telegramm t = test::SampleTelegram(2, 30);
    StoreTelegram(a.m, t);
    LogClose(a.m);
    LogOpen(a.m, name, false);
    const std::vector<uint8_t> before = ReadFileBytes(name);
    const LogCopyResult r = LogCopyTo(a.m, c.target);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(ReadFileBytes(name), before);
    if (c.named.empty()) {
      EXPECT_TRUE(a.sink.entries.empty());
    } else {
      ASSERT_EQ(a.sink.entries.size(), 1u);
      EXPECT_EQ(a.sink.entries[0].type, MsgError);
      EXPECT_NE(a.sink.entries[0].text.find(c.named), std::string::npos) << a.sink.entries[0].text;
    }
    // The current log still takes telegrams.
    StoreTelegram(a.m, t);
    EXPECT_EQ(ReadForward(a.m).size(), 2u);
    LogClose(a.m);
  }

  // A current log whose file has gone: nothing to copy.
  test::TestMonitor m;
  m->AllgVar.dtlog = dir.file("gone.lg4");
  EXPECT_EQ(LogCopyTo(*m, dir.file("copy.lg4")).outcome, LogCopyOutcome::NoSource);
  EXPECT_FALSE(test::FileExists(dir.file("copy.lg4")));
}

// Opening a log written with other settings brings them in: the parameters
// of both ports and the general parameters, with both filters off. The log
// that was current is written back first.
TEST(OpenLogFile, TakesOverTheSettingsOfTheLog) {
  ScratchDir dir;
  const std::string other = dir.file("other.lg4");
  {
    test::TestMonitor w;
    w->ports[0].bp.port = 2405;
    w->ports[0].bp.toempf = 111;
    w->ports[1].bp.port = 2406;
    w->ports[1].bp.tosyn = 2222;
    w->AllgPar.maxlog = 7;
    FilterNormalise(w->AllgPar.lfilt, w->AllgPar);  // a log filter that admits everything
    w->AllgPar.lfilt.ein = 1;
    LogNew(*w, other);
    T_Telegramm t = test::SampleTelegram(4, 12);
    StoreTelegram(*w, t);
    LogClose(*w);
  }

  const std::string current = dir.file("current.lg4");
  test::TestMonitor tm;
  Monitor& m = *tm;
  LogOpen(m, current, false);
  T_Telegramm t = test::SampleTelegram(5, 16);
  StoreTelegram(m, t);
  m.AllgPar.lfilt.ein = 1;
  m.AllgPar.afilt.ein = 1;

  OpenLogFile(m, other);
  EXPECT_EQ(m.AllgVar.dtlog, other);
  EXPECT_EQ(m.ports[0].bp.port, 2405u);
  EXPECT_EQ(m.ports[0].bp.toempf, 111u);
  EXPECT_EQ(m.ports[1].bp.port, 2406u);
  EXPECT_EQ(m.ports[1].bp.tosyn, 2222u);
  EXPECT_EQ(m.AllgPar.maxlog, 7);
  EXPECT_EQ(m.AllgPar.lfilt.ein, 0);
  EXPECT_EQ(m.AllgPar.afilt.ein, 0);
  EXPECT_EQ(ReadForward(m).size(), 1u);
  EXPECT_TRUE(tm.sink.entries.empty());

  // The log that was current kept what was stored in it.
  OpenLogFile(m, current);
  const auto back = ReadForward(m);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0], test::RecordBytes(t));
}

}  // namespace
}  // namespace qlxs
