#include <gtest/gtest.h>

#include <vector>

#include "platform/receive_queue.h"

namespace qlxs {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Filler(size_t n, uint8_t v = 0x11) { return Bytes(n, v); }

void Append(ReceiveQueue& q, const Bytes& raw) { q.Append(raw.data(), raw.size()); }

// Reads like the receiver does: a block, then its line error and break.
struct Block {
  size_t n;
  uint16_t error;
  bool brk;
};
Block ReadBlock(ReceiveQueue& q, size_t max) {
  std::vector<uint8_t> buf(max);
  Block b;
  b.n = q.Take(buf.data(), max);
  b.error = q.TakeLineError();
  b.brk = q.TakeLineBreak();
  return b;
}

TEST(ReceiveQueue, ErrorIsReportedWithTheBlockThatHoldsTheDamagedOctet) {
  ReceiveQueue q;
  Bytes raw = Filler(2000);
  const Bytes mark = {0xFF, 0x00, 0x55};
  raw.insert(raw.end(), mark.begin(), mark.end());  // damaged octet at position 2000
  const Bytes tail = Filler(999);
  raw.insert(raw.end(), tail.begin(), tail.end());
  Append(q, raw);
  ASSERT_EQ(q.Size(), 3000u);

  const Block first = ReadBlock(q, 1519);
  EXPECT_EQ(first.n, 1519u);
  EXPECT_EQ(first.error, 0) << "the damaged octet lies in the next block";
  const Block second = ReadBlock(q, 1519);
  EXPECT_EQ(second.n, 1481u);
  EXPECT_EQ(second.error, kLineErrFraming);
  EXPECT_EQ(q.TakeLineError(), 0) << "each error is reported once";
}

TEST(ReceiveQueue, BreakGoesWithTheBlockItFollows) {
  {
    // Break after all received octets: reported with the last block.
    ReceiveQueue q;
    Bytes raw = Filler(10);
    raw.insert(raw.end(), {0xFF, 0x00, 0x00});
    Append(q, raw);
    const Block b = ReadBlock(q, 1519);
    EXPECT_EQ(b.n, 10u);
    EXPECT_TRUE(b.brk);
    EXPECT_EQ(b.error, 0);
  }
  {
    // Break exactly between two blocks: the frame it ends is closed with the
    // next block, so it goes with that one.
    ReceiveQueue q;
    Bytes raw = Filler(5);
    raw.insert(raw.end(), {0xFF, 0x00, 0x00});
    raw.insert(raw.end(), 5, 0x22);
    Append(q, raw);
    EXPECT_FALSE(ReadBlock(q, 5).brk);
    EXPECT_TRUE(ReadBlock(q, 5).brk);
  }
  {
    // A break alone on a quiet line waits for nothing and is reported at once.
    ReceiveQueue q;
    Append(q, {0xFF, 0x00, 0x00});
    EXPECT_EQ(q.Size(), 0u);
    EXPECT_TRUE(q.TakeLineBreak());
  }
}

TEST(ReceiveQueue, LowestCodeWinsAndParityIsClassifiedByPosition) {
  ReceiveQueue q;
  Append(q, {0x01, 0xFF, 0x00, 0x02});  // damaged at 1, stays framing
  const uint64_t second = q.End();
  Append(q, {0x03, 0xFF, 0x00, 0x04});  // damaged at 3, becomes parity
  q.ClassifyDamaged(second, kLineErrParity);
  q.AddError(second, kLineErrOverrun);

  std::vector<uint8_t> buf(8);
  EXPECT_EQ(q.Take(buf.data(), 2), 2u);
  EXPECT_EQ(q.TakeLineError(), kLineErrFraming);
  EXPECT_EQ(q.Take(buf.data(), 8), 2u);
  EXPECT_EQ(q.TakeLineError(), kLineErrOverrun) << "overrun (2) comes before parity (3)";
  EXPECT_EQ(q.TakeLineError(), 0);
}

TEST(ReceiveQueue, NothingIsLostOverLongStreamsOrAtTheEnd) {
  ReceiveQueue q;
  Bytes sent, got;
  std::vector<uint8_t> buf(1519);
  for (int round = 0; round < 50; ++round) {
    Bytes chunk(3000);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>((round * 7 + i) % 0xFE);
    Append(q, chunk);
    sent.insert(sent.end(), chunk.begin(), chunk.end());
    const size_t n = q.Take(buf.data(), buf.size());
    got.insert(got.end(), buf.begin(), buf.begin() + static_cast<long>(n));
  }
  // A mark cut off by a device failure is kept as received.
  Append(q, {0x42, 0xFF});
  q.Finish();
  sent.insert(sent.end(), {0x42, 0xFF});
  while (size_t n = q.Take(buf.data(), buf.size())) got.insert(got.end(), buf.begin(), buf.begin() + static_cast<long>(n));
  EXPECT_EQ(got, sent);
}

}  // namespace
}  // namespace qlxs
