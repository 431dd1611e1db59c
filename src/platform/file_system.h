#pragma once
/// Small file-system operations used by the configuration code. Each
/// returns 0 or the errno value of the failure.

#include <cstddef>
#include <string>

namespace qlxs {

/// Reads the whole file into `out`.
int ReadWholeFile(const std::string& path, std::string* out);

/// The file that replacing `path` writes: `path`, or where a symbolic link
/// there points (a dangling link is replaced itself).
std::string ReplacementTarget(const std::string& path);

/// A file written under a temporary name beside its target and put in the
/// target's place whole by `Commit` (flushed to the device, then renamed),
/// so that the target is either the old file or the complete new one. A
/// symbolic link as target is followed (the link stays), and a replaced file
/// keeps its permissions; a new one gets 0666 less the umask. Without
/// `Commit` (a failure, or the object destroyed) the temporary file is
/// removed and the target stays as it was.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile() { Abandon(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  /// Creates the temporary file for `path`.
  int Open(const std::string& path);
  int Write(const char* data, size_t n);
  /// Puts the written file in the target's place.
  int Commit();
  /// Removes the temporary file; the target stays as it was.
  void Abandon();
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
  std::string tmp_, target_;
  unsigned mode_ = 0666;
};

/// Writes `data` to a temporary file beside `path` and renames it over
/// `path`, so a failure never leaves a half-written file in its place.
int WriteFileReplacing(const std::string& path, const std::string& data);
/// Copies `from` to `to` through a temporary file beside `to`; `to` is
/// replaced only when the whole content was copied.
int CopyFileReplacing(const std::string& from, const std::string& to);
/// Creates the directory and its missing parents (mode 0755 less the umask).
int MakeDirectories(const std::string& path);

/// True when `path` names an existing directory.
bool IsDirectory(const std::string& path);
/// True when `path` names an existing file that is not a directory.
bool IsFile(const std::string& path);
/// True when `a` and `b` are the same non-empty text, or both exist and are
/// the same file (another name, a link, a relative path).
bool SameFile(const std::string& a, const std::string& b);

/// `path` with a trailing '/' (unchanged when it has one or is empty).
std::string WithTrailingSlash(std::string path);
/// The directory part of `path` up to and including its last '/'; empty
/// when it has none.
std::string DirectoryPart(const std::string& path);

}  // namespace qlxs
