// Opening a log brings the general parameters of its header into force:
// address texts, range texts, filter rows and modem-line masks follow them.

#include <gtest/gtest.h>

#include "app/general_parameters.h"
#include "config/address_structure.h"
#include "config/language_texts.h"
#include "filter/filter_match.h"
#include "log/telegram_log.h"
#include "support/capture_fixture.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

TEST(GeneralParameters, AnOpenedLogBringsItsStructuresIntoForce) {
  test::ScratchDir dir;
  const std::string name = dir.file("s.lg4");
  {
    test::CaptureFixture writer;
    writer.m.AllgPar.cabrt = T_AdrStruktur{2, {8, 8, 0, 0, 0}};
    writer.m.AllgPar.oabrt = T_AdrStruktur{2, {8, 16, 0, 0, 0}};
    writer.m.ports[0].bp.paend = 0x30;
    LogOpen(writer.m, name, false);
    LogClose(writer.m);
  }
  test::CaptureFixture fx;
  Monitor& m = fx.m;
  LogOpen(m, name, false);
  ApplyGeneralParameters(m);
  EXPECT_EQ(m.AllgVar.lgcastr, 8);
  EXPECT_EQ(m.AllgVar.lgoastr, 3 + 5 + 2);
  EXPECT_EQ(Text(m.AllgVar, kTextCaRange), " 0..255 - 0..255");
  EXPECT_EQ(Text(m.AllgVar, kTextIoaRange).rfind(" 0..255 - 0..65535", 0), 0u) << Text(m.AllgVar, kTextIoaRange);
  for (const T_Filter* f : {&m.AllgPar.afilt, &m.AllgPar.lfilt}) {
    EXPECT_EQ(f->anz, 5 + 2 + 2) << "five fixed rows, then one per address field";
    EXPECT_EQ(f->krit[5].art, KritCaField1);
    EXPECT_EQ(f->krit[7].art, KritIoaField1);
  }
  EXPECT_EQ(m.ports[0].se.paend, 0x30);
}

}  // namespace
}  // namespace qlxs
