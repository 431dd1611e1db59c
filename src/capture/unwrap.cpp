#include "capture/unwrap.h"

#include <algorithm>
#include <cstring>

#include "capture/check_apdu.h"
#include "config/monitor.h"
#include "log/store.h"
#include "model/port_params.h"

namespace qlxs {

namespace {

constexpr uint8_t kFlag = 0x7E;
constexpr uint8_t kEscape = 0x7D;
constexpr uint8_t kApduStart = 0x68;
constexpr uint16_t kProtoIp = 0x0021;
constexpr uint16_t kProtoVjCompressed = 0x002D;
constexpr uint16_t kProtoVjUncompressed = 0x002F;
constexpr int kIpMinHeader = 20;
constexpr int kTcpMinHeader = 20;
constexpr uint8_t kIpProtoTcp = 6;
// Octets after a frame's information field: the FCS and the closing flag.
constexpr int kFrameTrailer = 3;
// The longest piece of payload kept when it does not start an APDU.
constexpr int kMaxOtherPiece = 255;

int Get16(const uint8_t* p) { return p[0] << 8 | p[1]; }

bool IsFree(const T_PendingApdu& s) {
  static constexpr uint8_t kZero[4] = {};
  return std::memcmp(s.key.sip, kZero, 4) == 0;
}

// Reads the PPP address, control and protocol fields; false when the frame
// is too short to hold its protocol field.
bool ReadPppHeader(T_Telegramm& te) {
  const int lg = te.lg;
  const uint8_t* b = te.b;
  int pos = 0;
  if (lg >= 3 && b[0] == kFlag && b[1] == 0xFF && b[2] == 0x03) {
    pos = 3;
  } else if (lg >= 2 && b[0] == 0xFF && b[1] == 0x03) {
    pos = 2;
  } else if (lg >= 1 && b[0] == kFlag) {
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
  te.prot = static_cast<uint16_t>(prot);
  te.ofs = static_cast<uint8_t>(pos + len);
  return true;
}

// A Van Jacobson compressed frame names no addresses and its compressed
// header has no fixed length: the APDU is the one that ends right before
// the FCS and the closing flag.
bool UnwrapVjCompressed(Monitor& m, T_EmpfVar& em) {
  T_Telegramm& te = em.te;
  const int lg = te.lg;
  // Every start octet is tried, also one that follows a start octet whose
  // length did not fit: the last octet of the compressed header may be 0x68.
  for (int j = 3; j <= lg - 4; ++j) {
    if (te.b[j] == kApduStart && j + te.b[j + 1] + 5 == lg) {
      te.ta = TaRaw104;
      em.vid = m.LastVid;
      em.pofs = static_cast<uint16_t>(j);
      em.plg = static_cast<uint16_t>(te.b[j + 1] + 2);
      return true;
    }
  }
  return false;
}

bool UnwrapIp(Monitor& m, T_ComVar& port, bool vjUncompressed) {
  T_EmpfVar& em = port.em;
  T_Telegramm& te = em.te;
  uint8_t* ip = te.b + te.ofs;
  // Octets that arrived for the datagram: up to the FCS when a flag closed
  // the frame, all of them when the time-out did.
  int avail = te.lg - te.ofs;
  if (te.lg > 0 && te.b[te.lg - 1] == kFlag) avail -= kFrameTrailer;

  if (avail < 1 || ip[0] >> 4 != 4 || avail < kIpMinHeader) {
    te.stat = StatNotIpv4;
    return false;
  }
  if (vjUncompressed) ip[9] = kIpProtoTcp;  // the octet held the connection slot
  if (ip[9] != kIpProtoTcp) return false;
  const int total = Get16(ip + 2);
  if (total == 0) {
    te.stat = StatIpLengthZero;
    return false;
  }
  const int dlen = std::min(total, avail);
  const int ihl = 4 * (ip[0] & 0x0F);
  if (ihl < kIpMinHeader || ihl + kTcpMinHeader > dlen) {
    te.stat = StatNotIpv4;
    return false;
  }
  const uint8_t* tcp = ip + ihl;
  const int thl = 4 * (tcp[12] >> 4);
  if (thl < kTcpMinHeader || ihl + thl > dlen) {
    te.stat = StatNotIpv4;
    return false;
  }
  if (total > avail && te.stat != StatTimeout) te.stat = StatNotIpv4;  // octets of the datagram are missing

  const int port104 = Iec104Port(port.bp);
  if (Get16(tcp) != port104 && Get16(tcp + 2) != port104) return false;
  te.ta = TaRaw104;
  std::memcpy(em.vid.sip, ip + 12, 4);
  std::memcpy(em.vid.dip, ip + 16, 4);
  std::memcpy(em.vid.sprt, tcp, 2);
  std::memcpy(em.vid.dprt, tcp + 2, 2);
  m.LastVid = em.vid;
  if (ihl + thl >= dlen) return false;  // acknowledgement, connection set-up or release
  em.pofs = static_cast<uint16_t>(te.ofs + ihl + thl);
  em.plg = static_cast<uint16_t>(dlen - ihl - thl);
  return true;
}

// Stores the `n` octets in `te.b` as a piece of payload: status 49, the
// class the telegram has now, the identity appended.
void StorePiece(Monitor& m, T_EmpfVar& em, int n) {
  T_Telegramm& te = em.te;
  te.stat = StatFragment;
  std::memcpy(te.b + n, &em.vid, sizeof em.vid);
  te.lg = static_cast<int16_t>(n + sizeof em.vid);
  te.idm = sizeof em.vid;
  StoreTelegram(m, te);
  te.lg = static_cast<int16_t>(n);
}

// Checks and stores the complete APDU in `te.b` (identity not yet appended).
void StoreApdu(Monitor& m, T_ComVar& port, bool reassembled) {
  T_EmpfVar& em = port.em;
  T_Telegramm& te = em.te;
  em.synlast = true;
  std::memcpy(te.b + te.lg, &em.vid, sizeof em.vid);
  te.lg = static_cast<int16_t>(te.lg + sizeof em.vid);
  te.idm = sizeof em.vid;
  CheckApdu(m, port);
  if (reassembled && te.stat == StatOk) te.stat = StatReassembled;
  StoreTelegram(m, te);
}

T_PendingApdu* FindPending(Monitor& m, const T_VId& vid) {
  for (T_PendingApdu& s : m.PendingApdus)
    if (!IsFree(s) && s.key == vid) return &s;
  return nullptr;
}

}  // namespace

void Unstuff(T_Telegramm& t) {
  const int lg = std::clamp<int>(t.lg, 0, kTelegramDataSize);
  uint8_t* const b = t.b;
  int out = 0;
  // Under a full control-character map escapes are frequent and irregular.
  // Each octet is written at `out` and kept (out advances) unless it is an
  // escape; the octet after an escape is written XOR 0x20. Only a one-bit
  // state runs from octet to octet, so there is no branch to mispredict. A
  // lone escape at the end escapes nothing and is dropped.
  unsigned escapePending = 0;
  for (int i = 0; i < lg; ++i) {
    const uint8_t c = b[i];
    const unsigned escape = static_cast<unsigned>(c == kEscape) & ~escapePending & 1u;
    b[out] = static_cast<uint8_t>(c ^ (escapePending << 5));
    out += static_cast<int>(1u - escape);
    escapePending = escape;
  }
  t.lg = static_cast<int16_t>(out);
}

bool UnwrapFrame(Monitor& m, T_ComVar& port) {
  T_EmpfVar& em = port.em;
  em.pofs = em.plg = 0;
  Unstuff(em.te);
  if (!ReadPppHeader(em.te)) return false;
  switch (em.te.prot) {
    case kProtoVjCompressed: return UnwrapVjCompressed(m, em);
    case kProtoVjUncompressed: return UnwrapIp(m, port, true);
    case kProtoIp: return UnwrapIp(m, port, false);
    default: return false;
  }
}

void ExtractApdus(Monitor& m, T_ComVar& port) {
  T_EmpfVar& em = port.em;
  T_Telegramm& te = em.te;
  // The telegram under construction carries the APDUs, so the payload is
  // read from a copy.
  uint8_t payload[kTelegramDataSize];
  const int plen = std::min<int>(em.plg, kTelegramDataSize - em.pofs);
  std::memcpy(payload, te.b + em.pofs, static_cast<size_t>(std::max(plen, 0)));
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
      const int need = (have >= 2 ? slot->te.b[1] : payload[cur]) + 2;
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
      const int need = remaining >= 2 ? payload[cur + 1] + 2 : 2;
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

void ClearPendingApdus(Monitor& m) { m.PendingApdus.fill(T_PendingApdu{}); }

}  // namespace qlxs
