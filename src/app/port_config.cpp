#include "app/port_config.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/monitor.h"
#include "app/online.h"
#include "capture/receiver.h"
#include "config/language_texts.h"
#include "config/message_box.h"
#include "config/text_format.h"
#include "log/store.h"

namespace qlxs {

int32_t BaudListRate(const Monitor& m, int32_t index) {
  if (index < 0 || index > 255) return 0;
  const std::string& s = Text(m.AllgVar, kTextBaudList + index);
  if (s.empty()) return 0;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  return *end == '\0' && v > 0 && v <= 100'000'000 ? static_cast<int32_t>(v) : 0;
}

namespace {

constexpr int32_t kSlowestBaud = 300;

std::string ComText(const Monitor& m, int32_t cnr) { return Text(m.AllgVar, kTextComPrefix) + std::to_string(cnr); }

// Closes the frame under construction as the reception time-out does.
void ClosePendingFrame(Monitor& m, T_ComVar& port) {
  if (port.em.te.lg <= 0) return;
  port.em.te.stat = StatTimeout;
  port.em.synlast = false;
  CloseFrame(m, port);
}

void StoreLogText(Monitor& m, const T_ComVar& port) {
  if (port.bp.logtxt.view().empty()) return;
  StoreMessage(m, port, std::string(port.bp.logtxt.view()));
}

}  // namespace

int32_t EffectiveBaud(const Monitor& m, const T_BetriebsPar& bp) {
  return bp.baud > 0 ? bp.baud : BaudListRate(m, bp.BaudI);
}

SerialSettings LineSettingsOf(const Monitor& m, const T_BetriebsPar& bp) {
  SerialSettings s;
  s.baud = EffectiveBaud(m, bp);
  s.parity = bp.pari;
  s.dataBits = bp.data;
  s.stopBits = bp.stop;
  return s;
}

void ProbePorts(Monitor& m) {
  T_AllgVar& v = m.AllgVar;
  v.AnzCom = 0;
  for (int n = 1; n <= kMaxComNumber; ++n) {
    bool available = false;
    for (const T_ComVar& port : m.ports)
      if (port.bp.cnr == n && port.se.open) available = true;
    if (!available) available = PortAvailable(m.portMap, n);
    if (available) v.ComNr[static_cast<size_t>(v.AnzCom++)] = static_cast<uint8_t>(n);
  }
}

uint32_t ReopenDelayMs(const Monitor& m, const T_BetriebsPar& before) {
  int32_t baud = EffectiveBaud(m, before);
  if (baud <= 0) baud = kSlowestBaud;
  return static_cast<uint32_t>(176000 / baud + 300);
}

bool ApplyPortSettings(Monitor& m, const PortDialog& dialog, const std::function<void()>& processPendingEvents) {
  if (!m.PrgPar.online || m.AllgVar.AnzCom == 0) ProbePorts(m);
  T_ComVar copy = m.ports[0];
  const int32_t cnr2Before = m.ports[1].bp.cnr;
  if (!dialog || !dialog(m, copy)) return false;
  // The dialog has given the second port its new number already; the port
  // is closed under the number it was opened with (a port set to none is
  // closed too, and its closed telegram names the device it had).
  const int32_t cnr2 = m.ports[1].bp.cnr;
  if (m.PrgPar.online) {
    const T_BetriebsPar before = m.ports[0].bp;
    m.ports[1].bp.cnr = cnr2Before;
    ClosePorts(m);
    Delay(m, ReopenDelayMs(m, before), processPendingEvents);
  }
  m.ports[0].bp = copy.bp;
  m.ports[1].bp = copy.bp;
  m.ports[1].bp.cnr = cnr2;
  return ApplyOnline(m);
}

bool OpenPort(Monitor& m, T_ComVar& port) {
  T_BetriebsPar& bp = port.bp;
  if (bp.cnr == 0 || port.se.open) return port.se.open;
  SerialPort* sp = port.pCp;
  std::string why;
  int err = 0;
  if (sp == nullptr) {
    err = ENODEV;
    why = "no serial port is attached to this port";
  } else {
    sp->SetDevice(m.portMap.DevicePath(bp.cnr));
    sp->SetSettings(LineSettingsOf(m, bp));
    ApplyPortParams(m, port);
    sp->FlushInBuffer();
    err = sp->Open(&why);
    if (err == 0) {
      port.se.open = true;
      port.hCpOutBuffUsed = sp->AddStatusTrigger(kTriggerOutBuffUsed);
      port.hCpModStat = 0;
      if (port.hCpOutBuffUsed == 0) {
        err = EIO;
      } else if (port.se.paend != 0) {
        port.hCpModStat = sp->AddStatusTrigger(kTriggerModemStatus);
        if (port.hCpModStat == 0)
          err = EIO;
        else
          sp->SetStatusTrigger(port.hCpModStat, port.se.paend, true);
      }
      if (err != 0) why = sp->Device() + ": the status triggers cannot be registered";
    }
  }
  if (err != 0) {
    if (sp) sp->Close();
    port.se.open = false;
    std::string text = FormatText(Text(m.AllgVar, kTextCannotOpen), {bp.cnr});
    if (!why.empty()) text += (text.empty() ? "" : "\n") + why;
    MessageOkNrText(m, kTextCannotOpen, text, MsgError);
    bp.cnr = 0;
    m.AllgVar.AnzCom = 0;
    return false;
  }
  StorePortEvent(m, port, StatPortOpened);
  StoreLogText(m, port);
  return true;
}

void ClosePort(Monitor& m, T_ComVar& port) {
  if (port.bp.cnr == 0 || !port.se.open) return;
  if (port.pCp) {
    const long n = port.pCp->Available();
    if (n > 0) OnPortEvent(m, port, kMsgDataAvailable, 0, n);
  }
  ClosePendingFrame(m, port);
  StoreLogText(m, port);
  StorePortEvent(m, port, StatPortClosed);
  if (port.pCp) port.pCp->Close();
  port.se.open = false;
  port.hCpModStat = 0;
  port.hCpOutBuffUsed = 0;
}

void OpenPorts(Monitor& m) {
  if (m.ports[0].bp.cnr == 0 && m.ports[1].bp.cnr == 0) {
    m.PrgPar.online = 0;
    MessageOkNr(m, kTextNoComPort, MsgError);
    return;
  }
  OpenPort(m, m.ports[0]);
  OpenPort(m, m.ports[1]);
  if (m.ports[0].bp.cnr == 0 && m.ports[1].bp.cnr == 0) m.PrgPar.online = 0;
}

void ClosePorts(Monitor& m) {
  ClosePort(m, m.ports[0]);
  ClosePort(m, m.ports[1]);
}

void ApplyPortParams(Monitor&, T_ComVar& port) { port.se.paend = port.bp.paend; }

void ServicePort(Monitor& m, T_ComVar& port) {
  if (!port.se.open || port.pCp == nullptr) return;
  const long n = port.pCp->Available();
  if (n > 0) {
    OnPortEvent(m, port, kMsgDataAvailable, 0, n);
  } else if (n < 0) {
    const int err = static_cast<int>(-n);
    const bool hungUp = err == EIO || err == ENXIO || err == ENODEV;
    PortLost(m, port,
             port.pCp->Device() + ": " + (hungUp ? "disconnected or hung up (" : "read error (") + std::strerror(err) +
                 ")");
  }
}

void PortLost(Monitor& m, T_ComVar& port, const std::string& reason) {
  if (!port.se.open) return;
  ClosePendingFrame(m, port);
  std::string text = FormatText(Text(m.AllgVar, kTextPortGone), {port.bp.cnr, reason});
  if (text.empty()) text = "COM" + std::to_string(port.bp.cnr) + " is no longer available (" + reason + ")";
  StoreMessage(m, port, text);
  ClosePort(m, port);
  MessageOkNrText(m, kTextPortGone, text, MsgError);
  if (!m.ports[0].se.open && !m.ports[1].se.open && m.PrgPar.online) SetOnline(m, 0);
}

void FillPortCells(const Monitor& m, const T_ComVar& port, StatusGrid& grid) {
  const size_t row = port.se.snr / 2;
  if (row < 1 || row >= grid.size()) return;
  auto& cells = grid[row];
  cells[3] = "  " + std::to_string(port.bp.port);
  cells[4] = port.bp.cnr == 0 ? "  -" : ComText(m, port.bp.cnr);
  cells[5] = PortSummary(m, port.bp);
  cells[6] = Text(m.AllgVar, kTextPortColumn6);
}

std::string PortSummary(const Monitor& m, const T_BetriebsPar& bp) {
  const std::string& letters = Text(m.AllgVar, kTextParityLetters);
  const std::string parity = bp.pari < letters.size() ? std::string(1, letters[bp.pari]) : std::string();
  return FormatText(Text(m.AllgVar, kTextPortSummary),
                    {Text(m.AllgVar, kTextBaudList + bp.BaudI), parity, int{bp.data}, int{bp.stop}});
}

void StorePortEvent(Monitor& m, const T_ComVar& port, uint8_t stat) {
  T_Telegramm t;
  ClearTelegram(t);
  t.stat = stat;
  t.ta = TaEvent;
  t.ek = port.em.enr;
  t.lg = kTelegramHeaderSize;
  const int base = port.em.enr >= 1 && port.em.enr <= 3 ? 2 * (port.em.enr - 1) : 0;
  for (int i = 0; i < 4; ++i) t.SetLong(i, m.counters[static_cast<size_t>(base + i)]);
  t.SetLong(4, port.bp.cnr);
  t.SetLong(5, EffectiveBaud(m, port.bp));
  StoreTelegram(m, t);
}

void StoreMessage(Monitor& m, const T_ComVar& port, const std::string& text) {
  T_Telegramm t;
  ClearTelegram(t);
  t.stat = StatMessage;
  t.ta = TaEvent;
  t.ek = port.em.enr;
  const std::string_view cut = CutUtf8(text, 255);
  SetMessageText(t, cut.data(), cut.size());
  StoreTelegram(m, t);
}

}  // namespace qlxs
