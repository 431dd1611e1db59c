#include "support/fake_serial_port.h"

#include <algorithm>
#include <cstring>

namespace qlxs {

void FakeSerialPort::Feed(const std::vector<uint8_t>& octets, uint16_t lineError, bool lineBreak) {
  const size_t pos = octets_.size();
  if (lineError != 0) errors_.push_back({pos, lineError});
  if (lineBreak) breaks_.push_back({pos, 0});
  octets_.insert(octets_.end(), octets.begin(), octets.end());
}

const FakeSerialPort::Trigger* FakeSerialPort::TriggerOf(uint16_t handle) const {
  if (handle == 0 || handle > triggers_.size()) return nullptr;
  return &triggers_[handle - 1];
}

int FakeSerialPort::Open(std::string*) {
  open_ = true;
  return 0;
}

void FakeSerialPort::FlushInBuffer() {
  readPos_ = octets_.size();
  errors_.clear();
  breaks_.clear();
}

size_t FakeSerialPort::GetBlock(uint8_t* buffer, size_t count) {
  blockReads_.push_back(count);
  const size_t n = std::min(count, octets_.size() - readPos_);
  if (n > 0) std::memcpy(buffer, octets_.data() + readPos_, n);
  readPos_ += n;
  return n;
}

bool FakeSerialPort::TakeMark(std::vector<Mark>& marks, uint16_t* code) {
  auto unread = std::find_if(marks.begin(), marks.end(), [&](const Mark& k) { return k.pos >= readPos_; });
  if (unread == marks.begin()) return false;
  *code = marks.front().code;
  marks.erase(marks.begin(), unread);
  return true;
}

uint16_t FakeSerialPort::GetLineError() {
  uint16_t code = 0;
  TakeMark(errors_, &code);
  return code;
}

bool FakeSerialPort::GetLineBreak() {
  uint16_t code = 0;
  return TakeMark(breaks_, &code);
}

uint8_t FakeSerialPort::GetModemStatus() {
  const uint8_t status = modem_;
  modem_ &= 0xF0;
  return status;
}

uint16_t FakeSerialPort::AddStatusTrigger(int type) {
  Trigger t;
  t.type = type;
  triggers_.push_back(t);
  return static_cast<uint16_t>(triggers_.size());
}

void FakeSerialPort::SetStatusTrigger(uint16_t handle, uint8_t mask, bool activate) {
  if (handle == 0 || handle > triggers_.size()) return;
  Trigger& t = triggers_[handle - 1];
  t.mask = mask;
  t.armed = activate;
  if (activate) ++t.arms;
}

uint16_t FakeSerialPort::PollStatusTrigger() {
  // Mask bits 4-7 watch the lines whose change flags are bits 0-3.
  for (size_t i = 0; i < triggers_.size(); ++i) {
    Trigger& t = triggers_[i];
    if (t.type == kTriggerModemStatus && t.armed && (modem_ & (t.mask >> 4) & 0x0F) != 0) {
      t.armed = false;
      return static_cast<uint16_t>(i + 1);
    }
  }
  return 0;
}

}  // namespace qlxs
