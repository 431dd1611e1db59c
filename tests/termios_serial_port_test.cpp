#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/termios_serial_port.h"
#include "support/pty_pair.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using test::PtyPair;

// Waits until the port's descriptor is readable (or hung up) and returns
// what Available() then says.
long WaitAvailable(TermiosSerialPort& port, size_t atLeast = 1) {
  long n = 0;
  for (int i = 0; i < 200; ++i) {
    pollfd p{port.Fd(), POLLIN, 0};
    ::poll(&p, 1, 10);
    n = port.Available();
    if (n < 0 || static_cast<size_t>(n) >= atLeast) break;
  }
  return n;
}

std::vector<uint8_t> ReadAll(TermiosSerialPort& port, size_t expected) {
  std::vector<uint8_t> got;
  uint8_t block[1519];
  while (got.size() < expected) {
    if (WaitAvailable(port) <= 0) break;
    const size_t n = port.GetBlock(block, sizeof block);
    got.insert(got.end(), block, block + n);
    EXPECT_EQ(port.GetLineError(), 0);
    EXPECT_FALSE(port.GetLineBreak());
  }
  return got;
}

TEST(TermiosSerialPort, AppliesLineSettingsAndRestoresTheTtyOnClose) {
  const struct {
    SerialSettings s;
    tcflag_t cflag;  // expected CSIZE|PARENB|PARODD|CMSPAR|CSTOPB bits
  } cases[] = {
      {{9600, 0, 8, 1}, CS8},
      {{19200, 1, 8, 1}, CS8 | PARENB | PARODD},
      {{115200, 2, 7, 2}, CS7 | PARENB | CSTOPB},
      {{1200, 3, 8, 1}, CS8 | PARENB | PARODD | CMSPAR},
      {{2400, 4, 5, 2}, CS5 | PARENB | CMSPAR | CSTOPB},
  };
  for (const auto& c : cases) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TermiosSerialPort port(pty.slave());
    port.SetSettings(c.s);
    std::string error;
    ASSERT_EQ(port.Open(&error), 0) << error;
    // The master end reports the slave's settings. A pseudo-terminal forces
    // CS8 without parity; the other frame bits stay as set.
    termios t;
    ASSERT_EQ(::tcgetattr(pty.master(), &t), 0);
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CSTOPB), c.cflag & (PARODD | CMSPAR | CSTOPB)) << c.s.baud;
    EXPECT_EQ(::cfgetispeed(&t), BaudConstant(c.s.baud));
    EXPECT_EQ(t.c_iflag & (INPCK | PARMRK), tcflag_t(INPCK | PARMRK));
    EXPECT_EQ(t.c_iflag & (IGNPAR | IGNBRK | BRKINT | ISTRIP | IXON), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    port.Close();
    ASSERT_EQ(::tcgetattr(pty.master(), &t), 0);
    EXPECT_NE(t.c_lflag & ICANON, 0u) << "the tty's own settings come back";
  }
}

TEST(TermiosSerialPort, ReadsEveryOctetValueInBlocks) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  TermiosSerialPort port(pty.slave());
  std::string error;
  ASSERT_EQ(port.Open(&error), 0) << error;
  // Every value, 0xFF and 0x00 included, which the line discipline doubles
  // or uses in marks; enough octets for several reads and blocks.
  std::vector<uint8_t> sent;
  for (int round = 0; round < 12; ++round)
    for (int v = 0; v < 256; ++v) sent.push_back(static_cast<uint8_t>(v ^ round));
  ASSERT_TRUE(pty.Write(sent.data(), sent.size()));
  EXPECT_EQ(ReadAll(port, sent.size()), sent);
  EXPECT_EQ(port.Available(), 0);
}

TEST(TermiosSerialPort, FlushDiscardsWhatWasNotRead) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  TermiosSerialPort port(pty.slave());
  ASSERT_EQ(port.Open(nullptr), 0);
  ASSERT_TRUE(pty.Write("old octets"));
  ASSERT_GT(WaitAvailable(port, 10), 0);
  port.FlushInBuffer();
  EXPECT_EQ(port.Available(), 0);
  ASSERT_TRUE(pty.Write("new"));
  const std::vector<uint8_t> got = ReadAll(port, 3);
  EXPECT_EQ(std::string(got.begin(), got.end()), "new");
}

