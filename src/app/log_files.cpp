#include "app/log_files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/general_parameters.h"
#include "app/monitor.h"
#include "capture/receiver.h"
#include "capture/unwrap.h"
#include "log/log_block.h"
#include "log/log_messages.h"
#include "log/log_reader.h"
#include "log/online_ring.h"
#include "model/ppp.h"
#include "model/typed_file.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"

namespace qlxs {

void OpenLogFile(Monitor& m, const std::string& name) {
  LogClose(m);
  RingClear(m.log.ring);
  LogOpen(m, name, false);
  ApplyGeneralParameters(m);
}

namespace {

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Close(); }
  int get() const { return fd_; }
  int Close() {
    if (fd_ < 0) return 0;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Copies everything from `in` to `out`. Returns 0, or the errno of the
// failure with `readSide` telling which side failed.
int CopyAll(int in, int out, bool& readSide) {
  std::vector<char> buf(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      readSide = true;
      return errno;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        readSide = false;
        return errno;
      }
      done += w;
    }
  }
}

LogCopyResult CopyFailed(Monitor& m, const std::string& file, int io, const std::string& what,
                         const std::string& why = {}) {
  m.messages.Show(0, MsgError, what + " " + file + ": " + (why.empty() ? IoResultText(io) : why));
  return {LogCopyOutcome::Failed, io, file};
}

}  // namespace

LogCopyResult LogCopyTo(Monitor& m, const std::string& target) {
  const std::string source = m.AllgVar.dtlog;
  if (source.empty()) return {LogCopyOutcome::NoSource, 0, {}};
  if (source == target) return {LogCopyOutcome::SameFile, 0, {}};
  struct stat ss;
  if (::stat(source.c_str(), &ss) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {LogCopyOutcome::NoSource, 0, {}};
    return CopyFailed(m, source, errno, "Cannot read the telegram log");
  }

  if (!S_ISREG(ss.st_mode))
    return CopyFailed(m, source, kIoNotRegular, "Cannot read the telegram log");

  const std::string dest = ReplacementTarget(target);
  struct stat ds;
  const bool exists = ::stat(dest.c_str(), &ds) == 0;
  if (exists && SameInode(ss, ds)) return {LogCopyOutcome::SameFile, 0, {}};
  if (exists && !S_ISREG(ds.st_mode))
    return CopyFailed(m, target, S_ISDIR(ds.st_mode) ? EISDIR : EEXIST, "Cannot save the telegram log as",
                      "it exists and is not a regular file");

  // Never waits on a pipe or device put in the log's place since the check above.
  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.get() < 0) return CopyFailed(m, source, errno, "Cannot read the telegram log");
  if (::fstat(in.get(), &ss) != 0 || !S_ISREG(ss.st_mode))
    return CopyFailed(m, source, kIoNotRegular, "Cannot read the telegram log");

  // The copy goes to a new file beside the target and replaces the target
  // only when it is complete, keeping its permissions.
  ReplacingFile out;
  if (const int io = out.Open(target); io != 0) return CopyFailed(m, target, io, "Cannot save the telegram log as");
  bool readSide = false;
  int io = CopyAll(in.get(), out.fd(), readSide);
  if (io == 0) io = out.Commit();
  if (io != 0) {
    out.Abandon();
    return readSide ? CopyFailed(m, source, io, "Cannot read the telegram log")
                    : CopyFailed(m, target, io, "Cannot save the telegram log as");
  }
  return {LogCopyOutcome::Copied, 0, {}};
}

LogCopyResult SaveLogAs(Monitor& m, const std::string& target, bool copy) {
  // A log without a file lives in memory only (its name is not a regular
  // file, or another program writes it): there is no file to copy, and
  // closing and reopening it would lose what it holds.
  if (m.log.name.empty()) {
    if (copy && !m.AllgVar.dtlog.empty())
      m.messages.Show(0, MsgError,
                      "Cannot save the telegram log as " + target + ": the current log " + m.AllgVar.dtlog +
                          " has no file (it is kept in memory only), so there is nothing to copy");
    return {LogCopyOutcome::NoSource, 0, {}};
  }
  LogClose(m);
  const LogCopyResult r = copy ? LogCopyTo(m, target) : LogCopyResult{LogCopyOutcome::SameFile, 0, {}};
  LogOpen(m, m.AllgVar.dtlog, false);
  ApplyGeneralParameters(m);
  ReaderOpen(m);
  return r;
}

