#pragma once
/// The in-memory image of one 32 KiB log block with the position of its last
/// record, and the rules that keep a walk through its records inside it.

#include <cstdint>
#include <cstring>

#include "log/log_format.h"
#include "model/telegram.h"

namespace qlxs {

/// One block image. `last` is the block offset of the last record; in a block
/// without records it is 64, where the record length `lga` reads 0.
struct LogBlock {
  uint8_t bytes[kLogBlockSize];
  int32_t last = kFirstRecord;
};

/// Record header fields at a block offset (the record's first 28 bytes).
inline uint16_t RecordLgv(const LogBlock& b, int32_t pos) {
  uint16_t v;
  std::memcpy(&v, b.bytes + pos + offsetof(T_Telegramm, lgv), 2);
  return v;
}
inline uint16_t RecordLga(const LogBlock& b, int32_t pos) {
  uint16_t v;
  std::memcpy(&v, b.bytes + pos + offsetof(T_Telegramm, lga), 2);
  return v;
}

inline int32_t RecordNr(const LogBlock& b, int32_t pos) {
  int32_t v;
  std::memcpy(&v, b.bytes + pos + offsetof(T_Telegramm, nr), 4);
  return v;
}
inline double RecordDt(const LogBlock& b, int32_t pos) {
  double v;
  std::memcpy(&v, b.bytes + pos + offsetof(T_Telegramm, dt), 8);
  return v;
}

/// Clears the block to zeros: no records.
void ClearBlock(LogBlock& b);

/// The block header as stored in the image.
T_BlockKopf BlockKopfOf(const LogBlock& b);

/// Fills the block header from the last record: `letztnr`, `letztdt`,
/// `anzte` and `letzt`. A block without records gets a header of zeros
/// except the first number and time it may already carry.
void FinishBlockKopf(LogBlock& b);

/// Makes an image read from a file safe to walk. The records from offset 64
/// are followed while each one is well formed: 28 <= `lga` = 28 + `lg`
/// rounded up to even, 0 <= `lg` <= 1520, `lgv` = the previous record's
/// `lga` (0 for the first) and the record ends inside the record area and
/// within the first `valid` bytes, those that could be read (a file that
/// ends inside the block). The first record that breaks a rule ends the
/// chain. The last record is the one `letzt` names when it lies on the
/// chain, else the end of the chain; every byte after it is cleared.
/// Returns false when records had to be dropped.
bool AdoptBlock(LogBlock& b, int32_t valid = kLogBlockSize);

/// True when `pos` is the start of one of the block's records (64 .. last).
bool IsRecordStart(const LogBlock& b, int32_t pos);

/// Copies the record at `pos` into `out`: its `lga` bytes, the rest zero.
/// An empty position (lga 0) gives a telegram of zeros.
void CopyRecord(const LogBlock& b, int32_t pos, T_Telegramm& out);

}  // namespace qlxs
