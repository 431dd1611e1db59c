#pragma once
/// The help of the desktop program: one HTML page per topic number and
/// language, in the folders "help/ger/" and "help/usa/" of the program
/// directory, named after the topic ("help/usa/5500.html").

#include <span>
#include <string>

namespace qlxs {

struct ConfigState;

/// Topic numbers the program asks for.
inline constexpr int kHelpContents = 110;      ///< contents page
inline constexpr int kHelpMainWindow = 140;    ///< the main window (F1)
inline constexpr int kHelpPrint = 1100;        ///< print dialog
inline constexpr int kHelpFileMenu = 1000;     ///< menu File
inline constexpr int kHelpModeMenu = 2000;     ///< menu Mode
inline constexpr int kHelpViewMenu = 4000;     ///< menu View
inline constexpr int kHelpParamMenu = 5000;    ///< menu Parameters
inline constexpr int kHelpPorts = 5400;        ///< COM port dialog
inline constexpr int kHelpGeneral = 5500;      ///< general settings
inline constexpr int kHelpTelColours = 5550;   ///< telegram size and colours
inline constexpr int kHelpOptions = 5700;      ///< options
inline constexpr int kHelpTypeColours = 5800;  ///< colour per type
inline constexpr int kHelpCauseColours = 5850; ///< colour per cause
inline constexpr int kHelpFilterMenu = 6000;   ///< menu Filter
inline constexpr int kHelpDisplayFilter = 6100;///< display filter dialog
inline constexpr int kHelpLogFilter = 6300;    ///< log filter dialog
inline constexpr int kHelpHelpMenu = 7000;     ///< menu Help

/// Every topic number above, ascending; each has a page in both languages.
std::span<const int> HelpTopics();

/// The help folder of language `spr` (0 German, 1 English; any other value
/// counts as German, the language every start loads): `progDir` +
/// "help/ger/" or "help/usa/". `progDir` ends with '/'.
std::string HelpFolder(const std::string& progDir, int spr);

/// The page file name of a topic: "5500.html".
std::string HelpPageName(int topic);

/// The page to show for `topic` in language `spr`: the topic's page in that
/// language; when it is missing, the topic's page in the other language;
/// then the contents page of that language, then the contents page of the
/// other. Empty when none of them exists (no help installed).
std::string HelpPagePath(const std::string& progDir, int spr, int topic);

/// Language texts of the help browser.
inline constexpr int kTextHelpBack = 1709;     ///< button: previous page
inline constexpr int kTextHelpForward = 1710;  ///< button: next page
inline constexpr int kTextHelpMissing = 1711;  ///< format, %s the help folder
inline constexpr int kTextHelpContents = 689;  ///< button: contents page

/// Tells the user that no help page can be shown (`HelpPagePath` was empty):
/// an error message, text 1711 naming the help folder of `PrgPar.spr`.
void ReportHelpMissing(const ConfigState& cs);

}  // namespace qlxs
