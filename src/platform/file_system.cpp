#include "platform/file_system.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
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

}  // namespace

std::string ReplacementTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

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

int ReplacingFile::Open(const std::string& path) {
  Abandon();
  target_ = ReplacementTarget(path);
  struct stat st;
  if (::stat(target_.c_str(), &st) == 0) {
    mode_ = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_ = 0666 & ~mask;
  }
  tmp_ = target_ + ".XXXXXX";
  fd_ = ::mkostemp(tmp_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    tmp_.clear();
    return errno;
  }
  return 0;
}

int ReplacingFile::Write(const char* data, size_t n) { return fd_ < 0 ? EBADF : WriteAll(fd_, data, n); }

int ReplacingFile::Commit() {
  if (fd_ < 0) return EBADF;
  int err = 0;
  if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) err = errno;
  if (err == 0 && ::fsync(fd_) != 0) err = errno;
  if (::close(fd_) != 0 && err == 0) err = errno;
  fd_ = -1;
  if (err == 0 && ::rename(tmp_.c_str(), target_.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(tmp_.c_str());
  tmp_.clear();
  return err;
}

void ReplacingFile::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tmp_.empty()) ::unlink(tmp_.c_str());
  tmp_.clear();
}

int WriteFileReplacing(const std::string& path, const std::string& data) {
  ReplacingFile f;
  if (const int err = f.Open(path); err != 0) return err;
  if (const int err = f.Write(data.data(), data.size()); err != 0) return err;
  return f.Commit();
}

int CopyFileReplacing(const std::string& from, const std::string& to) {
  int in;
  do {
    in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  } while (in < 0 && errno == EINTR);
  if (in < 0) return errno;
  ReplacingFile out;
  int err = out.Open(to);
  char buf[65536];
  while (err == 0) {
    const ssize_t r = ::read(in, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    if (r == 0) break;
    err = out.Write(buf, static_cast<size_t>(r));
  }
  ::close(in);
  return err != 0 ? err : out.Commit();
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
