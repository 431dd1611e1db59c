#include "config/monitor.h"

namespace qlxs {

Monitor::Monitor(Clock& clock_, MessageSink& messages_)
    : clock(clock_), messages(messages_), PrgPar(DefaultPrgPar()), AllgPar(DefaultAllgPar()) {
  InitPortStates(ports[0], ports[1]);
}

}  // namespace qlxs
