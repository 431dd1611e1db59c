#pragma once
/// The room of a new telegram log: how much its ring of blocks holds, which
/// --size an input needs, and what the ring overwrote once it was full.
/// Shared by the commands that fill a new log from an input (feed, replay).

#include <cstdint>
#include <string>

#include "log/log_format.h"
#include "model/telegram.h"

namespace qlxs::cli {

/// Octets of records that one block holds.
inline constexpr int64_t kRecordRoomPerBlock = kRecordAreaEnd - kFirstRecord;

/// Octets of records that a ring of `blocks` blocks holds.
constexpr int64_t RecordRoom(int64_t blocks) { return blocks * kRecordRoomPerBlock; }

/// Blocks needed to hold `octets` octets of records.
constexpr int64_t BlocksFor(int64_t octets) { return (octets + kRecordRoomPerBlock - 1) / kRecordRoomPerBlock; }

/// An amount of octets as megabytes for messages, such as "102.3 MB".
std::string Megabytes(int64_t octets);

/// The advice that ends a warning: "Use --size S to keep them all." with the
/// smallest maximum log size whose ring has at least `blocks` blocks, or a
/// note that even the largest log is too small.
std::string SizeAdvice(int64_t blocks);

/// Counts the telegrams stored in a new log and the blocks they fill, placed
/// as the store places them, so that the room a log needs to keep them all is
/// known even when its ring overwrote some. Fed from `Monitor::onStored`.
struct StoreTally {
  int32_t telegrams = 0;  ///< telegrams stored
  int64_t blocks = 0;     ///< blocks they fill
  int32_t fill = 0;       ///< octets of records in the last of them

  void Add(const T_Telegramm& t) {
    ++telegrams;
    if (blocks == 0 || fill + t.lga > kRecordRoomPerBlock) {
      ++blocks;
      fill = 0;
    }
    fill += t.lga;
  }
};

/// Watches the ring of a log being written for blocks it overwrites: each
/// time its oldest block moves on, one block of the oldest telegrams is gone.
struct OverwriteWatch {
  int32_t erstbl = 0;        ///< oldest block when last looked at
  int64_t overwritten = 0;   ///< blocks overwritten since the watch began
  int64_t nextReport = 1;    ///< overwritten blocks at which the next report is due

  explicit OverwriteWatch(const T_LogStand& s) : erstbl(s.erstbl) {}

  /// Brings the count up to date with ring state `s`. True when a report is
  /// due: at the first overwritten block, then each time a further ring's
  /// worth (`anzbl` blocks) has been overwritten.
  bool Update(const T_LogStand& s) {
    if (s.erstbl == erstbl || s.anzbl <= 0) return false;
    overwritten += ((s.erstbl - erstbl) % s.anzbl + s.anzbl) % s.anzbl;
    erstbl = s.erstbl;
    if (overwritten < nextReport) return false;
    while (nextReport <= overwritten) nextReport += s.anzbl;
    return true;
  }
};

/// For a new log whose numbers started at 1, with ring state `s` after the
/// last telegram was stored and `tally` of everything stored: when the ring
/// overwrote its oldest telegrams, writes a warning on standard error
/// ("qlxs-cli COMMAND: LOG: ...") that names the --size that keeps them all,
/// and returns the words for the summary line ("; the ring overwrote the
/// oldest X, LOG keeps the newest Y"). Otherwise returns an empty string.
std::string ReportOverwrite(const char* command, const std::string& log, const T_LogStand& s,
                            const StoreTally& tally);

}  // namespace qlxs::cli
