#pragma once
/// The layout of an IEC 60870-5-104 APDU: start octet, the APCI (length and
/// four control octets), the ASDU header fields with the IEC 104 field sizes
/// (two-octet cause, two-octet common address, three-octet object address),
/// and the bits of the control field, the structure qualifier and the cause
/// octet. The fields themselves are read through `T_ApduView`.

#include <cstdint>

namespace qlxs {

/// Start octet of every APDU.
inline constexpr uint8_t kApduStart = 0x68;
/// Octets the length octet does not count: the start and the length octet.
inline constexpr int kApduFrameOctets = 2;
/// Length octet of an APDU that is only an APCI (S and U format).
inline constexpr int kApciLength = 4;
/// Smallest length octet of an I-format APDU: the APCI and a header of an
/// ASDU with one object address.
inline constexpr int kMinILength = 13;

/// Octets of an I-format APDU before its first information object address:
/// start, length, four control octets, type, structure qualifier, two cause
/// octets and two common-address octets.
inline constexpr int kApduHeaderSize = 12;
/// Octets of an information object address.
inline constexpr int kIoaSize = 3;

/// Offsets of the APDU fields in the data of a telegram (the fields of
/// `T_ApduView`): the length octet, the two control words, type, structure
/// qualifier, cause octet, originator and common address.
inline constexpr int kTlgOffset = 1;
inline constexpr int kSnrOffset = 2;
inline constexpr int kRnrOffset = 4;
inline constexpr int kTypOffset = 6;
inline constexpr int kStrukOffset = 7;
inline constexpr int kUrsOffset = 8;
inline constexpr int kOriOffset = 9;
inline constexpr int kCaOffset = 10;

/// Bits of control octet 1 that tell the format: bit 0 clear is I format;
/// bit 0 set and bit 1 clear is S format; both set is U format.
inline constexpr uint8_t kApciNotI = 0x01;
inline constexpr uint8_t kApciU = 0x02;
/// Bits 2 to 15 of the control word of octets 1 and 2. In U format exactly
/// one of them is set, and it is one of the six function bits of octet 1
/// (STARTDT, STOPDT, TESTFR, each act and con).
inline constexpr uint16_t kUFunctionBits = 0xFFFC;

/// Variable structure qualifier: SQ bit and number of objects.
inline constexpr uint8_t kStructureSq = 0x80;
inline constexpr uint8_t kStructureCount = 0x7F;
/// Cause-of-transmission octet: the cause, the negative and the test bit.
inline constexpr uint8_t kCauseMask = 0x3F;
inline constexpr uint8_t kCauseNegative = 0x40;
inline constexpr uint8_t kCauseTest = 0x80;

}  // namespace qlxs
