// Opening, closing and configuring the ports, on pseudo-terminals that stand
// in for the serial lines.

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/online.h"
#include "app/port_config.h"
#include "platform/termios_serial_port.h"
#include "support/capture_fixture.h"
#include "support/pty_pair.h"

namespace qlxs {
namespace {

using test::CaptureFixture;
using test::PtyPair;

// Two ptys mapped to COM 4 and COM 5, the numbers the ports have by default.
struct PortsFixture : CaptureFixture {
  PortsFixture() {
    m.portMap.devices[4] = line[0].slave();
    m.portMap.devices[5] = line[1].slave();
    m.ports[0].pCp = &serial[0];
    m.ports[1].pCp = &serial[1];
  }
  ~PortsFixture() {
    for (T_ComVar& port : m.ports) port.pCp = nullptr;
  }
  // Waits until the slave end of line i has something to read.
  bool WaitReadable(int i) {
    pollfd p{serial[i].Fd(), POLLIN, 0};
    return ::poll(&p, 1, 2000) == 1;
  }
  std::vector<int> Stats() const {
    std::vector<int> s;
    for (const T_Telegramm& t : stored) s.push_back(t.stat);
    return s;
  }
  std::string MessageText(size_t i) const {
    const T_Telegramm& t = stored.at(i);
    return std::string(reinterpret_cast<const char*>(t.b + 1), t.b[0]);
  }

