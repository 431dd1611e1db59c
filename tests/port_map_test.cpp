#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/port_map.h"
#include "platform/termios_serial_port.h"
#include "support/pty_pair.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

TEST(PortMap, EntriesDefaultsAndBadLines) {
  const PortMap map = ParsePortMap(
      "# adapters on the tap\n"
      "1 /dev/serial/by-id/usb-FTDI_A-if00-port0\n"
      "  2\t/dev/ttyUSB1   # second direction\n"
      "\n"
      "40 /dev/ttyACM0\n"
      "x /dev/ttyUSB2\n"
      "0 /dev/ttyUSB3\n"
      "256 /dev/ttyUSB4\n"
      "7\n"
      "8 ttyUSB5\n"
      "2 /dev/ttyUSB6\n",
      "/home/u/ports.map");
  EXPECT_EQ(map.DevicePath(1), "/dev/serial/by-id/usb-FTDI_A-if00-port0");
  EXPECT_EQ(map.DevicePath(2), "/dev/ttyUSB1") << "the first entry of a number counts";
  EXPECT_EQ(map.DevicePath(40), "/dev/ttyACM0");
  EXPECT_EQ(map.DevicePath(3), "/dev/ttyS2") << "unmapped numbers up to 32 are ttyS(N-1)";
  EXPECT_EQ(map.DevicePath(32), "/dev/ttyS31");
  EXPECT_EQ(map.DevicePath(33), "");
  EXPECT_EQ(map.DevicePath(7), "/dev/ttyS6") << "a bad line leaves the default";

  const struct {
    int line;
    const char* says;
  } expected[] = {
      {6, "'x' is not a COM number"},   {7, "'0' is not a COM number"}, {8, "'256' is not a COM number"},
      {9, "COM 7 has no device path"}, {10, "is not absolute"},        {11, "already mapped on line 3"},
  };
  ASSERT_EQ(map.problems.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const std::string& p = map.problems[i];
    EXPECT_EQ(p.rfind("/home/u/ports.map:" + std::to_string(expected[i].line) + ": ", 0), 0u) << p;
    EXPECT_NE(p.find(expected[i].says), std::string::npos) << p;
    EXPECT_NE(p.find("ignored"), std::string::npos) << p;
  }
}

TEST(PortMap, DeviceGivenByPathGetsAStableComNumber) {
  PortMap map = ParsePortMap("4 /dev/ttyUSB0\n33 /dev/ttyACM0\n3 /dev/ttyUSB7\n", "ports.map");
  const struct {
    const char* path;
    int cnr;
  } cases[] = {
      {"/dev/ttyUSB0", 4},   // its entry
      {"/dev/ttyACM0", 33},  // its entry above 32
      {"/dev/ttyS0", 1},     // the default device of COM 1
      {"/dev/ttyS2", 34},    // COM 3 stands for another device: a free number
      {"/dev/pts/7", 35},    // first number above 32 without an entry
      {"/dev/pts/7", 35},    // and the same one again
      {"/dev/pts/8", 36},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AssignComNumber(map, c.path), c.cnr) << c.path;
    EXPECT_EQ(map.DevicePath(c.cnr), c.path);
  }
  for (int n = 37; n <= kMaxComNumber; ++n) map.devices[n] = "/dev/x";
  EXPECT_EQ(AssignComNumber(map, "/dev/pts/9"), 0) << "every number taken";
}

TEST(PortMap, FileIsOptionalButAnUnreadableOneIsReported) {
  test::ScratchDir dir;
  const PortMap missing = LoadPortMap(dir.file(kPortMapFileName));
  EXPECT_TRUE(missing.devices.empty());
  EXPECT_TRUE(missing.problems.empty());

  ASSERT_EQ(::mkdir((dir.file("ports.map")).c_str(), 0755), 0);
  const PortMap directory = LoadPortMap(dir.file("ports.map"));
  ASSERT_EQ(directory.problems.size(), 1u);
  EXPECT_NE(directory.problems[0].find(dir.file("ports.map")), std::string::npos);

  ASSERT_TRUE(test::WriteFile(dir.file("real.map"), "5 /dev/ttyUSB0\n"));
  EXPECT_EQ(LoadPortMap(dir.file("real.map")).DevicePath(5), "/dev/ttyUSB0");
}

