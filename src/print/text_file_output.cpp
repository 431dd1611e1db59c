#include "print/text_file_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace qlxs {

namespace {
constexpr size_t kFlushAt = 1 << 16;
}  // namespace

TextFileOutput::~TextFileOutput() {
  if (fd_ > 2) ::close(fd_);
}

int TextFileOutput::Begin() {
  if (path_ == "-") {
    fd_ = STDOUT_FILENO;
    return 0;
  }
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd_ < 0 ? errno : 0;
}

int TextFileOutput::Line(std::string_view text) {
  buffer_.append(text);
  buffer_ += '\n';
  return buffer_.size() >= kFlushAt ? Flush() : 0;
}

int TextFileOutput::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      buffer_.clear();
      return err;
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return 0;
}

int TextFileOutput::End() {
  if (fd_ < 0) return 0;
  int rc = Flush();
  if (fd_ > 2) {
    if (::close(fd_) != 0 && rc == 0) rc = errno;
  }
  fd_ = -1;
  return rc;
}

}  // namespace qlxs
