#pragma once
/// The blocks of a pcapng file, the packet capture format that Wireshark and
/// tshark read: a section header, interface descriptions and enhanced packets,
/// each with its options. Blocks are appended to a byte string in little-endian
/// order (a reader learns the order from the section header); every block and
/// every option value is padded to a multiple of four octets.

#include <cstdint>
#include <string>
#include <string_view>

namespace qlxs {

/// Link types of the interfaces.
inline constexpr uint16_t kLinkTypePpp = 9;          ///< PPP, with or without address and control field
inline constexpr uint16_t kLinkTypeUpperPdu = 252;   ///< Wireshark's exported PDU: tags naming a dissector, then its data

/// Option codes.
inline constexpr uint16_t kOptComment = 1;        ///< any block: a UTF-8 comment
inline constexpr uint16_t kShbUserApplication = 4;
inline constexpr uint16_t kIfName = 2;
inline constexpr uint16_t kIfDescription = 3;
inline constexpr uint16_t kIfTsResolution = 9;    ///< one octet: 10^-n seconds per time stamp unit
inline constexpr uint16_t kEpbFlags = 2;          ///< four octets; bits 0-1 the direction

/// Directions in `kEpbFlags`.
inline constexpr uint32_t kEpbInbound = 1;
inline constexpr uint32_t kEpbOutbound = 2;

/// The options of one block, gathered before the block is written.
class PcapngOptions {
 public:
  /// Adds option `code` with the octets `value` (cut at 65535).
  void Add(uint16_t code, std::string_view value);
  void AddU8(uint16_t code, uint8_t value);
  void AddU32(uint16_t code, uint32_t value);
  /// Forgets every option, keeping the memory.
  void Clear() { bytes_.clear(); }
  bool empty() const { return bytes_.empty(); }
  /// The options as written, without the end-of-options marker.
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

/// Appends a section header block (version 1.0, section length unknown).
void AppendSectionHeader(std::string& out, const PcapngOptions& options);

/// Appends an interface description block; `snapLength` 0 means no limit.
void AppendInterfaceDescription(std::string& out, uint16_t linkType, uint32_t snapLength,
                                const PcapngOptions& options);

/// Appends an enhanced packet block: the packet `data` of interface
/// `interfaceId` (the index of its description in the section), time stamp
/// `timestamp` in the units of that interface.
void AppendEnhancedPacket(std::string& out, uint32_t interfaceId, uint64_t timestamp, std::string_view data,
                          const PcapngOptions& options);

}  // namespace qlxs