TEST(PortMap, AvailableOnlyWhenTheDeviceCanBeOpenedAndLockedNow) {
  test::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const PortMap map = ParsePortMap("40 " + pty.slave() + "\n41 /dev/qlxs-missing\n", "ports.map");
  EXPECT_TRUE(PortAvailable(map, 40));
  EXPECT_FALSE(PortAvailable(map, 41));
  EXPECT_FALSE(PortAvailable(map, 42)) << "no entry and above 32: no device";

  TermiosSerialPort holder(pty.slave());
  ASSERT_EQ(holder.Open(nullptr), 0);
  EXPECT_FALSE(PortAvailable(map, 40)) << "a port held open is not available to others";
  holder.Close();
  EXPECT_TRUE(PortAvailable(map, 40));
}

TEST(PortMap, SerialDevicesAreListedByTheirStableNames) {
  test::ScratchDir dir;
  test::PtyPair a, b;
  ASSERT_TRUE(a.ok() && b.ok());
  ASSERT_EQ(::symlink(b.slave().c_str(), dir.file("usb-FTDI_B-if00-port0").c_str()), 0);
  ASSERT_EQ(::symlink(a.slave().c_str(), dir.file("usb-FTDI_A-if00-port0").c_str()), 0);
  ASSERT_EQ(::symlink(a.slave().c_str(), dir.file("usb-odd#name").c_str()), 0);
  ASSERT_EQ(::symlink(a.slave().c_str(), dir.file("usb-line\nbreak").c_str()), 0);
  EXPECT_EQ(ListSerialDevices(dir.path()),
            (std::vector<std::string>{dir.file("usb-FTDI_A-if00-port0"), dir.file("usb-FTDI_B-if00-port0")}))
      << "sorted; names that cannot stand in a port map line are left out";
  EXPECT_TRUE(ListSerialDevices(dir.file("no-such-dir")).empty());
}

TEST(PortMap, ComNumberOfADeviceFollowsLinksToTheSameDevice) {
  test::ScratchDir dir;
  test::PtyPair a, b;
  ASSERT_TRUE(a.ok() && b.ok());
  const std::string linkA = dir.file("usb-A"), linkB = dir.file("usb-B");
  ASSERT_EQ(::symlink(a.slave().c_str(), linkA.c_str()), 0);
  ASSERT_EQ(::symlink(b.slave().c_str(), linkB.c_str()), 0);
  const PortMap map = ParsePortMap("40 " + a.slave() + "\n41 " + linkB + "\n42 /dev/qlxs-missing\n", "ports.map");
  const struct {
    std::string device;
    int cnr;
  } cases[] = {
      {a.slave(), 40},               // the mapped path itself
      {linkA, 40},                   // a link to a mapped device
      {linkB, 41},                   // mapped by its link
      {b.slave(), 41},               // the device a mapped link points at
      {"/dev/qlxs-missing", 42},     // the same path, even when it is missing
      {"/dev/qlxs-missing-too", 0},  // no number for it
  };
  for (const auto& c : cases) EXPECT_EQ(ComNumberOf(map, c.device), c.cnr) << c.device;
}

TEST(PortMap, AnEntryIsAppendedKeepingTheFileAsItWas) {
  const struct {
    const char* before;  // nullptr: no file yet
    const char* after;
  } cases[] = {
      {nullptr, "33 /dev/serial/by-id/usb-X\n"},
      {"", "33 /dev/serial/by-id/usb-X\n"},
      {"# tap adapters\n4 /dev/ttyUSB0   # west\n\n", "# tap adapters\n4 /dev/ttyUSB0   # west\n\n33 /dev/serial/by-id/usb-X\n"},
      {"4 /dev/ttyUSB0", "4 /dev/ttyUSB0\n33 /dev/serial/by-id/usb-X\n"},
  };
  for (const auto& c : cases) {
    test::ScratchDir dir;
    const std::string file = dir.file(kPortMapFileName);
    if (c.before) {
      ASSERT_TRUE(test::WriteFile(file, c.before));
    }
    ASSERT_EQ(AddPortMapEntry(file, 33, "/dev/serial/by-id/usb-X"), 0);
    EXPECT_EQ(test::ReadFile(file), c.after) << (c.before ? c.before : "(no file)");
    EXPECT_EQ(LoadPortMap(file).DevicePath(33), "/dev/serial/by-id/usb-X");
  }

  test::ScratchDir dir;
  EXPECT_EQ(AddPortMapEntry(dir.file("missing/ports.map"), 33, "/dev/x"), ENOENT) << "no folder for the file";
  ASSERT_EQ(::mkdir(dir.file("ports.map").c_str(), 0755), 0);
  EXPECT_NE(AddPortMapEntry(dir.file("ports.map"), 33, "/dev/x"), 0) << "a folder in the file's place";
}

}  // namespace
}  // namespace qlxs
