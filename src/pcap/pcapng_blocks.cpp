#include "pcap/pcapng_blocks.h"

#include <algorithm>

namespace qlxs {

namespace {

constexpr uint32_t kSectionHeaderBlock = 0x0A0D0D0A;
constexpr uint32_t kInterfaceDescriptionBlock = 1;
constexpr uint32_t kEnhancedPacketBlock = 6;
constexpr uint32_t kByteOrderMagic = 0x1A2B3C4D;

void PutU16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void Pad(std::string& out, size_t n) { out.append((4 - n % 4) % 4, '\0'); }

// Writes a block: type, total length, the body the caller wrote with `body`,
// the options and their end marker, and the total length again.
template <typename Body>
void AppendBlock(std::string& out, uint32_t type, const PcapngOptions& options, Body body) {
  const size_t start = out.size();
  PutU32(out, type);
  PutU32(out, 0);  // total length, set below
  body();
  if (!options.empty()) {
    out += options.bytes();
    PutU32(out, 0);  // end of options
  }
  const uint32_t total = static_cast<uint32_t>(out.size() - start + 4);
  PutU32(out, total);
  for (int i = 0; i < 4; ++i) out[start + 4 + i] = static_cast<char>((total >> (8 * i)) & 0xFF);
}

}  // namespace

void PcapngOptions::Add(uint16_t code, std::string_view value) {
  value = value.substr(0, std::min<size_t>(value.size(), 0xFFFF));
  PutU16(bytes_, code);
  PutU16(bytes_, static_cast<uint16_t>(value.size()));
  bytes_.append(value);
  Pad(bytes_, value.size());
}

void PcapngOptions::AddU8(uint16_t code, uint8_t value) {
  const char c = static_cast<char>(value);
  Add(code, std::string_view(&c, 1));
}

void PcapngOptions::AddU32(uint16_t code, uint32_t value) {
  std::string v;
  PutU32(v, value);
  Add(code, v);
}

void AppendSectionHeader(std::string& out, const PcapngOptions& options) {
  AppendBlock(out, kSectionHeaderBlock, options, [&] {
    PutU32(out, kByteOrderMagic);
    PutU16(out, 1);  // major version
    PutU16(out, 0);  // minor version
    PutU32(out, 0xFFFFFFFF);  // section length: not given (-1)
    PutU32(out, 0xFFFFFFFF);
  });
}

void AppendInterfaceDescription(std::string& out, uint16_t linkType, uint32_t snapLength,
                                const PcapngOptions& options) {
  AppendBlock(out, kInterfaceDescriptionBlock, options, [&] {
    PutU16(out, linkType);
    PutU16(out, 0);
    PutU32(out, snapLength);
  });
}

void AppendEnhancedPacket(std::string& out, uint32_t interfaceId, uint64_t timestamp, std::string_view data,
                          const PcapngOptions& options) {
  AppendBlock(out, kEnhancedPacketBlock, options, [&] {
    PutU32(out, interfaceId);
    PutU32(out, static_cast<uint32_t>(timestamp >> 32));
    PutU32(out, static_cast<uint32_t>(timestamp & 0xFFFFFFFF));
    PutU32(out, static_cast<uint32_t>(data.size()));  // captured length
    PutU32(out, static_cast<uint32_t>(data.size()));  // original length
    out.append(data);
    Pad(out, data.size());
  });
}

}  // namespace qlxs
