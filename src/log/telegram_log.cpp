#include "log/telegram_log.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "config/automatic_log_name.h"
#include "config/general_parameters.h"
#include "config/monitor.h"
#include "log/log_messages.h"
#include "log/log_reader.h"
#include "platform/clock.h"

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
LogCheck OpenAndCheck(Monitor& m, LogFile& x, bool forWriting, HeaderImage& h, int& io) {
  io = 0;
  struct stat st;
  if (::stat(x.name.c_str(), &st) != 0) {
    io = errno;
    return errno == ENOENT ? LogCheck::Missing : LogCheck::CannotOpen;
  }
  if (!S_ISREG(st.st_mode)) return LogCheck::NotRegular;
  io = forWriting ? x.file.OpenReadWrite(x.name, 1) : x.file.OpenRead(x.name, 1);
  m.AllgVar.lastIoResult = io;
  if (io != 0) return LogCheck::CannotOpen;

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
void RestoreSettings(Monitor& m, const T_LogKopf& k) {
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
void LoadWriteBlock(Monitor& m, LogFile& x) { LogReadBlock(m, x, x.file, x.stand.aktbl, x.block); }

void TakeOver(Monitor& m, LogFile& x, const HeaderImage& h) {
  x.stand = h.stand;
  RestoreSettings(m, h.kopf);
  LoadWriteBlock(m, x);
}

// The first header part, built from the current settings. The length words of the
// parameter records are set first; the filter-on bytes are cleared in the copy.
T_LogKopf BuildKopf(Monitor& m, int32_t dlg) {
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

void WriteHeader(Monitor& m, LogFile& x, int32_t dlg) {
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
void KeepInMemory(Monitor& m, LogFile& x) {
  x.name.clear();
  m.AllgVar.lastIoResult = x.file.Close();
  LogCreate(m, x);
  m.AllgVar.logerr = true;
}

bool OldLog(Monitor& m, const T_LogStand& s) {
  const double today = std::floor(m.clock.LocalNow());
  return !(std::fabs(s.erstdt - today) <= 1.0);  // also true for a time that is not a number
}

}  // namespace

void LogCreate(Monitor& m, LogFile& x) {
  x.stand = EmptyLogStand(LogCapacityBlocks(m.AllgPar.maxlog));
  ClearBlock(x.block);
  x.readFailures = 0;
  if (x.name.empty()) return;
  int io = x.file.Create(x.name, 1);
  if (io == 0) {
    WriteHeader(m, x, kLogHeaderSize);
    io = x.file.Close();
    if (io == 0) io = x.file.OpenReadWrite(x.name, 1);
  }
  // The first failure is kept, so a caller can say why the log is missing.
  m.AllgVar.lastIoResult = io;
  if (io != 0) m.AllgVar.logerr = true;
}

void LogOpen(Monitor& m, const std::string& name, bool checkAge) {
  TelegramLog& log = m.log;
  m.AllgVar.logerr = false;
  m.AllgVar.logsave = true;
  log.name = name;
  log.readFailures = 0;

  HeaderImage h;
  int io = 0;
  LogCheck c = OpenAndCheck(m, log, true, h, io);
  if (c == LogCheck::CannotOpen && (io == EACCES || io == EPERM || io == EROFS)) {
    // Not writable: what it holds decides, as for any other file.
    int ioRead = 0;
    const LogCheck r = OpenAndCheck(m, log, false, h, ioRead);
    if (r != LogCheck::CannotOpen && r != LogCheck::Missing) {
      c = r;
      io = ioRead;
    }
  }

  if (c == LogCheck::Valid && checkAge && OldLog(m, h.stand)) {
    m.AllgVar.lastIoResult = log.file.Close();
    LogCreate(m, log);
  } else if (c == LogCheck::Valid) {
    m.AllgVar.logsave = false;
    TakeOver(m, log, h);
  } else if (c == LogCheck::Missing || c == LogCheck::CannotOpen) {
    if (c == LogCheck::CannotOpen) ShowLogError(m, kMsgLogInvalid, name, LogCheckText(c, io));
    LogCreate(m, log);
  } else if (c == LogCheck::NotRegular) {
    ShowLogError(m, kMsgLogInvalid, name, LogCheckText(c, io) + "; it is left alone and the log is not written");
    KeepInMemory(m, log);
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
      KeepInMemory(m, log);
    }
  }
  m.AllgVar.dtlog = name;
  ApplyGeneralParameters(m);
}

LogCheck LogOpenForReading(Monitor& m, const std::string& name, int* ioOut) {
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
  ApplyGeneralParameters(m);
  return c;
}

LogCheck LogOpenObjectForReading(Monitor& m, LogFile& x, int* ioOut) {
  x.readFailures = 0;
  ClearBlock(x.block);
  HeaderImage h;
  int io = 0;
  const LogCheck c = OpenAndCheck(m, x, false, h, io);
  if (ioOut) *ioOut = io;
  x.stand = c == LogCheck::Valid ? h.stand : EmptyLogStand(1);
  return c;
}

bool LogReadBlock(Monitor& m, LogFile& x, TypedFile& f, int32_t i, LogBlock& b) {
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

void LogNew(Monitor& m, const std::string& name) {
  m.AllgVar.logerr = false;
  m.log.name = name;
  LogCreate(m, m.log);
}

void LogWriteBack(Monitor& m, LogFile& x) {
  if (x.name.empty()) return;
  T_LogStand& s = x.stand;
  FinishBlockKopf(x.block);
  if (x.file.Write(BlockFileOffset(s.aktbl), kLogBlockSize, x.block.bytes) != 0) m.AllgVar.logerr = true;
  s.belbl = (s.aktbl - s.erstbl + s.anzbl) % s.anzbl + 1;
  WriteHeader(m, x, static_cast<int32_t>(BlockFileOffset(s.belbl)));
  m.AllgVar.lastIoResult = x.file.Close();
}

void LogFlush(Monitor& m) {
  if (!m.AllgVar.logsave && !m.AllgVar.logopt) return;
  LogWriteBack(m, m.log);
  if (m.log.name.empty()) return;
  m.AllgVar.lastIoResult = m.log.file.OpenReadWrite(m.log.name, 1);
  if (m.AllgVar.lastIoResult != 0) m.AllgVar.logerr = true;  // later telegrams could not be written
}

void LogClose(Monitor& m) {
  ReaderClose(m);
  const std::string automatic = AutomaticLogName(m);
  if (m.AllgVar.logsave || m.AllgVar.logopt || (!automatic.empty() && m.AllgVar.dtlog == automatic))
    LogWriteBack(m, m.log);
  else
    m.AllgVar.lastIoResult = m.log.file.Close();
}

void LogReset(Monitor& m) {
  ReaderClose(m);
  LogCreate(m, m.log);
  RingClear(m.log.ring);
  ReaderOpen(m);
}

}  // namespace qlxs
