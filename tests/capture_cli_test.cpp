// qlxs-cli capture as a user runs it: the built program reads the slave ends
// of pseudo-terminal pairs, the line simulator writes both directions into
// the master ends, and the captured log is compared with what `qlxs-cli feed`
// makes of the same octets.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "log/telegram_log.h"
#include "pcap/telegram_packets.h"
#include "platform/file_system.h"
#include "platform/termios_serial_port.h"
#include "sim/line_simulator.h"
#include "support/log_fixture.h"
#include "support/pcapng_reader.h"
#include "support/pty_pair.h"
#include "support/records_listing.h"
#include "support/run_cli.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"
#include "support/tshark.h"

namespace qlxs {
namespace {

using test::CliChild;
using test::PtyPair;

using Rows = std::vector<T_Telegramm>;

std::string Data(const T_Telegramm& t) { return std::string(reinterpret_cast<const char*>(t.b), t.lg); }

// Everything of a listed record but its number: receiver, status, class,
// lengths, PPP fields and the data octets.
std::string Key(const T_Telegramm& t) {
  return std::to_string(t.ek) + " " + std::to_string(t.stat) + " " + std::to_string(t.ta) + " " +
         std::to_string(t.lg) + " " + std::to_string(t.idm) + " " + std::to_string(t.prot) + " " +
         std::to_string(t.ofs) + " " + Data(t);
}

Rows OfReceiver(const Rows& rows, int ek) {
  Rows out;
  for (const T_Telegramm& r : rows)
    if (r.ek == ek) out.push_back(r);
  return out;
}

int CountStat(const std::string& listing, int stat) {
  int n = 0;
  for (const T_Telegramm& r : test::ParseRecordsListing(listing)) n += r.stat == stat;
  return n;
}

// A private home for the program: settings, data directory, lock files, English messages.
struct CaptureEnv {
  CaptureEnv() {
    ::mkdir(root.file("run").c_str(), 0700);
    env = {{"HOME", root.file("home")},          {"XDG_CONFIG_HOME", root.file("config")},
           {"XDG_DATA_HOME", root.file("data")}, {"XDG_RUNTIME_DIR", root.file("run")},
           {"LANG", "C"},                        {"LC_ALL", ""},
           {"LC_MESSAGES", ""}};
  }
  std::string DataDir() const { return root.file("data") + "/Brakel/DemoQuallixS/"; }
  std::string File(const std::string& name) const { return root.file(name); }
  test::CliResult Run(const std::vector<std::string>& args) const { return test::RunCli(root.path(), args, env); }
  std::unique_ptr<CliChild> Start(const std::vector<std::string>& args) const {
    return std::make_unique<CliChild>(args, env, File("capture-err.txt"));
  }
  Rows Records(const std::string& log) const {
    const test::CliResult r = Run({"records", log});
    EXPECT_EQ(r.exit, 0) << r.err;
    return test::ParseRecordsListing(r.out);
  }

