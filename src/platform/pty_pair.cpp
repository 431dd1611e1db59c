#include "platform/pty_pair.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace qlxs {

PtyPair::PtyPair(bool nonBlocking) {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | (nonBlocking ? O_NONBLOCK : 0));
  if (fd < 0) {
    error_ = errno;
    return;
  }
  char name[128];
  if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0) {
    error_ = errno != 0 ? errno : EIO;
    ::close(fd);
    return;
  }
  master_ = fd;
  slave_ = name;
}

PtyPair::~PtyPair() { CloseMaster(); }

int PtyPair::MakeRaw() {
  termios t;
  if (::tcgetattr(master_, &t) != 0) return errno;
  ::cfmakeraw(&t);
  return ::tcsetattr(master_, TCSANOW, &t) == 0 ? 0 : errno;
}

bool PtyPair::Write(const void* data, size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    const ssize_t w = ::write(master_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

ssize_t PtyPair::WriteSome(const void* data, size_t n) {
  for (;;) {
    const ssize_t w = ::write(master_, data, n);
    if (w >= 0) return w;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;
  }
}

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace qlxs
