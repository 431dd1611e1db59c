// qlxs-cli pcap on simulated logs, read back by tshark where it is installed
// (scripts/setup installs it): every frame decodes without a warning, the
// IEC 104 dissector finds the APDUs of the log, the verdicts and events are
// comments; and how the command fails.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/filter_file.h"
#include "log/log_format.h"
#include "model/telegram.h"
#include "pcap/telegram_packets.h"
#include "support/files.h"
#include "support/pcapng_reader.h"
#include "support/records_listing.h"
#include "support/run_cli.h"
#include "support/scratch_dir.h"
#include "support/tshark.h"

namespace qlxs {
namespace {

using test::CliResult;
using test::RunCli;
using test::ScratchDir;

constexpr char kNoTshark[] = "tshark is not installed (scripts/setup installs it)";

// A simulated line fed into a log, its records and its pcapng.
struct SimulatedLog {
  SimulatedLog(const std::vector<std::string>& simulateOptions) {
    EXPECT_TRUE(test::MakeSimulatedLog(dir, log, simulateOptions));
    const CliResult listed = RunCli(dir, {"records", log});
    EXPECT_EQ(listed.exit, 0) << listed.err;
    records = test::ParseRecordsListing(listed.out);
  }
  // Writes the pcapng with `options` after LOG and OUT.
  CliResult Export(const std::vector<std::string>& options = {}) const {
    std::vector<std::string> args = {"pcap", log, pcapng, "--lang", "usa"};
    args.insert(args.end(), options.begin(), options.end());
    return RunCli(dir, args);
  }
  std::vector<test::PcapngBlock> Packets() const {
    std::string error;
    std::vector<test::PcapngBlock> packets;
    for (test::PcapngBlock& b : test::ReadPcapng(test::ReadFile(pcapng), error))
      if (b.type == 6) packets.push_back(std::move(b));
    EXPECT_EQ(error, "");
    return packets;
  }

  ScratchDir dir;
  const std::string log = dir.file("x.lg4");
  const std::string pcapng = dir.file("x.pcapng");
  std::vector<T_Telegramm> records;
};

size_t Count(const std::vector<T_Telegramm>& records, PacketKind kind) {
  size_t n = 0;
  for (const T_Telegramm& t : records) n += PacketKindOf(t) == kind;
  return n;
}

TEST(PcapCli, WiresharkDecodesEveryFrameAndFindsTheApdusOfTheLog) {
  SimulatedLog s({"--apdus", "150", "--seed", "5", "--split", "20"});
  const CliResult r = s.Export();
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, std::to_string(s.Packets().size()) + " packets written to " + s.pcapng + "\n");
  EXPECT_EQ(s.Packets().size(), Count(s.records, PacketKind::Frame) + Count(s.records, PacketKind::Event));
  if (!test::TsharkAvailable()) GTEST_SKIP() << kNoTshark;

  // Every frame as PPP with LCP, IPCP or IPv4 and TCP; with the checksums
  // checked, tshark finds nothing to warn of.
  int exit = 0;
  const std::string protocols = test::RunTshark(
      {"-r", s.pcapng, "-o", "tcp.analyze_sequence_numbers:FALSE", "-T", "fields", "-e", "frame.interface_id", "-e",
       "frame.protocols"},
      exit);
  ASSERT_EQ(exit, 0);
  int frames = 0, tcp = 0, lcp = 0, ipcp = 0, iec104 = 0;
  for (const std::string& line : test::SplitOn(protocols, '\n')) {
    const std::vector<std::string> f = test::SplitOn(line, '\t');
    ASSERT_EQ(f.size(), 2u) << line;
    if (f[0] == "2") {
      EXPECT_EQ(f[1], "exported_pdu:syslog");
      continue;
    }
    ++frames;
    const bool known = f[1] == "ppp:lcp" || f[1] == "ppp:ipcp" || f[1].rfind("ppp:ip:tcp", 0) == 0;
    EXPECT_TRUE(known) << line;
    lcp += f[1] == "ppp:lcp";
    ipcp += f[1] == "ppp:ipcp";
    tcp += f[1].rfind("ppp:ip:tcp", 0) == 0;
    iec104 += f[1].find("iec60870_104") != std::string::npos;
  }
  EXPECT_EQ(static_cast<size_t>(frames), Count(s.records, PacketKind::Frame));
  EXPECT_GT(lcp, 0);
  EXPECT_GT(ipcp, 0);
  EXPECT_GT(iec104, 100);
  const std::string expert =
      test::RunTshark({"-r", s.pcapng, "-q", "-o", "tcp.analyze_sequence_numbers:FALSE", "-o",
                       "ip.check_checksum:TRUE", "-o", "tcp.check_checksum:TRUE", "-z", "expert"},
                      exit);
  EXPECT_EQ(exit, 0);
  EXPECT_EQ(expert.find("Errors ("), std::string::npos) << expert;
  EXPECT_EQ(expert.find("Warns ("), std::string::npos) << expert;
  EXPECT_EQ(expert.find("alformed"), std::string::npos) << expert;

