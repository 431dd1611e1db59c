#include "ui/qt_canvas.h"
#include "ui/qt_text.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace qlxs {

namespace {

Rgb ToRgb(const QColor& c) {
  return {static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}


}  // namespace

SystemColours DesktopSystemColours() {
  const QPalette p = QApplication::palette();
  return {ToRgb(p.color(QPalette::Base)), ToRgb(p.color(QPalette::Text)), ToRgb(p.color(QPalette::Window)),
          ToRgb(p.color(QPalette::Active, QPalette::Highlight)),
          ToRgb(p.color(QPalette::Inactive, QPalette::Highlight))};
}

QtCanvas::QtCanvas(QWidget& widget, const CanvasGeometry& geometry)
    : widget_(widget), geometry_(geometry), font_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
  font_.setStyleHint(QFont::Monospace);
  font_.setFixedPitch(true);
  Resize();
}

void QtCanvas::SetFontSize(int pointSize) {
  font_.setPointSize(pointSize);
  font_.setBold(false);
}

void QtCanvas::Resize() {
  const QSize size = widget_.size().expandedTo(QSize(1, 1));
  if (pixmap_.size() == size) return;
  QPixmap next(size);
  next.fill(Colour(ColourSystemBackground));
  if (!pixmap_.isNull()) {
    QPainter p(&next);
    p.drawPixmap(0, 0, pixmap_);
  }
  pixmap_ = next;
}

int QtCanvas::ClientWidth() const { return widget_.width(); }
int QtCanvas::ClientHeight() const { return widget_.height(); }

int QtCanvas::TextHeight(std::string_view) { return QFontMetrics(font_).height(); }

void QtCanvas::DrawText(int x, int y, std::string_view text) {
  Resize();
  const QString s = Q(text);
  const QFontMetrics fm(font_);
  const QRect r(x, y, fm.horizontalAdvance(s), fm.height());
  QPainter p(&pixmap_);
  p.fillRect(r, brushColour_);
  p.setFont(font_);
  p.setPen(fontColour_);
  p.drawText(x, y + fm.ascent(), s);
  Changed(r);
}

void QtCanvas::FillRect(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  Resize();
  const QRect r(left, top, right - left, bottom - top);
  QPainter p(&pixmap_);
  p.fillRect(r, brushColour_);
  Changed(r);
}

void QtCanvas::CopyBand(int top, int bottom, int toY) {
  if (bottom <= top) return;
  Resize();
  const QRect band(0, top, pixmap_.width(), bottom - top);
  // The pixmap scrolls only inside the rectangle it is given: it must hold
  // the band and where the band goes.
  const QRect area = band.united(band.translated(0, toY - top));
  pixmap_.scroll(0, toY - top, area);
  Changed(area);
}

void QtCanvas::SetFontColour(int index) { fontColour_ = Colour(index); }
void QtCanvas::SetBrushColour(int index) { brushColour_ = Colour(index); }

void QtCanvas::SetBold(bool on) {
  font_.setPointSize(std::max(1, font_.pointSize() + (on ? 1 : -1)));
  font_.setBold(on);
}

void QtCanvas::SetBusyCursor(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

QColor QtCanvas::Colour(int index) const {
  const Rgb c = PaletteColour(index, sys_);
  return QColor(c.r, c.g, c.b);
}

void QtCanvas::Changed(const QRect& r) { widget_.update(r); }

}  // namespace qlxs
