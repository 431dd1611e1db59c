#include "log/telegram_log.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "config/automatic_log_name.h"
#include "config/language_texts.h"
#include "config/text_format.h"
#include "log/log_messages.h"
#include "log/log_reader.h"
#include "log/log_state.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs {

T_LogStand EmptyLogStand(int32_t anzbl) {
  T_LogStand s;
  std::memset(&s, 0, sizeof s);
  s.lg = kLogStandSize;
  s.anzbl = anzbl;
  return s;
}

std::string LogCheckText(LogCheck c, int io) {
  switch (c) {
    case LogCheck::Valid: return "valid";
    case LogCheck::Missing: return "no such file";
    case LogCheck::CannotOpen: return "cannot open it: " + IoResultText(io);
    case LogCheck::NotRegular: return "not a regular file";
    case LogCheck::CannotRead: return "cannot read its header: " + IoResultText(io);
    case LogCheck::TooShort: return "the file is shorter than a log header";
    case LogCheck::WrongMagic: return "wrong magic number";
    case LogCheck::WrongLength: return "wrong header length";
    case LogCheck::BadRingState: return "the ring state in the header is out of range";
    case LogCheck::Locked: return "another program is writing it";
  }
  return "unknown";
}

namespace {

// The whole header as it lies at the start of the file.
struct HeaderImage {
  T_LogKopf kopf;
  T_LogStand stand;
};
static_assert(sizeof(HeaderImage) == kLogHeaderSize);

// Opens x's file by name (for writing or for reading only) and checks its
// header. On `Valid` the file stays open and `h` holds the header.
LogCheck OpenAndCheck(LogState& m, LogFile& x, bool forWriting, HeaderImage& h, int& io) {
  io = forWriting ? x.file.OpenReadWrite(x.name, 1, true) : x.file.OpenRead(x.name, 1);
  m.AllgVar.lastIoResult = io;
  switch (io) {
    case 0: break;
    case ENOENT: return LogCheck::Missing;
    case EISDIR:
    case kIoNotRegular: return LogCheck::NotRegular;
    case kIoLocked: return LogCheck::Locked;
    default: return LogCheck::CannotOpen;
  }

  LogCheck c = LogCheck::Valid;
  io = x.file.Read(0, kLogKopfSize, &h.kopf);
  if (io != 0) {
    c = io == kIoShortRead ? LogCheck::TooShort : LogCheck::CannotRead;
  } else if (h.kopf.kenn != kLogMagic) {
    c = LogCheck::WrongMagic;
  } else if (h.kopf.lg != kLogKopfSize) {
    c = LogCheck::WrongLength;
  } else if ((io = x.file.Read(kLogKopfSize, kLogStandSize, &h.stand)) != 0) {
    c = io == kIoShortRead ? LogCheck::TooShort : LogCheck::CannotRead;
  } else if (h.stand.lg != kLogStandSize) {
    c = LogCheck::WrongLength;
  } else {
    const T_LogStand& s = h.stand;
    if (s.anzbl < 1 || s.anzbl > kMaxLogBlocks || s.erstbl < 0 || s.erstbl >= s.anzbl || s.aktbl < 0 ||
        s.aktbl >= s.anzbl)
      c = LogCheck::BadRingState;
  }
  if (c != LogCheck::Valid) m.AllgVar.lastIoResult = x.file.Close();
  return c;
}

// Takes over the settings stored in a valid header. Both filters arrive
// switched off, whatever the header says.
void RestoreSettings(LogState& m, const T_LogKopf& k) {
  if (k.ap.lg == static_cast<int32_t>(sizeof(T_AllgPar)) || k.ap.lg == kAllgParOldLength) {
    std::memcpy(&m.AllgPar, &k.ap, static_cast<size_t>(k.ap.lg));
    m.AllgPar.lg = sizeof(T_AllgPar);
  }
  m.AllgPar.afilt.ein = 0;
  m.AllgPar.lfilt.ein = 0;

  T_BetriebsPar& bp1 = m.ports[0].bp;
  T_BetriebsPar& bp2 = m.ports[1].bp;
  if (k.bp1.lg == static_cast<int32_t>(sizeof(T_BetriebsPar))) {
    bp1 = k.bp1;
    if (k.bp2.lg == static_cast<int32_t>(sizeof(T_BetriebsPar))) bp2 = k.bp2;
  } else if (k.bp1.lg == kBetriebsParOldLength) {
    const auto* raw = reinterpret_cast<const uint8_t*>(&k.bp1);
    std::memcpy(&bp1, raw, kBetriebsParOldLength);
    std::memcpy(&bp2, raw + kBetriebsParOldLength, kBetriebsParOldLength);
    bp1.lg = sizeof(T_BetriebsPar);
    bp2.lg = sizeof(T_BetriebsPar);
  }
}

// Reads block `aktbl` into the write block and stands on its last record.
void LoadWriteBlock(LogState& m, LogFile& x) { LogReadBlock(m, x, x.file, x.stand.aktbl, x.block); }

// True when telegram number a comes after b (numbers may wrap round).
bool Newer(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)) > 0; }

