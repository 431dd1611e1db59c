#pragma once
/// Going to a telegram in the log view: by its number, or by a time (the
/// first telegram stored at or after it). The page then starts there.

#include <cstdint>
#include <optional>
#include <string_view>

#include "view/view_state.h"

namespace qlxs {

struct LogState;

/// What to go to.
struct GoToTarget {
  bool byTime = false;
  int32_t number = 0;  ///< telegram number (when not by time)
  double time = 0;     ///< date-time (when by time)
};

/// Reads what the user typed: a telegram number (digits; blanks, dots and
/// commas between them are digit grouping and ignored), a time "hh:mm" or
/// "hh:mm:ss" on the day of `newestTime` (the newest telegram), or
/// "dd.mm.yyyy hh:mm[:ss]". Nothing when the text is none of these.
std::optional<GoToTarget> ParseGoToTarget(std::string_view text, double newestTime);

/// Puts the log view's page top on the telegram of `target`: the one with
/// that number, or the first one stored at or after that time. The blocks
/// are searched by their first telegram, so the search reads about
/// log2(blocks) blocks and then walks one. Numbers always rise through the
/// log; time stamps rise too unless the clock was set back (the hour of a
/// change from summer time, a re-analysed old log), and then a time of that
/// stretch finds one of the telegrams stamped with it. False, leaving the view as it
/// was, when the log does not hold that number or ends before that time.
/// With the reader closed nothing happens (false).
bool GoToTelegram(LogState& m, ViewState& v, const GoToTarget& target);

}  // namespace qlxs
