#include "platform/line_marks.h"

namespace qlxs {

size_t LineMarkDecoder::Decode(const uint8_t* in, size_t n, uint8_t* out, std::vector<LineMark>& marks) {
  size_t o = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = in[i];
    switch (state_) {
      case kPlain:
        if (c == 0xFF)
          state_ = kAfterFF;
        else
          out[o++] = c;
        break;
      case kAfterFF:
        if (c == 0xFF) {
          out[o++] = 0xFF;
          state_ = kPlain;
        } else if (c == 0x00) {
          state_ = kAfterFF00;
        } else {
          // Not a mark the line discipline writes; keep both octets.
          out[o++] = 0xFF;
          out[o++] = c;
          state_ = kPlain;
        }
        break;
      case kAfterFF00:
        if (c == 0x00) {
          marks.push_back({o, true});
        } else {
          marks.push_back({o, false});
          out[o++] = c;
        }
        state_ = kPlain;
        break;
    }
  }
  return o;
}

size_t LineMarkDecoder::Flush(uint8_t* out) {
  size_t o = 0;
  if (state_ == kAfterFF || state_ == kAfterFF00) out[o++] = 0xFF;
  if (state_ == kAfterFF00) out[o++] = 0x00;
  state_ = kPlain;
  return o;
}

}  // namespace qlxs
