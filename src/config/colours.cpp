#include "config/colours.h"

#include <array>
#include <cstddef>

namespace qlxs {

namespace {

// The fixed entries of the palette; the system entries are filled from the desktop.
constexpr std::array<Rgb, kPaletteSize> kFixedColours = {{
    {0, 0, 0},        // system window background
    {0, 0, 0},        // black
    {0, 0, 255},      // blue
    {255, 0, 0},      // red
    {0, 192, 0},      // green
    {255, 255, 0},    // yellow
    {0, 255, 255},    // aqua
    {192, 0, 192},    // purple
    {255, 255, 255},  // white
    {128, 128, 128},  // grey
    {214, 214, 214},  // light grey
    {208, 220, 255},  // light blue
    {255, 211, 211},  // light red
    {214, 250, 198},  // light green
    {255, 255, 183},  // light yellow
    {0, 0, 0},        // system window background
    {0, 0, 0},        // system window text
    {0, 0, 0},        // system menu
    {0, 0, 0},        // system active caption
    {0, 0, 0},        // system inactive caption
}};

// True for an index that selects a colour: 1 .. 19. 0 keeps the colour that
// applies otherwise, and so does an index beyond the palette.
bool SelectsColour(uint8_t i) { return i != ColourSystemBackground && i < kPaletteSize; }

// An accepted I-format APDU long enough to hold its cause octet: the
// telegrams whose objects take colours per type and cause. A piece of TCP
// payload holds no ASDU header to read them from.
bool HasAsduHeader(const T_Telegramm& t) {
  if (t.ta != TaIFormat || IsFaultyStatus(t.stat) || t.stat == StatFragment) return false;
  return t.lg - t.idm > static_cast<int>(offsetof(T_ApduView, urs));
}

}  // namespace

Rgb PaletteColour(int i, const SystemColours& sys) {
  switch (i) {
    case ColourWindowBackground: return sys.window;
    case ColourWindowText: return sys.windowText;
    case ColourMenu: return sys.menu;
    case ColourActiveCaption: return sys.activeCaption;
    case ColourInactiveCaption: return sys.inactiveCaption;
    default:
      if (i <= ColourSystemBackground || i >= kPaletteSize) return sys.window;
      return kFixedColours[i];
  }
}

T_FarbIndex& TelColourPair(T_TelFarben& tf, int k) {
  switch (k) {
    case 1: return tf.e1;
    case 2: return tf.s1;
    case 3: return tf.e2;
    case 4: return tf.s2;
    case kPairHeadings: return tf.ueb;
    default: return tf.err;
  }
}

const T_FarbIndex& TelColourPair(const T_TelFarben& tf, int k) {
  return TelColourPair(const_cast<T_TelFarben&>(tf), k);
}

T_FarbIndex ChannelColours(const T_TelFarben& tf, const T_Telegramm& t) {
  const bool channel = t.ek >= 1 && t.ek <= 4;
  if (!channel || t.ta == TaEvent || IsFaultyStatus(t.stat)) return tf.err;
  return TelColourPair(tf, t.ek);
}

uint16_t ColourCandidate(uint16_t elementColour, const T_TypUrsFarben& frbtyp, const T_TypUrsFarben& frburs,
                         uint8_t typ, uint8_t urs) {
  if (elementColour != 0) return elementColour;
  if (const uint16_t w = frbtyp.frb[typ].wd(); w != 0) return w;
  return frburs.frb[urs].wd();
}

T_FarbIndex ApplyColourWord(T_FarbIndex pair, uint16_t w) {
  const auto fg = static_cast<uint8_t>(w & 0xFF);
  const auto hg = static_cast<uint8_t>(w >> 8);
  if (SelectsColour(fg)) pair.fg = fg;
  if (SelectsColour(hg)) pair.hg = hg;
  return pair;
}

T_FarbIndex TelegramColours(const T_TelFarben& tf, const T_TypUrsFarben& frbtyp, const T_TypUrsFarben& frburs,
                            const T_Telegramm& t, uint16_t elementColour) {
  const T_FarbIndex channel = ChannelColours(tf, t);
  if (!HasAsduHeader(t)) return channel;
  return ApplyColourWord(channel, ColourCandidate(elementColour, frbtyp, frburs, t.apdu().typ, t.apdu().urs));
}

}  // namespace qlxs
