#include "ui/qt_printer_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>

namespace qlxs {

namespace {

constexpr double kPointSize = 10;
constexpr double kLeastPointSize = 6;
// Columns a page must hold: the page header and the widest telegram lines.
constexpr int kColumns = 120;

QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }

}  // namespace

QFont PrintFont() {
  const QStringList families = QFontDatabase::families();
  for (const char* family : {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Courier New", "FreeMono"}) {
    if (families.contains(QString::fromLatin1(family))) {
      QFont f(QString::fromLatin1(family));
      f.setFixedPitch(true);
      f.setStyleHint(QFont::Monospace);
      return f;
    }
  }
  return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

QtPrinterOutput::QtPrinterOutput(QPrinter& printer, bool colours, const SystemColours& sys)
    : printer_(printer), font_(PrintFont()), colours_(colours), sys_(sys) {}

int QtPrinterOutput::Begin() {
  if (printer_.outputFormat() == QPrinter::PdfFormat) {
    // The PDF engine only says that it failed, not why: ask the file system.
    const QByteArray name = printer_.outputFileName().toLocal8Bit();
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    ::close(fd);
  }
  printer_.setFullPage(true);
  if (!painter_.begin(&printer_)) return EIO;
  const int resX = printer_.logicalDpiX(), resY = printer_.logicalDpiY();
  top_ = resY / 2;
  pageBottom_ = printer_.height() - resY / 2;
  left_ = resX / 3;
  right_ = printer_.width() - resX / 3;
  // 10 points, smaller when the page is too narrow for the widest lines.
  font_.setPointSizeF(kPointSize);
  const double columnWidth = QFontMetricsF(font_, &printer_).horizontalAdvance(QLatin1Char('X'));
  if (columnWidth > 0 && columnWidth * kColumns > right_ - left_) {
    const double fitting = kPointSize * (right_ - left_) / (columnWidth * kColumns);
    font_.setPointSizeF(std::max(kLeastPointSize, std::floor(fitting * 2) / 2));
  }
  painter_.setFont(font_);
  const QFontMetrics fm(font_, &printer_);
  lineHeight_ = std::max(1, fm.height());
  ascent_ = fm.ascent();
  y_ = top_;
  pages_ = 1;
  return 0;
}

void QtPrinterOutput::NewPage() {
  if (!aborted_) printer_.newPage();
  y_ = top_;
  ++pages_;
  QCoreApplication::processEvents();
}

int QtPrinterOutput::Line(std::string_view text) {
  if (!aborted_ && !text.empty()) {
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (colours_) {
      const int width = QFontMetrics(font_, &printer_).horizontalAdvance(s);
      painter_.fillRect(left_, y_, std::min(width, right_ - left_), lineHeight_,
                        ToQColor(PaletteColour(pair_.hg, sys_)));
      painter_.setPen(ToQColor(PaletteColour(pair_.fg, sys_)));
    } else {
      painter_.setPen(Qt::black);
    }
    painter_.drawText(left_, y_ + ascent_, s);
  }
  y_ += lineHeight_;
  return 0;
}

void QtPrinterOutput::Abort() { aborted_ = printer_.abort(); }

int QtPrinterOutput::End() {
  if (aborted_ || !painter_.isActive()) return 0;
  return painter_.end() ? 0 : EIO;
}

}  // namespace qlxs
