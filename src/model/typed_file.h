#pragma once
/// A file of fixed-size records addressed by record number. Every operation
/// returns an I/O result code instead of raising: 0 for success, the
/// operating system's errno value, or one of the short-transfer codes below.

#include <cstdint>
#include <string>

namespace qlxs {

/// Fewer records could be read than asked (the file ends early).
inline constexpr int kIoShortRead = 100;
/// Fewer records could be written than asked.
inline constexpr int kIoShortWrite = 101;
/// The file is not open.
inline constexpr int kIoNotOpen = 103;

class TypedFile {
 public:
  TypedFile() = default;
  TypedFile(const TypedFile&) = delete;
  TypedFile& operator=(const TypedFile&) = delete;
  TypedFile(TypedFile&& other) noexcept;
  TypedFile& operator=(TypedFile&& other) noexcept;
  ~TypedFile();

  /// Opens an existing file for reading only.
  int OpenRead(const std::string& path, int recordSize);
  /// Opens an existing file for reading and writing.
  int OpenReadWrite(const std::string& path, int recordSize);
  /// Creates the file, or truncates it, for reading and writing.
  int Create(const std::string& path, int recordSize);
  /// Closes the file; 0 when it was not open.
  int Close();

  /// Reads `count` records starting at record `recordNo` into `buffer`.
  /// `done` (optional) receives the number of whole records transferred.
  int Read(int64_t recordNo, int64_t count, void* buffer, int64_t* done = nullptr);
  /// Writes `count` records starting at record `recordNo`.
  int Write(int64_t recordNo, int64_t count, const void* buffer, int64_t* done = nullptr);

  /// Size of the file in whole records, or -1 when it is not open.
  int64_t SizeInRecords() const;
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  int OpenWith(const std::string& path, int recordSize, int flags);

  int fd_ = -1;
  int recordSize_ = 1;
  std::string path_;
};

/// A readable description of an I/O result code, for messages.
std::string IoResultText(int code);

}  // namespace qlxs
