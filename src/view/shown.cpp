#include "view/shown.h"

#include <cstdlib>

#include "filter/filter_match.h"
#include "log/log_reader.h"
#include "log/log_state.h"

namespace qlxs {

namespace {

constexpr int kTextViewKind = 421;     // + 1 in the online view
constexpr int kTextFiltered = 1212;    // + 1 while a filter restricts the view
constexpr int kTextFormat = 406;       // + output format 3..7
constexpr int kTextWithTime = 407;     // + 1 with the header line
constexpr int kTextWithLink = 423;     // + 1 with the link layer
constexpr int kTextOnly104 = 414;      // + 1 when raw frames without IEC 104 traffic are hidden
constexpr int kMaxFilteredJump = 5000;

}  // namespace

std::string TitleText(const LogState& m) {
  const T_PrgPar& p = m.PrgPar;
  const bool online = p.ausgonl == 1;
  const bool filtered = m.AllgPar.afilt.ein || (m.AllgPar.lfilt.ein && online);
  std::string s = Text(m.AllgVar, kTextViewKind + online);
  s += Text(m.AllgVar, kTextFiltered + filtered);
  s += Text(m.AllgVar, kTextFormat + p.afmt);
  s += Text(m.AllgVar, kTextWithTime + (p.mitzeit ? 1 : 0));
  s += Text(m.AllgVar, kTextWithLink + (p.mitlink ? 1 : 0));
  s += Text(m.AllgVar, kTextOnly104 + (p.nur104 ? 1 : 0));
  return s;
}

bool IsShown(const LogState& m) {
  T_Telegramm t;
  ReaderRecord(m, t);
  return ViewAdmits(m.PrgPar, m.AllgPar, m.log.stand.erstnr, t);
}

bool NextShown(LogState& m) {
  while (ReaderNext(m))
    if (IsShown(m)) return true;
  return false;
}

bool PrevShown(LogState& m) {
  while (ReaderBack(m))
    if (IsShown(m)) return true;
  if ((m.AllgPar.afilt.ein || !m.PrgPar.mitlink) && !IsShown(m)) NextShown(m);
  return false;
}

bool JumpShown(LogState& m, int n) {
  const bool filtered = std::abs(n) <= kMaxFilteredJump;
  for (; n > 0; --n)
    if (!(filtered ? NextShown(m) : ReaderNext(m))) return false;
  for (; n < 0; ++n)
    if (!(filtered ? PrevShown(m) : ReaderBack(m))) return false;
  return true;
}

}  // namespace qlxs
