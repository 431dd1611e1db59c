// The element text table: reading the file line by line, faulty lines and
// their message, the layout flags, colours, lookups, and the shipped sample
// against the plant of the line simulator.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/config_state.h"
#include "config/element_texts.h"
#include "config/language_texts.h"
#include "model/helpers.h"
#include "model/telegram.h"
#include "platform/message_sink.h"
#include "sim/line_simulator.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

class ElementTextsTest : public ::testing::Test {
 protected:
  ElementTextsTest() : cs(sink) {
    cs.AllgVar.TxtList.assign(1500, "");
    cs.AllgVar.TxtList[1129] = "WITHCA";
    cs.AllgVar.TxtList[1432] = "Element text file %s: %d lines, %d of them faulty:%s";
    cs.AllgVar.TxtList[1433] = "lines ";
  }
  ElementLoadResult Load(const std::string& content, const std::string& name = "plant.txt") {
    return LoadElementTexts(cs, dir.write(name, content));
  }
  const ElementTexts& t() const { return cs.AllgVar.elements; }
  std::string NameOf(uint32_t key) const { return ElementName(t(), FindElement(t(), key)); }

  test::ScratchDir dir;
  RecordingMessageSink sink;
  ConfigState cs;
};

constexpr uint32_t Key(uint32_t qualifier, uint32_t ioa) { return qualifier << 24 | ioa; }

TEST_F(ElementTextsTest, StationsAddressesCauseColoursAndObjects) {
  const ElementLoadResult r = Load(
      "A plant, with comment lines that hold no separator\n"
      "\"CA;212;Substation\"\n"
      "CA;7; Feeder station \n"
      "IP;10.0.0.1;Router\n"
      "IP;192.168.10.20; RTU \n"
      "URS;44;3\n"
      "3000;2-7;Breaker Q0;extra fields are ignored\n"
      "1000;;Alarm\n"
      "$3E9;0;Hex addressed\n"
      " 1002 ;;  Blanks kept  \n");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.lines, 10);
  EXPECT_EQ(r.faulty, 0);
  EXPECT_TRUE(sink.entries.empty());
  EXPECT_EQ(cs.AllgVar.dtOaTxt, dir.file("plant.txt"));

  ASSERT_EQ(ElementCount(t()), 4);
  const uint32_t ids[] = {1000, 1001, 1002, 3000};  // sorted by key
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ElementId(t(), i), ids[i]);
  EXPECT_EQ(NameOf(1000), "Alarm");
  EXPECT_EQ(NameOf(1001), "Hex addressed");
  EXPECT_EQ(NameOf(1002), "  Blanks kept  ");
  EXPECT_EQ(NameOf(3000), "Breaker Q0");
  EXPECT_EQ(ElementColour(t(), FindElement(t(), 3000)), 0x0702);
  EXPECT_EQ(ElementColour(t(), FindElement(t(), 1000)), 0);
  EXPECT_EQ(FindElement(t(), 999), -1);
  EXPECT_EQ(FindElement(t(), Key(1, 1000)), -1);
  EXPECT_EQ(ElementName(t(), -1), "");
  EXPECT_EQ(ElementName(t(), 4), "");
  EXPECT_EQ(ElementColour(t(), 4), 0);
  EXPECT_EQ(ElementId(t(), -1), 0u);

  EXPECT_EQ(StationName(t(), 212), "Substation");
  EXPECT_EQ(StationName(t(), 7), " Feeder station ");
  EXPECT_EQ(StationName(t(), 8), "");
  // 10.0.0.1 in transmission order read as a little-endian word.
  EXPECT_EQ(IpName(t(), 0x0100000A), "Router");
  EXPECT_EQ(IpName(t(), 0x0A000001), "");
  EXPECT_EQ(IpByName(t(), "RTU"), std::optional<uint32_t>(0x140AA8C0));
  EXPECT_EQ(IpByName(t(), "Nobody"), std::nullopt);

  // The whole cause octet 44 gets the colour, not the octet with the test
  // or negative bit.
  EXPECT_EQ(cs.PrgPar.frburs.frb[44].wd(), 3);
  EXPECT_EQ(cs.PrgPar.frburs.frb[44 | 0x80].wd(), 0);
  EXPECT_EQ(cs.PrgPar.frburs.frb[44 | 0x40].wd(), 0);
}

