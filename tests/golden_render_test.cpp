// The text of a small log in every format, compared with reviewed golden
// files (tests/data/golden/). The log is captured from a simulated line with
// a manual clock, so times are fixed; formats use the C locale formats.
// QLXS_UPDATE_GOLDEN=1 rewrites the files from the current output, for review.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "config/type_name_file.h"
#include "render/render.h"
#include "support/capture_fixture.h"
#include "support/files.h"

namespace qlxs {
namespace {

using test::CaptureFixture;

// Every telegram of a short simulated line with faults, as the log view
// shows them with the display filter off.
std::string Rendered(int format, bool time, bool link) {
  CaptureFixture fx;
  fx.m.AllgVar.ProgDir = QLXS_BIN_DIR "/";
  LoadTypeNames(fx.m.AllgVar);
  sim::SimOptions o;
  o.seed = 3;
  o.apdus = 10;
  o.splitPercent = 20;
  o.faults = sim::kAllFaults;
  o.faultEvery = 4;
  const sim::SimResult r = sim::SimulateLine(o);
  sim::Rng rng(5);
  test::FeedInRandomBlocks(fx, r, rng, 40, [&fx] { fx.clock.Advance(7); });
  fx.m.PrgPar.afmt = format;
  fx.m.PrgPar.mitzeit = time;
  fx.m.PrgPar.mitlink = link;
  fx.m.PrgPar.nur104 = 0;
  fx.m.log.stand.erstnr = 1;
  T_TeleAusgabe c;
  std::string out;
  for (const T_Telegramm& t : fx.stored) {
    BeginTelegram(fx.m, c, t);
    for (const std::string* p = &NextLines(fx.m, c); !p->empty(); p = &NextLines(fx.m, c))
      AppendPieceLines(out, *p, "\n");
  }
  return out;
}

TEST(GoldenRender, EveryFormatAsReviewed) {
  const struct {
    const char* file;
    int format;
    bool time, link;
  } cases[] = {
      {"logisch.txt", FmtLogisch, true, true},    {"logisch-plain.txt", FmtLogisch, false, false},
      {"kompakt.txt", FmtKompakt, true, true},    {"logneu.txt", FmtLogNeu, true, true},
      {"byteser.txt", FmtByteSer, true, true},    {"export.txt", FmtExport, true, true},
  };
  const bool update = std::getenv("QLXS_UPDATE_GOLDEN") != nullptr;
  for (const auto& c : cases) {
    const std::string path = std::string(QLXS_SOURCE_DIR) + "/tests/data/golden/" + c.file;
    const std::string got = Rendered(c.format, c.time, c.link);
    if (update) {
      ASSERT_TRUE(test::WriteFile(path, got)) << path;
      continue;
    }
    const std::string want = test::ReadFile(path);
    ASSERT_FALSE(want.empty()) << path << " is missing; run with QLXS_UPDATE_GOLDEN=1 and review it";
    if (got == want) continue;
    // The first line that differs, for the report.
    size_t line = 1, i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) line += got[i++] == '\n';
    ADD_FAILURE() << c.file << " differs from line " << line << ":\n  got  "
                  << got.substr(got.rfind('\n', i) + 1, 120) << "\n  want " << want.substr(want.rfind('\n', i) + 1, 120);
  }
}

}  // namespace
}  // namespace qlxs
