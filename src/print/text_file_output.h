#pragma once
/// A printout into a text file: UTF-8 lines ended by a line feed, written
/// through a buffer. The name "-" writes to standard output.

#include <string>

#include "print/print_log.h"

namespace qlxs {

class TextFileOutput final : public PrintOutput {
 public:
  explicit TextFileOutput(std::string path) : path_(std::move(path)) {}
  ~TextFileOutput() override;
  TextFileOutput(const TextFileOutput&) = delete;
  TextFileOutput& operator=(const TextFileOutput&) = delete;

  /// Creates (or empties) the file.
  int Begin() override;
  int Line(std::string_view text) override;
  /// Writes what is buffered and closes the file.
  int End() override;

 private:
  int Flush();

  std::string path_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace qlxs
