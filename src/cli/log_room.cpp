#include "cli/log_room.h"

#include <cstdio>

namespace qlxs::cli {

std::string Megabytes(int64_t octets) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(octets) / 1e6);
  return text;
}

std::string SizeAdvice(int64_t blocks) {
  if (blocks > LogCapacityBlocks(kMaxLogSize))
    return "Even the largest log (--size " + std::to_string(kMaxLogSize) + ") cannot hold them all.";
  int32_t size = 1;
  while (LogCapacityBlocks(size) < blocks) ++size;
  return "Use --size " + std::to_string(size) + " to keep them all.";
}

std::string ReportOverwrite(const char* command, const std::string& log, const T_LogStand& s,
                            const StoreTally& tally) {
  if (s.letztnr <= 0 || s.erstnr <= 1) return {};
  const int64_t overwritten = int64_t{s.erstnr} - 1;
  const int64_t kept = int64_t{s.letztnr} - s.erstnr + 1;
  std::fprintf(stderr,
               "qlxs-cli %s: %s: the ring of %d blocks (%s) was full; the oldest %lld telegrams were overwritten "
               "and %s keeps the newest %lld. %s\n",
               command, log.c_str(), s.anzbl, Megabytes(int64_t{s.anzbl} * kLogBlockSize).c_str(),
               static_cast<long long>(overwritten), log.c_str(), static_cast<long long>(kept),
               SizeAdvice(tally.blocks).c_str());
  return "; the ring overwrote the oldest " + std::to_string(overwritten) + ", " + log + " keeps the newest " +
         std::to_string(kept);
}

}  // namespace qlxs::cli
