#include "log/log_block.h"

#include <algorithm>

namespace qlxs {

namespace {

// The header fields of a record the walk needs, read without assuming alignment.
struct RecordHead {
  uint16_t lgv, lga;
  int16_t lg;
};

RecordHead HeadAt(const LogBlock& b, int32_t pos) {
  RecordHead h;
  std::memcpy(&h.lgv, b.bytes + pos + offsetof(T_Telegramm, lgv), 2);
  std::memcpy(&h.lga, b.bytes + pos + offsetof(T_Telegramm, lga), 2);
  std::memcpy(&h.lg, b.bytes + pos + offsetof(T_Telegramm, lg), 2);
  return h;
}

// A record at `pos` that follows one of length `prevLga` is well formed and
// ends at or before `end`.
bool WellFormed(const LogBlock& b, int32_t pos, uint16_t prevLga, int32_t end) {
  if (pos + kTelegramHeaderSize > end) return false;
  const RecordHead h = HeadAt(b, pos);
  return h.lg >= 0 && h.lg <= kTelegramDataSize && h.lga == RecordLength(h.lg) && h.lgv == prevLga &&
         pos + h.lga <= end;
}

}  // namespace

void ClearBlock(LogBlock& b) {
  std::memset(b.bytes, 0, sizeof b.bytes);
  b.last = kFirstRecord;
}

T_BlockKopf BlockKopfOf(const LogBlock& b) {
  T_BlockKopf k;
  std::memcpy(&k, b.bytes, sizeof k);
  return k;
}

void FinishBlockKopf(LogBlock& b) {
  T_BlockKopf k = BlockKopfOf(b);
  std::memset(k.res0, 0, sizeof k.res0);
  k.letzt = b.last - kFirstRecord;
  if (RecordLga(b, b.last) == 0) {
    k.letztnr = 0;
    k.letztdt = 0;
    k.anzte = 0;
  } else {
    k.letztnr = RecordNr(b, b.last);
    k.letztdt = RecordDt(b, b.last);
    k.anzte = static_cast<int32_t>(static_cast<uint32_t>(k.letztnr) - static_cast<uint32_t>(k.erstnr) + 1u);
  }
  std::memcpy(b.bytes, &k, sizeof k);
}

bool AdoptBlock(LogBlock& b, int32_t valid) {
  // What could not be read is not part of the block.
  valid = std::clamp<int32_t>(valid, 0, kLogBlockSize);
  std::memset(b.bytes + valid, 0, static_cast<size_t>(kLogBlockSize - valid));
  const int32_t limit = std::min(valid, kRecordAreaEnd);
  int32_t letzt;
  std::memcpy(&letzt, b.bytes + offsetof(T_BlockKopf, letzt), 4);
  const int64_t named = int64_t{kFirstRecord} + letzt;

  int32_t pos = kFirstRecord;
  int32_t last = kFirstRecord;
  uint16_t prevLga = 0;
  bool empty = true;
  bool broken = false;
  // Each step moves forward by at least 28 bytes, so the walk ends within the block.
  while (true) {
    if (pos + kTelegramHeaderSize > kRecordAreaEnd) break;
    const uint16_t lga = HeadAt(b, pos).lga;
    if (lga == 0) break;
    if (!WellFormed(b, pos, prevLga, limit)) {
      broken = true;
      break;
    }
    last = pos;
    empty = false;
    if (pos == named) break;  // the writer's last record: what follows is not part of the block
    prevLga = lga;
    pos += lga;
  }
  if (last != named && !(empty && named == kFirstRecord)) broken = true;
  b.last = last;
  const int32_t end = empty ? kFirstRecord : last + RecordLga(b, last);
  std::memset(b.bytes + end, 0, kLogBlockSize - end);
  return !broken;
}

bool IsRecordStart(const LogBlock& b, int32_t pos) {
  for (int32_t p = kFirstRecord; p <= b.last;) {
    if (p == pos) return true;
    const uint16_t lga = RecordLga(b, p);
    if (lga == 0) return false;
    p += lga;
  }
  return false;
}

void CopyRecord(const LogBlock& b, int32_t pos, T_Telegramm& out) {
  ClearTelegram(out);
  if (pos < kFirstRecord || pos + kTelegramHeaderSize > kLogBlockSize) return;
  const uint16_t lga = RecordLga(b, pos);
  if (lga == 0 || lga > sizeof out || pos + lga > kLogBlockSize) return;
  std::memcpy(&out, b.bytes + pos, lga);
}

}  // namespace qlxs
