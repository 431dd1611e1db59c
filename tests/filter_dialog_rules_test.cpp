// The filter dialog without a window: its rows under the address
// structures, what the controls show for a filter, which entries are
// refused, what OK writes, reset, filter files, the pick list, and the main
// window's command that takes the edited copy back.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/filter_dialog_rules.h"
#include "config/filter_file.h"
#include "config/language_texts.h"
#include "filter/filter_match.h"
#include "iec104/cause_lists.h"
#include "support/files.h"
#include "support/monitor_fixture.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using test::ScratchDir;

// 192.168.1.2 as stored: its octets in transmission order as a little-endian word.
constexpr uint32_t kStationWord = 0x0201A8C0;

class FilterDialogRules : public ::testing::Test {
 protected:
  FilterDialogRules() {
    m->AllgVar.ProgDir = QLXS_BIN_DIR "/";
    EXPECT_TRUE(LoadTexts(*m, LangEnglish));
    el.ips.push_back({kStationWord, "  Station A ", 0, 0});
  }

  // The default filter as start-up leaves it: all zero, normalised.
  T_Filter Default() {
    T_Filter f;
    ResetFilter(f, m->AllgPar);
    return f;
  }

  std::vector<FilterRowLayout> Rows() { return FilterRows(m->AllgVar, m->AllgPar); }

  test::TestMonitor m;
  ElementTexts el;
  LogSpan span{250, 46000.25, 46001.75};
};

