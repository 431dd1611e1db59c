#include "capture/check_apdu.h"

#include <algorithm>
#include <cstring>

#include "iec104/cause_lists.h"
#include "iec104/type_table.h"
#include "model/apdu.h"
#include "model/helpers.h"

namespace qlxs {

namespace {

constexpr uint8_t kFileSegment = 125;
constexpr uint8_t kDirectory = 126;
// APDU offset of the segment length octet of a file segment.
constexpr int kSegmentLengthAt = 18;

// The verdict on the ASDU of an I-format APDU of `a` octets, whose leading
// fields are in `v`.
uint8_t CheckAsdu(const T_TextTable& tables, const T_TypUrsFarben& frburs, const T_ApduView& v, const uint8_t* b,
                  int a) {
  if (a < kApduHeaderSize) return StatAsduLengthError;  // only when the length octet lies about the APDU
  const uint8_t typ = v.typ;
  const uint16_t word = TypeWord(typ);
  uint8_t verdict;
  if (IsDefinedType(typ)) {
    verdict = StatOk;
  } else if (typ <= 127 && (word & kTypeOnly101)) {
    verdict = StatType101;
  } else {
    return StatUnknownType;
  }

  const int n = v.struk & kStructureCount;
  const bool sq = v.struk & kStructureSq;
  if (sq ? !(word & kTypeSequence) : (n == 0 || typ == kDirectory || (n > 1 && !(word & kTypeSeveral))))
    return StatStructureError;

  if (typ == kFileSegment)
    return a > kSegmentLengthAt && a == kSegmentLengthAt + 1 + b[kSegmentLengthAt] ? verdict : uint8_t{StatAsduLengthError};
  const int objects = sq ? 1 : n;
  if (a != n * ElementSize(typ) + kIoaSize * objects + kApduHeaderSize) return StatAsduLengthError;

  const int cot = v.urs & kCauseMask;
  if (CausePermitted(tables, TypeGroup(tables, typ), cot)) return verdict;
  if (frburs.frb[v.urs].wd() == 0) return StatCauseError;
  if (CausePermitted(tables, 0, cot)) return StatCauseError;
  return StatUserCause;
}

}  // namespace

void CheckApdu(const T_TextTable& tables, const T_TypUrsFarben& frburs, T_Telegramm& te) {
  const int a = te.lg - te.idm;
  // The leading fields of the APDU; those a too short APDU lacks read as
  // zero, so nothing beyond the APDU is looked at.
  T_ApduView v{};
  std::memcpy(&v, te.b, static_cast<size_t>(std::clamp<int>(a, 0, sizeof v)));
  const uint16_t w = v.snr;
  const uint16_t r = v.rnr;

  te.stat = StatOk;
  if (!(w & kApciNotI)) {
    te.ta = TaIFormat;
    if (v.tlg < kMinILength) te.stat = StatLengthError;
  } else if (!(w & kApciU)) {
    te.ta = TaSFormat;
    if (v.tlg != kApciLength) te.stat = StatLengthError;
  } else {
    te.ta = TaUFormat;
    if (!(BitCount16(w & kUFunctionBits) == 1 && w <= 0xFF && r == 0)) te.stat = StatControlError;
    if (v.tlg != kApciLength) te.stat = StatLengthError;
  }
  if (te.ta == TaIFormat && te.stat == StatOk) te.stat = CheckAsdu(tables, frburs, v, te.b, a);
}

}  // namespace qlxs
