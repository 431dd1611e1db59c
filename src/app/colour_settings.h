#pragma once
/// What the two colour dialogs of the desktop program decide, without a
/// window:
///
/// - the telegram colour dialog edits the view's font size, the blank space
///   between telegrams and the six colour pairs of `T_TelFarben` (four
///   channels, headings, errors); each pair has a text colour list and a
///   background list of the colours 1 .. 19 and a sample line;
/// - the colour table dialog edits one `T_TypUrsFarben`, the colour pair per
///   type identification or per cause octet: a list of the 256 codes and two
///   lists of the 20 palette colours.
///
/// Both work on a copy. The telegram colours replace the settings on OK; a
/// colour table is copied back on OK only when it differs from the stored
/// one.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/help_topics.h"
#include "config/allg_var.h"
#include "config/colours.h"
#include "config/prg_par.h"

namespace qlxs {

// Texts of the telegram colour dialog.
inline constexpr int kTextTelColourCaption = 1450;
inline constexpr int kTextFontSizeLabel = 1451;
inline constexpr int kTextFontSizes = 1452;     ///< comma list of the sizes
inline constexpr int kTextSamplesLabel = 1453;
inline constexpr int kTextTextColourLabel = 1454;
inline constexpr int kTextBackgroundLabel = 1455;
inline constexpr int kTextGapField = 1456;      ///< label; text 1457 is its hint

// Texts of the colour table dialog (+ 1 for the table per type).
inline constexpr int kTextColourTableCaption = 1507;
inline constexpr int kTextCodeListLabel = 1509;
inline constexpr int kTextTableTextColour = 1511;
inline constexpr int kTextTableBackground = 1512;

// ---------------------------------------------------------------------------
// Telegram colours

/// Index of each control in the telegram colour dialog's component list,
/// the value its `ilo` stores: the size list, the gap field, then for each
/// pair 1 .. 6 its text colour list and its background list.
inline constexpr int kTelColourSizeList = 1;
inline constexpr int kTelColourGapField = 2;
constexpr int TelColourListControl(int pair, bool background) { return 3 + 2 * (pair - 1) + (background ? 1 : 0); }
inline constexpr int kTelColourControls = TelColourListControl(kTelColourPairs, true);

/// Items of the size list: text 1452 split at its commas.
std::vector<std::string> FontSizeItems(const T_AllgVar& v);
/// The size item to select for font size `schrift`: the item whose number
/// (blanks ignored) is `schrift`; 0 when none is.
int FontSizeItemIndex(const std::vector<std::string>& items, int schrift);
/// The font size of a size item: its decimal number with the blanks around
/// it ignored; `old` when the item is not a number of 1 .. 99.
int FontSizeOfItem(std::string_view item, int old);

/// Items of a colour list of the telegram colour dialog: item j is colour
/// j + 1 (1 .. 19), " " + its name.
std::vector<std::string> TelColourListItems(const T_AllgVar& v);
/// The item a colour list selects for palette index `index`: index − 1 for
/// 1 .. 19; -1 (none) for 0 and for indexes beyond the palette, which
/// only a damaged settings file holds.
int TelColourListItem(uint8_t index);
/// A change of the text colour list (or background list) of `pair` to item
/// `item`: the pair's `fg` (or `hg`) becomes colour item + 1. An item
/// outside the list changes nothing, so a list showing no colour keeps
/// the stored index.
void SetTelColour(T_TelFarben& tf, int pair, bool background, int item);

/// Text of the sample line of `pair`: text 1457 + pair.
std::string SampleLineText(const T_AllgVar& v, int pair);

/// The blank space between telegrams as the entry field holds it.
std::string GapFieldText(const T_TelFarben& tf);
/// Reads the gap field: one to five decimal digits of a value up to 65535
/// (blanks around them ignored). False for anything else.
bool ParseGapField(std::string_view text, int32_t& value);

/// OK of the telegram colour dialog on the edited copy `tf`, whose pairs
/// already hold the colour lists' choices: `ilo` := the control focused
/// last, `schrift` := the size of the selected size item, `leerzl` := the
/// gap. Nothing else changes.
void AcceptTelColours(T_TelFarben& tf, int ilo, std::string_view sizeItem, int32_t gap);

// ---------------------------------------------------------------------------
// Colour tables per type and per cause

/// Index of each control in the colour table dialog's component list.
inline constexpr int kTableCodeList = 1;
inline constexpr int kTableTextColour = 2;
inline constexpr int kTableBackground = 3;

/// Entry `code` of the code list: the code right-aligned in four
/// characters, four blanks and its name. Per type: the name of a defined
/// type identification, else nothing. Per cause: the name of cause
/// code AND 0x3F when that cause is defined (nothing otherwise), after text
/// 201 when the negative bit 0x40 is set, and all that after text 199 when
/// the test bit 0x80 is set.
std::string ColourCodeItem(const T_AllgVar& v, int code, bool perType);

/// Items of the colour lists of the table dialog: all 20 palette colours,
/// item i the number i right-aligned in three characters, a blank and its
/// name.
std::vector<std::string> PaletteListItems(const T_AllgVar& v);
/// The item a palette list selects for index `index`: `index` itself
/// within the palette, -1 (none) beyond it.
int PaletteListItem(uint8_t index);

/// The code selected when the dialog opens: `itu`, or 0 when the stored
/// value lies outside 0 .. 255.
int CodeToSelect(const T_TypUrsFarben& t);
/// Selecting code i of the code list makes it the one the colour lists edit.
void SelectCode(T_TypUrsFarben& t, int code);
/// A change of the text colour list (or background list) to item `item`
/// stores it as `fg` (or `hg`) of the selected code. Item 0 stores 0, so
/// that half overrides nothing. An item outside the palette changes
/// nothing.
void SetCodeColour(T_TypUrsFarben& t, bool background, int item);
/// The colours a code list entry with the pair `p` is drawn in: `fg` on
/// `hg`; an index that selects no colour (0, or one beyond the palette)
/// is drawn as window text (16) or window background (15), as an entry
/// without colours appears in any desktop scheme.
T_FarbIndex CodeItemColours(T_FarbIndex p);

/// OK of the colour table dialog: copies `edited` over `stored` when their
/// bytes differ and tells whether it did.
bool CopyBackWhenChanged(T_TypUrsFarben& stored, const T_TypUrsFarben& edited);

// ---------------------------------------------------------------------------
// Drawing

/// Whether the name of a colour list item is written in white on colour
/// `c` (else in black): white on dark colours, judged by the colour's
/// brightness, so that the names stay readable with any desktop scheme.
bool WhiteTextOn(Rgb c);

}  // namespace qlxs
