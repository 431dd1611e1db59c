#include "platform/directories.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace qlxs {

namespace {

std::string AbsoluteEnv(const char* name) {
  const char* v = std::getenv(name);
  if (v && v[0] == '/') return WithTrailingSlash(v);
  return {};
}

}  // namespace

std::string HomeDirectory() {
  if (const char* h = std::getenv("HOME"); h && h[0]) return WithTrailingSlash(h);
  std::vector<char> buf(4096);
  passwd pw;
  passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result && result->pw_dir)
    return WithTrailingSlash(result->pw_dir);
  return "/";
}

std::string ConfigHome() {
  std::string d = AbsoluteEnv("XDG_CONFIG_HOME");
  return d.empty() ? HomeDirectory() + ".config/" : d;
}

std::string DataHome() {
  std::string d = AbsoluteEnv("XDG_DATA_HOME");
  return d.empty() ? HomeDirectory() + ".local/share/" : d;
}

std::string RuntimeDirectory() {
  std::string d = AbsoluteEnv("XDG_RUNTIME_DIR");
  return !d.empty() && IsDirectory(d) ? d : "/tmp/";
}

std::string ApplicationDataDirectory() { return DataHome() + "Brakel/DemoQuallixS/"; }

std::string ExecutableDirectory() {
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "./";
  return DirectoryPart(std::string(buf.data(), static_cast<size_t>(n)));
}

std::string InstallPrefix(const std::string& dir) {
  const std::string d = WithTrailingSlash(dir);
  for (const std::string_view tail : {"/bin/", "/share/qlxs/"})
    if (d.size() >= tail.size() && d.compare(d.size() - tail.size(), tail.size(), tail) == 0)
      return d.substr(0, d.size() - tail.size() + 1);
  return d;
}

std::string ProgramDirectory(const std::string& exeDir) {
  const std::string d = WithTrailingSlash(exeDir);
  if (IsFile(d + "QLXSText.ger")) return d;
  return InstallPrefix(d) + "share/qlxs/";
}

bool SystemLanguageIsGerman() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (!v || !v[0]) continue;
    const std::string s = v;
    return s.size() >= 2 && s.compare(0, 2, "de") == 0 &&
           (s.size() == 2 || s[2] == '_' || s[2] == '.' || s[2] == '@');
  }
  return false;
}

}  // namespace qlxs
