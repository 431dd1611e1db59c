// qlxs-cli feed: raw line captures through the receivers into a new log,
// checked through the records listing of the real binaries.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/monitor.h"
#include "capture/receiver.h"
#include "log/telegram_log.h"
#include "sim/line_simulator.h"
#include "support/hex.h"
#include "support/log_fixture.h"
#include "support/records_listing.h"
#include "support/run_cli.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using test::RunCli;
using test::ScratchDir;

struct Row {
  int ek, stat, ta, lg;
  std::string prot, data;
};

std::vector<Row> Rows(const std::string& listing) {
  std::vector<Row> rows;
  std::istringstream in(listing);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string x; std::getline(fields, x, '\t');) f.push_back(x);
    if (f.size() < 10) f.resize(10);
    rows.push_back({std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4]), f[6], f[9]});
  }
  return rows;
}

std::string Hex(const std::string& bytes) {
  return test::HexText({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, "", SIZE_MAX, true);
}

TEST(FeedCommand, DelimitsFramesAndTextLinesOfBothPorts) {
  ScratchDir dir;
  const std::string lcp("\x7e\xff\x03\xc0\x21\x01\x01\x00\x04\x12\x34\x7e", 12);  // both flags
  const std::string inSync = std::string("\xff\x03\xc0\x21\x02\x01\x00\x04\x56\x78\x7e", 11);
  const std::string port1 = std::string("\r\nRING\r\n") + "ATA\r\x7e" + lcp + inSync;
  const std::string port2 = std::string(1500, 'A') + "\r\nOK\r\n" + std::string("\x7e\xff\x03", 3);
  const std::string f1 = dir.write("line1.bin", port1);
  const std::string f2 = dir.write("line2.bin", port2);
  const std::string log = dir.file("out.lg4");

  const auto fed = RunCli(dir.dir(), {"feed", log, f1, f2});
  ASSERT_EQ(fed.exit, 0) << fed.err;
  const auto listed = RunCli(dir.dir(), {"records", log});
  ASSERT_EQ(listed.exit, 0) << listed.err;
  const std::vector<Row> rows = Rows(listed.out);

  const std::vector<Row> want = {
      {1, 55, 0, 8, "0000", Hex("\r\nRING\r\n")},
      {1, 5, 0, 5, "0000", Hex("ATA\r\x7e")},  // ended by a flag, but never framed
      {1, 40, 0, 12, "c021", Hex(lcp)},        // the opening flag stays in the frame
      {1, 40, 0, 11, "c021", Hex(inSync)},     // in sync: no opening flag needed
      {3, 16, 0, 1500, "0000", Hex(std::string(1500, 'A'))},
      {3, 55, 0, 6, "0000", Hex("\r\nOK\r\n")},
      {3, 13, 0, 3, "0000", Hex(std::string("\x7e\xff\x03", 3))},  // closed at the end as a time-out
  };
  ASSERT_EQ(rows.size(), want.size()) << listed.out;
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i + 1));
    EXPECT_EQ(rows[i].ek, want[i].ek);
    EXPECT_EQ(rows[i].stat, want[i].stat);
    EXPECT_EQ(rows[i].ta, want[i].ta);
    EXPECT_EQ(rows[i].lg, want[i].lg);
    EXPECT_EQ(rows[i].prot, want[i].prot);
    EXPECT_EQ(rows[i].data, want[i].data);
  }
}

TEST(FeedCommand, SmallChunksGiveTheSameTelegrams) {
  ScratchDir dir;
  const std::string line = std::string("\r\nCONNECT 9600\r\n") + "\x7e\xff\x03\xc0\x21\x09\x7e" + "\xff\x03\x80\x21\x7e";
  const std::string f1 = dir.write("l.bin", line);
  ASSERT_EQ(RunCli(dir.dir(), {"feed", dir.file("a.lg4"), f1}).exit, 0);
  ASSERT_EQ(RunCli(dir.dir(), {"feed", dir.file("b.lg4"), f1, "--chunk", "1"}).exit, 0);
  const auto a = Rows(RunCli(dir.dir(), {"records", dir.file("a.lg4")}).out);
  const auto b = Rows(RunCli(dir.dir(), {"records", dir.file("b.lg4")}).out);
  ASSERT_EQ(a.size(), 3u);
  ASSERT_EQ(b.size(), a.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].stat, b[i].stat);
    EXPECT_EQ(a[i].data, b[i].data);
  }
}