TEST(TermiosSerialPort, HangUpDeliversPendingOctetsThenFails) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  TermiosSerialPort port(pty.slave());
  ASSERT_EQ(port.Open(nullptr), 0);
  ASSERT_TRUE(pty.Write("last words"));
  ASSERT_GT(WaitAvailable(port, 10), 0);
  pty.CloseMaster();

  pollfd p{port.Fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 1000), 1);
  EXPECT_NE(p.revents & POLLHUP, 0);
  // What arrived before the hang-up is still delivered.
  EXPECT_EQ(port.Available(), 10);
  uint8_t buf[32];
  ASSERT_EQ(port.GetBlock(buf, sizeof buf), 10u);
  EXPECT_EQ(std::string(buf, buf + 10), "last words");
  EXPECT_EQ(port.Available(), -EIO);
  EXPECT_EQ(port.Available(), -EIO) << "the failure stays until the port is closed";
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

TEST(TermiosSerialPort, DeviceHeldByAnotherProcessIsBusyAndUnavailable) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  int toParent[2], toChild[2];
  ASSERT_EQ(::pipe(toParent), 0);
  ASSERT_EQ(::pipe(toChild), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    TermiosSerialPort holder(pty.slave());
    const char ok = holder.Open(nullptr) == 0 ? 'y' : 'n';
    (void)!::write(toParent[1], &ok, 1);
    char c;
    (void)!::read(toChild[0], &c, 1);  // hold until the parent is done
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(toParent[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');

  std::string error;
  EXPECT_EQ(TestDevice(pty.slave(), &error), EBUSY);
  EXPECT_NE(error.find(pty.slave()), std::string::npos) << error;
  EXPECT_NE(error.find("in use by another program"), std::string::npos) << error;
  TermiosSerialPort second(pty.slave());
  EXPECT_EQ(second.Open(&error), EBUSY);
  EXPECT_FALSE(second.IsOpen());

  (void)!::write(toChild[1], "x", 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(TestDevice(pty.slave()), 0) << "the lock goes with the process";
  for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) ::close(fd);
}

TEST(TermiosSerialPort, OpenFailuresSayWhatIsWrong) {
  test::ScratchDir dir;
  ASSERT_TRUE(test::WriteFile(dir.file("plain"), "not a tty"));
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const struct {
    std::string device;
    SerialSettings settings;
    int err;
    const char* says;
  } cases[] = {
      {"/dev/qlxs-no-such-adapter", {}, ENOENT, "no such device"},
      {dir.file("plain"), {}, ENOTTY, "not a serial device"},
      {pty.slave(), {12345, 0, 8, 1}, EINVAL, "baud rate 12345 is not supported"},
      {pty.slave(), {9600, 7, 8, 1}, EINVAL, "invalid line settings"},
      {"", {}, ENODEV, "no device"},
  };
  for (const auto& c : cases) {
    TermiosSerialPort port(c.device);
    port.SetSettings(c.settings);
    std::string error;
    EXPECT_EQ(port.Open(&error), c.err) << c.device;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_NE(error.find(c.device), std::string::npos) << error;
    EXPECT_LT(port.Available(), 0);
    EXPECT_EQ(port.AddStatusTrigger(kTriggerModemStatus), 0) << "no triggers on a closed port";
  }
}

TEST(TermiosSerialPort, PermissionDeniedNamesTheGroupThatGivesAccess) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs root to hand the device to another group and drop to an unprivileged user";
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const group* dialout = ::getgrnam("dialout");
  const gid_t gid = dialout ? dialout->gr_gid : 20;
  const std::string groupName = dialout ? "dialout" : "20";
  ASSERT_EQ(::chown(pty.slave().c_str(), 0, gid), 0);
  ASSERT_EQ(::chmod(pty.slave().c_str(), 0660), 0);

  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    std::string report;
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
      report = "cannot drop privileges";
    } else {
      TermiosSerialPort port(pty.slave());
      std::string error;
      report = std::to_string(port.Open(&error)) + "|" + error;
    }
    (void)!::write(fds[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char buf[512];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  ::waitpid(child, nullptr, 0);

  EXPECT_EQ(report.substr(0, report.find('|')), std::to_string(EACCES)) << report;
  EXPECT_NE(report.find(pty.slave()), std::string::npos) << report;
  EXPECT_NE(report.find("group '" + groupName + "'"), std::string::npos) << report;
  EXPECT_NE(report.find("usermod -aG " + groupName), std::string::npos) << report;
}

}  // namespace
}  // namespace qlxs
