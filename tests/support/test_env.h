#pragma once
// Environment variables and whole files for tests.

#include <cstdlib>
#include <string>

#include "support/files.h"

namespace qlxs::test {

/// Sets (or unsets) an environment variable for the life of the object and
/// then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name) { ::setenv(name, value.c_str(), 1); }
  explicit ScopedEnv(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) {
      had_ = true;
      old_ = v;
    }
    ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_.c_str(), old_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

}  // namespace qlxs::test
