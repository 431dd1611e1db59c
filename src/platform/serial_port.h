#pragma once
/// The serial port as the capture sees it: configure, open, read blocks,
/// line errors, breaks and modem status. The real implementation drives a
/// tty through termios; a test double feeds prepared octets.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qlxs {

/// Line settings of a port; parity 0 none, 1 odd, 2 even, 3 mark, 4 space.
struct SerialSettings {
  int32_t baud = 9600;
  uint8_t parity = 0;
  uint8_t dataBits = 8;
  uint8_t stopBits = 1;
};

/// Status trigger types.
inline constexpr int kTriggerModemStatus = 1;
inline constexpr int kTriggerOutBuffUsed = 4;

/// Port event messages.
inline constexpr int kMsgDataAvailable = 0x7E01;
inline constexpr int kMsgStatusTrigger = 0x7E04;

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  /// The device this port uses (for example /dev/ttyUSB0); set while closed.
  virtual void SetDevice(const std::string& path) = 0;
  virtual const std::string& Device() const = 0;
  /// Line settings; set while closed.
  virtual void SetSettings(const SerialSettings& settings) = 0;

  /// Opens the device. Returns 0 or an errno value; `error` then says why in
  /// words that name the device (for example which group gives access).
  virtual int Open(std::string* error) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  /// File descriptor to wait on for readability, -1 when there is none.
  virtual int Fd() const = 0;

  /// Discards octets received but not yet read.
  virtual void FlushInBuffer() = 0;
  /// Reads what the device has now and returns how many octets are
  /// available to GetBlock. Negative: the device failed (-errno, for
  /// example -EIO when a USB adapter was pulled out).
  virtual long Available() = 0;
  /// Copies at most `count` available octets into `buffer`; returns the number copied.
  virtual size_t GetBlock(uint8_t* buffer, size_t count) = 0;
  /// First line error since the last call: 0 none, 1 buffer overflow,
  /// 2 overrun, 3 parity, 4 framing. Each error is reported once.
  virtual uint16_t GetLineError() = 0;
  /// True when a break arrived since the last call; reported once.
  virtual bool GetLineBreak() = 0;
  /// Modem status octet in 16550 layout: bits 0-3 change flags of CTS, DSR,
  /// RI (trailing edge), DCD; bits 4-7 their current states.
  virtual uint8_t GetModemStatus() = 0;

  /// Registers a status trigger of the given type while the port is open;
  /// returns its handle, or 0 when it cannot be registered (port closed).
  /// Closing the port drops its triggers.
  virtual uint16_t AddStatusTrigger(int type) = 0;
  /// Arms (or disarms) a modem-status trigger for the lines in `mask`.
  /// A trigger fires once and must be armed again.
  virtual void SetStatusTrigger(uint16_t handle, uint8_t mask, bool activate) = 0;
  /// Checks the armed triggers (called on every timer tick); returns the
  /// handle of a trigger that fired, or 0.
  virtual uint16_t PollStatusTrigger() = 0;
};

}  // namespace qlxs
