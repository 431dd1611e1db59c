#pragma once
// Shared helpers for the telegram log tests: a monitor with a manual clock
// and recorded messages, deterministic telegrams and
// complete walks through a log with the reader.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "model/telegram.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "support/files.h"
#include "support/monitor_fixture.h"
#include "support/scratch_dir.h"

namespace qlxs::test {

/// Telegram i of a deterministic sequence: data length `lg` (or, when lg is
/// negative, a length that varies with i over 0 .. 1520), classes 0, 1, 2, 3
/// and 5, statuses on both sides of 40, both receivers, distinct contents.
T_Telegramm SampleTelegram(int i, int lg = -1);

/// The bytes of a stored record: its first `lga` bytes.
std::vector<uint8_t> RecordBytes(const T_Telegramm& t);

/// Every record from the oldest to the newest, read with the reader (opened
/// if needed). Fails the test when the walk takes more steps than the log
/// can hold records.
std::vector<std::vector<uint8_t>> ReadForward(Monitor& m);
/// Every record from the newest back to the oldest.
std::vector<std::vector<uint8_t>> ReadBackward(Monitor& m);

/// The ring state and maximum log size stored in a log file, read as a reading command reads it.
struct LogState {
  bool valid = false;
  T_LogStand stand{};
  int32_t maxlog = 0;
};
LogState ReadLogState(const std::string& path);

/// Stores sample telegrams first .. first+count-1 (data length `lg`, see
/// `SampleTelegram`) and returns the records as stored.
std::vector<std::vector<uint8_t>> StoreSamples(Monitor& m, int count, int lg = -1, int first = 0);

/// Whole-file helpers.
bool FileExists(const std::string& path);

/// Runs fn in a forked child process and returns the child's exit status
/// (fn's result), or -1 when it did not exit normally. With `unprivileged`
/// the child first drops root rights (to user and group 65534), so file
/// permissions apply to it as to any user.
int RunInChild(bool unprivileged, int (*fn)(void*), void* arg);

}  // namespace qlxs::test
