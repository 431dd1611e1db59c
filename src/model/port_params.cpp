#include "model/port_params.h"

#include <algorithm>
#include <cstring>

#include "model/telegram.h"

namespace qlxs {

T_BetriebsPar DefaultBetriebsPar() {
  T_BetriebsPar bp;
  std::memset(&bp, 0, sizeof bp);
  bp.lg = sizeof(T_BetriebsPar);
  bp.tlg = kMaxFrameLength;
  static constexpr char kIp[] = "0.0.0.0";
  bp.ip.len = sizeof kIp - 1;
  std::memcpy(bp.ip.s, kIp, sizeof kIp - 1);
  bp.ipa[2] = 0x64;
  bp.ipa[3] = 0x09;
  bp.cnr = 4;
  bp.BaudI = 7;
  bp.toempf = 250;
  bp.tosyn = 4000;
  bp.port = 2404;
  bp.data = 8;
  bp.stop = 1;
  return bp;
}

int EffectiveFrameLimit(const T_BetriebsPar& bp) {
  // A header from outside may hold anything; below 1 the limit would never
  // trigger, above 1500 a frame plus its error octet would not fit.
  return std::clamp<int>(bp.tlg, 1, kMaxFrameLength);
}

uint16_t Iec104Port(const T_BetriebsPar& bp) {
  return bp.port == 0 ? 2404 : static_cast<uint16_t>(bp.port);
}

}  // namespace qlxs
