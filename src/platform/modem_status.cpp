#include "platform/modem_status.h"

namespace qlxs {

void ModemStatusTracker::Reset(uint8_t states) {
  states_ = states & 0xF0;
  changes_ = 0;
}

void ModemStatusTracker::Sample(uint8_t states, const ModemLineCounts& counts) {
  states &= 0xF0;
  const uint8_t flipped = states ^ states_;
  if ((flipped & kMsrCts) || counts.cts) changes_ |= kMsrDeltaCts;
  if ((flipped & kMsrDsr) || counts.dsr) changes_ |= kMsrDeltaDsr;
  if (((states_ & kMsrRi) && !(states & kMsrRi)) || counts.rng) changes_ |= kMsrTrailingRi;
  if ((flipped & kMsrDcd) || counts.dcd) changes_ |= kMsrDeltaDcd;
  states_ = states;
}

uint8_t ModemStatusTracker::Read() {
  const uint8_t v = static_cast<uint8_t>(states_ | changes_);
  changes_ = 0;
  return v;
}

}  // namespace qlxs
