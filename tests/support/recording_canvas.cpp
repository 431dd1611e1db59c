#include "support/recording_canvas.h"

namespace qlxs::test {

void RecordingCanvas::DrawText(int x, int y, std::string_view text) {
  calls.push_back({CanvasCall::Text, x, y, 0, 0, std::string(text)});
  screen[y] = {std::string(text), font, brush, boldDepth > 0};
}

void RecordingCanvas::FillRect(int left, int top, int right, int bottom) {
  calls.push_back({CanvasCall::Fill, left, top, right, bottom, {}});
  screen.erase(screen.lower_bound(top), screen.lower_bound(bottom));
}

void RecordingCanvas::CopyBand(int top, int bottom, int toY) {
  calls.push_back({CanvasCall::Copy, top, bottom, toY, 0, {}});
  std::map<int, ShownText> moved;
  for (auto it = screen.lower_bound(top); it != screen.lower_bound(bottom); ++it) moved[it->first - top + toY] = it->second;
  screen.erase(screen.lower_bound(toY), screen.lower_bound(toY + bottom - top));
  screen.merge(moved);
}

void RecordingCanvas::SetFontColour(int index) {
  calls.push_back({CanvasCall::Font, index, 0, 0, 0, {}});
  font = index;
}

void RecordingCanvas::SetBrushColour(int index) {
  calls.push_back({CanvasCall::Brush, index, 0, 0, 0, {}});
  brush = index;
}

void RecordingCanvas::SetBold(bool on) {
  calls.push_back({CanvasCall::Bold, on ? 1 : 0, 0, 0, 0, {}});
  boldDepth += on ? 1 : -1;
}

void RecordingCanvas::SetBusyCursor(bool on) {
  calls.push_back({CanvasCall::Busy, on ? 1 : 0, 0, 0, 0, {}});
  busy = on;
}

std::vector<std::string> RecordingCanvas::Texts() const {
  std::vector<std::string> out;
  for (const auto& [y, t] : screen) out.push_back(t.text);
  return out;
}

std::vector<CanvasCall> RecordingCanvas::CallsOf(CanvasCall::Kind kind) const {
  std::vector<CanvasCall> out;
  for (const CanvasCall& c : calls)
    if (c.kind == kind) out.push_back(c);
  return out;
}

}  // namespace qlxs::test