// Reads block i of x's own file without messages into `b`, made safe to
// walk: of a block the file ends inside, the records that lie wholly in the
// file. Returns the I/O result; a short read that got something counts as 0
// with `whole` false.
int ReadBlockQuietly(LogFile& x, int32_t i, LogBlock& b, bool& whole) {
  int64_t got = 0;
  const int io = x.file.Read(BlockFileOffset(i), kLogBlockSize, b.bytes, &got);
  if (io != 0 && (io != kIoShortRead || got <= 0)) return io;
  whole = AdoptBlock(b, io == 0 ? kLogBlockSize : static_cast<int32_t>(got)) && io == 0;
  return 0;
}

// Reads block i for the recovery walk, without messages: the well-formed
// records that lie wholly in the file, cut after the first record whose
// number does not follow `prevNr`. `whole` tells whether the block was
// read whole and nothing had to be cut. False when it holds no record that
// continues the numbering.
bool ReadContinuation(LogFile& x, int32_t i, int32_t prevNr, LogBlock& b, bool& whole) {
  if (ReadBlockQuietly(x, i, b, whole) != 0) return false;
  int32_t expect = NextNumber(prevNr);
  int32_t last = 0;
  for (int32_t pos = kFirstRecord; RecordLga(b, pos) != 0; pos += RecordLga(b, pos)) {
    if (RecordNr(b, pos) != expect) break;
    last = pos;
    expect = NextNumber(expect);
    if (pos == b.last) break;
  }
  if (last == 0) return false;
  if (last != b.last) {
    whole = false;
    b.last = last;
    const int32_t end = last + RecordLga(b, last);
    std::memset(b.bytes + end, 0, kLogBlockSize - end);
  }
  return true;
}

