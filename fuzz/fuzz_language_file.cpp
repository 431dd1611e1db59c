// A language text file from outside: load it and derive what the program
// derives after a successful load.

#include <vector>

#include "fuzz_support.h"

using namespace qlxs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ScratchFile file("QLXSText.ger");
  T_AllgVar v;
  const TextFileResult r = ReadTextFile(file.Write(data, size), v.TxtList);
  (void)TextFileErrorMessage(r, file.path());
  if (r.error == 0) ApplyLoadedTexts(v);
  return 0;
}
