#include "pcap/pcapng_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace qlxs {

PcapngFile::~PcapngFile() { Close(); }

int PcapngFile::Open(const std::string& path) {
  Close();
  if (path == "-") {
    fd_ = STDOUT_FILENO;
    return 0;
  }
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd_ < 0 ? errno : 0;
}

int PcapngFile::Write(std::string& bytes) {
  size_t done = 0;
  int rc = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      rc = n < 0 ? errno : EIO;
      break;
    }
    done += static_cast<size_t>(n);
  }
  bytes.clear();
  return rc;
}

int PcapngFile::Close() {
  int rc = 0;
  if (fd_ > STDERR_FILENO && ::close(fd_) != 0) rc = errno;
  fd_ = -1;
  return rc;
}

}  // namespace qlxs
