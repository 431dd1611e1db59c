#pragma once
/// The properties of every type identification of IEC 60870-5-104 (with the
/// types of IEC 60870-5-101 it does not permit), compiled into the program,
/// and the type list derived from them.
///
/// A type identification is the octet of the ASDU; the queries take it as
/// an int and accept any value: types above the table (134..255) and
/// negative values have no properties.

#include <array>
#include <cstdint>
#include <string>

namespace qlxs {

/// Number of entries of the type property table (types 0..133).
inline constexpr int kTypeTableSize = 134;

/// Bits of a type property word. Bits 0-7 hold the element size.
enum TypeFlag : uint16_t {
  kTypeElementSizeMask = 0x00FF,  ///< octets of one information element, without its address
  kTypeOnly101 = 0x0200,          ///< defined in IEC 60870-5-101 only, not permitted in IEC 104
  kTypeControl = 0x0400,          ///< type of the control direction (informative)
  kTypeCp56 = 0x0800,             ///< element ends in a seven-octet time tag CP56Time2a
  kTypeCp24 = 0x1000,             ///< element ends in a three-octet time tag CP24Time2a
  kTypeSequence = 0x2000,         ///< SQ = 1 (elements in sequence) is allowed
  kTypeSeveral = 0x4000,          ///< with SQ = 0 more than one information object is allowed
  kTypeDefined = 0x8000,          ///< the type is defined; defined types make up the type list
};

/// Property word per type identification 0..133; 0 for undefined types.
extern const std::array<uint16_t, kTypeTableSize> TypeTable;

/// The property word of `type`, 0 outside 0..133.
uint16_t TypeWord(int type);

/// True for a type 0..127 whose word has the defined bit. Types 128..133
/// are in the type list but count as not defined.
bool IsDefinedType(int type);
/// True for a type 0..127 with a three- or seven-octet time tag.
bool HasTimeTag(int type);
/// True for a type 0..127 with a seven-octet time tag (CP56Time2a).
bool HasLongTimeTag(int type);
/// Octets of one information element of `type` (low byte of its word),
/// without the three-octet object address; 0 outside 0..133.
int ElementSize(int type);

/// The type list: one character per type 0..133 whose word has the defined
/// bit, in ascending order, the character code being the type. Stored in
/// `AllgVar.TypStr` after every load of the language texts.
std::string BuildTypeList();

}  // namespace qlxs
