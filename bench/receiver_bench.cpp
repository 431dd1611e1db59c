// Line octets per second through the receiver's frame delimiting, on a
// stream of PPP frames carrying IEC 104 traffic and on a modem dialogue.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "capture/receiver.h"
#include "log/time_base.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs {
namespace {

using Octets = std::vector<uint8_t>;

// Appends one PPP frame in HDLC-like framing: the information field is
// stuffed, followed by a two-octet check sequence and the closing flag.
void AppendFrame(Octets& out, uint16_t prot, const Octets& info, bool openingFlag) {
  Octets raw = {0xFF, 0x03, static_cast<uint8_t>(prot >> 8), static_cast<uint8_t>(prot)};
  raw.insert(raw.end(), info.begin(), info.end());
  raw.push_back(0x5A);  // check sequence (not verified by the receiver)
  raw.push_back(0x7D);
  if (openingFlag) out.push_back(0x7E);
  for (uint8_t c : raw) {
    if (c == 0x7E || c == 0x7D || c < 0x20) {
      out.push_back(0x7D);
      out.push_back(c ^ 0x20);
    } else {
      out.push_back(c);
    }
  }
  out.push_back(0x7E);
}

// An IPv4/TCP segment of port 2404 carrying `apdu`.
Octets Segment(const Octets& apdu, uint32_t seq) {
  Octets ip = {0x45, 0x00, 0x00, 0x00, 0x12, 0x34, 0x40, 0x00, 0x40, 0x06, 0x00, 0x00,
               10, 0, 0, 1, 10, 0, 0, 2};
  const uint16_t total = static_cast<uint16_t>(40 + apdu.size());
  ip[2] = static_cast<uint8_t>(total >> 8);
  ip[3] = static_cast<uint8_t>(total);
  Octets tcp = {0x09, 0x64, 0xC3, 0x50, 0, 0, 0, 0, 0, 0, 0x10, 0x00, 0x50, 0x18, 0x20, 0x00, 0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) tcp[4 + i] = static_cast<uint8_t>(seq >> (24 - 8 * i));
  Octets out = ip;
  out.insert(out.end(), tcp.begin(), tcp.end());
  out.insert(out.end(), apdu.begin(), apdu.end());
  return out;
}

// Typical traffic of a telecontrol link: measured values and single points
// in I format, acknowledgements in S format, test frames in U format and an
// occasional LCP echo; most frames share their flags.
Octets PppStream() {
  std::mt19937 rng(7);
  Octets out;
  uint32_t seq = 1;
  while (out.size() < (1u << 16)) {
    Octets apdu;
    switch (rng() % 6) {
      case 0:
      case 1:
      case 2: {  // M_ME_NC_1 with a few objects
        const int objects = 1 + static_cast<int>(rng() % 6);
        apdu = {0x68, static_cast<uint8_t>(10 + 8 * objects), 0x02, 0x00, 0x04, 0x00, 13,
                static_cast<uint8_t>(objects), 3, 0, 0x01, 0x00};
        for (int i = 0; i < objects; ++i) {
          for (int k = 0; k < 3; ++k) apdu.push_back(static_cast<uint8_t>(rng()));
          for (int k = 0; k < 5; ++k) apdu.push_back(static_cast<uint8_t>(rng()));
        }
        break;
      }
      case 3:  // M_SP_TB_1 with a time tag
        apdu = {0x68, 0x15, 0x04, 0x00, 0x04, 0x00, 30, 1, 3, 0, 0x01, 0x00, 0x10, 0x00, 0x00, 0x01};
        for (int k = 0; k < 7; ++k) apdu.push_back(static_cast<uint8_t>(rng()));
        break;
      case 4:  // S format
        apdu = {0x68, 0x04, 0x01, 0x00, 0x08, 0x00};
        break;
      default:  // U format, TESTFR act
        apdu = {0x68, 0x04, 0x43, 0x00, 0x00, 0x00};
        break;
    }
    if (rng() % 50 == 0)
      AppendFrame(out, 0xC021, {0x09, 0x01, 0x00, 0x08, 0x12, 0x34, 0x56, 0x78}, true);
    AppendFrame(out, 0x0021, Segment(apdu, seq), rng() % 4 == 0);
    seq += static_cast<uint32_t>(apdu.size());
  }
  return out;
}

// A modem dialogue, text lines only.
Octets TextStream() {
  const char* lines[] = {"\r\nRING\r\n", "\r\nCONNECT 38400/ARQ/V34/LAPM/V42BIS\r\n", "\r\nOK\r\n",
                         "\r\nNO CARRIER\r\n", "\r\n+CSQ: 17,99\r\n"};
  Octets out;
  for (size_t i = 0; out.size() < (1u << 16); ++i) {
    const char* s = lines[i % 5];
    out.insert(out.end(), s, s + std::strlen(s));
  }
  return out;
}

void Run(benchmark::State& state, const Octets& stream, Clock& clock) {
  RecordingMessageSink sink;
  Monitor m(clock, sink);
  SyncClock(m);
  T_ComVar& port = m.ports[0];
  size_t frames = 0;
  m.onStored = [&](const T_Telegramm&) { ++frames; };
  for (auto _ : state) {
    for (size_t i = 0; i < stream.size(); i += kReceiveBlockSize) {
      const size_t n = std::min(kReceiveBlockSize, stream.size() - i);
      port.em.fehl = 0;
      ReceiveBlock(m, port, stream.data() + i, n);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

void BM_ReceivePppFrames(benchmark::State& state) {
  static const Octets stream = PppStream();
  SystemClock clock;
  Run(state, stream, clock);
}
BENCHMARK(BM_ReceivePppFrames);

void BM_ReceiveTextLines(benchmark::State& state) {
  static const Octets stream = TextStream();
  SystemClock clock;
  Run(state, stream, clock);
}
BENCHMARK(BM_ReceiveTextLines);

}  // namespace
}  // namespace qlxs
