#include "render/apdu_lines.h"

#include "log/log_state.h"
#include "render/render.h"

namespace qlxs {

namespace {

// An APDU as its connection line and byte dump: line 2 the connection, then
// the dump lines.
void AppendApduDump(std::string& out, LogState& m, T_TeleAusgabe& c) {
  if (c.znr == 1) c.znr = 2;
  if (c.znr == 2) {
    AppendConnectionLine(out, m, c);
    if (!out.empty()) return;
    c.znr = 3;
  }
  AppendDumpLine(out, c, c.znr - 3);
}

}  // namespace

void SelectFirstObject(LogState&, T_TeleAusgabe&) {}

void AppendApduLine(std::string& out, LogState& m, T_TeleAusgabe& c) { AppendApduDump(out, m, c); }

void AppendLogNeuLines(std::string& out, LogState& m, T_TeleAusgabe& c) { AppendApduDump(out, m, c); }

void AppendExportLines(std::string& out, LogState& m, T_TeleAusgabe& c) { AppendApduDump(out, m, c); }

}  // namespace qlxs
