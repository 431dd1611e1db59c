// The Qt canvas on a real widget: the band copy of the online view moves
// the lines up as a whole, including those that land above the band.

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "ui/qt_canvas.h"

namespace qlxs {
namespace {

struct NoBars final : CanvasGeometry {
  int StatusBarHeight() const override { return 0; }
  int ToolBarHeight() const override { return 0; }
  int StatisticsBottom() const override { return 0; }
  int ScrollBarWidth() const override { return 0; }
};

TEST(QtCanvas, CopyBandMovesTheWholeBandUpAndLeavesTheRest) {
  QWidget area;
  area.resize(40, 100);
  NoBars bars;
  QtCanvas canvas(area, bars);
  canvas.Resize();
  // Ten stripes of 10 pixels, each in its own palette colour.
  for (int i = 0; i < 10; ++i) {
    canvas.SetBrushColour(i);
    canvas.FillRect(0, i * 10, 40, i * 10 + 10);
  }
  const QImage before = canvas.pixmap().toImage();
  // The band 30..80 moves up by 25 to start at 5.
  canvas.CopyBand(30, 80, 5);
  const QImage after = canvas.pixmap().toImage();
  for (int y = 0; y < 100; ++y) {
    const int from = y >= 5 && y < 55 ? y + 25 : y;  // inside the moved band, or untouched
    EXPECT_EQ(after.pixel(20, y), before.pixel(20, from)) << "row " << y;
  }
}

}  // namespace
}  // namespace qlxs
