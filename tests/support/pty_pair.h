#pragma once
// A pseudo-terminal pair standing in for a serial line: the test writes the
// line's octets into the master end, the code under test opens the slave
// device like a serial port. Closing the master hangs the line up, as a
// pulled USB adapter does.

#include <cstddef>
#include <string>

namespace qlxs::test {

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  /// True when the pair was created.
  bool ok() const { return master_ >= 0; }
  int master() const { return master_; }
  /// Path of the slave device, for example /dev/pts/3.
  const std::string& slave() const { return slave_; }

  /// Writes all octets into the master end; false on failure.
  bool Write(const void* data, size_t n);
  bool Write(const std::string& s) { return Write(s.data(), s.size()); }
  /// Closes the master end: the slave side is hung up.
  void CloseMaster();

 private:
  int master_ = -1;
  std::string slave_;
};

}  // namespace qlxs::test
