#include "config/message_box.h"

#include "config/language_texts.h"
#include "config/monitor.h"

namespace qlxs {

namespace {

MsgAnswer Box(Monitor& m, int number, const std::string& s, MsgType type, MsgButtons buttons) {
  MessageRequest r;
  r.number = number;
  r.type = type;
  r.buttons = buttons;
  r.place = PlaceMainWindow;
  r.text = s;
  return m.messages.Ask(r);
}

}  // namespace

MsgAnswer MessageAt(Monitor& m, const std::string& s, MsgType type, MsgButtons buttons) {
  return Box(m, 0, s, type, buttons);
}

MsgAnswer AskYesNo(Monitor& m, int n) {
  return Box(m, n, Text(m.AllgVar, n), MsgConfirmation, ButtonsYesNo);
}

MsgAnswer MessageOk(Monitor& m, const std::string& s, MsgType type) {
  return Box(m, 0, s, type, ButtonsOk);
}

MsgAnswer MessageOkNr(Monitor& m, int n, MsgType type) {
  return Box(m, n, Text(m.AllgVar, n), type, ButtonsOk);
}

MsgAnswer MessageOkNrText(Monitor& m, int n, const std::string& s, MsgType type) {
  return Box(m, n, s, type, ButtonsOk);
}

}  // namespace qlxs
