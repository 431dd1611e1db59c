#pragma once
/// The serial port on a Linux tty through termios.
///
/// The device is opened O_RDWR|O_NOCTTY|O_NONBLOCK and held exclusively
/// (flock and TIOCEXCL) while open. The line runs raw with INPCK|PARMRK and
/// without IGNPAR, IGNBRK, BRKINT and ISTRIP, so damaged octets and breaks
/// arrive as marks in the byte stream; the block read strips them and files
/// the errors at their place in the stream. Overruns and the split between
/// parity and framing errors come from the driver's TIOCGICOUNT counters
/// (none on a pseudo-terminal, which counts as "no error"). Modem lines come
/// from TIOCMGET; status triggers are emulated by polling.

#include <cstdint>
#include <string>
#include <vector>

#include <termios.h>

#include "platform/modem_status.h"
#include "platform/receive_queue.h"
#include "platform/serial_port.h"

namespace qlxs {

class TermiosSerialPort final : public SerialPort {
 public:
  TermiosSerialPort() = default;
  explicit TermiosSerialPort(std::string device) : device_(std::move(device)) {}
  TermiosSerialPort(const TermiosSerialPort&) = delete;
  TermiosSerialPort& operator=(const TermiosSerialPort&) = delete;
  ~TermiosSerialPort() override;

  void SetDevice(const std::string& path) override { device_ = path; }
  const std::string& Device() const override { return device_; }
  void SetSettings(const SerialSettings& settings) override { settings_ = settings; }

  int Open(std::string* error) override;
  void Close() override;
  bool IsOpen() const override { return fd_ >= 0; }
  int Fd() const override { return fd_; }

  void FlushInBuffer() override;
  long Available() override;
  size_t GetBlock(uint8_t* buffer, size_t count) override;
  uint16_t GetLineError() override;
  bool GetLineBreak() override;
  uint8_t GetModemStatus() override;

  uint16_t AddStatusTrigger(int type) override;
  void SetStatusTrigger(uint16_t handle, uint8_t mask, bool activate) override;
  uint16_t PollStatusTrigger() override;

 private:
  struct Trigger {
    uint16_t handle;
    int type;
    uint8_t mask;
    bool armed;
  };
  struct Counters {
    uint32_t frame = 0, parity = 0, overrun = 0, bufOverrun = 0;
    uint32_t cts = 0, dsr = 0, rng = 0, dcd = 0;
  };

  bool ReadCounters(Counters* c) const;
  static uint8_t LinesToStates(int lines);
  void SampleModem();
  void Fail(int err);

  std::string device_;
  SerialSettings settings_;
  int fd_ = -1;
  termios saved_{};
  bool restore_ = false;

  std::vector<uint8_t> raw_;  ///< one read from the device
  ReceiveQueue queue_;        ///< received octets not yet read, with their line errors
  int failed_ = 0;            ///< errno of a device failure, 0 while healthy

  bool haveCounters_ = false;
  Counters counters_;       ///< baseline of the line-error counts
  Counters modemCounters_;  ///< baseline of the modem-line counts
  ModemStatusTracker modem_;
  std::vector<Trigger> triggers_;
  uint16_t nextHandle_ = 1;
};

/// The termios speed constant of a baud rate; B0 when the rate is not one
/// of the standard rates.
speed_t BaudConstant(int32_t baud);

/// A message for a failed open of `device` with errno `err` that says what
/// the user can do: a missing device, a device without permission (naming
/// the group that gives access), a device held by another program.
std::string DescribeOpenError(const std::string& device, int err);

/// The availability test of a device: it exists, is a tty, and can be opened
/// and locked now. Returns 0, or an errno value (EBUSY when another process
/// holds it) with `error` (optional) set to a message naming the device.
int TestDevice(const std::string& device, std::string* error = nullptr);

}  // namespace qlxs
