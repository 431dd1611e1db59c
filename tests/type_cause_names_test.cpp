// Names of types and causes and the pick-list entries built from them.

#include <gtest/gtest.h>

#include "config/allg_var.h"
#include "iec104/type_cause_names.h"
#include "iec104/type_table.h"

namespace qlxs {
namespace {

class Names : public ::testing::Test {
 protected:
  Names() {
    v.TxtList.assign(1100, "");
    v.TypStr = BuildTypeList();
    v.maxpicktyp = static_cast<int>(v.TypStr.size());
    v.TxtList[70] = "Type";
    v.TxtList[71] = "M_SP_NA_1  Single-point information";
    v.TxtList[72] = "M_SP_TA_1  With  two double blanks";
    v.TxtList[191] = "F_SR_NA_1  Section ready";
    v.TxtList[198] = "private  Private type";
    v.TxtList[202] = "undefined";
    v.TxtList[205] = "spont  spontaneous";
    v.TxtList[1077] = "file transfer";
    v.TxtList[1078] = " 128=Private type 128";
  }
  T_AllgVar v;
};

TEST_F(Names, HalvesSplitAtTheFirstDoubleBlank) {
  const struct {
    int n, half;
    const char* expected;
  } cases[] = {
      {71, 0, "M_SP_NA_1"},   {71, kLongHalf, "Single-point information"},
      {72, 7, "M_SP_TA_1"},   {72, kLongHalf, "With  two double blanks"},
      {70, 0, "Type"},        {70, kLongHalf, "Type"},  // no double blank: whole text for both
      {5000, kLongHalf, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TextHalf(v, c.n, c.half), c.expected) << c.n << "/" << c.half;
}

TEST_F(Names, TypeAndCauseNames) {
  EXPECT_EQ(TypeName(v, 1, 4), "M_SP_NA_1");
  EXPECT_EQ(TypeName(v, 128, kLongHalf), "Private type");
  EXPECT_EQ(TypeName(v, 255, 0), "private");
  EXPECT_EQ(TypeName(v, -3, 0), "private");
  EXPECT_EQ(CauseName(v, 3, kLongHalf), "spontaneous");
  EXPECT_EQ(CauseName(v, 3, 0), "spont");
  EXPECT_EQ(CauseName(v, 64, 0), "undefined") << "a cause beyond 63 has no name of its own";
  EXPECT_EQ(CauseListEntry(v, 3), " 3=spontaneous");
}

TEST_F(Names, TypeListEntries) {
  EXPECT_EQ(TypeListEntry(v, 1, true), " 1=Single-point information");
  EXPECT_EQ(TypeListEntry(v, 54, true), " 128=Private type 128") << "types 128..133 show their own entry";
  const int sectionReady = 48;  // type 121
  ASSERT_EQ(static_cast<unsigned char>(v.TypStr[sectionReady - 1]), 121);
  EXPECT_EQ(TypeListEntry(v, sectionReady, true), " 121=Section ready");
  EXPECT_EQ(TypeListEntry(v, sectionReady, false), " 121=file transfer");
  EXPECT_EQ(TypeListEntry(v, 0, true), " 0=Type");
}

}  // namespace
}  // namespace qlxs
