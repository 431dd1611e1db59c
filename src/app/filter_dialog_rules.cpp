#include "app/filter_dialog_rules.h"

#include <arpa/inet.h>

#include <algorithm>
#include <climits>
#include <charconv>
#include <cstring>

#include "config/config_state.h"
#include "config/filter_file.h"
#include "config/message_box.h"
#include "config/text_format.h"
#include "config/text_fields.h"
#include "filter/filter_match.h"
#include "iec104/cause_lists.h"
#include "iec104/type_cause_names.h"
#include "log/log_state.h"
#include "model/text_table.h"

namespace qlxs {

namespace {

// Entries at the end of the type list that the pick list leaves out.
constexpr int kTypesNotPicked = 5;

// The file name the filter file dialogs start with.
constexpr const char* kFilterFileName = "Filter";

T_FltKrit& Row(T_Filter& f, int row) { return f.krit[row - 1]; }
const T_FltKrit& Row(const T_Filter& f, int row) { return f.krit[row - 1]; }

int32_t ClampToInt32(uint32_t v) { return v > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(v); }

// A box index as the filter stores it: 0..2 (a box without a selection is 0).
int32_t BoxIndex(int i) { return std::clamp(i, 0, 2); }

}  // namespace

T_Filter& FilterOf(T_AllgPar& ap, FilterKind which) { return which == FilterKind::Display ? ap.afilt : ap.lfilt; }

int FilterCaptionText(FilterKind which) {
  return which == FilterKind::Display ? kTextDisplayFilterCaption : kTextLogFilterCaption;
}

int FilterHelpTopic(FilterKind which) { return which == FilterKind::Display ? kHelpDisplayFilter : kHelpLogFilter; }

int32_t FilterValueLimit(int32_t art, const T_AllgPar& ap) {
  if (art == KritNumber) return 0x7FFFFFFF;
  if (art == KritLength) return 261;
  if (art >= KritType && art <= KritOrigin) return 255;
  if (art >= KritCaField1 && art < KritIoaField1) return ClampToInt32(FieldMask(ap.cabrt.fd[art - KritCaField1]));
  if (art >= KritIoaField1 && art <= KritLast) return ClampToInt32(FieldMask(ap.oabrt.fd[art - KritIoaField1]));
  return 0;
}

std::vector<FilterRowLayout> FilterRows(const T_AllgVar& v, const T_AllgPar& ap) {
  // The kinds the rows get under the current structures are those that
  // normalising gives an empty filter.
  T_Filter kinds;
  std::memset(&kinds, 0, sizeof kinds);
  FilterNormalise(kinds, ap);
  std::vector<FilterRowLayout> rows;
  int field = 0;
  for (int i = 1; i <= std::clamp(kinds.anz, 0, 14); ++i) {
    FilterRowLayout r;
    r.row = i;
    r.art = Row(kinds, i).art;
    r.label = Text(v, kTextFilterRowLabel + r.art);
    if (r.art >= KritCaField1) r.label = "&" + std::to_string(++field) + r.label;
    r.upper = FilterValueLimit(r.art, ap);
    r.pickMode = PickModeOfKind(r.art);
    r.hint = FilterValueHint(v, r.upper, r.pickMode);
    rows.push_back(std::move(r));
  }
  return rows;
}

LogSpan SpanOfLog(const LogState& s, double now) {
  const T_LogStand& st = s.log.stand;
  LogSpan span;
  // Numbers wrap round: the count is their distance, without overflow.
  span.count = static_cast<int32_t>(
      std::min<uint32_t>(static_cast<uint32_t>(st.letztnr) - static_cast<uint32_t>(st.erstnr) + 1u, INT32_MAX));
  span.first = st.erstdt != 0 ? st.erstdt : now;
  span.last = st.letztdt != 0 ? st.letztdt : now;
  return span;
}

FilterForm FillFilterForm(const T_Filter& f, size_t rowCount, const LogSpan& span, const ElementTexts& el) {
  FilterForm form;
  form.vonein = f.vonein != 0;
  form.von = form.vonein ? f.von : span.first;
  form.bisein = f.bisein != 0;
  form.bis = form.bisein ? f.bis : span.last;
  form.fok = f.fok != 0;
  form.ffehl = f.ffehl != 0;
  for (size_t k = 0; k < form.tken.size(); ++k) form.tken[k] = (f.tken >> k) & 1;
  for (size_t k = 0; k < form.tart.size(); ++k) form.tart[k] = (f.tart >> k) & 1;
  form.ipAkt = BoxIndex(f.ip.akt);
  form.ipMod = BoxIndex(f.ip.mod);
  form.ip1 = FilterIpText(el, static_cast<uint32_t>(f.ip.w1));
  form.ip2 = FilterIpText(el, static_cast<uint32_t>(f.ip.w2));
  for (size_t i = 1; i <= std::min<size_t>(rowCount, 14); ++i) {
    const T_FltKrit& k = Row(f, static_cast<int>(i));
    FilterFormRow r{BoxIndex(k.akt), std::to_string(k.w1), BoxIndex(k.mod), std::to_string(k.w2)};
    if (i == 1 && k.akt == 0) {
      // The number row offers the whole log when it is off.
      r.w1 = "1";
      r.w2 = std::to_string(span.count);
    }
    form.rows.push_back(std::move(r));
  }
  return form;
}

std::vector<FilterFieldRef> InvalidFilterFields(const FilterForm& form, const std::vector<FilterRowLayout>& rows,
                                                const ElementTexts& el) {
  std::vector<FilterFieldRef> bad;
  if (!ParseFilterIp(el, form.ip1)) bad.push_back({kIpRow, 1});
  if (!ParseFilterIp(el, form.ip2)) bad.push_back({kIpRow, 2});
  for (size_t i = 0; i < form.rows.size() && i < rows.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    if (!ParseFilterValue(form.rows[i].w1, rows[i].upper)) bad.push_back({row, 1});
    if (!ParseFilterValue(form.rows[i].w2, rows[i].upper)) bad.push_back({row, 2});
  }
  return bad;
}

bool ReadFilterForm(const FilterForm& form, const std::vector<FilterRowLayout>& rows, const ElementTexts& el,
                    const T_AllgPar& ap, int32_t ilo, T_Filter& f) {
  if (!InvalidFilterFields(form, rows, el).empty()) return false;
  f.ilo = ilo;
  for (size_t i = 0; i < form.rows.size() && i < rows.size() && i < 14; ++i) {
    T_FltKrit& k = f.krit[i];
    const FilterFormRow& r = form.rows[i];
    k.akt = BoxIndex(r.akt);
    k.w1 = *ParseFilterValue(r.w1, rows[i].upper);
    k.mod = BoxIndex(r.mod);
    k.w2 = *ParseFilterValue(r.w2, rows[i].upper);
  }
  f.vonein = form.vonein;
  f.von = form.von;
  f.bisein = form.bisein;
  f.bis = form.bis;
  f.fok = form.fok;
  f.ffehl = form.ffehl;
  f.tken = 0;
  for (size_t k = 0; k < form.tken.size(); ++k)
    if (form.tken[k]) f.tken |= static_cast<uint16_t>(1u << k);
  f.tart = TartOther;
  for (size_t k = 0; k < form.tart.size(); ++k)
    if (form.tart[k]) f.tart |= static_cast<uint16_t>(1u << k);
  f.ip.akt = BoxIndex(form.ipAkt);
  f.ip.mod = BoxIndex(form.ipMod);
  f.ip.w1 = static_cast<int32_t>(*ParseFilterIp(el, form.ip1));
  f.ip.w2 = static_cast<int32_t>(*ParseFilterIp(el, form.ip2));
  FilterNormalise(f, ap);
  return true;
}

void ResetFilter(T_Filter& f, const T_AllgPar& ap) {
  std::memset(&f, 0, sizeof f);
  FilterNormalise(f, ap);
}

std::optional<int32_t> ParseFilterValue(std::string_view text, int32_t upper) {
  text = TrimBlanks(text);
  if (text.empty()) return std::nullopt;
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 0 || v > upper) return std::nullopt;
  return static_cast<int32_t>(v);
}

