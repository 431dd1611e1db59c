// Files replaced whole: the settings, the port map, copies of logs and text
// outputs go through a temporary file beside the target, so the target is
// the old file or the complete new one, a link stays a link, and a replaced
// file keeps its permissions.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "print/text_file_output.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// Files in `dir` beside the ones a test made: no temporary file is left.
size_t FilesIn(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

TEST(ReplacingFile, ReplacesWholeKeepsModeAndFollowsALink) {
  test::ScratchDir dir;
  const mode_t mask = ::umask(022);
  const std::string fresh = dir.file("fresh.txt");
  ASSERT_EQ(WriteFileReplacing(fresh, "one\n"), 0);
  EXPECT_EQ(test::ReadFile(fresh), "one\n");
  EXPECT_EQ(ModeOf(fresh), 0644u) << "a new file: 0666 less the umask";

  const std::string kept = dir.write("kept.txt", "old\n");
  ASSERT_EQ(::chmod(kept.c_str(), 0600), 0);
  ASSERT_EQ(WriteFileReplacing(kept, "new\n"), 0);
  EXPECT_EQ(test::ReadFile(kept), "new\n");
  EXPECT_EQ(ModeOf(kept), 0600u) << "a replaced file keeps its permissions";

  const std::string link = dir.file("link.txt");
  ASSERT_EQ(::symlink(kept.c_str(), link.c_str()), 0);
  ASSERT_EQ(WriteFileReplacing(link, "through the link\n"), 0);
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
  EXPECT_EQ(test::ReadFile(kept), "through the link\n");
  EXPECT_EQ(FilesIn(dir.dir()), 3u);
  ::umask(mask);
}

TEST(ReplacingFile, WithoutCommitTheTargetStaysAsItWas) {
  test::ScratchDir dir;
  const std::string target = dir.write("out.txt", "the old output\n");
  {
    ReplacingFile f;
    ASSERT_EQ(f.Open(target), 0);
    ASSERT_EQ(f.Write("half", 4), 0);
  }  // destroyed without Commit, as after a failure
  EXPECT_EQ(test::ReadFile(target), "the old output\n");
  EXPECT_EQ(FilesIn(dir.dir()), 1u) << "no temporary file is left";

  // A text output that does not end keeps the old file too.
  {
    TextFileOutput out(target);
    ASSERT_EQ(out.Begin(), 0);
    ASSERT_EQ(out.Line("a line that never reaches the file"), 0);
  }
  EXPECT_EQ(test::ReadFile(target), "the old output\n");
  EXPECT_EQ(FilesIn(dir.dir()), 1u);

  TextFileOutput out(target);
  ASSERT_EQ(out.Begin(), 0);
  ASSERT_EQ(out.Line("new"), 0);
  EXPECT_EQ(test::ReadFile(target), "the old output\n") << "replaced only at the end";
  ASSERT_EQ(out.End(), 0);
  EXPECT_EQ(test::ReadFile(target), "new\n");
}

TEST(ReplacingFile, AFolderThatCannotBeWrittenIsReported) {
  test::ScratchDir dir;
  EXPECT_NE(WriteFileReplacing(dir.file("missing/x.txt"), "x"), 0);
  TextFileOutput out(dir.file("missing/y.txt"));
  EXPECT_NE(out.Begin(), 0);
  EXPECT_NE(out.End(), 0);
}

}  // namespace
}  // namespace qlxs
