// Runs a fuzz target once on each stored input, without libFuzzer: the files
// named on the command line, and the files in the folders named there. Built
// with the plain compiler (and its sanitizers), so the inputs that once found
// a fault, or that lead deep into a reader, are checked on every test run.
// A fault aborts the run; the input being replayed is printed before it runs.

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// Reads a whole file; false with a message when it cannot be read.
bool ReadInput(const fs::path& path, std::vector<uint8_t>& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "corpus_replay: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  const bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) std::fprintf(stderr, "corpus_replay: cannot read %s\n", path.c_str());
  return !failed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "Usage: %s FILE_OR_FOLDER...\n", argv[0]);
    return 2;
  }
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    if (fs::is_directory(argv[i], ec)) {
      std::vector<fs::path> found;
      for (const fs::directory_entry& e : fs::directory_iterator(argv[i], ec))
        if (e.is_regular_file()) found.push_back(e.path());
      if (ec) {
        std::fprintf(stderr, "corpus_replay: cannot list %s: %s\n", argv[i], ec.message().c_str());
        return 1;
      }
      std::sort(found.begin(), found.end());
      inputs.insert(inputs.end(), found.begin(), found.end());
    } else if (fs::is_regular_file(argv[i], ec)) {
      inputs.emplace_back(argv[i]);
    } else {
      std::fprintf(stderr, "corpus_replay: no such file or folder: %s\n", argv[i]);
      return 1;
    }
  }
  // An empty corpus would pass without checking anything.
  if (inputs.empty()) {
    std::fprintf(stderr, "corpus_replay: no inputs found\n");
    return 1;
  }
  std::vector<uint8_t> data;
  for (const fs::path& path : inputs) {
    if (!ReadInput(path, data)) return 1;
    std::printf("replaying %s (%zu bytes)\n", path.c_str(), data.size());
    std::fflush(stdout);
    // A buffer of exactly the input's size, as libFuzzer hands it over, so
    // the address sanitizer sees a read past its end.
    std::vector<uint8_t> exact(data.begin(), data.end());
    LLVMFuzzerTestOneInput(exact.data(), exact.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return 0;
}
