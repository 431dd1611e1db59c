// What the COM port dialog decides, without a window: its COM lists, the
// rule against one port for both, loading and range checks of its entries,
// what OK writes, and a device without a COM number getting the next free
// one in the port map file.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "app/port_dialog.h"
#include "config/language_texts.h"
#include "model/port_params.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "platform/port_map.h"
#include "support/files.h"
#include "support/pty_pair.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

// Keeps each message with the port map file as it was when the message came.
class FileWatchingSink final : public MessageSink {
 public:
  struct Seen {
    int number;
    MsgType type;
    std::string text;
    std::string fileThen;
  };
  void Show(int number, MsgType type, const std::string& text) override {
    seen.push_back({number, type, text, test::ReadFile(file)});
  }
  std::string file;
  std::vector<Seen> seen;
};

struct PortDialogFixture : ::testing::Test {
  PortDialogFixture() {
    m.AllgVar.ProgDir = QLXS_BIN_DIR "/";
    EXPECT_TRUE(LoadTexts(m, LangEnglish));
    m.AllgVar.DataDir = dir.dir();
    mapFile = dir.file(kPortMapFileName);
    sink.file = mapFile;
    EXPECT_EQ(::mkdir(byId.c_str(), 0755), 0);
    // No port is configured unless a test says so.
    for (T_ComVar& port : m.ports) port.bp.cnr = 0;
  }
  // A link in the scratch by-id folder to the slave of `pty`.
  std::string Link(const std::string& name, const test::PtyPair& pty) {
    const std::string link = byId + "/" + name;
    EXPECT_EQ(::symlink(pty.slave().c_str(), link.c_str()), 0);
    return link;
  }
  void Available(std::vector<int> numbers) {
    m.AllgVar.AnzCom = 0;
    for (int n : numbers) m.AllgVar.ComNr[static_cast<size_t>(m.AllgVar.AnzCom++)] = static_cast<uint8_t>(n);
  }
  std::vector<int> AvailableNumbers() const {
    return {m.AllgVar.ComNr.begin(), m.AllgVar.ComNr.begin() + m.AllgVar.AnzCom};
  }

  test::ScratchDir dir;
  ManualClock clock;
  FileWatchingSink sink;
  Monitor m{clock, sink};
  std::string mapFile;
  const std::string byId = dir.file("by-id");
};

TEST_F(PortDialogFixture, ComListsShowAvailableNumbersWithDevicesThenDevicesWithoutANumber) {
  test::PtyPair a, b, c;
  ASSERT_TRUE(a.ok() && b.ok() && c.ok());
  const std::string linkA = Link("usb-A", a), linkB = Link("usb-B", b), linkC = Link("usb-C", c);
  m.portMap.devices[33] = a.slave();  // usb-A is COM 33 through the device it points at
  m.portMap.devices[34] = linkB;      // usb-B is COM 34 by its link
  Available({4, 33});

  const std::vector<ComItem> items = ComItems(m, ListSerialDevices(byId));
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].text, "(none)");
  EXPECT_EQ(items[0].cnr, 0);
  EXPECT_EQ(items[1].text, "COM  4   /dev/ttyS3");
  EXPECT_EQ(items[2].text, "COM  33   " + a.slave());
  EXPECT_EQ(items[2].device, a.slave());
  EXPECT_EQ(items[3].text, "usb-C (no COM number yet)") << "only the device that no number stands for";
  EXPECT_EQ(items[3].device, linkC);
  EXPECT_EQ(items[3].cnr, 0);

  EXPECT_EQ(ComItemIndex(items, 33), 2);
  EXPECT_EQ(ComItemIndex(items, 34), 0) << "a number that is in no item selects no port";
  EXPECT_EQ(ComItemIndex(items, 0), 0);
}

