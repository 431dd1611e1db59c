#include "support/monitor_fixture.h"

#include <stdexcept>

#include "config/language_texts.h"

namespace qlxs::test {

std::vector<int> TestMonitor::MessageNumbers() const {
  std::vector<int> v;
  for (const auto& e : sink.entries) v.push_back(e.number);
  return v;
}

CaptureFixture::CaptureFixture() {
  m.AllgVar.ProgDir = QLXS_BIN_DIR "/";
  if (!LoadTexts(m, LangEnglish)) throw std::runtime_error("language texts not found in " QLXS_BIN_DIR);
  m.onStored = [this](const T_Telegramm& t) { stored.push_back(t); };
}

}  // namespace qlxs::test
