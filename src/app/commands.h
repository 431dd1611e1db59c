#pragma once
/// The decisions behind the main window's actions and menus, without a
/// window: the actions with their tags and shortcuts, the option-dependent
/// function keys, the view options and output format, the display filter
/// switch, the menu captions by text number, and the recently used files.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/allg_par.h"
#include "config/prg_par.h"

namespace qlxs {

struct ConfigState;

/// View command tags of the View actions: the three options, then the formats.
inline constexpr int kTagOnly104 = 0;
inline constexpr int kTagTime = 1;
inline constexpr int kTagLink = 2;
inline constexpr int kTagFirstFormat = 3;
inline constexpr int kTagLastFormat = 7;

/// Keys an action can be bound to; `KeyNone` for none.
enum class ActionKey { KeyNone, Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, F1, F8, F9, F11, F12, CtrlD };

/// The actions of the main window, in the order of their two lists: the
/// View list first (its first eight carry the digit shortcuts 0..7).
enum class Action {
  Nur104, Zeit, Link, FLog, FKomp, FLogN, FByte, Csv, AusgLog, AusgOnl,
  GoOnl, GoOffl, LogDel, AFilter, AFiltAE, HelpF1, TextLoad,
};
inline constexpr int kActionCount = 17;

/// The tag of an action: 0..7 for the View options and formats, else 0.
int ActionTag(Action a);
/// The key of an action under the options of `p`: the digits always, F1 and
/// Ctrl+D always, F8, F9, F11 and F12 only while their option is set.
ActionKey ActionShortcut(Action a, const T_PrgPar& p);
/// The action a key triggers (the first in list order that carries it), if any.
bool ActionForKey(ActionKey key, const T_PrgPar& p, Action& out);

/// Toggles the view option of tag 0 (only IEC 104), 1 (with time) or 2 (with
/// link layer). False, changing nothing, while the Export format is chosen.
bool ToggleViewOption(T_PrgPar& p, int tag);
/// Chooses the output format of tag 3..7; Export switches the three options on.
void ChooseFormat(T_PrgPar& p, int tag);
/// Whether the View action of `tag` is shown checked.
bool ViewActionChecked(const T_PrgPar& p, int tag);

/// Switches the display filter on or off. False when the filter restricts
/// nothing (`def` 0): then the caller shows text 1215 and nothing changes.
bool ToggleDisplayFilter(T_AllgPar& ap);

/// The menus of the main window and the text number of their item 0.
enum class Menu { File, Mode, View, Para, Language, Filter, Help };
/// Caption of item i of a menu (separators count): text base + i.
const std::string& MenuItemText(const ConfigState& cs, Menu menu, int i);
/// Caption of the tool button of top-level menu i (0 File .. 5 Help).
const std::string& MenuButtonText(const ConfigState& cs, int i);

/// The recently used files: at most six, the most recent first.
class RecentFiles {
 public:
  /// Takes the stored names of the settings, skipping those `exists` denies.
  void Load(const T_PrgPar& p, const std::function<bool(const std::string&)>& exists);
  /// Writes the names back into the settings, cut to 255 characters.
  void Save(T_PrgPar& p) const;
  /// Puts `name` on top (moving it when it is there already).
  void Add(const std::string& name);
  void Remove(const std::string& name);
  void Clear() { names_.clear(); }
  const std::vector<std::string>& names() const { return names_; }

 private:
  std::vector<std::string> names_;
};

/// What a recently used file is opened as, by its extension: a telegram log
/// (text 1200), an element text file (text 1430), or neither.
enum class RecentKind { Log, ElementTexts, Other };
RecentKind KindOfRecentFile(const ConfigState& cs, std::string_view name);

}  // namespace qlxs
