#pragma once
/// The one operation through which every telegram passes on its way into the log.

#include "model/telegram.h"

namespace qlxs {

struct Monitor;

/// Counts, stamps (events and modem status), numbers and files a telegram.
/// The record is modified in place (`nr`, `dt`, `lga`, `lgv`).
void StoreTelegram(Monitor& m, T_Telegramm& t);

}  // namespace qlxs
