#pragma once
/// Walking the telegram log in both directions through the reader handle,
/// while capture goes on. The reader never writes; the block being written
/// is served from memory. Every walk stays inside the block image, and every
/// step moves to another record or another block, so walks always end.

#include <cstdint>

#include "model/telegram.h"

namespace qlxs {

struct LogState;

/// Opens the reader on the telegram log's file (nothing when it is open) and
/// stands on the newest record; the newest-known block is `aktbl`. When the
/// file cannot be opened, message 1203 and an empty read block.
void ReaderOpen(LogState& m);

/// Closes the reader's handle.
void ReaderClose(LogState& m);

/// Loads block i into the read block without moving the position: block
/// `aktbl` is copied from the write block, any other is read from the file
/// and made safe to walk (message 1203 and an empty block when that fails).
void ReaderLoad(LogState& m, int32_t i);

/// Moves the reader into block i, onto its last record with `atLast`, else
/// onto its first; recomputes the telegram count.
void ReaderSeek(LogState& m, int32_t i, bool atLast);

/// Steps one record back, into the previous block when standing on the
/// first record of a block. False when there is nothing before (first
/// record of the oldest block), the reader then does not move.
bool ReaderBack(LogState& m);

/// Steps one record forward, into the next block at the end of a block. At
/// the end of the newest-known block it looks again for records appended
/// since; false at the end of the log.
bool ReaderNext(LogState& m);

/// Puts the reader back on a record it stood on before (block and block
/// offset), loading that block again when the reader is elsewhere. When that
/// offset no longer starts a record (the block was overwritten meanwhile),
/// the reader stands on the block's last record.
void ReaderReturn(LogState& m, int32_t block, int32_t pos);

/// A copy of the record the reader stands on: its `lga` bytes, the rest
/// zero; all zeros (`lga` 0) when there is none.
void ReaderRecord(const LogState& m, T_Telegramm& out);

}  // namespace qlxs
