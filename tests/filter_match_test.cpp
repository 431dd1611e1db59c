// The view rules of the display filter when it is off.

#include <gtest/gtest.h>

#include "filter/filter_match.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using test::TestMonitor;

T_Telegramm Telegram(uint8_t ta, uint8_t stat) {
  T_Telegramm t{};
  t.ek = kReceiverPort1;
  t.ta = ta;
  t.stat = stat;
  t.lg = 10;
  return t;
}

TEST(ViewAdmits, DisplayFilterOffFollowsTheViewOptions) {
  struct Case {
    uint8_t ta, stat;
    bool nur104, mitlink, admitted;
  } cases[] = {
      {TaRaw, StatOk, false, true, true},          {TaRaw, StatOk, true, true, false},
      {TaRaw, StatTextLine, true, true, false},    {TaRaw, StatTimeout, true, true, true},  // faulty stays
      {TaIFormat, StatOk, true, false, true},      {TaSFormat, StatOk, false, false, false},
      {TaUFormat, StatOk, false, false, false},    {TaRaw104, StatOk, false, false, false},
      {TaRaw104, StatFragment, false, false, false}, {TaSFormat, StatLengthError, false, false, true},
      {TaSFormat, StatOk, false, true, true},      {TaEvent, StatPortOpened, true, false, true},
  };
  for (const Case& c : cases) {
    TestMonitor tm;
    tm->PrgPar.nur104 = c.nur104;
    tm->PrgPar.mitlink = c.mitlink;
    T_Telegramm t = Telegram(c.ta, c.stat);
    t.lga = static_cast<uint16_t>(RecordLength(t.lg));
    EXPECT_EQ(ViewAdmits(tm->PrgPar, tm->AllgPar, 1, t), c.admitted)
        << int(c.ta) << "/" << int(c.stat) << " nur104 " << c.nur104 << " mitlink " << c.mitlink;
  }
  TestMonitor tm;
  T_Telegramm empty{};
  empty.ta = TaIFormat;
  empty.stat = StatOk;
  EXPECT_FALSE(ViewAdmits(tm->PrgPar, tm->AllgPar, 1, empty)) << "an empty slot is never shown";
}

}  // namespace
}  // namespace qlxs
