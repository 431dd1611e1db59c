#pragma once
/// In-memory state of the two ports: receiver state, activity indicators,
/// parameters, and the telegram counters.

#include <array>
#include <cstdint>

#include "model/port_params.h"
#include "model/telegram.h"

namespace qlxs {

class SerialPort;

/// One activity indicator. `image` is even when the indicator is dark and odd when lit.
struct T_LedVar {
  int32_t image = 0;   ///< image index of the indicator (stands for the tool button)
  int32_t uhrLed = 0;  ///< timer ticks left
};

/// Receiver state of one port.
struct T_EmpfVar {
  uint32_t toempf = 0;   ///< tick deadline after which pending octets close with status 13
  uint32_t tosyn = 0;    ///< tick deadline after which flag synchronisation is lost
  uint16_t fehl = 0;     ///< line-error code of the block being processed (5 = break)
  T_VId vid{};           ///< identity of the TCP segment being unwrapped
  uint16_t anz = 0;      ///< octets of the current block not yet consumed
  T_Telegramm te{};      ///< the telegram under construction
  uint8_t enr = 0;       ///< receiver number copied into `ek`: 1 or 3
  bool synlast = false;  ///< a flag was seen recently: the buffer is a PPP frame
};

/// The port's transmit-side block; only these members are used.
struct T_SendVar {
  uint8_t snr = 0;     ///< twice the port's statistics row: 2 or 4
  bool open = false;   ///< the port is open
  uint8_t paend = 0;   ///< modem-line mask in force while open
};

/// State of one port.
struct T_ComVar {
  SerialPort* pCp = nullptr;   ///< the serial port of this port (not owned)
  T_LedVar LedR;               ///< receive indicator
  T_LedVar LedT;               ///< transmit indicator (never lit by the capture)
  T_BetriebsPar bp{};          ///< parameters
  uint16_t hCpOutBuffUsed = 0; ///< output-buffer trigger handle (never armed)
  uint16_t hCpModStat = 0;     ///< modem-status trigger handle
  T_EmpfVar em;                ///< receiver state
  T_SendVar se;                ///< transmit-side block
};

/// Eight telegram counters, two per receiver number `ek` 1..4: index
/// 2(ek-1) counts stored telegrams of class other than 4, index 2(ek-1)+1
/// counts stored telegrams with a faulty status.
using TelegramCounters = std::array<int32_t, 8>;

/// Builds the two port states: port 1 from the defaults (receiver 1, row 2),
/// port 2 as a copy of port 1 with COM number + 1, receiver 3 and row 4.
void InitPortStates(T_ComVar& port1, T_ComVar& port2);

/// Derives port 2 from port 1 as start-up does: a byte copy, then COM number
/// + 1, receiver number 3 and statistics row 4.
void DerivePort2(const T_ComVar& port1, T_ComVar& port2);

}  // namespace qlxs
