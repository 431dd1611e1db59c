#include "capture/receiver.h"

#include <algorithm>
#include <cstring>

#include "capture/time_base.h"
#include "capture/unwrap.h"
#include "config/monitor.h"
#include "log/store.h"
#include "platform/clock.h"
#include "platform/serial_port.h"

namespace qlxs {

namespace {

constexpr uint8_t kFlag = 0x7E;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;

// True once the tick `now` lies after `deadline`. The difference is taken
// modulo 2^32, so a deadline set just before the 32-bit tick wraps (every
// 49.7 days) does not expire at once.
bool TickAfter(uint32_t now, uint32_t deadline) { return static_cast<int32_t>(now - deadline) > 0; }

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

void OnPortEvent(Monitor& m, T_ComVar& port, int message, uint16_t trigger, long data) {
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
      port.em.anz = static_cast<uint16_t>(got);
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

void ReceiveBlock(Monitor& m, T_ComVar& port, const uint8_t* block, size_t count) {
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
  size_t i = 0;
  while (i < count) {
    int lg = te.lg;
    // Copy a run of octets that cannot close the frame, up to the first one
    // that may: a flag, an LF while text lines are looked for, or the octet
    // that reaches the length limit. The buffer holds fewer than `limit`
    // octets here (every path that reaches the limit closes), so at most
    // 1500 octets plus a line-error octet are ever in the data area.
    const size_t room = lg < limit ? static_cast<size_t>(limit - lg) : 1;
    const uint8_t* run = block + i;
    size_t len = std::min(count - i, room);
    if (const void* flag = std::memchr(run, kFlag, len))
      len = static_cast<size_t>(static_cast<const uint8_t*>(flag) - run) + 1;
    if (!em.synlast) {
      if (const void* lf = std::memchr(run, kLf, len))
        len = static_cast<size_t>(static_cast<const uint8_t*>(lf) - run) + 1;
    }
    std::memcpy(te.b + lg, run, len);
    lg += static_cast<int>(len);
    te.lg = static_cast<int16_t>(lg);
    i += len;
    em.anz = static_cast<uint16_t>(count - i);

    const uint8_t c = run[len - 1];
    if (c == kFlag) {
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

bool CheckTimeouts(Monitor& m, T_ComVar& port) { return CheckTimeoutsAt(port.em, m.clock.Tick()); }

void CloseFrame(Monitor& m, T_ComVar& port) {
  port.em.te.dt = StampNow(m);
  CompleteFrame(m, port);
}

void CompleteFrame(Monitor& m, T_ComVar& port) {
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
    const bool framed = em.synlast || (lg > 0 && te.b[0] == kFlag);
    const uint8_t last = lg > 0 ? te.b[lg - 1] : 0;
    if (lg > 0 && last == kFlag) em.synlast = true;
    if (framed && em.synlast) {
      te.stat = StatOk;
      ppp = true;
    } else if (lg > 0 && (last == kCr || last == kLf)) {
      te.stat = StatTextLine;
    } else if (te.stat != StatTimeout && te.stat != StatTooLong) {
      te.stat = StatNoFrame;
    }
  }

  // The raw telegram keeps the octets as received; the unwrapping works on
  // `em.te` in place and may reuse it for the telegrams it extracts.
  T_Telegramm raw;
  const int lg = te.lg;
  std::memcpy(&raw, &te, kTelegramHeaderSize + lg);
  std::memset(raw.b + lg, 0, kTelegramDataSize - lg);

  bool payload = false;
  if (ppp || te.stat == StatTimeout) payload = UnwrapFrame(m, port);

  raw.stat = te.stat;
  raw.ta = te.ta;
  raw.ofs = te.ofs;
  raw.prot = te.prot;
  StoreTelegram(m, raw);

  if (payload) ExtractApdus(m, port);
  ResetReceiver(port);
}

void ResetReceiver(T_ComVar& port) {
  std::memset(&port.em.te, 0, sizeof port.em.te);
  port.em.fehl = 0;
  port.em.te.stat = StatOk;
}

void PortTick(Monitor& m, T_ComVar& port) {
  LedTick(port.LedR);
  LedTick(port.LedT);
  if (CheckTimeouts(m, port)) CloseFrame(m, port);
}

void StoreModemStatus(Monitor& m, T_ComVar& port, uint8_t value) {
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

void Delay(Monitor& m, uint32_t ms, const std::function<void()>& processPendingEvents) {
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
