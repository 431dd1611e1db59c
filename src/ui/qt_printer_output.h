#pragma once
/// A printout on a Qt printer: a CUPS printer or a PDF file. Lines are drawn
/// in a fixed-pitch font, one below the other from half an inch below the
/// top of the page, a third of an inch from its left edge; a line that
/// would start more than half an inch above the bottom edge goes onto a new
/// page. Optionally each line is drawn in the colours the view gives it.
/// Pending window events are processed at every new page, so that the
/// window stays responsive and a cancel request is seen.

#include <QFont>
#include <QPainter>

#include "config/colours.h"
#include "print/print_log.h"

class QPrinter;

namespace qlxs {

class QtPrinterOutput final : public PrintOutput {
 public:
  /// Prints on `printer` (set up: printer name or PDF file); `colours`
  /// draws the lines in the view's colours, the system entries of the
  /// palette taken from `sys`.
  QtPrinterOutput(QPrinter& printer, bool colours, const SystemColours& sys);

  /// Starts the print job; for a PDF file, 0 only when the file can be
  /// written (else its errno).
  int Begin() override;
  bool Paper() const override { return true; }
  bool PageFull() const override { return y_ > pageBottom_; }
  void NewPage() override;
  int Line(std::string_view text) override;
  void Colours(T_FarbIndex pair) override { pair_ = pair; }
  /// Abandons the job; a PDF file cannot be abandoned and is ended as usual.
  void Abort() override;
  int End() override;

  /// The font the lines are printed in (after `Begin`).
  const QFont& font() const { return font_; }
  int pages() const { return pages_; }

 private:
  QPrinter& printer_;
  QPainter painter_;
  QFont font_;
  bool colours_;
  SystemColours sys_;
  T_FarbIndex pair_{ColourBlack, ColourSystemBackground};
  bool aborted_ = false;
  int top_ = 0, left_ = 0, pageBottom_ = 0, lineHeight_ = 1, ascent_ = 0, right_ = 0;
  int y_ = 0;
  int pages_ = 0;
};

/// The fixed-pitch font of printouts: a monospaced family that Linux
/// desktops install, else the system's fixed-pitch font.
QFont PrintFont();

}  // namespace qlxs
