#include "platform/file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlxs {

namespace {

int WriteAll(int fd, const char* data, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, data, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += w;
    n -= static_cast<size_t>(w);
  }
  return 0;
}

/// Creates a temporary file beside `path`; returns its descriptor or -errno.
int CreateTemporaryBeside(const std::string& path, std::string* tmp) {
  *tmp = path + ".XXXXXX";
  const int fd = ::mkostemp(tmp->data(), O_CLOEXEC);
  return fd < 0 ? -errno : fd;
}

/// Makes the temporary file the file `path`: flush, close, rename.
int Commit(int fd, const std::string& tmp, const std::string& path, int err) {
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  // The new file gets the usual mode for user files instead of mkstemp's 0600.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (err == 0 && ::fchmod(fd, 0666 & ~mask) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(tmp.c_str());
  return err;
}

}  // namespace

int ReadWholeFile(const std::string& path, std::string* out) {
  out->clear();
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return EISDIR;
  }
  char buf[8192];
  int err = 0;
  for (;;) {
    const ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    if (r == 0) break;
    out->append(buf, static_cast<size_t>(r));
  }
  ::close(fd);
  return err;
}

int WriteFileReplacing(const std::string& path, const std::string& data) {
  std::string tmp;
  const int fd = CreateTemporaryBeside(path, &tmp);
  if (fd < 0) return -fd;
  return Commit(fd, tmp, path, WriteAll(fd, data.data(), data.size()));
}

int CopyFileReplacing(const std::string& from, const std::string& to) {
  int in;
  do {
    in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  } while (in < 0 && errno == EINTR);
  if (in < 0) return errno;
  std::string tmp;
  const int out = CreateTemporaryBeside(to, &tmp);
  if (out < 0) {
    ::close(in);
    return -out;
  }
  int err = 0;
  char buf[65536];
  for (;;) {
    const ssize_t r = ::read(in, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    if (r == 0) break;
    if ((err = WriteAll(out, buf, static_cast<size_t>(r))) != 0) break;
  }
  ::close(in);
  return Commit(out, tmp, to, err);
}

int MakeDirectories(const std::string& path) {
  if (path.empty()) return ENOENT;
  std::string partial;
  size_t pos = 0;
  while (pos <= path.size()) {
    const size_t slash = path.find('/', pos);
    const size_t end = slash == std::string::npos ? path.size() : slash;
    partial = path.substr(0, end);
    pos = end + 1;
    if (partial.empty()) continue;
    if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return errno;
  }
  return IsDirectory(path) ? 0 : ENOTDIR;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string WithTrailingSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::string DirectoryPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace qlxs
