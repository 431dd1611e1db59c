#include "capture/receiver.h"

#include <algorithm>
#include <cstring>

#include "capture/capture_state.h"
#include "capture/unwrap.h"
#include "log/store.h"
#include "log/time_base.h"
#include "model/ppp.h"
#include "platform/clock.h"
#include "platform/serial_port.h"

namespace qlxs {

namespace {

// True once the tick `now` lies after `deadline`. The difference is taken
// modulo 2^32, so a deadline set just before the 32-bit tick wraps (every
// 49.7 days) does not expire at once.
bool TickAfter(uint32_t now, uint32_t deadline) { return static_cast<int32_t>(now - deadline) > 0; }

// Clears the header and the first `used` data octets of the telegram under
// construction, for a frame that nothing but the receiver has written: its
// data area beyond them is still zero from the previous reset. Same result
// as `ResetReceiver`, at a fraction of the cost for short frames.
void ClearUsed(T_EmpfVar& em, int used) {
  std::memset(static_cast<void*>(&em.te), 0, kTelegramHeaderSize + static_cast<size_t>(used));
  em.fehl = 0;
  em.te.stat = StatOk;
}

bool CheckTimeoutsAt(T_EmpfVar& em, uint32_t now) {
  if (TickAfter(now, em.tosyn)) em.synlast = false;
  if (TickAfter(now, em.toempf) && em.te.lg > 0) {
    em.te.stat = StatTimeout;
    em.synlast = false;
    return true;
  }
  return false;
}

// A text line: more than two octets, the last one LF, the first CR or LF.
bool IsTextLine(const T_Telegramm& te) {
  const int lg = te.lg;
  return lg > 2 && te.b[lg - 1] == kLf && (te.b[0] == kCr || te.b[0] == kLf);
}

}  // namespace

void OnPortEvent(CaptureState& m, T_ComVar& port, int message, uint16_t trigger, long data) {
  SerialPort* sp = port.pCp;
  if (sp == nullptr) return;

  if (message == kMsgDataAvailable) {
    uint8_t block[kReceiveBlockSize];
    bool received = false;
    long remaining = data;
    while (remaining > 0) {
      const size_t want = static_cast<size_t>(std::min<long>(remaining, kReceiveBlockSize));
      const size_t got = sp->GetBlock(block, want);
      // A port that delivers less than it announced ends the event rather
      // than spinning on an empty read.
      if (got == 0) break;
      remaining -= static_cast<long>(got);
      port.em.fehl = sp->GetLineError();
      if (sp->GetLineBreak()) port.em.fehl = kLineErrorBreak;
      ReceiveBlock(m, port, block, got);
      received = true;
    }
    if (received) LedOn(port.LedR);
    return;
  }

  if (message == kMsgStatusTrigger) {
    if (port.hCpModStat == 0 || trigger == port.hCpOutBuffUsed || trigger != port.hCpModStat) return;
    // Line states always; change flags only of the watched lines.
    const uint8_t v = sp->GetModemStatus() & (0xF0 | (port.se.paend >> 4));
    if (v & 0x0F) StoreModemStatus(m, port, v);
    sp->SetStatusTrigger(port.hCpModStat, port.se.paend, true);
  }
}

void ReceiveBlock(CaptureState& m, T_ComVar& port, const uint8_t* block, size_t count) {
  T_EmpfVar& em = port.em;
  T_Telegramm& te = em.te;
  // One block is read at one moment: the tick and the time stamp are taken
  // once and shared by every frame the block closes.
  const uint32_t now = m.clock.Tick();
  double stamp = 0;
  bool stamped = false;
  auto close = [&] {
    if (!stamped) {
      stamp = StampNow(m);
      stamped = true;
    }
    te.dt = stamp;
    CompleteFrame(m, port);
  };

  em.anz = static_cast<uint16_t>(count);
  if (CheckTimeoutsAt(em, now)) close();

  const int limit = EffectiveFrameLimit(port.bp);
  // Positions of the next flag and the next LF at or after octet i (count
  // when there is none), each searched again only once passed.
  size_t flagAt = 0, lfAt = 0;
  bool flagKnown = false, lfKnown = false;
  auto next = [&](uint8_t octet, size_t from) {
    const void* p = std::memchr(block + from, octet, count - from);
    return p ? static_cast<size_t>(static_cast<const uint8_t*>(p) - block) : count;
  };
  size_t i = 0;
  while (i < count) {
    int lg = te.lg;
    // Copy a run of octets that cannot close the frame, up to the first one
    // that may: a flag, an LF while text lines are looked for, or the octet
    // that reaches the length limit. Every path that reaches the limit
    // closes the frame, so it never holds more than 1500 octets (plus a
    // line-error octet), whatever limit a log header asked for.
    const size_t room = lg < limit ? static_cast<size_t>(limit - lg) : 1;
    size_t stop = std::min(count, i + room);
    if (!flagKnown || flagAt < i) {
      flagAt = next(kPppFlag, i);
      flagKnown = true;
    }
    if (flagAt < stop) stop = flagAt + 1;
    if (!em.synlast) {
      if (!lfKnown || lfAt < i) {
        lfAt = next(kLf, i);
        lfKnown = true;
      }
      if (lfAt < stop) stop = lfAt + 1;
    }
    const uint8_t* run = block + i;
    const size_t len = stop - i;
    std::memcpy(te.b + lg, run, len);
    lg += static_cast<int>(len);
    te.lg = static_cast<int16_t>(lg);
    i += len;
    em.anz = static_cast<uint16_t>(count - i);

    const uint8_t c = run[len - 1];
    if (c == kPppFlag) {
      em.tosyn = now + port.bp.tosyn;
      if (lg == 1) continue;  // an opening flag
      close();                // the flag closes the frame and is its last octet
    } else if (!em.synlast && IsTextLine(te)) {
      close();
    } else if (lg >= limit) {
      em.synlast = false;
      te.stat = StatTooLong;
      close();
    }
  }

  // A line error of a block in which no frame was closed closes what is buffered.
  if (em.fehl != 0) close();
  em.toempf = now + port.bp.toempf;
}

bool CheckTimeouts(CaptureState& m, T_ComVar& port) { return CheckTimeoutsAt(port.em, m.clock.Tick()); }

void CloseFrame(CaptureState& m, T_ComVar& port) {
  port.em.te.dt = StampNow(m);
  CompleteFrame(m, port);
}

void CompleteFrame(CaptureState& m, T_ComVar& port) {
  T_EmpfVar& em = port.em;
  T_Telegramm& te = em.te;
  // The receiver never builds more than 1500 octets; a frame placed here by
  // the re-analysis of a damaged log may claim anything, so keep it within
  // the longest stored frame.
  te.lg = static_cast<int16_t>(std::clamp<int>(te.lg, 0, kMaxStoredDataLength));
  te.ta = TaRaw;
  te.ek = em.enr;

  bool ppp = false;
  if (em.fehl != 0) {
    te.stat = StatLineError;
    if (te.lg >= kMaxStoredDataLength) te.lg = kMaxStoredDataLength - 1;
    te.b[te.lg] = static_cast<uint8_t>(em.fehl & 0xFF);
    ++te.lg;
  } else {
    const int lg = te.lg;
    const bool framed = em.synlast || (lg > 0 && te.b[0] == kPppFlag);
    const uint8_t last = lg > 0 ? te.b[lg - 1] : 0;
    if (lg > 0 && last == kPppFlag) em.synlast = true;
    if (framed && em.synlast) {
      te.stat = StatOk;
      ppp = true;
    } else if (lg > 0 && (last == kCr || last == kLf)) {
      te.stat = StatTextLine;
    } else if (te.stat != StatTimeout && te.stat != StatTooLong) {
      te.stat = StatNoFrame;
    }
  }

  const int lg = te.lg;
  // Data octets in use: the frame and the padding octet after it, or as far
  // as a record placed here by the re-analysis reaches.
  const int used = std::min(std::max(lg + 1, te.lga - kTelegramHeaderSize), kTelegramDataSize);

  if (!ppp && te.stat != StatTimeout) {
    // Nothing but the receiver has written this frame: store it as it
    // stands, then clear what it used (the rest is zero since the last reset).
    StoreTelegram(m, te);
    ClearUsed(em, used);
    return;
  }

  // The unwrapping leaves the frame as received and puts the unstuffed
  // octets aside; the raw telegram is the frame with its verdict.
  T_Unwrapped unwrapped;
  const bool payload = UnwrapFrame(m, port, unwrapped);
  te.stat = unwrapped.stat;
  te.ta = unwrapped.ta;
  te.ofs = unwrapped.ofs;
  te.prot = unwrapped.prot;
  StoreTelegram(m, te);

  if (!payload) {
    ClearUsed(em, used);  // the unwrapping wrote nothing into the frame
    return;
  }
  ExtractApdus(m, port, unwrapped);
  ResetReceiver(port);
}

void ResetReceiver(T_ComVar& port) {
  std::memset(&port.em.te, 0, sizeof port.em.te);
  port.em.fehl = 0;
  port.em.te.stat = StatOk;
}

void PortTick(CaptureState& m, T_ComVar& port) {
  LedTick(port.LedR);
  LedTick(port.LedT);
  if (CheckTimeouts(m, port)) CloseFrame(m, port);
}

void StoreModemStatus(CaptureState& m, T_ComVar& port, uint8_t value) {
  T_Telegramm t;
  ClearTelegram(t);
  t.stat = StatModemStatus;
  t.ta = TaUFormat;
  t.ek = port.em.enr;
  t.lg = 4;
  t.event().fnr = value;
  StoreTelegram(m, t);
}

void LedOn(T_LedVar& led) {
  if (led.uhrLed != 0) return;
  led.uhrLed = 3;
  led.image += 1;
}

void LedTick(T_LedVar& led) {
  if (led.uhrLed <= 0) return;
  if (--led.uhrLed == 1) led.image &= ~1;
}

void Delay(CaptureState& m, uint32_t ms, const std::function<void()>& processPendingEvents) {
  const uint32_t start = m.clock.Tick();
  for (;;) {
    const uint32_t elapsed = m.clock.Tick() - start;
    if (elapsed >= ms) return;
    const uint32_t left = ms - elapsed;
    if (left > 2 && processPendingEvents) processPendingEvents();
    // Sleep rather than spin for the last few milliseconds: the system's
    // sleep is fine-grained enough, and a spinning wait would burn a core.
    m.clock.Sleep(left > 17 ? 10 : 1);
  }
}

}  // namespace qlxs
