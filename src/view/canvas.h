#pragma once
/// The drawing surface of the telegram views. The main window implements it
/// on its client area; everything the views decide (what to draw, where,
/// when to scroll) is done on this interface, so it works and is tested
/// without a window. Coordinates are pixels of the client area, y downward.

#include <string_view>

namespace qlxs {

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Geometry of the window, read whenever the views lay something out.
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  /// Height of the status bar at the bottom of the client area.
  virtual int StatusBarHeight() const = 0;
  /// Height of the tool bar area at the top of the client area.
  virtual int ToolBarHeight() const = 0;
  /// y just below the statistics grid (online view only).
  virtual int StatisticsBottom() const = 0;
  /// Width of the vertical scroll bar at the right (log view only).
  virtual int ScrollBarWidth() const = 0;

  /// Height of `sample` (UTF-8) in the current font.
  virtual int TextHeight(std::string_view sample) = 0;
  /// Draws UTF-8 text with its top left corner at (x, y), in the font
  /// colour on the brush colour.
  virtual void DrawText(int x, int y, std::string_view text) = 0;
  /// Fills the rectangle [left, right) x [top, bottom) in the brush colour.
  virtual void FillRect(int left, int top, int right, int bottom) = 0;
  /// Copies the band of the whole width between y = top and y = bottom
  /// (exclusive) so that it starts at y = toY.
  virtual void CopyBand(int top, int bottom, int toY) = 0;

  /// Palette indexes (0 .. 19, see `PaletteColour`) of the text and of the
  /// background of text and fills.
  virtual void SetFontColour(int index) = 0;
  virtual void SetBrushColour(int index) = 0;
  /// On: font size + 1 and bold; off: font size - 1 and normal. Always in pairs.
  virtual void SetBold(bool on) = 0;
  /// The busy (hourglass) cursor while a page is read, and back.
  virtual void SetBusyCursor(bool on) = 0;
};

}  // namespace qlxs
