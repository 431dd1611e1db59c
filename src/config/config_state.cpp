#include "config/config_state.h"

namespace qlxs {

ConfigState::ConfigState(MessageSink& messages_)
    : messages(messages_), PrgPar(DefaultPrgPar()), AllgPar(DefaultAllgPar()) {}

}  // namespace qlxs
