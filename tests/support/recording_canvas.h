#pragma once
// A canvas that records every call with its arguments, and keeps what a
// window would show: the texts by their y, moved by band copies and
// removed by fills. Every text is `textHeight` pixels high.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "view/canvas.h"

namespace qlxs::test {

struct CanvasCall {
  enum Kind { Text, Fill, Copy, Font, Brush, Bold, Busy } kind;
  int a = 0, b = 0, c = 0, d = 0;  ///< Text: x, y; Fill: left, top, right, bottom; Copy: top, bottom, toY; others: a
  std::string text;
};

/// A text as it stands on the canvas.
struct ShownText {
  std::string text;
  int font = -1;      ///< font colour index it was drawn in
  int brush = -1;     ///< brush colour index
  bool bold = false;
};

class RecordingCanvas final : public Canvas {
 public:
  int width = 800, height = 300, statusBar = 20, toolBar = 30, statisticsBottom = 100, scrollBar = 16;
  int textHeight = 10;

  std::vector<CanvasCall> calls;
  std::map<int, ShownText> screen;  ///< by y
  int font = -1, brush = -1, boldDepth = 0;
  bool busy = false;

  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
  int StatusBarHeight() const override { return statusBar; }
  int ToolBarHeight() const override { return toolBar; }
  int StatisticsBottom() const override { return statisticsBottom; }
  int ScrollBarWidth() const override { return scrollBar; }

  int TextHeight(std::string_view) override { return textHeight; }
  void DrawText(int x, int y, std::string_view text) override;
  void FillRect(int left, int top, int right, int bottom) override;
  void CopyBand(int top, int bottom, int toY) override;
  void SetFontColour(int index) override;
  void SetBrushColour(int index) override;
  void SetBold(bool on) override;
  void SetBusyCursor(bool on) override;

  /// The texts on the canvas from top to bottom.
  std::vector<std::string> Texts() const;
  /// The calls of one kind since the calls were last cleared.
  std::vector<CanvasCall> CallsOf(CanvasCall::Kind kind) const;
};

}  // namespace qlxs::test
