// The rendering driver: the line plans of raw frames, text lines, events,
// pieces and faulty APDUs, the header line with its time difference, and
// the byte dump, compared as exact text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/line_feed.h"
#include "capture/receiver.h"
#include "render/render.h"
#include "sim/frame_builder.h"
#include "support/capture_fixture.h"
#include "support/hex.h"

namespace qlxs {
namespace {

using test::CaptureFixture;

constexpr double kNoon = 46002.5;           // 2025-12-11 12:00:00,000
constexpr double kMs = 1.0 / 86'400'000.0;  // one millisecond as a date-time

// The telegrams the receiver of port 1 stores from `octets`.
std::vector<T_Telegramm> Receive(const sim::Bytes& octets) {
  CaptureFixture fx;
  ReceiveBlock(fx.m, fx.port1(), octets.data(), octets.size());
  CloseAfterTimeout(fx.m);
  return fx.stored;
}

sim::Bytes PppFrame(uint16_t protocol, const sim::Bytes& info, uint32_t accm = 0) {
  sim::Bytes out;
  sim::PppFraming f;
  f.accm = accm;
  sim::AppendPppFrame(out, protocol, info.data(), info.size(), f, true);
  return out;
}

// A TCP segment from the station (port 2404) to the centre with `payload`.
sim::Bytes TcpFrame(const sim::Bytes& payload, uint8_t flags = sim::kTcpAck | sim::kTcpPsh) {
  sim::TcpIpHeader h;
  const uint8_t station[4] = {10, 0, 0, 2}, centre[4] = {10, 0, 0, 1};
  std::copy(station, station + 4, h.src);
  std::copy(centre, centre + 4, h.dst);
  h.srcPort = 2404;
  h.dstPort = 40000;
  h.seq = 1000;
  h.ack = 2000;
  h.flags = flags;
  h.ipId = 7;
  return PppFrame(kProtoIp, sim::BuildTcpIpDatagram(h, payload.data(), payload.size()));
}

struct View {
  int format = FmtLogisch;
  bool time = true, link = true;
};

// Renders t in a fresh monitor's view settings: the pieces, in order.
std::vector<std::string> Pieces(CaptureFixture& fx, T_TeleAusgabe& c, const T_Telegramm& t, const View& v) {
  fx.m.PrgPar.afmt = v.format;
  fx.m.PrgPar.mitzeit = v.time;
  fx.m.PrgPar.mitlink = v.link;
  fx.m.log.stand.erstnr = 1;
  BeginTelegram(fx.m, c, t);
  std::vector<std::string> pieces;
  for (int i = 0; i < 100; ++i) {
    const std::string& p = NextLines(fx.m, c);
    if (p.empty()) break;
    pieces.push_back(p);
  }
  return pieces;
}

std::vector<std::string> Pieces(const T_Telegramm& t, const View& v) {
  CaptureFixture fx;
  T_TeleAusgabe c;
  return Pieces(fx, c, t, v);
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string s;
  for (const std::string& p : pieces) s += p + "|\n";
  return s;
}

T_Telegramm At(T_Telegramm t, int nr, double dt) {
  t.nr = nr;
  t.dt = dt;
  return t;
}

const std::string kHeader1 = " 1          P1 Rx  12:00:00,250  ";

TEST(Render, RawFramesFollowTheirPlanInEveryFormat) {
  const sim::Bytes lcpInfo = {0x01, 0x01, 0x00, 0x08, 0x01, 0x04, 0x05, 0xDC};
  const std::vector<T_Telegramm> lcp = Receive(PppFrame(kProtoLcp, lcpInfo, sim::kFullAccm));
  ASSERT_EQ(lcp.size(), 1u);
  const T_Telegramm frame = At(lcp[0], 1, kNoon + 250 * kMs);
  const std::string ppp = "PPP $C021=49185 LCP";
  const struct {
    const char* name;
    View view;
    std::vector<std::string> pieces;
  } cases[] = {
      {"Logisch: header, PPP line with the packet code, dump of the unstuffed frame",
       {FmtLogisch, true, true},
       {kHeader1 + "          OK", ppp + " Configure-Request",
        "     1-16:  7E FF 03 C0  21 01 01 00  08 01 04 05  DC 51 C1 7E  ~ÿ.À!.......ÜQÁ~  "}},
      {"without MitZeit the header is left out",
       {FmtKompakt, false, false},
       {ppp + " Configure-Request",
        "     1-16:  7E FF 03 C0  21 01 01 00  08 01 04 05  DC 51 C1 7E  ~ÿ.À!.......ÜQÁ~  "}},
      {"ByteSer: no packet code, the frame as received",
       {FmtByteSer, true, false},
       {kHeader1 + "          OK", ppp,
        "     1-16:  7E FF 7D 23  C0 21 7D 21  7D 21 7D 20  7D 28 7D 21  ~ÿ}#À!}!}!} }(}!  ",
        "    17-24:  7D 24 7D 25  DC 51 C1 7E                            }$}%ÜQÁ~          "}},
      {"LogNeu: one frame line",
       {FmtLogNeu, true, false},
       {"P1 Rx      1  12:00:00,250  " + ppp + " Configure-Request"}},
      {"Export: raw frames keep the raw-frame plan",
       {FmtExport, false, true},
       {ppp + " Configure-Request",
        "     1-16:  7E FF 03 C0  21 01 01 00  08 01 04 05  DC 51 C1 7E  ~ÿ.À!.......ÜQÁ~  "}},
  };
  for (const auto& c : cases) EXPECT_EQ(Joined(Pieces(frame, c.view)), Joined(c.pieces)) << c.name;
}

TEST(Render, TcpFramesShowConnectionIpAndTcpLines) {
  const std::vector<T_Telegramm> stored = Receive(TcpFrame({0x68, 0x04, 0x07, 0x00, 0x00, 0x00}));
  ASSERT_GE(stored.size(), 2u);
  const T_Telegramm& frame = stored[0];
  ASSERT_EQ(frame.ta, TaRaw104);
  const std::vector<std::string> want = {
      kHeader1 + "          OK  TCP .AP...",
      "PPP $21=33 IPv4",
      "Connection 2404:10.0.0.2 -> 40000:10.0.0.1",
      "         :  IPv4 id 7  length 46  payload 6  protocol 6  TOS 0  TTL 64  DF 1  MF 0  offset 0",
      "         :  TCP .AP...  ack 2,000  seq 1,000  window 8,192",
  };
  EXPECT_EQ(Joined(Pieces(At(frame, 1, kNoon + 250 * kMs), {})), Joined(want));
  // ByteSer dumps the frame as received, without the TCP flags.
  const std::vector<std::string> bytes = Pieces(At(frame, 1, kNoon + 250 * kMs), {FmtByteSer, true, true});
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes[0], kHeader1 + "          OK");
  EXPECT_EQ(bytes[2].substr(0, 12), "     1-16:  ");
  // The APDU it carried: in ByteSer the connection line, then its octets.
  const T_Telegramm& apdu = stored[1];
  ASSERT_EQ(apdu.ta, TaUFormat);
  EXPECT_EQ(Joined(Pieces(At(apdu, 2, kNoon + 250 * kMs), {FmtByteSer, true, true})),
            Joined({" 2          P1 Rx  12:00:00,250            OK",
                    "Connection 2404:10.0.0.2 -> 40000:10.0.0.1\r\n",
                    "      1-6:  68 04 07 00  00 00                                  h.....            "}));
}

TEST(Render, VanJacobsonCompressedFramesShowNoTcpLines) {
  T_Telegramm t{};
  t.ta = TaRaw104;
  t.stat = StatOk;
  t.ek = kReceiverPort1;
  t.prot = kProtoVjCompressed;
  t.ofs = 3;
  const sim::Bytes octets = test::ParseHex("7E 21 00 2D 0B 22 33 44 7E");
  std::copy(octets.begin(), octets.end(), t.b);
  t.lg = static_cast<int16_t>(octets.size());
  t = At(t, 1, kNoon + 250 * kMs);
  EXPECT_TRUE(Pieces(t, {FmtLogNeu, true, true}).empty()) << "LogNeu shows no line for it";
  EXPECT_EQ(Joined(Pieces(t, {FmtLogisch, true, true})),
            Joined({kHeader1 + "          OK", "PPP $2D=45 VJ compressed",
                    "      1-9:  7E 21 00 2D  0B 22 33 44  7E                        ~!.-.\"3D~         "}));
}

TEST(Render, TextLinesAndLineErrors) {
  const std::vector<T_Telegramm> text = Receive({'\r', '\n', 'O', 'K', '\r', '\n'});
  ASSERT_FALSE(text.empty());
  const T_Telegramm line = At(text.back(), 1, kNoon + 250 * kMs);
  ASSERT_EQ(line.stat, StatTextLine);
  // No PPP line for a text line; its dump follows the header.
  const std::vector<std::string> pieces = Pieces(line, {});
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], kHeader1 + "          text line");

  // A frame with a line error: its last octet is the error code, named in the
  // header and no longer dumped.
  T_Telegramm bad{};
  bad.ta = TaRaw;
  bad.stat = StatLineError;
  bad.ek = kReceiverPort1;
  const sim::Bytes octets = test::ParseHex("7E FF 03 C0 21 03");
  std::copy(octets.begin(), octets.end(), bad.b);
  bad.lg = static_cast<int16_t>(octets.size());
  bad = At(bad, 1, kNoon + 250 * kMs);
  const struct {
    uint8_t code;
    const char* name;
  } codes[] = {{3, "parity error"}, {5, "break"}, {0, "unknown line error"}, {9, "unknown line error"}};
  for (const auto& c : codes) {
    bad.b[5] = c.code;
    const std::vector<std::string> withTime = Pieces(bad, {FmtByteSer, true, true});
    ASSERT_EQ(withTime.size(), 3u);
    EXPECT_EQ(withTime[0], kHeader1 + "          line error: " + c.name);
    EXPECT_EQ(withTime[2].substr(0, 28), "      1-5:  7E FF 03 C0  21 ") << "the code octet is not dumped";
  }
  const std::vector<std::string> withoutTime = Pieces(bad, {FmtByteSer, false, true});
  EXPECT_EQ(withoutTime.back().substr(0, 12), "      1-6:  ") << "without the header the code octet stays";
}

