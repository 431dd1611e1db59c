// The type-name file: names of type identifications by separator fields.

#include <gtest/gtest.h>

#include <string>

#include "config/allg_var.h"
#include "config/type_name_file.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

class TypeNameFile : public ::testing::Test {
 protected:
  TypeNameFile() {
    v.ProgDir = dir.dir();
    v.TxtList.assign(300, "");
    v.TxtList[298] = "types.txt";
  }
  test::ScratchDir dir;
  T_AllgVar v;
};

TEST_F(TypeNameFile, FieldsBetweenTheFirstTwoSeparators) {
  dir.write("types.txt",
            "# comment without two separators\n"
            "1;M_SP_NA_1;ignored;\n"
            " 3 ;\"M_DP_NA_1\";\n"   // blanks around the number; quotes stay
            "13;M_ME_NC_1\n"        // one separator only
            "256;too big;\n"
            "x;not a number;\n"
            "-1;negative;\n"
            ";;\n"
            "255;;\n");
  ASSERT_TRUE(LoadTypeNames(v));
  EXPECT_EQ(v.TypeNames[1], "M_SP_NA_1");
  EXPECT_EQ(v.TypeNames[3], "\"M_DP_NA_1\"");
  EXPECT_EQ(v.TypeNames[13], "");
  EXPECT_EQ(v.TypeNames[255], "");
  int named = 0;
  for (const std::string& n : v.TypeNames) named += !n.empty();
  EXPECT_EQ(named, 2);
}

TEST_F(TypeNameFile, OnlyTheFirst256LinesCountAndTheSeparatorIsTz) {
  std::string content;
  for (int i = 0; i < 255; ++i) content += "skipped line\n";
  content += "7,M_BO_NA_1,\n8,M_BO_TA_1,\n";  // lines 256 and 257
  dir.write("types.txt", content);
  v.tz = ',';
  ASSERT_TRUE(LoadTypeNames(v));
  EXPECT_EQ(v.TypeNames[7], "M_BO_NA_1");
  EXPECT_EQ(v.TypeNames[8], "");
}

TEST_F(TypeNameFile, UnreadableFileLeavesTheTableEmpty) {
  v.TypeNames[1] = "old";
  EXPECT_FALSE(LoadTypeNames(v));
  EXPECT_EQ(v.TypeNames[1], "");
  v.TxtList[298] = "";  // the program directory itself is no file
  EXPECT_FALSE(LoadTypeNames(v));
}

}  // namespace
}  // namespace qlxs