TEST_F(ElementTextsTest, QuotedLinesReadAsUnquotedAndIgnoredLinesAreNotFaulty) {
  const std::string plain = "CA;5;Station\nIP;1.2.3.4;Host\n1000;1-2;A \"quoted\" name\nRWE;\n4;77;;Sub\n";
  ASSERT_EQ(Load(plain).faulty, 0);
  const ElementTexts before = t();
  std::string quoted;
  for (const std::string_view line : {"CA;5;Station", "IP;1.2.3.4;Host", "1000;1-2;A \"quoted\" name", "RWE;",
                                      "4;77;;Sub"})
    quoted += "\"" + std::string(line) + "\"\r\n";
  ASSERT_EQ(Load(quoted).faulty, 0);
  ASSERT_EQ(t().elements.size(), before.elements.size());
  for (size_t i = 0; i < before.elements.size(); ++i) {
    EXPECT_EQ(t().elements[i].id, before.elements[i].id);
    EXPECT_EQ(t().elements[i].s0, before.elements[i].s0);
    EXPECT_EQ(t().elements[i].cl, before.elements[i].cl);
  }
  EXPECT_EQ(StationName(t(), 5), "Station");
  EXPECT_EQ(IpName(t(), 0x04030201), "Host");

  const ElementLoadResult r = Load("\n\"\"\nno separator here\n;1000;;starts with the separator\n\";1000;;x\"\n   \n");
  EXPECT_EQ(r.faulty, 0);
  EXPECT_EQ(r.lines, 6);
  EXPECT_EQ(ElementCount(t()), 0);
  EXPECT_TRUE(sink.entries.empty());
}

TEST_F(ElementTextsTest, ColourFields) {
  const struct {
    const char* field;
    std::optional<uint16_t> colour;  // none: the line is faulty
  } cases[] = {
      {"", 0},          {"0", 0},          {"   ", 0},         {"5", 0x0005},  {"2-7", 0x0702},
      {" 19-19 ", 0x1313}, {"5-", 0x0005}, {"0-8", 0x0800},   {"20", std::nullopt}, {"5-20", std::nullopt},
      {"-3", std::nullopt}, {"x", std::nullopt}, {"1-2-3", std::nullopt}, {"1.5", std::nullopt},
  };
  for (const auto& c : cases) {
    const ElementLoadResult r = Load("1000;" + std::string(c.field) + ";Name\n");
    SCOPED_TRACE(std::string("colour field \"") + c.field + "\"");
    if (c.colour) {
      EXPECT_EQ(r.faulty, 0);
      ASSERT_EQ(ElementCount(t()), 1);
      EXPECT_EQ(ElementColour(t(), 0), *c.colour);
    } else {
      EXPECT_EQ(r.faulty, 1);
      EXPECT_EQ(ElementCount(t()), 0);
    }
  }
}

TEST_F(ElementTextsTest, FaultyLinesAddNothingAndAreListed) {
  const ElementLoadResult r = Load(
      "1000;;Good\n"
      "70000000;;IOA too large\n"
      "CA;65536;Too large\n"
      "IP;10.0.0;Three octets\n"
      "URS;256;3\n"
      "URS;4;20\n"
      "CA;x;Not a number\n"
      "1001;;Good too\n");
  EXPECT_EQ(r.lines, 8);
  EXPECT_EQ(r.faulty, 6);
  EXPECT_EQ(ElementCount(t()), 2);
  EXPECT_TRUE(t().stations.empty());
  EXPECT_TRUE(t().ips.empty());
  EXPECT_EQ(cs.PrgPar.frburs.frb[4].wd(), 0);
  ASSERT_EQ(sink.entries.size(), 1u);
  EXPECT_EQ(sink.entries[0].number, 1432);
  EXPECT_EQ(sink.entries[0].type, MsgError);
  EXPECT_EQ(sink.entries[0].buttons, ButtonsOk);
  EXPECT_EQ(sink.entries[0].text, "Element text file " + dir.file("plant.txt") +
                                      ": 8 lines, 6 of them faulty:\r\n            lines 2,  3,  4,  5,  6,  7");
}

