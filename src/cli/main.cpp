// qlxs-cli: the headless face of the line monitor.

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "cli/commands.h"
#include "model/version.h"
#include "platform/locale_formats.h"

namespace qlxs::cli {

namespace {

const Command kCommands[] = {
    {"capture", "capture live from serial ports into a telegram log", RunCapture},
    {"export", "write a telegram log into a text file, as printing does", RunExport},
    {"extract", "copy the admitted telegrams of a telegram log into a new log", RunExtract},
    {"feed", "feed raw line octets from files through the receivers into a new log", RunFeed},
    {"pcap", "write a telegram log as a pcapng packet file for Wireshark", RunPcap},
    {"records", "list the records of a telegram log file", RunRecords},
    {"replay", "re-analyse the raw frames of a telegram log into a new log", RunReplay},
    {"show", "print the telegrams of a telegram log as text", RunShow},
    {"simulate", "write the octets of a simulated line to two files", RunSimulate},
};

void Usage(FILE* out) {
  std::fprintf(out,
               "Usage: qlxs-cli COMMAND [ARGS...]\n"
               "Passive line monitor for IEC 60870-5-104 over PPP on serial lines.\n\n"
               "Commands:\n");
  for (const Command& c : kCommands)
    if (c.run) std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                            static_cast<int>(c.summary.size()), c.summary.data());
  std::fprintf(out, "\nRun 'qlxs-cli COMMAND --help' for the arguments of a command.\n");
}

}  // namespace
}  // namespace qlxs::cli

int main(int argc, char** argv) {
  using namespace qlxs::cli;
  // A log write beyond a file size limit must fail with EFBIG and be
  // reported, not kill the process and lose what is still in memory.
  std::signal(SIGXFSZ, SIG_IGN);
  // Dates, times and grouped numbers in the user's formats.
  qlxs::SetLocaleFormats(qlxs::LocaleFormatsFromEnvironment());
  if (argc < 2) {
    Usage(stderr);
    return kExitUsage;
  }
  const std::string_view name = argv[1];
  if (name == "-h" || name == "--help" || name == "help") {
    Usage(stdout);
    return kExitOk;
  }
  if (name == "--version") {
    std::printf("qlxs-cli %s\n", qlxs::ProgramVersion());
    return kExitOk;
  }
  for (const Command& c : kCommands)
    if (c.run && c.name == name) return c.run(argc - 2, argv + 2);
  std::fprintf(stderr, "qlxs-cli: unknown command '%s'\n", argv[1]);
  Usage(stderr);
  return kExitUsage;
}
