#pragma once
// Reads back the listing of `qlxs-cli records` as telegram records.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "model/telegram.h"
#include "support/hex.h"

namespace qlxs::test {

/// The records of a `qlxs-cli records` listing, with `nr` the relative
/// number, the header fields and the data; the time stamp is left at 0.
/// Stops at the first line that does not have the ten columns.
inline std::vector<T_Telegramm> ParseRecordsListing(const std::string& listing) {
  std::vector<T_Telegramm> out;
  std::istringstream in(listing);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::istringstream cols(line);
    for (std::string c; std::getline(cols, c, '\t');) f.push_back(c);
    if (line.back() == '\t') f.emplace_back();
    if (f.size() != 10) break;
    T_Telegramm t{};
    t.nr = std::atoi(f[0].c_str());
    t.ek = static_cast<uint8_t>(std::atoi(f[1].c_str()));
    t.stat = static_cast<uint8_t>(std::atoi(f[2].c_str()));
    t.ta = static_cast<uint8_t>(std::atoi(f[3].c_str()));
    t.lg = static_cast<int16_t>(std::atoi(f[4].c_str()));
    t.idm = static_cast<uint8_t>(std::atoi(f[5].c_str()));
    t.prot = static_cast<uint16_t>(std::strtoul(f[6].c_str(), nullptr, 16));
    t.ofs = static_cast<uint8_t>(std::atoi(f[7].c_str()));
    const std::vector<uint8_t> data = ParseHex(f[9]);
    std::memcpy(t.b, data.data(), std::min(data.size(), sizeof t.b));
    out.push_back(t);
  }
  return out;
}

}  // namespace qlxs::test
