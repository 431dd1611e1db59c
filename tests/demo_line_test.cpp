// The demo line: the simulator played into two pseudo-terminals at the line
// rate, captured through the real serial ports, receivers and log by a
// monitor that lives in the demo's own data directory.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/demo_line.h"
#include "app/general_parameters.h"
#include "app/log_files.h"
#include "app/monitor.h"
#include "app/online.h"
#include "app/port_config.h"
#include "app/timer_tick.h"
#include "config/settings.h"
#include "platform/file_system.h"
#include "platform/termios_serial_port.h"
#include "sim/line_simulator.h"
#include "support/files.h"
#include "support/monitor_fixture.h"
#include "support/records_listing.h"
#include "support/run_cli.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using Rows = std::vector<T_Telegramm>;

// A private home for the monitor and for the programs it starts.
struct DemoHome {
  DemoHome()
      : home("HOME", root.file("home")),
        config("XDG_CONFIG_HOME", root.file("config")),
        data("XDG_DATA_HOME", root.file("data")),
        run("XDG_RUNTIME_DIR", root.file("run")),
        lang("LANG", "C"),
        all("LC_ALL"),
        messages("LC_MESSAGES") {
    for (const char* dir : {"run", "home", "config", "data"}) std::filesystem::create_directories(root.file(dir));
    env = {{"HOME", root.file("home")},          {"XDG_CONFIG_HOME", root.file("config")},
           {"XDG_DATA_HOME", root.file("data")}, {"XDG_RUNTIME_DIR", root.file("run")},
           {"LANG", "C"},                        {"LC_ALL", ""},
           {"LC_MESSAGES", ""}};
  }
  std::string UserDataDir() const { return root.file("data") + "/Brakel/DemoQuallixS/"; }
  std::string DemoDir() const { return UserDataDir() + "demo/"; }

  // The user's own files, as a user of the real monitor leaves them.
  void PlaceUserFiles() const {
    std::filesystem::create_directories(UserDataDir());
    std::filesystem::create_directories(root.file("config") + "/Brakel");
    test::WriteFile(UserDataDir() + "ports.map", "4 /dev/ttyUSB0\n5 /dev/ttyUSB1\n");
    test::WriteFile(UserDataDir() + "QLXSLog.lg4", "the user's log");
    test::WriteFile(UserDataDir() + "QLXS.ini", std::string(100, 'u'));
    test::WriteFile(root.file("config") + "/Brakel/DemoQuallixS.conf", "DataDirectory=" + UserDataDir() + "\n");
  }

  // Every file of the user's home, configuration and data folders outside
  // the demo's data directory, with its contents.
  std::map<std::string, std::string> UserFiles() const {
    std::map<std::string, std::string> files;
    for (const char* dir : {"home", "config", "data"})
      for (const auto& e : std::filesystem::recursive_directory_iterator(root.file(dir)))
        if (e.is_regular_file() && e.path().string().rfind(DemoDir(), 0) != 0)
          files[e.path().string()] = test::ReadFile(e.path().string());
    return files;
  }

  Rows Records(const std::string& log) const {
    const test::CliResult r = test::RunCli(root.path(), {"records", log}, env);
    EXPECT_EQ(r.exit, 0) << r.err;
    return test::ParseRecordsListing(r.out);
  }

  test::ScratchDir root;
  test::ScopedEnv home, config, data, run, lang, all, messages;
  test::EnvOverrides env;
};

// Everything of a stored telegram but its number and time.
std::string Key(const T_Telegramm& t) {
  return std::to_string(t.ek) + " " + std::to_string(t.stat) + " " + std::to_string(t.ta) + " " +
         std::to_string(t.lg) + " " + std::to_string(t.idm) + " " + std::to_string(t.prot) + " " +
         std::to_string(t.ofs) + " " + std::string(reinterpret_cast<const char*>(t.b), t.lg);
}

