#include "model/ppp.h"

#include <algorithm>

namespace qlxs {

int UnstuffOctets(const uint8_t* in, int n, uint8_t* out) {
  int written = 0;
  // Under a full control-character map escapes are frequent and irregular.
  // Each octet is written at `written` and kept (the count advances) unless
  // it is an escape; the octet after an escape is written XOR 0x20. Only a
  // one-bit state runs from octet to octet, so there is no branch to
  // mispredict. Writing never overtakes reading, so `out` may be `in`.
  unsigned escapePending = 0;
  for (int i = 0; i < n; ++i) {
    const uint8_t c = in[i];
    const unsigned escape = static_cast<unsigned>(c == kPppEscape) & ~escapePending & 1u;
    out[written] = static_cast<uint8_t>(c ^ (escapePending * kPppEscapeXor));
    written += static_cast<int>(1u - escape);
    escapePending = escape;
  }
  return written;
}

void Unstuff(T_Telegramm& t) {
  const int lg = std::clamp<int>(t.lg, 0, kTelegramDataSize);
  t.lg = static_cast<int16_t>(UnstuffOctets(t.b, lg, t.b));
}

}  // namespace qlxs
