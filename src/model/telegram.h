#pragma once
/// The telegram record: the one unit of everything captured, generated or
/// loaded, and at the same time the record of the telegram log file.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qlxs {

/// Status codes (`stat`). Codes below `kStatErrorLimit` are faulty telegrams.
enum : uint8_t {
  StatLineError = 1,
  StatNoFrame = 5,
  StatLengthError = 7,
  StatControlError = 8,
  StatTimeout = 13,
  StatTooLong = 16,
  StatNotIpv4 = 23,
  StatStructureError = 25,
  StatAsduLengthError = 26,
  StatCauseError = 27,
  StatOk = 40,
  StatUnknownType = 42,
  StatModemStatus = 43,
  StatUserCause = 44,
  StatPortOpened = 45,
  StatPortClosed = 46,
  StatType101 = 48,
  StatFragment = 49,
  StatMessage = 50,
  StatTextLine = 55,
  StatReassembled = 58,
  StatIpLengthZero = 59,
};

/// Statuses below this value are errors; the store counts them, filters treat them as faulty.
inline constexpr uint8_t kStatErrorLimit = 40;

/// True when a status code marks a faulty telegram.
constexpr bool IsFaultyStatus(uint8_t stat) { return stat < kStatErrorLimit; }

/// Telegram classes (`ta`).
enum : uint8_t {
  TaRaw = 0,      ///< raw frame or text line without IEC 104 traffic
  TaIFormat = 1,  ///< APDU in I format (and pieces following one)
  TaSFormat = 2,  ///< APDU in S format (and pieces following one)
  TaUFormat = 3,  ///< APDU in U format, pieces following one, modem status
  TaEvent = 4,    ///< port opened, port closed, message
  TaRaw104 = 5,   ///< raw frame carrying IEC 104 traffic, leading pieces
};

/// Receiver numbers (`ek`) of the two ports; 2 and 4 are the transmit sides.
inline constexpr uint8_t kReceiverPort1 = 1;
inline constexpr uint8_t kReceiverPort2 = 3;

/// Size of the telegram header and of the data area.
inline constexpr int kTelegramHeaderSize = 28;
inline constexpr int kTelegramDataSize = 1520;
/// Longest frame the receiver builds; one more octet may carry a line-error code.
inline constexpr int kMaxFrameLength = 1500;
inline constexpr int kMaxStoredDataLength = kMaxFrameLength + 1;

#pragma pack(push, 1)

/// Identity of one direction of a TCP connection, 12 octets in network order.
struct T_VId {
  uint8_t sip[4];  ///< IPv4 source address
  uint8_t dip[4];  ///< IPv4 destination address
  uint8_t sprt[2]; ///< TCP source port
  uint8_t dprt[2]; ///< TCP destination port

