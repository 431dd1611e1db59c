#pragma once
// Reads back the blocks of a little-endian pcapng file, to check what the
// packet writer produced without a tool of its own: every block with its
// options, and for enhanced packets the interface, time stamp and data.

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace qlxs::test {

struct PcapngBlock {
  uint32_t type = 0;
  std::string body;  ///< between the total length fields, options included
  std::multimap<uint16_t, std::string> options;
  // Section header: magic; interface description: link type; packet: the rest.
  uint32_t magic = 0;
  uint16_t linkType = 0;
  uint32_t interfaceId = 0;
  uint64_t timestamp = 0;
  std::string data;

  /// The first value of option `code`, empty when absent.
  std::string Option(uint16_t code) const {
    const auto it = options.find(code);
    return it == options.end() ? std::string() : it->second;
  }
};

/// The blocks of `file`; `error` says where the layout is wrong (lengths not
/// a multiple of four, the two length fields differing, options overrunning
/// their block), and the blocks read until then are returned.
inline std::vector<PcapngBlock> ReadPcapng(const std::string& file, std::string& error) {
  auto u16 = [](const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
  };
  auto u32 = [&](const std::string& s, size_t at) {
    return static_cast<uint32_t>(u16(s, at) | static_cast<uint32_t>(u16(s, at + 2)) << 16);
  };
  std::vector<PcapngBlock> blocks;
  error.clear();
  size_t at = 0;
  while (at < file.size()) {
    if (file.size() - at < 12) {
      error = "truncated block at " + std::to_string(at);
      break;
    }
    const uint32_t total = u32(file, at + 4);
    if (total % 4 != 0 || total < 12 || total > file.size() - at || u32(file, at + total - 4) != total) {
      error = "bad block length at " + std::to_string(at);
      break;
    }
    PcapngBlock b;
    b.type = u32(file, at);
    b.body = file.substr(at + 8, total - 12);
    size_t opts = 0;
    if (b.type == 0x0A0D0D0A) {
      b.magic = u32(b.body, 0);
      opts = 16;
    } else if (b.type == 1) {
      b.linkType = u16(b.body, 0);
      opts = 8;
    } else if (b.type == 6) {
      b.interfaceId = u32(b.body, 0);
      b.timestamp = static_cast<uint64_t>(u32(b.body, 4)) << 32 | u32(b.body, 8);
      const uint32_t captured = u32(b.body, 12);
      b.data = b.body.substr(20, captured);
      opts = 20 + (captured + 3) / 4 * 4;
    }
    while (opts + 4 <= b.body.size()) {
      const uint16_t code = u16(b.body, opts), len = u16(b.body, opts + 2);
      if (code == 0) break;
      if (opts + 4 + len > b.body.size()) {
        error = "option overruns its block at " + std::to_string(at);
        return blocks;
      }
      b.options.emplace(code, b.body.substr(opts + 4, len));
      opts += 4 + (len + 3u) / 4 * 4;
    }
    blocks.push_back(std::move(b));
    at += total;
  }
  return blocks;
}

}  // namespace qlxs::test
