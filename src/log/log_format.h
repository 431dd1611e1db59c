#pragma once
/// The telegram log file format: a 2016-byte header with the settings, the
/// 128-byte ring state, then up to `anzbl` blocks of 32 KiB that hold the
/// records. All integers little-endian; every position is a byte offset.

#include <cstddef>
#include <cstdint>

#include "config/allg_par.h"
#include "config/prg_par.h"
#include "model/port_params.h"

namespace qlxs {

/// Magic number of a log file (bytes 02 04 00 57), shared with the settings file.
inline constexpr uint32_t kLogMagic = kFileMagic;

/// Sizes of the two header parts, of a block and of a block header.
inline constexpr int kLogKopfSize = 2016;
inline constexpr int kLogStandSize = 128;
inline constexpr int kLogHeaderSize = kLogKopfSize + kLogStandSize;  ///< 2144: a new log file
inline constexpr int kLogBlockSize = 32768;
inline constexpr int kBlockKopfSize = 64;

/// Block offset of the first record.
inline constexpr int kFirstRecord = kBlockKopfSize;
/// A record must end at or before this block offset; the last two bytes of a
/// block are never used because all lengths and offsets are even.
inline constexpr int kRecordAreaEnd = kLogBlockSize - 1;

/// Largest maximum log size the settings accept, and the ring it gives.
inline constexpr int32_t kMaxLogSize = 2000;
inline constexpr int32_t kMaxLogBlocks = (kMaxLogSize * 1024000 + 32768) / 32768;  // 62501

#pragma pack(push, 1)

/// The first header part: magic, lengths and the settings in force when it was written.
struct T_LogKopf {
  uint32_t kenn;       ///< magic number 0x57000402
  int32_t dlg;         ///< expected file length, 2144 + 32768 * belbl; informative only
  int32_t lg;          ///< 2016, the length of this part
  int32_t res;         ///< reserved, 0
  T_AllgPar ap;        ///< general parameters; both filter-on bytes always 0 here
  T_BetriebsPar bp1;   ///< first port's parameters
  T_BetriebsPar bp2;   ///< second port's parameters
};
static_assert(sizeof(T_LogKopf) == kLogKopfSize);
static_assert(offsetof(T_LogKopf, dlg) == 4);
static_assert(offsetof(T_LogKopf, lg) == 8);
static_assert(offsetof(T_LogKopf, res) == 12);
static_assert(offsetof(T_LogKopf, ap) == 16);
static_assert(offsetof(T_LogKopf, bp1) == 1016);
static_assert(offsetof(T_LogKopf, bp2) == 1516);

/// The second header part: the state of the ring of blocks. The same 128 bytes are the
/// in-memory state of an open log.
struct T_LogStand {
  int32_t lg;          ///< 128
  int32_t anzbl;       ///< capacity in blocks, fixed when the file is created
  int32_t erstbl;      ///< index of the oldest block
  int32_t aktbl;       ///< index of the block being written
  int32_t belbl;       ///< blocks in use; brought up to date at each write-back
  int32_t erstnr;      ///< number of the oldest telegram
  int32_t letztnr;     ///< number of the newest telegram
  double erstdt;       ///< time stamp of the oldest telegram
  double letztdt;      ///< time stamp of the newest telegram
  uint8_t res1[4];     ///< reserved, 0
  int32_t ueberl;      ///< overwrite counter for the log view
  uint8_t res2[76];    ///< reserved, 0
};
static_assert(sizeof(T_LogStand) == kLogStandSize);
static_assert(offsetof(T_LogStand, anzbl) == 4);
static_assert(offsetof(T_LogStand, erstbl) == 8);
static_assert(offsetof(T_LogStand, aktbl) == 12);
static_assert(offsetof(T_LogStand, belbl) == 16);
static_assert(offsetof(T_LogStand, erstnr) == 20);
static_assert(offsetof(T_LogStand, letztnr) == 24);
static_assert(offsetof(T_LogStand, erstdt) == 28);
static_assert(offsetof(T_LogStand, letztdt) == 36);
static_assert(offsetof(T_LogStand, res1) == 44);
static_assert(offsetof(T_LogStand, ueberl) == 48);
static_assert(offsetof(T_LogStand, res2) == 52);

/// The header of a 32 KiB block.
struct T_BlockKopf {
  uint8_t res0[4];     ///< not interpreted when read; written as 0
  int32_t letzt;       ///< offset of the last record counted from block offset 64
  int32_t erstnr;      ///< number of the first telegram in the block
  int32_t letztnr;     ///< number of the last telegram in the block
  double erstdt;       ///< time stamp of the first telegram
  double letztdt;      ///< time stamp of the last telegram
  int32_t anzte;       ///< letztnr - erstnr + 1
  uint8_t res[28];     ///< zero
};
static_assert(sizeof(T_BlockKopf) == kBlockKopfSize);
static_assert(offsetof(T_BlockKopf, letzt) == 4);
static_assert(offsetof(T_BlockKopf, erstnr) == 8);
static_assert(offsetof(T_BlockKopf, letztnr) == 12);
static_assert(offsetof(T_BlockKopf, erstdt) == 16);
static_assert(offsetof(T_BlockKopf, letztdt) == 24);
static_assert(offsetof(T_BlockKopf, anzte) == 32);
static_assert(offsetof(T_BlockKopf, res) == 36);

#pragma pack(pop)

/// Blocks in use of a ring state: from the oldest to the one being written.
constexpr int32_t BlocksInUse(const T_LogStand& s) { return (s.aktbl - s.erstbl + s.anzbl) % s.anzbl + 1; }

/// The telegram number after `nr` (numbers wrap round without overflow).
constexpr int32_t NextNumber(int32_t nr) { return static_cast<int32_t>(static_cast<uint32_t>(nr) + 1u); }

/// File offset of block i.
constexpr int64_t BlockFileOffset(int32_t i) { return kLogHeaderSize + int64_t{kLogBlockSize} * i; }

/// Ring capacity in blocks for a maximum log size S: (S * 1024000 + 32768)
/// div 32768. S is taken within 0 .. 2000, the range the settings accept, so
/// a header from outside can neither empty the ring nor make it unbounded.
constexpr int32_t LogCapacityBlocks(int32_t maxlog) {
  const int64_t s = maxlog < 0 ? 0 : maxlog > kMaxLogSize ? kMaxLogSize : maxlog;
  return static_cast<int32_t>((s * 1024000 + 32768) / 32768);
}
static_assert(LogCapacityBlocks(100) == 3126);
static_assert(LogCapacityBlocks(1) == 32);
static_assert(LogCapacityBlocks(0) == 1);

}  // namespace qlxs
