#include "platform/termios_serial_port.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>

namespace qlxs {

namespace {

/// Size of one read from the device.
constexpr size_t kReadChunk = 4096;
/// Decoded octets gathered by one call of Available at most; the rest
/// waits in the kernel until the caller has taken these.
constexpr size_t kMaxPending = 65536;

/// Opens `device` for the capture and takes its exclusive lock. Returns the
/// descriptor or -errno.
int OpenAndLock(const std::string& device) {
  if (device.empty()) return -ENODEV;
  int fd;
  do {
    fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -errno;
  if (!::isatty(fd)) {
    ::close(fd);
    return -ENOTTY;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int e = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    return -e;
  }
  return fd;
}

bool IsPseudoTerminal(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned maj = major(st.st_rdev);
  return (maj >= 136 && maj <= 143) || maj == 3;  // Unix98 and legacy pty slaves
}

std::string GroupName(gid_t gid) {
  std::vector<char> buf(4096);
  group g;
  group* result = nullptr;
  if (::getgrgid_r(gid, &g, buf.data(), buf.size(), &result) == 0 && result) return result->gr_name;
  return std::to_string(gid);
}

std::string OwnerName(uid_t uid) {
  std::vector<char> buf(4096);
  passwd p;
  passwd* result = nullptr;
  if (::getpwuid_r(uid, &p, buf.data(), buf.size(), &result) == 0 && result) return result->pw_name;
  return std::to_string(uid);
}

std::string PermissionText(const std::string& device) {
  struct stat st;
  if (::stat(device.c_str(), &st) != 0)
    return device + ": permission denied";
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  const std::string group = GroupName(st.st_gid);
  const std::string details = " (owner " + OwnerName(st.st_uid) + ", group " + group + ", mode " + mode + ")";
  if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP))
    return device + ": permission denied" + details + ". Members of the group '" + group +
           "' may use it: add your user to that group (sudo usermod -aG " + group +
           " $USER) and log in again.";
  return device + ": permission denied" + details +
         ". No group may read and write it; its owner or a udev rule must grant access.";
}

}  // namespace

