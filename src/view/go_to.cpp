#include "view/go_to.h"

#include <cctype>
#include <cmath>
#include <string>

#include "config/text_fields.h"
#include "log/log_block.h"
#include "log/log_reader.h"
#include "log/log_state.h"
#include "model/date_time.h"

namespace qlxs {

namespace {

// Reads an unsigned decimal number of 1..`maxDigits` digits at `i`.
bool ReadNumber(std::string_view s, size_t& i, int maxDigits, int& out) {
  const size_t start = i;
  out = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && i - start < static_cast<size_t>(maxDigits))
    out = out * 10 + (s[i++] - '0');
  return i > start;
}

bool Expect(std::string_view s, size_t& i, char c) {
  if (i >= s.size() || s[i] != c) return false;
  ++i;
  return true;
}

// "hh:mm[:ss]" from `i` to the end, as a fraction of a day.
bool ReadTimeOfDay(std::string_view s, size_t i, double& out) {
  int h = 0, mi = 0, sec = 0;
  if (!ReadNumber(s, i, 2, h) || !Expect(s, i, ':') || !ReadNumber(s, i, 2, mi)) return false;
  if (i < s.size() && (!Expect(s, i, ':') || !ReadNumber(s, i, 2, sec))) return false;
  if (i != s.size() || h > 23 || mi > 59 || sec > 59) return false;
  out = (h * 3600.0 + mi * 60.0 + sec) / 86400.0;
  return true;
}

// The search key of a telegram: its distance from the oldest telegram's
// number (numbers wrap round), or its time stamp.
double KeyOf(const LogState& m, const GoToTarget& target, int32_t nr, double dt) {
  if (target.byTime) return dt;
  return static_cast<double>(static_cast<uint32_t>(nr) - static_cast<uint32_t>(m.log.stand.erstnr));
}

}  // namespace

std::optional<GoToTarget> ParseGoToTarget(std::string_view text, double newestTime) {
  const std::string_view s = TrimBlanks(text);
  if (s.empty()) return std::nullopt;
  GoToTarget t;
  if (s.find(':') == std::string_view::npos) {
    // A number, perhaps grouped.
    int64_t n = 0;
    bool digit = false;
    for (const char ch : s) {
      if (std::isdigit(static_cast<unsigned char>(ch))) {
        n = n * 10 + (ch - '0');
        digit = true;
        if (n > INT32_MAX) return std::nullopt;
      } else if (ch != '.' && ch != ',' && ch != ' ' && ch != '\'') {
        return std::nullopt;
      }
    }
    if (!digit) return std::nullopt;
    t.number = static_cast<int32_t>(n);
    return t;
  }
  t.byTime = true;
  double time = 0;
  const size_t blank = s.find(' ');
  if (blank == std::string_view::npos) {
    if (!ReadTimeOfDay(s, 0, time)) return std::nullopt;
    t.time = std::floor(newestTime) + time;
    return t;
  }
  size_t i = 0;
  int d = 0, mo = 0, y = 0;
  if (!ReadNumber(s, i, 2, d) || !Expect(s, i, '.') || !ReadNumber(s, i, 2, mo) || !Expect(s, i, '.') ||
      !ReadNumber(s, i, 4, y) || i != blank)
    return std::nullopt;
  if (mo < 1 || mo > 12 || d < 1 || y < 1900) return std::nullopt;
  // The day must exist in its month: 31.02. is no date, not the 3rd of March.
  const DateTimeParts parts = DecodeDateTime(EncodeDate(y, mo, d));
  if (parts.day != d || parts.month != mo) return std::nullopt;
  if (!ReadTimeOfDay(s, std::string_view(s).find_first_not_of(' ', blank), time)) return std::nullopt;
  t.time = EncodeDate(y, mo, d) + time;
  return t;
}

bool GoToTelegram(LogState& m, ViewState& v, const GoToTarget& target) {
  LogReader& r = m.log.reader;
  const T_LogStand& s = m.log.stand;
  if (!r.open || s.anzbl <= 0) return false;
  const int32_t blocks = BlocksInUse(s);
  const double want = KeyOf(m, target, target.number, target.time);
  const int32_t keepBlock = r.blk, keepPos = r.pos;

  // The last block (in ring order from the oldest) whose first telegram
  // comes at or before the target.
  int32_t lo = 0, hi = blocks - 1, found = 0;
  while (lo <= hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    ReaderLoad(m, (s.erstbl + mid) % s.anzbl);
    const T_BlockKopf k = BlockKopfOf(r.block);
    if (k.letzt > 0 && KeyOf(m, target, k.erstnr, k.erstdt) <= want) {
      found = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  ReaderSeek(m, (s.erstbl + found) % s.anzbl, false);
  T_Telegramm t;
  for (;;) {
    ReaderRecord(m, t);
    if (t.lga != 0) {
      const double key = KeyOf(m, target, t.nr, t.dt);
      if (key >= want) {
        if (!target.byTime && key != want) break;  // that number is not in the log
        v.hasPageTop = true;
        v.pageTopBlock = r.blk;
        v.pageTopPos = r.pos;
        v.pageTopObject = 0;
        return true;
      }
    }
    if (!ReaderNext(m)) break;
  }
  ReaderReturn(m, keepBlock, keepPos);
  return false;
}

}  // namespace qlxs
