#include "app/commands.h"

#include <algorithm>
#include <cctype>

#include "config/config_state.h"
#include "config/element_texts.h"
#include "config/settings.h"

namespace qlxs {

namespace {

constexpr int kTextMenuButtons = 504;

// Option indexes that switch function keys on.
constexpr int kOptOnlineKey = 0;  // F8
constexpr int kOptViewKey = 1;    // F9
constexpr int kOptFilterOnOffKey = 2;  // F11
constexpr int kOptFilterKey = 3;       // F12

struct ActionDef {
  int tag;
  ActionKey key;
  int option;  // the option that must be set for the key, -1 for none
};

constexpr ActionDef kActions[kActionCount] = {
    {0, ActionKey::Digit0, -1}, {1, ActionKey::Digit1, -1}, {2, ActionKey::Digit2, -1},
    {3, ActionKey::Digit3, -1}, {4, ActionKey::Digit4, -1}, {5, ActionKey::Digit5, -1},
    {6, ActionKey::Digit6, -1}, {7, ActionKey::Digit7, -1},
    {0, ActionKey::F9, kOptViewKey},        // AusgLog
    {0, ActionKey::F9, kOptViewKey},        // AusgOnl
    {0, ActionKey::F8, kOptOnlineKey},      // GoOnl
    {0, ActionKey::F8, kOptOnlineKey},      // GoOffl
    {0, ActionKey::CtrlD, -1},              // LogDel
    {0, ActionKey::F12, kOptFilterKey},     // AFilter
    {0, ActionKey::F11, kOptFilterOnOffKey},  // AFiltAE
    {0, ActionKey::F1, -1},                 // HelpF1
    {0, ActionKey::KeyNone, -1},            // TextLoad
};

const ActionDef& Def(Action a) { return kActions[static_cast<int>(a)]; }

uint8_t* OptionFlag(T_PrgPar& p, int tag) {
  switch (tag) {
    case 0: return &p.nur104;
    case 1: return &p.mitzeit;
    case 2: return &p.mitlink;
    default: return nullptr;
  }
}

int MenuBase(Menu menu) {
  switch (menu) {
    case Menu::File: return 1410;
    case Menu::Mode: return 523;
    case Menu::View: return 531;
    case Menu::Para: return 1490;
    case Menu::Language: return 927;
    case Menu::Filter: return 683;
    case Menu::Help: return 689;
  }
  return 0;
}

// The extension of a file name with its dot, or empty.
std::string_view Extension(std::string_view name) {
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return name.substr(dot);
}

bool SameExtension(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

int ActionTag(Action a) { return Def(a).tag; }

ActionKey ActionShortcut(Action a, const T_PrgPar& p) {
  const ActionDef& d = Def(a);
  if (d.option >= 0 && p.opt[d.option] != 1) return ActionKey::KeyNone;
  return d.key;
}

bool ActionForKey(ActionKey key, const T_PrgPar& p, Action& out) {
  if (key == ActionKey::KeyNone) return false;
  for (int i = 0; i < kActionCount; ++i)
    if (ActionShortcut(static_cast<Action>(i), p) == key) {
      out = static_cast<Action>(i);
      return true;
    }
  return false;
}

bool ToggleViewOption(T_PrgPar& p, int tag) {
  uint8_t* flag = OptionFlag(p, tag);
  if (!flag || p.afmt == kTagLastFormat) return false;
  *flag = *flag ? 0 : 1;
  return true;
}

void ChooseFormat(T_PrgPar& p, int tag) {
  if (tag < kTagFirstFormat || tag > kTagLastFormat) return;
  if (tag == kTagLastFormat) p.nur104 = p.mitzeit = p.mitlink = 1;
  p.afmt = tag;
}

bool ViewActionChecked(const T_PrgPar& p, int tag) {
  T_PrgPar copy = p;
  if (const uint8_t* flag = OptionFlag(copy, tag)) return *flag != 0;
  return p.afmt == tag;
}

bool ToggleDisplayFilter(T_AllgPar& ap) {
  if (ap.afilt.def == 0) return false;
  ap.afilt.ein = ap.afilt.ein ? 0 : 1;
  return true;
}

const std::string& MenuItemText(const ConfigState& cs, Menu menu, int i) { return Text(cs.AllgVar, MenuBase(menu) + i); }

const std::string& MenuButtonText(const ConfigState& cs, int i) { return Text(cs.AllgVar, kTextMenuButtons + i); }

void RecentFiles::Load(const T_PrgPar& p, const std::function<bool(const std::string&)>& exists) {
  names_.clear();
  const int n = std::clamp<int32_t>(p.mruanz, 0, kMaxRecentFiles);
  // Added from the last to the first, so the first stored name ends on top.
  for (int i = n - 1; i >= 0; --i) {
    const std::string name(p.mru[i].view());
    if (!name.empty() && exists(name)) Add(name);
  }
}

void RecentFiles::Save(T_PrgPar& p) const {
  p.mruanz = static_cast<int32_t>(names_.size());
  for (size_t i = 0; i < names_.size(); ++i) p.mru[i].assign(names_[i]);
}

void RecentFiles::Add(const std::string& name) {
  Remove(name);
  names_.insert(names_.begin(), name);
  if (names_.size() > static_cast<size_t>(kMaxRecentFiles)) names_.resize(kMaxRecentFiles);
}

void RecentFiles::Remove(const std::string& name) { std::erase(names_, name); }

RecentKind KindOfRecentFile(const ConfigState& cs, std::string_view name) {
  const std::string_view ext = Extension(name);
  if (!ext.empty() && SameExtension(ext, Text(cs.AllgVar, kTextLogExtension))) return RecentKind::Log;
  if (!ext.empty() && SameExtension(ext, Text(cs.AllgVar, kTextElementExtension))) return RecentKind::ElementTexts;
  return RecentKind::Other;
}

}  // namespace qlxs