namespace {

// What a replay puts aside of a capture that is going on.
struct LiveState {
  std::array<T_EmpfVar, 2> em;
  T_VId lastVid;
  PendingApduTable pending;
};

// A stored record that is a frame the receiver closed, as opposed to an
// APDU, an event or a piece of TCP payload.
bool IsStoredFrame(const T_Telegramm& t) {
  return (t.ta == TaRaw || t.ta == TaRaw104) && t.stat != StatFragment && t.idm == 0;
}

// Puts a stored frame into the telegram under construction as the receiver
// had it just before closing it: the octets as received, the time stamp,
// and what the stored status tells of the receiver's state then.
void PlaceStoredFrame(T_EmpfVar& em, const T_Telegramm& stored) {
  T_Telegramm& te = em.te;
  te = stored;
  te.ta = TaRaw;
  te.idm = 0;
  te.prot = 0;
  te.ofs = 0;
  te.nr = 0;
  te.lgv = 0;
  te.sn = 0;
  te.f1[0] = te.f1[1] = 0;
  em.fehl = 0;

  const int lg = std::clamp<int>(te.lg, 0, kMaxStoredDataLength);
  te.lg = static_cast<int16_t>(lg);
  // A line error: the error code is the last octet; the receiver appends it again.
  if (te.stat == StatLineError && lg > 0 && te.b[lg - 1] != 0) {
    em.fehl = te.b[lg - 1];
    te.lg = static_cast<int16_t>(lg - 1);
    return;
  }
  // Only a flag closes a PPP frame. A frame that closed at a flag was a PPP
  // frame unless it was stored as not delimited (no flag synchronisation).
  const bool closedAtFlag = lg > 0 && te.b[lg - 1] == kPppFlag;
  em.synlast = closedAtFlag && te.stat != StatNoFrame;
  // Any other frame with an IPv4 verdict was closed by the reception time-out.
  if (!closedAtFlag && (te.stat == StatNotIpv4 || te.stat == StatIpLengthZero)) te.stat = StatTimeout;
}

}  // namespace

ReplayResult ReplayLog(Monitor& m, const std::string& name, const std::function<bool()>& stop) {
  ReplayResult r;
  auto x = std::make_unique<LogFile>();
  x->name = name;
  r.check = LogOpenObjectForReading(m, *x, &r.io);
  if (r.check != LogCheck::Valid) {
    ShowLogError(m, kMsgLogReadFailed, name, LogCheckText(r.check, r.io));
    return r;
  }
  if (SameFile(name, m.log.name)) {
    m.AllgVar.lastIoResult = x->file.Close();
    r.currentLog = true;
    ShowLogError(m, kMsgLogReadFailed, name, "it is the current telegram log; re-analyse a copy of it");
    return r;
  }

  auto live = std::make_unique<LiveState>();
  for (int p = 0; p < 2; ++p) live->em[p] = m.ports[p].em;
  live->lastVid = m.LastVid;
  live->pending = m.PendingApdus;
  for (T_ComVar& port : m.ports) {
    ResetReceiver(port);
    port.em.synlast = false;
    port.em.fehl = 0;
  }
  m.LastVid = T_VId{};
  ClearPendingApdus(m);

  const T_LogStand s = x->stand;
  LogBlock& b = x->block;
  int32_t blk = s.erstbl;
  auto record = std::make_unique<T_Telegramm>();
  // The blocks from the oldest to the newest, each at most once: the walk
  // ends at `aktbl`, which lies inside the ring.
  for (bool readable = LogReadBlock(m, *x, x->file, blk, b); readable;
       readable = LogReadBlock(m, *x, x->file, blk, b)) {
    ++r.blocks;
    // The records of the block, made safe to walk when it was read: each
    // step moves forward, and the last record lies on the chain.
    for (int32_t pos = kFirstRecord; pos <= b.last;) {
      const uint16_t lga = RecordLga(b, pos);
      if (lga == 0) break;
      CopyRecord(b, pos, *record);
      if (IsStoredFrame(*record)) {
        T_ComVar& port = record->ek == kReceiverPort2 ? m.ports[1] : m.ports[0];
        PlaceStoredFrame(port.em, *record);
        CompleteFrame(m, port);
        ++r.frames;
        if (stop && stop()) {
          r.stopped = true;
          break;
        }
      }
      if (pos == b.last) break;
      pos += lga;
    }
    if (r.stopped) break;
    if (blk == s.aktbl) {
      r.complete = true;
      break;
    }
    blk = (blk + 1) % s.anzbl;
  }
  r.damagedBlocks = x->readFailures;
  m.AllgVar.lastIoResult = x->file.Close();

  for (int p = 0; p < 2; ++p) m.ports[p].em = live->em[p];
  m.LastVid = live->lastVid;
  m.PendingApdus = live->pending;
  return r;
}

}  // namespace qlxs