  friend bool operator==(const T_VId& a, const T_VId& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};
static_assert(sizeof(T_VId) == 12);

/// Overlay of an IPv4 header; multi-octet fields in network byte order.
struct T_IpHd {
  uint8_t vlg;      ///< version (high nibble), header length in words (low nibble)
  uint8_t tos;
  uint16_t tlg;     ///< total length
  uint16_t id;
  uint16_t flofs;   ///< flags and fragment offset
  uint8_t ttl;
  uint8_t pro;      ///< protocol, 6 = TCP
  uint16_t chs;     ///< header checksum
  uint8_t sip[4];
  uint8_t dip[4];
};
static_assert(sizeof(T_IpHd) == 20);
static_assert(offsetof(T_IpHd, pro) == 9 && offsetof(T_IpHd, sip) == 12 && offsetof(T_IpHd, dip) == 16);

/// Overlay of a TCP header; multi-octet fields in network byte order.
struct T_TcpHd {
  uint16_t sprt;
  uint16_t dprt;
  uint32_t snr;   ///< sequence number
  uint32_t anr;   ///< acknowledgement number
  uint8_t lg;     ///< data offset in words (high nibble)
  uint8_t flg;    ///< flags
  uint16_t wd;    ///< window
  uint16_t chs;   ///< checksum
  uint16_t urgp;  ///< urgent pointer
};
static_assert(sizeof(T_TcpHd) == 20);
static_assert(offsetof(T_TcpHd, snr) == 4 && offsetof(T_TcpHd, lg) == 12 && offsetof(T_TcpHd, urgp) == 18);

/// APDU view of the data area.
struct T_ApduView {
  uint8_t strt;    ///< start octet 0x68
  uint8_t tlg;     ///< APDU length octet
  uint16_t snr;    ///< control octets 1-2, little-endian
  uint16_t rnr;    ///< control octets 3-4, little-endian
  uint8_t typ;     ///< type identification
  uint8_t struk;   ///< variable structure qualifier
  uint8_t urs;     ///< cause of transmission octet
  uint8_t ori;     ///< originator address
  uint16_t ca;     ///< common address
  uint32_t oa;     ///< low three octets: first information object address
};
static_assert(sizeof(T_ApduView) == 16);
static_assert(offsetof(T_ApduView, typ) == 6 && offsetof(T_ApduView, ca) == 10 && offsetof(T_ApduView, oa) == 12);

/// Event view of the data area.
struct T_EventView {
  uint32_t fnr;
  int32_t port;
};
static_assert(sizeof(T_EventView) == 8);

/// The telegram record, 1548 bytes packed: a 28-byte header and the data area `b`.
struct T_Telegramm {
  uint16_t lgv;   ///< length of the previous record in the same log block (0 for the first)
  uint16_t lga;   ///< length of this record in the log: 28 + lg, rounded up to even
  uint8_t stat;   ///< status code
  uint8_t ta;     ///< telegram class
  int16_t lg;     ///< octets of `b` in use
  double dt;      ///< time stamp: days since 1899-12-30, fraction = local time of day
  int32_t nr;     ///< running telegram number, set by the store
  uint8_t ek;     ///< receiver number: 1 first port, 3 second port
  uint8_t idm;    ///< identity octets appended at the end of the data: 12 or 0
  uint16_t prot;  ///< PPP protocol number, 0 when not analysed
  uint8_t ofs;    ///< offset of the PPP information field in the unstuffed frame, 0 when not analysed
  uint8_t sn;     ///< reserved, 0
  uint8_t f1[2];  ///< reserved, 0
  uint8_t b[kTelegramDataSize];  ///< data area

  /// APDU view of `b`.
  T_ApduView& apdu() { return *reinterpret_cast<T_ApduView*>(b); }
  const T_ApduView& apdu() const { return *reinterpret_cast<const T_ApduView*>(b); }
  /// Event view of `b` (`fnr`, `port`).
  T_EventView& event() { return *reinterpret_cast<T_EventView*>(b); }
  const T_EventView& event() const { return *reinterpret_cast<const T_EventView*>(b); }

  /// Word i of the `long` view (380 signed 32-bit words), little-endian.
  int32_t LongAt(int i) const { int32_t v; std::memcpy(&v, b + 4 * i, 4); return v; }
  void SetLong(int i, int32_t v) { std::memcpy(b + 4 * i, &v, 4); }
};
#pragma pack(pop)

static_assert(sizeof(T_Telegramm) == 1548);
static_assert(offsetof(T_Telegramm, lgv) == 0);
static_assert(offsetof(T_Telegramm, lga) == 2);
static_assert(offsetof(T_Telegramm, stat) == 4);
static_assert(offsetof(T_Telegramm, ta) == 5);
static_assert(offsetof(T_Telegramm, lg) == 6);
static_assert(offsetof(T_Telegramm, dt) == 8);
static_assert(offsetof(T_Telegramm, nr) == 16);
static_assert(offsetof(T_Telegramm, ek) == 20);
static_assert(offsetof(T_Telegramm, idm) == 21);
static_assert(offsetof(T_Telegramm, prot) == 22);
static_assert(offsetof(T_Telegramm, ofs) == 24);
static_assert(offsetof(T_Telegramm, sn) == 25);
static_assert(offsetof(T_Telegramm, f1) == 26);
static_assert(offsetof(T_Telegramm, b) == kTelegramHeaderSize);

/// Length of a telegram as a log record: header plus data, rounded up to even.
constexpr int RecordLength(int lg) { return (kTelegramHeaderSize + lg + 1) & ~1; }

/// Clears a telegram to zeros.
inline void ClearTelegram(T_Telegramm& t) { std::memset(&t, 0, sizeof t); }

/// The message text of a status-50 telegram (`s0`: length octet, then characters).
inline void SetMessageText(T_Telegramm& t, const char* text, size_t len) {
  if (len > 255) len = 255;
  t.b[0] = static_cast<uint8_t>(len);
  std::memcpy(t.b + 1, text, len);
  t.lg = static_cast<int16_t>(len + 1);
}

}  // namespace qlxs
