#include "model/port_state.h"

namespace qlxs {

void InitPortStates(T_ComVar& port1, T_ComVar& port2) {
  port1 = T_ComVar{};
  port1.bp = DefaultBetriebsPar();
  port1.em.enr = kReceiverPort1;
  port1.em.te.stat = StatOk;
  port1.se.snr = 2;
  DerivePort2(port1, port2);
}

void DerivePort2(const T_ComVar& port1, T_ComVar& port2) {
  port2 = port1;
  port2.bp.cnr = port1.bp.cnr + 1;
  port2.em.enr = kReceiverPort2;
  port2.se.snr = 4;
}

}  // namespace qlxs
