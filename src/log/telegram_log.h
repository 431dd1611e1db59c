#pragma once
/// The telegram log: one file of fixed capacity used as a ring of 32 KiB
/// blocks, the block being written (held in memory), a second read-only
/// handle for walking the stored telegrams, and the online ring.
///
/// Failures never raise: write failures set `AllgVar.logerr`, read failures
/// show message 1203 and go on with an empty block, and the I/O result of
/// every open and close is kept in `AllgVar.lastIoResult`.

#include <cstdint>
#include <memory>
#include <string>

#include "log/log_block.h"
#include "log/log_format.h"
#include "log/online_ring.h"
#include "model/typed_file.h"
#include "platform/background_sync.h"

namespace qlxs {

struct LogState;

/// A ring state of zeros with `lg` 128 and the given capacity: no telegram yet.
T_LogStand EmptyLogStand(int32_t anzbl);

/// A telegram stored this long ago and not yet in the file is written by
/// the next checkpoint. Half a second, so that with the 54 ms timer tick
/// nothing stays only in memory for as long as a second.
inline constexpr uint32_t kCheckpointAfterMs = 500;
/// The file's data is flushed to the device at most this often while
/// telegrams arrive, so a power cut loses at most about this much.
inline constexpr uint32_t kSyncEveryMs = 5000;

/// A log object: the telegram log, or an extract written by the print
/// function. Bound to a file name; an object with an empty name keeps its
/// records in memory only and never touches a file.
///
/// The file always describes itself: at every block change and at every
/// checkpoint the block is written first and the ring state in the header
/// after it, so a process that dies leaves a log whose header names only
/// data that is on disk, at most one checkpoint behind.
struct LogFile {
  std::string name;                         ///< file the object is bound to
  TypedFile file;                           ///< writer handle (read and write), locked while open
  T_LogStand stand = EmptyLogStand(1);      ///< ring state, the image of the second header part
  LogBlock block{};                         ///< write block: the image of block `aktbl`
  int32_t readFailures = 0;                 ///< blocks that could not be read, or were damaged, since open
  int32_t recovered = 0;                    ///< telegrams the last open found beyond the header's ring state

