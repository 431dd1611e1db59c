#include "config/settings.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "config/config_state.h"
#include "config/language_texts.h"
#include "model/date_time.h"
#include "model/helpers.h"
#include "platform/directories.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"
#include "platform/user_store.h"

namespace qlxs {

std::string InstanceSuffix(int pnr) { return pnr == 1 ? std::string() : std::to_string(pnr); }

std::string FileNameFor(const ConfigState& m, int n) {
  std::string name = m.AllgVar.DataDir + Text(m.AllgVar, n) + InstanceSuffix(m.AllgVar.pnr);
  if (n != kTextLogFile) return name + Text(m.AllgVar, n + 1);
  if (m.PrgPar.opt[kOptDailyLog]) name += FormatDigits(2, DecodeDateTime(m.AllgVar.syszt).day);
  return name + Text(m.AllgVar, kTextLogExtension);
}

bool ReadSettingsFile(const std::string& path, T_PrgPar& prgPar) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != kSettingsFileSize) return false;
  std::string data;
  if (ReadWholeFile(path, &data) != 0 || data.size() != static_cast<size_t>(kSettingsFileSize)) return false;
  T_PrgPar p;
  std::memcpy(&p, data.data(), sizeof p);
  if (p.vers != kSettingsVersion || p.kenn != kFileMagic || p.lg != kSettingsFileSize) return false;
  if (p.tf.vers != kTelFarbenVersion) p.tf = DefaultTelFarben();
  // The count indexes the recently used file slots; keep it inside them.
  if (p.mruanz < 0 || p.mruanz > kMaxRecentFiles) p.mruanz = p.mruanz < 0 ? 0 : kMaxRecentFiles;
  prgPar = p;
  return true;
}

int WriteSettingsFile(const std::string& path, const T_PrgPar& prgPar) {
  return WriteFileReplacing(path, std::string(reinterpret_cast<const char*>(&prgPar), sizeof prgPar));
}

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

/// Moves to the user's data folder, taking the automatic log file along.
void UseApplicationDataDirectory(ConfigState& m) {
  T_AllgVar& av = m.AllgVar;
  const std::string oldLog = FileNameFor(m, kTextLogFile);
  const std::string dir = ApplicationDataDirectory();
  if (MakeDirectories(dir) != 0) {
    av.DataDir = av.ProgDir;
    return;
  }
  av.DataDir = dir;
  av.dtlog = FileNameFor(m, kTextLogFile);
  // A log already in the data folder is newer than the one left in the
  // program directory and is never overwritten by it.
  if (oldLog == av.dtlog || !IsFile(oldLog) || IsFile(av.dtlog)) return;
  if (const int err = CopyFileReplacing(oldLog, av.dtlog); err != 0)
    m.messages.Show(0, MsgWarning,
                    "the log file " + oldLog + " could not be copied to " + av.dtlog + ": " + std::strerror(err));
}

}  // namespace

void LoadSettings(ConfigState& m) {
  T_AllgVar& av = m.AllgVar;
  if (!SystemLanguageIsGerman()) m.PrgPar.spr = 1;

  av.DataDir = WithTrailingSlash(ReadStoredDataDirectory());
  if (!av.DataDir.empty() && IsDirectory(av.DataDir)) {
    ReadSettingsFile(FileNameFor(m, kTextSettingsFile), m.PrgPar);
    return;
  }

  av.DataDir = av.ProgDir;
  if (ReadSettingsFile(FileNameFor(m, kTextSettingsFile), m.PrgPar)) {
    const std::string candidate = DirectoryPart(std::string(m.PrgPar.altlog.view()));
    if (!candidate.empty() && candidate.front() == '/' && IsDirectory(candidate) &&
        !StartsWith(candidate, InstallPrefix(av.ProgDir))) {
      av.DataDir = candidate;
      return;
    }
  }
  UseApplicationDataDirectory(m);
}

void LoadSettingsToRead(ConfigState& m) {
  T_AllgVar& av = m.AllgVar;
  if (!SystemLanguageIsGerman()) m.PrgPar.spr = 1;
  av.pnr = 1;
  av.DataDir = WithTrailingSlash(ReadStoredDataDirectory());
  if (av.DataDir.empty() || !IsDirectory(av.DataDir)) av.DataDir = WithTrailingSlash(ApplicationDataDirectory());
  ReadSettingsFile(FileNameFor(m, kTextSettingsFile), m.PrgPar);
}

int SaveSettingsFile(ConfigState& m) {
  T_PrgPar& p = m.PrgPar;
  p.lg = kSettingsFileSize;
  p.vers = kSettingsVersion;
  p.txtdat.assign(m.AllgVar.dtOaTxt);
  return WriteSettingsFile(FileNameFor(m, kTextSettingsFile), p);
}

int SaveSettings(ConfigState& m) {
  const int storeErr = WriteStoredDataDirectory(m.AllgVar.DataDir);
  const int err = SaveSettingsFile(m);
  return storeErr != 0 ? storeErr : err;
}

}  // namespace qlxs
