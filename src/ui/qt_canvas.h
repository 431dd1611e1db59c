#pragma once
/// The canvas of the telegram views on a Qt widget: everything is drawn with
/// QPainter into a backing pixmap of the widget's size, which the widget
/// shows when it paints. A band scroll is one copy inside the pixmap.

#include <QFont>
#include <QPixmap>

#include "config/colours.h"
#include "view/canvas.h"

class QWidget;

namespace qlxs {

/// Where the canvas reads the window's geometry from.
class CanvasGeometry {
 public:
  virtual ~CanvasGeometry() = default;
  virtual int StatusBarHeight() const = 0;
  virtual int ToolBarHeight() const = 0;
  virtual int StatisticsBottom() const = 0;
  virtual int ScrollBarWidth() const = 0;
};

class QtCanvas final : public Canvas {
 public:
  /// Draws for `widget`, whose size is the client area.
  QtCanvas(QWidget& widget, const CanvasGeometry& geometry);

  /// The font of the views: the system's fixed-pitch font at `pointSize`.
  void SetFontSize(int pointSize);
  /// The desktop colours of the palette's system entries.
  void SetSystemColours(const SystemColours& sys) { sys_ = sys; }
  /// Keeps the pixmap the widget's size (the contents that still fit are kept).
  void Resize();
  const QPixmap& pixmap() const { return pixmap_; }

  int ClientWidth() const override;
  int ClientHeight() const override;
  int StatusBarHeight() const override { return geometry_.StatusBarHeight(); }
  int ToolBarHeight() const override { return geometry_.ToolBarHeight(); }
  int StatisticsBottom() const override { return geometry_.StatisticsBottom(); }
  int ScrollBarWidth() const override { return geometry_.ScrollBarWidth(); }
  int TextHeight(std::string_view sample) override;
  void DrawText(int x, int y, std::string_view text) override;
  void FillRect(int left, int top, int right, int bottom) override;
  void CopyBand(int top, int bottom, int toY) override;
  void SetFontColour(int index) override;
  void SetBrushColour(int index) override;
  void SetBold(bool on) override;
  void SetBusyCursor(bool on) override;

 private:
  QColor Colour(int index) const;
  void Changed(const QRect& r);

  QWidget& widget_;
  const CanvasGeometry& geometry_;
  QPixmap pixmap_;
  QFont font_;
  SystemColours sys_ = kDefaultSystemColours;
  QColor fontColour_{Qt::black};
  QColor brushColour_{Qt::white};
};

/// The desktop's colours for the system entries of the palette.
SystemColours DesktopSystemColours();

}  // namespace qlxs
