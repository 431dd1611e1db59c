#include "iec104/type_table.h"

namespace qlxs {

namespace {

constexpr std::array<uint16_t, kTypeTableSize> MakeTypeTable() {
  std::array<uint16_t, kTypeTableSize> t{};
  struct Row {
    uint16_t flags;
    uint8_t size;  // element size
    std::array<uint8_t, 8> types;  // ended by the first 0 (type 0 is undefined)
  };
  // One row per property word and the types that have it.
  constexpr Row rows[] = {
      {kTypeDefined | kTypeSeveral | kTypeSequence, 1, {1, 3}},
      {kTypeSeveral | kTypeCp24 | kTypeOnly101, 4, {2, 4}},
      {kTypeDefined | kTypeSeveral | kTypeSequence, 2, {5, 21}},
      {kTypeSeveral | kTypeCp24 | kTypeOnly101, 5, {6}},
      {kTypeDefined | kTypeSeveral | kTypeSequence, 5, {7, 13, 15, 20}},
      {kTypeSeveral | kTypeCp24 | kTypeOnly101, 8, {8, 14, 16}},
      {kTypeDefined | kTypeSeveral | kTypeSequence, 3, {9, 11}},
      {kTypeSeveral | kTypeCp24 | kTypeOnly101, 6, {10, 12, 17}},
      {kTypeCp24 | kTypeOnly101, 7, {18, 19}},
      {kTypeDefined | kTypeSeveral | kTypeCp56, 8, {30, 31}},
      {kTypeDefined | kTypeSeveral | kTypeCp56, 9, {32}},
      {kTypeDefined | kTypeSeveral | kTypeCp56, 12, {33, 36, 37}},
      {kTypeDefined | kTypeSeveral | kTypeCp56, 10, {34, 35, 38}},
      {kTypeDefined | kTypeCp56, 11, {39, 40}},
      {kTypeDefined | kTypeControl, 1, {45, 46, 47, 100, 101, 105, 113}},
      {kTypeDefined | kTypeControl, 3, {48, 49, 110, 111}},
      {kTypeDefined | kTypeControl, 5, {50, 112}},
      {kTypeDefined | kTypeControl, 4, {51}},
      {kTypeDefined | kTypeCp56 | kTypeControl, 8, {58, 59, 60}},
      {kTypeDefined | kTypeCp56 | kTypeControl, 10, {61, 62}},
      {kTypeDefined | kTypeCp56 | kTypeControl, 12, {63}},
      {kTypeDefined | kTypeCp56 | kTypeControl, 11, {64}},
      {kTypeDefined, 1, {70}},
      {kTypeDefined, 0, {102, 125, 128, 129, 130, 131, 132, 133}},
      {kTypeDefined | kTypeCp56 | kTypeControl, 7, {103}},
      {kTypeControl | kTypeOnly101, 2, {104}},
      {kTypeDefined | kTypeCp56 | kTypeControl, 9, {107}},
      {kTypeDefined, 6, {120}},
      {kTypeDefined, 7, {121}},
      {kTypeDefined, 4, {122, 124}},
      {kTypeDefined, 5, {123}},
      {kTypeDefined | kTypeSequence, 13, {126}},
  };
  for (const Row& r : rows)
    for (const uint8_t type : r.types)
      if (type != 0) t[type] = static_cast<uint16_t>(r.flags | r.size);
  return t;
}

}  // namespace

const std::array<uint16_t, kTypeTableSize> TypeTable = MakeTypeTable();

uint16_t TypeWord(int type) {
  return type >= 0 && type < kTypeTableSize ? TypeTable[type] : 0;
}

bool IsDefinedType(int type) { return type >= 0 && type <= 127 && (TypeTable[type] & kTypeDefined); }

bool HasTimeTag(int type) {
  return type >= 0 && type <= 127 && (TypeTable[type] & (kTypeCp24 | kTypeCp56));
}

bool HasLongTimeTag(int type) { return type >= 0 && type <= 127 && (TypeTable[type] & kTypeCp56); }

int ElementSize(int type) { return TypeWord(type) & kTypeElementSizeMask; }

std::string BuildTypeList() {
  std::string list;
  for (int type = 0; type < kTypeTableSize; ++type)
    if (TypeTable[type] & kTypeDefined) list += static_cast<char>(type);
  return list;
}

}  // namespace qlxs
