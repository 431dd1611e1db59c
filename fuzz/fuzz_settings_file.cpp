// A settings file from outside: read it, and write back what was taken.

#include <cstring>

#include "config/prg_par.h"
#include "config/settings.h"
#include "fuzz_support.h"

using namespace qlxs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ScratchFile file("settings.dat");
  T_PrgPar p = DefaultPrgPar();
  if (ReadSettingsFile(file.Write(data, size), p)) {
    WriteSettingsFile(file.path(), p);
    T_PrgPar q = DefaultPrgPar();
    if (!ReadSettingsFile(file.path(), q) || std::memcmp(&p, &q, sizeof p) != 0) __builtin_trap();
  }
  return 0;
}
