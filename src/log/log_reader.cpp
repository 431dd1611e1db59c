#include "log/log_reader.h"

#include <sys/stat.h>

#include "log/log_messages.h"
#include "log/log_state.h"
#include "log/telegram_log.h"

namespace qlxs {

namespace {

// Before a step: a position outside the records of the read block (set
// from outside or left over from another content) is taken as its last record.
void KeepInside(LogReader& r) {
  if (r.pos < kFirstRecord || r.pos > r.block.last) r.pos = r.block.last;
}

}  // namespace

void ReaderOpen(LogState& m) {
  TelegramLog& log = m.log;
  LogReader& r = log.reader;
  if (r.open) return;
  r.open = true;
  int io = 0;
  if (!log.name.empty()) {
    struct stat st;
    if (::stat(log.name.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
      io = kIoNotOpen;
    else
      io = r.file.OpenRead(log.name, 1);
    m.AllgVar.lastIoResult = io;
  }
  r.newest = log.stand.aktbl;
  if (io != 0) {
    ShowLogError(m, kMsgLogReadFailed, log.name, IoResultText(io));
    ClearBlock(r.block);
    r.blk = log.stand.aktbl;
    r.pos = kFirstRecord;
    return;
  }
  ReaderSeek(m, log.stand.aktbl, true);
}

void ReaderClose(LogState& m) {
  LogReader& r = m.log.reader;
  r.open = false;
  m.AllgVar.lastIoResult = r.file.Close();
}

void ReaderLoad(LogState& m, int32_t i) {
  TelegramLog& log = m.log;
  LogReader& r = log.reader;
  if (i == log.stand.aktbl) {
    r.block = log.block;
    return;
  }
  if (i < 0 || i >= log.stand.anzbl || log.name.empty()) {
    ClearBlock(r.block);
    return;
  }
  LogReadBlock(m, log, r.file, i, r.block);
}

void ReaderSeek(LogState& m, int32_t i, bool atLast) {
  TelegramLog& log = m.log;
  LogReader& r = log.reader;
  r.count = static_cast<int32_t>(static_cast<uint32_t>(log.stand.letztnr) - static_cast<uint32_t>(log.stand.erstnr) + 1u);
  r.blk = i;
  ReaderLoad(m, i);
  r.pos = atLast ? r.block.last : kFirstRecord;
}

bool ReaderBack(LogState& m) {
  const T_LogStand& s = m.log.stand;
  LogReader& r = m.log.reader;
  KeepInside(r);
  if (r.pos == kFirstRecord) {
    if (r.blk == s.erstbl) return false;
    ReaderSeek(m, (r.blk - 1 + s.anzbl) % s.anzbl, true);
    return true;
  }
  const uint16_t lgv = RecordLgv(r.block, r.pos);
  if (lgv == 0 || r.pos - lgv < kFirstRecord) return false;
  r.pos -= lgv;
  return true;
}

bool ReaderNext(LogState& m) {
  const T_LogStand& s = m.log.stand;
  LogReader& r = m.log.reader;
  KeepInside(r);
  auto forward = [&r] {
    const uint16_t lga = RecordLga(r.block, r.pos);
    r.pos += lga;
    KeepInside(r);
    return lga > 0;
  };
  if (r.pos != r.block.last) return forward();
  if (r.blk != r.newest) {
    ReaderSeek(m, (r.blk + 1) % s.anzbl, false);
    return true;
  }
  // End of the newest block the reader knows: records may have been appended since.
  // Standing on the empty start of an empty block, the first record to
  // arrive lands under the reader: that counts as moving onto it.
  const int32_t pos = r.pos;
  const bool wasEmpty = RecordLga(r.block, pos) == 0;
  ReaderLoad(m, r.blk);
  r.pos = IsRecordStart(r.block, pos) ? pos : r.block.last;
  if (wasEmpty && r.pos == pos && RecordLga(r.block, pos) != 0) return true;
  if (r.pos != r.block.last) return forward();
  if (s.aktbl == r.newest) return false;
  r.newest = s.aktbl;
  ReaderSeek(m, (r.blk + 1) % s.anzbl, false);
  return true;
}

void ReaderReturn(LogState& m, int32_t block, int32_t pos) {
  LogReader& r = m.log.reader;
  if (r.blk != block) {
    r.blk = block;
    ReaderLoad(m, block);
  }
  r.pos = IsRecordStart(r.block, pos) ? pos : r.block.last;
}

void ReaderRecord(const LogState& m, T_Telegramm& out) {
  const LogReader& r = m.log.reader;
  CopyRecord(r.block, r.pos, out);
}

}  // namespace qlxs
