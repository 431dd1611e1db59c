#pragma once
/// Where a pcapng goes: a file, created or emptied, or standard output ("-").
/// The caller gathers blocks in a string and hands them over; nothing is
/// kept back here, so what `Write` took is in the file or the pipe.

#include <string>

namespace qlxs {

class PcapngFile {
 public:
  PcapngFile() = default;
  ~PcapngFile();
  PcapngFile(const PcapngFile&) = delete;
  PcapngFile& operator=(const PcapngFile&) = delete;

  /// Creates or empties `path`; "-" is standard output. 0 or the errno.
  int Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  /// Writes all of `bytes` and empties it. 0 or the errno (EPIPE when a
  /// reader closed the pipe; SIGPIPE must be ignored for that).
  int Write(std::string& bytes);
  /// Closes the file (not standard output). 0 or the errno.
  int Close();

 private:
  int fd_ = -1;
};

}  // namespace qlxs
