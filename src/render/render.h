#pragma once
/// Telegrams as text. A caller prepares a rendering context with one
/// telegram (`BeginTelegram`) and then asks for its lines one piece at a
/// time (`NextLines`) until an empty piece ends the telegram; it may stop
/// earlier. A piece is one line, or several separated by CR LF.
///
/// The output format and the view options of the settings decide which
/// lines a telegram gets: raw frames (plan A), the export lines (B), the
/// one-line form of an APDU (C), and the header, APCI, ASDU and object lines
/// or the byte dump of every other telegram (D).

#include <cstdint>
#include <string>
#include <string_view>

#include "config/prg_par.h"
#include "model/port_state.h"
#include "model/telegram.h"

namespace qlxs {

struct LogState;

/// Output formats (`PrgPar.afmt`).
enum OutputFormat : int32_t {
  FmtLogisch = 3,  ///< several labelled lines per telegram, long names
  FmtKompakt = 4,  ///< like Logisch, type, cause and common address on one line, short names
  FmtLogNeu = 5,   ///< one line per APDU, continuation lines for further objects
  FmtByteSer = 6,  ///< header, connection line and hexadecimal dump
  FmtExport = 7,   ///< separator-delimited fields for spreadsheets
};

/// The rendering context of one caller. The view keeps one for the life of
/// the program (the shared context); printing and the online view use
/// their own. Every header line reads and replaces the previous-telegram
/// time `dtalt` of the shared context, whichever context it renders.
struct T_TeleAusgabe {
  int32_t obji = -1;          ///< element table index of the current object, -1 for none
  uint32_t oatxt = ~0u;       ///< element key of the last element lookup
  T_ComVar* pcv = nullptr;    ///< state of the receiving port (for callers)
  int32_t pb = 0;             ///< read position in `te.b`
  int32_t ptcp = 0;           ///< offset in `te.b` of the TCP header of a raw frame
  int32_t pip = 0;            ///< offset in `te.b` of the IPv4 header of a raw frame
  int32_t oa = 0;             ///< information object address of the current object
  int32_t znr = 0;            ///< line number, counted by every `NextLines`
  int32_t objnr = 0;          ///< number (from 1) of the current information object
  int32_t objanz = 0;         ///< information objects of an I-format telegram
  int32_t objzl = 0;          ///< object columns produced so far
  int32_t obja = 0;           ///< object to begin with when greater than 0 (set by the view)
  int32_t oalg = 0;           ///< width of the object address column
  int32_t lgztlk = 0;         ///< indentation of the continuation lines of LogNeu
  int32_t tjs = 0;            ///< telegrams prepared since the owner last cleared it
  int32_t anztxt = 0;         ///< lines collected in `TxtStr`
  double dtalt = 0;           ///< time of the telegram whose header line came last
  std::string TxtStr;         ///< all lines of the telegram, each with CR LF, when collected
  std::string ExpStr;         ///< the part that all export lines of the telegram share
  T_FarbIndex tcl{};          ///< colour pair of the lines being produced
  T_Telegramm te{};           ///< working copy of the telegram

  /// The shared context whose `dtalt` header lines read and replace; null
  /// for the shared context itself.
  T_TeleAusgabe* shared = nullptr;
  /// The piece `NextLines` returns; reused, so rendering does not allocate
  /// once the buffer has grown.
  std::string piece;
};

/// Prepares context c with telegram t: a working copy (unstuffed for the
/// analysis of a raw frame in any format but ByteSer), its colour pair, its
/// number relative to the oldest telegram of the log, and a new line plan.
void BeginTelegram(LogState& m, T_TeleAusgabe& c, const T_Telegramm& t);

/// The next piece of the telegram in c; empty when it has no more lines.
const std::string& NextLines(LogState& m, T_TeleAusgabe& c);

/// Appends the lines of a piece to `out`, each ended by `eol`: every CR LF
/// ends a line, and text after the last one is a line of its own.
void AppendPieceLines(std::string& out, std::string_view piece, std::string_view eol);

/// The text of an event telegram (port opened or closed, message, modem
/// status, and any other status by its status text).
void AppendEventText(std::string& out, const LogState& m, const T_TeleAusgabe& c);
/// Text 432 + `stat`.
const std::string& StatusText(const LogState& m, int stat);
/// Text 1175 + `ek`.
const std::string& PortName(const LogState& m, int ek);
/// The name of line-error code `code` (1..5; any other as 0) that follows
/// the status text of a status-1 frame, whose last octet holds the code.
const std::string& LineErrorName(const LogState& m, int code);
/// `label` padded to 9 characters, then a colon and two blanks.
void AppendLabelColumn(std::string& out, std::string_view label);
/// "first+1-last+1:  " right-aligned in 12 characters (first and last from 0).
void AppendRangeLabel(std::string& out, int first, int last);
/// Column (from 0) of a hex dump where its octets as characters begin.
inline constexpr int kHexDumpCharColumn = 52;
/// The 70-character dump of the next n octets (1..16) at `c.pb`, which advances.
void AppendHexDump(std::string& out, T_TeleAusgabe& c, int n);
/// Line k (from 0) of the dump of `te.b` from offset 0; nothing past the data.
void AppendDumpLine(std::string& out, T_TeleAusgabe& c, int k);
/// The next dump line of the octets from `c.pb` on, labelled from line 7.
void AppendRestDumpLine(std::string& out, T_TeleAusgabe& c);
/// The connection of an APDU telegram and CR LF, or nothing without identity.
void AppendConnectionLine(std::string& out, const LogState& m, const T_TeleAusgabe& c);
/// "port:name" of an endpoint: the IP table's name of the address, or its
/// four octets in dotted form. `address` and `port` as on the line.
void AppendEndpointText(std::string& out, const LogState& m, const uint8_t address[4], const uint8_t port[2]);
/// Text 1336 with the source and destination endpoints.
void AppendEndpointPair(std::string& out, const LogState& m, const uint8_t sip[4], const uint8_t dip[4],
                        const uint8_t sprt[2], const uint8_t dprt[2]);
/// The six TCP flags URG .. FIN of the header at `c.ptcp`: text base + 2i
/// when flag i is clear, base + 2i + 1 when set.
void AppendTcpFlags(std::string& out, const LogState& m, const T_TeleAusgabe& c, int base);

}  // namespace qlxs