  // APDU for APDU, per port: format, sequence numbers, type identification.
  for (int port = 0; port < 2; ++port) {
    const std::vector<std::string> logged = test::LoggedApdus(s.records, port == 0 ? kReceiverPort1 : kReceiverPort2);
    EXPECT_GT(logged.size(), 20u);
    EXPECT_EQ(test::DissectedApdus(s.pcapng, port), logged) << "port " << port + 1;
  }
}

TEST(PcapCli, FaultyFramesAndApdusAndEveryEventAreCommentsWiresharkShows) {
  SimulatedLog s({"--apdus", "120", "--seed", "9", "--faults", "all", "--fault-every", "6"});
  ASSERT_EQ(s.Export().exit, 0);
  if (!test::TsharkAvailable()) GTEST_SKIP() << kNoTshark;
  int exit = 0;
  const std::string listing =
      test::RunTshark({"-r", s.pcapng, "-T", "fields", "-e", "frame.interface_id", "-e", "frame.comment", "-e",
                       "syslog.msg"},
                      exit);
  ASSERT_EQ(exit, 0);
  size_t verdicts = 0, events = 0;
  for (const std::string& line : test::SplitOn(listing, '\n')) {
    std::vector<std::string> f = test::SplitOn(line, '\t');
    f.resize(3);
    if (f[0] == "2") {
      ++events;
      EXPECT_FALSE(f[2].empty()) << line;
      EXPECT_EQ(f[1], f[2]) << "an event's text is its comment";
    } else if (!f[1].empty()) {
      verdicts += test::SplitOn(f[1], ';').size();
    }
  }
  // Every faulty telegram that is no event: a raw frame or an APDU.
  size_t faulty = 0;
  for (const T_Telegramm& t : s.records)
    faulty += IsFaultyStatus(t.stat) && PacketKindOf(t) != PacketKind::Event;
  EXPECT_GT(faulty, 3u);
  EXPECT_EQ(verdicts, faulty);
  EXPECT_EQ(events, Count(s.records, PacketKind::Event));
  EXPECT_NE(listing.find("P2 Rx  CONNECT 9600"), std::string::npos) << "the modem dialogue";
  EXPECT_NE(listing.find("cause not permitted for the type"), std::string::npos);
}

TEST(PcapCli, AFilterKeepsTheFramesOfWhatItAdmits) {
  SimulatedLog s({"--apdus", "80", "--seed", "4", "--faults", "wrong-cause,wrong-length", "--fault-every", "5"});
  ASSERT_EQ(s.Export().exit, 0);
  size_t commented = 0;
  for (const test::PcapngBlock& p : s.Packets())
    commented += p.interfaceId != kPcapEventInterface && !p.Option(kOptComment).empty();
  ASSERT_GT(commented, 2u);

  T_Filter faultyOnly{};
  faultyOnly.ffehl = 1;
  std::string why;
  const std::string filter = s.dir.file("faulty.flt");
  ASSERT_TRUE(WriteFilterFile(filter, faultyOnly, why)) << why;
  const CliResult r = s.Export({"--filter", filter});
  ASSERT_EQ(r.exit, 0) << r.err;
  size_t frames = 0;
  for (const test::PcapngBlock& p : s.Packets()) {
    if (p.interfaceId == kPcapEventInterface) continue;
    ++frames;
    EXPECT_FALSE(p.Option(kOptComment).empty()) << "only frames with a faulty APDU pass";
  }
  EXPECT_EQ(frames, commented);
}

TEST(PcapCli, ADamagedBlockExportsWhatCanBeRead) {
  SimulatedLog s({"--apdus", "400", "--seed", "2"});
  std::vector<uint8_t> bytes = test::ReadFileBytes(s.log);
  ASSERT_GT(bytes.size(), static_cast<size_t>(BlockFileOffset(2))) << "the log has several blocks";
  // The length of the second record of the first block, made impossible.
  const size_t first = kLogHeaderSize + kFirstRecord;
  const size_t second = first + (bytes.at(first + 2) | bytes.at(first + 3) << 8);
  bytes[second + 2] = bytes[second + 3] = 0xFF;
  ASSERT_TRUE(test::WriteFileBytes(s.log, bytes));
  const CliResult r = s.Export();
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find(s.log + ": 1 block(s) could not be read or were damaged"), std::string::npos) << r.err;
  const size_t all = Count(s.records, PacketKind::Frame) + Count(s.records, PacketKind::Event);
  const size_t got = s.Packets().size();
  EXPECT_GT(got, all / 2) << "the blocks after the damaged one are exported";
  EXPECT_LT(got, all);
}

TEST(PcapCli, FailsClearlyOnBadArgumentsAndOutputs) {
  SimulatedLog s({"--apdus", "10"});
  const std::string text = s.dir.write("notes.txt", "not a log\n");
  const struct {
    std::vector<std::string> args;
    int exit;
    std::string says;
  } cases[] = {
      {{"pcap", s.log}, 2, "expected LOG and OUT.pcapng"},
      {{"pcap", s.log, s.log}, 2, "LOG and OUT.pcapng are the same file"},
      {{"pcap", s.log, s.dir.file("no/such/x.pcapng")}, 1, s.dir.file("no/such/x.pcapng") + ": cannot create"},
      {{"pcap", s.log, "/dev/full"}, 1, "/dev/full: cannot write: No space left on device"},
      {{"pcap", text, s.pcapng}, 1, text + ": not a telegram log file"},
      {{"pcap", s.log, s.pcapng, "--filter", text}, 1, text},
      {{"pcap", s.log, s.pcapng, "--lang", "fr"}, 2, "--lang takes ger or usa"},
  };
  for (const auto& c : cases) {
    const CliResult r = RunCli(s.dir, c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args.back() << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace qlxs
