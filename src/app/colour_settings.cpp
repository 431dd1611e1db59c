#include "app/colour_settings.h"

#include <cstdio>
#include <cstring>

#include "config/dialog_texts.h"
#include "config/text_fields.h"
#include "iec104/cause_lists.h"
#include "iec104/type_table.h"
#include "model/text_table.h"

namespace qlxs {

namespace {

constexpr int kTextTestBit = 199;
constexpr int kTextNegativeBit = 201;
constexpr int kTextSampleLines = 1457;  // + pair
constexpr int kTextTypeNames = 70;      // + type
constexpr int kTextCauseNames = 202;    // + cause

// The decimal value of `s` (blanks around it ignored) when it is one to
// `maxDigits` digits; -1 otherwise.
long DecimalValue(std::string_view s, size_t maxDigits) {
  s = TrimBlanks(s);
  if (s.empty() || s.size() > maxDigits) return -1;
  long value = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string Format(const char* format, int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

}  // namespace

std::vector<std::string> FontSizeItems(const T_AllgVar& v) {
  std::vector<std::string> items;
  for (const std::string& item : SplitCommaList(Text(v, kTextFontSizes))) items.emplace_back(TrimBlanks(item));
  return items;
}

int FontSizeItemIndex(const std::vector<std::string>& items, int schrift) {
  for (size_t i = 0; i < items.size(); ++i)
    if (DecimalValue(items[i], 2) == schrift) return static_cast<int>(i);
  return 0;
}

int FontSizeOfItem(std::string_view item, int old) {
  const long size = DecimalValue(item, 2);
  return size >= 1 ? static_cast<int>(size) : old;
}

std::vector<std::string> TelColourListItems(const T_AllgVar& v) {
  std::vector<std::string> items;
  for (int i = 1; i < kPaletteSize; ++i) items.push_back(" " + Text(v, ColourNameText(i)));
  return items;
}

int TelColourListItem(uint8_t index) { return index >= 1 && index < kPaletteSize ? index - 1 : -1; }

void SetTelColour(T_TelFarben& tf, int pair, bool background, int item) {
  if (pair < 1 || pair > kTelColourPairs || item < 0 || item >= kPaletteSize - 1) return;
  T_FarbIndex& p = TelColourPair(tf, pair);
  (background ? p.hg : p.fg) = static_cast<uint8_t>(item + 1);
}

std::string SampleLineText(const T_AllgVar& v, int pair) { return Text(v, kTextSampleLines + pair); }

std::string GapFieldText(const T_TelFarben& tf) { return std::to_string(tf.leerzl); }

bool ParseGapField(std::string_view text, int32_t& value) {
  const long gap = DecimalValue(text, 5);
  if (gap < 0 || gap > 65535) return false;
  value = static_cast<int32_t>(gap);
  return true;
}

void AcceptTelColours(T_TelFarben& tf, int ilo, std::string_view sizeItem, int32_t gap) {
  tf.ilo = ilo;
  tf.schrift = FontSizeOfItem(sizeItem, tf.schrift);
  tf.leerzl = gap;
}

std::string ColourCodeItem(const T_AllgVar& v, int code, bool perType) {
  std::string name;
  if (perType) {
    if (IsDefinedType(code)) name = Text(v, kTextTypeNames + code);
  } else {
    const int cause = code & 0x3F;
    if (CausePermitted(v, 0, cause)) name = Text(v, kTextCauseNames + cause);
    if (code & 0x40) name = Text(v, kTextNegativeBit) + name;
    if (code & 0x80) name = Text(v, kTextTestBit) + name;
  }
  return Format("%4d", code) + "    " + name;
}

std::vector<std::string> PaletteListItems(const T_AllgVar& v) {
  std::vector<std::string> items;
  for (int i = 0; i < kPaletteSize; ++i) items.push_back(Format("%3d", i) + " " + Text(v, ColourNameText(i)));
  return items;
}

int PaletteListItem(uint8_t index) { return index < kPaletteSize ? index : -1; }

int CodeToSelect(const T_TypUrsFarben& t) { return t.itu >= 0 && t.itu <= 255 ? t.itu : 0; }

void SelectCode(T_TypUrsFarben& t, int code) {
  if (code >= 0 && code <= 255) t.itu = code;
}

void SetCodeColour(T_TypUrsFarben& t, bool background, int item) {
  if (item < 0 || item >= kPaletteSize) return;
  T_FarbIndex& p = t.frb[CodeToSelect(t)];
  (background ? p.hg : p.fg) = static_cast<uint8_t>(item);
}

T_FarbIndex CodeItemColours(T_FarbIndex p) {
  const auto shown = [](uint8_t i, uint8_t fallback) {
    return i == ColourSystemBackground || i >= kPaletteSize ? fallback : i;
  };
  return {shown(p.fg, ColourWindowText), shown(p.hg, ColourWindowBackground)};
}

bool CopyBackWhenChanged(T_TypUrsFarben& stored, const T_TypUrsFarben& edited) {
  if (std::memcmp(&stored, &edited, sizeof stored) == 0) return false;
  stored = edited;
  return true;
}

bool WhiteTextOn(Rgb c) { return 299 * c.r + 587 * c.g + 114 * c.b < 128 * 1000; }

}  // namespace qlxs
