#include "config/automatic_log_name.h"

#include <cstdio>

#include "config/config_state.h"
#include "config/language_texts.h"
#include "model/date_time.h"

namespace qlxs {

std::string AutomaticLogName(const ConfigState& m) {
  const T_AllgVar& v = m.AllgVar;
  const std::string& base = Text(v, 1199);
  if (v.DataDir.empty() || base.empty()) return {};
  std::string name = v.DataDir + base;
  if (v.pnr != 1) name += std::to_string(v.pnr);
  if (m.PrgPar.opt[kOptDailyLog]) {
    char day[4];
    std::snprintf(day, sizeof day, "%.2d", DecodeDateTime(v.syszt).day % 100);
    name += day;
  }
  return name + Text(v, 1200);
}

}  // namespace qlxs
