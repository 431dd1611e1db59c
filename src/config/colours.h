#pragma once
/// The 20-colour palette of the view and the rule that gives a telegram, and
/// each of its information objects, a colour pair: the pair of its channel,
/// overridden by the colour of the object's element entry, else by the
/// colour of its type identification, else by that of its cause octet.
/// The colour pairs themselves live in the settings record (`T_TelFarben`,
/// `T_TypUrsFarben`).

#include <cstdint>

#include "config/prg_par.h"
#include "model/telegram.h"

namespace qlxs {

/// A colour as red, green and blue.
struct Rgb {
  uint8_t r, g, b;
  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

/// Number of palette entries; a pair index addresses 0 .. 19.
inline constexpr int kPaletteSize = 20;

/// Palette indexes. 0 and 15 to 19 follow the desktop's colour scheme.
enum : uint8_t {
  ColourSystemBackground = 0,  ///< window background; in a pair it keeps the colour that applies otherwise
  ColourBlack = 1,
  ColourBlue = 2,
  ColourRed = 3,
  ColourGreen = 4,
  ColourYellow = 5,
  ColourAqua = 6,
  ColourPurple = 7,
  ColourWhite = 8,
  ColourGrey = 9,
  ColourLightGrey = 10,
  ColourLightBlue = 11,
  ColourLightRed = 12,
  ColourLightGreen = 13,
  ColourLightYellow = 14,
  ColourWindowBackground = 15,
  ColourWindowText = 16,
  ColourMenu = 17,
  ColourActiveCaption = 18,
  ColourInactiveCaption = 19,
};

/// The desktop colours that the system entries of the palette show.
struct SystemColours {
  Rgb window;           ///< entries 0 and 15
  Rgb windowText;       ///< entry 16
  Rgb menu;             ///< entry 17
  Rgb activeCaption;    ///< entry 18
  Rgb inactiveCaption;  ///< entry 19
};

/// A light desktop scheme, for use where no desktop tells its colours.
inline constexpr SystemColours kDefaultSystemColours{
    {255, 255, 255}, {0, 0, 0}, {240, 240, 240}, {153, 180, 209}, {191, 205, 219}};

/// The colour of palette index i, the system entries taken from `sys`. An
/// index outside 0 .. 19 (only a damaged settings file holds one) gives the
/// colour of index 0.
Rgb PaletteColour(int i, const SystemColours& sys = kDefaultSystemColours);

/// Text number of the name of palette colour i.
constexpr int ColourNameText(int i) { return 1465 + i; }

/// Number of colour pairs of `T_TelFarben`: four channels, headings, errors.
inline constexpr int kTelColourPairs = 6;
/// Pair numbers of `T_TelFarben` beside the channels 1 .. 4.
inline constexpr int kPairHeadings = 5;
inline constexpr int kPairErrors = 6;

/// Pair k (1 .. 6) of `tf`: `e1`, `s1`, `e2`, `s2`, `ueb`, `err`. Any other
/// k gives `err`.
T_FarbIndex& TelColourPair(T_TelFarben& tf, int k);
const T_FarbIndex& TelColourPair(const T_TelFarben& tf, int k);

/// The colour pair a telegram starts in: the pair of its channel `ek`
/// (1 .. 4) for an accepted telegram; `err` for a faulty telegram, for a
/// port event or message (class 4) and for a telegram without a channel.
T_FarbIndex ChannelColours(const T_TelFarben& tf, const T_Telegramm& t);

/// The colour word (`fg` in the low octet) that overrides the channel pair of
/// an information object: the element's colour when it has one, else the
/// entry of type `typ`, else the entry of the whole cause octet `urs` (test
/// and negative bits select entries of their own); 0 when none defines one.
uint16_t ColourCandidate(uint16_t elementColour, const T_TypUrsFarben& frbtyp, const T_TypUrsFarben& frburs,
                         uint8_t typ, uint8_t urs);

/// `pair` with the non-zero halves of colour word w put in: a text colour
/// index of w replaces `fg`, a background index replaces `hg`. Indexes
/// beyond the palette replace nothing.
T_FarbIndex ApplyColourWord(T_FarbIndex pair, uint16_t w);

/// The colour pair of telegram t, or of its object whose element entry has
/// colour `elementColour` (0: none): the channel pair, for an accepted
/// I-format APDU overridden by `ColourCandidate` of its type and cause.
T_FarbIndex TelegramColours(const T_TelFarben& tf, const T_TypUrsFarben& frbtyp, const T_TypUrsFarben& frburs,
                            const T_Telegramm& t, uint16_t elementColour = 0);

}  // namespace qlxs
