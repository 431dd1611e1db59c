// An element text file from outside: load it with the program's language
// texts (the key of the common-address switch and the separator come from
// them), then ask the lookups the rendering and the filter dialog ask.

#include <string>
#include <string_view>

#include "config/element_texts.h"
#include "fuzz_support.h"

using namespace qlxs;

namespace {

// Touches a name so that a dangling or out-of-range reference shows.
size_t Use(const std::string& s) { return s.empty() ? 0 : static_cast<unsigned char>(s[s.size() - 1]) + s.size(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::FuzzMonitor fm(true);
  static fuzz::ScratchFile file("elements.txt");
  Monitor& m = *fm.m;
  // Every input starts from the same state, so a finding replays alone.
  m.AllgVar.elements.caList.clear();
  fm.sink.entries.clear();

  const ElementLoadResult r = LoadElementTexts(m, file.Write(data, size));
  if (!r.ok()) return 0;
  const ElementTexts& t = m.AllgVar.elements;

  size_t sum = 0;
  const int n = ElementCount(t);
  for (const int i : {-1, 0, n / 2, n - 1, n}) {
    const uint32_t id = ElementId(t, i);
    const int found = FindElement(t, id);
    if (i >= 0 && i < n && found < 0) __builtin_trap();  // a stored key must be found
    sum += Use(ElementName(t, found)) + ElementColour(t, found) + Use(ElementName(t, i));
  }
  for (const uint32_t key : {0u, 1u, 1000u, 0x00FFFFFFu, 0x01000000u | 1000u, 0xFFFFFFFFu})
    sum += Use(ElementName(t, FindElement(t, key)));
  for (const T_Element& e : t.stations) sum += Use(StationName(t, e.id)) + static_cast<size_t>(CaListIndex(t, e.id) + 1);
  for (const uint32_t ca : {0u, 7u, 212u, 65535u, 0xFFFFFFFFu}) sum += Use(StationName(t, ca));
  for (const T_Element& e : t.ips) {
    sum += Use(IpName(t, e.id));
    if (const auto a = IpByName(t, e.s0)) sum += *a;
  }
  sum += Use(IpName(t, 0)) + Use(IpName(t, 0x0100A8C0u));
  // A name taken from the input itself, as a user would type it.
  const std::string_view typed(reinterpret_cast<const char*>(data), size < 24 ? size : 24);
  if (const auto a = IpByName(t, typed)) sum += *a;
  if (const auto a = IpByName(t, "")) sum += *a;
  volatile size_t sink = sum;
  (void)sink;
  return 0;
}
