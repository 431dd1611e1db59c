// qlxs-cli records: the listing of a log, and how it fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "log/store.h"
#include "log/telegram_log.h"
#include "model/date_time.h"
#include "support/log_fixture.h"
#include "support/run_cli.h"

namespace qlxs {
namespace {

using test::CliResult;
using test::ReadFileBytes;
using test::RunCli;
using test::ScratchDir;
using test::TestMonitor;

T_Telegramm Make(uint8_t ek, uint8_t ta, uint8_t stat, uint16_t prot, uint8_t ofs, uint8_t idm, double dt,
                 std::vector<uint8_t> data) {
  T_Telegramm t{};
  t.ek = ek;
  t.ta = ta;
  t.stat = stat;
  t.prot = prot;
  t.ofs = ofs;
  t.idm = idm;
  t.dt = dt;
  t.lg = static_cast<int16_t>(data.size());
  std::memcpy(t.b, data.data(), data.size());
  return t;
}

TEST(RecordsCommand, ListsEveryRecordOldestFirst) {
  ScratchDir dir;
  const std::string log = dir.file("l.lg4");
  {
    TestMonitor tm;
    LogOpen(*tm, log, false);
    const double day = EncodeDate(2025, 3, 5);
    T_Telegramm a = Make(1, TaRaw104, StatOk, 0x0021, 3, 0, day + (14 * 3600 + 7 * 60 + 9.25) / 86400.0,
                         {0x7e, 0xff, 0x03, 0x00});
    T_Telegramm b = Make(3, TaSFormat, StatOk, 0, 0, 12, day + 0.5,
                         {0x68, 0x04, 0x01, 0x00, 0x02, 0x00, 10, 0, 0, 1, 10, 0, 0, 2, 0x09, 0x64, 0xc0, 0x01});
    T_Telegramm c = Make(1, TaRaw, StatTextLine, 0xC021, 0, 0, day + 1, {'A', 'T', '\r'});
    for (T_Telegramm* t : {&a, &b, &c}) StoreTelegram(*tm, *t);
    LogClose(*tm);
  }
  const CliResult r = RunCli(dir, {"records", log});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "nr\tek\tstat\tta\tlg\tidm\tprot\tofs\ttime\tdata\n"
            "1\t1\t40\t5\t4\t0\t0021\t3\t2025-03-05 14:07:09.250\t7eff0300\n"
            "2\t3\t40\t2\t18\t12\t0000\t0\t2025-03-05 12:00:00.000\t680401000200"
            "0a000001" "0a000002" "0964c001\n"
            "3\t1\t55\t0\t3\t0\tc021\t0\t2025-03-06 00:00:00.000\t41540d\n");
}

TEST(RecordsCommand, NumbersAreRelativeToTheOldestKeptRecord) {
  ScratchDir dir;
  const std::string log = dir.file("w.lg4");
  int32_t kept = 0;
  {
    TestMonitor tm;
    tm->AllgPar.maxlog = 0;  // one block: the ring wraps quickly
    LogOpen(*tm, log, false);
    for (int i = 0; i < 100; ++i) {
      T_Telegramm t = test::SampleTelegram(i, 1000);
      StoreTelegram(*tm, t);
    }
    kept = tm->log.stand.letztnr - tm->log.stand.erstnr + 1;
    LogClose(*tm);
  }
  const CliResult r = RunCli(dir, {"records", log});
  ASSERT_EQ(r.exit, 0) << r.err;
  std::vector<std::string> lines;
  for (size_t p = 0, q; (q = r.out.find('\n', p)) != std::string::npos; p = q + 1) lines.push_back(r.out.substr(p, q - p));
  ASSERT_EQ(static_cast<int32_t>(lines.size()), kept + 1);
  EXPECT_EQ(lines[1].substr(0, 2), "1\t");
  EXPECT_EQ(lines.back().substr(0, std::to_string(kept).size() + 1), std::to_string(kept) + "\t");
}

TEST(RecordsCommand, FailuresNameTheFileAndChangeNothing) {
  ScratchDir dir;
  const std::string notLog = dir.file("notes.txt");
  test::WriteFileBytes(notLog, std::vector<uint8_t>(3000, 'x'));
  const std::string damaged = dir.file("cut.lg4");
  {
    TestMonitor tm;
    tm->AllgPar.maxlog = 1;
    LogOpen(*tm, damaged, false);
    for (int i = 0; i < 21 * 3; ++i) {
      T_Telegramm t = test::SampleTelegram(i, kTelegramDataSize);
      StoreTelegram(*tm, t);
    }
    LogClose(*tm);
    auto f = ReadFileBytes(damaged);
    f.resize(static_cast<size_t>(BlockFileOffset(1)));
    test::WriteFileBytes(damaged, f);
  }
  const std::string missing = dir.file("missing.lg4");

  const CliResult m = RunCli(dir, {"records", missing});
  EXPECT_EQ(m.exit, 1);
  EXPECT_NE(m.err.find(missing), std::string::npos) << m.err;
  EXPECT_EQ(m.out, "");
  EXPECT_FALSE(test::FileExists(missing));

  const auto before = ReadFileBytes(notLog);
  const CliResult n = RunCli(dir, {"records", notLog});
  EXPECT_EQ(n.exit, 1);
  EXPECT_NE(n.err.find(notLog), std::string::npos) << n.err;
  EXPECT_NE(n.err.find("not a telegram log"), std::string::npos) << n.err;
  EXPECT_EQ(ReadFileBytes(notLog), before);
  EXPECT_FALSE(test::FileExists(notLog + ".bad"));

  const auto cut = ReadFileBytes(damaged);
  const CliResult d = RunCli(dir, {"records", damaged});
  EXPECT_EQ(d.exit, 1);
  EXPECT_NE(d.err.find(damaged), std::string::npos) << d.err;
  EXPECT_EQ(std::count(d.out.begin(), d.out.end(), '\n'), 1 + 21) << "header and block 0";
  EXPECT_EQ(ReadFileBytes(damaged), cut);
}

TEST(RecordsCommand, UsageAndHelp) {
  ScratchDir dir;
  const struct {
    std::vector<std::string> args;
    int exit;
    const char* inOut;
  } cases[] = {
      {{"records"}, 2, ""},
      {{"records", "a.lg4", "b.lg4"}, 2, ""},
      {{"records", "--all"}, 2, ""},
      {{"records", "--help"}, 0, "Usage: qlxs-cli records LOG"},
      {{"--help"}, 0, "records"},
  };
  for (const auto& c : cases) {
    const CliResult r = RunCli(dir, c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args.back();
    EXPECT_NE(r.out.find(c.inOut), std::string::npos) << c.args.back();
    if (c.exit == 2) {
      EXPECT_NE(r.err.find("Usage"), std::string::npos) << c.args.back();
    }
  }
}

}  // namespace
}  // namespace qlxs
