// Telegrams as pcapng packets: which telegrams become packets on which
// interface, the octets of a frame as Wireshark reads PPP, the texts of
// events and comments, the display filter over frames and their APDUs, and
// local times as UTC time stamps.

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "model/date_time.h"
#include "model/telegram.h"
#include "pcap/telegram_packets.h"
#include "pcap/utc_time.h"
#include "render/render.h"
#include "support/hex.h"
#include "support/monitor_fixture.h"
#include "support/pcapng_reader.h"
#include "support/test_env.h"

namespace qlxs {
namespace {

using test::PcapngBlock;

constexpr double kNoon = 46002.5;  // 2025-12-11 12:00 local

T_Telegramm Telegram(uint8_t ek, uint8_t stat, uint8_t ta, const std::string& hex) {
  T_Telegramm t;
  ClearTelegram(t);
  t.ek = ek;
  t.stat = stat;
  t.ta = ta;
  t.dt = kNoon;
  const std::vector<uint8_t> b = test::ParseHex(hex);
  if (!b.empty()) std::memcpy(t.b, b.data(), b.size());
  t.lg = static_cast<int16_t>(b.size());
  return t;
}

// The packets (enhanced packet blocks) of a section written for `telegrams`.
std::vector<PcapngBlock> Packets(const LogState& m, const std::vector<T_Telegramm>& telegrams,
                                 const std::vector<bool>& admitted = {}) {
  TelegramPackets packets(m);
  std::string out;
  packets.Begin(out, "/dev/ttyUSB0", "");
  for (size_t i = 0; i < telegrams.size(); ++i) packets.Add(out, telegrams[i], admitted.empty() || admitted[i]);
  packets.Flush(out);
  std::string error;
  std::vector<PcapngBlock> blocks = test::ReadPcapng(out, error);
  EXPECT_EQ(error, "");
  std::vector<PcapngBlock> result;
  for (PcapngBlock& b : blocks)
    if (b.type == 6) result.push_back(std::move(b));
  return result;
}

std::string Hex(const std::string& s) {
  static const char kDigits[] = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h += kDigits[c >> 4];
    h += kDigits[c & 15];
  }
  return h;
}

// The text of an event packet: what follows the exported-PDU tags.
std::string EventText(const PcapngBlock& p) {
  const size_t end = p.data.find('>');
  return end == std::string::npos ? std::string() : p.data.substr(end + 1);
}

uint32_t Direction(const PcapngBlock& p) {
  const std::string f = p.Option(kEpbFlags);
  return f.size() == 4 ? static_cast<uint8_t>(f[0]) & 3u : 0;
}

TEST(TelegramPackets, SectionHasAPppInterfacePerPortAndOneForEvents) {
  for (uint32_t port : {0u, 2404u, 2405u}) {
    test::CaptureFixture f;
    f->ports[0].bp.port = port;
    f->ports[1].bp.port = port;
    TelegramPackets packets(*f);
    std::string out, error;
    packets.Begin(out, "/dev/ttyUSB0", "");
    const std::vector<PcapngBlock> b = test::ReadPcapng(out, error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0].type, 0x0A0D0D0Au);
    EXPECT_EQ(b[0].magic, 0x1A2B3C4Du);
    if (port == 2405)
      EXPECT_NE(b[0].Option(kOptComment).find("-d tcp.port==2405,iec60870_104"), std::string::npos)
          << b[0].Option(kOptComment);
    else
      EXPECT_EQ(b[0].Option(kOptComment), "") << "port " << port << " is the standard one";
    const uint16_t linkTypes[] = {kLinkTypePpp, kLinkTypePpp, kLinkTypeUpperPdu};
    const std::string names[] = {PortName(*f, kReceiverPort1), PortName(*f, kReceiverPort2), "events"};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(b[i + 1].type, 1u);
      EXPECT_EQ(b[i + 1].linkType, linkTypes[i]);
      EXPECT_EQ(b[i + 1].Option(kIfName), names[i]);
      EXPECT_EQ(b[i + 1].Option(kIfTsResolution), std::string(1, '\3'));
    }
    EXPECT_EQ(b[1].Option(kIfDescription), "/dev/ttyUSB0");
    EXPECT_EQ(b[2].options.count(kIfDescription), 0u) << "an unknown device is left out";
  }
}