// The telegrams of one port without its events (opened, closed, log text).
std::vector<std::string> LineTelegrams(const Rows& rows, int ek) {
  std::vector<std::string> keys;
  for (const T_Telegramm& t : rows)
    if (t.ek == ek && t.ta != TaEvent) keys.push_back(Key(t));
  return keys;
}

// A serial port that counts the octets the receiver takes from it, so that
// the test knows when everything written into the line has been read.
class CountingPort final : public SerialPort {
 public:
  void SetDevice(const std::string& path) override { port_.SetDevice(path); }
  const std::string& Device() const override { return port_.Device(); }
  void SetSettings(const SerialSettings& s) override { port_.SetSettings(s); }
  int Open(std::string* error) override { return port_.Open(error); }
  void Close() override { port_.Close(); }
  bool IsOpen() const override { return port_.IsOpen(); }
  int Fd() const override { return port_.Fd(); }
  void FlushInBuffer() override { port_.FlushInBuffer(); }
  long Available() override { return port_.Available(); }
  size_t GetBlock(uint8_t* buffer, size_t count) override {
    const size_t n = port_.GetBlock(buffer, count);
    read += n;
    return n;
  }
  uint16_t GetLineError() override { return port_.GetLineError(); }
  bool GetLineBreak() override { return port_.GetLineBreak(); }
  uint8_t GetModemStatus() override { return port_.GetModemStatus(); }
  uint16_t AddStatusTrigger(int type) override { return port_.AddStatusTrigger(type); }
  void SetStatusTrigger(uint16_t h, uint8_t mask, bool on) override { port_.SetStatusTrigger(h, mask, on); }
  uint16_t PollStatusTrigger() override { return port_.PollStatusTrigger(); }

  uint64_t read = 0;

 private:
  TermiosSerialPort port_;
};

// A whole simulated call played over the demo line into the demo's log, tick
// by tick of a manual clock: the receivers' time-outs run on that clock, and
// each tick waits until the ports have read everything the line played, so
// the result does not depend on how busy the machine is. The log holds what
// `qlxs-cli feed` makes of the same octets, and the user's files stay as
// they were.
TEST(DemoLine, CaptureOfTheDemoLineStoresWhatTheFeedStores) {
  DemoHome home;
  home.PlaceUserFiles();
  const auto userFiles = home.UserFiles();

  DemoLineOptions options;
  options.apdus = 60;
  options.maxPauseMs = 0;
  options.sim.splitPercent = 30;
  options.sim.faultEvery = 10;
  DemoLine line(options);
  ASSERT_TRUE(line.ok()) << line.error();

  test::TestMonitor tm;
  Monitor& m = *tm;
  ASSERT_EQ(StartUpDemo(m, QLXS_BIN_DIR), StartupResult::Run);
  EXPECT_EQ(m.AllgVar.DataDir, home.DemoDir());
  EXPECT_FALSE(m.AllgVar.elements.stations.empty()) << "the demo's element texts";
  CountingPort serial[2];
  for (int p = 0; p < 2; ++p) {
    m.ports[p].pCp = &serial[p];
    m.ports[p].bp.baud = 460800;
  }
  const std::string log = FileNameFor(m, kTextLogFile);
  EXPECT_EQ(log.rfind(home.DemoDir(), 0), 0u) << log;
  m.AllgVar.logopt = true;
  LogOpen(m, log, false);
  ApplyGeneralParameters(m);
  line.MapPorts(m);
  GoOnline(m);
  ASSERT_TRUE(m.ports[0].se.open && m.ports[1].se.open) << (tm.sink.entries.empty() ? "" : tm.sink.entries.back().text);
  EXPECT_EQ(serial[0].Device(), line.Device(0));

  const double rate = LineOctetsPerSecond(m);
  EXPECT_DOUBLE_EQ(rate, 46080);
  for (int tick = 0; tick < 2000 && !line.Finished(); ++tick) {
    tm.clock.Advance(kTickMs);
    line.Pump(tm.clock.Tick(), rate);
    for (int p = 0; p < 2; ++p)
      for (int wait = 0; serial[p].read < line.Written(p) && wait < 50; ++wait) {
        pollfd fd{serial[p].Fd(), POLLIN, 0};
        ::poll(&fd, 1, 100);
        ServicePort(m, m.ports[p]);
      }
    ASSERT_EQ(serial[0].read, line.Written(0));
    ASSERT_EQ(serial[1].read, line.Written(1));
    TimerTick(m);
  }
  ASSERT_TRUE(line.Finished());
  GoOffline(m);
  LogClose(m);
  EXPECT_EQ(ShutDownDemo(m), 0);

  sim::SimOptions o = options.sim;
  o.apdus = options.apdus;
  const sim::SimResult r = sim::SimulateLine(o);
  EXPECT_EQ(line.Written(0), r.line[0].size());
  EXPECT_EQ(line.Written(1), r.line[1].size());
  const std::string a = home.root.file("line1.bin"), b = home.root.file("line2.bin");
  test::WriteFile(a, std::string(r.line[0].begin(), r.line[0].end()));
  test::WriteFile(b, std::string(r.line[1].begin(), r.line[1].end()));
  const std::string fedLog = home.root.file("feed.lg4");
  const test::CliResult fed = test::RunCli(home.root.path(), {"feed", fedLog, a, b}, home.env);
  ASSERT_EQ(fed.exit, 0) << fed.err;

  const Rows captured = home.Records(log), feedRows = home.Records(fedLog);
  for (int ek : {kReceiverPort1, kReceiverPort2}) {
    const auto want = LineTelegrams(feedRows, ek);
    EXPECT_GT(want.size(), 20u);
    EXPECT_EQ(LineTelegrams(captured, ek), want) << "receiver " << ek;
  }

  const auto userFilesAfter = home.UserFiles();
  EXPECT_EQ(userFilesAfter.size(), 4u);
  EXPECT_TRUE(userFilesAfter == userFiles) << "the user's settings, port map and logs are untouched";
  EXPECT_TRUE(IsFile(FileNameFor(m, kTextSettingsFile))) << "the demo keeps its own settings";
  EXPECT_EQ(FileNameFor(m, kTextSettingsFile).rfind(home.DemoDir(), 0), 0u);
}