  test::ScratchDir root;
  test::EnvOverrides env;
};

// A telegram log with the given port parameters in its header, as the
// desktop program leaves it; capture continues it with these parameters.
void MakeLog(const std::string& path, const std::string& text1, const std::string& text2, uint32_t toempf = 250,
             int32_t maxlog = 100) {
  test::TestMonitor tm;
  tm->AllgPar.maxlog = maxlog;
  tm->ports[0].bp.logtxt.assign(text1);
  tm->ports[1].bp.logtxt.assign(text2);
  for (T_ComVar& port : tm->ports) port.bp.toempf = toempf;
  LogNew(*tm, path);
  LogClose(*tm);
}

// The octets of a simulated line cut where the monitor closes its raw
// frames and text lines, so no reception time-out can cut them differently.
std::vector<sim::Bytes> WholeFrames(const sim::SimResult& r, int line) {
  std::vector<sim::Bytes> frames;
  sim::Bytes joined;
  for (const sim::ExpectedTelegram& t : r.expected[line])
    if (!t.hasVid && (t.ta == TaRaw || t.ta == TaRaw104)) {
      frames.push_back(t.data);
      joined.insert(joined.end(), t.data.begin(), t.data.end());
    }
  EXPECT_EQ(joined, r.line[line]) << "the raw telegrams cover the line";
  return frames;
}

// Writes both lines frame by frame, alternating, with short pauses.
void WriteLines(PtyPair (&pty)[2], const sim::SimResult& r) {
  const std::vector<sim::Bytes> frames[2] = {WholeFrames(r, 0), WholeFrames(r, 1)};
  size_t next[2] = {0, 0};
  while (next[0] < frames[0].size() || next[1] < frames[1].size()) {
    for (int p = 0; p < 2; ++p)
      if (next[p] < frames[p].size()) {
        const sim::Bytes& f = frames[p][next[p]++];
        ASSERT_TRUE(pty[p].Write(f.data(), f.size()));
      }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

// Waits until the tty behind `fd` holds no unread input, that is until the
// process that has the device open has read every octet written into the
// master end; false when that takes longer than `timeoutMs`. The count
// holds every octet once the line is in raw mode, as the capture sets it.
bool WaitInputRead(int fd, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int unread = 0;
    if (::ioctl(fd, FIONREAD, &unread) != 0) return false;
    if (unread == 0) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

sim::SimResult Simulate(uint32_t seed, int apdus) {
  sim::SimOptions o;
  o.seed = seed;
  o.apdus = apdus;
  o.splitPercent = 30;
  o.faults = sim::kAllFaults;
  o.faultEvery = 10;
  return sim::SimulateLine(o);
}

// Feeds the simulated octets through `qlxs-cli feed` and lists the result.
Rows Feed(const CaptureEnv& env, const sim::SimResult& r) {
  const std::string a = env.File("line1.bin"), b = env.File("line2.bin");
  test::WriteFile(a, std::string(r.line[0].begin(), r.line[0].end()));
  test::WriteFile(b, std::string(r.line[1].begin(), r.line[1].end()));
  const test::CliResult fed = env.Run({"feed", env.File("feed.lg4"), a, b});
  EXPECT_EQ(fed.exit, 0) << fed.err;
  return env.Records(env.File("feed.lg4"));
}

// Starts capture, waits for both ports to open, plays the simulated lines,
// waits until everything the feed stored has been captured too, and stops
// the capture with `stopSignal`. Returns the capture's output.
std::string CaptureLines(const CaptureEnv& env, PtyPair (&pty)[2], const sim::SimResult& r, size_t feedCount,
                         const std::vector<std::string>& args, int stopSignal) {
  auto child = env.Start(args);
  EXPECT_TRUE(child->started());
  if (!child->WaitOutput([](const std::string& out) { return CountStat(out, StatPortOpened) == 2; }, 5000)) {
    ADD_FAILURE() << "capture did not open both ports\n" << child->err();
    return {};
  }
  WriteLines(pty, r);
  const bool all = child->WaitOutput(
      [&](const std::string& out) {
        size_t n = 0;
        for (const T_Telegramm& t : test::ParseRecordsListing(out)) n += t.ta != TaEvent;
        return n >= feedCount;
      },
      5000);
  EXPECT_TRUE(all) << "capture did not store everything the feed stored";
  child->Signal(stopSignal);
  EXPECT_EQ(child->Wait(5000), 0) << child->err();
  return child->out();
}

// The captured log holds, for each port, the port-opened telegram and the
// log text, then exactly what the feed stored for that port (same octets,
// same statuses and classes), then the log text and the port-closed telegram.
void ExpectSameAsFeed(const Rows& captured, const Rows& fed, const std::string (&logText)[2],
                      const int32_t (&cnr)[2]) {
  for (int p = 0; p < 2; ++p) {
    const int ek = p == 0 ? kReceiverPort1 : kReceiverPort2;
    const Rows got = OfReceiver(captured, ek);
    const Rows want = OfReceiver(fed, ek);
    const size_t around = logText[p].empty() ? 1 : 2;
    ASSERT_EQ(got.size(), want.size() + 2 * around) << "port " << p + 1;
    const T_Telegramm& opened = got.front();
    EXPECT_EQ(opened.stat, StatPortOpened);
    EXPECT_EQ(opened.ta, TaEvent);
    EXPECT_EQ(opened.LongAt(4), cnr[p]) << "COM number";
    EXPECT_EQ(opened.LongAt(5), 38400);
    if (!logText[p].empty()) {
      const std::string text = std::string(1, static_cast<char>(logText[p].size())) + logText[p];
      EXPECT_EQ(got[1].stat, StatMessage);
      EXPECT_EQ(Data(got[1]), text);
      EXPECT_EQ(got[got.size() - 2].stat, StatMessage);
      EXPECT_EQ(Data(got[got.size() - 2]), text);
    }
    EXPECT_EQ(got.back().stat, StatPortClosed);
    for (size_t i = 0; i < want.size(); ++i)
      ASSERT_EQ(Key(got[around + i]), Key(want[i])) << "port " << p + 1 << ", telegram " << i;
  }
}

TEST(CaptureCli, LiveCaptureThroughNamedDevicesMatchesTheFeed) {
  CaptureEnv env;
  PtyPair pty[2];
  ASSERT_TRUE(pty[0].ok() && pty[1].ok());
  const sim::SimResult r = Simulate(3, 80);
  const Rows fed = Feed(env, r);
  ASSERT_GT(fed.size(), 100u);

  const std::string log = env.File("capture.lg4");
  MakeLog(log, "tap north", "tap south");
  const std::string out = CaptureLines(env, pty, r, fed.size(),
                                       {"capture", "--log", log, "--device1", pty[0].slave(), "--device2",
                                        pty[1].slave()},
                                       SIGTERM);
  const Rows captured = env.Records(log);
  ExpectSameAsFeed(captured, fed, {"tap north", "tap south"}, {33, 34});
  // Standard output showed every telegram as the log lists it.
  test::CliResult listed = env.Run({"records", log});
  EXPECT_EQ(out, listed.out);
}

TEST(CaptureCli, LiveCaptureThroughThePortMapMatchesTheFeed) {
  CaptureEnv env;
  PtyPair pty[2];
  ASSERT_TRUE(pty[0].ok() && pty[1].ok());
  ASSERT_EQ(MakeDirectories(env.DataDir()), 0);
  ASSERT_TRUE(test::WriteFile(env.DataDir() + "ports.map", "# the tap\n4 " + pty[0].slave() + "\n5 " +
                                                                 pty[1].slave() + "\nfive /dev/ttyUSB9\n"));
  const sim::SimResult r = Simulate(8, 40);
  const Rows fed = Feed(env, r);

  const std::string log = env.File("capture.lg4");
  CaptureLines(env, pty, r, fed.size(), {"capture", "--log", log}, SIGINT);
  ExpectSameAsFeed(env.Records(log), fed, {"", ""}, {4, 5});
  const std::string err = test::ReadFile(env.File("capture-err.txt"));
  EXPECT_NE(err.find(env.DataDir() + "ports.map:4: 'five' is not a COM number"), std::string::npos) << err;
}

TEST(CaptureCli, PulledDevicesAreClosedOneByOneWithNothingLost) {
  CaptureEnv env;
  PtyPair pty[2];
  ASSERT_TRUE(pty[0].ok() && pty[1].ok());
  const std::string log = env.File("capture.lg4");
  // A long reception time-out, so that only the pulled device closes the
  // frame left unfinished.
  MakeLog(log, "north", "", 5000);
  // A second descriptor of the first slave, opened before the capture claims
  // the device, shows how much of the line the capture has not read yet.
  const int watch = ::open(pty[0].slave().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(watch, 0) << pty[0].slave() << ": " << std::strerror(errno);
  auto child = env.Start({"capture", "--log", log, "--device1", pty[0].slave(), "--device2", pty[1].slave()});
  ASSERT_TRUE(child->WaitOutput([](const std::string& o) { return CountStat(o, StatPortOpened) == 2; }, 5000))
      << child->err();

  const std::string lcp = "\x7e\xff\x7d\x23\xc0\x21\x01\x01\x7e";
  ASSERT_TRUE(pty[0].Write(lcp + "\x7e\xff\x7d\x23"));  // a frame, then one that never ends
  ASSERT_TRUE(pty[1].Write("\r\nRING\r\n"));
  ASSERT_TRUE(child->WaitOutput(
      [](const std::string& o) { return CountStat(o, StatOk) == 1 && CountStat(o, StatTextLine) == 1; }, 5000));
  const bool read = WaitInputRead(watch, 5000);
  ::close(watch);
  ASSERT_TRUE(read) << "the capture has not read the unfinished frame";
  pty[0].CloseMaster();
  ASSERT_TRUE(child->WaitOutput([](const std::string& o) { return CountStat(o, StatPortClosed) == 1; }, 5000))
      << child->err();

  ASSERT_TRUE(pty[1].Write("\r\nNO CARRIER\r\n"));
  ASSERT_TRUE(child->WaitOutput([](const std::string& o) { return CountStat(o, StatTextLine) == 2; }, 5000));
  pty[1].CloseMaster();
  EXPECT_EQ(child->Wait(5000), 3) << "no port left";
  const std::string err = child->err();
  EXPECT_NE(err.find("COM33 is no longer available (" + pty[0].slave()), std::string::npos) << err;
  EXPECT_NE(err.find("COM34 is no longer available (" + pty[1].slave()), std::string::npos) << err;
  EXPECT_NE(err.find("no port is left open"), std::string::npos) << err;

  const Rows rows = env.Records(log);
  const Rows first = OfReceiver(rows, kReceiverPort1);
  ASSERT_EQ(first.size(), 7u);
  const int stats1[] = {StatPortOpened, StatMessage, StatOk, StatTimeout, StatMessage, StatMessage, StatPortClosed};
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].stat, stats1[i]) << i;
  EXPECT_EQ(Data(first[2]), lcp);
  EXPECT_EQ(Data(first[3]), "\x7e\xff\x7d\x23");
  EXPECT_NE(Data(first[4]).find("COM33 is no longer available"), std::string::npos) << Data(first[4]);
  EXPECT_EQ(Data(first[5]), "\x05north");
  const Rows second = OfReceiver(rows, kReceiverPort2);
  ASSERT_EQ(second.size(), 5u);
  const int stats2[] = {StatPortOpened, StatTextLine, StatTextLine, StatMessage, StatPortClosed};
  for (size_t i = 0; i < second.size(); ++i) EXPECT_EQ(second[i].stat, stats2[i]) << i;
  EXPECT_LT(first.back().nr, second[2].nr) << "the second port went on after the first was lost";
}

TEST(CaptureCli, FailingLogWritesEndTheCaptureWithAMessage) {
  CaptureEnv env;
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  // The child may write files of at most 16 KiB: the header fits, the first
  // full block of the log does not.
  rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 16384;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  auto child = env.Start({"capture", "--log", env.File("full.lg4"), "--device1", pty.slave()});
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
  ASSERT_TRUE(child->WaitOutput([](const std::string& o) { return CountStat(o, StatPortOpened) == 1; }, 5000))
      << child->err();
  const std::string line = "\r\n" + std::string(90, 'x') + "\r\n";
  for (int i = 0; i < 400; ++i) ASSERT_TRUE(pty.Write(line));
  EXPECT_EQ(child->Wait(5000), 1);
  EXPECT_NE(child->err().find("Writing the log file failed"), std::string::npos) << child->err();
}

// A log whose ring is full: capture says so once when it starts to
// overwrite the oldest telegrams, and once more each time the ring has gone
// round again, not once per overwritten block.
TEST(CaptureCli, SaysWhenTheRingOfTheLogStartsOverwritingAndEachRoundAfter) {
  CaptureEnv env;
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const std::string log = env.File("small.lg4");
  MakeLog(log, "", "", 250, 1);  // a ring of 32 blocks
  auto child = env.Start({"capture", "--log", log, "--device1", pty.slave()});
  ASSERT_TRUE(child->WaitOutput([](const std::string& o) { return CountStat(o, StatPortOpened) == 1; }, 5000))
      << child->err();

  // Units of 1500 octets without a flag or a line end: the receiver closes
  // each at its length limit, and 21 of them fill a block. 1600 fill 77
  // blocks: the ring overwrites its oldest block from the 33rd on and has
  // gone round once more at the 65th.
  const std::string unit(1500, 'A');
  const size_t units = 1600;
  // Written from a thread, since capture prints each telegram and this
  // thread reads that output meanwhile.
  bool written = true;
  std::thread writer([&] {
    for (size_t i = 0; i < units && written; ++i) written = pty.Write(unit);
  });
  size_t scanned = 0, lines = 0;
  const bool all = child->WaitOutput(
      [&](const std::string& o) {
        for (; scanned < o.size(); ++scanned) lines += o[scanned] == '\n';
        return lines >= units + 2;  // the header line and the port-opened telegram
      },
      60000);
  writer.join();
  ASSERT_TRUE(written);
  ASSERT_TRUE(all) << lines << " lines\n" << child->err();
  child->Signal(SIGTERM);
  ASSERT_EQ(child->Wait(5000), 0) << child->err();

  std::vector<std::string> reports;
  std::istringstream err(child->err());
  for (std::string line; std::getline(err, line);)
    if (line.find("qlxs-cli capture: " + log + ": the ring of 1 MB") == 0) reports.push_back(line);
  ASSERT_EQ(reports.size(), 2u) << child->err();
  EXPECT_NE(reports[0].find("is full; the oldest telegrams are being overwritten (oldest now no. "), std::string::npos)
      << reports[0];
  EXPECT_NE(reports[1].find("has gone round 1 more time(s)"), std::string::npos) << reports[1];
  // The numbers named are those of the oldest telegram then: the ring moves on.
  const auto oldest = [](const std::string& r) { return std::stoi(r.substr(r.rfind("no. ") + 4)); };
  EXPECT_GT(oldest(reports[0]), 1);
  EXPECT_GT(oldest(reports[1]), oldest(reports[0]));
  test::TestMonitor tm;
  ASSERT_EQ(LogOpenForReading(*tm, log), LogCheck::Valid);
  EXPECT_GT(+tm->log.stand.erstnr, oldest(reports[1]));
  EXPECT_EQ(+tm->log.stand.anzbl, LogCapacityBlocks(1));
  tm->log.file.Close();
}

// Numbered units of 1500 octets without a flag or a line end: the receiver
// closes each at its length limit, so every unit is one telegram of its own.
std::string Unit(size_t i) {
  std::string u = std::to_string(i) + ":";
  u.resize(1500, static_cast<char>('A' + i % 26));
  return u;
}

// The telegrams of a records listing, without the number (relative to the
// oldest telegram, so it changes when the ring wraps): one key each.
std::vector<std::string> Keys(const Rows& rows) {
  std::vector<std::string> keys;
  for (const T_Telegramm& t : rows) keys.push_back(Key(t));
  return keys;
}

// Capture killed with SIGKILL, as the OOM killer or a power cut ends it: what
// it stored more than a second before is in the log, in the order printed,
// without gaps or repeats; the next capture continues the log after its
// last telegram.
TEST(CaptureCli, AKilledCaptureKeepsAllButItsLastSecondAndIsContinued) {
  struct Case {
    const char* name;
    int32_t maxlog;
    size_t before;  // units printed before the last second
    bool quiet;     // the line stops before the kill
  };
  const Case cases[] = {
      {"mid-stream", 100, 300, false},
      {"after the line went quiet", 100, 300, true},
      {"mid-stream in a ring that has wrapped", 1, 1500, false},  // 32 blocks of 21 units
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureEnv env;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string log = env.File("killed.lg4");
    MakeLog(log, "", "", 250, c.maxlog);
    auto child = env.Start({"capture", "--log", log, "--device1", pty.slave()});
    ASSERT_TRUE(child->WaitOutput([](const std::string& o) { return CountStat(o, StatPortOpened) == 1; }, 5000))
        << child->err();

    std::atomic<bool> stop{false};
    // The writer must not hang in a write once capture is gone: it waits for
    // room in the line with a time-out and looks at `stop` in between.
    ::fcntl(pty.master(), F_SETFL, ::fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
    std::thread writer([&] {
      for (size_t i = 0; !stop && (!c.quiet || i < c.before); ++i) {
        const std::string u = Unit(i);
        for (size_t done = 0; done < u.size() && !stop;) {
          pollfd pfd{pty.master(), POLLOUT, 0};
          if (::poll(&pfd, 1, 50) <= 0) continue;
          const ssize_t n = ::write(pty.master(), u.data() + done, u.size() - done);
          if (n < 0 && errno != EAGAIN && errno != EINTR) return;
          if (n > 0) done += static_cast<size_t>(n);
        }
      }
    });
    size_t printed = 0;
    ASSERT_TRUE(child->WaitOutput(
        [&](const std::string& o) {
          const size_t end = o.rfind('\n');
          printed = end == std::string::npos ? 0 : test::ParseRecordsListing(o.substr(0, end + 1)).size();
          return printed >= c.before + 1;
        },
        60000))
        << child->err();
    const std::string earlyOut = child->out().substr(0, child->out().rfind('\n') + 1);
    // The guarantee is one second; the margin keeps a loaded machine from failing the test.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    child->Signal(SIGKILL);
    child->Wait(5000);
    stop = true;
    writer.join();

    const size_t earlyCount = Keys(test::ParseRecordsListing(earlyOut)).size();
    const std::string out = child->out().substr(0, child->out().rfind('\n') + 1);
    const std::vector<std::string> shown = Keys(test::ParseRecordsListing(out));
    const Rows rows = env.Records(log);
    ASSERT_FALSE(rows.empty());
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i].nr, static_cast<int32_t>(i + 1)) << "no gap";
    const std::vector<std::string> kept = Keys(rows);
    // Where the log begins among the printed telegrams: at the start, or
    // after what the ring overwrote.
    const auto first = std::find(shown.begin(), shown.end(), kept.front());
    ASSERT_NE(first, shown.end()) << "the oldest telegram kept was printed";
    const size_t from = static_cast<size_t>(first - shown.begin());
    EXPECT_EQ(from == 0, c.maxlog != 1) << "the small ring has wrapped";
    // In the order printed, without gaps or repeats (capture may have stored
    // a last few it had no time to print).
    for (size_t i = from; i < shown.size() && i - from < kept.size(); ++i)
      ASSERT_EQ(kept[i - from], shown[i]) << "telegram " << i;
    EXPECT_GE(from + kept.size(), earlyCount) << "everything printed a second before the kill is kept";

    // Continued: numbers go on after the last telegram the killed capture stored.
    test::TestMonitor before;
    ASSERT_EQ(LogOpenForReading(*before, log), LogCheck::Valid);
    const int32_t last = before->log.stand.letztnr;
    before->log.file.Close();
    PtyPair again;
    ASSERT_TRUE(again.ok());
    const test::CliResult more = env.Run({"capture", "--log", log, "--device1", again.slave(), "--duration", "0.3"});
    ASSERT_EQ(more.exit, 0) << more.err;
    test::TestMonitor after;
    ASSERT_EQ(LogOpenForReading(*after, log), LogCheck::Valid);
    EXPECT_EQ(+after->log.stand.letztnr, last + 2) << "port opened and closed";
    const std::vector<std::vector<uint8_t>> all = test::ReadForward(*after);
    after->log.file.Close();
    ASSERT_FALSE(all.empty());
    int32_t nr = 0;
    for (size_t i = 0; i < all.size(); ++i) {
      int32_t n;
      std::memcpy(&n, all[i].data() + offsetof(T_Telegramm, nr), sizeof n);
      if (i > 0) {
        ASSERT_EQ(n, nr + 1) << "telegram " << i;
      }
      nr = n;
    }
    EXPECT_EQ(nr, last + 2);
  }
}

TEST(CaptureCli, StopsByItselfAfterTheDuration) {
  CaptureEnv env;
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const std::string log = env.File("short.lg4");
  const test::CliResult r = env.Run({"capture", "--log", log, "--device2", pty.slave(), "--duration", "0.3"});
  EXPECT_EQ(r.exit, 0) << r.err;
  const Rows rows = env.Records(log);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].stat, StatPortOpened);
  EXPECT_EQ(rows[0].ek, kReceiverPort2);
  EXPECT_EQ(rows[1].stat, StatPortClosed);
  EXPECT_NE(r.err.find("capturing from COM33 (" + pty.slave() + ")"), std::string::npos) << r.err;
}

TEST(CaptureCli, PrintsTelegramsRenderedLikeTheOnlineView) {
  CaptureEnv env;
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  auto child = env.Start({"capture", "--log", env.File("r.lg4"), "--device1", pty.slave(), "--format", "byteser"});
  ASSERT_TRUE(child->WaitOutput([](const std::string& o) { return o.find("P1 Rx") != std::string::npos; }, 5000))
      << child->err();
  ASSERT_TRUE(pty.Write("\r\nRING\r\n"));
  const std::string dump = "0D 0A 52 49  4E 47 0D 0A";
  EXPECT_TRUE(child->WaitOutput([&](const std::string& o) { return o.find(dump) != std::string::npos; }, 5000))
      << child->out();
  child->Signal(SIGTERM);
  EXPECT_EQ(child->Wait(5000), 0) << child->err();
  EXPECT_EQ(child->out().find("nr\tek"), std::string::npos) << "no records listing";
}

TEST(CaptureCli, UnusableDevicesAndBadOptionsAreReportedBeforeAnythingIsCaptured) {
  CaptureEnv env;
  PtyPair pty, held;
  ASSERT_TRUE(pty.ok() && held.ok());
  TermiosSerialPort holder(held.slave());
  ASSERT_EQ(holder.Open(nullptr), 0);
  ASSERT_TRUE(test::WriteFile(env.File("plain"), "not a tty"));
  const std::string log = env.File("x.lg4");
  const struct {
    std::vector<std::string> args;
    int exit;
    std::string says;
  } cases[] = {
      {{"--device1", "/dev/qlxs-missing"}, 1, "port 1 (COM33): /dev/qlxs-missing: no such device"},
      {{"--device2", held.slave()}, 1, held.slave() + ": the device is in use by another program"},
      {{"--device1", env.File("plain")}, 1, "not a serial device"},
      {{"--device1", "40"}, 1, "COM40 has no device; add a line \"40 /dev/...\" to " + env.DataDir() + "ports.map"},
      {{"--device1", "0", "--device2", "0"}, 1, "No COM port is configured"},
      {{"--device1", pty.slave(), "--device2", pty.slave()}, 2, "both ports name the same device"},
      {{"--device1", pty.slave(), "--baud", "1234"}, 2, "--baud 1234 is not one of the rates"},
      {{"--device1", pty.slave(), "--parity", "high"}, 2, "--parity takes none, odd, even, mark or space"},
      {{"--device1", pty.slave(), "--data", "9"}, 2, "--data takes 5, 6, 7 or 8"},
      {{"--device1", pty.slave(), "--format", "pretty"}, 2, "--format takes records, logisch, kompakt"},
      {{"--device1", pty.slave(), "--duration", "0"}, 2, "--duration takes a number of seconds"},
      {{"--device1", pty.slave(), "extra"}, 2, "unexpected argument 'extra'"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"capture", "--log", log};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::CliResult r = env.Run(args);
    EXPECT_EQ(r.exit, c.exit) << c.says << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(IsFile(log)) << c.says << ": no log is left behind";
  }
  const test::CliResult noLog = env.Run({"capture", "--device1", pty.slave()});
  EXPECT_EQ(noLog.exit, 2);
  EXPECT_NE(noLog.err.find("--log LOG is required"), std::string::npos) << noLog.err;
  const test::CliResult badLog = env.Run({"capture", "--log", env.File("no/such/dir/x.lg4"), "--device1", pty.slave()});
  EXPECT_EQ(badLog.exit, 1);
  EXPECT_NE(badLog.err.find(env.File("no/such/dir/x.lg4") + ": the telegram log cannot be written"),
            std::string::npos)
      << badLog.err;
  const test::CliResult help = env.Run({"capture", "--help"});
  EXPECT_EQ(help.exit, 0);
  for (const char* topic : {"ports.map", "dialout", "Exit status", "--device1", "--format"})
    EXPECT_NE(help.out.find(topic), std::string::npos) << topic;
}

// The packets of a pcapng stream read so far (a block cut off at its end is
// left out).
std::vector<test::PcapngBlock> StreamPackets(const std::string& stream) {
  std::string error;
  std::vector<test::PcapngBlock> packets;
  for (test::PcapngBlock& b : test::ReadPcapng(stream, error))
    if (b.type == 6) packets.push_back(std::move(b));
  return packets;
}

size_t CountKind(const Rows& rows, PacketKind kind) {
  size_t n = 0;
  for (const T_Telegramm& t : rows) n += PacketKindOf(t) == kind;
  return n;
}

TEST(CaptureCli, LivePcapngStreamOnStandardOutputHoldsWhatTheLogHolds) {
  CaptureEnv env;
  env.env["TZ"] = "IST-5:30";  // local time 5 h 30 min ahead of UTC
  PtyPair pty[2];
  ASSERT_TRUE(pty[0].ok() && pty[1].ok());
  sim::SimOptions o;
  o.seed = 6;
  o.apdus = 60;
  o.splitPercent = 30;
  const sim::SimResult r = sim::SimulateLine(o);
  const Rows fed = Feed(env, r);
  const size_t fedFrames = CountKind(fed, PacketKind::Frame);

  const std::string log = env.File("capture.lg4");
  const auto started = std::chrono::system_clock::now();
  auto child = env.Start({"capture", "--log", log, "--device1", pty[0].slave(), "--device2", pty[1].slave(),
                          "--pcapng", "-"});
  auto events = [](const std::string& out) {
    size_t n = 0;
    for (const test::PcapngBlock& p : StreamPackets(out)) n += p.interfaceId == kPcapEventInterface;
    return n;
  };
  ASSERT_TRUE(child->WaitOutput([&](const std::string& out) { return events(out) == 2; }, 5000))
      << "both ports opened\n" << child->err();
  WriteLines(pty, r);
  EXPECT_TRUE(child->WaitOutput(
      [&](const std::string& out) { return StreamPackets(out).size() >= fedFrames + 2; }, 5000))
      << "every frame arrives in the stream while the capture runs";
  child->Signal(SIGTERM);
  ASSERT_EQ(child->Wait(5000), 0) << child->err();
  const auto ended = std::chrono::system_clock::now();

  // The stream holds every frame and event of the log, stamped in UTC.
  const Rows captured = env.Records(log);
  const std::vector<test::PcapngBlock> packets = StreamPackets(child->out());
  EXPECT_EQ(packets.size(), CountKind(captured, PacketKind::Frame) + CountKind(captured, PacketKind::Event));
  EXPECT_EQ(CountKind(captured, PacketKind::Frame), fedFrames);
  auto ms = [](std::chrono::system_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
  };
  for (const test::PcapngBlock& p : {packets.front(), packets.back()}) {
    EXPECT_GE(static_cast<int64_t>(p.timestamp), ms(started) - 1000);
    EXPECT_LE(static_cast<int64_t>(p.timestamp), ms(ended) + 1000);
  }

  if (!test::TsharkAvailable()) GTEST_SKIP() << "tshark is not installed (scripts/setup installs it)";
  const std::string file = env.File("live.pcapng");
  ASSERT_TRUE(test::WriteFile(file, child->out()));
  for (int port = 0; port < 2; ++port)
    EXPECT_EQ(test::DissectedApdus(file, port), test::LoggedApdus(captured, port == 0 ? kReceiverPort1 : kReceiverPort2))
        << "port " << port + 1;
}

TEST(CaptureCli, AReaderThatGoesAwayEndsThePcapngStreamButNotTheCapture) {
  CaptureEnv env;
  PtyPair pty[2];
  ASSERT_TRUE(pty[0].ok() && pty[1].ok());
  const sim::SimResult r = Simulate(4, 40);
  const Rows fed = Feed(env, r);
  const std::string fifo = env.File("live.pcapng");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);