TEST_F(ElementTextsTest, ManyFaultyLinesAreCountedAndTheFirst201ListedTenPerRow) {
  std::string content = "1000;;Good\n";
  for (int i = 0; i < 250; ++i) content += "bad;;line\n";
  const ElementLoadResult r = Load(content);
  EXPECT_EQ(r.faulty, 250);
  EXPECT_EQ(ElementCount(t()), 1);
  ASSERT_EQ(sink.entries.size(), 1u);
  const std::string& text = sink.entries[0].text;
  EXPECT_NE(text.find(": 251 lines, 250 of them faulty:"), std::string::npos);
  const std::string list = text.substr(text.find("faulty:") + 7);
  size_t rows = 0;
  for (size_t at = 0; (at = list.find("\r\n", at)) != std::string::npos; at += 2) ++rows;
  EXPECT_EQ(rows, 21u);  // 20 rows of ten and one of one
  // The numbers listed are lines 2 .. 202: the first 201 faulty lines.
  EXPECT_TRUE(list.starts_with("\r\n            lines 2,  3,  4,  5,  6,  7,  8,  9,  10,  11\r\n            lines 12,  13,"));
  EXPECT_EQ(list.find("203"), std::string::npos);
  EXPECT_TRUE(list.ends_with("\r\n            lines 202"));
}

TEST_F(ElementTextsTest, SubAddressLinesFollowTheRweLine) {
  const ElementLoadResult r = Load(
      "1000;;Before the RWE line\n"
      "RWE;\n"
      "3;1000;2-7;Sub 3\n"
      "15;1000;;Sub 15\n"
      "16;1000;;Sub too large\n"
      "1001;;No sub-address\n");
  EXPECT_EQ(r.faulty, 2);
  EXPECT_TRUE(cs.AllgVar.rwe);
  EXPECT_EQ(NameOf(1000), "Before the RWE line");
  EXPECT_EQ(NameOf(Key(3, 1000)), "Sub 3");
  EXPECT_EQ(ElementColour(t(), FindElement(t(), Key(3, 1000))), 0x0702);
  EXPECT_EQ(NameOf(Key(15, 1000)), "Sub 15");

  ASSERT_TRUE(Load("1002;;Plain again\n").ok());  // the flags are cleared before every load
  EXPECT_FALSE(cs.AllgVar.rwe);
  EXPECT_EQ(NameOf(1002), "Plain again");
}

TEST_F(ElementTextsTest, CommonAddressPositionsAreQualifiersAcrossFiles) {
  ASSERT_EQ(Load("WITHCA;\n20;1000;;A\n30;1000;;B\n20;1001;;C\n").faulty, 0);
  EXPECT_TRUE(cs.AllgVar.mitca);
  EXPECT_EQ(t().caList, (std::vector<uint16_t>{20, 30}));
  EXPECT_EQ(NameOf(Key(0, 1000)), "A");
  EXPECT_EQ(NameOf(Key(1, 1000)), "B");
  EXPECT_EQ(NameOf(Key(0, 1001)), "C");

  // A second file keeps the addresses of the first; a faulty line appends none.
  ASSERT_EQ(Load("WITHCA;\n40;5;;D\n30;6;;E\n50;7;99;bad colour\n").faulty, 1);
  EXPECT_EQ(t().caList, (std::vector<uint16_t>{20, 30, 40}));
  EXPECT_EQ(NameOf(Key(2, 5)), "D");
  EXPECT_EQ(NameOf(Key(1, 6)), "E");
  EXPECT_EQ(CaListIndex(t(), 40), 2);
  EXPECT_EQ(CaListIndex(t(), 50), -1);

  // With both flags the position of the common address wins over the sub-address.
  ASSERT_EQ(Load("RWE;\nWITHCA;\n3;30;1000;;Both\n").faulty, 0);
  EXPECT_EQ(NameOf(Key(1, 1000)), "Both");
  EXPECT_EQ(FindElement(t(), Key(3, 1000)), -1);
}

TEST_F(ElementTextsTest, TheListOfCommonAddressesHolds256) {
  std::string content = "WITHCA;\n";
  for (int ca = 0; ca < 260; ++ca) content += std::to_string(ca) + ";1;;Object\n";
  content += "0;2;;Known address\n";
  const ElementLoadResult r = Load(content);
  EXPECT_EQ(r.faulty, 4);  // common addresses 256 .. 259
  EXPECT_EQ(t().caList.size(), kMaxCaList);
  EXPECT_EQ(NameOf(Key(255, 1)), "Object");
  EXPECT_EQ(NameOf(Key(0, 2)), "Known address");
}

TEST_F(ElementTextsTest, EqualKeysAllStay) {
  ASSERT_EQ(Load("1000;;First\n2000;;Other\n1000;;Second\n").faulty, 0);
  EXPECT_EQ(ElementCount(t()), 3);
  const std::string name = NameOf(1000);
  EXPECT_TRUE(name == "First" || name == "Second") << name;
  ASSERT_EQ(Load("IP;1.1.1.1; Twin \nIP;2.2.2.2;Twin\n").faulty, 0);
  EXPECT_EQ(IpByName(t(), "Twin"), std::optional<uint32_t>(0x02020202));  // the last in the table
}