speed_t BaudConstant(int32_t baud) {
  static const struct {
    int32_t baud;
    speed_t speed;
  } kRates[] = {
      {50, B50},           {75, B75},           {110, B110},         {134, B134},
      {150, B150},         {200, B200},         {300, B300},         {600, B600},
      {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
      {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
      {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
      {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
      {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
      {3500000, B3500000}, {4000000, B4000000},
  };
  for (const auto& r : kRates)
    if (r.baud == baud) return r.speed;
  return B0;
}

std::string DescribeOpenError(const std::string& device, int err) {
  switch (err) {
    case ENODEV:
      if (device.empty()) return "no device is assigned to this port";
      return device + ": no device responds at this address";
    case ENOENT:
      return device + ": no such device (is the adapter plugged in and the path right?)";
    case EACCES:
    case EPERM:
      return PermissionText(device);
    case EBUSY:
      return device + ": the device is in use by another program";
    case ENOTTY:
      return device + ": not a serial device";
    case EIO:
    case ENXIO:
      return device + ": the device does not respond (no serial hardware behind it?)";
    default:
      return device + ": " + std::strerror(err);
  }
}

int TestDevice(const std::string& device, std::string* error) {
  const int fd = OpenAndLock(device);
  if (fd < 0) {
    if (error) *error = DescribeOpenError(device, -fd);
    return -fd;
  }
  ::close(fd);
  return 0;
}

TermiosSerialPort::~TermiosSerialPort() { Close(); }

int TermiosSerialPort::Open(std::string* error) {
  if (fd_ >= 0) return 0;
  auto fail = [&](int err, const std::string& text) {
    if (error) *error = text;
    return err;
  };
  const speed_t speed = BaudConstant(settings_.baud);
  if (speed == B0)
    return fail(EINVAL, device_ + ": the baud rate " + std::to_string(settings_.baud) + " is not supported");
  if (settings_.parity > 4 || settings_.dataBits < 5 || settings_.dataBits > 8 || settings_.stopBits < 1 ||
      settings_.stopBits > 2)
    return fail(EINVAL, device_ + ": invalid line settings");

  const int fd = OpenAndLock(device_);
  if (fd < 0) return fail(-fd, DescribeOpenError(device_, -fd));

  termios t;
  if (::tcgetattr(fd, &t) != 0) {
    const int e = errno;
    ::close(fd);
    return fail(e, DescribeOpenError(device_, e));
  }
  saved_ = t;
  ::cfmakeraw(&t);
  // Mark damaged octets and breaks in the stream instead of dropping them or
  // turning them into signals; keep all eight bits so a real 0xFF is doubled.
  t.c_iflag |= INPCK | PARMRK;
  t.c_iflag &= ~static_cast<tcflag_t>(IGNPAR | IGNBRK | BRKINT | ISTRIP | IXON | IXOFF | IXANY);
  const tcflag_t frameBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
  tcflag_t frame = 0;
  static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  frame |= kSizes[settings_.dataBits - 5];
  switch (settings_.parity) {
    case 1: frame |= PARENB | PARODD; break;
    case 2: frame |= PARENB; break;
    case 3: frame |= PARENB | CMSPAR | PARODD; break;
    case 4: frame |= PARENB | CMSPAR; break;
    default: break;
  }
  if (settings_.stopBits == 2) frame |= CSTOPB;
  t.c_cflag &= ~(frameBits | CRTSCTS);
  t.c_cflag |= frame | CREAD | CLOCAL;
  // One octet satisfies a read, so a read of 0 means the line was hung up.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  termios got;
  if (::tcsetattr(fd, TCSANOW, &t) != 0 || ::tcgetattr(fd, &got) != 0) {
    const int e = errno;
    ::close(fd);
    return fail(e, device_ + ": the line settings cannot be applied: " + std::strerror(e));
  }
  // A pseudo-terminal always runs CS8 without parity; anything else that
  // does not keep the frame bits cannot do what was asked.
  const tcflag_t checked = IsPseudoTerminal(fd) ? frameBits & ~(CSIZE | PARENB) : frameBits;
  if ((got.c_cflag & checked) != (frame & checked)) {
    ::tcsetattr(fd, TCSANOW, &saved_);
    ::close(fd);
    return fail(EINVAL, device_ + ": the device does not support these parity, data and stop bits");
  }
  ::ioctl(fd, TIOCEXCL);
  ::tcflush(fd, TCIFLUSH);

  fd_ = fd;
  restore_ = true;
  raw_.resize(kReadChunk);
  queue_.Clear();
  failed_ = 0;
  triggers_.clear();
  haveCounters_ = ReadCounters(&counters_);
  modemCounters_ = counters_;
  int lines = 0;
  modem_.Reset(::ioctl(fd_, TIOCMGET, &lines) == 0 ? LinesToStates(lines) : 0);
  return 0;
}

void TermiosSerialPort::Close() {
  if (fd_ < 0) return;
  if (restore_ && !failed_) ::tcsetattr(fd_, TCSANOW, &saved_);
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
  restore_ = false;
  queue_.Clear();
  triggers_.clear();
  failed_ = 0;
}

void TermiosSerialPort::FlushInBuffer() {
  if (fd_ < 0) return;
  ::tcflush(fd_, TCIFLUSH);
  queue_.Clear();
  if (haveCounters_) ReadCounters(&counters_);
}

bool TermiosSerialPort::ReadCounters(Counters* c) const {
  serial_icounter_struct ic;
  std::memset(&ic, 0, sizeof ic);
  if (::ioctl(fd_, TIOCGICOUNT, &ic) != 0) return false;
  c->frame = static_cast<uint32_t>(ic.frame);
  c->parity = static_cast<uint32_t>(ic.parity);
  c->overrun = static_cast<uint32_t>(ic.overrun);
  c->bufOverrun = static_cast<uint32_t>(ic.buf_overrun);
  c->cts = static_cast<uint32_t>(ic.cts);
  c->dsr = static_cast<uint32_t>(ic.dsr);
  c->rng = static_cast<uint32_t>(ic.rng);
  c->dcd = static_cast<uint32_t>(ic.dcd);
  return true;
}

void TermiosSerialPort::Fail(int err) {
  failed_ = err;
  queue_.Finish();
}

long TermiosSerialPort::Available() {
  if (fd_ < 0) return -EBADF;
  if (!failed_) {
    const uint64_t start = queue_.End();
    while (queue_.Size() < kMaxPending) {
      const ssize_t r = ::read(fd_, raw_.data(), raw_.size());
      if (r > 0) {
        queue_.Append(raw_.data(), static_cast<size_t>(r));
        continue;
      }
      if (r == 0) {
        Fail(EIO);  // a hung-up tty reads as end of file
        break;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) Fail(errno);
      break;
    }
    if (!failed_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) Fail(EIO);
    }
    Counters now;
    if (haveCounters_ && ReadCounters(&now)) {
      // The marks do not tell parity from framing errors; the counts do
      // when only parity errors were counted meanwhile.
      if (now.parity != counters_.parity && now.frame == counters_.frame)
        queue_.ClassifyDamaged(start, kLineErrParity);
      if (now.bufOverrun != counters_.bufOverrun) queue_.AddError(start, kLineErrBufferOverflow);
      if (now.overrun != counters_.overrun) queue_.AddError(start, kLineErrOverrun);
      counters_.frame = now.frame;
      counters_.parity = now.parity;
      counters_.overrun = now.overrun;
      counters_.bufOverrun = now.bufOverrun;
    }
  }
  if (queue_.Size() > 0) return static_cast<long>(queue_.Size());
  return failed_ ? -failed_ : 0;
}

size_t TermiosSerialPort::GetBlock(uint8_t* buffer, size_t count) { return queue_.Take(buffer, count); }

uint16_t TermiosSerialPort::GetLineError() { return queue_.TakeLineError(); }

bool TermiosSerialPort::GetLineBreak() { return queue_.TakeLineBreak(); }

uint8_t TermiosSerialPort::LinesToStates(int lines) {
  uint8_t s = 0;
  if (lines & TIOCM_CTS) s |= kMsrCts;
  if (lines & TIOCM_DSR) s |= kMsrDsr;
  if (lines & TIOCM_RNG) s |= kMsrRi;
  if (lines & TIOCM_CAR) s |= kMsrDcd;
  return s;
}

void TermiosSerialPort::SampleModem() {
  if (fd_ < 0) return;
  int lines = 0;
  const uint8_t states = ::ioctl(fd_, TIOCMGET, &lines) == 0 ? LinesToStates(lines) : 0;
  ModemLineCounts moved;
  Counters now;
  if (haveCounters_ && ReadCounters(&now)) {
    moved.cts = now.cts - modemCounters_.cts;
    moved.dsr = now.dsr - modemCounters_.dsr;
    moved.rng = now.rng - modemCounters_.rng;
    moved.dcd = now.dcd - modemCounters_.dcd;
    modemCounters_ = now;
  }
  modem_.Sample(states, moved);
}

uint8_t TermiosSerialPort::GetModemStatus() {
  SampleModem();
  return modem_.Read();
}

uint16_t TermiosSerialPort::AddStatusTrigger(int type) {
  if (fd_ < 0) return 0;
  if (nextHandle_ == 0) nextHandle_ = 1;
  const uint16_t h = nextHandle_++;
  triggers_.push_back({h, type, 0, false});
  return h;
}

void TermiosSerialPort::SetStatusTrigger(uint16_t handle, uint8_t mask, bool activate) {
  for (Trigger& t : triggers_)
    if (t.handle == handle && t.type == kTriggerModemStatus) {
      t.mask = mask;
      t.armed = activate;
    }
}

uint16_t TermiosSerialPort::PollStatusTrigger() {
  if (fd_ < 0) return 0;
  const bool anyArmed = std::any_of(triggers_.begin(), triggers_.end(), [](const Trigger& t) { return t.armed; });
  if (!anyArmed) return 0;
  SampleModem();
  for (Trigger& t : triggers_)
    if (t.armed && (modem_.PendingChanges() & (t.mask >> 4))) {
      t.armed = false;
      return t.handle;
    }
  return 0;
}

}  // namespace qlxs
