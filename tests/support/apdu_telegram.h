#pragma once
// Stored telegrams and text for the rendering tests: an APDU as port 1 stores
// it, and output split into lines.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "model/date_time.h"
#include "model/telegram.h"

namespace qlxs::test {

/// A telegram of port 1 (number 7, 2025-12-11 12:00:00.250) holding `apdu`,
/// its class from the control octet, with the connection identity
/// 192.168.10.20:2404 -> 192.168.10.1:36870 appended unless `identity` is false.
inline T_Telegramm ApduTelegram(const std::vector<uint8_t>& apdu, uint8_t stat = StatOk, bool identity = true) {
  T_Telegramm t;
  ClearTelegram(t);
  t.stat = stat;
  const uint8_t control = apdu.size() > 2 ? apdu[2] : 0;
  t.ta = !(control & 1) ? TaIFormat : (control & 2) ? TaUFormat : TaSFormat;
  t.ek = kReceiverPort1;
  t.nr = 7;
  t.dt = EncodeDateTime({2025, 12, 11, 12, 0, 0, 250});
  std::copy(apdu.begin(), apdu.end(), t.b);
  size_t n = apdu.size();
  if (identity) {
    const uint8_t vid[12] = {192, 168, 10, 20, 192, 168, 10, 1, 0x09, 0x64, 0x90, 0x06};
    std::copy(vid, vid + 12, t.b + n);
    n += 12;
    t.idm = 12;
  }
  t.lg = static_cast<int16_t>(n);
  return t;
}

/// The lines of a text, each ended by a line feed (a last line without one is dropped).
inline std::vector<std::string> SplitLines(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = s.find('\n', start)) != std::string::npos; start = end + 1)
    out.push_back(s.substr(start, end - start));
  return out;
}

}  // namespace qlxs::test
