#include "log/store.h"

#include "capture/time_base.h"
#include "config/monitor.h"
#include "filter/filter_match.h"
#include "log/log_messages.h"
#include "log/telegram_log.h"

namespace qlxs {

namespace {

int32_t Next(int32_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) + 1u); }

// Block full and written: the ring has come round to its oldest block, which
// is about to be overwritten. Its header tells the number and time of the
// first telegram that remains.
void DropOldestBlock(Monitor& m, LogFile& x, bool live) {
  T_LogStand& s = x.stand;
  s.erstbl = (s.erstbl + 1) % s.anzbl;
  if (live) {
    const LogReader& r = m.log.reader;
    if (r.open && r.blk == s.aktbl && !m.PrgPar.ausgonl) s.ueberl = Next(s.ueberl);
  }
  T_BlockKopf k{};
  if (!x.name.empty()) {
    const int io = x.file.Read(BlockFileOffset(s.aktbl), sizeof k, &k);
    if (io != 0) {
      k = T_BlockKopf{};
      ReportReadFailure(m, x, s.aktbl, IoResultText(io));
    }
  }
  s.erstnr = Next(k.letztnr);
  s.erstdt = k.letztdt;
}

// Appends a record of n bytes to x's write block (n even, 28 .. 1548).
void Place(Monitor& m, LogFile& x, T_Telegramm& t, int n, bool live) {
  LogBlock& b = x.block;
  T_LogStand& s = x.stand;
  int32_t p = b.last + RecordLga(b, b.last);
  if (p + n > kRecordAreaEnd) {
    FinishBlockKopf(b);
    if (!x.name.empty() && x.file.Write(BlockFileOffset(s.aktbl), kLogBlockSize, b.bytes) != 0)
      m.AllgVar.logerr = true;
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

void StoreTelegram(Monitor& m, T_Telegramm& t) {
  m.AllgVar.logsave = true;
  const int k = t.ek;
  if (k >= 1 && k <= 4) {
    if (t.ta != TaEvent) ++m.counters[2 * (k - 1)];
    if (IsFaultyStatus(t.stat)) ++m.counters[2 * (k - 1) + 1];
  }
  if (t.ta == TaEvent || t.stat == StatModemStatus) t.dt = StampNow(m);
  T_LogStand& s = m.log.stand;
  t.nr = Next(s.letztnr);
  if (m.AllgPar.lfilt.ein && !FilterMatch(m, m.AllgPar.lfilt, t)) return;
  s.letztnr = t.nr;
  s.letztdt = t.dt;
  const int n = RecordSize(t);
  Place(m, m.log, t, n, true);
  if (ViewAdmits(m, t)) RingPut(m.log.ring, t, n);
  if (m.onStored) m.onStored(t);
}

void StoreInto(Monitor& m, LogFile& x, T_Telegramm& t) {
  x.stand.letztnr = Next(x.stand.letztnr);
  t.nr = x.stand.letztnr;
  x.stand.letztdt = t.dt;
  Place(m, x, t, RecordSize(t), false);
}

}  // namespace qlxs
