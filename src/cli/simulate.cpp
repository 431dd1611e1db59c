// qlxs-cli simulate: writes the octets of a simulated line to two files.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/options.h"
#include "sim/line_simulator.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli simulate --out1 FILE1 --out2 FILE2 [--seed N] [--apdus M]\n"
    "                         [--split PERCENT] [--vj] [--faults LIST] [--fault-every N]\n"
    "                         [--all-types]\n"
    "\n"
    "Writes the octets of a simulated serial line: a telecontrol station that\n"
    "answers a call, negotiates PPP and talks IEC 60870-5-104 with its control\n"
    "centre. FILE1 receives what the station sends, FILE2 what arrives from the\n"
    "modem. Feed them to 'qlxs-cli feed LOG FILE1 FILE2'.\n"
    "\n"
    "  --seed N          seed of the simulation (default 1); the same seed gives the same octets\n"
    "  --apdus M         APDUs to send after the opening, both directions (default 200)\n"
    "  --split PERCENT   chance that a TCP segment ends inside an APDU (default 10)\n"
    "  --vj              use Van Jacobson TCP/IP header compression (no split APDUs)\n"
    "  --faults LIST     comma-separated faults to inject, or 'all': wrong-length,\n"
    "                    wrong-cause, undefined-type, lost-segment, garbage\n"
    "  --fault-every N   about one fault per N APDUs (default 25)\n"
    "  --all-types       first send every defined type: single objects, several, as many as\n"
    "                    an APDU holds, sequences; every command with its confirmation\n"
    "                    (some negative) and termination; a whole file transfer; some\n"
    "                    with the test bit\n";

int WriteFile(const std::string& path, const sim::Bytes& octets) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "qlxs-cli simulate: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
    return kExitFailure;
  }
  const size_t written = octets.empty() ? 0 : std::fwrite(octets.data(), 1, octets.size(), f);
  const int err = written == octets.size() ? 0 : errno;
  if (std::fclose(f) != 0 || err) {
    std::fprintf(stderr, "qlxs-cli simulate: cannot write %s: %s\n", path.c_str(), std::strerror(err ? err : errno));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

int RunSimulate(int argc, char** argv) {
  sim::SimOptions o;
  std::string out1, out2;
  long seed = o.seed, apdus = o.apdus, split = o.splitPercent, faultEvery = o.faultEvery;
  ArgParser args("simulate", kHelp);
  args.Text("--out1", out1);
  args.Text("--out2", out2);
  args.Number("--seed", 0, 0xFFFFFFFFL, seed, "--seed takes a number from 0 to 4294967295");
  args.Number("--apdus", 0, 10'000'000, apdus, "--apdus takes a number from 0 to 10000000");
  args.Number("--split", 0, 100, split, "--split takes a percentage from 0 to 100");
  args.Number("--fault-every", 1, 1'000'000, faultEvery, "--fault-every takes a number from 1 to 1000000");
  args.Flag("--vj", o.vj);
  args.Flag("--all-types", o.allTypes);
  args.Custom("--faults", [&o](const char* v) {
    return sim::ParseFaults(v, o.faults) ? std::string() : std::string("unknown fault in --faults");
  });
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  if (out1.empty() || out2.empty()) return args.Fail("--out1 and --out2 are required");
  o.seed = static_cast<uint32_t>(seed);
  o.apdus = static_cast<int>(apdus);
  o.splitPercent = static_cast<int>(split);
  o.faultEvery = static_cast<int>(faultEvery);

  const sim::SimResult r = sim::SimulateLine(o);
  if (int rc = WriteFile(out1, r.line[0]); rc != kExitOk) return rc;
  if (int rc = WriteFile(out2, r.line[1]); rc != kExitOk) return rc;

  int formats[4] = {};
  size_t telegrams = 0;
  for (const auto& line : r.expected) {
    telegrams += line.size();
    for (const auto& t : line)
      if (t.hasVid && t.stat != 49 && t.ta >= 1 && t.ta <= 3) ++formats[t.ta];
  }
  std::printf("%s: %zu octets\n%s: %zu octets\n", out1.c_str(), r.line[0].size(), out2.c_str(), r.line[1].size());
  std::printf("APDUs sent %d; expected telegrams %zu, APDUs I %d, S %d, U %d; split %d\n", r.apdusSent, telegrams,
              formats[1], formats[2], formats[3], r.splitApdus);
  std::printf("faults:");
  for (int k = 0; k < sim::kFaultKinds; ++k)
    std::printf(" %s %d", sim::FaultName(static_cast<sim::Fault>(k)), r.faults[k]);
  std::printf("\n");
  return kExitOk;
}

}  // namespace qlxs::cli
