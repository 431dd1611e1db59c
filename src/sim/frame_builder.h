#pragma once
/// Builds line octets the way a PPP peer sends them: TCP segments in IPv4
/// datagrams (with correct checksums), optionally Van Jacobson compressed,
/// wrapped in PPP frames in HDLC-like framing with FCS-16 and byte stuffing.
/// Used by the line simulator, the tests and the benchmarks.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/ppp.h"

namespace qlxs::sim {

/// A run of octets.
using Bytes = std::vector<uint8_t>;

/// Async control character map that escapes all 32 control octets.
inline constexpr uint32_t kFullAccm = 0xFFFFFFFF;

/// The frame check sequence of RFC 1662 over `n` octets: the value to send,
/// low octet first.
uint16_t Fcs16(const uint8_t* data, size_t n);

/// The one's-complement sum of RFC 1071 over `n` octets folded into `sum`,
/// not yet complemented; chain calls to sum several pieces (each piece but
/// the last must have an even length).
uint32_t ChecksumAdd(uint32_t sum, const uint8_t* data, size_t n);
/// Folds and complements a sum from `ChecksumAdd`: the checksum to store.
uint16_t ChecksumFinish(uint32_t sum);

/// How a PPP peer frames what it sends.
struct PppFraming {
  bool addressControl = true;     ///< send FF 03; false = address/control field compression
  bool compressProtocol = false;  ///< send protocols below 0x100 as one octet
  uint32_t accm = kFullAccm;      ///< control octets to escape: bit n for octet n
};

/// Appends one PPP frame: an opening flag when `openingFlag`, then address
/// and control (unless compressed), the protocol, the information field and
/// the FCS, all stuffed (0x7E, 0x7D and the control octets of the ACCM are
/// sent as 0x7D, octet XOR 0x20), then the closing flag.
void AppendPppFrame(Bytes& out, uint16_t protocol, const uint8_t* info, size_t n, const PppFraming& framing,
                    bool openingFlag);

/// TCP flag bits.
enum TcpFlags : uint8_t { kTcpFin = 0x01, kTcpSyn = 0x02, kTcpRst = 0x04, kTcpPsh = 0x08, kTcpAck = 0x10 };

/// The header fields of one TCP segment in an IPv4 datagram.
struct TcpIpHeader {
  uint8_t src[4]{};       ///< IPv4 source address
  uint8_t dst[4]{};       ///< IPv4 destination address
  uint16_t srcPort = 0;
  uint16_t dstPort = 0;
  uint32_t seq = 0;
  uint32_t ack = 0;
  uint8_t flags = kTcpAck;
  uint16_t window = 8192;
  uint16_t ipId = 0;
  uint8_t ttl = 64;
  Bytes tcpOptions;       ///< TCP options, padded by the builder to whole words
  Bytes ipOptions;        ///< IPv4 options, padded by the builder to whole words
};

/// Builds an IPv4 datagram carrying one TCP segment with `payload`; the IPv4
/// header checksum and the TCP checksum (with the pseudo header) are correct.
Bytes BuildTcpIpDatagram(const TcpIpHeader& h, const uint8_t* payload, size_t n);

/// Van Jacobson TCP/IP header compression (RFC 1144) for one direction of
/// one or more connections. It sends a datagram uncompressed (protocol
/// 0x002F, the IPv4 protocol octet replaced by the connection slot) when it
/// has no state for the connection or when the change cannot be expressed,
/// and compressed (protocol 0x002D) otherwise.
class VjCompressor {
 public:
  /// Encodes `datagram` into `info`; returns the PPP protocol to send it with:
  /// 0x0021 for datagrams that are not TCP, 0x002F or 0x002D. With
  /// `allowCompressed` false the datagram is sent uncompressed (which is
  /// always allowed and refreshes the state).
  uint16_t Encode(const Bytes& datagram, Bytes& info, bool allowCompressed = true);

  /// Length of the compressed header that the last call put before the
  /// TCP data in `info` (0 when it did not compress).
  size_t LastHeaderLength() const { return lastHeaderLength_; }

 private:
  struct Slot {
    bool used = false;
    Bytes header;  // IPv4 and TCP headers of the last datagram sent
  };
  int FindSlot(const Bytes& datagram, size_t ihl) const;

  Slot slots_[16];
  int nextSlot_ = 0;
  int lastSent_ = -1;
  size_t lastHeaderLength_ = 0;
};

}  // namespace qlxs::sim
