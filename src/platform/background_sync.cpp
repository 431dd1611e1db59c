#include "platform/background_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace qlxs {

BackgroundSync::~BackgroundSync() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  cv_.notify_all();
  if (worker_.joinable()) worker_.join();
  if (pending_ >= 0) ::close(pending_);
}

bool BackgroundSync::Request(int fd) {
  if (fd < 0) return false;
  // A new open file description of the same file, not a duplicate of the
  // caller's: a duplicate would keep the caller's `flock` held until the
  // flush ends, so the caller could not close and lock its file again.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  int own = ::open(self.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (own < 0) own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return false;
  std::lock_guard<std::mutex> lock(mu_);
  if (stop_) {
    ::close(own);
    return false;
  }
  // While a flush is under way the request waits; a newer one replaces it,
  // since it covers the same data and more.
  if (pending_ >= 0) ::close(pending_);
  pending_ = own;
  busy_ = true;
  if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
  cv_.notify_all();
  return true;
}

void BackgroundSync::Drain() {
  std::unique_lock<std::mutex> lock(mu_);
  cv_.wait(lock, [this] { return !busy_; });
}

int BackgroundSync::TakeError() {
  std::lock_guard<std::mutex> lock(mu_);
  const int e = error_;
  error_ = 0;
  return e;
}

void BackgroundSync::Run() {
  std::unique_lock<std::mutex> lock(mu_);
  for (;;) {
    cv_.wait(lock, [this] { return stop_ || pending_ >= 0; });
    if (pending_ < 0) return;  // stopped with nothing left to flush
    const int fd = pending_;
    pending_ = -1;
    lock.unlock();
    const int rc = ::fdatasync(fd) == 0 ? 0 : errno;
    ::close(fd);
    lock.lock();
    if (rc != 0) error_ = rc;
    if (pending_ < 0) {
      busy_ = false;
      cv_.notify_all();
    }
  }
}

}  // namespace qlxs
