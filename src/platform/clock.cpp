#include "platform/clock.h"

#include <ctime>
#include <cerrno>

#include "model/date_time.h"

namespace qlxs {

namespace {

uint32_t MonotonicMs(clockid_t id) {
  timespec ts;
  clock_gettime(id, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

}  // namespace

uint32_t CoarseMonotonicMs() { return MonotonicMs(CLOCK_MONOTONIC_COARSE); }

uint32_t SystemClock::Tick() { return MonotonicMs(CLOCK_MONOTONIC); }

double SystemClock::LocalNow() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local;
  const time_t secs = ts.tv_sec;
  localtime_r(&secs, &local);
  DateTimeParts p;
  p.year = local.tm_year + 1900;
  p.month = local.tm_mon + 1;
  p.day = local.tm_mday;
  p.hour = local.tm_hour;
  p.minute = local.tm_min;
  p.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  p.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return EncodeDateTime(p);
}

void SystemClock::Sleep(uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

void ManualClock::Advance(uint32_t ms) {
  tick_ += ms;
  now_ += static_cast<double>(ms) / kMsPerDay;
}

}  // namespace qlxs
