#pragma once
/// Configuration, opening and closing of the two serial ports: the probe
/// for the COM numbers that can be opened, applying new port settings,
/// opening and closing a port with the telegrams that mark it in the log,
/// the port's cells of the status grid, and what happens when a device
/// disappears while open.
///
/// A port's device is the port map's device of its COM number `bp.cnr`;
/// `port.pCp` is the serial port that opens it.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "model/port_state.h"
#include "platform/serial_port.h"

namespace qlxs {

struct Monitor;

/// Language texts of the port configuration.
inline constexpr int kTextBaudList = 657;        ///< first entry of the baud list
inline constexpr int kTextNoComPort = 1137;      ///< error: no COM port configured
inline constexpr int kTextComPrefix = 1207;      ///< "COM  ", five characters before a COM number
inline constexpr int kTextCannotOpen = 1208;     ///< error: COM%d cannot be opened
inline constexpr int kTextPortGone = 1211;       ///< COM%d is no longer available (%s)
inline constexpr int kTextPortSummary = 1625;    ///< format: baud, parity letter, data bits, stop bits
inline constexpr int kTextParityLetters = 1626;  ///< one letter per parity, none..space
inline constexpr int kTextPortColumn6 = 565;     ///< status grid column 6 of a port row

/// The status grid of the main window as text: 3 rows (captions, first
/// port, second port) of 8 columns.
using StatusGrid = std::array<std::array<std::string, 8>, 3>;

/// What the port dialog does with a copy of the first port's state: edits
/// it and returns true for OK. On OK it has also set the second port's COM
/// number in `m.ports[1].bp.cnr`; on cancel it has changed nothing.
using PortDialog = std::function<bool(Monitor& m, T_ComVar& copy)>;

/// The rate of baud list entry `index` (text 657 + `index`, a plain
/// decimal number); 0 when the entry is not a rate.
int32_t BaudListRate(const Monitor& m, int32_t index);

/// The baud rate a port runs at: `bp.baud`, or, while that is not set (0,
/// the default before the port dialog ever ran), the rate of its baud list
/// entry (text 657 + `BaudI`). 0 when neither is a rate.
int32_t EffectiveBaud(const Monitor& m, const T_BetriebsPar& bp);

/// The line settings of the parameters for the serial port.
SerialSettings LineSettingsOf(const Monitor& m, const T_BetriebsPar& bp);

/// Lists the COM numbers 1..255 that can be used in `AllgVar.ComNr`
/// (ascending) and `AllgVar.AnzCom`: a number is available when one of the
/// two ports has it open, or when its mapped device exists and can be
/// opened and locked now.
void ProbePorts(Monitor& m);

/// The wait between closing the ports and opening them with new settings:
/// 176000 / baud + 300 ms for the first port's rate before the change. When
/// no rate is known the slowest rate of the list, 300 bit/s, is assumed.
uint32_t ReopenDelayMs(const Monitor& m, const T_BetriebsPar& before);

/// Applies new port settings: probes the ports when offline or when the
/// list is empty, lets `dialog` edit a copy of the first port's state and
/// stops when it is cancelled; while online closes both ports and waits
/// `ReopenDelayMs` (running `processPendingEvents` meanwhile); copies the
/// edited parameters into both ports (the second keeps its COM number) and
/// applies the online state again, which reopens the ports when online.
/// Returns true when applying the online state made another log file the
/// current log (false also when the dialog was cancelled).
bool ApplyPortSettings(Monitor& m, const PortDialog& dialog, const std::function<void()>& processPendingEvents);

/// Opens a configured port that is closed: sets the device and line
/// settings, `ApplyPortParams`, flushes and opens it, registers its status
/// triggers (the modem-status trigger armed for the watched lines), then
/// stores the port-opened telegram and the log text message. When it cannot
/// be opened: message 1208 with the reason, the port is closed, its COM
/// number becomes 0 and `AnzCom` 0. Returns true when the port is open.
bool OpenPort(Monitor& m, T_ComVar& port);

/// Closes an open port: first takes what the port still holds and closes the
/// frame under construction as the reception time-out would, so nothing
/// received is lost; then stores the log text message and the port-closed
/// telegram and closes the device.
void ClosePort(Monitor& m, T_ComVar& port);

/// Opens both ports. With no port configured message 1137 is shown and
/// capture goes offline; when neither port could be opened it goes offline too.
void OpenPorts(Monitor& m);

/// Closes the first port, then the second.
void ClosePorts(Monitor& m);

/// Brings what is derived from the general parameters in line for a port:
/// its modem-line mask in force `se.paend` = `bp.paend`.
void ApplyPortParams(Monitor& m, T_ComVar& port);

/// The device of an open port has readable data or has failed: hands what
/// it has to the receiver, or, when the device is gone, `PortLost`.
void ServicePort(Monitor& m, T_ComVar& port);

/// The device of an open port is gone (a USB adapter pulled out): the frame
/// under construction is closed and stored, a message telegram (text 1211
/// with the COM number and `reason`) is stored and shown, the port is closed
/// with its port-closed telegram, and when no port is left open capture
/// goes offline, which writes the log back.
void PortLost(Monitor& m, T_ComVar& port, const std::string& reason);

/// Fills the cells of the port's row of the status grid (row `se.snr` / 2):
/// column 3 the TCP port, column 4 the COM number, column 5 `PortSummary`,
/// column 6 text 565.
void FillPortCells(const Monitor& m, const T_ComVar& port, StatusGrid& grid);

/// The serial parameters in short, text 1625 with the baud list entry, the
/// parity letter, the data bits and the stop bits (for example "38400 N81").
std::string PortSummary(const Monitor& m, const T_BetriebsPar& bp);

/// Stores a port-opened (45) or port-closed (46) telegram: the port's four
/// telegram counters, its COM number and its baud rate.
void StorePortEvent(Monitor& m, const T_ComVar& port, uint8_t stat);

/// Stores a message telegram (status 50) of the port with `text`, cut to 255 octets.
void StoreMessage(Monitor& m, const T_ComVar& port, const std::string& text);

}  // namespace qlxs
