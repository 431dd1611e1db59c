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
/// The name is not a regular file (a directory, pipe, socket or device).
inline constexpr int kIoNotRegular = 104;
/// Another process holds the file open for writing (its exclusive lock).
inline constexpr int kIoLocked = 105;

class TypedFile {
 public:
  TypedFile() = default;
  TypedFile(const TypedFile&) = delete;
  TypedFile& operator=(const TypedFile&) = delete;
  TypedFile(TypedFile&& other) noexcept;
  TypedFile& operator=(TypedFile&& other) noexcept;
  ~TypedFile();

  /// Only regular files are opened: a directory, pipe, socket or device
  /// gives `kIoNotRegular`, and opening never blocks (a FIFO without a
  /// writer would otherwise wait forever).

  /// Opens an existing file for reading only.
  int OpenRead(const std::string& path, int recordSize);
  /// Opens an existing file for reading and writing. With `lock` the file is
  /// held with an exclusive `flock` while open, so a second writer is
  /// refused with `kIoLocked`.
  int OpenReadWrite(const std::string& path, int recordSize, bool lock = false);
  /// Creates the file, or truncates it, for reading and writing. With `lock`
  /// the lock is taken before the file is truncated, so a file another
  /// writer holds is refused with `kIoLocked` and left as it is.
  int Create(const std::string& path, int recordSize, bool lock = false);
  /// Closes the file (and so releases its lock); 0 when it was not open.
  int Close();
  /// True while the file is open and its name still leads to it: false once
  /// it was deleted or replaced, when whatever is written goes nowhere a
  /// user can find it.
  bool StillNamed() const;
  /// The descriptor, for handing a duplicate to a background flush; -1 when closed.
  int fd() const { return fd_; }

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
  int OpenWith(const std::string& path, int recordSize, int flags, bool lock, bool truncate);

  int fd_ = -1;
  int recordSize_ = 1;
  std::string path_;
};

/// A readable description of an I/O result code, for messages.
std::string IoResultText(int code);

}  // namespace qlxs