TEST(Render, EventsHaveOnlyTheirHeaderLine) {
  auto event = [](uint8_t stat) {
    T_Telegramm t{};
    t.ta = TaEvent;
    t.stat = stat;
    t.ek = kReceiverPort1;
    return At(t, 1, kNoon + 250 * kMs);
  };
  T_Telegramm opened = event(StatPortOpened);
  opened.SetLong(0, 1234);
  opened.SetLong(1, 5);
  opened.SetLong(4, 3);
  opened.SetLong(5, 38400);
  opened.lg = 24;
  T_Telegramm message = event(StatMessage);
  SetMessageText(message, "COM3 is no longer available", 27);
  T_Telegramm modem = event(StatModemStatus);
  modem.ta = TaUFormat;
  modem.event().fnr = 0x0A | 0x80;  // DSR and DCD changed; DCD now on, DSR off
  modem.lg = 8;
  const struct {
    T_Telegramm t;
    std::string line;
  } cases[] = {
      {opened, kHeader1 + "COM3 opened at 38400 bit/s  P1 Rx: 1,234 telegrams, 5 errors"},
      {message, kHeader1 + "COM3 is no longer available"},
      {modem, kHeader1 + "modem lines:  DCD=1  DSR=0"},
  };
  for (const auto& c : cases)
    for (const View& v : {View{FmtLogisch, true, true}, View{FmtKompakt, false, false}, View{FmtByteSer, true, false}})
      EXPECT_EQ(Joined(Pieces(c.t, v)), Joined({c.line})) << c.line << " in format " << v.format;
}

