#pragma once
/// The help of the desktop program: HTML pages per topic number and
/// language, shown in a help browser.

class QWidget;

namespace qlxs {

struct ConfigState;

/// Shows help topic `topic` in the chosen language (`PrgPar.spr`) in the
/// help browser (one browser for the program, raised when it is open
/// already).
void ShowHelpTopic(QWidget* parent, const ConfigState& cs, int topic);

/// The help browser window while it is open, else nullptr. Its parts carry
/// the object names "helpText" (the QTextBrowser), "helpBack",
/// "helpForward" and "helpContents" (the buttons).
QWidget* HelpWindow();

}  // namespace qlxs
