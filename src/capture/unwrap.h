#pragma once
/// PPP, IPv4 and TCP unwrapping of a completed frame and the extraction of
/// the IEC 104 APDUs it carries, with the reassembly of APDUs that span
/// TCP segments.
///
/// Damaged or lying headers never make the unwrapping read outside the
/// received octets:
/// - a 0x7D as the last octet of a frame has nothing to escape and is dropped;
/// - a frame too short to hold its PPP protocol field is not analysed
///   (`prot` and `ofs` stay 0, class 0, status unchanged);
/// - an IPv4 header that is cut short, whose header-length nibble is below 5,
///   or whose TCP header (data-offset nibble below 5 included) does not lie
///   within the received datagram gets status 23 and class 0;
/// - a datagram whose total length claims more octets than arrived gets
///   status 23 (13 stays when the time-out closed the frame), and only the
///   payload octets present are cut.
/// The information field of a frame ending in a flag ends before the FCS.

#include <array>

#include "model/port_state.h"
#include "model/telegram.h"

namespace qlxs {

struct CaptureState;

/// Slots of the table of APDUs that continue in a later segment.
inline constexpr int kPendingSlots = 8;

/// One slot of `PendingApdus`: the identity of the connection direction and
/// the part of the APDU received so far (`b` from 0x68 on, `lg` octets). The
/// slot is free when the source address of its key is zero.
struct T_PendingApdu {
  T_VId key{};
  T_Telegramm te{};
};

/// The table of pending APDUs, shared by both ports.
using PendingApduTable = std::array<T_PendingApdu, kPendingSlots>;

/// What `UnwrapFrame` finds in a frame. The frame itself stays as received;
/// the unstuffed octets and the verdict live here.
struct T_Unwrapped {
  uint8_t stat = 0;   ///< status of the frame: as it came, or 23 or 59
  uint8_t ta = 0;     ///< class of the frame: as it came, or 5 for IEC 104 traffic
  uint16_t prot = 0;  ///< PPP protocol number (as it came when the frame is too short for one)
  uint8_t ofs = 0;    ///< offset of the information field in `b` (as it came likewise)
  T_VId vid{};        ///< identity of the segment, for IEC 104 traffic
  uint16_t pofs = 0;  ///< start of the IEC 104 payload in `b`
  uint16_t plg = 0;   ///< octets of that payload
  int lg = 0;         ///< octets of the unstuffed frame in `b`
  uint8_t b[kTelegramDataSize];  ///< the unstuffed frame; octets beyond `lg` are undefined
};


/// Analyses the frame under construction of `port` (`em.te`, left
/// untouched): unstuffs it into `out` and reads the PPP, IPv4 and TCP
/// headers. Gives `out` the frame's status, class, `prot` and `ofs` as the
/// raw telegram must carry them: class 5 for IEC 104 traffic, status 23 or
/// 59 for faulty IPv4 datagrams. For IEC 104 traffic it also gives the
/// segment's identity and its payload range, and updates `LastVid`. Returns
/// true when the frame carries IEC 104 payload that `ExtractApdus` must cut.
bool UnwrapFrame(CaptureState& m, const T_ComVar& port, T_Unwrapped& out);

/// Cuts the payload that `UnwrapFrame` found in `u` into APDU and piece
/// telegrams, built in the telegram under construction of `port` from its
/// header (the raw frame's): completes a pending APDU of the same identity
/// first, checks every complete APDU and stores each telegram in payload
/// order. Call it after the raw frame has been stored.
void ExtractApdus(CaptureState& m, T_ComVar& port, const T_Unwrapped& u);

/// Empties `PendingApdus` (going online).
void ClearPendingApdus(CaptureState& m);

}  // namespace qlxs