// Reads what arrives at the slave end until it has been quiet for `quietMs`.
std::string Drain(int fd, int quietMs = 20) {
  std::string got;
  char buf[4096];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, quietMs) <= 0) break;
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

struct Slaves {
  explicit Slaves(const DemoLine& line) {
    for (int p = 0; p < 2; ++p) fd[p] = ::open(line.Device(p).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  }
  ~Slaves() {
    for (int f : fd)
      if (f >= 0) ::close(f);
  }
  int fd[2];
};

// Back to back, the line plays exactly as many octets as the rate allows
// for the time that has passed (the fractions carried over), catches up at
// most one second after a long gap, and keeps the simulator's octets in
// order on each line.
TEST(DemoLine, PumpPlaysTheOctetsTheLineRateAllows) {
  DemoLineOptions options;
  options.maxPauseMs = 0;
  DemoLine line(options);
  ASSERT_TRUE(line.ok()) << line.error();
  Slaves slaves(line);
  ASSERT_GE(slaves.fd[0], 0);
  ASSERT_GE(slaves.fd[1], 0);

  const double rate = 3840;  // 38400 baud, 8N1
  uint32_t now = 4'294'966'000u;  // the tick wraps on the way
  EXPECT_EQ(line.Pump(now, rate), 0u) << "the first call starts the line";
  std::string got[2];
  uint64_t total = 0;
  double played = 0;
  const uint32_t steps[] = {100, 54, 54, 1, 0, 54, 13, 540, 54};
  for (uint32_t step : steps) {
    now += step;
    played += step;
    total += line.Pump(now, rate);
    EXPECT_EQ(total, static_cast<uint64_t>(std::floor(played * rate / 1000 + 1e-9))) << "after " << played << " ms";
    for (int p = 0; p < 2; ++p) got[p] += Drain(slaves.fd[p]);
  }
  EXPECT_EQ(line.Pump(now + 10'000, rate), 3840u) << "one second caught up after ten";

  // The endless line begins as a long finite one.
  sim::SimOptions o = options.sim;
  o.apdus = 1000;
  const sim::SimResult r = sim::SimulateLine(o);
  for (int p = 0; p < 2; ++p) {
    got[p] += Drain(slaves.fd[p], 200);
    ASSERT_LT(got[p].size(), r.line[p].size());
    EXPECT_EQ(got[p].size(), line.Written(p));
    EXPECT_EQ(got[p], std::string(r.line[p].begin(), r.line[p].begin() + static_cast<long>(got[p].size())));
  }
}

// The pauses of the simulated conversation are kept, up to `maxPauseMs`: the
// call begins with the modem's RING, and the station's answer follows after
// the simulated 1 to 3 seconds, cut to 1.5.
TEST(DemoLine, PumpKeepsTheSimulatedPausesUpToTheirLimit) {
  DemoLineOptions options;
  options.maxPauseMs = 1500;
  DemoLine line(options);
  ASSERT_TRUE(line.ok()) << line.error();
  Slaves slaves(line);
  uint32_t now = 0;
  line.Pump(now, 3840);
  now += 54;
  line.Pump(now, 3840);
  EXPECT_EQ(line.Written(1), 8u) << "\\r\\nRING\\r\\n";
  EXPECT_EQ(line.Written(0), 0u);
  while (line.Written(0) == 0 && now < 5000) line.Pump(now += 54, 3840);
  EXPECT_GE(now, 1000u);
  EXPECT_LE(now, 1500u + 2 * 54u);
  EXPECT_EQ(Drain(slaves.fd[0]).substr(0, 4), "ATA\r");
}

TEST(DemoLine, OctetsPerSecondCountEveryBitOfACharacter) {
  struct Case {
    int32_t baud;
    uint8_t data, pari, stop;
    double want;
  } cases[] = {
      {38400, 8, 0, 1, 3840}, {9600, 8, 2, 1, 872.7272727}, {9600, 7, 1, 2, 872.7272727},
      {300, 5, 0, 1, 300.0 / 7}, {115200, 8, 0, 2, 10472.727272}, {0, 8, 0, 1, 0},
  };
  for (const Case& c : cases) {
    T_BetriebsPar bp{};
    bp.data = c.data;
    bp.pari = c.pari;
    bp.stop = c.stop;
    EXPECT_NEAR(OctetsPerSecond(c.baud, bp), c.want, 1e-5) << c.baud << " " << int(c.data) << int(c.pari)
                                                            << int(c.stop);
  }
}

// Ports without COM numbers, or with the same one, still get the two lines;
// the map holds nothing else.
TEST(DemoLine, MapPortsPointsBothPortsAtTheLine) {
  DemoLine line;
  ASSERT_TRUE(line.ok()) << line.error();
  struct Case {
    int32_t first, second, wantFirst, wantSecond;
  } cases[] = {{4, 5, 4, 5}, {0, 0, 4, 5}, {7, 7, 7, 5}, {5, 0, 5, 4}, {12, 3, 12, 3}};
  for (const Case& c : cases) {
    test::TestMonitor tm;
    tm->portMap.devices[1] = "/dev/ttyUSB0";
    tm->ports[0].bp.cnr = c.first;
    tm->ports[1].bp.cnr = c.second;
    line.MapPorts(*tm);
    EXPECT_EQ(tm->ports[0].bp.cnr, c.wantFirst);
    EXPECT_EQ(tm->ports[1].bp.cnr, c.wantSecond);
    EXPECT_EQ(tm->portMap.devices.size(), 2u);
    EXPECT_EQ(tm->portMap.DevicePath(c.wantFirst), line.Device(0));
    EXPECT_EQ(tm->portMap.DevicePath(c.wantSecond), line.Device(1));
  }
}

}  // namespace
}  // namespace qlxs