TEST(TelegramPackets, FramesAreUnstuffedWithoutFlagsAndFrameCheckSequence) {
  test::CaptureFixture f;
  const struct {
    const char* what;
    T_Telegramm t;
    std::string data;     // hex of the packet
    std::string comment;  // expected comment
  } cases[] = {
      {"flags on both sides", Telegram(1, StatOk, TaRaw, "7eff7d23c021aabb7e"), "ff03c021", ""},
      {"closing flag only", Telegram(1, StatOk, TaRaw, "ff7d23c021aabb7e"), "ff03c021", ""},
      {"escaped flag is data", Telegram(3, StatOk, TaRaw104, "21457d5eccdd7e"), "21457e", ""},
      {"cut by the time-out: no FCS to drop", Telegram(1, StatTimeout, TaRaw, "7eff03c02101"), "ff03c02101",
       StatusText(*f, StatTimeout)},
      {"line-error octet dropped", Telegram(1, StatLineError, TaRaw, "7eff03c0210203"), "ff03c02102",
       StatusText(*f, StatLineError) + LineErrorName(*f, 3)},
      {"too short for an FCS: kept", Telegram(1, StatOk, TaRaw, "f7e57e"), "f7e5", ""},
  };
  for (const auto& c : cases) {
    const std::vector<PcapngBlock> p = Packets(*f, {c.t});
    ASSERT_EQ(p.size(), 1u) << c.what;
    EXPECT_EQ(p[0].interfaceId, c.t.ek == 1 ? kPcapPort1Interface : kPcapPort2Interface) << c.what;
    EXPECT_EQ(Hex(p[0].data), c.data) << c.what;
    EXPECT_EQ(p[0].Option(kOptComment), c.comment) << c.what;
    EXPECT_EQ(Direction(p[0]), c.t.ek == 1 ? kEpbInbound : kEpbOutbound) << c.what;
  }
}

TEST(TelegramPackets, WhatIsNotAFrameIsATextOnTheEventInterface) {
  test::CaptureFixture f;
  T_Telegramm opened = Telegram(3, StatPortOpened, TaEvent, "");
  opened.lg = 24;
  opened.SetLong(4, 5);
  opened.SetLong(5, 9600);
  T_Telegramm modem = Telegram(1, StatModemStatus, TaUFormat, "");
  modem.lg = 4;
  modem.event().fnr = 0x88;  // DCD changed, now 1
  T_Telegramm message = Telegram(0, StatMessage, TaEvent, "");
  SetMessageText(message, "tap north", 9);
  const struct {
    const char* what;
    T_Telegramm t;
    std::string text;  // part of the text
    int severity;
  } cases[] = {
      {"text line", Telegram(3, StatTextLine, TaRaw, "0d0a52494e470d0a"), "P2 Rx  RING", 6},
      {"octets outside frames", Telegram(1, StatNoFrame, TaRaw, "41540178"),
       "P1 Rx  " + StatusText(*f, StatNoFrame) + ": AT\\x01x", 4},
      {"nothing but a line error", Telegram(1, StatLineError, TaRaw, "7e02"),
       StatusText(*f, StatLineError) + LineErrorName(*f, 2), 4},
      {"port opened", opened, "COM5 opened at 9600 bit/s", 6},
      {"modem lines", modem, "P1 Rx  " + std::string("modem lines:"), 6},
      {"message without a port", message, "tap north", 5},
  };
  for (const auto& c : cases) {
    const std::vector<PcapngBlock> p = Packets(*f, {c.t});
    ASSERT_EQ(p.size(), 1u) << c.what;
    EXPECT_EQ(p[0].interfaceId, kPcapEventInterface) << c.what;
    // Exported-PDU tags: the dissector name "syslog", then the end tag.
    EXPECT_EQ(Hex(p[0].data.substr(0, 16)), "000c0008" + Hex("syslog") + "0000" + "00000000") << c.what;
    EXPECT_EQ(p[0].data.substr(16, 5), "<" + std::to_string(128 + c.severity) + ">") << c.what;
    const std::string text = EventText(p[0]);
    EXPECT_NE(text.find(c.text), std::string::npos) << c.what << ": " << text;
    EXPECT_EQ(p[0].Option(kOptComment), text) << c.what;
  }
  EXPECT_EQ(EventText(Packets(*f, {message})[0]), "tap north") << "no port name for receiver 0";
}