TEST(Render, HeaderShowsTheTimeSinceThePreviousHeaderOfTheSharedContext) {
  const std::vector<T_Telegramm> text = Receive({'\r', '\n', 'O', 'K', '\r', '\n'});
  ASSERT_FALSE(text.empty());
  CaptureFixture fx;
  T_TeleAusgabe shared, printing;
  printing.shared = &shared;
  const std::string first = Pieces(fx, shared, At(text.back(), 1, kNoon), {})[0];
  EXPECT_EQ(first.substr(33, 10), std::string(10, ' ')) << first;
  const std::string second = Pieces(fx, printing, At(text.back(), 2, kNoon + 250 * kMs), {})[0];
  EXPECT_EQ(second.substr(33, 10), "d=0.250s  ") << "another context measures from the shared time";
  EXPECT_EQ(shared.dtalt, kNoon + 250 * kMs);
  EXPECT_EQ(printing.dtalt, 0) << "only the shared context keeps the time";
}

TEST(Render, FaultyApdusAndPiecesAreDumpedAfterTheirConnection) {
  // An APDU whose length octet claims 5 octets after it.
  const std::vector<T_Telegramm> stored = Receive(TcpFrame({0x68, 0x05, 0x07, 0x00, 0x00, 0x00, 0x68}));
  const T_Telegramm* faulty = nullptr;
  for (const T_Telegramm& t : stored)
    if (t.stat == StatLengthError) faulty = &t;
  ASSERT_NE(faulty, nullptr);
  const std::string connection = "Connection 2404:10.0.0.2 -> 40000:10.0.0.1\r\n";
  for (const View& v : {View{FmtLogisch, false, false}, View{FmtLogNeu, true, true}, View{FmtByteSer, false, true}}) {
    const std::vector<std::string> pieces = Pieces(At(*faulty, 3, kNoon + 250 * kMs), v);
    ASSERT_EQ(pieces.size(), 2u) << v.format;
    EXPECT_EQ(pieces[0].find(" 3          P1 Rx  12:00:00,250"), 0u) << "a faulty telegram always has its header";
    EXPECT_EQ(pieces[1].substr(0, connection.size() + 12), connection + "      1-7:  ");
  }
  // A segment that holds only the start of an APDU stores it as a piece.
  const std::vector<T_Telegramm> started = Receive(TcpFrame({0x68, 0x0E, 0x00, 0x00}));
  const T_Telegramm* piece = nullptr;
  for (const T_Telegramm& t : started)
    if (t.stat == StatFragment) piece = &t;
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(Joined(Pieces(At(*piece, 4, kNoon + 250 * kMs), {FmtLogisch, true, true})),
            Joined({" 4          P1 Rx  12:00:00,250            TCP payload piece",
                    connection + "      1-4:  68 0E 00 00                                         h...              "}))
      << "a payload piece shows its connection and octets, not the lines of a frame";
}

