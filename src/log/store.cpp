#include "log/store.h"

#include "filter/filter_match.h"
#include "log/log_messages.h"
#include "log/log_state.h"
#include "log/telegram_log.h"
#include "log/time_base.h"

namespace qlxs {

namespace {

// Block full and written: the ring has come round to its oldest block, which
// is about to be overwritten. Its header tells the number and time of the
// first telegram that remains.
void DropOldestBlock(LogState& m, LogFile& x, bool live) {
  T_LogStand& s = x.stand;
  s.erstbl = (s.erstbl + 1) % s.anzbl;
  if (live) {
    const LogReader& r = m.log.reader;
    if (r.open && r.blk == s.aktbl && !m.PrgPar.ausgonl) s.ueberl = NextNumber(s.ueberl);
  }
  T_BlockKopf k{};
  if (!x.name.empty()) {
    const int io = x.file.Read(BlockFileOffset(s.aktbl), sizeof k, &k);
    if (io != 0) {
      k = T_BlockKopf{};
      ReportReadFailure(m, x, s.aktbl, IoResultText(io));
    }
  }
  s.erstnr = NextNumber(k.letztnr);
  s.erstdt = k.letztdt;
}

// Writes the full write block, then a ring state in the header that ends
// with it: the new telegram that fills the next block is not on disk yet,
// so the header names the block just written as the newest and its last
// telegram as the last. Opening the log after a crash finds the next
// block's records from there.
void CompleteBlock(LogState& m, LogFile& x) {
  const T_BlockKopf k = BlockKopfOf(x.block);
  T_LogStand s = x.stand;
  s.letztnr = k.letztnr;
  s.letztdt = k.letztdt;
  LogWriteBlockThenStand(m, x, s);
}

// Notes that x holds a telegram the file does not have yet, and takes the
// checkpoint when x takes its own and one is due.
void NoteUnsaved(LogState& m, LogFile& x) {
  if (!x.unsaved) {
    x.unsaved = true;
    x.unsavedSince = LogNowMs(m, x);
  } else if (x.autoCheckpoint) {
    LogCheckpointIfDue(m, x, LogNowMs(m, x));
  }
}

// Appends a record of n bytes to x's write block (n even, 28 .. 1548).
void Place(LogState& m, LogFile& x, T_Telegramm& t, int n, bool live) {
  LogBlock& b = x.block;
  T_LogStand& s = x.stand;
  int32_t p = b.last + RecordLga(b, b.last);
  if (p + n > kRecordAreaEnd) {
    FinishBlockKopf(b);
    if (!x.name.empty()) CompleteBlock(m, x);
    s.aktbl = (s.aktbl + 1) % s.anzbl;
    if (s.aktbl == s.erstbl) DropOldestBlock(m, x, live);
    ClearBlock(b);
    p = kFirstRecord;
  }
  if (p == kFirstRecord) {
    std::memcpy(b.bytes + offsetof(T_BlockKopf, erstnr), &t.nr, sizeof t.nr);
    std::memcpy(b.bytes + offsetof(T_BlockKopf, erstdt), &t.dt, sizeof t.dt);
    if (s.erstbl == s.aktbl) {
      s.erstnr = t.nr;
      s.erstdt = t.dt;
    }
  }
  t.lga = static_cast<uint16_t>(n);
  t.lgv = p == kFirstRecord ? 0 : RecordLga(b, b.last);
  std::memcpy(b.bytes + p, &t, static_cast<size_t>(n));
  b.last = p;
}

// Record length of t, after bringing `lg` into the data area.
int RecordSize(T_Telegramm& t) {
  if (t.lg < 0) t.lg = 0;
  if (t.lg > kTelegramDataSize) t.lg = kTelegramDataSize;
  return RecordLength(t.lg);
}

}  // namespace

void StoreTelegram(LogState& m, T_Telegramm& t) {
  m.AllgVar.logsave = true;
  const int k = t.ek;
  if (k >= 1 && k <= 4) {
    if (t.ta != TaEvent) ++m.counters[2 * (k - 1)];
    if (IsFaultyStatus(t.stat)) ++m.counters[2 * (k - 1) + 1];
  }
  if (t.ta == TaEvent || t.stat == StatModemStatus) t.dt = StampNow(m);
  T_LogStand& s = m.log.stand;
  t.nr = NextNumber(s.letztnr);
  if (m.AllgPar.lfilt.ein && !FilterMatch(m.AllgPar.lfilt, m.AllgPar, s.erstnr, t)) return;
  s.letztnr = t.nr;
  s.letztdt = t.dt;
  const int n = RecordSize(t);
  Place(m, m.log, t, n, true);
  NoteUnsaved(m, m.log);
  if (ViewAdmits(m.PrgPar, m.AllgPar, s.erstnr, t)) RingPut(m.log.ring, t, n);
  if (m.onStored) m.onStored(t);
}

void StoreInto(LogState& m, LogFile& x, T_Telegramm& t) {
  x.stand.letztnr = NextNumber(x.stand.letztnr);
  t.nr = x.stand.letztnr;
  x.stand.letztdt = t.dt;
  Place(m, x, t, RecordSize(t), false);
  NoteUnsaved(m, x);
}

}  // namespace qlxs