TEST(TelegramPackets, FrameCarriesTheVerdictsOfItsApdusAndPassesTheFilterThroughThem) {
  test::CaptureFixture f;
  const T_Telegramm frame = Telegram(1, StatOk, TaRaw104, "7e21450000aabb7e");
  const T_Telegramm goodApdu = Telegram(1, StatOk, TaIFormat, "680400000000");
  const T_Telegramm badApdu = Telegram(1, StatCauseError, TaIFormat, "680400000000");
  const T_Telegramm piece = Telegram(1, StatFragment, TaRaw104, "6804");
  const T_Telegramm otherPortFrame = Telegram(3, StatOk, TaRaw104, "7e21450000aabb7e");

  std::vector<PcapngBlock> p = Packets(*f, {frame, goodApdu, badApdu, piece, otherPortFrame});
  ASSERT_EQ(p.size(), 2u) << "APDUs and pieces are no packets";
  EXPECT_EQ(p[0].Option(kOptComment), StatusText(*f, StatCauseError));
  EXPECT_EQ(p[1].Option(kOptComment), "");
  EXPECT_EQ(p[1].interfaceId, kPcapPort2Interface);

  const struct {
    std::vector<bool> admitted;  // frame, APDU, event
    size_t packets;
  } filters[] = {
      {{true, false, true}, 2},
      {{false, true, true}, 2},   // the APDU admits its frame
      {{false, false, true}, 1},  // only the event
      {{false, false, false}, 0},
  };
  const T_Telegramm event = Telegram(1, StatTextLine, TaRaw, "4f4b0d0a");
  for (const auto& c : filters)
    EXPECT_EQ(Packets(*f, {frame, goodApdu, event}, c.admitted).size(), c.packets)
        << c.admitted[0] << c.admitted[1] << c.admitted[2];
}

TEST(TelegramPackets, LocalTimesBecomeUtcWithTheZonesDaylightSavingRules) {
  // Central European time without the zone database: CET, CEST from the last
  // Sunday of March 02:00 to the last Sunday of October 03:00.
  struct ZoneRestore {
    ~ZoneRestore() { tzset(); }
  } restore;  // after TZ is given back
  test::ScopedEnv tz("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  tzset();
  auto local = [](int y, int mo, int d, int h, int mi, int s, int ms) {
    return EncodeDateTime(DateTimeParts{y, mo, d, h, mi, s, ms});
  };
  auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return static_cast<int64_t>(timegm(&t)) * 1000 + ms;
  };
  const struct {
    const char* what;
    double local;
    int64_t utc;
  } cases[] = {
      {"winter", local(2024, 1, 15, 12, 0, 0, 250), utc(2024, 1, 15, 11, 0, 0, 250)},
      {"summer", local(2024, 7, 15, 12, 0, 59, 999), utc(2024, 7, 15, 10, 0, 59, 999)},
      {"same minute again", local(2024, 7, 15, 12, 0, 1, 0), utc(2024, 7, 15, 10, 0, 1, 0)},
      {"before the clocks go back", local(2024, 10, 27, 1, 59, 59, 999), utc(2024, 10, 26, 23, 59, 59, 999)},
      {"repeated hour: the earlier reading", local(2024, 10, 27, 2, 30, 0, 0), utc(2024, 10, 27, 0, 30, 0, 0)},
      {"after the repeated hour", local(2024, 10, 27, 3, 0, 0, 0), utc(2024, 10, 27, 2, 0, 0, 0)},
      {"after the clocks went forward", local(2024, 3, 31, 3, 0, 0, 0), utc(2024, 3, 31, 1, 0, 0, 0)},
      {"before 1970", local(1969, 12, 31, 23, 0, 0, 0), 0},
  };
  LocalToUtc convert;
  for (const auto& c : cases) EXPECT_EQ(convert.Milliseconds(c.local), c.utc) << c.what;

  test::ScopedEnv utcZone("TZ", "UTC0");
  tzset();
  LocalToUtc plain;
  EXPECT_EQ(plain.Milliseconds(local(2024, 7, 15, 12, 0, 0, 0)), utc(2024, 7, 15, 12, 0, 0, 0));
}

}  // namespace
}  // namespace qlxs
