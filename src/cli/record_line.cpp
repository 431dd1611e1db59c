#include "cli/record_line.h"

#include <cstdio>

#include "model/date_time.h"

namespace qlxs::cli {

void AppendRecordLine(std::string& line, const T_Telegramm& t, int32_t erstnr) {
  static constexpr char kHex[] = "0123456789abcdef";
  char head[160];
  const int32_t rel = static_cast<int32_t>(static_cast<uint32_t>(t.nr) - static_cast<uint32_t>(erstnr) + 1u);
  std::snprintf(head, sizeof head, "%d\t%u\t%u\t%u\t%d\t%u\t%04x\t%u\t%s\t", rel, t.ek, t.stat, t.ta, t.lg, t.idm,
                t.prot, t.ofs, FormatIsoDateTime(t.dt).c_str());
  line += head;
  const int n = t.lg < 0 ? 0 : t.lg > kTelegramDataSize ? kTelegramDataSize : t.lg;
  for (int i = 0; i < n; ++i) {
    line += kHex[t.b[i] >> 4];
    line += kHex[t.b[i] & 15];
  }
  line += '\n';
}

}  // namespace qlxs::cli
