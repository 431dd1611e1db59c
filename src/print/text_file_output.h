#pragma once
/// A printout into a text file: UTF-8 lines ended by a line feed, written
/// through a buffer. The file is written under a temporary name and
/// replaces an existing file of that name only when the output ends
/// without a failure (a cancelled output is complete: it ends with its
/// text). The name "-" writes to standard output.

#include <string>

#include "platform/file_system.h"
#include "print/print_log.h"

namespace qlxs {

class TextFileOutput final : public PrintOutput {
 public:
  explicit TextFileOutput(std::string path) : path_(std::move(path)) {}
  ~TextFileOutput() override;
  TextFileOutput(const TextFileOutput&) = delete;
  TextFileOutput& operator=(const TextFileOutput&) = delete;

  /// Creates the temporary file.
  int Begin() override;
  int Line(std::string_view text) override;
  /// Writes what is buffered and puts the file in place (after a failure:
  /// removes it and returns the failure).
  int End() override;

 private:
  int Flush();

  std::string path_;
  ReplacingFile file_;
  bool toStdout_ = false;
  int failed_ = 0;  ///< the first failure
  std::string buffer_;
};

}  // namespace qlxs
