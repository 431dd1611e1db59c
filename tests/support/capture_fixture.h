#pragma once
// A monitor with the English language texts loaded (for the cause lists),
// a manual clock, and every stored telegram kept in a list.

#include <cstring>
#include <stdexcept>
#include <vector>

#include "config/language_texts.h"
#include "app/monitor.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "sim/frame_builder.h"

namespace qlxs::test {

struct CaptureFixture {
  CaptureFixture() : m(clock, sink) {
    m.AllgVar.ProgDir = QLXS_BIN_DIR "/";
    if (!LoadTexts(m, LangEnglish)) throw std::runtime_error("language texts not found in " QLXS_BIN_DIR);
    m.onStored = [this](const T_Telegramm& t) { stored.push_back(t); };
  }

  T_ComVar& port1() { return m.ports[0]; }
  T_ComVar& port2() { return m.ports[1]; }

  ManualClock clock;
  RecordingMessageSink sink;
  Monitor m;
  std::vector<T_Telegramm> stored;
};

/// The data octets of a telegram without the appended identity.
inline sim::Bytes DataOf(const T_Telegramm& t) {
  return sim::Bytes(t.b, t.b + t.lg - t.idm);
}

/// The identity appended to an APDU or piece telegram.
inline T_VId VidOf(const T_Telegramm& t) {
  T_VId v{};
  if (t.idm == sizeof v && t.lg >= static_cast<int>(sizeof v)) std::memcpy(&v, t.b + t.lg - sizeof v, sizeof v);
  return v;
}

}  // namespace qlxs::test
