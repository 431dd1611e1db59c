#pragma once
/// Removes the marks that the tty line discipline puts into the received
/// byte stream when a port runs with INPCK|PARMRK and without ISTRIP:
///   FF 00 c  an octet c received with a parity or framing error,
///   FF 00 00 a break,
///   FF FF    a real octet 0xFF.
/// A mark may be split across reads; the decoder keeps its state between calls.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qlxs {

/// A line condition found in the stream.
struct LineMark {
  size_t pos;  ///< index in the decoded output: of the damaged octet, or of the octet after a break
  bool brk;    ///< true for a break, false for a damaged octet
};

class LineMarkDecoder {
 public:
  /// Largest number of octets one call of `Decode` can write beyond its input length.
  static constexpr size_t kExtraOutput = 1;

  /// Decodes `n` raw octets into `out`, which must hold n + kExtraOutput octets.
  /// Every damaged octet is kept in the output; breaks and mark octets are
  /// dropped. Marks are appended to `marks` with positions relative to `out`.
  /// Returns the number of octets written.
  size_t Decode(const uint8_t* in, size_t n, uint8_t* out, std::vector<LineMark>& marks);
  /// Ends the stream: octets of an unfinished mark are written to `out`
  /// (at most 2) as they were received, so nothing is lost. Returns their count.
  size_t Flush(uint8_t* out);
  /// Forgets an unfinished mark.
  void Reset() { state_ = kPlain; }

 private:
  enum State : uint8_t { kPlain, kAfterFF, kAfterFF00 };
  State state_ = kPlain;
};

}  // namespace qlxs
