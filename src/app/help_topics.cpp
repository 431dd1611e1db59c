#include "app/help_topics.h"

#include <array>

#include "config/config_state.h"
#include "config/language_texts.h"
#include "config/text_format.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"

namespace qlxs {

namespace {

constexpr std::array kTopics = {
    kHelpContents,    kHelpMainWindow,    kHelpFileMenu,   kHelpPrint,
    kHelpModeMenu,    kHelpViewMenu,      kHelpParamMenu,  kHelpPorts,
    kHelpGeneral,     kHelpTelColours,    kHelpOptions,    kHelpTypeColours,
    kHelpCauseColours, kHelpFilterMenu,   kHelpDisplayFilter, kHelpLogFilter,
    kHelpHelpMenu,
};

int KnownLanguage(int spr) { return spr == LangEnglish ? LangEnglish : LangGerman; }

int OtherLanguage(int spr) { return KnownLanguage(spr) == LangEnglish ? LangGerman : LangEnglish; }

}  // namespace

std::span<const int> HelpTopics() { return kTopics; }

std::string HelpFolder(const std::string& progDir, int spr) {
  return progDir + "help/" + LanguageExtension(KnownLanguage(spr)) + "/";
}

std::string HelpPageName(int topic) { return std::to_string(topic) + ".html"; }

std::string HelpPagePath(const std::string& progDir, int spr, int topic) {
  const int own = KnownLanguage(spr);
  const int other = OtherLanguage(spr);
  const std::string candidates[] = {
      HelpFolder(progDir, own) + HelpPageName(topic),
      HelpFolder(progDir, other) + HelpPageName(topic),
      HelpFolder(progDir, own) + HelpPageName(kHelpContents),
      HelpFolder(progDir, other) + HelpPageName(kHelpContents),
  };
  for (const std::string& path : candidates)
    if (IsFile(path)) return path;
  return {};
}

void ReportHelpMissing(const ConfigState& cs) {
  const std::string folder = HelpFolder(cs.AllgVar.ProgDir, cs.PrgPar.spr);
  cs.messages.Show(kTextHelpMissing, MsgError,
                   FormatText(Text(cs.AllgVar, kTextHelpMissing), {folder}));
}

}  // namespace qlxs
