#include "config/text_fields.h"

#include <algorithm>
#include <charconv>

namespace qlxs {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view SplitAt(std::string_view& text, char sep) {
  const size_t at = text.find(sep);
  std::string_view head = text.substr(0, at);
  text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
  return head;
}

int CountSeparators(std::string_view text, char tz) {
  return static_cast<int>(std::count(text.begin(), text.end(), tz));
}

std::optional<int32_t> ParseIntRange(std::string_view text, int32_t low, int32_t high) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  }
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (low != high && (v < low || v > high)) return std::nullopt;
  return v;
}

std::string_view StripQuotes(std::string_view line) {
  if (line.empty() || line.front() != '"') return line;
  line.remove_prefix(1);
  if (!line.empty() && line.back() == '"') line.remove_suffix(1);
  return line;
}

}  // namespace qlxs