  PtyPair line[2];
  TermiosSerialPort serial[2];
};

TEST(PortConfig, OpenAndCloseStoreTheirTelegramsWithTheLogTextBetween) {
  for (const std::string logtxt : {"", "Tap at station 7"}) {
    PortsFixture fx;
    T_ComVar& port = fx.port1();
    port.bp.logtxt.assign(logtxt);
    port.bp.baud = 9600;
    fx.m.counters = {11, 2, 0, 0, 33, 4, 0, 0};
    ASSERT_TRUE(OpenPort(fx.m, port));
    EXPECT_TRUE(port.se.open);
    EXPECT_TRUE(fx.serial[0].IsOpen());
    EXPECT_EQ(fx.serial[0].Device(), fx.line[0].slave());
    ClosePort(fx.m, port);
    EXPECT_FALSE(port.se.open);
    EXPECT_FALSE(fx.serial[0].IsOpen());

    const std::vector<int> want = logtxt.empty() ? std::vector<int>{StatPortOpened, StatPortClosed}
                                                 : std::vector<int>{StatPortOpened, StatMessage, StatMessage,
                                                                    StatPortClosed};
    ASSERT_EQ(fx.Stats(), want) << "log text '" << logtxt << "'";
    for (const T_Telegramm& t : fx.stored) {
      EXPECT_EQ(t.ta, TaEvent);
      EXPECT_EQ(t.ek, kReceiverPort1);
    }
    const T_Telegramm& opened = fx.stored.front();
    EXPECT_EQ(opened.lg, 28);
    const int32_t words[] = {11, 2, 0, 0, 4, 9600};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(opened.LongAt(i), words[i]) << "word " << i;
    if (!logtxt.empty()) {
      EXPECT_EQ(fx.MessageText(1), logtxt);
      EXPECT_EQ(fx.stored[1].lg, static_cast<int>(logtxt.size()) + 1);
    }
  }
}

TEST(PortConfig, SecondPortCarriesItsOwnReceiverCountersAndNumber) {
  PortsFixture fx;
  fx.m.counters = {1, 2, 3, 4, 55, 6, 7, 8};
  ASSERT_TRUE(OpenPort(fx.m, fx.port2()));
  ASSERT_EQ(fx.stored.size(), 1u);
  const T_Telegramm& t = fx.stored[0];
  EXPECT_EQ(t.ek, kReceiverPort2);
  EXPECT_EQ(t.LongAt(0), 55);
  EXPECT_EQ(t.LongAt(3), 8);
  EXPECT_EQ(t.LongAt(4), 5);
  EXPECT_EQ(t.LongAt(5), 38400) << "no rate stored yet: the baud list entry the port runs at";
}

TEST(PortConfig, PortThatCannotBeOpenedIsReportedAndUnconfigured) {
  PortsFixture fx;
  fx.m.portMap.devices[4] = "/dev/qlxs-no-such-adapter";
  fx.m.AllgVar.AnzCom = 3;
  EXPECT_FALSE(OpenPort(fx.m, fx.port1()));
  EXPECT_FALSE(fx.port1().se.open);
  EXPECT_EQ(fx.port1().bp.cnr, 0);
  EXPECT_EQ(fx.m.AllgVar.AnzCom, 0) << "the next port dialog probes again";
  EXPECT_TRUE(fx.stored.empty());
  ASSERT_EQ(fx.sink.entries.size(), 1u);
  const auto& msg = fx.sink.entries[0];
  EXPECT_EQ(msg.number, kTextCannotOpen);
  EXPECT_EQ(msg.type, MsgError);
  EXPECT_NE(msg.text.find("COM4 cannot be opened"), std::string::npos) << msg.text;
  EXPECT_NE(msg.text.find("/dev/qlxs-no-such-adapter: no such device"), std::string::npos) << msg.text;
}

TEST(PortConfig, OpenPortsGoesOfflineWhenNoPortIsConfiguredOrNoneOpens) {
  const struct {
    const char* name;
    int32_t cnr1, cnr2;
    bool missing1, missing2;
    std::vector<int> messages;
    bool online;
  } cases[] = {
      {"both open", 4, 5, false, false, {}, true},
      {"one fails, the other goes on", 4, 5, true, false, {kTextCannotOpen}, true},
      {"both fail", 4, 5, true, true, {kTextCannotOpen, kTextCannotOpen}, false},
      {"none configured", 0, 0, false, false, {kTextNoComPort}, false},
      {"only the second configured", 0, 5, false, false, {}, true},
  };
  for (const auto& c : cases) {
    PortsFixture fx;
    if (c.missing1) fx.m.portMap.devices[4] = "/dev/qlxs-missing-1";
    if (c.missing2) fx.m.portMap.devices[5] = "/dev/qlxs-missing-2";
    fx.port1().bp.cnr = c.cnr1;
    fx.port2().bp.cnr = c.cnr2;
    fx.m.PrgPar.online = 1;
    OpenPorts(fx.m);
    std::vector<int> numbers;
    for (const auto& e : fx.sink.entries) numbers.push_back(e.number);
    EXPECT_EQ(numbers, c.messages) << c.name;
    EXPECT_EQ(fx.m.PrgPar.online != 0, c.online) << c.name;
    EXPECT_EQ(fx.port1().se.open, c.cnr1 != 0 && !c.missing1) << c.name;
    EXPECT_EQ(fx.port2().se.open, c.cnr2 != 0 && !c.missing2) << c.name;
    ClosePorts(fx.m);
  }
}

TEST(PortConfig, ClosingKeepsWhatTheLineDeliveredBeforeTheClosedTelegram) {
  PortsFixture fx;
  ASSERT_TRUE(OpenPort(fx.m, fx.port1()));
  // A complete text line and the start of a frame the line never finished.
  ASSERT_TRUE(fx.line[0].Write("\r\nCONNECT 9600\r\n\x7e\xff\x03\xc0\x21\x45"));
  ASSERT_TRUE(fx.WaitReadable(0));
  ClosePort(fx.m, fx.port1());
  ASSERT_EQ(fx.Stats(), (std::vector<int>{StatPortOpened, StatTextLine, StatTimeout, StatPortClosed}));
  EXPECT_EQ(test::DataOf(fx.stored[1]), sim::Bytes({'\r', '\n', 'C', 'O', 'N', 'N', 'E', 'C', 'T', ' ', '9', '6', '0',
                                                    '0', '\r', '\n'}));
  EXPECT_EQ(test::DataOf(fx.stored[2]), sim::Bytes({0x7e, 0xff, 0x03, 0xc0, 0x21, 0x45}));
  EXPECT_EQ(fx.port1().em.te.lg, 0);
}

TEST(PortConfig, PulledDeviceIsClosedWithNothingLostAndTheOtherPortGoesOn) {
  PortsFixture fx;
  fx.port1().bp.logtxt.assign("north");
  fx.m.PrgPar.online = 1;
  OpenPorts(fx.m);
  ASSERT_TRUE(fx.port1().se.open && fx.port2().se.open);
  fx.stored.clear();

  ASSERT_TRUE(fx.line[0].Write("\x7e\xff\x03\xc0\x21\x7e\x7e\xff\x03"));
  ASSERT_TRUE(fx.WaitReadable(0));
  ServicePort(fx.m, fx.port1());
  ASSERT_EQ(fx.Stats(), (std::vector<int>{StatOk})) << "the second frame is still under construction";
  fx.line[0].CloseMaster();
  for (int i = 0; i < 10 && fx.port1().se.open; ++i) {
    ASSERT_TRUE(fx.WaitReadable(0));
    ServicePort(fx.m, fx.port1());
  }
  ASSERT_FALSE(fx.port1().se.open);
  EXPECT_FALSE(fx.serial[0].IsOpen());
  ASSERT_EQ(fx.Stats(),
            (std::vector<int>{StatOk, StatTimeout, StatMessage, StatMessage, StatPortClosed}));
  EXPECT_EQ(test::DataOf(fx.stored[0]), sim::Bytes({0x7e, 0xff, 0x03, 0xc0, 0x21, 0x7e}));
  EXPECT_EQ(test::DataOf(fx.stored[1]), sim::Bytes({0x7e, 0xff, 0x03}));
  const std::string gone = fx.MessageText(2);
  EXPECT_NE(gone.find("COM4 is no longer available"), std::string::npos) << gone;
  EXPECT_NE(gone.find(fx.line[0].slave()), std::string::npos) << gone;
  EXPECT_EQ(fx.MessageText(3), "north");
  ASSERT_EQ(fx.sink.entries.size(), 1u);
  EXPECT_EQ(fx.sink.entries[0].number, kTextPortGone);
  EXPECT_EQ(fx.sink.entries[0].text, gone);
  EXPECT_EQ(fx.m.PrgPar.online, 1) << "the second port still captures";
  EXPECT_EQ(fx.port1().bp.cnr, 4) << "the port stays configured for the next start";

  ASSERT_TRUE(fx.line[1].Write("\r\nNO CARRIER\r\n"));
  ASSERT_TRUE(fx.WaitReadable(1));
  ServicePort(fx.m, fx.port2());
  EXPECT_EQ(fx.stored.back().stat, StatTextLine);
  EXPECT_EQ(fx.stored.back().ek, kReceiverPort2);

  fx.line[1].CloseMaster();
  for (int i = 0; i < 10 && fx.port2().se.open; ++i) {
    ASSERT_TRUE(fx.WaitReadable(1));
    ServicePort(fx.m, fx.port2());
  }
  EXPECT_FALSE(fx.port2().se.open);
  EXPECT_EQ(fx.stored.back().stat, StatPortClosed);
  EXPECT_EQ(fx.m.PrgPar.online, 0) << "no port left: offline";
}

TEST(PortConfig, ProbeListsPortsThatCanBeOpenedAndThoseTheProgramHoldsOpen) {
  PortsFixture fx;
  PtyPair free;
  ASSERT_TRUE(free.ok());
  fx.m.portMap.devices[40] = fx.line[0].slave();
  fx.m.portMap.devices[41] = free.slave();
  fx.m.portMap.devices[42] = "/dev/qlxs-missing";
  fx.port1().bp.cnr = 40;
  ASSERT_TRUE(OpenPort(fx.m, fx.port1()));
  TermiosSerialPort other(fx.line[1].slave());
  ASSERT_EQ(other.Open(nullptr), 0);  // COM 5 held elsewhere

  ProbePorts(fx.m);
  const auto& v = fx.m.AllgVar;
  const std::vector<int> list(v.ComNr.begin(), v.ComNr.begin() + v.AnzCom);
  auto has = [&](int n) { return std::find(list.begin(), list.end(), n) != list.end(); };
  EXPECT_TRUE(has(40)) << "held open by this port";
  EXPECT_TRUE(has(41));
  EXPECT_FALSE(has(42));
  EXPECT_FALSE(has(5)) << "in use elsewhere";
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
  ClosePort(fx.m, fx.port1());
}

TEST(PortConfig, SummaryAndStatusGridCells) {
  const struct {
    int32_t baudI;
    uint8_t pari, data, stop;
    int32_t cnr;
    uint32_t tcp;
    const char* summary;
    const char* com;
  } cases[] = {
      {7, 0, 8, 1, 4, 2404, "38400 N81", "COM  4"},
      {5, 2, 7, 2, 17, 2405, "9600 E72", "COM  17"},
      {0, 4, 5, 1, 0, 1, "300 S51", "  -"},
  };
  for (const auto& c : cases) {
    CaptureFixture fx;
    T_ComVar& port = fx.port2();
    port.se.snr = 4;
    port.bp.BaudI = c.baudI;
    port.bp.pari = c.pari;
    port.bp.data = c.data;
    port.bp.stop = c.stop;
    port.bp.cnr = c.cnr;
    port.bp.port = c.tcp;
    EXPECT_EQ(PortSummary(fx.m, port.bp), c.summary);
    StatusGrid grid;
    FillPortCells(fx.m, port, grid);
    EXPECT_EQ(grid[2][3], "  " + std::to_string(c.tcp));
    EXPECT_EQ(grid[2][4], c.com);
    EXPECT_EQ(grid[2][5], c.summary);
    EXPECT_EQ(grid[2][6], "");
    EXPECT_TRUE(grid[1][5].empty()) << "only the port's own row";
  }
}

TEST(PortConfig, ReopenWaitFollowsTheOldBaudRate) {
  CaptureFixture fx;
  const struct {
    int32_t baud, baudI;
    uint32_t ms;
  } cases[] = {
      {9600, 5, 318},
      {0, 7, 176000 / 38400 + 300},  // never set: the rate of the list entry
      {0, 99, 176000 / 300 + 300},   // no rate at all: the slowest of the list
      {460800, 11, 300},
  };
  for (const auto& c : cases) {
    T_BetriebsPar bp = fx.port1().bp;
    bp.baud = c.baud;
    bp.BaudI = c.baudI;
    EXPECT_EQ(ReopenDelayMs(fx.m, bp), c.ms) << c.baud << " " << c.baudI;
  }
}

TEST(PortConfig, NewSettingsWhileOnlineCloseWaitAndReopenBothPorts) {
  PortsFixture fx;
  PtyPair third;
  ASSERT_TRUE(third.ok());
  fx.m.portMap.devices[9] = third.slave();
  fx.port1().bp.baud = 9600;
  fx.port1().bp.BaudI = 5;
  fx.m.PrgPar.online = 1;
  OpenPorts(fx.m);
  ASSERT_EQ(fx.Stats(), (std::vector<int>{StatPortOpened, StatPortOpened}));

  uint32_t closedAt = 0;
  fx.m.onStored = [&](const T_Telegramm& t) {
    fx.stored.push_back(t);
    if (t.stat == StatPortClosed) closedAt = fx.clock.Tick();
  };
  const uint32_t before = fx.clock.Tick();
  ApplyPortSettings(
      fx.m,
      [](Monitor& m, T_ComVar& copy) {
        copy.bp.baud = 19200;
        copy.bp.BaudI = 6;
        copy.bp.toempf = 100;
        m.ports[1].bp.cnr = 9;
        return true;
      },
      {});
  EXPECT_EQ(fx.Stats(), (std::vector<int>{StatPortOpened, StatPortOpened, StatPortClosed, StatPortClosed,
                                          StatPortOpened, StatPortOpened}));
  EXPECT_GE(fx.stored[4].dt - fx.stored[3].dt, 318 / 86'400'000.0 - 1e-9) << "waited 176000 / 9600 + 300 ms";
  EXPECT_GE(fx.clock.Tick() - before, 318u);
  EXPECT_EQ(closedAt - before, 0u);
  EXPECT_EQ(fx.port1().bp.baud, 19200);
  EXPECT_EQ(fx.port2().bp.baud, 19200);
  EXPECT_EQ(fx.port2().bp.toempf, 100u);
  EXPECT_EQ(fx.port1().bp.cnr, 4);
  EXPECT_EQ(fx.port2().bp.cnr, 9) << "the second port keeps the number the dialog gave it";
  EXPECT_EQ(fx.serial[1].Device(), third.slave());
  EXPECT_EQ(fx.stored[5].LongAt(5), 19200);
  EXPECT_EQ(fx.stored[3].LongAt(4), 5) << "closed under the number it was opened with";
  EXPECT_EQ(fx.stored[5].LongAt(4), 9);

  // The second port set to none: it is closed with its telegram and stays closed.
  fx.stored.clear();
  ApplyPortSettings(
      fx.m,
      [](Monitor& m, T_ComVar&) {
        m.ports[1].bp.cnr = 0;
        return true;
      },
      {});
  EXPECT_EQ(fx.Stats(), (std::vector<int>{StatPortClosed, StatPortClosed, StatPortOpened}));
  EXPECT_EQ(fx.stored[1].LongAt(4), 9);
  EXPECT_FALSE(fx.port2().se.open);
  EXPECT_FALSE(fx.serial[1].IsOpen());
  EXPECT_EQ(fx.port2().bp.cnr, 0);
  ClosePorts(fx.m);
}

TEST(PortConfig, CancelledOrOfflineSettingsChangeNothingOrOnlyTheRecords) {
  PortsFixture fx;
  const T_BetriebsPar first = fx.port1().bp, second = fx.port2().bp;
  ApplyPortSettings(
      fx.m,
      [](Monitor&, T_ComVar& copy) {
        copy.bp.baud = 1200;
        return false;
      },
      {});
  EXPECT_EQ(std::memcmp(&fx.port1().bp, &first, sizeof first), 0);
  EXPECT_EQ(std::memcmp(&fx.port2().bp, &second, sizeof second), 0);
  EXPECT_TRUE(fx.stored.empty());

  const uint32_t before = fx.clock.Tick();
  ApplyPortSettings(
      fx.m,
      [](Monitor&, T_ComVar& copy) {
        copy.bp.baud = 1200;
        return true;
      },
      {});
  EXPECT_EQ(fx.port1().bp.baud, 1200);
  EXPECT_EQ(fx.port2().bp.baud, 1200);
  EXPECT_EQ(fx.port2().bp.cnr, 5);
  EXPECT_TRUE(fx.stored.empty()) << "offline: no port is opened";
  EXPECT_EQ(fx.clock.Tick(), before) << "offline: no wait";
  EXPECT_GT(fx.m.AllgVar.AnzCom, 0) << "offline: the ports were probed for the dialog";
}

}  // namespace
}  // namespace qlxs
