#include "platform/user_store.h"

#include <string_view>

#include "platform/directories.h"
#include "platform/file_system.h"

namespace qlxs {

namespace {

constexpr std::string_view kKey = "DataDirectory=";

}  // namespace

std::string UserStorePath() { return ConfigHome() + "Brakel/DemoQuallixS.conf"; }

std::string ReadStoredDataDirectory() {
  std::string text;
  if (ReadWholeFile(UserStorePath(), &text) != 0) return {};
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t eol = rest.find('\n');
    std::string_view line = rest.substr(0, eol);
    rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with(kKey)) return std::string(line.substr(kKey.size()));
  }
  return {};
}

int WriteStoredDataDirectory(const std::string& dir) {
  const std::string path = UserStorePath();
  if (int err = MakeDirectories(DirectoryPart(path)); err != 0) return err;
  std::string old;
  ReadWholeFile(path, &old);
  std::string text;
  bool written = false;
  std::string_view rest = old;
  while (!rest.empty()) {
    const size_t eol = rest.find('\n');
    const std::string_view line = rest.substr(0, eol);
    rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 1);
    if (line.starts_with(kKey)) {
      if (written) continue;
      text.append(kKey).append(dir).append("\n");
      written = true;
    } else {
      text.append(line).append("\n");
    }
  }
  if (!written) text.append(kKey).append(dir).append("\n");
  return WriteFileReplacing(path, text);
}

}  // namespace qlxs
