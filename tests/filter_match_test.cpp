// The filter record's normalisation, its criteria and the evaluation order,
// and the view rules around the display filter.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>

#include "filter/filter_match.h"
#include "model/apdu.h"
#include "model/ppp.h"
#include "sim/apdu_builder.h"
#include "sim/frame_builder.h"
#include "support/log_fixture.h"

namespace qlxs {
namespace {

using sim::Bytes;
using test::TestMonitor;

// Addresses of the connection the telegrams come from, as they go on the line.
constexpr uint8_t kStation[4] = {192, 168, 1, 20};
constexpr uint8_t kControlCentre[4] = {10, 0, 0, 1};

// The stored form of an address: its network-order octets as a little-endian word.
int32_t Stored(const uint8_t (&a)[4]) {
  return static_cast<int32_t>(a[0] | a[1] << 8 | a[2] << 16 | uint32_t{a[3]} << 24);
}

T_Telegramm Telegram(uint8_t ta, uint8_t stat) {
  T_Telegramm t{};
  t.ek = kReceiverPort1;
  t.ta = ta;
  t.stat = stat;
  t.lg = 10;
  t.nr = 100;
  t.dt = 46000.5;
  return t;
}

// An APDU telegram as the unwrapping stores it: the APDU, then the identity.
T_Telegramm ApduTelegram(uint8_t ta, const Bytes& apdu, uint8_t stat = StatOk) {
  T_Telegramm t = Telegram(ta, stat);
  T_VId vid{};
  std::memcpy(vid.sip, kStation, 4);
  std::memcpy(vid.dip, kControlCentre, 4);
  std::memcpy(t.b, apdu.data(), apdu.size());
  std::memcpy(t.b + apdu.size(), &vid, sizeof vid);
  t.idm = sizeof vid;
  t.lg = static_cast<int16_t>(apdu.size() + sizeof vid);
  return t;
}

// An I-format telegram of type `typ` with the objects given as octets.
T_Telegramm ITelegram(uint8_t typ, uint8_t struk, uint8_t cot, uint16_t ca, const Bytes& objects) {
  sim::Asdu a;
  a.typ = typ;
  a.sq = struk & kStructureSq;
  a.n = struk & kStructureCount;
  a.cot = cot;
  a.ori = 7;
  a.ca = ca;
  a.objects = objects;
  return ApduTelegram(TaIFormat, sim::IApdu(0, 0, a));
}

// Single points (type 1): per object a three-octet address and one octet.
Bytes SinglePoints(std::initializer_list<uint32_t> ioas) {
  Bytes out;
  for (uint32_t a : ioas) out.insert(out.end(), {uint8_t(a), uint8_t(a >> 8), uint8_t(a >> 16), 0x01});
  return out;
}

T_FltKrit Krit(int32_t akt, int32_t w1, int32_t mod, int32_t w2) { return T_FltKrit{0, akt, w1, mod, w2}; }

TEST(CritMatch, EqualEitherRangeWrappingAndNegated) {
  struct Case {
    T_FltKrit r;
    int32_t v;
    bool match;
  } cases[] = {
      {Krit(1, 5, 0, 9), 5, true},       {Krit(1, 5, 0, 9), 9, false},  // equal ignores w2
      {Krit(1, 5, 1, 9), 9, true},       {Krit(1, 5, 1, 9), 7, false},
      {Krit(1, 5, 2, 9), 5, true},       {Krit(1, 5, 2, 9), 9, true},    {Krit(1, 5, 2, 9), 10, false},
      {Krit(1, 5, 77, 9), 7, true},      // any mode above 1 is a range
      {Krit(1, 200, 2, 10), 5, true},    {Krit(1, 200, 2, 10), 250, true},
      {Krit(1, 200, 2, 10), 100, false},  // a range that wraps
      {Krit(1, -10, 2, 10), -3, true},   {Krit(1, -10, 2, 10), 11, false},  // signed
      {Krit(2, 5, 1, 9), 5, false},      {Krit(2, 5, 1, 9), 9, false},   {Krit(2, 5, 1, 9), 6, true},
      {Krit(2, 200, 2, 10), 100, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CritMatch(c.r, c.v), c.match)
        << "akt " << c.r.akt << " w1 " << c.r.w1 << " mod " << c.r.mod << " w2 " << c.r.w2 << " v " << c.v;
}

TEST(FilterNormalise, ZeroedRecordAdmitsEverything) {
  const T_AllgPar ap = DefaultAllgPar();
  T_Filter f{};
  FilterNormalise(f, ap);
  EXPECT_TRUE(f.fok && f.ffehl);
  EXPECT_EQ(f.tken, 3);
  EXPECT_EQ(f.tart, 0x3F);
  EXPECT_EQ(f.def, 0);
  EXPECT_EQ(f.asdu, 0);
  EXPECT_EQ(f.ioa1, 0);
  for (uint8_t ta : {TaRaw, TaIFormat, TaSFormat, TaUFormat, TaEvent, TaRaw104})
    for (uint8_t stat : {StatTimeout, StatOk, StatFragment}) {
      T_Telegramm t = Telegram(ta, stat);
      t.ek = kReceiverPort2;
      EXPECT_TRUE(FilterMatch(f, ap, 1, t)) << int(ta) << "/" << int(stat);
    }
}

TEST(FilterNormalise, RowKindsFollowTheAddressStructures) {
  struct Case {
    int caFields, ioaFields;
    std::vector<int32_t> kinds;
  } cases[] = {
      {1, 1, {6, 7, 8, 9, 10, 11, 15}},
      {2, 1, {6, 7, 8, 9, 10, 11, 12, 15}},
      {2, 3, {6, 7, 8, 9, 10, 11, 12, 15, 16, 17}},
      {4, 5, {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
      {9, 9, {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},  // more fields than rows
      {0, 0, {6, 7, 8, 9, 10}},
  };
  for (const Case& c : cases) {
    T_AllgPar ap = DefaultAllgPar();
    ap.cabrt.anz = c.caFields;
    ap.oabrt.anz = c.ioaFields;
    T_Filter f{};
    FilterNormalise(f, ap);
    std::vector<int32_t> kinds;
    for (int i = 0; i < f.anz; ++i) kinds.push_back(f.krit[i].art);
    EXPECT_EQ(kinds, c.kinds) << "CA " << c.caFields << " fields, IOA " << c.ioaFields;
  }
}

TEST(FilterNormalise, RowsKeepTheirValuesWhenTheirKindChanges) {
  T_AllgPar ap = DefaultAllgPar();
  T_Filter f{};
  FilterNormalise(f, ap);
  f.krit[6] = T_FltKrit{f.krit[6].art, 1, 4000, 0, 0};  // row 7: the object address
  FilterNormalise(f, ap);
  EXPECT_EQ(f.krit[6].art, KritIoaField1);
  EXPECT_EQ(f.ioa1, 7);

  ap.cabrt = T_AdrStruktur{2, {8, 8, 0, 0, 0}};
  FilterNormalise(f, ap);
  EXPECT_EQ(f.krit[6].art, KritCaField1 + 1) << "row 7 is now the second common address field";
  EXPECT_EQ(f.krit[6].w1, 4000);
  EXPECT_EQ(f.krit[7].art, KritIoaField1);
  EXPECT_EQ(f.ioa1, 0) << "the object address row is off";
  EXPECT_EQ(f.asdu, 1) << "the second common address field is an ASDU criterion";
}

TEST(FilterNormalise, ComputedFlags) {
  struct Case {
    const char* what;
    std::function<void(T_Filter&)> edit;
    uint16_t def, tart;
    uint8_t asdu, ioa1;
  } cases[] = {
      {"nothing", [](T_Filter&) {}, 0, 0x3F, 0, 0},
      {"time bound", [](T_Filter& f) { f.bisein = 1; }, 1, 0x3F, 0, 0},
      {"error-free only", [](T_Filter& f) { f.fok = 1; }, 1, 0x3F, 0, 0},
      {"first port only", [](T_Filter& f) { f.tken = 1; }, 1, 0x3F, 0, 0},
      {"address", [](T_Filter& f) { f.ip.akt = 1; }, 1, 0x3F, 0, 0},
      {"class mask without the other classes", [](T_Filter& f) { f.tart = 0x03; }, 1, 0x23, 0, 0},
      {"only the other classes", [](T_Filter& f) { f.tart = 0x20; }, 0, 0x3F, 0, 0},
      {"length row", [](T_Filter& f) { f.krit[1].akt = 1; }, 1, 0x3F, 0, 0},
      {"type row", [](T_Filter& f) { f.krit[2].akt = 2; }, 1, 0x3F, 1, 0},
      {"object address row", [](T_Filter& f) { f.krit[6].akt = 1; }, 1, 0x3F, 1, 7},
  };
  for (const Case& c : cases) {
    T_Filter f{};
    c.edit(f);
    FilterNormalise(f, DefaultAllgPar());
    EXPECT_EQ(f.def, c.def) << c.what;
    EXPECT_EQ(f.tart, c.tart) << c.what;
    EXPECT_EQ(f.asdu, c.asdu) << c.what;
    EXPECT_EQ(f.ioa1, c.ioa1) << c.what;
  }
}

TEST(IoaOfObject, LocatesEachObjectByTypeAndStructure) {
  // Three single points with their own addresses.
  const T_Telegramm apart = ITelegram(1, 3, 3, 1, SinglePoints({1000, 70000, 3}));
  EXPECT_EQ(IoaOfObject(0, apart), 1000u);
  EXPECT_EQ(IoaOfObject(1, apart), 1000u);
  EXPECT_EQ(IoaOfObject(2, apart), 70000u);
  EXPECT_EQ(IoaOfObject(3, apart), 3u);

  // Measured values, short floats (type 13): five octets per element.
  const Bytes floats = {0x10, 0x00, 0x00, 1, 2, 3, 4, 0, 0x20, 0x00, 0x00, 1, 2, 3, 4, 0};
  EXPECT_EQ(IoaOfObject(2, ITelegram(13, 2, 3, 1, floats)), 0x20u);

  // A sequence: one address, the objects count up from it.
  const Bytes sequence = {0x00, 0x10, 0x00, 0x01, 0x00, 0x01};
  const T_Telegramm seq = ITelegram(1, kStructureSq | 3, 3, 1, sequence);
  EXPECT_EQ(IoaOfObject(1, seq), 0x1000u);
  EXPECT_EQ(IoaOfObject(3, seq), 0x1002u);

  // A private type has no known element size: every object shows the first address.
  const T_Telegramm priv = ITelegram(130, 2, 3, 1, {0x05, 0x00, 0x00, 0xAA, 0x06, 0x00, 0x00, 0xBB});
  EXPECT_EQ(IoaOfObject(2, priv), 5u);
}

TEST(IoaOfObject, ReadsNothingBeyondTheApdu) {
  // The structure claims three objects but the APDU holds one; the identity
  // and whatever follows the data must not be taken for addresses.
  T_Telegramm t = ITelegram(1, 3, 3, 1, SinglePoints({1000}));
  std::memset(t.b + t.lg, 0xEE, sizeof t.b - t.lg);
  EXPECT_EQ(IoaOfObject(2, t), 0u);
  EXPECT_EQ(IoaOfObject(127, t), 0u);

  T_Telegramm damaged = t;
  damaged.lg = -5;
  EXPECT_EQ(IoaOfObject(1, damaged), 0u);
  EXPECT_EQ(CritValue(KritType, DefaultAllgPar(), 1, damaged), 0);
}

TEST(CritValue, FieldsOfTheAddressesUnderTheirStructures) {
  T_AllgPar ap = DefaultAllgPar();
  ap.cabrt = T_AdrStruktur{2, {8, 8, 0, 0, 0}};
  ap.oabrt = T_AdrStruktur{3, {8, 8, 8, 0, 0}};
  T_Telegramm t = ITelegram(1, 1, kCauseTest | kCauseNegative | 7, 0x1234, SinglePoints({0x563412}));
  t.nr = 150;
  EXPECT_EQ(CritValue(KritNumber, ap, 101, t), 50);
  EXPECT_EQ(CritValue(KritLength, ap, 101, t), t.lg);
  EXPECT_EQ(CritValue(KritType, ap, 101, t), 1);
  EXPECT_EQ(CritValue(KritCause, ap, 101, t), kCauseNegative | 7) << "the test bit is removed";
  EXPECT_EQ(CritValue(KritOrigin, ap, 101, t), 7);
  EXPECT_EQ(CritValue(KritCaField1, ap, 101, t), 0x12);
  EXPECT_EQ(CritValue(KritCaField1 + 1, ap, 101, t), 0x34);
  EXPECT_EQ(CritValue(KritIoaField1, ap, 101, t), 0x56);
  EXPECT_EQ(CritValue(KritIoaField1 + 2, ap, 101, t), 0x12);
  EXPECT_EQ(CritValue(5, ap, 101, t), 0);
  EXPECT_EQ(CritValue(20, ap, 101, t), 0);

  ap.oabrt = SingleField(0);  // a width of 0 keeps every bit
  EXPECT_EQ(CritValue(KritIoaField1, ap, 101, t), 0x563412);
}

// One evaluation: a filter edited from a zeroed record, then normalised.
struct MatchCase {
  const char* what;
  std::function<void(T_Filter&)> edit;
  T_Telegramm t;
  bool match;
};

void RunMatchCases(const T_AllgPar& ap, const std::vector<MatchCase>& cases) {
  for (const MatchCase& c : cases) {
    T_Filter f{};
    c.edit(f);
    FilterNormalise(f, ap);
    EXPECT_EQ(FilterMatch(f, ap, 51, c.t), c.match) << c.what;
  }
}

T_Telegramm With(T_Telegramm t, const std::function<void(T_Telegramm&)>& edit) {
  edit(t);
  return t;
}

TEST(FilterMatch, TheFirstDecisiveCheckWins) {
  const T_Telegramm event = Telegram(TaEvent, StatPortOpened);
  const T_Telegramm faulty = ApduTelegram(TaSFormat, {kApduStart, 9, 1, 0, 0, 0}, StatLengthError);
  const T_Telegramm text = Telegram(TaRaw, StatTextLine);
  const T_Telegramm ack = ApduTelegram(TaSFormat, sim::SApdu(5));
  const T_Telegramm single = ITelegram(1, 1, 3, 1, SinglePoints({1000}));
  auto numberRow = [](T_Filter& f) { f.krit[0] = Krit(1, 1, 2, 10); };  // relative numbers 1..10
  auto lengthRow = [](T_Filter& f) { f.krit[1] = Krit(1, 0, 2, 5); };
  auto typeRow = [](T_Filter& f) { f.krit[2] = Krit(1, 13, 0, 0); };
  auto noAddress = [](T_Filter& f) { f.ip = Krit(1, 1, 0, 0); };
  RunMatchCases(DefaultAllgPar(), {
      {"number outside the range, even for an event", numberRow, event, false},
      {"number inside the range", numberRow, With(single, [](T_Telegramm& t) { t.nr = 55; }), true},
      {"before the lower time bound",
       [](T_Filter& f) { f.vonein = 1, f.von = 46001; }, event, false},
      {"after the upper time bound", [](T_Filter& f) { f.bisein = 1, f.bis = 46000; }, event, false},
      {"time bound not in force", [](T_Filter& f) { f.bis = 46000; }, event, true},
      {"an event passes length, source, status and class checks",
       [&](T_Filter& f) { lengthRow(f), f.tken = 2, f.ffehl = 1, f.tart = TartI; }, event, true},
      {"length outside the range, even for a faulty telegram", lengthRow, faulty, false},
      {"second port not admitted", [](T_Filter& f) { f.tken = 1; },
       With(single, [](T_Telegramm& t) { t.ek = kReceiverPort2; }), false},
      {"second port admitted", [](T_Filter& f) { f.tken = 2; },
       With(single, [](T_Telegramm& t) { t.ek = kReceiverPort2; }), true},
      {"error-free only", [](T_Filter& f) { f.fok = 1; }, faulty, false},
      {"faulty only", [](T_Filter& f) { f.ffehl = 1; }, single, false},
      {"faulty only, faulty telegram", [](T_Filter& f) { f.ffehl = 1; }, faulty, true},
      {"a faulty telegram passes class, address and ASDU criteria",
       [&](T_Filter& f) { f.tart = TartI, noAddress(f), typeRow(f); }, faulty, true},
      {"a text line passes class, address and ASDU criteria",
       [&](T_Filter& f) { f.tart = TartI, noAddress(f), typeRow(f); }, text, true},
      {"class not in the mask", [](T_Filter& f) { f.tart = TartI; }, ack, false},
      {"class in the mask", [](T_Filter& f) { f.tart = TartS; }, ack, true},
      {"ASDU criterion rejects S format even with its class bit", typeRow, ack, false},
      {"ASDU criterion met", typeRow, ITelegram(13, 1, 3, 1, {0x10, 0, 0, 1, 2, 3, 4, 0}), true},
      {"ASDU criterion missed", typeRow, single, false},
      {"a cause row sees the negative bit but not the test bit",
       [](T_Filter& f) { f.krit[3] = Krit(1, kCauseNegative | 3, 0, 0); },
       ITelegram(1, 1, kCauseTest | kCauseNegative | 3, 1, SinglePoints({1})), true},
  });
}

TEST(FilterMatch, UFormatClassBitsFollowTheFunction) {
  const T_Telegramm startAct = ApduTelegram(TaUFormat, sim::UApdu(0x07));
  const T_Telegramm testAct = ApduTelegram(TaUFormat, sim::UApdu(0x43));
  const T_Telegramm testCon = ApduTelegram(TaUFormat, sim::UApdu(0x83));
  RunMatchCases(DefaultAllgPar(), {
      {"STARTDT with start bit", [](T_Filter& f) { f.tart = TartStart; }, startAct, true},
      {"STARTDT without start bit", [](T_Filter& f) { f.tart = TartTest; }, startAct, false},
      {"TESTFR act with test bit", [](T_Filter& f) { f.tart = TartTest; }, testAct, true},
      {"TESTFR act without test bit", [](T_Filter& f) { f.tart = TartStart; }, testAct, false},
      {"TESTFR con with test bit", [](T_Filter& f) { f.tart = TartTest; }, testCon, true},
  });
}

TEST(FilterMatch, ObjectAddressCriteriaNeedOneMatchingObject) {
  auto ioaRow = [](T_Filter& f) { f.krit[6] = Krit(1, 2000, 2, 2999); };
  RunMatchCases(DefaultAllgPar(), {
      {"the second object matches", ioaRow, ITelegram(1, 2, 3, 1, SinglePoints({1000, 2500})), true},
      {"no object matches", ioaRow, ITelegram(1, 2, 3, 1, SinglePoints({1000, 3000})), false},
      {"no objects at all", ioaRow, ITelegram(1, 0, 20, 1, {}), true},
      {"a sequence counts up into the range", ioaRow,
       ITelegram(1, kStructureSq | 3, 3, 1, {0xCE, 0x07, 0x00, 1, 1, 1}), true},  // 1998, 1999, 2000
      {"a type row must hold as well",
       [&](T_Filter& f) { ioaRow(f), f.krit[2] = Krit(1, 13, 0, 0); },
       ITelegram(1, 1, 3, 1, SinglePoints({2500})), false},
  });
}

TEST(FilterMatch, AddressCriterion) {
  auto range = [](T_Filter& f) {  // 192.168.1.1 .. 192.168.1.100 in the stored form
    f.ip = Krit(1, Stored({192, 168, 1, 1}), 2, Stored({192, 168, 1, 100}));
  };
  auto centre = [](T_Filter& f) { f.ip = Krit(1, Stored(kControlCentre), 0, 0); };
  auto other = [](T_Filter& f) { f.ip = Krit(1, Stored({10, 0, 0, 2}), 0, 0); };
  const T_Telegramm single = ITelegram(1, 1, 3, 1, SinglePoints({1000}));
  T_Telegramm noIdentity = single;
  noIdentity.idm = 0;
  noIdentity.lg -= 12;
  T_Telegramm elsewhere = single;
  const uint8_t far[4] = {192, 168, 2, 5};
  std::memcpy(elsewhere.b + elsewhere.lg - 12, far, 4);
  T_Telegramm shortIdentity = single;
  shortIdentity.idm = 4;

  // A raw frame as it came from the line: every control octet escaped, so
  // the IPv4 header lies further into `b` than the unstuffed offset says.
  sim::TcpIpHeader h;
  std::memcpy(h.src, kStation, 4);
  std::memcpy(h.dst, kControlCentre, 4);
  h.srcPort = 2404;
  h.dstPort = 40000;
  const Bytes apdu = sim::SApdu(1);
  Bytes line;
  sim::AppendPppFrame(line, kProtoIp, sim::BuildTcpIpDatagram(h, apdu.data(), apdu.size()).data(),
                      apdu.size() + 40, sim::PppFraming{}, true);
  T_Telegramm frame = Telegram(TaRaw104, StatOk);
  std::memcpy(frame.b, line.data(), line.size());
  frame.lg = static_cast<int16_t>(line.size());
  frame.prot = kProtoIp;
  frame.ofs = 5;  // flag, address, control, two protocol octets
  T_Telegramm cutFrame = frame;
  cutFrame.lg = 20;
  T_Telegramm vjCompressed = frame;
  vjCompressed.prot = kProtoVjCompressed;

  RunMatchCases(DefaultAllgPar(), {
      {"destination of the identity", centre, single, true},
      {"source of the identity", range, single, true},
      {"neither address", other, single, false},
      {"an APDU without identity passes", other, noIdentity, true},
      {"an identity too short for the addresses", centre, shortIdentity, false},
      {"the last octet weighs most", range, elsewhere, true},
      {"an event passes before the address check", other, Telegram(TaEvent, StatMessage), true},
      {"raw frame: the header's destination", centre, frame, true},
      {"raw frame: neither address", other, frame, false},
      {"raw frame cut before the addresses", centre, cutFrame, false},
      {"compressed frame has no addresses", centre, vjCompressed, false},
  });
}

TEST(ViewAdmits, DisplayFilterOffFollowsTheViewOptions) {
  struct Case {
    uint8_t ta, stat;
    bool nur104, mitlink, admitted;
  } cases[] = {
      {TaRaw, StatOk, false, true, true},          {TaRaw, StatOk, true, true, false},
      {TaRaw, StatTextLine, true, true, false},    {TaRaw, StatTimeout, true, true, true},  // faulty stays
      {TaIFormat, StatOk, true, false, true},      {TaSFormat, StatOk, false, false, false},
      {TaUFormat, StatOk, false, false, false},    {TaRaw104, StatOk, false, false, false},
      {TaRaw104, StatFragment, false, false, false}, {TaSFormat, StatLengthError, false, false, true},
      {TaSFormat, StatOk, false, true, true},      {TaEvent, StatPortOpened, true, false, true},
  };
  for (const Case& c : cases) {
    TestMonitor tm;
    tm->PrgPar.nur104 = c.nur104;
    tm->PrgPar.mitlink = c.mitlink;
    T_Telegramm t = Telegram(c.ta, c.stat);
    t.lga = static_cast<uint16_t>(RecordLength(t.lg));
    EXPECT_EQ(ViewAdmits(tm->PrgPar, tm->AllgPar, 1, t), c.admitted)
        << int(c.ta) << "/" << int(c.stat) << " nur104 " << c.nur104 << " mitlink " << c.mitlink;
  }
  TestMonitor tm;
  T_Telegramm empty{};
  empty.ta = TaIFormat;
  empty.stat = StatOk;
  EXPECT_FALSE(ViewAdmits(tm->PrgPar, tm->AllgPar, 1, empty)) << "an empty slot is never shown";
}

TEST(ViewAdmits, DisplayFilterOnKeepsTheViewOptions) {
  struct Case {
    const char* what;
    T_Telegramm t;
    bool nur104, mitlink, admitted;
  } cases[] = {
      {"port 1 telegram", ITelegram(1, 1, 3, 1, SinglePoints({1})), false, true, true},
      {"port 2 telegram", With(ITelegram(1, 1, 3, 1, SinglePoints({1})), [](T_Telegramm& t) { t.ek = 3; }),
       false, true, false},
      {"S format without the link layer", ApduTelegram(TaSFormat, sim::SApdu(1)), false, false, false},
      {"S format with the link layer", ApduTelegram(TaSFormat, sim::SApdu(1)), false, true, true},
      {"faulty S format without the link layer",
       ApduTelegram(TaSFormat, {kApduStart, 9, 1, 0, 0, 0}, StatLengthError), false, false, true},
      {"raw frame with only IEC 104", Telegram(TaRaw, StatOk), true, true, false},
  };
  for (const Case& c : cases) {
    TestMonitor tm;
    tm->PrgPar.nur104 = c.nur104;
    tm->PrgPar.mitlink = c.mitlink;
    tm->AllgPar.afilt.tken = 1;
    FilterNormalise(tm->AllgPar.afilt, tm->AllgPar);
    tm->AllgPar.afilt.ein = 1;
    T_Telegramm t = c.t;
    t.lga = static_cast<uint16_t>(RecordLength(t.lg));
    EXPECT_EQ(ViewAdmits(tm->PrgPar, tm->AllgPar, 1, t), c.admitted) << c.what;
  }
}

}  // namespace
}  // namespace qlxs