  /// The store takes the checkpoints itself, by the monotonic clock, for
  /// writers without a timer (feeding files, re-analysis, extracts). When
  /// clear, the timer tick calls `LogCheckpointIfDue`.
  bool autoCheckpoint = false;
  bool unsaved = false;                     ///< telegrams were stored since the last checkpoint
  uint32_t unsavedSince = 0;                ///< when the first of them was stored (ms)
  uint32_t lastSync = 0;                    ///< when the last flush to the device was asked for (ms)
  bool syncedOnce = false;                  ///< `lastSync` holds a time
  std::unique_ptr<BackgroundSync> sync;     ///< flushes off the capture thread; made on first use
};

/// The reader: a second handle on the log file that only ever reads. It
/// stands on one record of one block; the newest block is served from the
/// write block in memory, never from the file.
struct LogReader {
  bool open = false;                 ///< the log view (or print) has the reader open
  TypedFile file;                    ///< read-only handle on `AllgVar.dtlog`
  LogBlock block{};                  ///< image of the block the reader stands in
  int32_t blk = 0;                   ///< index of that block
  int32_t pos = kFirstRecord;        ///< block offset of the record it stands on
  int32_t newest = 0;                ///< newest block index the reader knows of
  int32_t count = 0;                 ///< telegrams in the log, letztnr - erstnr + 1
};

/// The telegram log of a running monitor: the log object, its reader and the online ring.
struct TelegramLog : LogFile {
  LogReader reader;
  OnlineRing ring;
};

/// Why a file is or is not a usable telegram log.
enum class LogCheck {
  Valid,
  Missing,        ///< no file of that name
  CannotOpen,     ///< the file exists but cannot be opened
  NotRegular,     ///< a directory, device or pipe
  CannotRead,     ///< reading the header failed
  TooShort,       ///< the file ends inside the 2144 header bytes
  WrongMagic,     ///< the first word is not 0x57000402
  WrongLength,    ///< the first header part is not 2016 bytes long, or the second not 128
  BadRingState,   ///< capacity or block indexes outside the ring
  Locked,         ///< another process is writing the log
};

/// A short English reason for a check result, for messages.
std::string LogCheckText(LogCheck c, int io);

/// Makes a new empty log in object x: header with the current settings, a
/// ring of zero telegrams with the capacity of `AllgPar.maxlog`, an empty
/// write block. Creates or truncates x's file and writes the 2144 header
/// bytes, then keeps it open for reading and writing.
void LogCreate(LogState& m, LogFile& x);

/// Makes `name` the telegram log. A valid log is taken over with its ring
/// state, newest block and the settings stored in its header (both filters
/// arrive switched off); the caller then brings what is derived from the
/// general parameters in line with them. With `checkAge` a
/// log whose oldest telegram is more than a day from today starts afresh.
/// A log whose blocks hold telegrams beyond its header's ring state (left by
/// a process that died before it could write the header) is repaired from
/// the blocks: every block that continues the numbering is taken over, the
/// header is brought up to date and message 1700 says how many telegrams
/// were recovered. The log is held with an exclusive lock while it is the
/// telegram log; a log another process is writing is reported (message
/// 1701) and left alone, and the log then goes on in memory only (`logerr`).
/// A missing file becomes a new empty log. A regular file that is not a log
/// is reported (message 1201), kept as "<name>.bad" (".bad.1", ".bad.2" ...
/// when that name is taken) and replaced by a new empty log. A valid log
/// that cannot be opened for writing is opened for reading: it can be
/// viewed, and the first write sets `logerr`. Anything else that is not a
/// regular file is reported and left alone; the log is then not written
/// (`logerr`).
void LogOpen(LogState& m, const std::string& name, bool checkAge);

/// Opens `name` as the telegram log for reading only: the same take-over as
/// `LogOpen`, but nothing is ever created, replaced, repaired on disk or
/// written, and no lock is taken: a log that another process is writing is
/// read as it stands. Telegrams beyond the header's ring state are found in
/// the blocks as `LogOpen` finds them, in memory only. For tools
/// that only read a log. Returns `Valid` on success; `io` gets the I/O result.
LogCheck LogOpenForReading(LogState& m, const std::string& name, int* io = nullptr);

/// Opens the file that log object x is bound to (`x.name`) for reading only
/// and checks it as `LogOpen` does: the magic number, the lengths of both
/// header parts and a ring state inside its capacity. On `Valid` the file
/// stays open, x's state is the file's ring state (with the telegrams found
/// beyond it in the blocks, as `LogOpenForReading` finds them) and its write
/// block is empty; the settings in the header are not taken over and nothing is ever
/// written. Otherwise the file is closed. `io` gets the I/O result.
LogCheck LogOpenObjectForReading(LogState& m, LogFile& x, int* io = nullptr);

/// Reads block i of log object x through `f` (x's own handle or a reader's)
/// into `b` and makes it safe to walk (`AdoptBlock`). Damaged records are
/// dropped and the rest kept; of a block the file ends inside, the records
/// that lie wholly in the file are kept. A block that cannot be read gives an empty
/// image and false; a block beyond the end of a log that holds no telegram
/// yet is simply empty. Failures and damage are reported with message 1203,
/// once per opening of x.
bool LogReadBlock(LogState& m, LogFile& x, TypedFile& f, int32_t i, LogBlock& b);

/// The millisecond time that x's checkpoints are measured in: the monotonic
/// clock for an object that takes its checkpoints itself, else the
/// monitor's tick.
uint32_t LogNowMs(LogState& m, const LogFile& x);

/// Writes x's write block (as it is, header included) at its place, then
/// the ring state `s` with `belbl` computed from it. False, with `logerr`
/// set, when the block could not be written: the ring state is then not
/// written, so the header never names records that are not on disk.
bool LogWriteBlockThenStand(LogState& m, LogFile& x, T_LogStand s);

/// Brings x's file up to date with what is stored: writes the write block,
/// then the ring state of the header (data first, so the header never names
/// records that are not on disk), and asks for a flush to the device when
/// the last one is `kSyncEveryMs` ago. A failed write sets `logerr`.
void LogCheckpoint(LogState& m, LogFile& x);

/// Takes a checkpoint when a telegram stored at least `kCheckpointAfterMs`
/// before `nowMs` has not reached the file yet. Called from the timer tick
/// and, for objects with `autoCheckpoint`, by the store.
void LogCheckpointIfDue(LogState& m, LogFile& x, uint32_t nowMs);

/// Starts a new log under `name` (daily rotation): clears `logerr`, binds the
/// telegram log to the name and `LogCreate`.
void LogNew(LogState& m, const std::string& name);

/// Writes block `aktbl` with its header, brings `belbl` up to date, writes
/// both header parts with the current settings, and closes x's file.
void LogWriteBack(LogState& m, LogFile& x);

/// When something was stored or the log was named explicitly: write back,
/// keeping the file open (and locked) for further writing, and flush it to
/// the device. Used when going off line.
void LogFlush(LogState& m);

/// Closes the reader, then writes the log back when something was stored,
/// it was named explicitly or it is the automatic log; otherwise just closes it.
void LogClose(LogState& m);

/// Deletes the log: closes the reader, creates the log anew under the same
/// name with the current maximum size, clears the online ring and opens the
/// reader at the end of the (empty) log. The caller lets the log view show
/// the end of the log.
void LogReset(LogState& m);

}  // namespace qlxs