TEST(Render, DumpLinesLabelAndShowTheOctets) {
  T_TeleAusgabe c;
  const sim::Bytes octets = test::ParseHex("00 1F 20 41 7E 7F 80 A0 FF 0D 0A 30 31 32 33 34 35 36 37 38");
  std::copy(octets.begin(), octets.end(), c.te.b);
  c.te.lg = static_cast<int16_t>(octets.size());
  std::string first, second, third;
  AppendDumpLine(first, c, 0);
  AppendDumpLine(second, c, 1);
  AppendDumpLine(third, c, 2);
  EXPECT_EQ(first, "     1-16:  00 1F 20 41  7E 7F 80 A0  FF 0D 0A 30  31 32 33 34  .. A~..\u00A0\u00FF..01234  ");
  EXPECT_EQ(second, "    17-20:  35 36 37 38                                         5678              ");
  EXPECT_EQ(third, "") << "nothing past the data";
  std::string label;
  AppendRangeLabel(label, 999, 1014);
  EXPECT_EQ(label, "1000-1015:  ");
}

TEST(Render, PiecesSplitIntoLines) {
  std::string out;
  AppendPieceLines(out, "a\r\nb", "\n");
  AppendPieceLines(out, "c\r\n", "\n");
  AppendPieceLines(out, "d", "\n");
  EXPECT_EQ(out, "a\nb\nc\nd\n");
}

}  // namespace
}  // namespace qlxs