bool SameBytes(const T_Filter& a, const T_Filter& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(FilterDialogRules, RowsFollowTheAddressStructuresWithTheirLabelsAndLimits) {
  struct Case {
    T_AdrStruktur ca, oa;
    std::vector<int32_t> kinds;
    std::vector<int32_t> limits;
    std::vector<std::string> labels;  // of the address field rows
  } cases[] = {
      {SingleField(16), SingleField(24), {6, 7, 8, 9, 10, 11, 15}, {2147483647, 261, 255, 255, 255, 65535, 16777215},
       {"&1 Common address, field 1", "&2 Object address, field 1"}},
      {{2, {8, 8}}, {2, {8, 16}}, {6, 7, 8, 9, 10, 11, 12, 15, 16}, {2147483647, 261, 255, 255, 255, 255, 255, 255, 65535},
       {"&1 Common address, field 1", "&2 Common address, field 2", "&3 Object address, field 1",
        "&4 Object address, field 2"}},
      {{3, {4, 4, 8}}, {5, {4, 4, 4, 4, 8}}, {6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19},
       {2147483647, 261, 255, 255, 255, 15, 15, 255, 15, 15, 15, 15, 255}, {}},
  };
  for (const Case& c : cases) {
    m->AllgPar.cabrt = c.ca;
    m->AllgPar.oabrt = c.oa;
    const auto rows = Rows();
    std::vector<int32_t> kinds, limits;
    std::vector<std::string> labels;
    for (const FilterRowLayout& r : rows) {
      kinds.push_back(r.art);
      limits.push_back(r.upper);
      if (r.art >= KritCaField1) labels.push_back(r.label);
    }
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(limits, c.limits);
    if (!c.labels.empty()) {
      EXPECT_EQ(labels, c.labels);
    }
    EXPECT_EQ(rows[0].label, Text(m->AllgVar, 709)) << "rows before the address fields carry their text alone";
  }
}

TEST_F(FilterDialogRules, OnlyTypeAndCauseFieldsOpenThePickListAndSayItInTheirHint) {
  const auto rows = Rows();
  const std::string prefix = Text(m->AllgVar, kTextValueHint);
  const std::string pick = Text(m->AllgVar, 1227);
  for (const FilterRowLayout& r : rows) {
    const int mode = r.art == KritType ? kPickTypes : r.art == KritCause ? kPickCauses : kPickNone;
    EXPECT_EQ(r.pickMode, mode) << r.art;
    EXPECT_EQ(r.hint, prefix + std::to_string(r.upper) + (mode != kPickNone ? pick : "")) << r.art;
  }
  EXPECT_EQ(rows[2].hint, "Value 0 to 255" + pick);
}

TEST_F(FilterDialogRules, TheDefaultFilterOpensWithEverythingAdmittedAndTheLogAsBounds) {
  const FilterForm form = FillFilterForm(Default(), Rows().size(), span, el);
  EXPECT_TRUE(form.fok && form.ffehl);
  EXPECT_EQ(form.tken, (std::array<bool, 2>{true, true}));
  EXPECT_EQ(form.tart, (std::array<bool, 5>{true, true, true, true, true}));
  EXPECT_FALSE(form.vonein);
  EXPECT_FALSE(form.bisein);
  EXPECT_EQ(form.von, span.first);
  EXPECT_EQ(form.bis, span.last);
  ASSERT_EQ(form.rows.size(), 7u);
  EXPECT_EQ(form.rows[0].w1, "1");
  EXPECT_EQ(form.rows[0].w2, "250") << "the number row offers the whole log";
  EXPECT_EQ(form.rows[1].w1, "0");
  EXPECT_EQ(form.ip1, "0.0.0.0");
}

TEST_F(FilterDialogRules, ActiveBoundsAndNumberRowShowTheirOwnValues) {
  T_Filter f = Default();
  f.vonein = 1;
  f.von = 45999.5;
  f.krit[0] = {KritNumber, 2, 10, 2, 20};
  f.ip = {0, 1, static_cast<int32_t>(kStationWord), 0, 0x0100000A};
  const FilterForm form = FillFilterForm(f, Rows().size(), span, el);
  EXPECT_EQ(form.von, 45999.5);
  EXPECT_EQ(form.bis, span.last);
  EXPECT_EQ(form.rows[0].akt, 2);
  EXPECT_EQ(form.rows[0].w1, "10");
  EXPECT_EQ(form.rows[0].w2, "20");
  EXPECT_EQ(form.ip1, "Station A") << "an address with a name shows the name, blanks removed";
  EXPECT_EQ(form.ip2, "10.0.0.1");
}

TEST_F(FilterDialogRules, OkWritesBackWhatTheControlsShowAndNothingElse) {
  // A filter with every member the dialog edits set, read back unchanged
  // apart from the focus memory.
  T_Filter f = Default();
  f.vonein = 1;
  f.von = 45999.5;
  f.bisein = 1;
  f.bis = 46000.125;
  f.fok = 1;
  f.ffehl = 0;
  f.tken = 2;
  f.tart = TartI | TartTest | TartOther;
  f.krit[0] = {KritNumber, 1, 5, 2, 9};
  f.krit[2] = {KritType, 2, 36, 1, 13};
  f.krit[6] = {KritIoaField1, 1, 4000, 0, 0};
  f.ip = {0, 1, static_cast<int32_t>(kStationWord), 2, 0x0100000A};
  f.res2[1] = 0x5A;  // reserved octets are left alone
  FilterNormalise(f, m->AllgPar);
  const auto rows = Rows();
  T_Filter back = f;
  ASSERT_TRUE(ReadFilterForm(FillFilterForm(f, rows.size(), span, el), rows, el, m->AllgPar, 16, back));
  T_Filter expected = f;
  expected.ilo = 16;
  EXPECT_TRUE(SameBytes(back, expected));
}

TEST_F(FilterDialogRules, ReadingBackTakesTheEditedControls) {
  const auto rows = Rows();
  T_Filter f = Default();
  FilterForm form = FillFilterForm(f, rows.size(), span, el);
  form.bisein = true;
  form.bis = 46000.75;
  form.fok = false;
  form.tken = {false, true};
  form.tart = {false, false, false, false, false};  // no class means all
  form.ipAkt = 1;
  form.ip1 = " Station A ";
  form.rows[3] = {1, "3", 1, " 20 "};
  ASSERT_TRUE(ReadFilterForm(form, rows, el, m->AllgPar, 0, f));
  EXPECT_EQ(f.bisein, 1);
  EXPECT_EQ(double{f.bis}, 46000.75);  // a copy: the packed field is not aligned
  EXPECT_EQ(f.fok, 0);
  EXPECT_EQ(f.ffehl, 1);
  EXPECT_EQ(f.tken, 2);
  EXPECT_EQ(f.tart, TartAll);
  EXPECT_EQ(f.ip.akt, 1);
  EXPECT_EQ(static_cast<uint32_t>(f.ip.w1), kStationWord);
  EXPECT_EQ(f.krit[3].art, KritCause);
  EXPECT_EQ(f.krit[3].akt, 1);
  EXPECT_EQ(f.krit[3].w1, 3);
  EXPECT_EQ(f.krit[3].w2, 20);
  EXPECT_EQ(f.krit[0].w2, 250) << "the number row takes its preset values even when off";
  EXPECT_EQ(f.def, 1);
  EXPECT_EQ(f.asdu, 1);
}

TEST_F(FilterDialogRules, BadEntriesAreFoundAndRefusedWithoutAChange) {
  m->AllgPar.cabrt = {2, {8, 8}};
  const auto rows = Rows();  // row 6 is the first common address field, 8 bits
  struct Case {
    int row, field;
    std::string text;
    bool valid;
  } cases[] = {
      {3, 1, "255", true},         {3, 1, "256", false},  {3, 2, "-1", false},
      {3, 2, " 12 ", true},        {3, 1, "", false},     {3, 1, "1x", false},
      {1, 2, "2147483647", true},  {1, 2, "2147483648", false},
      {2, 1, "261", true},         {2, 1, "262", false},
      {6, 1, "255", true},         {6, 2, "256", false},  {7, 1, "256", false},
      {8, 1, "16777215", true},    {8, 2, "16777216", false},
      {kIpRow, 1, "10.0.0.1", true},   {kIpRow, 1, "10.0.0.256", false}, {kIpRow, 2, "Station A", true},
      {kIpRow, 2, "Station B", false}, {kIpRow, 1, "", false},           {kIpRow, 1, "255.255.255.255", true},
      {kIpRow, 1, "10.1", false},
  };
  for (const Case& c : cases) {
    T_Filter f = Default();
    FilterForm form = FillFilterForm(f, rows.size(), span, el);
    if (c.row == kIpRow) {
      (c.field == 1 ? form.ip1 : form.ip2) = c.text;
    } else {
      FilterFormRow& r = form.rows[static_cast<size_t>(c.row - 1)];
      (c.field == 1 ? r.w1 : r.w2) = c.text;
    }
    const auto bad = InvalidFilterFields(form, rows, el);
    const T_Filter before = f;
    EXPECT_EQ(ReadFilterForm(form, rows, el, m->AllgPar, 3, f), c.valid) << c.row << "/" << c.field << " " << c.text;
    if (c.valid) {
      EXPECT_TRUE(bad.empty()) << c.text;
    } else {
      EXPECT_EQ(bad, (std::vector<FilterFieldRef>{{c.row, c.field}})) << c.text;
      EXPECT_TRUE(SameBytes(f, before)) << "a refused entry changes nothing: " << c.text;
    }
  }
}

TEST_F(FilterDialogRules, AddressesReadAndWriteInTransmissionOrder) {
  EXPECT_EQ(ParseFilterIp(el, "192.168.1.2"), kStationWord);
  EXPECT_EQ(FormatIpv4(kStationWord), "192.168.1.2");
  EXPECT_EQ(ParseFilterIp(el, "255.255.255.255"), 0xFFFFFFFFu) << "the broadcast address is an address";
  EXPECT_EQ(FilterIpText(el, 0xFFFFFFFF), "255.255.255.255");
}

TEST_F(FilterDialogRules, ResetGivesTheDefaultFilterWhateverWasSet) {
  T_Filter f = Default();
  f.vonein = 1;
  f.ilo = 12;
  f.ein = 1;
  f.krit[4] = {KritOrigin, 1, 7, 0, 0};
  f.ip.akt = 2;
  FilterNormalise(f, m->AllgPar);
  ResetFilter(f, m->AllgPar);
  EXPECT_TRUE(SameBytes(f, Default()));
  EXPECT_EQ(f.def, 0);
  EXPECT_EQ(f.tart, TartAll);
}

TEST_F(FilterDialogRules, AFilterOfOtherStructuresShowsTheRowsTheDialogHasAndGetsTheirKinds) {
  // Saved under a common address of two fields: row 7 is its second field.
  T_AllgPar other = m->AllgPar;
  other.cabrt = {2, {8, 8}};
  T_Filter f = Default();
  f.krit[6] = {0, 1, 77, 0, 0};
  FilterNormalise(f, other);
  ASSERT_EQ(f.anz, 8);
  ASSERT_EQ(f.krit[6].art, 12);
  const auto rows = Rows();  // one field each: 7 rows, row 7 the object address
  FilterForm form = FillFilterForm(f, rows.size(), span, el);
  ASSERT_EQ(form.rows.size(), 7u);
  EXPECT_EQ(form.rows[6].w1, "77");
  ASSERT_TRUE(ReadFilterForm(form, rows, el, m->AllgPar, 0, f));
  EXPECT_EQ(f.anz, 7);
  EXPECT_EQ(f.krit[6].art, KritIoaField1);
  EXPECT_EQ(f.ioa1, 7);
}

TEST_F(FilterDialogRules, FilterFilesSaveAndLoadByteForByteAndRefuseOthersWithAMessage) {
  ScratchDir dir;
  T_Filter saved = Default();
  saved.krit[2] = {KritType, 1, 36, 0, 0};
  FilterNormalise(saved, m->AllgPar);
  saved.lg = 0;
  const std::string good = dir.file("good.flt");
  ASSERT_TRUE(SaveFilterFile(*m, good, saved));
  EXPECT_EQ(saved.lg, 348) << "the copy keeps the length word it was saved with";
  EXPECT_EQ(test::ReadFile(good).size(), 348u);
  T_Filter loaded = Default();
  ASSERT_TRUE(LoadFilterFile(*m, good, loaded));
  EXPECT_TRUE(SameBytes(loaded, saved));
  EXPECT_TRUE(m.sink.entries.empty());

  const std::string bytes = test::ReadFile(good);
  std::string wrongWord = bytes;
  wrongWord[2] = 0x5B;
  struct Case {
    const char* name;
    std::string content;
    const char* reason;
  } cases[] = {
      {"short.flt", bytes.substr(0, 347), "347 bytes"},
      {"long.flt", bytes + '\0', "349 bytes"},
      {"word.flt", wrongWord, "length word"},
      {"missing.flt", "", ""},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(c.name);
    if (!c.content.empty()) {
      ASSERT_TRUE(test::WriteFile(path, c.content));
    }
    m.sink.entries.clear();
    T_Filter copy = Default();
    const T_Filter before = copy;
    EXPECT_FALSE(LoadFilterFile(*m, path, copy)) << c.name;
    EXPECT_TRUE(SameBytes(copy, before)) << c.name;
    ASSERT_EQ(m.sink.entries.size(), 1u) << "a refused file is reported, not ignored: " << c.name;
    EXPECT_EQ(m.sink.entries[0].type, MsgError);
    EXPECT_NE(m.sink.entries[0].text.find(path), std::string::npos) << m.sink.entries[0].text;
    EXPECT_NE(m.sink.entries[0].text.find(c.reason), std::string::npos) << m.sink.entries[0].text;
  }

  m.sink.entries.clear();
  EXPECT_FALSE(SaveFilterFile(*m, dir.file("no/such/dir/x.flt"), saved));
  ASSERT_EQ(m.sink.entries.size(), 1u);
  EXPECT_NE(m.sink.entries[0].text.find("no/such/dir/x.flt"), std::string::npos);
}

TEST_F(FilterDialogRules, FileDialogsUseTheFilterFileTexts) {
  m->AllgVar.DataDir = "/data/dir/";
  const FileDialogCaption load = FilterFileDialogText(m->AllgVar, false);
  const FileDialogCaption save = FilterFileDialogText(m->AllgVar, true);
  EXPECT_EQ(load.title, "Load filter ...");
  EXPECT_EQ(save.title, "Save filter ...");
  EXPECT_EQ(load.defaultExt, "flt");
  EXPECT_EQ(save.filter, Text(m->AllgVar, kTextFilterFileFilter));
  EXPECT_EQ(FilterFileStartPath(m->AllgVar), "/data/dir/Filter");
}

TEST_F(FilterDialogRules, PickListsPreselectTheFieldsValueAndGiveBackTheChosenCode) {
  const T_TextTable& v = m->AllgVar;
  const PickList types = BuildPickList(v, kPickTypes, 36);
  EXPECT_EQ(types.caption, Text(v, 1166));
  EXPECT_EQ(static_cast<int>(types.entries.size()), v.maxpicktyp - 5);
  ASSERT_GE(types.selected, 0);
  EXPECT_EQ(types.entries[static_cast<size_t>(types.selected)].rfind(" 36=", 0), 0u);
  EXPECT_EQ(PickedCode(v, kPickTypes, types.selected), 36);
  EXPECT_EQ(BuildPickList(v, kPickTypes, 0x100 + 36).selected, types.selected) << "only the low octet counts";
  EXPECT_EQ(BuildPickList(v, kPickTypes, 2).selected, -1) << "a type outside the list selects nothing";
  EXPECT_EQ(BuildPickList(v, kPickTypes, 133).selected, -1) << "the last five types are not offered";
  EXPECT_EQ(PickedCode(v, kPickTypes, 0), 1);

  const PickList causes = BuildPickList(v, kPickCauses, 3);
  EXPECT_EQ(causes.caption, Text(v, 1167));
  ASSERT_GE(causes.selected, 0);
  EXPECT_EQ(causes.entries[static_cast<size_t>(causes.selected)].rfind(" 3=", 0), 0u);
  EXPECT_EQ(PickedCode(v, kPickCauses, causes.selected), 3);
  EXPECT_EQ(PickedCode(v, kPickCauses, -1), std::nullopt) << "no entry selected changes nothing";
  EXPECT_EQ(PickListLeft(1000, 200), 428);
  EXPECT_EQ(PickListLeft(300, 200), 0);
}

TEST_F(FilterDialogRules, TheCommandTakesTheCopyBackOnlyOnOkAndSwitchesItByWhatItRestricts) {
  struct Case {
    FilterKind which;
    bool ok;
    bool restricts;
  } cases[] = {
      {FilterKind::Display, true, true}, {FilterKind::Display, true, false}, {FilterKind::Display, false, true},
      {FilterKind::Log, true, true},     {FilterKind::Log, true, false},     {FilterKind::Log, false, true},
  };
  for (const Case& c : cases) {
    T_Filter start = Default();
    start.ein = 1;  // on before, so that "off after OK" shows
    m->AllgPar.afilt = start;
    m->AllgPar.lfilt = start;
    const bool replaced = FilterCommand(*m, c.which, [&](T_Filter& copy) {
      EXPECT_TRUE(SameBytes(copy, start)) << "the dialog edits a copy of the filter";
      copy.fok = c.restricts ? 0 : 1;  // faulty telegrams only restricts
      copy.ffehl = 1;
      FilterNormalise(copy, m->AllgPar);
      return c.ok;
    });
    EXPECT_EQ(replaced, c.ok);
    const T_Filter& edited = FilterOf(m->AllgPar, c.which);
    const T_Filter& other = FilterOf(m->AllgPar, c.which == FilterKind::Display ? FilterKind::Log : FilterKind::Display);
    EXPECT_TRUE(SameBytes(other, start)) << "the other filter stays";
    if (!c.ok) {
      EXPECT_TRUE(SameBytes(edited, start)) << "Cancel leaves the filter untouched";
      continue;
    }
    EXPECT_EQ(edited.ffehl, 1);
    EXPECT_EQ(edited.def, c.restricts ? 1 : 0);
    EXPECT_EQ(edited.ein, c.restricts ? 1 : 0);
  }
  EXPECT_EQ(FilterCaptionText(FilterKind::Display), 692);
  EXPECT_EQ(FilterHelpTopic(FilterKind::Log), 6300);
}

TEST_F(FilterDialogRules, AnEmptyLogOffersTodayAsBounds) {
  EXPECT_EQ(SpanOfLog(*m, 46002.5).first, 46002.5);
  m->log.stand.erstnr = 11;
  m->log.stand.letztnr = 40;
  m->log.stand.erstdt = 46000.25;
  m->log.stand.letztdt = 46001.5;
  const LogSpan s = SpanOfLog(*m, 46002.5);
  EXPECT_EQ(s.count, 30);
  EXPECT_EQ(s.first, 46000.25);
  EXPECT_EQ(s.last, 46001.5);
}

}  // namespace
}  // namespace qlxs
