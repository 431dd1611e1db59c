#pragma once
/// The configuration a running monitor works with: the settings record, the
/// general parameters and the run-time values (language texts included),
/// with the sink that shows messages about them. Everything that only reads
/// or changes configuration takes this part of the monitor; the layers above
/// add the log, the capture state and the application's own state to it.

#include "config/allg_par.h"
#include "config/allg_var.h"
#include "config/prg_par.h"

namespace qlxs {

class MessageSink;

struct ConfigState {
  explicit ConfigState(MessageSink& messages);
  ConfigState(const ConfigState&) = delete;
  ConfigState& operator=(const ConfigState&) = delete;

  MessageSink& messages;   ///< numbered messages
  T_AllgVar AllgVar;       ///< run-time values
  T_PrgPar PrgPar;         ///< settings record
  T_AllgPar AllgPar;       ///< general parameters (travel in log headers)
};

}  // namespace qlxs
