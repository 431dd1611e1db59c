// Decoding of the cause lists and the queries on them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/allg_var.h"
#include "iec104/cause_lists.h"
#include "iec104/type_table.h"

namespace qlxs {
namespace {

TEST(CauseLists, DecodeNumberList) {
  const struct {
    const char* text;
    std::string decoded;
  } cases[] = {
      {"030520", "\x03\x05\x14"},
      {"6566", "AB"},
      {"656", "A"},          // a final single digit is dropped
      {"", ""},
      {"7", ""},
      {"0A65", "A"},         // a pair that is not two digits is skipped
      {" 565", "A"},         // " 5" is not a pair of digits
      {"abcd", ""},
      {"99", "c"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeNumberList(c.text), c.decoded) << c.text;
}

TEST(CauseLists, ConversionStopsAfterTheFirstEmptyList) {
  std::vector<std::string> texts(1015, "0102");
  texts[1008] = "0102";  // before the lists: untouched
  texts[1011] = "x";
  ConvertCauseLists(texts);
  EXPECT_EQ(texts[1008], "0102");
  EXPECT_EQ(texts[1009], "\x01\x02");
  EXPECT_EQ(texts[1010], "\x01\x02");
  EXPECT_EQ(texts[1011], "");
  EXPECT_EQ(texts[1012], "0102");

  std::vector<std::string> shortTable(1010, "0102");  // ends inside the lists
  ConvertCauseLists(shortTable);
  EXPECT_EQ(shortTable[1009], "\x01\x02");
}

class CauseQueries : public ::testing::Test {
 protected:
  CauseQueries() {
    v.TxtList.assign(1070, "");
    v.TypStr = BuildTypeList();
    v.maxpicktyp = static_cast<int>(v.TypStr.size());
    v.TxtList[1009] = "0102030620";  // all causes
    v.TxtList[1010] = "0320";         // group 1 (type 1): 3, 20
    v.TxtList[1068] = "0601";         // group 59 (type 133)
    v.TxtList[1069] = "0102";         // beyond the last group: never a cause list
    ConvertCauseLists(v.TxtList);     // stops at the empty text 1011
    for (int n : {1068, 1069}) v.TxtList[n] = DecodeNumberList(v.TxtList[n]);
  }
  T_AllgVar v;
};

TEST_F(CauseQueries, CausePermitted) {
  EXPECT_TRUE(CausePermitted(v, 1, 3));
  EXPECT_TRUE(CausePermitted(v, 1, 20));
  EXPECT_FALSE(CausePermitted(v, 1, 6));
  EXPECT_TRUE(CausePermitted(v, 0, 6));
  EXPECT_TRUE(CausePermitted(v, 59, 1));
  for (int g : {0, 1, 59}) EXPECT_FALSE(CausePermitted(v, g, 0)) << g;
  EXPECT_FALSE(CausePermitted(v, 60, 1)) << "no group beyond the type list";
  EXPECT_FALSE(CausePermitted(v, -1, 1));
  EXPECT_FALSE(CausePermitted(v, 1, 3 + 256));
}

TEST_F(CauseQueries, CauseAtAndCauseIndex) {
  EXPECT_EQ(CauseAt(v, 0, 1), 1);
  EXPECT_EQ(CauseAt(v, 0, 5), 20);
  EXPECT_EQ(CauseAt(v, 0, 6), 0);
  EXPECT_EQ(CauseAt(v, 0, 0), 0);
  EXPECT_EQ(CauseAt(v, 2, 1), 0) << "an empty list";
  EXPECT_EQ(CauseIndex(v, 0, 20), 5);
  EXPECT_EQ(CauseIndex(v, 1, 20), 2);
  EXPECT_EQ(CauseIndex(v, 1, 6), 0);
  EXPECT_EQ(CauseIndex(v, 60, 1), 0);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(CauseIndex(v, 0, CauseAt(v, 0, i)), i);
}

TEST(CauseLists, WithoutLoadedTextsNothingIsPermitted) {
  T_AllgVar v;
  EXPECT_FALSE(CausePermitted(v, 0, 3));
  EXPECT_EQ(TypeGroup(v, 1), 0);
  EXPECT_EQ(TypeAt(v, 1), 0);
}

}  // namespace
}  // namespace qlxs
