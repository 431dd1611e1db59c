#include "cli/cli_support.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

#include "config/language_texts.h"
#include "config/monitor.h"
#include "platform/directories.h"

namespace qlxs::cli {

bool LoadProgramTexts(Monitor& m) {
  m.AllgVar.ProgDir = ProgramDirectory(ExecutableDirectory());
  return LoadTexts(m, LangGerman);
}

bool ParseNumber(const char* s, long lo, long hi, long& out) {
  if (!s || !*s) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s, &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool FileHasContent(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && st.st_size > 0;
}

}  // namespace qlxs::cli
