// Filter files: what is taken, what is refused and why, and a write that
// replaces the old file whole.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "config/filter_file.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using test::ReadFile;
using test::ScratchDir;

T_Filter SampleFilter() {
  T_Filter f;
  std::memset(&f, 0, sizeof f);
  f.lg = 348;
  f.ein = 1;
  f.tken = 0x0003;
  f.tart = 0x0021;
  f.von = 45000.25;
  f.anz = 2;
  f.krit[0] = {8, 1, 36, 0, 0};
  f.krit[1] = {9, 2, 3, 2, 7};
  f.ip = {0, 1, 0x0100A8C0, 0, 0};
  f.res3[1] = 0x5A;  // reserved bytes travel unchanged
  return f;
}

std::string Bytes(const T_Filter& f) { return std::string(reinterpret_cast<const char*>(&f), sizeof f); }

bool SameBytes(const T_Filter& a, const T_Filter& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(FilterFile, ReadsOnlyAFilterFile) {
  ScratchDir dir;
  T_Filter wrongLg = SampleFilter();
  wrongLg.lg = 347;
  T_Filter zeroLg = SampleFilter();
  zeroLg.lg = 0;
  std::filesystem::create_directory(dir.file("folder"));
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);

  struct Case {
    const char* name;
    std::optional<std::string> content;  // the file to write; none for what exists already or is missing
    bool ok;
    const char* reason;   // part of the message
  } cases[] = {
      {"good.flt", Bytes(SampleFilter()), true, ""},
      {"short.flt", Bytes(SampleFilter()).substr(0, 347), false, "347 bytes long"},
      {"long.flt", Bytes(SampleFilter()) + "x", false, "349 bytes long"},
      {"empty.flt", "", false, "0 bytes long"},
      {"lg347.flt", Bytes(wrongLg), false, "length word is 347"},
      {"lg0.flt", Bytes(zeroLg), false, "length word is 0"},
      {"missing.flt", std::nullopt, false, "No such file"},
      {"folder", std::nullopt, false, "directory"},
      {"pipe", std::nullopt, false, "not a regular file"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(c.name);
    if (c.content) dir.write(c.name, *c.content);
    T_Filter out;
    std::memset(&out, 0xEE, sizeof out);
    const T_Filter before = out;
    std::string why = "stale";
    EXPECT_EQ(ReadFilterFile(path, out, why), c.ok) << c.name;
    if (c.ok) {
      EXPECT_TRUE(SameBytes(out, SampleFilter())) << c.name;
      EXPECT_EQ(why, "");
    } else {
      EXPECT_TRUE(SameBytes(out, before)) << c.name << ": the record must stay as it was";
      EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
  }
}

TEST(FilterFile, UnreadableFileIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
  ScratchDir dir;
  const std::string path = dir.write("locked.flt", Bytes(SampleFilter()));
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  T_Filter out{};
  std::string why;
  EXPECT_FALSE(ReadFilterFile(path, out, why));
  EXPECT_NE(why.find("Permission denied"), std::string::npos) << why;
}

TEST(FilterFile, WriteSetsTheLengthWordAndReadsBack) {
  ScratchDir dir;
  const std::string path = dir.file("Filter.flt");
  T_Filter f = SampleFilter();
  f.lg = 0;  // the record in memory need not carry it
  std::string why;
  ASSERT_TRUE(WriteFilterFile(path, f, why)) << why;
  const std::string written = ReadFile(path);
  ASSERT_EQ(written.size(), 348u);
  EXPECT_EQ(written, Bytes(SampleFilter()));
  EXPECT_EQ(written.substr(2, 2), std::string("\x5C\x01", 2));  // 348 little-endian at offset 2

  T_Filter back{};
  ASSERT_TRUE(ReadFilterFile(path, back, why)) << why;
  EXPECT_TRUE(SameBytes(back, SampleFilter()));

  // A longer file in its place is replaced whole, and nothing is left beside it.
  dir.write("Filter.flt", std::string(1000, 'x'));
  ASSERT_TRUE(WriteFilterFile(path, f, why)) << why;
  EXPECT_EQ(ReadFile(path), Bytes(SampleFilter()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FilterFile, FailedWriteSaysWhyAndLeavesNoTrace) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.file("occupied/inside"));
  dir.write("plain", "not a folder");
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {dir.file("no-such-folder/Filter.flt"), "No such file"},
      {dir.file("plain/Filter.flt"), "Not a directory"},
      {dir.file("occupied"), "directory"},
  };
  for (const auto& c : cases) {
    std::string why;
    EXPECT_FALSE(WriteFilterFile(c.path, SampleFilter(), why)) << c.path;
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
  }
  // The folder in the way is untouched and no temporary file stays.
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("occupied/inside")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace qlxs