// The ring state of a header is written only now and then; the blocks are
// written before it. A process that died (or a version of this program that
// wrote the header only when the log was closed) leaves blocks that hold
// more than the header says. Follows them from the header's newest block:
// every block whose records continue the numbering is taken over, the
// first one that does not ends the walk. The write block must hold block
// `aktbl`. Returns the number of telegrams found beyond the header.
int32_t RecoverFromBlocks(LogFile& x) {
  T_LogStand& s = x.stand;
  const int32_t before = s.letztnr;
  LogBlock& w = x.block;
  // The newest block itself may hold records written after the header.
  if (RecordLga(w, w.last) != 0 && Newer(RecordNr(w, w.last), s.letztnr)) {
    s.letztnr = RecordNr(w, w.last);
    s.letztdt = RecordDt(w, w.last);
  }
  if (s.letztnr != 0 && !x.name.empty()) {
    auto next = std::make_unique<LogBlock>();
    bool whole = true;
    // Each block at most once: the walk never comes back to where it began.
    for (int32_t step = 1; step < s.anzbl && whole; ++step) {
      const int32_t i = (s.aktbl + 1) % s.anzbl;
      if (!ReadContinuation(x, i, s.letztnr, *next, whole)) break;
      s.aktbl = i;
      std::memcpy(w.bytes, next->bytes, sizeof w.bytes);
      w.last = next->last;
      s.letztnr = RecordNr(w, w.last);
      s.letztdt = RecordDt(w, w.last);
    }
  }
  if (s.letztnr == before) return 0;
  // A file is never shortened while it is a log, so a block after the
  // newest one that exists in the file is older: the ring is full, and that
  // block is the oldest. (The blocks the header named may have been
  // overwritten since, many rounds over.)
  const int32_t following = (s.aktbl + 1) % s.anzbl;
  const int32_t erstblBefore = s.erstbl;
  if (following != s.aktbl && x.file.SizeInRecords() > BlockFileOffset(following)) s.erstbl = following;
  // The oldest telegram is the first of the oldest block: after a wrap the
  // one the header names is gone, and a header written before the first
  // telegram names none.
  if (s.erstbl != erstblBefore || before == 0) {
    if (s.erstbl == s.aktbl) {
      s.erstnr = RecordNr(w, kFirstRecord);
      s.erstdt = RecordDt(w, kFirstRecord);
    } else {
      auto oldest = std::make_unique<LogBlock>();
      bool whole = true;
      if (ReadBlockQuietly(x, s.erstbl, *oldest, whole) == 0 && RecordLga(*oldest, kFirstRecord) != 0) {
        s.erstnr = RecordNr(*oldest, kFirstRecord);
        s.erstdt = RecordDt(*oldest, kFirstRecord);
      }
    }
  }
  s.belbl = BlocksInUse(s);
  return static_cast<int32_t>(static_cast<uint32_t>(s.letztnr) - static_cast<uint32_t>(before));
}

// Writes the ring state (the second header part) of x as it stands.
void WriteStand(LogState& m, LogFile& x, const T_LogStand& s) {
  if (x.file.Write(kLogKopfSize, kLogStandSize, &s) != 0) m.AllgVar.logerr = true;
}

// Takes the ring state of a valid header and the newest block, with what
// the blocks hold beyond the header.
void TakeRing(LogState& m, LogFile& x, const T_LogStand& s) {
  x.stand = s;
  LoadWriteBlock(m, x);
  x.recovered = RecoverFromBlocks(x);
}

void TakeOver(LogState& m, LogFile& x, const HeaderImage& h) {
  TakeRing(m, x, h.stand);
  RestoreSettings(m, h.kopf);
}

// The first header part, built from the current settings. The length words of the
// parameter records are set first; the filter-on bytes are cleared in the copy.
T_LogKopf BuildKopf(LogState& m, int32_t dlg) {
  T_LogKopf k;
  std::memset(&k, 0, sizeof k);
  k.kenn = kLogMagic;
  k.dlg = dlg;
  k.lg = kLogKopfSize;
  m.AllgPar.lg = sizeof(T_AllgPar);
  k.ap = m.AllgPar;
  k.ap.afilt.ein = 0;
  k.ap.lfilt.ein = 0;
  m.ports[0].bp.lg = sizeof(T_BetriebsPar);
  m.ports[1].bp.lg = sizeof(T_BetriebsPar);
  k.bp1 = m.ports[0].bp;
  k.bp2 = m.ports[1].bp;
  return k;
}

void WriteHeader(LogState& m, LogFile& x, int32_t dlg) {
  HeaderImage h{BuildKopf(m, dlg), x.stand};
  if (x.file.Write(0, kLogHeaderSize, &h) != 0) m.AllgVar.logerr = true;
}

