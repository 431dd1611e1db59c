#pragma once
/// The one operation through which every telegram passes on its way into the
/// log, and the same placement for an extract log.

#include "model/telegram.h"

namespace qlxs {

struct LogState;
struct LogFile;

/// Files a telegram: sets `logsave`, counts it per receiver, stamps events
/// and modem-status telegrams with the current time, numbers it
/// (`letztnr` + 1), applies the log filter, appends it to the write block of
/// the telegram log (moving on to the next block and over the oldest one
/// when full) and, when the display filter admits it, puts it into the
/// online ring. A telegram the log filter rejects is counted but keeps no
/// number and is neither stored nor shown. The record is modified in place
/// (`nr`, `dt`, `lga`, `lgv`); an `lg` outside 0 .. 1520 is first brought
/// into that range, so a record never reaches past the data area.
/// `LogState::onStored` sees every telegram that was filed.
void StoreTelegram(LogState& m, T_Telegramm& t);

/// Appends telegram t to another log object x (an extract): numbers it after
/// x's newest telegram, so an extract's numbers start again at 1, and places
/// it like the store does. When x's ring is full its oldest block moves on as
/// in the telegram log, so x always holds its newest telegrams in order.
void StoreInto(LogState& m, LogFile& x, T_Telegramm& t);

}  // namespace qlxs
