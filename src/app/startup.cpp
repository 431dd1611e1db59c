#include "app/startup.h"

#include "app/monitor.h"
#include "config/language_texts.h"
#include "config/settings.h"
#include "platform/clock.h"
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

StartupResult StartUp(Monitor& m, const std::string& progDir, const std::string& lockDir) {
  T_AllgVar& av = m.AllgVar;
  av.syszt = m.clock.LocalNow();
  av.ProgDir = WithTrailingSlash(progDir);
  if (!LoadTexts(m, LangGerman)) return StartupResult::NoLanguage;

  std::string lockError;
  av.pnr = m.instanceLock.Claim(WithTrailingSlash(lockDir), &lockError);
  av.first = av.pnr != 0 ? 1 : 0;
  if (av.pnr == 0) m.messages.Show(0, MsgError, lockError);

  LoadSettings(m);
  if (m.PrgPar.spr != 0) LoadTexts(m, m.PrgPar.spr);
  LoadPortMapOf(m);

  m.ports[0].em.enr = kReceiverPort1;
  m.ports[0].se.snr = 2;
  DerivePort2(m.ports[0], m.ports[1]);
  return av.first ? StartupResult::Run : StartupResult::NoInstance;
}

void LoadPortMapOf(Monitor& m) {
  m.portMap = LoadPortMap(m.AllgVar.DataDir + kPortMapFileName);
  for (const std::string& problem : m.portMap.problems) m.messages.Show(0, MsgWarning, problem);
}

int ShutDown(Monitor& m) { return SaveSettings(m); }

}  // namespace qlxs
