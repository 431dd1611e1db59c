#pragma once
// The desktop's decisions without a window: a stand-in for the main window
// that keeps what the core asked of it, and a desktop over a test monitor.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/desktop.h"
#include "log/telegram_log.h"
#include "platform/file_system.h"
#include "support/monitor_fixture.h"
#include "support/recording_canvas.h"
#include "support/scratch_dir.h"

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

/// A desktop (not yet created) over a monitor with the English texts: no
/// port configured, offline, instance 1, its data directory the folder
/// `dataFolder` of a scratch directory (the scratch directory itself when empty).
struct DesktopFixture : CaptureFixture {
  explicit DesktopFixture(const std::string& dataFolder = {}) {
    m.AllgVar.DataDir = dataFolder.empty() ? dir.dir() : dir.file(dataFolder + "/");
    EXPECT_EQ(MakeDirectories(m.AllgVar.DataDir), 0);
    m.AllgVar.pnr = 1;
    for (T_ComVar& port : m.ports) port.bp.cnr = 0;
    m.PrgPar.online = 0;
  }
  ~DesktopFixture() { LogClose(m); }

  ScratchDir dir;
  RecordingCanvas canvas;
  RecordingWindow window;
  Desktop d{m, canvas, window};
};

}  // namespace qlxs::test