// Moves a regular file that is not a log out of the way, so replacing it
// with a new log loses nothing: to "<name>.bad", or, when a file set aside
// earlier holds that name, to the first free "<name>.bad.N". Returns the
// I/O result of the rename.
int SetAside(const std::string& name, std::string& kept) {
  struct stat st;
  kept = name + ".bad";
  for (int n = 1; ::lstat(kept.c_str(), &st) == 0; ++n) {
    if (n > 999) return EEXIST;
    kept = name + ".bad." + std::to_string(n);
  }
  return std::rename(name.c_str(), kept.c_str()) == 0 ? 0 : errno;
}

// The named file must not be touched: the log goes on in memory only, and
// `logerr` tells the main window that nothing reaches the file.
void KeepInMemory(LogState& m, LogFile& x, int io) {
  x.name.clear();
  x.file.Close();
  LogCreate(m, x);
  m.AllgVar.logerr = true;
  m.AllgVar.lastIoResult = io != 0 ? io : kIoNotOpen;
}

bool OldLog(LogState& m, const T_LogStand& s) {
  const double today = std::floor(m.clock.LocalNow());
  return !(std::fabs(s.erstdt - today) <= 1.0);  // also true for a time that is not a number
}

}  // namespace

void LogCreate(LogState& m, LogFile& x) {
  x.stand = EmptyLogStand(LogCapacityBlocks(m.AllgPar.maxlog));
  ClearBlock(x.block);
  x.readFailures = 0;
  x.recovered = 0;
  x.unsaved = false;
  if (x.name.empty()) return;
  // The lock is taken before the file is emptied, so a log another process
  // is writing is never truncated under it.
  int io = x.file.Create(x.name, 1, true);
  if (io == 0) {
    HeaderImage h{BuildKopf(m, kLogHeaderSize), x.stand};
    io = x.file.Write(0, kLogHeaderSize, &h);
  }
  // The first failure is kept, so a caller can say why the log is missing.
  m.AllgVar.lastIoResult = io;
  if (io != 0) m.AllgVar.logerr = true;
}

void LogOpen(LogState& m, const std::string& name, bool checkAge) {
  TelegramLog& log = m.log;
  m.AllgVar.logerr = false;
  m.AllgVar.logsave = true;
  log.name = name;
  log.readFailures = 0;

  HeaderImage h;
  int io = 0;
  LogCheck c = OpenAndCheck(m, log, true, h, io);
  const bool writable = c == LogCheck::Valid;
  if (c == LogCheck::CannotOpen && (io == EACCES || io == EPERM || io == EROFS)) {
    // Not writable: what it holds decides, as for any other file.
    int ioRead = 0;
    const LogCheck r = OpenAndCheck(m, log, false, h, ioRead);
    if (r != LogCheck::CannotOpen && r != LogCheck::Missing) {
      c = r;
      io = ioRead;
    }
  }

  // The age is judged on what the blocks hold: a log whose header was
  // never written after its first telegrams is not empty.
  if (c == LogCheck::Valid) TakeRing(m, log, h.stand);
  if (c == LogCheck::Valid && checkAge && OldLog(m, log.stand)) {
    m.AllgVar.lastIoResult = log.file.Close();
    LogCreate(m, log);
  } else if (c == LogCheck::Valid) {
    m.AllgVar.logsave = false;
    RestoreSettings(m, h.kopf);
    if (log.recovered > 0) {
      // The repaired ring state goes to the header at once: the blocks it
      // names are on disk already.
      if (writable) WriteStand(m, log, log.stand);
      m.messages.Show(kMsgLogRecovered, MsgInformation,
                      FormatText(Text(m.AllgVar, kMsgLogRecovered).empty() ? kLogRecoveredText
                                                                            : Text(m.AllgVar, kMsgLogRecovered),
                                 {name, log.recovered}));
    }
  } else if (c == LogCheck::Missing || c == LogCheck::CannotOpen) {
    if (c == LogCheck::CannotOpen) ShowLogError(m, kMsgLogInvalid, name, LogCheckText(c, io));
    LogCreate(m, log);
  } else if (c == LogCheck::NotRegular) {
    ShowLogError(m, kMsgLogInvalid, name, LogCheckText(c, io) + "; it is left alone and the log is not written");
    KeepInMemory(m, log, kIoNotRegular);
  } else if (c == LogCheck::Locked) {
    ShowLogError(m, kMsgLogLocked, name, "it is left alone; this program keeps its telegrams in memory only");
    KeepInMemory(m, log, kIoLocked);
  } else {
    std::string kept;
    const int rc = SetAside(name, kept);
    if (rc == 0) {
      ShowLogError(m, kMsgLogInvalid, name,
                   LogCheckText(c, io) + "; it was kept as " + kept + " and a new log was started");
      LogCreate(m, log);
    } else {
      ShowLogError(m, kMsgLogInvalid, name,
                   LogCheckText(c, io) + "; it cannot be moved aside (" + IoResultText(rc) +
                       "), so it is left alone and the log is not written");
      KeepInMemory(m, log, rc);
    }
  }
  m.AllgVar.dtlog = name;
}

