#pragma once
/// Parameters of one serial port. The record is written unchanged into the
/// header of every telegram log file, so its layout is a file format.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "model/helpers.h"

namespace qlxs {

#pragma pack(push, 1)
/// A length-prefixed 8-bit string field of a binary record: one length octet
/// followed by at most N characters (UTF-8 bytes, cut at a character boundary).
template <size_t N>
struct ShortString {
  uint8_t len;
  char s[N];

  /// The text; a length octet beyond the field is read as the whole field.
  std::string_view view() const { return {s, len <= N ? len : N}; }
  /// Stores `text`, cut at a character boundary to fit; the rest of the
  /// field is left as it was.
  void assign(std::string_view text) {
    const std::string_view cut = CutUtf8(text, N);
    std::memcpy(s, cut.data(), cut.size());
    len = static_cast<uint8_t>(cut.size());
  }
};

/// Port parameters, 500 bytes. Fields this system does not use are kept and
/// written back unchanged.
struct T_BetriebsPar {
  int32_t lg;              ///< record length: 500 (248 in an older header layout)
  int32_t ilo;             ///< control focused last in the port dialog
  int32_t tlg;             ///< maximum frame length in octets (100..1500)
  int32_t frtyp;           ///< not used
  ShortString<83> ip;      ///< not used, default "0.0.0.0"
  ShortString<83> logtxt;  ///< log text stored as a message when the port opens and closes
  uint8_t ipa[16];         ///< not used; default zero except octets 2-3 = 0x64, 0x09
  int32_t ipa2;            ///< not used
  int32_t cnr;             ///< COM port number, 0 = no port
  int32_t baud;            ///< baud rate in bit/s
  int32_t BaudI;           ///< index into the baud list
  uint32_t toempf;         ///< reception time-out in ms (10..5000)
  uint32_t tosyn;          ///< flag-synchronisation time-out in ms (100..50000)
  uint32_t port;           ///< TCP port of IEC 104; 0 is read as 2404
  uint8_t und;             ///< not used
  uint8_t pari;            ///< 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t data;            ///< data bits 5..8
  uint8_t stop;            ///< stop bits 1 or 2
  uint8_t spik;            ///< not used
  uint8_t rts;             ///< not used
  uint8_t paend;           ///< watched modem lines: 0x80 DCD, 0x40 RI, 0x20 DSR, 0x10 CTS
  uint8_t f6;              ///< not used
  uint8_t res[264];        ///< reserved
};
#pragma pack(pop)

static_assert(sizeof(T_BetriebsPar) == 500);
static_assert(offsetof(T_BetriebsPar, ilo) == 4);
static_assert(offsetof(T_BetriebsPar, tlg) == 8);
static_assert(offsetof(T_BetriebsPar, frtyp) == 12);
static_assert(offsetof(T_BetriebsPar, ip) == 16);
static_assert(offsetof(T_BetriebsPar, logtxt) == 100);
static_assert(offsetof(T_BetriebsPar, ipa) == 184);
static_assert(offsetof(T_BetriebsPar, ipa2) == 200);
static_assert(offsetof(T_BetriebsPar, cnr) == 204);
static_assert(offsetof(T_BetriebsPar, baud) == 208);
static_assert(offsetof(T_BetriebsPar, BaudI) == 212);
static_assert(offsetof(T_BetriebsPar, toempf) == 216);
static_assert(offsetof(T_BetriebsPar, tosyn) == 220);
static_assert(offsetof(T_BetriebsPar, port) == 224);
static_assert(offsetof(T_BetriebsPar, und) == 228);
static_assert(offsetof(T_BetriebsPar, pari) == 229);
static_assert(offsetof(T_BetriebsPar, data) == 230);
static_assert(offsetof(T_BetriebsPar, stop) == 231);
static_assert(offsetof(T_BetriebsPar, spik) == 232);
static_assert(offsetof(T_BetriebsPar, rts) == 233);
static_assert(offsetof(T_BetriebsPar, paend) == 234);
static_assert(offsetof(T_BetriebsPar, f6) == 235);
static_assert(offsetof(T_BetriebsPar, res) == 236);

/// Length of the older port parameter layout found in some log headers.
inline constexpr int kBetriebsParOldLength = 248;

/// The defaults of the first port's parameters.
T_BetriebsPar DefaultBetriebsPar();

/// Frame length limit the receiver may use: `bp.tlg` clamped so a frame plus
/// its line-error octet always fits the data area, whatever a log header said.
int EffectiveFrameLimit(const T_BetriebsPar& bp);

/// TCP port of IEC 104 in force: `bp.port`, with 0 read as 2404.
uint16_t Iec104Port(const T_BetriebsPar& bp);

}  // namespace qlxs
