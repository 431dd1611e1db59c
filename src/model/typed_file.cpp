#include "model/typed_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace qlxs {

TypedFile::TypedFile(TypedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), recordSize_(other.recordSize_), path_(std::move(other.path_)) {}

TypedFile& TypedFile::operator=(TypedFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    recordSize_ = other.recordSize_;
    path_ = std::move(other.path_);
  }
  return *this;
}

TypedFile::~TypedFile() { Close(); }

int TypedFile::OpenWith(const std::string& path, int recordSize, int flags, bool lock, bool truncate) {
  Close();
  recordSize_ = recordSize > 0 ? recordSize : 1;
  path_ = path;
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno == EISDIR ? EISDIR : errno;
  int rc = 0;
  struct stat st;
  if (::fstat(fd, &st) != 0)
    rc = errno;
  else if (S_ISDIR(st.st_mode))
    rc = EISDIR;
  else if (!S_ISREG(st.st_mode))
    rc = kIoNotRegular;
  else if (lock && ::flock(fd, LOCK_EX | LOCK_NB) != 0)
    rc = errno == EWOULDBLOCK ? kIoLocked : errno;
  else if (truncate && ::ftruncate(fd, 0) != 0)
    rc = errno;
  // Regular files never block; the flag only kept the open itself from waiting.
  if (rc == 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) rc = errno;
  if (rc != 0) {
    ::close(fd);
    return rc;
  }
  fd_ = fd;
  return 0;
}

int TypedFile::OpenRead(const std::string& path, int recordSize) {
  return OpenWith(path, recordSize, O_RDONLY, false, false);
}

int TypedFile::OpenReadWrite(const std::string& path, int recordSize, bool lock) {
  return OpenWith(path, recordSize, O_RDWR, lock, false);
}

int TypedFile::Create(const std::string& path, int recordSize, bool lock) {
  return OpenWith(path, recordSize, O_RDWR | O_CREAT, lock, true);
}

bool TypedFile::StillNamed() const {
  if (fd_ < 0) return false;
  struct stat open, named;
  return ::fstat(fd_, &open) == 0 && open.st_nlink > 0 && ::stat(path_.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

int TypedFile::Close() {
  if (fd_ < 0) return 0;
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 ? 0 : errno;
}

int TypedFile::Read(int64_t recordNo, int64_t count, void* buffer, int64_t* done) {
  if (done) *done = 0;
  if (fd_ < 0) return kIoNotOpen;
  if (recordNo < 0 || count < 0) return EINVAL;
  const int64_t want = count * recordSize_;
  int64_t got = 0;
  auto* out = static_cast<char*>(buffer);
  while (got < want) {
    const ssize_t n = ::pread(fd_, out + got, static_cast<size_t>(want - got), recordNo * recordSize_ + got);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done) *done = got / recordSize_;
      return errno;
    }
    if (n == 0) break;
    got += n;
  }
  if (done) *done = got / recordSize_;
  return got == want ? 0 : kIoShortRead;
}

int TypedFile::Write(int64_t recordNo, int64_t count, const void* buffer, int64_t* done) {
  if (done) *done = 0;
  if (fd_ < 0) return kIoNotOpen;
  if (recordNo < 0 || count < 0) return EINVAL;
  const int64_t want = count * recordSize_;
  int64_t put = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (put < want) {
    const ssize_t n = ::pwrite(fd_, in + put, static_cast<size_t>(want - put), recordNo * recordSize_ + put);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done) *done = put / recordSize_;
      return errno;
    }
    if (n == 0) break;
    put += n;
  }
  if (done) *done = put / recordSize_;
  return put == want ? 0 : kIoShortWrite;
}

int64_t TypedFile::SizeInRecords() const {
  if (fd_ < 0) return -1;
  struct stat st;
  if (::fstat(fd_, &st) != 0) return -1;
  return st.st_size / recordSize_;
}

std::string IoResultText(int code) {
  switch (code) {
    case 0: return "success";
    case kIoShortRead: return "the file ends early";
    case kIoShortWrite: return "not all data could be written";
    case kIoNotOpen: return "the file is not open";
    case kIoNotRegular: return "not a regular file";
    case kIoLocked: return "another program is writing it";
    default: return std::strerror(code);
  }
}

}  // namespace qlxs
