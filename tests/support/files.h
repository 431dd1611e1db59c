#pragma once
// Whole-file reads and writes for tests.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qlxs::test {

/// The content of `path`; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

/// The content of `path` as octets; empty when it cannot be read.
inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

/// Writes `size` octets to `path`, replacing it; false on failure.
inline bool WriteFileData(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return out.good();
}
inline bool WriteFile(const std::string& path, const std::string& data) {
  return WriteFileData(path, data.data(), data.size());
}
inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFileData(path, bytes.data(), bytes.size());
}

}  // namespace qlxs::test
