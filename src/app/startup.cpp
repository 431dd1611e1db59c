#include "app/startup.h"

#include <cstring>

#include "app/monitor.h"
#include "config/language_texts.h"
#include "config/settings.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"

namespace qlxs {

int StartupExitCode(StartupResult r) {
  switch (r) {
    case StartupResult::NoLanguage: return kExitNoLanguage;
    case StartupResult::NoInstance: return 1;
    case StartupResult::Run: break;
  }
  return 0;
}

namespace {

// The steps of start-up around the settings, which `loadSettings` reads,
// claiming the instance number in `lockDir`.
template <typename LoadSettingsFn>
StartupResult StartUpWith(Monitor& m, const std::string& progDir, const std::string& lockDir,
                          LoadSettingsFn loadSettings) {
  T_AllgVar& av = m.AllgVar;
  av.syszt = m.clock.LocalNow();
  av.ProgDir = WithTrailingSlash(progDir);
  if (!LoadTexts(m, LangGerman)) return StartupResult::NoLanguage;

  std::string lockError;
  av.pnr = m.instanceLock.Claim(WithTrailingSlash(lockDir), &lockError);
  av.first = av.pnr != 0 ? 1 : 0;
  if (av.pnr == 0) m.messages.Show(0, MsgError, lockError);

  loadSettings();
  if (m.PrgPar.spr != 0) LoadTexts(m, m.PrgPar.spr);

  m.ports[0].em.enr = kReceiverPort1;
  m.ports[0].se.snr = 2;
  DerivePort2(m.ports[0], m.ports[1]);
  return av.first ? StartupResult::Run : StartupResult::NoInstance;
}

}  // namespace

StartupResult StartUp(Monitor& m, const std::string& progDir, const std::string& lockDir) {
  const StartupResult r = StartUpWith(m, progDir, lockDir, [&m] { LoadSettings(m); });
  if (r != StartupResult::NoLanguage) LoadPortMapOf(m);
  return r;
}

StartupResult StartUpIn(Monitor& m, const std::string& progDir, const std::string& dataDir) {
  const std::string dir = WithTrailingSlash(dataDir);
  if (const int err = MakeDirectories(dir); err != 0)
    m.messages.Show(0, MsgError, dir + ": the data directory cannot be created: " + std::strerror(err));
  return StartUpWith(m, progDir, dir, [&m, &dir] {
    if (!SystemLanguageIsGerman()) m.PrgPar.spr = 1;
    m.AllgVar.DataDir = dir;
    ReadSettingsFile(FileNameFor(m, kTextSettingsFile), m.PrgPar);
    m.portMap = PortMap{};
  });
}

void LoadPortMapOf(Monitor& m) {
  m.portMap = LoadPortMap(m.AllgVar.DataDir + kPortMapFileName);
  for (const std::string& problem : m.portMap.problems) m.messages.Show(0, MsgWarning, problem);
}

int ShutDown(Monitor& m) { return SaveSettings(m); }

}  // namespace qlxs