LogCheck LogOpenForReading(LogState& m, const std::string& name, int* ioOut) {
  TelegramLog& log = m.log;
  log.name = name;
  log.readFailures = 0;
  HeaderImage h;
  int io = 0;
  const LogCheck c = OpenAndCheck(m, log, false, h, io);
  if (ioOut) *ioOut = io;
  if (c != LogCheck::Valid) {
    log.stand = EmptyLogStand(1);
    ClearBlock(log.block);
    return c;
  }
  m.AllgVar.logsave = false;
  TakeOver(m, log, h);
  m.AllgVar.dtlog = name;
  return c;
}

LogCheck LogOpenObjectForReading(LogState& m, LogFile& x, int* ioOut) {
  x.recovered = 0;
  x.readFailures = 0;
  ClearBlock(x.block);
  HeaderImage h;
  int io = 0;
  const LogCheck c = OpenAndCheck(m, x, false, h, io);
  if (ioOut) *ioOut = io;
  x.stand = EmptyLogStand(1);
  if (c == LogCheck::Valid) {
    // The ring state with what the blocks hold beyond it; the blocks are read
    // without messages here, since the walk of the caller reports them.
    x.stand = h.stand;
    bool whole = true;
    if (ReadBlockQuietly(x, x.stand.aktbl, x.block, whole) == 0) x.recovered = RecoverFromBlocks(x);
    ClearBlock(x.block);
  }
  return c;
}

bool LogReadBlock(LogState& m, LogFile& x, TypedFile& f, int32_t i, LogBlock& b) {
  int64_t got = 0;
  const int io = f.Read(BlockFileOffset(i), kLogBlockSize, b.bytes, &got);
  if (io == kIoShortRead && got > 0) {
    // The file ends inside the block (a write-back cut short): the records
    // that reached the file whole are kept, and storing goes on after them.
    AdoptBlock(b, static_cast<int32_t>(got));
    ReportReadFailure(m, x, i, kBlockCutText);
    return true;
  }
  if (io != 0) {
    // A log that holds no telegram and whose block was never written
    // (created, then closed without a write-back) is simply empty.
    const bool neverWritten =
        io == kIoShortRead && x.stand.letztnr == 0 && f.SizeInRecords() <= BlockFileOffset(i);
    if (!neverWritten) ReportReadFailure(m, x, i, IoResultText(io));
    ClearBlock(b);
    return neverWritten;
  }
  if (!AdoptBlock(b)) ReportReadFailure(m, x, i, "damaged records were dropped");
  return true;
}

void LogNew(LogState& m, const std::string& name) {
  m.AllgVar.logerr = false;
  m.log.name = name;
  LogCreate(m, m.log);
}

uint32_t LogNowMs(LogState& m, const LogFile& x) { return x.autoCheckpoint ? CoarseMonotonicMs() : m.clock.Tick(); }

