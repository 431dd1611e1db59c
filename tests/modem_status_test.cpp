#include <gtest/gtest.h>

#include "platform/modem_status.h"

namespace qlxs {
namespace {

TEST(ModemStatus, ChangeFlagsGatherUntilTheOctetIsRead) {
  const struct {
    const char* name;
    uint8_t start;
    uint8_t next;
    ModemLineCounts counts;
    uint8_t octet;
  } cases[] = {
      {"no change", kMsrCts | kMsrDcd, kMsrCts | kMsrDcd, {}, kMsrCts | kMsrDcd},
      {"CTS rises", 0, kMsrCts, {}, kMsrCts | kMsrDeltaCts},
      {"DSR falls", kMsrDsr, 0, {}, kMsrDeltaDsr},
      {"DCD falls", kMsrDcd, 0, {}, kMsrDeltaDcd},
      {"RI rising edge is not flagged", 0, kMsrRi, {}, kMsrRi},
      {"RI trailing edge", kMsrRi, 0, {}, kMsrTrailingRi},
      {"pulse between readings seen by the count", 0, 0, {0, 0, 0, 2}, kMsrDeltaDcd},
      {"RI pulse counted", 0, 0, {0, 0, 1, 0}, kMsrTrailingRi},
  };
  for (const auto& c : cases) {
    ModemStatusTracker t;
    t.Reset(c.start);
    t.Sample(c.next, c.counts);
    EXPECT_EQ(t.Read(), c.octet) << c.name;
    EXPECT_EQ(t.Read(), c.next) << c.name << ": flags are cleared by the read";
  }
}

TEST(ModemStatus, ChangeSeenWhilePollingIsStillInTheNextRead) {
  ModemStatusTracker t;
  t.Reset(0);
  t.Sample(kMsrCts, {});  // a trigger poll sees CTS rise
  EXPECT_EQ(t.PendingChanges(), kMsrDeltaCts);
  t.Sample(0, {});  // and fall again before the octet is read
  EXPECT_EQ(t.Read(), kMsrDeltaCts);
}

}  // namespace
}  // namespace qlxs