  const std::string log = env.File("capture.lg4");
  auto child = env.Start(
      {"capture", "--log", log, "--device1", pty[0].slave(), "--device2", pty[1].slave(), "--pcapng", fifo});
  ASSERT_TRUE(child->WaitOutput([](const std::string& out) { return CountStat(out, StatPortOpened) == 2; }, 5000))
      << child->err();
  pollfd p{reader, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 5000), 1);
  char header[4];
  EXPECT_EQ(::read(reader, header, sizeof header), 4) << "the stream has started";
  ::close(reader);

  WriteLines(pty, r);
  EXPECT_TRUE(child->WaitOutput(
      [&](const std::string& out) {
        size_t n = 0;
        for (const T_Telegramm& t : test::ParseRecordsListing(out)) n += t.ta != TaEvent;
        return n >= fed.size();
      },
      5000));
  child->Signal(SIGTERM);
  EXPECT_EQ(child->Wait(5000), 0) << child->err();
  EXPECT_NE(child->err().find("the reader of the pcapng stream on " + fifo + " went away"), std::string::npos)
      << child->err();
  ExpectSameAsFeed(env.Records(log), fed, {"", ""}, {33, 34});
}

}  // namespace
}  // namespace qlxs

namespace qlxs {
namespace {

// The demo line headless: no devices needed, telegrams printed live, the
// log in the demo's own data directory, the user's port map untouched.
TEST(CaptureCli, DemoCapturesTheSimulatedLineIntoItsOwnLog) {
  CaptureEnv env;
  ASSERT_EQ(MakeDirectories(env.DataDir()), 0);
  const std::string portMap = "4 /dev/ttyUSB0\n5 /dev/ttyUSB1\n";
  ASSERT_TRUE(test::WriteFile(env.DataDir() + "ports.map", portMap));

  const test::CliResult r = env.Run({"capture", "--demo", "--duration", "1"});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.err.find("capturing the demo line from COM4 (/dev/pts/"), std::string::npos) << r.err;
  const Rows printed = test::ParseRecordsListing(r.out);
  EXPECT_EQ(CountStat(r.out, StatPortOpened), 2);
  EXPECT_EQ(CountStat(r.out, StatPortClosed), 2);
  const auto line = std::count_if(printed.begin(), printed.end(), [](const T_Telegramm& t) { return t.ta != TaEvent; });
  EXPECT_GE(line, 1) << "the modem's RING comes within the first tenth of a second\n" << r.out;

  const std::string log = env.DataDir() + "demo/QLXSLog.lg4";
  EXPECT_EQ(env.Records(log).size(), printed.size()) << "everything printed is in the demo's log";
  EXPECT_EQ(test::ReadFile(env.DataDir() + "ports.map"), portMap);
  EXPECT_FALSE(IsFile(env.DataDir() + "QLXSLog.lg4")) << "no log in the user's data directory";

  const test::CliResult usage = env.Run({"capture", "--demo", "--device1", "/dev/ttyUSB0"});
  EXPECT_EQ(usage.exit, 2) << usage.err;
}

}  // namespace
}  // namespace qlxs
