// Line octets of both ports through the receivers, the unwrapping, the APDU
// check and the store. The first octet of each step picks the port, the
// block length and whether the block carries a line error.

#include <algorithm>
#include <cstring>

#include "capture/receiver.h"
#include "fuzz_support.h"
#include "log/store.h"

using namespace qlxs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::FuzzMonitor fm(true);
  Monitor& m = *fm.m;
  InitPortStates(m.ports[0], m.ports[1]);
  size_t i = 0;
  while (i < size) {
    const uint8_t ctl = data[i++];
    T_ComVar& port = m.ports[ctl & 1];
    const size_t n = std::min<size_t>(size - i, ((ctl >> 1) & 31) * 48 + 1);
    port.em.fehl = (ctl & 0xC0) == 0xC0 ? (ctl >> 1) & 7 : 0;
    port.em.anz = static_cast<uint16_t>(n);
    ReceiveBlock(m, port, data + i, n);
    i += n;
    if ((ctl & 0xC0) == 0x80) {
      fm.clock.Advance(300);
      PortTick(m, port);
    }
  }
  fm.clock.Advance(5000);
  PortTick(m, m.ports[0]);
  PortTick(m, m.ports[1]);
  return 0;
}
