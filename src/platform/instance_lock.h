#pragma once
/// The instance number of a running program: one of six lock files
/// QLXSMorven<n>.lock in the runtime directory, held with an exclusive
/// flock for the life of the process. The kernel drops the lock when the
/// process ends, however it ends.

#include <string>

namespace qlxs {

/// Number of instances that may run side by side.
inline constexpr int kMaxInstances = 6;

/// Path of the lock file of instance `n` in `dir` (which ends with '/').
std::string InstanceLockPath(const std::string& dir, int n);

class InstanceLock {
 public:
  InstanceLock() = default;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock() { Release(); }

  /// Takes the first free instance number 1..6 in `dir` and returns it; 0
  /// when all six are held by other processes or none of the lock files can
  /// be used (`error` then says why, naming the file). A number already
  /// held is released first.
  int Claim(const std::string& dir, std::string* error = nullptr);
  /// Gives the number back.
  void Release();
  /// The number held, 0 when none.
  int number() const { return number_; }

 private:
  int fd_ = -1;
  int number_ = 0;
};

}  // namespace qlxs
