// The flush to the device that runs beside the capture loop.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/background_sync.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

// A flush asked for a locked file must not keep the lock: the writer closes
// its log and opens it again (locked) at once, while the flush may still run.
TEST(BackgroundSync, AFlushNeverHoldsTheCallersLock) {
  test::ScratchDir dir;
  const std::string path = dir.file("log");
  BackgroundSync sync;
  for (int round = 0; round < 3; ++round) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << "round " << round;
    ASSERT_EQ(::write(fd, "data", 4), 4);
    EXPECT_TRUE(sync.Request(fd));
    EXPECT_TRUE(sync.Request(fd)) << "a second request waits behind the first";
    ::close(fd);
  }
  sync.Drain();
  EXPECT_EQ(sync.TakeError(), 0);
  EXPECT_FALSE(sync.Request(-1));
}

}  // namespace
}  // namespace qlxs
