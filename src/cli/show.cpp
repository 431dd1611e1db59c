// qlxs-cli show: the telegrams of a log as text, in the formats of the views.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
#include "filter/filter_match.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "render/render.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli show LOG [--format logisch|kompakt|logneu|byteser|export]\n"
    "                         [--time on|off] [--link on|off] [--only104 on|off]\n"
    "                         [--elements FILE] [--lang ger|usa] [--filter FILE]\n"
    "\n"
    "Prints the telegrams of the telegram log LOG as text, oldest first, as the\n"
    "log view shows them: the lines of each telegram, one per output line. The\n"
    "file is only read, never changed; a log that is being written is shown as\n"
    "it stands.\n"
    "\n"
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
    "  --filter FILE    show only what the filter file (348 bytes, saved by the\n"
    "                   filter dialog of the desktop monitor) admits\n"
    "\n"
    "Options left out come from the settings of the desktop monitor (its first\n"
    "instance), or their defaults.\n"
    "\n"
    "Exit status: 0 success; 1 LOG is missing, is not a telegram log or has\n"
    "blocks that cannot be read (what can be read is shown), an element text\n"
    "file or filter file cannot be read, or the output cannot be written;\n"
    "2 usage error;\n"
    "99 the language file cannot be loaded.\n";

struct Options {
  int format = 0;  // 0: from the settings
  int time = -1, link = -1, only104 = -1;  // -1: from the settings
  int lang = -1;
  std::string elements;
  std::string filter;
};

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

void DeclareOptions(ArgParser& args, Options& o) {
  args.Custom("--format", [&o](const char* v) {
    static const char* const kNames[] = {"logisch", "kompakt", "logneu", "byteser", "export"};
    for (int i = 0; i < 5; ++i)
      if (std::strcmp(v, kNames[i]) == 0) {
        o.format = FmtLogisch + i;
        return std::string();
      }
    return std::string("--format takes logisch, kompakt, logneu, byteser or export");
  });
  args.Custom("--time", OnOff("--time", o.time));
  args.Custom("--link", OnOff("--link", o.link));
  args.Custom("--only104", OnOff("--only104", o.only104));
  args.Text("--elements", o.elements);
  args.Text("--filter", o.filter);
  args.Custom("--lang", [&o](const char* v) {
    if (std::strcmp(v, "ger") == 0 || std::strcmp(v, "usa") == 0) {
      o.lang = std::strcmp(v, "ger") == 0 ? LangGerman : LangEnglish;
      return std::string();
    }
    return std::string("--lang takes ger or usa");
  });
}

// The view settings the options give, over those of the settings file.
void ApplyViewOptions(Monitor& m, const Options& o) {
  T_PrgPar& p = m.PrgPar;
  if (o.format != 0) p.afmt = o.format;
  if (p.afmt < FmtLogisch || p.afmt > FmtExport) p.afmt = FmtLogisch;
  if (o.time >= 0) p.mitzeit = static_cast<uint8_t>(o.time);
  if (o.link >= 0) p.mitlink = static_cast<uint8_t>(o.link);
  if (o.only104 >= 0) p.nur104 = static_cast<uint8_t>(o.only104);
  if (p.afmt == FmtExport) p.nur104 = p.mitzeit = p.mitlink = 1;
}

}  // namespace

int RunShow(int argc, char** argv) {
  Options o;
  std::vector<std::string> names;
  ArgParser args("show", kHelp);
  DeclareOptions(args, o);
  args.Positionals(names, 1, 1, "expected exactly one argument, the log file");
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  const std::string& path = names[0];

  SystemClock clock;
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (!LoadProgramTexts(*m)) return kExitNoLanguage;
  m->AllgVar.syszt = clock.LocalNow();
  LoadSettingsToRead(*m);
  const int lang = o.lang >= 0 ? o.lang : m->PrgPar.spr;
  if (lang != LangGerman && !LoadTexts(*m, lang)) return kExitNoLanguage;
  // The type names of the compact and one-line formats; without the file
  // they show "type" and the number.
  LoadTypeNames(m->AllgVar);
  ApplyViewOptions(*m, o);
  if (!o.elements.empty()) {
    const ElementLoadResult loaded = LoadElementTexts(*m, o.elements);
    if (loaded.ioError != 0) {
      std::fprintf(stderr, "qlxs-cli show: %s: cannot read the element text file: %s\n", o.elements.c_str(),
                   std::strerror(loaded.ioError));
      return kExitFailure;
    }
  }

  if (!OpenLogToRead(*m, path, "show")) return kExitFailure;
  ApplyGeneralParameters(*m);
  if (!o.filter.empty() && !UseDisplayFilterFile(*m, o.filter, "show")) return kExitFailure;

  T_TeleAusgabe view;
  std::string out;
  bool writeFailed = false;
  VisitStored(*m, [&](const T_Telegramm& t) {
    if (writeFailed || !ViewAdmits(m->PrgPar, m->AllgPar, m->log.stand.erstnr, t)) return;
    BeginTelegram(*m, view, t);
    for (const std::string* piece = &NextLines(*m, view); !piece->empty(); piece = &NextLines(*m, view))
      AppendPieceLines(out, *piece, "\n");
    if (out.size() >= 1 << 16) {
      writeFailed = std::fwrite(out.data(), 1, out.size(), stdout) != out.size();
      out.clear();
    }
  });
  std::fwrite(out.data(), 1, out.size(), stdout);
  m->log.file.Close();
  if (std::fflush(stdout) != 0 || std::ferror(stdout) || writeFailed) {
    std::fprintf(stderr, "qlxs-cli show: cannot write the output\n");
    return kExitFailure;
  }
  return ReportReadFailures(*m, path, "show") ? kExitOk : kExitFailure;
}

}  // namespace qlxs::cli