TEST_F(PortDialogFixture, APortWhoseDeviceIsAbsentKeepsItsNumberOnOk) {
  // COM 7 is configured for the first port, but its adapter is unplugged.
  m.portMap.devices[7] = "/dev/ttyUSB7";
  m.ports[0].bp.cnr = 7;
  m.ports[1].bp.cnr = 4;
  Available({4});
  const std::vector<ComItem> items = ComItems(m, {});
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[2].cnr, 7);
  EXPECT_EQ(items[2].text, "COM  7   /dev/ttyUSB7  (not available)");
  const PortEntries e = LoadPortEntries(m.ports[0].bp, m.ports[1].bp.cnr, items, PortListSizes{});
  EXPECT_EQ(e.com1, 2);
  EXPECT_EQ(e.com2, 1);
  T_ComVar copy = m.ports[0];
  SavePortEntries(m, e, items, copy);
  EXPECT_EQ(copy.bp.cnr, 7) << "OK without touching the list keeps the number";
  EXPECT_EQ(m.ports[1].bp.cnr, 4);
}

TEST(PortDialog, BothPortsMayNotUseOnePort) {
  const std::vector<ComItem> items{
      {0, "", "(none)"},
      {4, "/dev/ttyUSB0", "COM 4"},
      {33, "/dev/ttyUSB1", "COM 33"},
      {34, "/dev/ttyUSB1", "COM 34"},  // a second number for the same device
      {0, "/dev/serial/by-id/usb-Z", "usb-Z"},
  };
  const struct {
    int first, second, want;
  } cases[] = {
      {1, 1, 0}, {4, 4, 0},  // the same item
      {2, 3, 0},             // two numbers of one device
      {0, 0, 0}, {1, 0, 0}, {0, 1, 1}, {1, 2, 2}, {1, 4, 4},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SecondComItem(items, c.first, c.second), c.want) << c.first << " " << c.second;
}

TEST(PortDialog, EntriesLoadFromTheParametersAndDamagedValuesFallBackToDefaults) {
  const std::vector<ComItem> items{{0, "", "(none)"}, {4, "/dev/ttyS3", ""}, {9, "/dev/ttyS8", ""}};
  const PortListSizes sizes{12, 5, 4, 2};

  T_BetriebsPar bp = DefaultBetriebsPar();
  PortEntries e = LoadPortEntries(bp, 5, items, sizes);
  EXPECT_EQ(e.com1, 1);
  EXPECT_EQ(e.com2, 0) << "COM 5 is not in the list";
  EXPECT_EQ(e.baud, 7);
  EXPECT_EQ(e.pari, 0);
  EXPECT_EQ(e.data, 3) << "8 data bits";
  EXPECT_EQ(e.stop, 0) << "1 stop bit";
  EXPECT_EQ(e.fields, (std::array<std::string, kPortFieldCount>{"1500", "250", "4000", "2404"}));
  EXPECT_EQ(e.lines, (std::array<bool, 4>{}));

  bp.cnr = 9;
  bp.logtxt.assign("Tap west");
  bp.BaudI = 3;
  bp.pari = 2;
  bp.data = 7;
  bp.stop = 2;
  bp.tlg = 300;
  bp.port = 2405;
  bp.paend = 0x90;
  bp.ilo = 12;
  e = LoadPortEntries(bp, 4, items, sizes);
  EXPECT_EQ(e.logtxt, "Tap west");
  EXPECT_EQ(e.com1, 2);
  EXPECT_EQ(e.com2, 1);
  EXPECT_EQ(e.baud, 3);
  EXPECT_EQ(e.pari, 2);
  EXPECT_EQ(e.data, 2);
  EXPECT_EQ(e.stop, 1);
  EXPECT_EQ(e.fields[FieldFrameLength], "300");
  EXPECT_EQ(e.fields[FieldTcpPort], "2405");
  EXPECT_EQ(e.lines, (std::array<bool, 4>{true, false, false, true})) << "DCD and CTS";
  EXPECT_EQ(e.ilo, 12);

  // A log header from elsewhere can hold anything.
  bp.BaudI = 40;
  bp.pari = 9;
  bp.data = 3;
  bp.stop = 0;
  bp.port = 0;
  e = LoadPortEntries(bp, 0, items, sizes);
  EXPECT_EQ(e.baud, 7);
  EXPECT_EQ(e.pari, 0);
  EXPECT_EQ(e.data, 3);
  EXPECT_EQ(e.stop, 0);
  EXPECT_EQ(e.fields[FieldTcpPort], "2404") << "a stored 0 stands for 2404";
  bp.BaudI = -1;
  EXPECT_EQ(LoadPortEntries(bp, 0, items, {3, 5, 4, 2}).baud, 0) << "a short baud list without the default";
}

