#pragma once
/// Switching capture on and off: the log and port work of going online and
/// offline. The window follows with its own updates (view mode, captions,
/// buttons); everything here runs without one, so the command line captures
/// with the same steps.

namespace qlxs {

struct Monitor;

/// Brings the log and the ports in line with `PrgPar.online`. Online: with
/// the daily log option the explicitly named log gives way to the automatic
/// one; when the automatic log name differs from the current log (and that
/// was not named explicitly) the current log is closed and the automatic one
/// opened (with the age check under the daily option); otherwise under the
/// daily option the log is written back and reopened with the age check.
/// Then the ports are opened. Offline: the ports are closed. Returns true
/// when another log file became the current log.
bool ApplyOnline(Monitor& m);

/// Switches capture on (1) or off (0): on going online the capture clock is
/// synchronised first; `PrgPar.online` := value and `ApplyOnline`; then on
/// going online the pending APDUs are forgotten, on going offline the log is
/// flushed to its file. (Opening the ports may fail and leave capture offline.)
void SetOnline(Monitor& m, int value);

/// Starting capture as the user does: when offline, reads the local time,
/// remembers its minute for the daily log switch and clears the telegram
/// counters, then `SetOnline(1)`. Nothing when already online.
void GoOnline(Monitor& m);

/// Stopping capture as the user does: `SetOnline(0)` when online.
void GoOffline(Monitor& m);

}  // namespace qlxs