namespace {

// Asks the background flush for x's file when the last one is `kSyncEveryMs`
// ago (or always, with `now` set), and reports a flush that failed.
void SyncIfDue(LogState& m, LogFile& x, bool now) {
  if (!x.file.IsOpen()) return;
  const uint32_t t = LogNowMs(m, x);
  if (!now && x.syncedOnce && t - x.lastSync < kSyncEveryMs) return;
  if (!x.sync) x.sync = std::make_unique<BackgroundSync>();
  if (x.sync->Request(x.file.fd())) {
    x.lastSync = t;
    x.syncedOnce = true;
  }
  if (x.sync->TakeError() != 0) m.AllgVar.logerr = true;
}

// Writes the write block and the header (both parts) with `belbl` brought up to date.
void WriteBackState(LogState& m, LogFile& x) {
  T_LogStand& s = x.stand;
  FinishBlockKopf(x.block);
  if (x.file.Write(BlockFileOffset(s.aktbl), kLogBlockSize, x.block.bytes) != 0) m.AllgVar.logerr = true;
  s.belbl = BlocksInUse(s);
  WriteHeader(m, x, static_cast<int32_t>(BlockFileOffset(s.belbl)));
  x.unsaved = false;
}

}  // namespace

bool LogWriteBlockThenStand(LogState& m, LogFile& x, T_LogStand s) {
  if (x.file.Write(BlockFileOffset(s.aktbl), kLogBlockSize, x.block.bytes) != 0) {
    // The header must not name records that did not reach the file.
    m.AllgVar.logerr = true;
    return false;
  }
  s.belbl = BlocksInUse(s);
  WriteStand(m, x, s);
  return true;
}

void LogCheckpoint(LogState& m, LogFile& x) {
  x.unsaved = false;
  if (x.name.empty() || !x.file.IsOpen()) return;
  FinishBlockKopf(x.block);
  x.stand.belbl = BlocksInUse(x.stand);
  if (!LogWriteBlockThenStand(m, x, x.stand)) return;
  SyncIfDue(m, x, false);
  // A log deleted or replaced while it is written would take everything
  // after it into a file nobody can reach.
  if (!x.file.StillNamed()) m.AllgVar.logerr = true;
}

void LogCheckpointIfDue(LogState& m, LogFile& x, uint32_t nowMs) {
  if (x.unsaved && nowMs - x.unsavedSince >= kCheckpointAfterMs) LogCheckpoint(m, x);
}

void LogWriteBack(LogState& m, LogFile& x) {
  if (x.name.empty()) return;
  WriteBackState(m, x);
  SyncIfDue(m, x, true);
  m.AllgVar.lastIoResult = x.file.Close();
}

void LogFlush(LogState& m) {
  if (!m.AllgVar.logsave && !m.AllgVar.logopt) return;
  LogFile& x = m.log;
  if (x.name.empty()) return;
  if (!x.file.IsOpen()) {
    m.AllgVar.lastIoResult = x.file.OpenReadWrite(x.name, 1, true);
    if (m.AllgVar.lastIoResult != 0) {
      m.AllgVar.logerr = true;  // later telegrams could not be written
      return;
    }
  }
  WriteBackState(m, x);
  SyncIfDue(m, x, true);
  if (!x.file.StillNamed()) m.AllgVar.logerr = true;
}

void LogClose(LogState& m) {
  ReaderClose(m);
  const std::string automatic = AutomaticLogName(m);
  if (m.AllgVar.logsave || m.AllgVar.logopt || (!automatic.empty() && m.AllgVar.dtlog == automatic))
    LogWriteBack(m, m.log);
  else
    m.AllgVar.lastIoResult = m.log.file.Close();
}

void LogReset(LogState& m) {
  ReaderClose(m);
  LogCreate(m, m.log);
  RingClear(m.log.ring);
  ReaderOpen(m);
}

}  // namespace qlxs
