#include "app/general_settings.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "app/desktop.h"
#include "app/general_parameters.h"
#include "app/monitor.h"
#include "config/address_structure.h"
#include "config/automatic_log_name.h"
#include "config/config_state.h"
#include "config/message_box.h"
#include "config/settings.h"
#include "config/text_fields.h"
#include "log/online_ring.h"
#include "log/telegram_log.h"
#include "model/text_table.h"
#include "platform/directories.h"
#include "platform/file_system.h"

namespace qlxs {

namespace {

// A decimal number with an optional sign, blanks around it allowed, that
// fits 32 bits.
std::optional<int32_t> DecimalValue(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<int32_t> InRange(std::optional<int32_t> v, int32_t lo, int32_t hi) {
  if (!v || *v < lo || *v > hi) return std::nullopt;
  return v;
}

}  // namespace

std::optional<std::string> StructureMask(std::string_view typed) {
  std::string out;
  out.reserve(typed.size());
  for (char c : typed) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == 'I' ||
                    std::strchr(" $,-.;", c) != nullptr;
    if (!ok || c == '\0') return std::nullopt;
    out.push_back(c);
  }
  return out;
}

GeneralEntries GeneralEntriesOf(const T_AllgVar& v, const T_AllgPar& ap, const std::string& dataDir) {
  const std::string& sep = Text(v, kTextStructureSeparator);
  return GeneralEntries{StructureText(ap.cabrt, sep), StructureText(ap.oabrt, sep), std::to_string(ap.mw100),
                        std::to_string(ap.maxlog), dataDir};
}

std::optional<T_AdrStruktur> StructureValue(const T_AllgVar& v, std::string_view text, int total) {
  return ParseStructure(text, total, v.khex);
}

std::optional<int32_t> Mw100Value(std::string_view text) {
  if (text.size() > kMw100Chars) return std::nullopt;
  return InRange(DecimalValue(text), kMw100Min, kMw100Max);
}

std::optional<int32_t> MaxLogValue(std::string_view text) {
  if (text.size() > kMaxLogChars) return std::nullopt;
  return InRange(DecimalValue(text), kMaxLogMin, kMaxLogMax);
}

std::string StepMaxLog(std::string_view text, int delta) {
  const std::optional<int32_t> v = DecimalValue(text);
  if (!v) return std::string(text);
  return std::to_string(std::clamp<int64_t>(int64_t{*v} + delta, kMaxLogMin, kMaxLogMax));
}

std::string ResolveDataDirectory(std::string_view text) {
  const std::string_view t = TrimBlanks(text);
  if (t.empty() || t.front() == '/') return std::string(t);
  // A desktop program's working directory is arbitrary: a folder typed
  // without its path lies in the home folder.
  const std::string home = HomeDirectory();
  if (t == "~") return home;
  if (t.substr(0, 2) == "~/") return home + std::string(t.substr(2));
  return home + std::string(t);
}

DataDirCheck CheckDataDirectory(ConfigState& cs, const std::string& typed) {
  const std::string dir = ResolveDataDirectory(typed);
  if (dir.empty() || dir.size() > kDataDirChars) return DataDirCheck::Invalid;
  if (IsDirectory(dir)) return DataDirCheck::Exists;
  if (AskYesNo(cs, kTextCreateDataDir) != AnswerYes) return DataDirCheck::Declined;
  return MakeDirectories(dir) == 0 && IsDirectory(dir) ? DataDirCheck::Created : DataDirCheck::Failed;
}

GeneralErrors CheckGeneralEntries(ConfigState& cs, const GeneralEntries& e) {
  GeneralErrors err;
  err.ca = !StructureValue(cs.AllgVar, e.ca, kCaBits);
  err.ioa = !err.ca && !StructureValue(cs.AllgVar, e.ioa, kIoaBits);
  err.mw100 = !Mw100Value(e.mw100);
  err.maxlog = !MaxLogValue(e.maxlog);
  if (!err.any()) {
    const DataDirCheck d = CheckDataDirectory(cs, e.dataDir);
    err.dataDir = d != DataDirCheck::Exists && d != DataDirCheck::Created;
  }
  return err;
}

void WriteGeneralEntries(const T_AllgVar& v, const GeneralEntries& e, int ilo, T_AllgPar& ap,
                         std::string& dataDir) {
  ap.ilo = ilo;
  if (const auto s = StructureValue(v, e.ca, kCaBits)) ap.cabrt = *s;
  if (const auto s = StructureValue(v, e.ioa, kIoaBits)) ap.oabrt = *s;
  if (const auto n = Mw100Value(e.mw100)) ap.mw100 = *n;
  if (const auto n = MaxLogValue(e.maxlog)) ap.maxlog = *n;
  dataDir = WithTrailingSlash(ResolveDataDirectory(e.dataDir));
}

DialogCorner GeneralDialogCorner(int mainLeft, int mainTop, int mainWidth, int dialogWidth, int controlBarHeight) {
  return DialogCorner{mainLeft + mainWidth - dialogWidth, mainTop + 2 * controlBarHeight};
}

void GeneralSettingsCommand(Desktop& d, const std::function<bool(T_AllgPar& copy, std::string& dataDir)>& edit) {
  Monitor& m = d.m;
  T_AllgVar& v = m.AllgVar;
  T_AllgPar copy = m.AllgPar;
  const std::string oldDir = v.DataDir;
  if (!edit(copy, v.DataDir)) return;
  m.AllgPar.ilo = copy.ilo;
  const bool dirChanged = v.DataDir != oldDir;
  if (!dirChanged && std::memcmp(&copy, &m.AllgPar, sizeof copy) == 0) return;

  if (m.PrgPar.online && AskYesNo(m, kTextGoOffline) != AnswerYes) {
    v.DataDir = oldDir;
    return;
  }
  d.SetOnline(0);
  d.window.RefreshControls();

  const int32_t oldMaxLog = m.AllgPar.maxlog;
  m.AllgPar = copy;
  if (m.AllgPar.maxlog != oldMaxLog) {
    if (AskYesNo(m, kTextResetForMaxLog) == AnswerYes)
      LogReset(m);
    else
      m.AllgPar.maxlog = oldMaxLog;
  }
  ApplyGeneralParameters(m);

  if (!dirChanged) return;
  // The log is closed under the old directory, where it is still the
  // automatic log and so is written back.
  const std::string newDir = v.DataDir;
  v.DataDir = oldDir;
  LogClose(m);
  v.DataDir = newDir;
  RingClear(m.log.ring);
  v.dtlog = AutomaticLogName(m);
  v.logopt = false;
  SaveSettings(m);
  LogOpen(m, v.dtlog, false);
  // A log that was there already brings the settings of its header.
  ApplyGeneralParameters(m);
  d.window.RefreshControls();
  d.ShowLogView();
}

int OptionCount(const T_AllgVar& v) {
  const std::optional<int32_t> n = DecimalValue(Text(v, kTextOptionCount));
  return n ? std::clamp<int>(*n, 0, static_cast<int>(sizeof(T_PrgPar::opt))) : 0;
}

void WriteOptions(T_PrgPar& p, const std::vector<bool>& checked) {
  const size_t n = std::min(checked.size(), sizeof p.opt);
  for (size_t i = 0; i < n; ++i) p.opt[i] = checked[i] ? 1 : 0;
}

std::string AboutVersionLine(const T_AllgVar& v, std::string_view version) {
  std::array<uint32_t, 4> parts{};
  size_t count = 0;
  std::string_view rest = version;
  while (!rest.empty() && count < parts.size()) {
    const size_t dot = rest.find('.');
    const std::string_view part = rest.substr(0, dot);
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), parts[count]);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size()) return "?.?.?.?";
    ++count;
    rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
    if (dot != std::string_view::npos && rest.empty()) return "?.?.?.?";
  }
  if (count == 0 || !rest.empty()) return "?.?.?.?";
  std::string line = Text(v, kTextVersionPrefix);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) line += '.';
    line += std::to_string(parts[i]);
  }
  return line;
}

std::vector<std::string> AboutLines(const T_AllgVar& v, std::string_view version) {
  return {"", Text(v, kTextAboutTitle), "", kCopyrightLine, "", AboutVersionLine(v, version), "",
          Text(v, kTextAboutLast)};
}

}  // namespace qlxs
