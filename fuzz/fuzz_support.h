#pragma once
// Shared pieces of the fuzz targets: a monitor with the program's language
// texts (the APDU check needs the cause lists) and a scratch file to hand
// file readers their input.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/monitor.h"
#include "config/language_texts.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs::fuzz {

struct FuzzMonitor {
  ManualClock clock;
  RecordingMessageSink sink;
  std::unique_ptr<Monitor> m = std::make_unique<Monitor>(clock, sink);
  explicit FuzzMonitor(bool withTexts) {
    if (!withTexts) return;
    m->AllgVar.ProgDir = QLXS_BIN_DIR "/";
    if (!LoadTexts(*m, LangGerman)) {
      std::fprintf(stderr, "fuzz: language texts not found in %s\n", QLXS_BIN_DIR);
      std::abort();
    }
  }
};

/// A file in the temporary directory, private to this process, rewritten
/// with each input.
class ScratchFile {
 public:
  explicit ScratchFile(const char* name) {
    const char* tmp = std::getenv("TMPDIR");
    path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/qlxs-fuzz-" + std::to_string(::getpid()) + "-" + name;
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  const std::string& Write(const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (f) {
      if (size) std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
    return path_;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace qlxs::fuzz
