#pragma once
/// Flushes files to the storage device on a thread of its own, so that a
/// slow `fdatasync` (hundreds of milliseconds on a busy SD card or USB
/// stick) never stalls the capture loop, whose reception time-outs are
/// shorter than that.
///
/// The worker touches no state of the caller: it is handed a descriptor of
/// its own on the same file, flushes it and closes it. The caller may close
/// or reopen (and lock) its own descriptor at any time.

#include <condition_variable>
#include <mutex>
#include <thread>

namespace qlxs {

class BackgroundSync {
 public:
  BackgroundSync() = default;
  BackgroundSync(const BackgroundSync&) = delete;
  BackgroundSync& operator=(const BackgroundSync&) = delete;
  /// Flushes a request still waiting, waits for the flush, then ends the worker.
  ~BackgroundSync();

  /// Asks for `fd`'s data to be flushed. Returns at once. While a flush is
  /// under way the request waits for it; of several waiting requests only
  /// the newest is kept (it covers the same data). False when no descriptor
  /// of the file could be had for the worker.
  bool Request(int fd);

  /// Waits until no flush is waiting or under way.
  void Drain();

  /// The errno of the last flush that failed since the last call, or 0.
  int TakeError();

 private:
  void Run();

  std::mutex mu_;
  std::condition_variable cv_;
  std::thread worker_;
  int pending_ = -1;   // duplicate descriptor waiting for the worker
  bool busy_ = false;  // a flush is waiting or under way
  bool stop_ = false;
  int error_ = 0;
};

}  // namespace qlxs
