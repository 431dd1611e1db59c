#pragma once
/// What the main window shows and decides, without a window: the command
/// line and the initial files, the status bar panels, the window caption,
/// the status grid's layout and counter cells.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/port_config.h"

namespace qlxs {

struct Monitor;

/// Reads the program arguments in order: a file with the log extension
/// (text 1200) that exists becomes the telegram log (named explicitly,
/// `logopt`), one with the element text extension (text 1430) the element
/// text file; the online and offline words (texts 674, 673) set the online
/// state; "t2" (after '-' or '/', case ignored) asks for the timing figures.
/// A named file that does not exist is reported with text 882. Before that
/// the log is the automatic log and no element text file is named. Returns
/// true when "t2" was given.
bool ReadCommandLine(Monitor& m, const std::vector<std::string>& args,
                     const std::function<bool(const std::string&)>& exists);

/// The element text file to load at the deferred start: the one named on the
/// command line, else the one in the settings, else text 1431 in the data
/// directory, or in the program directory when that file does not exist.
std::string InitialElementFile(const Monitor& m, const std::function<bool(const std::string&)>& exists);

/// How a status bar panel is drawn.
enum class PanelColour { Normal, Green, LightOrange, PaleGreen };
struct StatusPanel {
  std::string text;
  PanelColour colour = PanelColour::Normal;
};
/// The six panels: online state, view, log filter, display filter, log file
/// and element text file.
std::array<StatusPanel, 6> StatusPanels(const Monitor& m);

/// The window caption: the instance number when it is not 1, then text 499.
std::string WindowCaption(const Monitor& m);

/// The status grid's captions and column widths (characters as the texts
/// give them), built from texts 1280..1289.
struct StatusGridLayout {
  std::array<int, 8> widths{};
  StatusGrid cells;  ///< row 0 the captions, column 0 of rows 1 and 2 the port labels
};
StatusGridLayout BuildStatusGrid(const Monitor& m);

/// The cell of telegram counter k (0..7): row 1 for k < 4, else row 2;
/// column (k mod 4) + 1; the value grouped, right-aligned in 12 (even k) or
/// 9 characters.
struct CounterCell {
  int row = 0, column = 0;
  std::string text;
};
CounterCell CounterCellOf(int k, uint32_t value);

}  // namespace qlxs