TEST(FeedCommand, RefusesBadArgumentsAndKeepsExistingLogs) {
  ScratchDir dir;
  const std::string f1 = dir.write("l.bin", "\r\nOK\r\n");
  const std::string existing = dir.write("old.lg4", "evidence");
  const struct {
    std::vector<std::string> args;
    int exit;
    std::string says;
  } cases[] = {
      {{"feed"}, 2, "expected LOG"},
      {{"feed", dir.file("x.lg4")}, 2, "expected LOG"},
      {{"feed", dir.file("x.lg4"), f1, "--chunk", "0"}, 2, "--chunk"},
      {{"feed", dir.file("x.lg4"), f1, "--chunk", "1520"}, 2, "--chunk"},
      {{"feed", dir.file("x.lg4"), f1, "--bogus"}, 2, "--bogus"},
      {{"feed", dir.file("x.lg4"), f1, "--size", "0"}, 2, "--size takes a number of MB from 1 to 2000"},
      {{"feed", dir.file("x.lg4"), f1, "--size", "2001"}, 2, "--size takes"},
      {{"feed", dir.file("x.lg4"), f1, "--size"}, 2, "--size needs a value"},
      {{"feed", dir.file("x.lg4"), dir.file("missing.bin")}, 1, "missing.bin"},
      {{"feed", existing, f1}, 1, "--force"},
      {{"feed", dir.file("no/such/dir/x.lg4"), f1}, 1, "x.lg4: cannot create the telegram log: No such file"},
  };
  for (const auto& c : cases) {
    const auto r = RunCli(dir.dir(), c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args.back() << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::ReadFile(existing), "evidence");
  EXPECT_EQ(RunCli(dir.dir(), {"feed", "--force", existing, f1}).exit, 0);
  EXPECT_EQ(RunCli(dir.dir(), {"feed", "--help"}).exit, 0);
}

// The octets of a simulated line of about `apdus` APDUs in each direction.
std::string SimulatedLine(int apdus, int line) {
  sim::SimOptions o;
  o.seed = 5;
  o.apdus = apdus;
  o.splitPercent = 30;
  const sim::SimResult r = sim::SimulateLine(o);
  return std::string(r.line[line].begin(), r.line[line].end());
}

// Opens the writing end of a FIFO once the reader has opened the other end.
int OpenFifoForWriting(const std::string& path) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      ::fcntl(fd, F_SETFL, 0);
      return fd;
    }
    if (errno != ENXIO || std::chrono::steady_clock::now() > end) return -1;
    ::poll(nullptr, 0, 5);  // no reader yet
  }
}

