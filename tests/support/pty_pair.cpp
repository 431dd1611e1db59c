#include "support/pty_pair.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace qlxs::test {

PtyPair::PtyPair() {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
    ::close(fd);
    return;
  }
  char name[128];
  if (::ptsname_r(fd, name, sizeof name) != 0) {
    ::close(fd);
    return;
  }
  master_ = fd;
  slave_ = name;
}

PtyPair::~PtyPair() { CloseMaster(); }

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

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace qlxs::test
