#pragma once
// A stand-in for the main window in tests of the desktop's decisions: it
// keeps what the core asked of the window.

#include <vector>

#include "app/desktop.h"

namespace qlxs::test {

struct RecordingWindow final : DesktopWindow {
  std::vector<int> posted;  ///< view commands, in order
  std::vector<bool> modes;  ///< view modes shown: true for the online view
  int controls = 0, grids = 0, scroll = -1, languageChanges = 0;
  void PostViewCommand(int code) override { posted.push_back(code); }
  void ShowViewMode(bool onlineView) override { modes.push_back(onlineView); }
  void RefreshControls() override { ++controls; }
  void RefreshGrid() override { ++grids; }
  void SetScrollPosition(int position) override { scroll = position; }
  void LanguageChanged() override { ++languageChanges; }
};

}  // namespace qlxs::test
