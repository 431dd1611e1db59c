#include "platform/receive_queue.h"

#include <algorithm>
#include <cstring>

namespace qlxs {

void ReceiveQueue::Clear() {
  taken_ += Size();
  buffer_.clear();
  head_ = 0;
  errors_.clear();
  decoder_.Reset();
}

void ReceiveQueue::Append(const uint8_t* raw, size_t n) {
  const size_t old = buffer_.size();
  const uint64_t base = End();
  buffer_.resize(old + n + LineMarkDecoder::kExtraOutput);
  marks_.clear();
  buffer_.resize(old + decoder_.Decode(raw, n, buffer_.data() + old, marks_));
  for (const LineMark& mk : marks_) errors_.push_back({base + mk.pos, mk.brk ? kLineErrBreak : kLineErrFraming});
}

void ReceiveQueue::Finish() {
  const size_t old = buffer_.size();
  buffer_.resize(old + 2);
  buffer_.resize(old + decoder_.Flush(buffer_.data() + old));
}

void ReceiveQueue::ClassifyDamaged(uint64_t from, uint8_t code) {
  for (Error& e : errors_)
    if (e.pos >= from && e.code == kLineErrFraming) e.code = code;
}

size_t ReceiveQueue::Take(uint8_t* out, size_t count) {
  const size_t n = std::min(count, Size());
  if (n == 0) return 0;
  std::memcpy(out, buffer_.data() + head_, n);
  head_ += n;
  taken_ += n;
  if (head_ == buffer_.size()) {
    buffer_.clear();
    head_ = 0;
  } else if (head_ >= 65536) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
  return n;
}

bool ReceiveQueue::Reportable(uint64_t pos) const {
  // Inside the octets taken, or at their end with nothing queued after it.
  return pos < taken_ || (pos == taken_ && Size() == 0);
}

uint16_t ReceiveQueue::TakeLineError() {
  uint16_t code = 0;
  std::erase_if(errors_, [&](const Error& e) {
    if (e.code == kLineErrBreak || !Reportable(e.pos)) return false;
    if (code == 0 || e.code < code) code = e.code;
    return true;
  });
  return code;
}

bool ReceiveQueue::TakeLineBreak() {
  bool brk = false;
  std::erase_if(errors_, [&](const Error& e) {
    if (e.code != kLineErrBreak || !Reportable(e.pos)) return false;
    brk = true;
    return true;
  });
  return brk;
}

}  // namespace qlxs
