// The type property table and the type list built from it.

#include <gtest/gtest.h>

#include <vector>

#include "config/allg_var.h"
#include "iec104/cause_lists.h"
#include "iec104/type_table.h"

namespace qlxs {
namespace {

TEST(TypeTable, TypeListHoldsTheDefinedTypesInOrder) {
  std::vector<int> expected = {1, 3, 5, 7, 9, 11, 13, 15, 20, 21};
  for (int t = 30; t <= 40; ++t) expected.push_back(t);
  for (int t = 45; t <= 51; ++t) expected.push_back(t);
  for (int t = 58; t <= 64; ++t) expected.push_back(t);
  for (int t : {70, 100, 101, 102, 103, 105, 107, 110, 111, 112, 113}) expected.push_back(t);
  for (int t = 120; t <= 133; ++t)
    if (t != 127) expected.push_back(t);
  const std::string list = BuildTypeList();
  ASSERT_EQ(list.size(), expected.size());
  for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(static_cast<unsigned char>(list[i]), expected[i]) << i;
}

TEST(TypeTable, GroupsArePositionsInTheTypeList) {
  T_AllgVar v;
  v.TypStr = BuildTypeList();
  v.maxpicktyp = static_cast<int>(v.TypStr.size());
  const struct {
    int type, group;
  } cases[] = {{1, 1}, {30, 11}, {126, 53}, {128, 54}, {133, 59}, {2, 0}, {0, 0}, {127, 0}, {134, 0}, {255, 0}, {-1, 0}};
  for (const auto& c : cases) EXPECT_EQ(TypeGroup(v, c.type), c.group) << "type " << c.type;
  EXPECT_EQ(TypeAt(v, 1), 1);
  EXPECT_EQ(TypeAt(v, 54), 128);
  EXPECT_EQ(TypeAt(v, 59), 133);
  EXPECT_EQ(TypeAt(v, 0), 0);
  EXPECT_EQ(TypeAt(v, 60), 0);
  EXPECT_EQ(TypeAt(v, -5), 0);
  for (int g = 1; g <= v.maxpicktyp; ++g) EXPECT_EQ(TypeGroup(v, TypeAt(v, g)), g);
}

TEST(TypeTable, QueriesByType) {
  const struct {
    int type;
    bool defined, timeTag, longTimeTag;
    int size;
  } cases[] = {
      {1, true, false, false, 1},    // single point: SIQ
      {2, false, true, false, 4},    // IEC 101 only, CP24
      {13, true, false, false, 5},   // short float + QDS
      {18, false, true, false, 7},   // CP24 without the several-objects flag
      {30, true, true, true, 8},     // SIQ + CP56
      {36, true, true, true, 12},    // short float + QDS + CP56
      {58, true, true, true, 8},     // single command + CP56
      {103, true, true, true, 7},    // clock synchronisation: the time tag is the element
      {104, false, false, false, 2}, // test command, IEC 101 only
      {125, true, false, false, 0},  // segment: length in the element
      {126, true, false, false, 13},
      {127, false, false, false, 0},
      {128, false, false, false, 0}, // in the type list, but not a defined type
      {133, false, false, false, 0},
      {134, false, false, false, 0},
      {255, false, false, false, 0},
      {-1, false, false, false, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDefinedType(c.type), c.defined) << c.type;
    EXPECT_EQ(HasTimeTag(c.type), c.timeTag) << c.type;
    EXPECT_EQ(HasLongTimeTag(c.type), c.longTimeTag) << c.type;
    EXPECT_EQ(ElementSize(c.type), c.size) << c.type;
  }
}

TEST(TypeTable, FlagsAreConsistent) {
  for (int t = 0; t < kTypeTableSize; ++t) {
    const uint16_t w = TypeTable[t];
    EXPECT_EQ(w & 0x0100, 0) << "bit 8 is never set, type " << t;
    if (w & kTypeOnly101) {
      EXPECT_FALSE(w & kTypeDefined) << "IEC 101 only types are not defined, type " << t;
    }
    if (w & kTypeCp56) {
      EXPECT_GE(ElementSize(t), 7) << "the time tag is part of the element, type " << t;
    }
    if (w & kTypeCp24) {
      EXPECT_GE(ElementSize(t), 3) << "type " << t;
    }
    EXPECT_FALSE((w & kTypeCp24) && (w & kTypeCp56)) << "type " << t;
    if (w == 0) {
      EXPECT_FALSE(IsDefinedType(t));
    }
  }
}

}  // namespace
}  // namespace qlxs
