#include "config/message_box.h"

#include "config/config_state.h"
#include "config/language_texts.h"

namespace qlxs {

namespace {

MsgAnswer Box(ConfigState& m, int number, const std::string& s, MsgType type, MsgButtons buttons) {
  MessageRequest r;
  r.number = number;
  r.type = type;
  r.buttons = buttons;
  r.place = PlaceMainWindow;
  r.text = s;
  return m.messages.Ask(r);
}

}  // namespace

MsgAnswer MessageAt(ConfigState& m, const std::string& s, MsgType type, MsgButtons buttons) {
  return Box(m, 0, s, type, buttons);
}

MsgAnswer AskYesNo(ConfigState& m, int n) {
  return Box(m, n, Text(m.AllgVar, n), MsgConfirmation, ButtonsYesNo);
}

MsgAnswer MessageOk(ConfigState& m, const std::string& s, MsgType type) {
  return Box(m, 0, s, type, ButtonsOk);
}

MsgAnswer MessageOkNr(ConfigState& m, int n, MsgType type) {
  return Box(m, n, Text(m.AllgVar, n), type, ButtonsOk);
}

MsgAnswer MessageOkNrText(ConfigState& m, int n, const std::string& s, MsgType type) {
  return Box(m, n, s, type, ButtonsOk);
}

}  // namespace qlxs
