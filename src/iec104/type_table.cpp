#include "iec104/type_table.h"

namespace qlxs {

namespace {

constexpr std::array<uint16_t, kTypeTableSize> MakeTypeTable() {
  std::array<uint16_t, kTypeTableSize> t{};
  struct Row {
    uint16_t word;
    std::array<uint8_t, 8> types;
    int count;
  };
  // One row per property word and the types that have it.
  constexpr Row rows[] = {
      {0xE001, {1, 3}, 2},
      {0x5204, {2, 4}, 2},
      {0xE002, {5, 21}, 2},
      {0x5205, {6}, 1},
      {0xE005, {7, 13, 15, 20}, 4},
      {0x5208, {8, 14, 16}, 3},
      {0xE003, {9, 11}, 2},
      {0x5206, {10, 12, 17}, 3},
      {0x1207, {18, 19}, 2},
      {0xC808, {30, 31}, 2},
      {0xC809, {32}, 1},
      {0xC80C, {33, 36, 37}, 3},
      {0xC80A, {34, 35, 38}, 3},
      {0x880B, {39, 40}, 2},
      {0x8401, {45, 46, 47, 100, 101, 105, 113}, 7},
      {0x8403, {48, 49, 110, 111}, 4},
      {0x8405, {50, 112}, 2},
      {0x8404, {51}, 1},
      {0x8C08, {58, 59, 60}, 3},
      {0x8C0A, {61, 62}, 2},
      {0x8C0C, {63}, 1},
      {0x8C0B, {64}, 1},
      {0x8001, {70}, 1},
      {0x8000, {102, 125, 128, 129, 130, 131, 132, 133}, 8},
      {0x8C07, {103}, 1},
      {0x0602, {104}, 1},
      {0x8C09, {107}, 1},
      {0x8006, {120}, 1},
      {0x8007, {121}, 1},
      {0x8004, {122, 124}, 2},
      {0x8005, {123}, 1},
      {0xA00D, {126}, 1},
  };
  for (const Row& r : rows)
    for (int i = 0; i < r.count; ++i) t[r.types[i]] = r.word;
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
