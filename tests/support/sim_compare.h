#pragma once
// Compares the telegrams a monitor stored for one line with what the line
// simulator predicted for it.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/line_simulator.h"
#include "support/capture_fixture.h"
#include "support/hex.h"

namespace qlxs::test {

inline std::string Hex(const sim::Bytes& b) { return HexText(b, " ", 40); }

/// The telegrams of receiver `ek` among `stored`, in order.
inline std::vector<T_Telegramm> OfReceiver(const std::vector<T_Telegramm>& stored, uint8_t ek) {
  std::vector<T_Telegramm> out;
  for (const T_Telegramm& t : stored)
    if (t.ek == ek) out.push_back(t);
  return out;
}

/// Checks `got` against `want` telegram by telegram; reports the first
/// difference with enough context to find it.
inline ::testing::AssertionResult MatchesPrediction(const std::vector<T_Telegramm>& got,
                                                    const std::vector<sim::ExpectedTelegram>& want) {
  const size_t n = std::min(got.size(), want.size());
  for (size_t i = 0; i < n; ++i) {
    const T_Telegramm& g = got[i];
    const sim::ExpectedTelegram& w = want[i];
    std::string why;
    if (g.stat != w.stat) why += " stat " + std::to_string(g.stat) + " want " + std::to_string(w.stat);
    if (g.ta != w.ta) why += " ta " + std::to_string(g.ta) + " want " + std::to_string(w.ta);
    if (g.prot != w.prot) why += " prot " + std::to_string(g.prot) + " want " + std::to_string(w.prot);
    if (g.ofs != w.ofs) why += " ofs " + std::to_string(g.ofs) + " want " + std::to_string(w.ofs);
    if (g.idm != (w.hasVid ? 12 : 0)) why += " idm " + std::to_string(g.idm);
    if (DataOf(g) != w.data) why += "\n  data " + Hex(DataOf(g)) + "\n  want " + Hex(w.data);
    if (w.hasVid && w.vidKnown && !(VidOf(g) == w.vid)) why += " identity differs";
    if (!why.empty())
      return ::testing::AssertionFailure() << "telegram " << i << " of " << want.size() << ":" << why;
  }
  if (got.size() != want.size()) {
    ::testing::AssertionResult r = ::testing::AssertionFailure();
    r << got.size() << " telegrams stored, " << want.size() << " predicted";
    if (got.size() > n) r << "; first extra: stat " << int(got[n].stat) << " " << Hex(DataOf(got[n]));
    if (want.size() > n) r << "; first missing: stat " << int(want[n].stat) << " " << Hex(want[n].data);
    return r;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace qlxs::test
