// A telegram record from outside (a log file can hold anything): render it
// in every output format, with the time and link lines and the display
// filter's object criterion on and off. The input is the 28-octet record
// header, as it stands, and the data area; `lg` is brought into the data
// area as the store does, `idm`, `ofs` and every other field stay as given.
// Octets of the data area beyond the input are zero.

#include <algorithm>
#include <cstring>

#include "config/element_texts.h"
#include "filter/filter_match.h"
#include "fuzz_support.h"
#include "render/render.h"

using namespace qlxs;

namespace {

// Names for a few stations, objects and addresses, so the name columns and
// their caches take part.
constexpr char kElements[] =
    "CA;1;Station one\n"
    "CA;212;Substation\n"
    "IP;192.168.10.20;RTU\n"
    "URS;3;2\n"
    "1;;Object one\n"
    "100;2;Object hundred\n"
    "16777215;;Last address\n";

struct Renderer {
  fuzz::FuzzMonitor fm{true};
  fuzz::ScratchFile elements{"elements.txt"};
  T_TeleAusgabe shared;

  Renderer() {
    Monitor& m = *fm.m;
    m.log.stand.erstnr = 1;
    const std::string& path =
        elements.Write(reinterpret_cast<const uint8_t*>(kElements), sizeof kElements - 1);
    LoadElementTexts(m, path);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Renderer r;
  Monitor& m = *r.fm.m;
  if (size < kTelegramHeaderSize) return 0;
  T_Telegramm t{};
  std::memcpy(&t, data, kTelegramHeaderSize);
  std::memcpy(t.b, data + kTelegramHeaderSize, std::min<size_t>(size - kTelegramHeaderSize, kTelegramDataSize));
  t.lg = static_cast<int16_t>(std::clamp<int>(t.lg, 0, kTelegramDataSize));

  T_Filter& f = m.AllgPar.afilt;
  for (int format = FmtLogisch; format <= FmtExport; ++format) {
    for (int options = 0; options < 8; ++options) {
      m.PrgPar.afmt = format;
      m.PrgPar.mitzeit = options & 1;
      m.PrgPar.mitlink = (options >> 1) & 1;
      f = T_Filter{};
      if (options & 4) {
        // Objects 100 .. 199 (first object address field) pass.
        f.ein = 1;
        f.krit[6] = {0, 1, 100, 2, 199};
      }
      FilterNormalise(f, m.AllgPar);
      T_TeleAusgabe c;
      c.shared = &r.shared;
      BeginTelegram(m, c, t);
      std::string text;
      int pieces = 0;
      while (!NextLines(m, c).empty()) {
        AppendPieceLines(text, c.piece, "\n");
        if (++pieces > 100'000) __builtin_trap();  // a telegram whose lines never end
      }
    }
  }
  return 0;
}
