#include "platform/instance_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qlxs {

std::string InstanceLockPath(const std::string& dir, int n) {
  return dir + "QLXSMorven" + std::to_string(n) + ".lock";
}

namespace {

/// Opens the lock file, creating it when missing. The lock needs no write
/// access, so a file another user created in a shared /tmp still works
/// when its mode lets us read it. Returns the descriptor or -errno.
int OpenLockFile(const std::string& path) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) return fd >= 0 ? fd : -errno;
    fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd >= 0 ? fd : -errno;
  }
  return -EEXIST;
}

}  // namespace

int InstanceLock::Claim(const std::string& dir, std::string* error) {
  Release();
  std::string firstError;
  for (int n = 1; n <= kMaxInstances; ++n) {
    const std::string path = InstanceLockPath(dir, n);
    const int fd = OpenLockFile(path);
    if (fd < 0) {
      if (firstError.empty()) firstError = path + ": " + std::strerror(-fd);
      continue;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      number_ = n;
      return n;
    }
    const int e = errno;
    ::close(fd);
    if (e != EWOULDBLOCK && firstError.empty()) firstError = path + ": " + std::strerror(e);
  }
  if (error) {
    if (firstError.empty())
      *error = "all " + std::to_string(kMaxInstances) + " instances are running already (their lock files " +
               "QLXSMorven1.lock to QLXSMorven" + std::to_string(kMaxInstances) + ".lock in " + dir +
               " are held)";
    else
      *error = "no free instance number; cannot use the lock file " + firstError;
  }
  return 0;
}

void InstanceLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  number_ = 0;
}

}  // namespace qlxs
