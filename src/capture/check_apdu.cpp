#include "capture/check_apdu.h"

#include "config/monitor.h"
#include "iec104/cause_lists.h"
#include "iec104/type_table.h"
#include "model/helpers.h"

namespace qlxs {

namespace {

// Octets of an I-format APDU before its first information object address.
constexpr int kApduHeader = 12;
constexpr int kIoaSize = 3;
constexpr uint8_t kFileSegment = 125;
constexpr uint8_t kDirectory = 126;
// APDU offset of the segment length octet of a file segment.
constexpr int kSegmentLengthAt = 18;

// The verdict on the ASDU of an I-format APDU of `a` octets.
uint8_t CheckAsdu(const Monitor& m, const uint8_t* b, int a) {
  if (a < kApduHeader) return StatAsduLengthError;  // only when the length octet lies about the APDU
  const uint8_t typ = b[6];
  const uint16_t word = TypeWord(typ);
  uint8_t verdict;
  if (IsDefinedType(typ)) {
    verdict = StatOk;
  } else if (typ <= 127 && (word & kTypeOnly101)) {
    verdict = StatType101;
  } else {
    return StatUnknownType;
  }

  const int n = b[7] & 0x7F;
  const bool sq = b[7] & 0x80;
  if (sq ? !(word & kTypeSequence) : (n == 0 || typ == kDirectory || (n > 1 && !(word & kTypeSeveral))))
    return StatStructureError;

  if (typ == kFileSegment)
    return a > kSegmentLengthAt && a == kSegmentLengthAt + 1 + b[kSegmentLengthAt] ? verdict : uint8_t{StatAsduLengthError};
  const int objects = sq ? 1 : n;
  if (a != n * ElementSize(typ) + kIoaSize * objects + kApduHeader) return StatAsduLengthError;

  const uint8_t urs = b[8];
  const int cot = urs & 0x3F;
  if (CausePermitted(m.AllgVar, TypeGroup(m.AllgVar, typ), cot)) return verdict;
  if (m.PrgPar.frburs.frb[urs].wd() == 0) return StatCauseError;
  if (CausePermitted(m.AllgVar, 0, cot)) return StatCauseError;
  return StatUserCause;
}

}  // namespace

void CheckApdu(Monitor& m, T_ComVar& port) {
  T_Telegramm& te = port.em.te;
  const int a = te.lg - te.idm;
  const uint8_t len = a > 1 ? te.b[1] : 0;
  uint8_t ctl[4] = {};
  for (int i = 0; i < 4 && 2 + i < a; ++i) ctl[i] = te.b[2 + i];
  const uint16_t w = static_cast<uint16_t>(ctl[0] | ctl[1] << 8);
  const uint16_t r = static_cast<uint16_t>(ctl[2] | ctl[3] << 8);

  te.stat = StatOk;
  if (!(ctl[0] & 1)) {
    te.ta = TaIFormat;
    if (len < 13) te.stat = StatLengthError;
  } else if (!(ctl[0] & 2)) {
    te.ta = TaSFormat;
    if (len != 4) te.stat = StatLengthError;
  } else {
    te.ta = TaUFormat;
    if (!(BitCount16(w & 0xFFFC) == 1 && w <= 0xFF && r == 0)) te.stat = StatControlError;
    if (len != 4) te.stat = StatLengthError;
  }
  if (te.ta == TaIFormat && te.stat == StatOk) te.stat = CheckAsdu(m, te.b, a);
}

}  // namespace qlxs
