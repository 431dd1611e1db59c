#pragma once
/// A pseudo-terminal pair standing in for a serial line: octets written
/// into the master end arrive at the slave device, which the capture opens
/// like a serial port. Closing the master hangs the line up, as a pulled
/// USB adapter does. The demo line and the tests use it.

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace qlxs {

class PtyPair {
 public:
  /// Creates the pair; `nonBlocking` makes writes into the master return
  /// when the line holds as much as it can instead of waiting.
  explicit PtyPair(bool nonBlocking = false);
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  /// True when the pair was created.
  bool ok() const { return master_ >= 0; }
  /// The errno value that kept the pair from being created, else 0.
  int error() const { return error_; }
  int master() const { return master_; }
  /// Path of the slave device, for example /dev/pts/3.
  const std::string& slave() const { return slave_; }

  /// Raw mode without echo: the line passes every octet unchanged and sends
  /// nothing back. Returns 0 or an errno value.
  int MakeRaw();
  /// Writes all octets into the master end; false on failure.
  bool Write(const void* data, size_t n);
  bool Write(const std::string& s) { return Write(s.data(), s.size()); }
  /// Writes as many octets as the line takes now: their number (0 when it
  /// is full), or -1 with errno set.
  ssize_t WriteSome(const void* data, size_t n);
  /// Closes the master end: the slave side is hung up.
  void CloseMaster();

 private:
  int master_ = -1;
  int error_ = 0;
  std::string slave_;
};

}  // namespace qlxs