std::string FormatIpv4(uint32_t word) {
  return std::to_string(word & 0xFF) + "." + std::to_string((word >> 8) & 0xFF) + "." +
         std::to_string((word >> 16) & 0xFF) + "." + std::to_string(word >> 24);
}

std::string FilterIpText(const ElementTexts& el, uint32_t word) {
  const std::string_view name = TrimBlanks(IpName(el, word));
  return name.empty() ? FormatIpv4(word) : std::string(name);
}

std::optional<uint32_t> ParseFilterIp(const ElementTexts& el, std::string_view text) {
  const std::string t(TrimBlanks(text));
  if (t.empty()) return std::nullopt;
  in_addr a{};
  if (::inet_pton(AF_INET, t.c_str(), &a) == 1) {
    // s_addr holds the octets in transmission order; read them as a
    // little-endian word, as the telegrams are compared.
    const auto* o = reinterpret_cast<const uint8_t*>(&a.s_addr);
    return static_cast<uint32_t>(o[0]) | static_cast<uint32_t>(o[1]) << 8 | static_cast<uint32_t>(o[2]) << 16 |
           static_cast<uint32_t>(o[3]) << 24;
  }
  return IpByName(el, t);
}

FileDialogCaption FilterFileDialogText(const T_AllgVar& v, bool save) {
  std::string title = Text(v, save ? kTextFilterSave : kTextFilterLoad);
  title.erase(std::remove(title.begin(), title.end(), '&'), title.end());
  return {title, Text(v, kTextFilterFileExt), Text(v, kTextFilterFileFilter)};
}

