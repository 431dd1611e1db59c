#include <gtest/gtest.h>

#include "platform/user_store.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

TEST(UserStore, DataDirectoryRoundTripKeepsOtherLines) {
  test::ScratchDir cfg;
  test::ScopedEnv env("XDG_CONFIG_HOME", cfg.dir());
  EXPECT_EQ(UserStorePath(), cfg.file("Brakel/DemoQuallixS.conf"));
  EXPECT_EQ(ReadStoredDataDirectory(), "") << "no file: empty";

  ASSERT_EQ(WriteStoredDataDirectory("/srv/qlxs data/"), 0) << "the directory is created";
  EXPECT_EQ(test::ReadFile(UserStorePath()), "DataDirectory=/srv/qlxs data/\n");
  EXPECT_EQ(ReadStoredDataDirectory(), "/srv/qlxs data/");

  ASSERT_TRUE(test::WriteFile(UserStorePath(), "# written by hand\r\nDataDirectory=/old\r\nOther=1\n"));
  EXPECT_EQ(ReadStoredDataDirectory(), "/old") << "CR LF line ends are read";
  ASSERT_EQ(WriteStoredDataDirectory("/new/"), 0);
  EXPECT_EQ(test::ReadFile(UserStorePath()), "# written by hand\r\nDataDirectory=/new/\nOther=1\n");
}

}  // namespace
}  // namespace qlxs
