#pragma once
/// A serial port without a device, for tests: the test queues the octets of
/// the line, line errors, breaks and modem-line changes, and the port hands
/// them out through the `SerialPort` interface as a real port would.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace qlxs {

class FakeSerialPort final : public SerialPort {
 public:
  /// One registered status trigger.
  struct Trigger {
    int type = 0;        ///< kTriggerModemStatus or kTriggerOutBuffUsed
    uint8_t mask = 0;    ///< lines the trigger was last armed for
    bool armed = false;  ///< armed and not fired since
    int arms = 0;        ///< how often it was armed
  };

  /// Queues octets as received from the line. A line error (`lineError` ≠ 0)
  /// or a break given here arrives with the first of these octets: it is
  /// reported by the first `GetLineError` / `GetLineBreak` after that octet
  /// has been read.
  void Feed(const std::vector<uint8_t>& octets, uint16_t lineError = 0, bool lineBreak = false);
  /// Sets the modem lines: the four line states (bits 4-7) and the change
  /// flags (bits 0-3); the change flags clear when the status is read.
  void SetModemStatus(uint8_t status) { modem_ = status; }

  /// Trigger `handle` (as returned by AddStatusTrigger), or null.
  const Trigger* TriggerOf(uint16_t handle) const;
  /// The sizes asked of GetBlock, in order.
  const std::vector<size_t>& BlockReads() const { return blockReads_; }

  void SetDevice(const std::string& path) override { device_ = path; }
  const std::string& Device() const override { return device_; }
  void SetSettings(const SerialSettings& settings) override { settings_ = settings; }
  const SerialSettings& Settings() const { return settings_; }
  int Open(std::string* error) override;
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  int Fd() const override { return -1; }
  void FlushInBuffer() override;
  long Available() override { return static_cast<long>(octets_.size() - readPos_); }
  size_t GetBlock(uint8_t* buffer, size_t count) override;
  uint16_t GetLineError() override;
  bool GetLineBreak() override;
  uint8_t GetModemStatus() override;
  uint16_t AddStatusTrigger(int type) override;
  void SetStatusTrigger(uint16_t handle, uint8_t mask, bool activate) override;
  /// Fires the first armed modem-status trigger whose lines have changed.
  uint16_t PollStatusTrigger() override;

 private:
  struct Mark {
    size_t pos;     // index of the octet the condition arrived with
    uint16_t code;  // line-error code; 0 for a break
  };
  // Reports and forgets the marks whose octet has been read; returns the first.
  bool TakeMark(std::vector<Mark>& marks, uint16_t* code);

  std::string device_;
  SerialSettings settings_;
  bool open_ = false;
  std::vector<uint8_t> octets_;
  size_t readPos_ = 0;
  std::vector<Mark> errors_;
  std::vector<Mark> breaks_;
  uint8_t modem_ = 0;
  std::vector<Trigger> triggers_;
  std::vector<size_t> blockReads_;
};

}  // namespace qlxs