std::string FilterFileStartPath(const T_AllgVar& v) { return v.DataDir + kFilterFileName; }

bool LoadFilterFile(ConfigState& cs, const std::string& path, T_Filter& copy) {
  std::string why;
  if (ReadFilterFile(path, copy, why)) return true;
  MessageOkNrText(cs, kTextFilterNotLoaded, FormatText(Text(cs.AllgVar, kTextFilterNotLoaded), {path, why}), MsgError);
  return false;
}

bool SaveFilterFile(ConfigState& cs, const std::string& path, T_Filter& copy) {
  copy.lg = kFilterFileSize;
  std::string why;
  if (WriteFilterFile(path, copy, why)) return true;
  MessageOkNrText(cs, kTextFilterNotSaved, FormatText(Text(cs.AllgVar, kTextFilterNotSaved), {path, why}), MsgError);
  return false;
}

std::string FilterValueHint(const T_AllgVar& v, int32_t upper, int pickMode) {
  std::string hint = Text(v, kTextValueHint) + std::to_string(upper);
  if (pickMode != kPickNone) hint += Text(v, kTextPickListHint);
  return hint;
}

int PickModeOfKind(int32_t art) {
  if (art == KritType) return kPickTypes;
  if (art == KritCause) return kPickCauses;
  return kPickNone;
}

PickList BuildPickList(const T_TextTable& v, int mode, int32_t current) {
  PickList p;
  p.caption = Text(v, kTextPickListCaption + mode);
  const int code = current & 0xFF;
  if (mode == kPickTypes) {
    const int count = v.maxpicktyp - kTypesNotPicked;
    for (int pos = 1; pos <= count; ++pos) p.entries.push_back(TypeListEntry(v, pos, true));
    const int group = TypeGroup(v, code);
    if (group >= 1 && group <= count) p.selected = group - 1;
  } else if (mode == kPickCauses) {
    for (int i = 1; CauseAt(v, 0, i) != 0; ++i) p.entries.push_back(CauseListEntry(v, CauseAt(v, 0, i)));
    p.selected = CauseIndex(v, 0, code) - 1;
  }
  return p;
}

std::optional<int32_t> PickedCode(const T_TextTable& v, int mode, int index) {
  if (index < 0) return std::nullopt;
  int code = 0;
  if (mode == kPickTypes && index < v.maxpicktyp - kTypesNotPicked) code = TypeAt(v, index + 1);
  if (mode == kPickCauses) code = CauseAt(v, 0, index + 1);
  if (code == 0) return std::nullopt;
  return code;
}

int PickListLeft(int fieldX, int pickWidth) { return std::max(0, fieldX - kPickListWidth - pickWidth - 20); }

bool FilterCommand(ConfigState& cs, FilterKind which, const std::function<bool(T_Filter& copy)>& runDialog) {
  T_Filter copy = FilterOf(cs.AllgPar, which);
  if (!runDialog(copy)) return false;
  copy.ein = copy.def != 0 ? 1 : 0;
  FilterOf(cs.AllgPar, which) = copy;
  return true;
}

}  // namespace qlxs
