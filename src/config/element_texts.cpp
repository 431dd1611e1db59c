#include "config/element_texts.h"

#include <algorithm>

#include "config/address_structure.h"
#include "config/config_state.h"
#include "config/language_texts.h"
#include "config/message_box.h"
#include "config/text_fields.h"
#include "config/text_format.h"
#include "model/helpers.h"
#include "model/text_file.h"
#include "platform/message_sink.h"

namespace qlxs {

namespace {

const std::string kNoName;

// Tables grow by this many entries while a file is read.
constexpr size_t kTableStep = 50;

// Palette indexes of a colour pair.
constexpr int32_t kMaxColourIndex = 19;

// A colour field: empty, "0" or blanks give 0; otherwise "fg" or "fg-bg".
std::optional<uint16_t> ReadColour(std::string_view field) {
  field = TrimBlanks(field);
  if (field.empty()) return 0;
  std::string_view rest = field;
  const std::optional<int32_t> fg = ParseIntRange(SplitAt(rest, '-'), 0, kMaxColourIndex);
  if (!fg) return std::nullopt;
  int32_t bg = 0;
  if (!rest.empty()) {
    const std::optional<int32_t> b = ParseIntRange(rest, 0, kMaxColourIndex);
    if (!b) return std::nullopt;
    bg = *b;
  }
  return static_cast<uint16_t>(*fg | (bg << 8));
}

void Append(T_ElTab& table, uint32_t id, std::string_view name, uint16_t cl = 0) {
  if (table.size() == table.capacity()) table.reserve(table.size() + kTableStep);
  table.push_back(T_Element{id, std::string(name), cl, 0});
}

// Reads one line that is not ignored; false when the line is faulty (it
// then changed nothing).
bool ApplyLine(ConfigState& cs, std::string_view key, std::string_view rest) {
  T_AllgVar& v = cs.AllgVar;
  ElementTexts& t = v.elements;
  const char khex = v.khex;
  if (key == "RWE") {
    v.rwe = true;
    return true;
  }
  const std::string& withCa = Text(v, kTextWithCaKey);
  if (!withCa.empty() && key == withCa) {
    v.mitca = true;
    return true;
  }
  if (key == "CA") {
    const std::optional<uint32_t> ca = ParseCa(SplitField(rest, v.tz), cs.AllgPar, khex);
    if (!ca) return false;
    Append(t.stations, *ca, SplitField(rest, v.tz));
    return true;
  }
  if (key == "IP") {
    const std::optional<uint32_t> ip = ParseExact(kIpStructure, SplitField(rest, v.tz), khex);
    if (!ip) return false;
    Append(t.ips, SwapBytes32(*ip), SplitField(rest, v.tz));
    return true;
  }
  if (key == "URS") {
    const std::optional<int32_t> cause = ParseIntRange(SplitField(rest, v.tz), 0, 255);
    if (!cause) return false;
    const std::optional<uint16_t> colour = ReadColour(SplitField(rest, v.tz));
    if (!colour) return false;
    T_FarbIndex& pair = cs.PrgPar.frburs.frb[*cause];
    pair.fg = static_cast<uint8_t>(*colour & 0xFF);
    pair.hg = static_cast<uint8_t>(*colour >> 8);
    return true;
  }

  // An element line: [sub-address] [common address] object address, colour, name.
  uint32_t qualifier = 0;
  bool keyUsed = false;
  auto next = [&]() {
    if (!keyUsed) {
      keyUsed = true;
      return key;
    }
    return SplitField(rest, v.tz);
  };
  if (v.rwe) {
    const std::optional<int32_t> sub = ParseIntRange(next(), 0, 15);
    if (!sub) return false;
    qualifier = static_cast<uint32_t>(*sub);
  }
  std::optional<uint32_t> ca;
  if (v.mitca) {
    ca = ParseCa(next(), cs.AllgPar, khex);
    if (!ca) return false;
  }
  const std::optional<uint32_t> oa = ParseIoa(next(), cs.AllgPar, khex);
  if (!oa) return false;
  const std::optional<uint16_t> colour = ReadColour(SplitField(rest, v.tz));
  if (!colour) return false;
  if (ca) {
    int pos = CaListIndex(t, *ca);
    if (pos < 0) {
      if (t.caList.size() >= kMaxCaList) return false;
      pos = static_cast<int>(t.caList.size());
      t.caList.push_back(static_cast<uint16_t>(*ca));
    }
    qualifier = static_cast<uint32_t>(pos);
  }
  Append(t.elements, (qualifier << 24) | (*oa & 0xFFFFFF), SplitField(rest, v.tz), *colour);
  return true;
}

void SortById(T_ElTab& table) {
  table.shrink_to_fit();
  std::stable_sort(table.begin(), table.end(),
                   [](const T_Element& a, const T_Element& b) { return a.id < b.id; });
}

// Index of the first entry with `id`, -1 when there is none.
int Find(const T_ElTab& table, uint32_t id) {
  const auto it = std::lower_bound(table.begin(), table.end(), id,
                                   [](const T_Element& e, uint32_t k) { return e.id < k; });
  if (it == table.end() || it->id != id) return -1;
  return static_cast<int>(it - table.begin());
}

const std::string& NameOf(const T_ElTab& table, uint32_t id) {
  const int i = Find(table, id);
  return i < 0 ? kNoName : table[static_cast<size_t>(i)].s0;
}

bool InTable(const T_ElTab& table, int index) { return index >= 0 && static_cast<size_t>(index) < table.size(); }

}  // namespace

ElementLoadResult LoadElementTexts(ConfigState& cs, const std::string& name) {
  T_AllgVar& v = cs.AllgVar;
  ElementLoadResult r;
  std::vector<std::string> lines;
  r.ioError = ReadTextLines(name, lines);
  v.ca = -1;
  v.catxt.clear();
  if (!r.ok()) return r;

  ClearElementTexts(v);
  ElementTexts& t = v.elements;
  t.elements.reserve(lines.size());
  t.stations.reserve(kTableStep);
  t.ips.reserve(kTableStep);
  r.lines = static_cast<int>(lines.size());
  std::string list;
  for (size_t j = 0; j < lines.size(); ++j) {
    const std::string_view line = StripQuotes(lines[j]);
    if (line.empty() || line.front() == v.tz || line.find(v.tz) == std::string_view::npos) continue;
    std::string_view rest = line;
    const std::string_view key = TrimBlanks(SplitField(rest, v.tz));
    if (ApplyLine(cs, key, rest)) continue;
    if (r.faulty < kMaxListedFaultyLines) {
      if (r.faulty % 10 == 0)
        list += "\r\n" + std::string(12, ' ') + Text(v, kTextFaultyLinesRow);
      else
        list += ",  ";
      list += std::to_string(j + 1);
    }
    ++r.faulty;
  }

  SortById(t.elements);
  SortById(t.stations);
  SortById(t.ips);
  v.dtOaTxt = name;
  if (r.faulty > 0) {
    MessageOkNrText(cs, kTextFaultyLines, FormatText(Text(v, kTextFaultyLines), {name, r.lines, r.faulty, list}),
                    MsgError);
  }
  return r;
}

void ClearElementTexts(T_AllgVar& v) {
  v.rwe = false;
  v.mitca = false;
  ElementTexts& t = v.elements;
  T_ElTab().swap(t.elements);
  T_ElTab().swap(t.stations);
  T_ElTab().swap(t.ips);
  v.ca = -1;
  v.catxt.clear();
}

int FindElement(const ElementTexts& t, uint32_t key) { return Find(t.elements, key); }

const std::string& ElementName(const ElementTexts& t, int index) {
  return InTable(t.elements, index) ? t.elements[static_cast<size_t>(index)].s0 : kNoName;
}

uint16_t ElementColour(const ElementTexts& t, int index) {
  return InTable(t.elements, index) ? t.elements[static_cast<size_t>(index)].cl : 0;
}

uint32_t ElementId(const ElementTexts& t, int index) {
  return InTable(t.elements, index) ? t.elements[static_cast<size_t>(index)].id : 0;
}

int ElementCount(const ElementTexts& t) { return static_cast<int>(t.elements.size()); }

const std::string& StationName(const ElementTexts& t, uint32_t ca) { return NameOf(t.stations, ca); }

const std::string& IpName(const ElementTexts& t, uint32_t address) { return NameOf(t.ips, address); }

std::optional<uint32_t> IpByName(const ElementTexts& t, std::string_view text) {
  std::optional<uint32_t> found;
  for (const T_Element& e : t.ips)
    if (TrimBlanks(e.s0) == text) found = e.id;
  return found;
}

int CaListIndex(const ElementTexts& t, uint32_t ca) {
  for (size_t i = 0; i < t.caList.size(); ++i)
    if (t.caList[i] == ca) return static_cast<int>(i);
  return -1;
}

}  // namespace qlxs
