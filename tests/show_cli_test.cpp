// qlxs-cli show: a simulated log in every format, every telegram with its
// header and its exact octets in ByteSer, and how it fails.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/filter_file.h"
#include "log/log_format.h"
#include "model/telegram.h"
#include "support/apdu_telegram.h"
#include "support/files.h"
#include "support/hex.h"
#include "support/records_listing.h"
#include "support/run_cli.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using test::CliResult;
using test::RunCli;
using test::ScratchDir;

std::vector<std::string> Lines(const std::string& s) { return test::SplitLines(s); }

// A header line starts with the telegram number in 12 columns and the port name.
bool IsHeader(const std::string& line) {
  return line.size() > 17 && (line.compare(12, 3, "P1 ") == 0 || line.compare(12, 3, "P2 ") == 0);
}

// The octets of the dump lines of one telegram: the hex pairs in the 52
// columns after the 12-column label.
std::vector<uint8_t> DumpedOctets(const std::vector<std::string>& lines) {
  std::vector<uint8_t> out;
  for (const std::string& l : lines) {
    if (l.size() < 12 || l.compare(9, 3, ":  ") != 0 || l.find('-') > 9) continue;
    const std::vector<uint8_t> o = test::ParseHex(l.substr(12, 52));
    out.insert(out.end(), o.begin(), o.end());
  }
  return out;
}

class ShowCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::MakeSimulatedLog(dir, log, {"--apdus", "60", "--split", "30", "--faults", "all", "--fault-every", "8"}));
  }
  ScratchDir dir;
  const std::string log = dir.file("x.lg4");
};

TEST_F(ShowCommand, ByteSerShowsEveryTelegramWithItsOctets) {
  const CliResult listing = RunCli(dir, {"records", log});
  ASSERT_EQ(listing.exit, 0) << listing.err;
  const std::vector<T_Telegramm> records = test::ParseRecordsListing(listing.out);
  ASSERT_GT(records.size(), 100u);

  const CliResult r = RunCli(dir, {"show", log, "--format", "byteser", "--time", "on", "--link", "on",
                                   "--only104", "off", "--lang", "usa"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::vector<std::vector<std::string>> telegrams;
  for (const std::string& l : Lines(r.out)) {
    if (IsHeader(l)) telegrams.emplace_back();
    ASSERT_FALSE(telegrams.empty()) << "output starts with a header line: " << l;
    telegrams.back().push_back(l);
  }
  ASSERT_EQ(telegrams.size(), records.size()) << "one header per stored telegram";
  for (size_t i = 0; i < records.size(); ++i) {
    const T_Telegramm& t = records[i];
    const std::vector<std::string>& lines = telegrams[i];
    std::string number = lines[0].substr(0, 12);
    std::erase(number, ',');
    EXPECT_EQ(std::stoi(number), t.nr) << lines[0];
    int data = t.lg - t.idm;
    if (t.stat == StatLineError && data > 0) --data;  // the line-error code is named, not dumped
    const std::vector<uint8_t> want(t.b, t.b + data);
    if (t.ta == TaEvent || t.stat == StatModemStatus) {
      EXPECT_EQ(lines.size(), 1u) << lines[0];
      continue;
    }
    EXPECT_EQ(test::HexText(DumpedOctets(lines)), test::HexText(want)) << "telegram " << t.nr << ": " << lines[0];
  }
}

TEST_F(ShowCommand, EveryFormatPrintsTheLog) {
  for (const char* format : {"logisch", "kompakt", "logneu", "byteser", "export"}) {
    for (const char* options : {"on", "off"}) {
      const CliResult r = RunCli(dir, {"show", log, "--format", format, "--time", options, "--link", options});
      EXPECT_EQ(r.exit, 0) << format << " " << r.err;
      EXPECT_EQ(r.err, "") << format;
      EXPECT_GT(Lines(r.out).size(), 50u) << format;
    }
  }
}

TEST_F(ShowCommand, AFilterFileDecidesWhatIsShown) {
  T_Filter faultyOnly{};
  faultyOnly.tken = 3;
  faultyOnly.ffehl = 1;  // faulty telegrams only
  std::string why;
  const std::string filter = dir.file("faulty.flt");
  ASSERT_TRUE(WriteFilterFile(filter, faultyOnly, why)) << why;
  const CliResult all = RunCli(dir, {"show", log, "--format", "byteser", "--time", "on", "--lang", "usa"});
  const CliResult r =
      RunCli(dir, {"show", log, "--format", "byteser", "--time", "on", "--lang", "usa", "--filter", filter});
  ASSERT_EQ(r.exit, 0) << r.err;
  int shown = 0;
  for (const std::string& l : Lines(r.out)) {
    if (!IsHeader(l)) continue;
    ++shown;
    EXPECT_EQ(l.find("  OK"), std::string::npos) << "only faulty telegrams: " << l;
  }
  int faulty = 0;
  for (const T_Telegramm& t : test::ParseRecordsListing(RunCli(dir, {"records", log}).out))
    faulty += IsFaultyStatus(t.stat) && t.ta != TaEvent;
  EXPECT_GT(faulty, 0);
  EXPECT_EQ(shown, faulty) << "every faulty telegram, and nothing else";
  EXPECT_LT(r.out.size(), all.out.size() / 2);

  const std::string damaged = dir.write("damaged.flt", std::string(349, '\0'));
  const CliResult refused = RunCli(dir, {"show", log, "--filter", damaged});
  EXPECT_EQ(refused.exit, 1);
  EXPECT_NE(refused.err.find(damaged), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("349"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out, "");
}

TEST_F(ShowCommand, ADamagedBlockShowsWhatCanBeRead) {
  std::vector<uint8_t> bytes = test::ReadFileBytes(log);
  // The length of the second record of the first block, made impossible.
  const size_t first = kLogHeaderSize + kFirstRecord;
  const size_t second = first + (bytes.at(first + 2) | bytes.at(first + 3) << 8);
  ASSERT_GT(bytes.size(), second + 4);
  bytes[second + 2] = bytes[second + 3] = 0xFF;
  ASSERT_TRUE(test::WriteFileBytes(log, bytes));
  const CliResult r = RunCli(dir, {"show", log, "--format", "byteser", "--time", "on"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find(log + ": 1 block(s) could not be read or were damaged"), std::string::npos) << r.err;
  EXPECT_TRUE(IsHeader(Lines(r.out).at(0))) << "the telegrams before the damage are shown";
}

TEST(ShowCommandFails, OnWhatIsNoLog) {
  ScratchDir dir;
  const std::string text = dir.write("notes.txt", "not a log\n");
  const struct {
    std::vector<std::string> args;
    int exit;
    std::string says;
  } cases[] = {
      {{"show", dir.file("missing.lg4")}, 1, dir.file("missing.lg4") + ": "},
      {{"show", text}, 1, text + ": not a telegram log file"},
      {{"show", dir.path()}, 1, dir.path()},
      {{"show", text, "--format", "pretty"}, 2, "--format takes logisch, kompakt, logneu, byteser or export"},
      {{"show", text, "--time", "yes"}, 2, "--time takes on or off"},
      {{"show", text, "--elements", dir.file("none.txt")}, 1, dir.file("none.txt")},
  };
  for (const auto& c : cases) {
    const CliResult r = RunCli(dir, c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args[1] << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace qlxs
