#include "cli/view_setup.h"

#include <cstdio>
#include <cstring>
#include <functional>

#include "app/general_parameters.h"
#include "app/monitor.h"
#include "app/startup.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "config/element_texts.h"
#include "config/language_texts.h"
#include "config/settings.h"
#include "config/type_name_file.h"
#include "platform/clock.h"
#include "render/render.h"

namespace qlxs::cli {

const char kViewOptionsHelp[] =
    "  --format F       logisch: labelled lines, long names; kompakt: type, cause\n"
    "                   and common address on one line; logneu: one line per APDU;\n"
    "                   byteser: header, connection and the octets in hex; export:\n"
    "                   separator-delimited fields (switches the three options\n"
    "                   below on)\n"
    "  --time on|off    a header line with number, port and time for every telegram\n"
    "  --link on|off    the link layer: APCI lines, S and U format telegrams\n"
    "  --only104 on|off hide raw frames without IEC 104 traffic\n"
    "  --elements FILE  names of objects, stations and IP addresses (element text\n"
    "                   file)\n"
    "  --lang ger|usa   language of the texts\n"
    "  --filter FILE    only what the filter file (348 bytes, saved by the filter\n"
    "                   dialog of the desktop monitor) admits\n"
    "\n"
    "Options left out come from the settings of the desktop monitor (its first\n"
    "instance), or their defaults.\n";

namespace {

// Reads "on" or "off" into `value`.
std::function<std::string(const char*)> OnOff(const char* name, int& value) {
  return [name, &value](const char* v) {
    if (std::strcmp(v, "on") == 0 || std::strcmp(v, "off") == 0) {
      value = std::strcmp(v, "on") == 0;
      return std::string();
    }
    return std::string(name) + " takes on or off";
  };
}

// The view settings the options give, over those of the settings file.
void ApplyViewOptions(Monitor& m, const ViewOptions& o) {
  T_PrgPar& p = m.PrgPar;
  if (o.format != 0) p.afmt = o.format;
  if (p.afmt < FmtLogisch || p.afmt > FmtExport) p.afmt = FmtLogisch;
  if (o.time >= 0) p.mitzeit = static_cast<uint8_t>(o.time);
  if (o.link >= 0) p.mitlink = static_cast<uint8_t>(o.link);
  if (o.only104 >= 0) p.nur104 = static_cast<uint8_t>(o.only104);
  if (p.afmt == FmtExport) p.nur104 = p.mitzeit = p.mitlink = 1;
  p.ausgonl = 0;  // the log as the log view shows it
}

}  // namespace

int FormatByName(const char* name) {
  static const char* const kNames[] = {"logisch", "kompakt", "logneu", "byteser", "export"};
  for (int i = 0; i < 5; ++i)
    if (std::strcmp(name, kNames[i]) == 0) return FmtLogisch + i;
  return 0;
}

void DeclareViewOptions(ArgParser& args, ViewOptions& o) {
  args.Custom("--format", [&o](const char* v) {
    o.format = FormatByName(v);
    return o.format != 0 ? std::string() : std::string("--format takes logisch, kompakt, logneu, byteser or export");
  });
  args.Custom("--time", OnOff("--time", o.time));
  args.Custom("--link", OnOff("--link", o.link));
  args.Custom("--only104", OnOff("--only104", o.only104));
  args.Text("--elements", o.elements);
  DeclareLanguageOption(args, o);
  args.Text("--filter", o.filter);
}

void DeclareLanguageOption(ArgParser& args, ViewOptions& o) {
  args.Custom("--lang", [&o](const char* v) {
    if (std::strcmp(v, "ger") == 0 || std::strcmp(v, "usa") == 0) {
      o.lang = std::strcmp(v, "ger") == 0 ? LangGerman : LangEnglish;
      return std::string();
    }
    return std::string("--lang takes ger or usa");
  });
}

int SetUpReading(Monitor& m) {
  if (!LoadProgramTexts(m)) return kExitNoLanguage;
  m.AllgVar.syszt = m.clock.LocalNow();
  LoadSettingsToRead(m);
  return -1;
}

int SetUpView(Monitor& m, const ViewOptions& o, const std::string& path, const char* command) {
  if (const int rc = SetUpReading(m); rc >= 0) return rc;
  const int lang = o.lang >= 0 ? o.lang : m.PrgPar.spr;
  if (lang != LangGerman && !LoadTexts(m, lang)) return kExitNoLanguage;
  // The type names of the compact and one-line formats; without the file
  // they show "type" and the number.
  LoadTypeNames(m.AllgVar);
  ApplyViewOptions(m, o);
  if (!o.elements.empty()) {
    const ElementLoadResult loaded = LoadElementTexts(m, o.elements);
    if (loaded.ioError != 0) {
      std::fprintf(stderr, "qlxs-cli %s: %s: cannot read the element text file: %s\n", command,
                   o.elements.c_str(), std::strerror(loaded.ioError));
      return kExitFailure;
    }
  }
  if (!OpenLogToRead(m, path, command)) return kExitFailure;
  ApplyGeneralParameters(m);
  if (!o.filter.empty() && !UseDisplayFilterFile(m, o.filter, command)) return kExitFailure;
  return -1;
}

}  // namespace qlxs::cli
