#pragma once
/// Subcommands of qlxs-cli. Each takes the arguments after its name and
/// returns the process exit code: 0 success, 1 bad input or I/O failure,
/// 2 usage error.

#include <string_view>

namespace qlxs::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Command {
  std::string_view name;
  std::string_view summary;
  int (*run)(int argc, char** argv);
};

/// `capture --log LOG [--device1 DEV] ...`: live capture from serial ports.
int RunCapture(int argc, char** argv);

/// `feed LOG FILE1 [FILE2]`: raw line octets through the receivers into a new log.
int RunFeed(int argc, char** argv);

/// `records LOG`: one tab-separated line per stored record, oldest first.
int RunRecords(int argc, char** argv);
/// `export LOG OUT [options]`: a log into a text file, as printing does.
int RunExport(int argc, char** argv);
/// `extract LOG OUT.lg4 [--filter FILE] [--size MB]`: the admitted telegrams into a new log.
int RunExtract(int argc, char** argv);
/// `pcap LOG OUT.pcapng [--filter FILE]`: a log as a pcapng packet file.
int RunPcap(int argc, char** argv);
/// `show LOG [options]`: the telegrams of a log as text.
int RunShow(int argc, char** argv);
/// `replay IN LOG`: the raw frames of a telegram log through the receivers into a new log.
int RunReplay(int argc, char** argv);

/// qlxs-cli simulate: writes the octets of a simulated line to two files.
int RunSimulate(int argc, char** argv);

}  // namespace qlxs::cli