TEST_F(ElementTextsTest, AnUnreadableFileChangesNothingButTheStationCache) {
  ASSERT_EQ(Load("CA;1;Station\n1000;;Object\n").faulty, 0);
  const std::string loaded = cs.AllgVar.dtOaTxt;
  cs.AllgVar.ca = 1;
  cs.AllgVar.catxt = " Station";
  const ElementLoadResult r = LoadElementTexts(cs, dir.file("missing.txt"));
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.ioError, ENOENT);
  EXPECT_EQ(NameOf(1000), "Object");
  EXPECT_EQ(StationName(t(), 1), "Station");
  EXPECT_EQ(cs.AllgVar.dtOaTxt, loaded);
  EXPECT_EQ(cs.AllgVar.ca, -1);
  EXPECT_EQ(cs.AllgVar.catxt, "");
  EXPECT_FALSE(LoadElementTexts(cs, dir.path()).ok());  // a directory
  EXPECT_EQ(NameOf(1000), "Object");
  EXPECT_TRUE(sink.entries.empty());
}

TEST_F(ElementTextsTest, ClearingKeepsTheCauseColoursAndTheListOfCommonAddresses) {
  ASSERT_EQ(Load("URS;7;1-12\nWITHCA;\n9;1;;x\nCA;9;Nine\n").faulty, 0);
  cs.AllgVar.ca = 9;
  cs.AllgVar.catxt = " Nine";
  ClearElementTexts(cs.AllgVar);
  EXPECT_EQ(ElementCount(t()), 0);
  EXPECT_EQ(StationName(t(), 9), "");
  EXPECT_FALSE(cs.AllgVar.mitca);
  EXPECT_EQ(cs.AllgVar.ca, -1);  // a stale name must not survive in the cache
  EXPECT_EQ(t().caList, std::vector<uint16_t>{9});
  EXPECT_EQ(cs.PrgPar.frburs.frb[7].wd(), 0x0C01);
}

// The shipped sample names the station, the addresses and objects of the
// plant that the line simulator produces with seed 1 (scripts/run).
TEST(ShippedElementTexts, NameThePlantOfTheLineSimulator) {
  for (const char* language : {"QLXSText.ger", "QLXSText.usa"}) {
    SCOPED_TRACE(language);
    RecordingMessageSink sink;
    ConfigState cs(sink);
    ASSERT_EQ(ReadTextFile(QLXS_SOURCE_DIR "/data/" + std::string(language), cs.AllgVar.TxtList).error, 0);
    ApplyLoadedTexts(cs.AllgVar);
    const ElementLoadResult r = LoadElementTexts(cs, QLXS_SOURCE_DIR "/data/QLXSDemo.txt");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.faulty, 0);
    EXPECT_TRUE(sink.entries.empty());
    const ElementTexts& t = cs.AllgVar.elements;
    EXPECT_GT(ElementCount(t), 100);
    EXPECT_EQ(StationName(t, 212), "Substation Alder Creek");
    EXPECT_EQ(ElementName(t, FindElement(t, 3001)), "Bay 01 busbar isolator Q1");
    EXPECT_NE(cs.PrgPar.frburs.frb[0x47].wd(), 0);  // negative activation confirmation

    sim::SimOptions o;  // as scripts/run simulates its sample
    o.seed = 1;
    o.apdus = 40;
    o.splitPercent = 20;
    o.faults = sim::kAllFaults;
    o.faultEvery = 10;
    const sim::SimResult sim = sim::SimulateLine(o);
    std::set<uint32_t> cas, named;
    for (const auto& line : sim.expected)
      for (const sim::ExpectedTelegram& e : line) {
        if (e.hasVid && e.vidKnown) {
          uint32_t src;
          std::memcpy(&src, e.vid.sip, 4);
          EXPECT_NE(IpName(t, src), "") << int(e.vid.sip[0]) << "." << int(e.vid.sip[3]);
        }
        if (e.ta != TaIFormat || e.stat < StatOk || e.data.size() < 15) continue;
        cas.insert(e.data[10] | e.data[11] << 8);
        const uint32_t ioa = e.data[12] | e.data[13] << 8 | e.data[14] << 16;
        if (FindElement(t, ioa) >= 0) named.insert(ioa);
      }
    EXPECT_EQ(cas, std::set<uint32_t>{212});
    EXPECT_GT(named.size(), 10u) << "data/QLXSDemo.txt names few objects of the sample";
  }
}

}  // namespace
}  // namespace qlxs
