#pragma once
// A fresh temporary directory per test, removed with everything in it.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qlxs::test {

class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qlxs-test-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }

  /// The directory with a trailing '/', as program directories are kept.
  std::string dir() const { return path_.string() + "/"; }
  /// The directory without a trailing '/'.
  std::string path() const { return path_.string(); }
  /// Full name of a file in the directory.
  std::string file(std::string_view name) const { return (path_ / name).string(); }
  /// Writes `bytes` to the file `name` and returns its full name.
  std::string write(std::string_view name, std::string_view bytes) const {
    const std::string f = file(name);
    std::ofstream out(f, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return f;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace qlxs::test
