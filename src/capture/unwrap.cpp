#include "capture/unwrap.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

#include "capture/capture_state.h"
#include "capture/check_apdu.h"
#include "log/store.h"
#include "model/apdu.h"
#include "model/port_params.h"
#include "model/ppp.h"

namespace qlxs {

namespace {

// Octets after a frame's information field: the FCS and the closing flag.
constexpr int kFrameTrailer = kPppFcsSize + 1;
// First octet of a Van Jacobson compressed frame that may start its APDU.
constexpr int kVjFirstApduStart = 3;
// The longest piece of payload kept when it does not start an APDU.
constexpr int kMaxOtherPiece = 255;

bool IsFree(const T_PendingApdu& s) {
  static constexpr uint8_t kZero[4] = {};
  return std::memcmp(s.key.sip, kZero, 4) == 0;
}

// Reads the PPP address, control and protocol fields of the unstuffed
// frame; false when it is too short to hold its protocol field.
bool ReadPppHeader(T_Unwrapped& u) {
  const int lg = u.lg;
  const uint8_t* b = u.b;
  int pos = 0;
  if (lg >= 3 && b[0] == kPppFlag && b[1] == kPppAddress && b[2] == kPppControl) {
    pos = 3;
  } else if (lg >= 2 && b[0] == kPppAddress && b[1] == kPppControl) {
    pos = 2;
  } else if (lg >= 1 && b[0] == kPppFlag) {
    pos = 1;
  }
  if (pos >= lg) return false;
  int prot = b[pos];
  int len = 1;
  if (prot % 2 == 0) {  // no protocol-field compression: a second octet follows
    if (pos + 1 >= lg) return false;
    prot = prot << 8 | b[pos + 1];
    len = 2;
  }
  u.prot = static_cast<uint16_t>(prot);
  u.ofs = static_cast<uint8_t>(pos + len);
  return true;
}

// A Van Jacobson compressed frame names no addresses and its compressed
// header has no fixed length: the APDU is the one that ends right before
// the FCS and the closing flag.
bool UnwrapVjCompressed(const CaptureState& m, T_Unwrapped& u) {
  const int lg = u.lg;
  // Every start octet is tried, also one that follows a start octet whose
  // length did not fit: the last octet of the compressed header may be 0x68.
  for (int j = kVjFirstApduStart; j <= lg - 4; ++j) {
    const int apduLength = kApduFrameOctets + u.b[j + 1];
    if (u.b[j] == kApduStart && j + apduLength + kFrameTrailer == lg) {
      u.ta = TaRaw104;
      u.vid = m.LastVid;
      u.pofs = static_cast<uint16_t>(j);
      u.plg = static_cast<uint16_t>(apduLength);
      return true;
    }
  }
  return false;
}

bool UnwrapIp(CaptureState& m, const T_ComVar& port, bool vjUncompressed, T_Unwrapped& u) {
  const uint8_t* ip = u.b + u.ofs;
  // Octets that arrived for the datagram: up to the FCS when a flag closed
  // the frame, all of them when the time-out did.
  int avail = u.lg - u.ofs;
  if (u.lg > 0 && u.b[u.lg - 1] == kPppFlag) avail -= kFrameTrailer;

  if (avail < kIpMinHeader) {
    u.stat = StatNotIpv4;
    return false;
  }
  T_IpHd iph;
  std::memcpy(&iph, ip, sizeof iph);
  if (iph.vlg >> 4 != kIpVersion4) {
    u.stat = StatNotIpv4;
    return false;
  }
  // In an uncompressed Van Jacobson frame the protocol octet holds the
  // connection slot; the datagram is TCP all the same.
  if (!vjUncompressed && iph.pro != kIpProtoTcp) return false;
  const int total = ntohs(iph.tlg);
  if (total == 0) {
    u.stat = StatIpLengthZero;
    return false;
  }
  const int dlen = std::min(total, avail);
  const int ihl = 4 * (iph.vlg & 0x0F);
  if (ihl < kIpMinHeader || ihl + kTcpMinHeader > dlen) {
    u.stat = StatNotIpv4;
    return false;
  }
  T_TcpHd tcph;
  std::memcpy(&tcph, ip + ihl, sizeof tcph);
  const int thl = 4 * (tcph.lg >> 4);
  if (thl < kTcpMinHeader || ihl + thl > dlen) {
    u.stat = StatNotIpv4;
    return false;
  }
  if (total > avail && u.stat != StatTimeout) u.stat = StatNotIpv4;  // octets of the datagram are missing

  const int port104 = Iec104Port(port.bp);
  if (ntohs(tcph.sprt) != port104 && ntohs(tcph.dprt) != port104) return false;
  u.ta = TaRaw104;
  std::memcpy(u.vid.sip, iph.sip, sizeof u.vid.sip);
  std::memcpy(u.vid.dip, iph.dip, sizeof u.vid.dip);
  std::memcpy(u.vid.sprt, &tcph.sprt, sizeof u.vid.sprt);
  std::memcpy(u.vid.dprt, &tcph.dprt, sizeof u.vid.dprt);
  m.LastVid = u.vid;
  if (ihl + thl >= dlen) return false;  // acknowledgement, connection set-up or release
  u.pofs = static_cast<uint16_t>(u.ofs + ihl + thl);
  u.plg = static_cast<uint16_t>(dlen - ihl - thl);
  return true;
}

// Stores the `n` octets in `te.b` as a piece of payload: status 49, the
// class the telegram has now, the identity appended.
void StorePiece(CaptureState& m, T_EmpfVar& em, int n) {
  T_Telegramm& te = em.te;
  te.stat = StatFragment;
  std::memcpy(te.b + n, &em.vid, sizeof em.vid);
  te.lg = static_cast<int16_t>(n + sizeof em.vid);
  te.idm = sizeof em.vid;
  StoreTelegram(m, te);
  te.lg = static_cast<int16_t>(n);
}

// Checks and stores the complete APDU in `te.b` (identity not yet appended).
void StoreApdu(CaptureState& m, T_ComVar& port, bool reassembled) {
  T_EmpfVar& em = port.em;
  T_Telegramm& te = em.te;
  em.synlast = true;
  std::memcpy(te.b + te.lg, &em.vid, sizeof em.vid);
  te.lg = static_cast<int16_t>(te.lg + sizeof em.vid);
  te.idm = sizeof em.vid;
  CheckApdu(m.AllgVar, m.PrgPar.frburs, port.em.te);
  if (reassembled && te.stat == StatOk) te.stat = StatReassembled;
  StoreTelegram(m, te);
}

T_PendingApdu* FindPending(CaptureState& m, const T_VId& vid) {
  for (T_PendingApdu& s : m.PendingApdus)
    if (!IsFree(s) && s.key == vid) return &s;
  return nullptr;
}

}  // namespace

bool UnwrapFrame(CaptureState& m, const T_ComVar& port, T_Unwrapped& out) {
  const T_Telegramm& te = port.em.te;
  out.stat = te.stat;
  out.ta = te.ta;
  out.prot = te.prot;
  out.ofs = te.ofs;
  out.vid = T_VId{};
  out.pofs = out.plg = 0;
  out.lg = UnstuffOctets(te.b, std::clamp<int>(te.lg, 0, kTelegramDataSize), out.b);
  if (!ReadPppHeader(out)) return false;
  switch (out.prot) {
    case kProtoVjCompressed: return UnwrapVjCompressed(m, out);
    case kProtoVjUncompressed: return UnwrapIp(m, port, true, out);
    case kProtoIp: return UnwrapIp(m, port, false, out);
    default: return false;
  }
}

void ExtractApdus(CaptureState& m, T_ComVar& port, const T_Unwrapped& u) {
  T_EmpfVar& em = port.em;
  T_Telegramm& te = em.te;
  em.vid = u.vid;
  const uint8_t* const payload = u.b + u.pofs;
  const int plen = std::min<int>(u.plg, kTelegramDataSize - u.pofs);
  const double dt = te.dt;
  const uint8_t ek = te.ek;
  const uint16_t prot = te.prot;
  const uint8_t ofs = te.ofs;

  int cur = 0;
  int remaining = plen;
  while (remaining > 0) {
    if (T_PendingApdu* slot = FindPending(m, em.vid)) {
      const int have = slot->te.lg;
      // A slot that holds only the start octet learns the length from the
      // first octet of this payload.
      const int need = (have >= kApduFrameOctets ? slot->te.apdu().tlg : payload[cur]) + kApduFrameOctets;
      const int n = std::min(remaining, need - have);
      std::memcpy(te.b, payload + cur, static_cast<size_t>(n));
      te.lg = static_cast<int16_t>(n);
      cur += n;
      remaining -= n;
      StorePiece(m, em, n);
      std::memcpy(slot->te.b + have, payload + cur - n, static_cast<size_t>(n));
      slot->te.lg = static_cast<int16_t>(have + n);
      if (have + n == need) {
        // The APDU keeps the time stamp, port and PPP header of the frame it
        // began in; the telegrams after it get this frame's again.
        te = slot->te;
        std::memset(&slot->key, 0, sizeof slot->key);
        StoreApdu(m, port, true);
        te.dt = dt;
        te.ek = ek;
        te.prot = prot;
        te.ofs = ofs;
      }
    } else if (payload[cur] == kApduStart) {
      // A start octet that ends the segment waits for its length octet like
      // any other beginning of an APDU.
      const int need = kApduFrameOctets + (remaining >= kApduFrameOctets ? payload[cur + 1] : 0);
      const int n = std::min(remaining, need);
      std::memcpy(te.b, payload + cur, static_cast<size_t>(n));
      te.lg = static_cast<int16_t>(n);
      cur += n;
      remaining -= n;
      if (n == need) {
        StoreApdu(m, port, false);
      } else {
        em.synlast = true;
        StorePiece(m, em, n);
        T_PendingApdu* free = &m.PendingApdus[kPendingSlots - 1];  // overwritten when all are in use
        for (T_PendingApdu& s : m.PendingApdus)
          if (IsFree(s)) {
            free = &s;
            break;
          }
        free->key = em.vid;
        free->te = te;
      }
    } else {
      const int n = std::min(remaining, kMaxOtherPiece);
      std::memcpy(te.b, payload + cur, static_cast<size_t>(n));
      te.lg = static_cast<int16_t>(n);
      StorePiece(m, em, n);
      break;  // the rest of the segment cannot be cut without a start octet
    }
  }
  te.lg = 0;
}

void ClearPendingApdus(CaptureState& m) { m.PendingApdus.fill(T_PendingApdu{}); }

}  // namespace qlxs
