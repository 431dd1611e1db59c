#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/line_marks.h"

namespace qlxs {
namespace {

using Bytes = std::vector<uint8_t>;

struct Decoded {
  Bytes out;
  std::vector<LineMark> marks;
};

// Feeds the chunks one after the other, as successive reads deliver them.
Decoded DecodeChunks(const std::vector<Bytes>& chunks, bool flush = false) {
  LineMarkDecoder d;
  Decoded r;
  for (const Bytes& c : chunks) {
    Bytes out(c.size() + LineMarkDecoder::kExtraOutput);
    std::vector<LineMark> marks;
    out.resize(d.Decode(c.data(), c.size(), out.data(), marks));
    for (LineMark m : marks) r.marks.push_back({m.pos + r.out.size(), m.brk});
    r.out.insert(r.out.end(), out.begin(), out.end());
  }
  if (flush) {
    uint8_t tail[2];
    const size_t n = d.Flush(tail);
    r.out.insert(r.out.end(), tail, tail + n);
  }
  return r;
}

TEST(LineMarks, StripsMarksAndKeepsDamagedOctets) {
  const struct {
    const char* name;
    std::vector<Bytes> chunks;
    Bytes out;
    std::vector<std::pair<size_t, bool>> marks;  // position, break
  } cases[] = {
      {"plain octets", {{0x7E, 0x01, 0x00, 0x7E}}, {0x7E, 0x01, 0x00, 0x7E}, {}},
      {"doubled 0xFF is one real 0xFF", {{0x01, 0xFF, 0xFF, 0x02}}, {0x01, 0xFF, 0x02}, {}},
      {"damaged octet kept at its place", {{0x01, 0xFF, 0x00, 0x41, 0x02}}, {0x01, 0x41, 0x02}, {{1, false}}},
      {"damaged 0xFF", {{0xFF, 0x00, 0xFF}}, {0xFF}, {{0, false}}},
      {"break leaves no octet", {{0x01, 0xFF, 0x00, 0x00, 0x02}}, {0x01, 0x02}, {{1, true}}},
      {"break at the end", {{0x01, 0xFF, 0x00, 0x00}}, {0x01}, {{1, true}}},
      {"0xFF pair split across reads", {{0x01, 0xFF}, {0xFF, 0x02}}, {0x01, 0xFF, 0x02}, {}},
      {"damage mark split after FF", {{0x01, 0xFF}, {0x00, 0x33}}, {0x01, 0x33}, {{1, false}}},
      {"break mark split after FF 00", {{0x05, 0xFF, 0x00}, {0x00, 0x06}}, {0x05, 0x06}, {{1, true}}},
      {"mark split into single octets", {{0xFF}, {0x00}, {0x00}, {0xFF}, {0xFF}}, {0xFF}, {{0, true}}},
      {"unknown FF sequence keeps both octets", {{0xFF, 0x41}}, {0xFF, 0x41}, {}},
      {"two marks", {{0xFF, 0x00, 0x10, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x20}}, {0x10, 0x20},
       {{0, false}, {1, true}, {1, false}}},
  };
  for (const auto& c : cases) {
    const Decoded r = DecodeChunks(c.chunks);
    EXPECT_EQ(r.out, c.out) << c.name;
    ASSERT_EQ(r.marks.size(), c.marks.size()) << c.name;
    for (size_t i = 0; i < c.marks.size(); ++i) {
      EXPECT_EQ(r.marks[i].pos, c.marks[i].first) << c.name << " mark " << i;
      EXPECT_EQ(r.marks[i].brk, c.marks[i].second) << c.name << " mark " << i;
    }
  }
}

TEST(LineMarks, UnfinishedMarkAtTheEndOfTheStreamIsKept) {
  EXPECT_EQ(DecodeChunks({{0x01, 0xFF}}, true).out, (Bytes{0x01, 0xFF}));
  EXPECT_EQ(DecodeChunks({{0x01, 0xFF, 0x00}}, true).out, (Bytes{0x01, 0xFF, 0x00}));
  EXPECT_EQ(DecodeChunks({{0x01, 0xFF, 0xFF}}, true).out, (Bytes{0x01, 0xFF}));
}

TEST(LineMarks, OutputNeverExceedsTheStatedBound) {
  // Every call may carry one octet over from the call before.
  LineMarkDecoder d;
  std::vector<LineMark> marks;
  const Bytes first = {0xFF};
  Bytes out(first.size() + LineMarkDecoder::kExtraOutput);
  EXPECT_EQ(d.Decode(first.data(), first.size(), out.data(), marks), 0u);
  const Bytes next = {0x41, 0xFF, 0x42, 0xFF, 0x43};
  out.assign(next.size() + LineMarkDecoder::kExtraOutput, 0xEE);
  const size_t n = d.Decode(next.data(), next.size(), out.data(), marks);
  EXPECT_EQ(n, next.size() + 1);
  EXPECT_EQ(out, (Bytes{0xFF, 0x41, 0xFF, 0x42, 0xFF, 0x43}));
}

}  // namespace
}  // namespace qlxs
