#include "view/view_input.h"

#include "log/log_state.h"
#include "view/log_view.h"

namespace qlxs {

std::optional<int> ScrollCommand(ScrollCode code, bool shift, bool ctrl) {
  switch (code) {
    case ScrollCode::LineUp: return kViewLineUp;
    case ScrollCode::LineDown: return kViewLineDown;
    case ScrollCode::PageUp:
      return shift && ctrl ? kViewShiftCtrlPageUp : shift ? kViewShiftPageUp : ctrl ? kViewCtrlPageUp : kViewPageUp;
    case ScrollCode::PageDown:
      return shift && ctrl ? kViewShiftCtrlPageDown
             : shift       ? kViewShiftPageDown
             : ctrl        ? kViewCtrlPageDown
                           : kViewPageDown;
    case ScrollCode::ThumbTrack: return kViewRedraw;
    case ScrollCode::Top: return kViewHome;
    case ScrollCode::Bottom: return kViewEnd;
    case ScrollCode::ThumbPosition:
    case ScrollCode::EndScroll: return std::nullopt;
  }
  return std::nullopt;
}

int LogScroll(LogState& m, ViewState& v, Canvas& canvas, ScrollCode code, bool shift, bool ctrl, int position) {
  const std::optional<int> command = ScrollCommand(code, shift, ctrl);
  return command ? ShowPage(m, v, canvas, *command, position) : position;
}

bool WheelScroll(LogState& m, ViewState& v, Canvas& canvas, bool down, int& position) {
  if (m.PrgPar.ausgonl == 1) return false;
  position = LogScroll(m, v, canvas, down ? ScrollCode::LineDown : ScrollCode::LineUp, false, false, position);
  return true;
}

ViewSwitch TelKeyDown(const T_PrgPar& p, ViewKey key) {
  if (!p.opt[kOptViewSwitchKeys]) return ViewSwitch::None;
  if (p.ausgonl == 1) return key == ViewKey::Up || key == ViewKey::Down ? ViewSwitch::ShowLogView : ViewSwitch::None;
  return key == ViewKey::Escape ? ViewSwitch::ShowOnlineView : ViewSwitch::None;
}

}  // namespace qlxs
