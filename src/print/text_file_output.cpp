#include "print/text_file_output.h"

#include <unistd.h>

#include <cerrno>

namespace qlxs {

namespace {
constexpr size_t kFlushAt = 1 << 16;
}  // namespace

TextFileOutput::~TextFileOutput() = default;

int TextFileOutput::Begin() {
  if (path_ == "-") {
    toStdout_ = true;
    return 0;
  }
  return failed_ = file_.Open(path_);
}

int TextFileOutput::Line(std::string_view text) {
  buffer_.append(text);
  buffer_ += '\n';
  return buffer_.size() >= kFlushAt ? Flush() : 0;
}

int TextFileOutput::Flush() {
  int err = 0;
  if (toStdout_) {
    size_t done = 0;
    while (done < buffer_.size()) {
      const ssize_t n = ::write(STDOUT_FILENO, buffer_.data() + done, buffer_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        err = n < 0 ? errno : EIO;
        break;
      }
      done += static_cast<size_t>(n);
    }
  } else {
    err = file_.Write(buffer_.data(), buffer_.size());
  }
  buffer_.clear();
  if (err != 0 && failed_ == 0) failed_ = err;
  return err;
}

int TextFileOutput::End() {
  if (toStdout_) return Flush();
  if (file_.fd() < 0) return failed_;
  const int err = Flush();
  // Only a whole output replaces the file; after a failure the file stays as it was.
  if (failed_ != 0) {
    file_.Abandon();
    return failed_;
  }
  return err != 0 ? err : file_.Commit();
}

}  // namespace qlxs