bool WriteAll(int fd, const std::string& data) {
  for (size_t done = 0; done < data.size();) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The raw frames a receiver closed, as opposed to APDUs, pieces and events.
std::string RawOctets(const std::vector<T_Telegramm>& rows) {
  std::string octets;
  for (const T_Telegramm& t : rows)
    if ((t.ta == TaRaw || t.ta == TaRaw104) && t.stat != StatFragment && t.idm == 0)
      octets.append(reinterpret_cast<const char*>(t.b), static_cast<size_t>(t.lg));
  return octets;
}

using test::LogState;
using test::ReadLogState;

// A stop signal while the input is still coming: feed stores what it has
// read, closes the frame left pending, writes the log back and ends with
// 128 + the signal. The input stays open, so only the signal can end it.
TEST(FeedCommand, StopSignalWritesWhatWasReadAndEndsWithTheSignalsCode) {
  const std::string line = SimulatedLine(8000, 0);
  const std::string part = line.substr(0, line.size() / 2 + 7);  // ends inside a frame
  ASSERT_GT(part.size(), 200000u) << "more than a pipe holds, so feed surely reads while the test writes";
  const struct {
    int sig;
    int exit;
    const char* name;
  } cases[] = {{SIGINT, 130, "SIGINT"}, {SIGTERM, 143, "SIGTERM"}, {SIGHUP, 129, "SIGHUP"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const std::string fifo = dir.file("line.fifo"), log = dir.file("stopped.lg4");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    test::CliChild feed({"feed", log, fifo}, {}, dir.file("err.txt"));
    ASSERT_TRUE(feed.started());
    const int fd = OpenFifoForWriting(fifo);
    ASSERT_GE(fd, 0) << "feed did not open the FIFO\n" << feed.err();
    const bool written = WriteAll(fd, part);
    feed.Signal(c.sig);
    const int exit = feed.Wait(20000);
    ::close(fd);
    ASSERT_TRUE(written);
    ASSERT_EQ(exit, c.exit) << feed.err();

    const auto listed = RunCli(dir.dir(), {"records", log});
    ASSERT_EQ(listed.exit, 0) << listed.err;
    const std::vector<T_Telegramm> rows = test::ParseRecordsListing(listed.out);
    ASSERT_FALSE(rows.empty());
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i].nr, static_cast<int32_t>(i + 1));
    const LogState state = ReadLogState(log);
    ASSERT_TRUE(state.valid);
    EXPECT_EQ(+state.stand.erstnr, 1);
    EXPECT_EQ(+state.stand.letztnr, static_cast<int32_t>(rows.size()));
    const std::string stored = std::to_string(rows.size()) + " telegrams stored in " + log;
    EXPECT_NE(feed.err().find(std::string("stopped by ") + c.name + " before the end of the input; " + stored),
              std::string::npos)
        << feed.err();
    EXPECT_EQ(feed.out(), stored + "\n");
    // Every octet read is in a frame, the one left pending included.
    const std::string raw = RawOctets(rows);
    EXPECT_GT(raw.size(), 0u);
    EXPECT_EQ(raw, part.substr(0, raw.size()));
  }
}

// Feed killed with SIGKILL while its input pauses: everything it read more
// than a second before is in the log, numbered without gaps, also when the
// input was too little to fill a single block of the log.
TEST(FeedCommand, AKilledFeedKeepsWhatItReadBeforeTheInputPaused) {
  const std::string line = SimulatedLine(8000, 0);
  for (const size_t size : {size_t{8000}, size_t{300000}}) {
    SCOPED_TRACE(size);
    const std::string part = line.substr(0, size);
    ScratchDir dir;
    const std::string fifo = dir.file("line.fifo"), log = dir.file("killed.lg4");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    test::CliChild feed({"feed", log, fifo}, {}, dir.file("err.txt"));
    ASSERT_TRUE(feed.started());
    const int fd = OpenFifoForWriting(fifo);
    ASSERT_GE(fd, 0) << "feed did not open the FIFO\n" << feed.err();
    ASSERT_TRUE(WriteAll(fd, part));
    // The guarantee is one second; the margin keeps a loaded machine from failing the test.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    feed.Signal(SIGKILL);
    EXPECT_EQ(feed.Wait(5000), -1);
    ::close(fd);

    const auto listed = RunCli(dir.dir(), {"records", log});
    ASSERT_EQ(listed.exit, 0) << listed.err;
    const std::vector<T_Telegramm> rows = test::ParseRecordsListing(listed.out);
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i].nr, static_cast<int32_t>(i + 1));
    const std::string raw = RawOctets(rows);
    EXPECT_EQ(raw, part.substr(0, raw.size()));
    // Not yet stored: the last octets short of a whole read block, and the frame they end inside.
    EXPECT_GE(raw.size() + 2 * kReceiveBlockSize, part.size()) << rows.size() << " telegrams";
  }
}