TEST(PortDialog, EntryFieldsTakeOnlyDecimalValuesInTheirRange) {
  const struct {
    PortField field;
    const char* text;
    bool valid;
  } cases[] = {
      {FieldFrameLength, "99", false},   {FieldFrameLength, "100", true},   {FieldFrameLength, "1500", true},
      {FieldFrameLength, "1501", false}, {FieldRecvTimeout, "9", false},    {FieldRecvTimeout, "10", true},
      {FieldRecvTimeout, "5000", true},  {FieldRecvTimeout, "5001", false}, {FieldSyncTimeout, "99", false},
      {FieldSyncTimeout, "100", true},   {FieldSyncTimeout, "50000", true}, {FieldSyncTimeout, "50001", false},
      {FieldTcpPort, "0", false},        {FieldTcpPort, "1", true},         {FieldTcpPort, "65535", true},
      {FieldTcpPort, "65536", false},    {FieldTcpPort, " 2404 ", true},    {FieldTcpPort, "", false},
      {FieldTcpPort, "24a4", false},     {FieldTcpPort, "-1", false},       {FieldTcpPort, "+80", false},
      {FieldTcpPort, "4294969700", false},  // 2404 after a 32-bit overflow
  };
  for (const auto& c : cases) {
    const auto v = FieldValue(c.field, c.text);
    EXPECT_EQ(v.has_value(), c.valid) << c.field << " '" << c.text << "'";
  }
  EXPECT_EQ(FieldValue(FieldTcpPort, " 2404 "), 2404u);

  PortEntries e;
  e.fields = {"1500", "5", "4000", "0"};
  EXPECT_EQ(InvalidFields(e), (std::vector<PortField>{FieldRecvTimeout, FieldTcpPort}));
  e.fields = {"1500", "250", "4000", "2404"};
  EXPECT_TRUE(InvalidFields(e).empty());
}

TEST_F(PortDialogFixture, OkWritesExactlyTheDialogsFieldsAndTheSecondPortsNumber) {
  const std::vector<ComItem> items{{0, "", "(none)"}, {4, "/dev/ttyS3", ""}, {9, "/dev/ttyS8", ""}};
  T_ComVar copy = m.ports[0];
  std::memset(&copy.bp, 0xA5, sizeof copy.bp);
  const T_BetriebsPar secondBefore = m.ports[1].bp;

  PortEntries e;
  e.logtxt = std::string(90, 'x');
  e.com1 = 2;
  e.com2 = 1;
  e.baud = 5;
  e.pari = 4;
  e.data = 0;
  e.stop = 1;
  e.fields = {"512", "10", "50000", "65535"};
  e.lines = {false, true, true, false};
  e.ilo = 14;
  SavePortEntries(m, e, items, copy);

  T_BetriebsPar want;
  std::memset(&want, 0xA5, sizeof want);
  want.ilo = 14;
  want.logtxt.assign(std::string(83, 'x'));
  want.cnr = 9;
  want.BaudI = 5;
  want.baud = 9600;
  want.pari = 4;
  want.data = 5;
  want.stop = 2;
  want.tlg = 512;
  want.toempf = 10;
  want.tosyn = 50000;
  want.port = 65535;
  want.paend = 0x60;
  EXPECT_EQ(std::memcmp(&copy.bp, &want, sizeof want), 0) << "nothing but the dialog's fields";
  EXPECT_EQ(copy.bp.logtxt.view(), std::string(83, 'x'));

  T_BetriebsPar second = secondBefore;
  second.cnr = 4;
  EXPECT_EQ(std::memcmp(&m.ports[1].bp, &second, sizeof second), 0) << "of the second port only its COM number";
}

