#pragma once
/// The octets received from a serial device and not yet read, with the line
/// errors filed at their place in the stream. Raw octets go in as the tty
/// delivers them, marks included (see line_marks.h); clean octets come out
/// in blocks, and a line error or break is reported with the block that
/// holds the damaged octet or the octets before the break, so the receiver
/// closes the right frame with it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/line_marks.h"

namespace qlxs {

/// Line-error codes as the serial port reports them, and the break.
enum : uint8_t {
  kLineErrBufferOverflow = 1,
  kLineErrOverrun = 2,
  kLineErrParity = 3,
  kLineErrFraming = 4,
  kLineErrBreak = 5,
};

class ReceiveQueue {
 public:
  /// Forgets all octets, errors and an unfinished mark.
  void Clear();
  /// Decodes and queues raw octets. A damaged octet is filed as a framing
  /// error until `ClassifyDamaged` says otherwise.
  void Append(const uint8_t* raw, size_t n);
  /// Ends the stream (the device failed): an unfinished mark is queued as
  /// the octets that arrived, so nothing is lost.
  void Finish();
  /// Files the damaged octets at or after stream position `from` as errors of `code`.
  void ClassifyDamaged(uint64_t from, uint8_t code);
  /// Files an error without a mark (an overrun) at stream position `pos`.
  void AddError(uint64_t pos, uint8_t code) { errors_.push_back({pos, code}); }

  /// Octets queued and not yet taken.
  size_t Size() const { return buffer_.size() - head_; }
  /// Stream position after the last queued octet.
  uint64_t End() const { return taken_ + Size(); }
  /// Takes at most `count` octets; returns how many.
  size_t Take(uint8_t* out, size_t count);
  /// The first line error (lowest code 1..4) among those of the octets taken
  /// so far, 0 when none; each error is reported once.
  uint16_t TakeLineError();
  /// True when a break lies among or right after the octets taken so far; reported once.
  bool TakeLineBreak();

 private:
  struct Error {
    uint64_t pos;  ///< stream position of the damaged octet, or of the octet after a break
    uint8_t code;
  };
  bool Reportable(uint64_t pos) const;

  LineMarkDecoder decoder_;
  std::vector<uint8_t> buffer_;  ///< [head_, size) not yet taken
  size_t head_ = 0;
  uint64_t taken_ = 0;           ///< stream position of buffer_[head_]
  std::vector<LineMark> marks_;  ///< scratch for one Append
  std::vector<Error> errors_;
};

}  // namespace qlxs
