#pragma once
// A temporary directory for one test, removed with everything in it.

#include <string>

namespace qlxs::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  /// The directory, with a trailing '/'.
  const std::string& path() const { return path_; }
  /// path() + name.
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

/// Writes `data` to `path`, replacing it; fails the test on error.
void WriteFile(const std::string& path, const std::string& data);
/// The content of `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);

/// Sets an environment variable for the life of the object and then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  /// Unsets the variable for the life of the object.
  explicit ScopedEnv(const char* name);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

}  // namespace qlxs::test
