#pragma once
/// What the commands that render a log share: the options that say how it is
/// shown (format, view options, element texts, language, display filter) and
/// setting a monitor up to show a log, read-only.

#include <string>

namespace qlxs {
struct Monitor;
}

namespace qlxs::cli {

class ArgParser;

/// How a log is shown; unset values come from the settings.
struct ViewOptions {
  int format = 0;                          ///< 0: from the settings
  int time = -1, link = -1, only104 = -1;  ///< -1: from the settings
  int lang = -1;                           ///< -1: from the settings
  std::string elements;                    ///< element text file
  std::string filter;                      ///< filter file for the display filter
};

/// The output format of a name: logisch, kompakt, logneu, byteser or export;
/// 0 for any other name.
int FormatByName(const char* name);

/// The help lines of the view options.
extern const char kViewOptionsHelp[];

/// Declares --format, --time, --link, --only104, --elements, --lang and --filter.
void DeclareViewOptions(ArgParser& args, ViewOptions& o);
/// Declares --lang alone.
void DeclareLanguageOption(ArgParser& args, ViewOptions& o);

/// Sets m up to show the log `path`: the language texts and type names, the
/// settings (read only), the options over them, the element texts, the log
/// opened for reading with its general parameters, and the filter file as
/// the display filter. Returns -1 when the command goes on, else the exit
/// status after a message on stderr naming what failed.
int SetUpView(Monitor& m, const ViewOptions& o, const std::string& path, const char* command);

/// Sets m up for `command` without a view: the German language texts (which
/// carry the cause lists) and the settings, read only. Returns -1 when the
/// command goes on, else the exit status.
int SetUpReading(Monitor& m);

}  // namespace qlxs::cli
