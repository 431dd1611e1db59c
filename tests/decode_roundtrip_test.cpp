// Decoding agrees with encoding: the line simulator sends every defined
// type (single objects, several, as many as an APDU holds, sequences, every
// command with positive and negative confirmations, a whole file transfer,
// some with the test bit), the receivers store what they see, and the
// export lines of every stored I-format APDU give back, field by field, the
// values the simulator put into it.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "iec104/type_table.h"
#include "model/apdu.h"
#include "render/render.h"
#include "sim/apdu_builder.h"
#include "sim/line_simulator.h"
#include "support/capture_fixture.h"
#include "support/sim_compare.h"

namespace qlxs {
namespace {

using Fields = std::vector<std::string>;

// Fields of the first line of an I-format APDU, counted from 0.
constexpr size_t kSnr = 8, kRnr = 9, kTyp = 11, kStruk = 12, kCot = 13, kOri = 14, kCa = 15;
constexpr size_t kShared = 2;   // fields 2 .. 15 are repeated on every object line
constexpr size_t kIoa = 16;     // then the object address and its name
constexpr size_t kElement = 18; // then the element's fields and its time fields
// A dump line: number, line, 18 empty fields, the dump.
constexpr size_t kDumpText = 20;

// The line split at the separator; a line that ends with one has no
// empty field after it.
Fields Split(const std::string& line, char tz) {
  Fields f;
  size_t start = 0;
  for (size_t p; (p = line.find(tz, start)) != std::string::npos; start = p + 1) f.push_back(line.substr(start, p - start));
  if (start < line.size()) f.push_back(line.substr(start));
  return f;
}

// The export lines of a stored telegram.
std::vector<Fields> ExportLines(LogState& m, const T_Telegramm& t) {
  T_TeleAusgabe c;
  BeginTelegram(m, c, t);
  std::string text;
  for (int guard = 0; guard < 1000; ++guard) {
    const std::string& piece = NextLines(m, c);
    if (piece.empty()) break;
    AppendPieceLines(text, piece, "\n");
  }
  std::vector<Fields> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(Split(line, m.AllgVar.tz));
  return lines;
}

// The octets of the hexadecimal part of a dump.
sim::Bytes DumpOctets(const std::string& dump) {
  sim::Bytes b;
  std::istringstream in(dump.substr(0, kHexDumpCharColumn));
  for (std::string hex; in >> hex;) b.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
  return b;
}

// How the export writes a value whose field is not the plain number the
// simulator recorded: a float as a decimal text that reads back as that
// float, a 32-bit bit string as a signed number.
enum class Kind { Plain, Real, Bits32 };
Kind KindOf(int typ, size_t field) {
  if (field != 0) return Kind::Plain;
  switch (typ) {
    case 13: case 36: case 50: case 63: case 112: return Kind::Real;
    case 7: case 20: case 33: case 51: case 64: return Kind::Bits32;
    default: return Kind::Plain;
  }
}

bool Same(const std::string& text, double want, Kind kind) {
  char* end = nullptr;
  const double got = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') return false;
  switch (kind) {
    case Kind::Real: return static_cast<float>(got) == static_cast<float>(want);
    case Kind::Bits32: return got == static_cast<int32_t>(static_cast<uint32_t>(want));
    case Kind::Plain: return got == want;
  }
  return false;
}

// Octets of the element that the first line of a file transfer APDU shows
// as fields; the rest of the APDU follows as dump lines.
int FileFieldOctets(int typ) {
  switch (typ) {
    case 120: return 6;  // NOF, LOF, FRQ
    case 121: return 7;  // NOF, NOS, LOF, SRQ
    case 122: case 124: case 125: return 4;  // NOF, NOS, SCQ / AFQ / LOS
    case 123: return 5;  // NOF, NOS, LSQ, CHS
    case 126: return 6;  // NOF, LOF, SOF
    default: return 0;
  }
}

std::string Text(const Fields& f) {
  std::string s;
  for (const std::string& x : f) s += x + ";";
  return s;
}

// Whether the export lines give back the ASDU `a` sent in `apdu`.
::testing::AssertionResult AgreesWith(const std::vector<Fields>& lines, const sim::Asdu& a, const sim::Bytes& apdu) {
  if (lines.empty()) return ::testing::AssertionFailure() << "no export line";
  const Fields& first = lines[0];
  auto fail = [&](size_t line, const std::string& what) {
    return ::testing::AssertionFailure() << "type " << int(a.typ) << ", line " << line << ": " << what << "\n  "
                                         << Text(lines[line]);
  };
  if (first.size() <= kCa) return fail(0, "too few fields");
  const std::pair<size_t, double> header[] = {
      {kSnr, apdu[2] | apdu[3] << 8}, {kRnr, apdu[4] | apdu[5] << 8}, {kTyp, a.typ},
      {kStruk, (a.sq ? kStructureSq : 0) | a.n}, {kCot, a.cot}, {kOri, a.ori}, {kCa, a.ca}};
  for (const auto& [field, want] : header)
    if (!Same(first[field], want, Kind::Plain)) return fail(0, "field " + std::to_string(field));

  const bool file = FileFieldOctets(a.typ) > 0;
  const size_t objects = file ? 1 : a.values.size();
  if (lines.size() < objects) return fail(0, std::to_string(lines.size()) + " lines for " + std::to_string(objects) + " objects");
  for (size_t i = 0; i < objects; ++i) {
    const Fields& f = lines[i];
    const sim::ObjectRecord& v = a.values[i];
    const size_t time = HasTimeTag(a.typ) ? v.time.size() : 0;
    if (f.size() != kElement + v.fields.size() + time) return fail(i, "wrong number of fields");
    if (f[0] != first[0] || f[1] != std::to_string(i)) return fail(i, "number or object index");
    for (size_t k = kShared; k < kIoa; ++k)
      if (f[k] != first[k]) return fail(i, "shared field " + std::to_string(k));
    if (!Same(f[kIoa], v.ioa, Kind::Plain)) return fail(i, "object address, want " + std::to_string(v.ioa));
    for (size_t k = 0; k < v.fields.size(); ++k)
      if (!Same(f[kElement + k], v.fields[k], KindOf(a.typ, k)))
        return fail(i, "element field " + std::to_string(k) + ", want " + std::to_string(v.fields[k]));
    for (size_t k = 0; k < time; ++k)
      if (!Same(f[kElement + v.fields.size() + k], v.time[k], Kind::Plain))
        return fail(i, "time field " + std::to_string(k) + ", want " + std::to_string(v.time[k]));
  }
  if (!file) {
    if (lines.size() != objects) return fail(objects, "a line more than objects");
    return ::testing::AssertionSuccess();
  }
  // The rest of a file transfer APDU as dump lines, numbered from 1.
  sim::Bytes dumped;
  for (size_t k = 1; k < lines.size(); ++k) {
    const Fields& f = lines[k];
    if (f.size() != kDumpText + 1 || f[0] != first[0] || f[1] != std::to_string(k)) return fail(k, "not a dump line");
    const sim::Bytes b = DumpOctets(f[kDumpText]);
    dumped.insert(dumped.end(), b.begin(), b.end());
  }
  const sim::Bytes rest(apdu.begin() + kApduHeaderSize + kIoaSize + FileFieldOctets(a.typ), apdu.end());
  if (dumped != rest) return fail(lines.size() - 1, "dump " + test::Hex(dumped) + "\n  want " + test::Hex(rest));
  return ::testing::AssertionSuccess();
}

// What the round trip covered, over all simulations.
struct Coverage {
  std::map<int, int> types, sequences;
  int negative = 0, test = 0, longest = 0, longestSegment = 0, reassembled = 0, faultyCause = 0;
};

// Stored telegrams whose ASDU is as the simulator built it: whole or
// reassembled, and those with a cause no type permits.
bool Decodable(uint8_t stat) {
  return stat == StatOk || stat == StatReassembled || stat == StatCauseError || stat == StatUserCause;
}

struct Variant {
  const char* name;
  int splitPercent;
  uint32_t faults;
  bool vj;
};

TEST(DecodeRoundTrip, ExportFieldsGiveBackWhatWasEncoded) {
  std::setlocale(LC_ALL, "C");
  const Variant variants[] = {
      {"plain", 0, 0, false},
      {"split APDUs and faults", 30, sim::kAllFaults, false},
      {"Van Jacobson", 0, 0, true},
  };
  Coverage seen;
  for (const Variant& variant : variants) {
    for (uint32_t seed = 1; seed <= 8; ++seed) {
      sim::SimOptions o;
      o.seed = seed;
      o.apdus = 400;
      o.allTypes = o.recordAsdus = true;
      o.splitPercent = variant.splitPercent;
      o.faults = variant.faults;
      o.faultEvery = 10;
      o.vj = variant.vj;
      const sim::SimResult r = sim::SimulateLine(o);
      test::CaptureFixture fx;
      fx.m.PrgPar.afmt = FmtExport;
      fx.m.AllgPar.afilt.ein = 0;
      sim::Rng rng(seed * 31u + 7);
      test::FeedInRandomBlocks(fx, r, rng, 40);
      for (int line = 0; line < 2; ++line) {
        const std::vector<T_Telegramm> got = test::OfReceiver(fx.stored, line ? 3 : 1);
        const std::vector<sim::ExpectedTelegram>& want = r.expected[line];
        ASSERT_TRUE(test::MatchesPrediction(got, want)) << variant.name << ", seed " << seed;
        for (size_t i = 0; i < want.size(); ++i) {
          if (want[i].asdu < 0 || !Decodable(got[i].stat)) continue;
          const sim::Asdu& a = r.asdus[static_cast<size_t>(want[i].asdu)];
          EXPECT_TRUE(AgreesWith(ExportLines(fx.m, got[i]), a, want[i].data))
              << variant.name << ", seed " << seed << ", line " << line + 1 << ", telegram " << i << "\n  "
              << test::Hex(want[i].data);
          ++seen.types[a.typ];
          if (a.sq) ++seen.sequences[a.typ];
          if (a.cot & kCauseNegative) ++seen.negative;
          if (a.cot & kCauseTest) ++seen.test;
          if (want[i].data[1] == 253) ++seen.longest;
          if (a.typ == 125 && a.values[0].fields[2] == sim::kMaxSegmentLength) ++seen.longestSegment;
          if (got[i].stat == StatReassembled) ++seen.reassembled;
          if (got[i].stat != StatOk && got[i].stat != StatReassembled) ++seen.faultyCause;
        }
      }
    }
  }
  // The simulations covered what the round trip is meant to check.
  for (int typ = 0; typ < 128; ++typ) {
    if (!IsDefinedType(typ)) continue;
    EXPECT_GT(seen.types[typ], 0) << "type " << typ << " never checked";
    if (TypeWord(typ) & kTypeSequence) {
      EXPECT_GT(seen.sequences[typ], 0) << "type " << typ << " never as a sequence";
    }
  }
  EXPECT_GT(seen.negative, 0);
  EXPECT_GT(seen.test, 0);
  EXPECT_GT(seen.longest, 0);
  EXPECT_GT(seen.longestSegment, 0);
  EXPECT_GT(seen.reassembled, 0);
  EXPECT_GT(seen.faultyCause, 0);
}

}  // namespace
}  // namespace qlxs