TEST_F(PortDialogFixture, ADeviceWithoutANumberGetsTheNextFreeOneInThePortMapFile) {
  test::PtyPair a, b;
  ASSERT_TRUE(a.ok() && b.ok());
  const std::string linkA = Link("usb-A", a), linkB = Link("usb-B", b);
  const std::string before = "# adapters of the tap\n33 /dev/ttyUSB9   # west\n";
  ASSERT_TRUE(test::WriteFile(mapFile, before));
  m.portMap = LoadPortMap(mapFile);
  // Edited since it was read: 34 is taken too.
  const std::string edited = before + "34 /dev/ttyACM3\n";
  ASSERT_TRUE(test::WriteFile(mapFile, edited));
  Available({4, 33});

  std::vector<ComItem> items = ComItems(m, ListSerialDevices(byId));
  ASSERT_EQ(items.size(), 5u);
  PortEntries e;
  e.com1 = 3;  // usb-A
  e.com2 = 4;  // usb-B
  ASSERT_TRUE(EnterNewDevices(m, items, e));

  EXPECT_EQ(test::ReadFile(mapFile), edited + "35 " + linkA + "\n36 " + linkB + "\n");
  ASSERT_EQ(sink.seen.size(), 2u);
  EXPECT_EQ(sink.seen[0].number, kTextDeviceEntered);
  EXPECT_EQ(sink.seen[0].type, MsgInformation);
  EXPECT_EQ(sink.seen[0].text, "The device " + linkA + " has no COM number yet. It becomes COM35 and is entered in the port map " + mapFile + ".");
  EXPECT_EQ(sink.seen[0].fileThen, edited) << "the message comes before the file is changed";
  EXPECT_EQ(m.portMap.DevicePath(35), linkA);
  EXPECT_EQ(m.portMap.DevicePath(36), linkB);
  EXPECT_EQ(AvailableNumbers(), (std::vector<int>{4, 33, 35, 36}));
  EXPECT_EQ(items[3].cnr, 35);
  EXPECT_EQ(items[3].text, "COM  35   " + linkA);

  T_ComVar copy = m.ports[0];
  SavePortEntries(m, e, items, copy);
  EXPECT_EQ(copy.bp.cnr, 35);
  EXPECT_EQ(m.ports[1].bp.cnr, 36);
  EXPECT_EQ(ComItems(m, ListSerialDevices(byId)).size(), 5u) << "both are listed by their numbers now";
}

TEST_F(PortDialogFixture, ADeviceEnteredMeanwhileKeepsItsNumberWithoutAnotherLine) {
  test::PtyPair a;
  ASSERT_TRUE(a.ok());
  const std::string linkA = Link("usb-A", a);
  std::vector<ComItem> items = ComItems(m, ListSerialDevices(byId));
  ASSERT_EQ(items.size(), 2u);
  const std::string edited = "40 " + a.slave() + "\n";
  ASSERT_TRUE(test::WriteFile(mapFile, edited));
  PortEntries e;
  e.com1 = 1;
  ASSERT_TRUE(EnterNewDevices(m, items, e));
  EXPECT_EQ(items[1].cnr, 40);
  EXPECT_EQ(test::ReadFile(mapFile), edited);
  EXPECT_TRUE(sink.seen.empty());
  EXPECT_EQ(m.portMap.DevicePath(40), a.slave());
}

TEST_F(PortDialogFixture, APortMapThatCannotBeWrittenEntersNothing) {
  test::PtyPair a;
  ASSERT_TRUE(a.ok());
  Link("usb-A", a);
  Available({4});
  m.AllgVar.DataDir = dir.file("gone") + "/";
  std::vector<ComItem> items = ComItems(m, ListSerialDevices(byId));
  const std::vector<ComItem> itemsBefore = items;
  PortEntries e;
  e.com2 = 2;
  EXPECT_FALSE(EnterNewDevices(m, items, e));
  ASSERT_EQ(sink.seen.size(), 2u);
  EXPECT_EQ(sink.seen[1].number, kTextPortMapNotWritten);
  EXPECT_EQ(sink.seen[1].type, MsgError);
  EXPECT_EQ(sink.seen[1].text,
            "The port map " + dir.file("gone") + "/ports.map cannot be written: No such file or directory");
  EXPECT_TRUE(m.portMap.devices.empty());
  EXPECT_EQ(AvailableNumbers(), std::vector<int>{4});
  EXPECT_EQ(items[2].cnr, 0);
  EXPECT_EQ(items[2].text, itemsBefore[2].text);
}

}  // namespace
}  // namespace qlxs
