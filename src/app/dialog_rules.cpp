#include "app/dialog_rules.h"

#include <algorithm>

namespace qlxs {

int DialogLeftBeside(int mainLeft, int mainWidth, int screenWidth, int dialogWidth) {
  return std::min(mainLeft + mainWidth, screenWidth - dialogWidth);
}

int FocusIndexToRestore(int ilo, int count, const std::function<bool(int)>& canFocus) {
  if (ilo <= 0 || ilo >= count) return -1;
  return canFocus(ilo) ? ilo : -1;
}

}  // namespace qlxs
