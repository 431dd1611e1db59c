// qlxs-cli feed: raw line captures through the receivers into a new log,
// checked through the records listing of the real binaries.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using test::RunCli;
using test::ScratchDir;

struct Row {
  int ek, stat, ta, lg;
  std::string prot, data;
};

std::vector<Row> Rows(const std::string& listing) {
  std::vector<Row> rows;
  std::istringstream in(listing);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string x; std::getline(fields, x, '\t');) f.push_back(x);
    if (f.size() < 10) f.resize(10);
    rows.push_back({std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4]), f[6], f[9]});
  }
  return rows;
}

std::string Hex(const std::string& bytes) {
  static constexpr char k[] = "0123456789abcdef";
  std::string s;
  for (unsigned char c : bytes) s += {k[c >> 4], k[c & 15]};
  return s;
}

TEST(FeedCommand, DelimitsFramesAndTextLinesOfBothPorts) {
  ScratchDir dir;
  const std::string lcp("\x7e\xff\x03\xc0\x21\x01\x01\x00\x04\x12\x34\x7e", 12);  // both flags
  const std::string inSync = std::string("\xff\x03\xc0\x21\x02\x01\x00\x04\x56\x78\x7e", 11);
  const std::string port1 = std::string("\r\nRING\r\n") + "ATA\r\x7e" + lcp + inSync;
  const std::string port2 = std::string(1500, 'A') + "\r\nOK\r\n" + std::string("\x7e\xff\x03", 3);
  const std::string f1 = dir.write("line1.bin", port1);
  const std::string f2 = dir.write("line2.bin", port2);
  const std::string log = dir.file("out.lg4");

  const auto fed = RunCli(dir.dir(), {"feed", log, f1, f2});
  ASSERT_EQ(fed.exit, 0) << fed.err;
  const auto listed = RunCli(dir.dir(), {"records", log});
  ASSERT_EQ(listed.exit, 0) << listed.err;
  const std::vector<Row> rows = Rows(listed.out);

  const std::vector<Row> want = {
      {1, 55, 0, 8, "0000", Hex("\r\nRING\r\n")},
      {1, 5, 0, 5, "0000", Hex("ATA\r\x7e")},  // ended by a flag, but never framed
      {1, 40, 0, 12, "c021", Hex(lcp)},        // the opening flag stays in the frame
      {1, 40, 0, 11, "c021", Hex(inSync)},     // in sync: no opening flag needed
      {3, 16, 0, 1500, "0000", Hex(std::string(1500, 'A'))},
      {3, 55, 0, 6, "0000", Hex("\r\nOK\r\n")},
      {3, 13, 0, 3, "0000", Hex(std::string("\x7e\xff\x03", 3))},  // closed at the end as a time-out
  };
  ASSERT_EQ(rows.size(), want.size()) << listed.out;
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i + 1));
    EXPECT_EQ(rows[i].ek, want[i].ek);
    EXPECT_EQ(rows[i].stat, want[i].stat);
    EXPECT_EQ(rows[i].ta, want[i].ta);
    EXPECT_EQ(rows[i].lg, want[i].lg);
    EXPECT_EQ(rows[i].prot, want[i].prot);
    EXPECT_EQ(rows[i].data, want[i].data);
  }
}

TEST(FeedCommand, SmallChunksGiveTheSameTelegrams) {
  ScratchDir dir;
  const std::string line = std::string("\r\nCONNECT 9600\r\n") + "\x7e\xff\x03\xc0\x21\x09\x7e" + "\xff\x03\x80\x21\x7e";
  const std::string f1 = dir.write("l.bin", line);
  ASSERT_EQ(RunCli(dir.dir(), {"feed", dir.file("a.lg4"), f1}).exit, 0);
  ASSERT_EQ(RunCli(dir.dir(), {"feed", dir.file("b.lg4"), f1, "--chunk", "1"}).exit, 0);
  const auto a = Rows(RunCli(dir.dir(), {"records", dir.file("a.lg4")}).out);
  const auto b = Rows(RunCli(dir.dir(), {"records", dir.file("b.lg4")}).out);
  ASSERT_EQ(a.size(), 3u);
  ASSERT_EQ(b.size(), a.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].stat, b[i].stat);
    EXPECT_EQ(a[i].data, b[i].data);
  }
}

TEST(FeedCommand, RefusesBadArgumentsAndKeepsExistingLogs) {
  ScratchDir dir;
  const std::string f1 = dir.write("l.bin", "\r\nOK\r\n");
  const std::string existing = dir.write("old.lg4", "evidence");
  const struct {
    std::vector<std::string> args;
    int exit;
    std::string says;
  } cases[] = {
      {{"feed"}, 2, "expected LOG"},
      {{"feed", dir.file("x.lg4")}, 2, "expected LOG"},
      {{"feed", dir.file("x.lg4"), f1, "--chunk", "0"}, 2, "--chunk"},
      {{"feed", dir.file("x.lg4"), f1, "--chunk", "1520"}, 2, "--chunk"},
      {{"feed", dir.file("x.lg4"), f1, "--bogus"}, 2, "--bogus"},
      {{"feed", dir.file("x.lg4"), dir.file("missing.bin")}, 1, "missing.bin"},
      {{"feed", existing, f1}, 1, "--force"},
      {{"feed", dir.file("no/such/dir/x.lg4"), f1}, 1, "x.lg4: cannot create the telegram log: No such file"},
  };
  for (const auto& c : cases) {
    const auto r = RunCli(dir.dir(), c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args.back() << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::ReadFile(existing), "evidence");
  EXPECT_EQ(RunCli(dir.dir(), {"feed", "--force", existing, f1}).exit, 0);
  EXPECT_EQ(RunCli(dir.dir(), {"feed", "--help"}).exit, 0);
}

}  // namespace
}  // namespace qlxs
