#pragma once
/// The settings record. The settings file is its exact 4360-byte image.

#include <cstddef>
#include <cstdint>

#include "model/port_params.h"

namespace qlxs {

/// Magic number shared by the settings file and the telegram log file.
inline constexpr uint32_t kFileMagic = 0x57000402;

#pragma pack(push, 1)
/// A colour pair: indexes into the 20-colour palette. As a 16-bit value
/// (`fg` in the low byte) 0 means "no colour defined".
struct T_FarbIndex {
  uint8_t fg;  ///< text colour index
  uint8_t hg;  ///< background colour index
  uint16_t wd() const { return static_cast<uint16_t>(fg | (hg << 8)); }
};
static_assert(sizeof(T_FarbIndex) == 2);
static_assert(offsetof(T_FarbIndex, fg) == 0 && offsetof(T_FarbIndex, hg) == 1);

/// View size and the six colour pairs, 36 bytes.
struct T_TelFarben {
  int32_t schrift;   ///< font size of the view
  int32_t vers;      ///< block version, 1
  int32_t ilo;       ///< control focused last in the colour dialog
  int32_t leerzl;    ///< blank space between telegrams in percent of a line
  T_FarbIndex e1;    ///< receiver 1
  T_FarbIndex s1;    ///< sender 1
  T_FarbIndex e2;    ///< receiver 2
  T_FarbIndex s2;    ///< sender 2
  T_FarbIndex ueb;   ///< headings and view background
  T_FarbIndex err;   ///< telegrams without channel and messages
  uint8_t res[8];
};
static_assert(sizeof(T_TelFarben) == 36);
static_assert(offsetof(T_TelFarben, vers) == 4 && offsetof(T_TelFarben, leerzl) == 12);
static_assert(offsetof(T_TelFarben, ilo) == 8);
static_assert(offsetof(T_TelFarben, e1) == 16 && offsetof(T_TelFarben, s1) == 18);
static_assert(offsetof(T_TelFarben, e2) == 20 && offsetof(T_TelFarben, s2) == 22);
static_assert(offsetof(T_TelFarben, ueb) == 24 && offsetof(T_TelFarben, err) == 26);
static_assert(offsetof(T_TelFarben, res) == 28);

/// A colour pair per type identification or per cause octet, 536 bytes.
struct T_TypUrsFarben {
  int32_t ilo;            ///< control focused last in the colour table dialog
  int32_t itu;            ///< entry selected last (0..255)
  T_FarbIndex frb[256];   ///< pair per code
  int32_t lg;             ///< 536
  uint8_t res[12];
};
static_assert(sizeof(T_TypUrsFarben) == 536);
static_assert(offsetof(T_TypUrsFarben, itu) == 4);
static_assert(offsetof(T_TypUrsFarben, frb) == 8 && offsetof(T_TypUrsFarben, lg) == 520);
static_assert(offsetof(T_TypUrsFarben, res) == 524);

/// The settings record, 4360 bytes.
struct T_PrgPar {
  uint32_t kenn;            ///< magic number 0x57000402
  int32_t lg;               ///< 4360
  int32_t vers;             ///< format version 16
  uint8_t res1[4];
  int32_t afmt;             ///< output format, tag 3..7
  uint8_t res2[4];
  int32_t spr;              ///< language: 0 German, 1 English
  uint8_t opt[5];           ///< options; [4] daily log file
  uint8_t res3[11];
  int32_t druausg;          ///< print dialog: output choice
  int32_t drudrucker;       ///< print dialog: printer index
  int32_t drudatei;         ///< print dialog: file index
  int32_t mruanz;           ///< recently used files in use, 0..6
  int32_t wtop, wleft, wheight, wwidth;  ///< window placement
  int32_t wstat;            ///< 0 none stored, 1 normal, 3 maximised
  T_TelFarben tf;           ///< view size and colours
  uint8_t res4[87];
  uint8_t nur104;           ///< view only IEC 104
  uint8_t mitzeit;          ///< view with time
  uint8_t mitlink;          ///< view with link layer
  uint8_t online;           ///< online at the next start
  uint8_t ausgonl;          ///< 1 online view, 0 log view
  ShortString<255> altlog;  ///< data directory candidate, read at start only
  uint8_t res5[256];
  ShortString<255> mru[8];  ///< recently used files, most recent first
  ShortString<255> txtdat;  ///< element text file name
  uint8_t res6[256];
  T_TypUrsFarben frbtyp;    ///< colours per type identification
  T_TypUrsFarben frburs;    ///< colours per cause octet
  uint8_t res7[8];
};
#pragma pack(pop)
static_assert(sizeof(T_PrgPar) == 4360);
static_assert(offsetof(T_PrgPar, lg) == 4);
static_assert(offsetof(T_PrgPar, vers) == 8);
static_assert(offsetof(T_PrgPar, afmt) == 16);
static_assert(offsetof(T_PrgPar, spr) == 24);
static_assert(offsetof(T_PrgPar, opt) == 28);
static_assert(offsetof(T_PrgPar, druausg) == 44);
static_assert(offsetof(T_PrgPar, drudrucker) == 48);
static_assert(offsetof(T_PrgPar, drudatei) == 52);
static_assert(offsetof(T_PrgPar, mruanz) == 56);
static_assert(offsetof(T_PrgPar, wtop) == 60);
static_assert(offsetof(T_PrgPar, wstat) == 76);
static_assert(offsetof(T_PrgPar, tf) == 80);
static_assert(offsetof(T_PrgPar, nur104) == 203);
static_assert(offsetof(T_PrgPar, mitzeit) == 204);
static_assert(offsetof(T_PrgPar, mitlink) == 205);
static_assert(offsetof(T_PrgPar, online) == 206);
static_assert(offsetof(T_PrgPar, ausgonl) == 207);
static_assert(offsetof(T_PrgPar, altlog) == 208);
static_assert(offsetof(T_PrgPar, mru) == 720);
static_assert(offsetof(T_PrgPar, txtdat) == 2768);
static_assert(offsetof(T_PrgPar, frbtyp) == 3280);
static_assert(offsetof(T_PrgPar, frburs) == 3816);
static_assert(offsetof(T_PrgPar, res7) == 4352);

/// Number of recently used files the program keeps (`mruanz` at most).
inline constexpr int kMaxRecentFiles = 6;

/// Option indexes of `T_PrgPar::opt`.
inline constexpr int kOptViewSwitchKeys = 1;  ///< F9, and the keys of the views that switch them
inline constexpr int kOptDailyLog = 4;

/// Defaults of the view size and colour block.
T_TelFarben DefaultTelFarben();
/// Defaults of a per-type or per-cause colour table (no colours, lg 536).
T_TypUrsFarben DefaultTypUrsFarben();
/// Defaults of the settings record; `german` false selects English.
T_PrgPar DefaultPrgPar(bool german = true);

}  // namespace qlxs
