#pragma once
/// The clocks the capture needs: a millisecond tick for time-outs and time
/// stamps, and the local calendar time. Tests drive a manual clock.

#include <cstdint>

namespace qlxs {

class Clock {
 public:
  virtual ~Clock() = default;
  /// Millisecond tick: a monotonic counter truncated to 32 bits.
  virtual uint32_t Tick() = 0;
  /// The local date and time now as a date-time number (days since
  /// 1899-12-30, fraction = local time of day), to the millisecond.
  virtual double LocalNow() = 0;
  /// Waits the given number of milliseconds.
  virtual void Sleep(uint32_t ms) = 0;
};

/// Milliseconds of the coarse monotonic clock (CLOCK_MONOTONIC_COARSE),
/// truncated to 32 bits: cheap enough to read for every stored telegram,
/// exact to a few milliseconds.
uint32_t CoarseMonotonicMs();

/// The real clocks: CLOCK_MONOTONIC and the local time of the system.
class SystemClock final : public Clock {
 public:
  uint32_t Tick() override;
  double LocalNow() override;
  void Sleep(uint32_t ms) override;
};

/// A clock that moves only when told to: tick and local time advance together.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(double localNow = 46000.5, uint32_t tick = 1000) : now_(localNow), tick_(tick) {}
  uint32_t Tick() override { return tick_; }
  double LocalNow() override { return now_; }
  /// Sleeping advances the clock, so waiting loops terminate.
  void Sleep(uint32_t ms) override { Advance(ms); }

  void Advance(uint32_t ms);
  void SetTick(uint32_t tick) { tick_ = tick; }
  void SetLocalNow(double dt) { now_ = dt; }

 private:
  double now_;
  uint32_t tick_;
};

}  // namespace qlxs
