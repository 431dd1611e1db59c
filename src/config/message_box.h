#pragma once
/// Message boxes by text or by language text number. They reach the user
/// through the monitor's `MessageSink`: the desktop program shows a box
/// below the status grid, the command line writes to stderr and asks on the
/// terminal.

#include <string>

#include "platform/message_sink.h"

namespace qlxs {

struct ConfigState;

/// Shows `s` with the kind `type` and the `buttons`, placed at the main
/// window; returns the button pressed.
MsgAnswer MessageAt(ConfigState& m, const std::string& s, MsgType type, MsgButtons buttons);
/// Asks text `n` as a question with Yes and No; the caller compares the
/// result with `AnswerYes`.
MsgAnswer AskYesNo(ConfigState& m, int n);
/// Shows `s` with an OK button.
MsgAnswer MessageOk(ConfigState& m, const std::string& s, MsgType type);
/// Shows text `n` with an OK button.
MsgAnswer MessageOkNr(ConfigState& m, int n, MsgType type);
/// Shows `s`, the finished text of text `n` (formatted with its arguments,
/// perhaps with details added), with an OK button.
MsgAnswer MessageOkNrText(ConfigState& m, int n, const std::string& s, MsgType type);

}  // namespace qlxs
