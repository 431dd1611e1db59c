#pragma once
/// The octets of the monitored serial line: PPP in HDLC-like framing (flags,
/// escapes, address and control, protocol numbers, FCS), the IPv4 and TCP
/// numbers the unwrapping reads, and the octets that end a text line of a
/// modem dialogue. Shared by the capture, the re-analysis and the line
/// simulator, so each number is written once.

#include <cstdint>

#include "model/telegram.h"

namespace qlxs {

/// Flag octet that opens and closes a PPP frame.
inline constexpr uint8_t kPppFlag = 0x7E;
/// Control-escape octet: the octet after it is sent XOR `kPppEscapeXor`.
inline constexpr uint8_t kPppEscape = 0x7D;
inline constexpr uint8_t kPppEscapeXor = 0x20;
/// Address and control field of a frame (omitted under address/control
/// field compression).
inline constexpr uint8_t kPppAddress = 0xFF;
inline constexpr uint8_t kPppControl = 0x03;
/// Octets of the frame check sequence at the end of a frame, before its
/// closing flag.
inline constexpr int kPppFcsSize = 2;

/// PPP protocol numbers.
inline constexpr uint16_t kProtoIp = 0x0021;              ///< IPv4
inline constexpr uint16_t kProtoVjCompressed = 0x002D;    ///< Van Jacobson compressed TCP/IP
inline constexpr uint16_t kProtoVjUncompressed = 0x002F;  ///< Van Jacobson uncompressed TCP/IP
inline constexpr uint16_t kProtoIpcp = 0x8021;            ///< IP control protocol
inline constexpr uint16_t kProtoLcp = 0xC021;             ///< link control protocol

/// IPv4 and TCP: header sizes without options, version and protocol numbers.
inline constexpr int kIpMinHeader = 20;
inline constexpr int kTcpMinHeader = 20;
inline constexpr uint8_t kIpVersion4 = 4;
inline constexpr uint8_t kIpProtoTcp = 6;

/// Octets that end a line of text (modem dialogue) outside PPP framing.
inline constexpr uint8_t kCr = 0x0D;
inline constexpr uint8_t kLf = 0x0A;

/// Removes the PPP byte stuffing of the `n` octets at `in`, writing the
/// result to `out`, and returns the number of octets written (at most `n`).
/// An escape octet is dropped and the octet after it written XOR 0x20; every
/// other octet, flags included, is copied. A lone escape at the end escapes
/// nothing and is dropped. `out` may equal `in` (unstuffing in place); the
/// ranges must not overlap otherwise.
int UnstuffOctets(const uint8_t* in, int n, uint8_t* out);

/// Removes the PPP byte stuffing of `t` in place: 0x7D and the octet after it
/// become that octet XOR 0x20; flags stay. A trailing lone 0x7D is dropped.
void Unstuff(T_Telegramm& t);

}  // namespace qlxs