// A log too small for the input: feed warns before it starts, the ring keeps
// the newest telegrams, and the summary says how many of the oldest it
// overwrote, exactly as the log file shows. The --size it advises keeps all.
TEST(FeedCommand, SaysWhenTheInputDoesNotFitAndWhatTheRingOverwrote) {
  ScratchDir dir;
  const std::string f1 = dir.write("line1.bin", SimulatedLine(14000, 0));
  const std::string f2 = dir.write("line2.bin", SimulatedLine(14000, 1));
  ASSERT_GT(test::ReadFile(f1).size() + test::ReadFile(f2).size(), 1100000u) << "more than a ring of 1 MB holds";
  const std::regex summary(
      R"((\d+) telegrams stored in \S+; the ring overwrote the oldest (\d+), \S+ keeps the newest (\d+)\n)");
  const std::regex advice(R"(Use --size (\d+) to keep them all)");

  struct Case {
    std::vector<std::string> size;
    std::string warns;   // before starting, "" for none
    bool overwrites;
  };
  const Case cases[] = {
      {{"--size", "1"}, "the input will not fit into", true},
      {{"--size", "3"}, "the input may not fit into", true},
      {{}, "", false},
  };
  std::string advised;
  int32_t all = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size.empty() ? "default size" : c.size[1]);
    const std::string log = dir.file("log" + (c.size.empty() ? "" : c.size[1]) + ".lg4");
    std::vector<std::string> args = {"feed", log, f1, f2};
    args.insert(args.end(), c.size.begin(), c.size.end());
    const auto r = RunCli(dir.dir(), args);
    ASSERT_EQ(r.exit, 0) << r.err;
    if (c.warns.empty())
      EXPECT_EQ(r.err, "");
    else
      EXPECT_NE(r.err.find(c.warns + " " + log + ": " + f1 + " and " + f2 + " hold"), std::string::npos) << r.err;

    const LogState state = ReadLogState(log);
    ASSERT_TRUE(state.valid);
    EXPECT_EQ(state.maxlog, c.size.empty() ? 100 : std::stoi(c.size[1]));
    EXPECT_EQ(+state.stand.anzbl, LogCapacityBlocks(state.maxlog));
    std::smatch m;
    if (c.overwrites) {
      ASSERT_TRUE(std::regex_match(r.out, m, summary)) << r.out;
      EXPECT_EQ(std::stoi(m[1]), +state.stand.letztnr);
      EXPECT_EQ(std::stoi(m[2]), state.stand.erstnr - 1);
      EXPECT_EQ(std::stoi(m[3]), state.stand.letztnr - state.stand.erstnr + 1);
      EXPECT_NE(r.err.find(log + ": the ring of " + std::to_string(+state.stand.anzbl) + " blocks"), std::string::npos)
          << r.err;
      std::smatch a;
      const std::string tail = r.err.substr(r.err.find("was full"));
      ASSERT_TRUE(std::regex_search(tail, a, advice)) << r.err;
      advised = a[1];
    } else {
      EXPECT_EQ(r.out, std::to_string(+state.stand.letztnr) + " telegrams stored in " + log + "\n");
      EXPECT_EQ(+state.stand.erstnr, 1);
      all = state.stand.letztnr;
    }
  }
  ASSERT_FALSE(advised.empty());
  const std::string log = dir.file("advised.lg4");
  const auto r = RunCli(dir.dir(), {"feed", log, f1, f2, "--size", advised});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, std::to_string(all) + " telegrams stored in " + log + "\n");
  const LogState state = ReadLogState(log);
  EXPECT_EQ(+state.stand.erstnr, 1);
  EXPECT_EQ(+state.stand.letztnr, all);
  EXPECT_GT(+state.stand.anzbl, LogCapacityBlocks(std::stoi(advised) - 1)) << "the smallest size that keeps all";
}

}  // namespace
}  // namespace qlxs
