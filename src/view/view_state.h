#pragma once
/// What the telegram views remember between two calls: the metrics of the
/// canvas, where the next line goes, the colour pair in force on the
/// canvas, the shared rendering context of the log view and the page top
/// the log reader returns to.

#include <cstdint>
#include <vector>

#include "config/prg_par.h"
#include "render/render.h"

namespace qlxs {

/// A colour index no palette entry has: the canvas colour is not known yet.
inline constexpr uint8_t kColourUnknown = 0xFF;

struct ViewState {
  // Metrics, recomputed by `RecomputeMetrics` (window resized, font changed).
  int lineHeight = 1;    ///< height of the sample text in the canvas font
  int areaHeight = 0;    ///< client height without the status bar
  int linesPerPage = 0;  ///< area height div line height - 7
  int gap = 0;           ///< space between telegrams: `PrgPar.tf.leerzl` percent of a line

  // Layout of the page being drawn.
  int y = 0;             ///< where the next line is drawn
  int topLineY = 0;      ///< y of the first telegram line, below the title
  int pageBottomY = 0;   ///< below the last whole line that fits under the title
  bool pageFull = false; ///< the next line would not fit

  /// The colour pair in force on the canvas (`fg` font, `hg` brush).
  T_FarbIndex cli{kColourUnknown, kColourUnknown};

  /// The rendering context of the log view. Every other context renders
  /// with `shared` pointing here, so all header lines measure the time
  /// since the telegram whose header came last.
  T_TeleAusgabe shared;

  // The first telegram of the log view's page: the reader returns to it
  // after each page, and the next page is found from it.
  bool hasPageTop = false;  ///< false until a page was shown since the log view was entered
  int32_t pageTopBlock = 0;
  int32_t pageTopPos = 0;
  /// The object the page top telegram begins with (0: the first); only the
  /// page top telegram of a page begins there.
  int32_t pageTopObject = 0;

  /// The telegrams of the log view's page as drawn: the band of the view
  /// each took (from its first line to the end of its last) and where it
  /// is stored, so that its text can be taken again.
  struct PageTelegram {
    int top = 0, bottom = 0;
    int32_t block = 0, pos = 0;
  };
  std::vector<PageTelegram> pageTelegrams;
};

}  // namespace qlxs
