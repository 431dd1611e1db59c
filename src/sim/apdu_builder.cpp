#include "sim/apdu_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/apdu.h"
#include "model/date_time.h"

namespace qlxs::sim {

namespace {

void Le16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Le24(Bytes& out, uint32_t v) {
  Le16(out, static_cast<uint16_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 16));
}

void Le32(Bytes& out, uint32_t v) {
  Le16(out, static_cast<uint16_t>(v));
  Le16(out, static_cast<uint16_t>(v >> 16));
}

// Quality descriptor: mostly good, now and then one remark.
uint8_t Quality(Rng& rng) {
  static constexpr uint8_t kRemarks[] = {0x01, 0x10, 0x20, 0x40, 0x80};
  return rng.Percent(90) ? 0 : kRemarks[rng.Below(5)];
}

void Cp24(Bytes& out, double dt, std::vector<int>* time) {
  const DateTimeParts p = DecodeDateTime(dt);
  const int ms = p.second * 1000 + p.millisecond;
  Le16(out, static_cast<uint16_t>(ms));
  out.push_back(static_cast<uint8_t>(p.minute));
  if (time) *time = {ms, p.minute};
}

uint16_t Cp16(Bytes& out, Rng& rng) {
  const auto ms = static_cast<uint16_t>(rng.Below(3000));
  Le16(out, ms);
  return ms;
}

float Float(Bytes& out, Rng& rng) {
  const float f = static_cast<float>(rng.Between(-100000, 100000)) / 100.0f;
  uint32_t v;
  std::memcpy(&v, &f, 4);
  Le32(out, v);
  return f;
}

int16_t Nva(Bytes& out, Rng& rng) {
  const auto v = static_cast<int16_t>(rng.Between(-32768, 32767));
  Le16(out, static_cast<uint16_t>(v));
  return v;
}
uint32_t Bsi(Bytes& out, Rng& rng) {
  const uint32_t v = static_cast<uint32_t>(rng.Below(0x10000)) << 16 | rng.Below(0x10000);
  Le32(out, v);
  return v;
}
// A binary counter reading: the value and the sequence octet.
std::pair<int32_t, uint8_t> Bcr(Bytes& out, Rng& rng) {
  const auto v = static_cast<int32_t>(rng.Below(1000000));
  Le32(out, static_cast<uint32_t>(v));
  const auto seq = static_cast<uint8_t>(rng.Below(32));
  out.push_back(seq);
  return {v, seq};
}
uint8_t Siq(Rng& rng) { return static_cast<uint8_t>(rng.Below(2) | (Quality(rng) & 0xF0)); }
uint8_t Diq(Rng& rng) { return static_cast<uint8_t>((rng.Percent(95) ? 1 + rng.Below(2) : rng.Below(4)) | (Quality(rng) & 0xF0)); }
uint8_t Vti(Rng& rng) { return static_cast<uint8_t>(rng.Below(128) | (rng.Percent(10) ? 0x80 : 0)); }
uint8_t Command(Rng& rng, uint8_t states) {
  // state in bits 0-1, qualifier 0 (no further definition), select/execute in bit 7
  return static_cast<uint8_t>((states == 1 ? rng.Below(2) : 1 + rng.Below(2)) | (rng.Percent(30) ? 0x80 : 0));
}
uint16_t FileId(Bytes& out, Rng& rng) {
  const auto nof = static_cast<uint16_t>(1 + rng.Below(20));
  Le16(out, nof);
  return nof;
}

// Where the fields of one element go: nowhere unless a record is asked for.
struct Recorder {
  ObjectRecord* r;
  template <typename... T>
  void operator()(T... values) const {
    if (r) (r->fields.push_back(static_cast<double>(values)), ...);
  }
  std::vector<int>* Time() const { return r ? &r->time : nullptr; }
};

// A status octet as the fields of its state (the bits of `state`) and of
// its other bits.
void StatusOctet(const Recorder& rec, uint8_t octet, uint8_t state) {
  rec(octet & state, octet & ~state & 0xFF);
}

}  // namespace

Bytes UApdu(uint8_t function) { return {kApduStart, kApciLength, function, 0x00, 0x00, 0x00}; }

Bytes SApdu(uint16_t nr) {
  const uint16_t r = static_cast<uint16_t>((nr & 0x7FFF) << 1);
  return {kApduStart, kApciLength, kApciNotI, 0x00, static_cast<uint8_t>(r), static_cast<uint8_t>(r >> 8)};
}

Bytes IApdu(uint16_t ns, uint16_t nr, const Asdu& a) {
  Bytes out;
  out.reserve(kApduHeaderSize + a.objects.size());
  out.push_back(kApduStart);
  out.push_back(static_cast<uint8_t>(kApduHeaderSize - kApduFrameOctets + a.objects.size()));
  Le16(out, static_cast<uint16_t>((ns & 0x7FFF) << 1));
  Le16(out, static_cast<uint16_t>((nr & 0x7FFF) << 1));
  out.push_back(a.typ);
  out.push_back(static_cast<uint8_t>((a.sq ? kStructureSq : 0) | (a.n & kStructureCount)));
  out.push_back(a.cot);
  out.push_back(a.ori);
  Le16(out, a.ca);
  out.insert(out.end(), a.objects.begin(), a.objects.end());
  return out;
}

void AppendCp56(Bytes& out, double dt, std::vector<int>* time) {
  const DateTimeParts p = DecodeDateTime(dt);
  const int ms = p.second * 1000 + p.millisecond;
  Le16(out, static_cast<uint16_t>(ms));
  out.push_back(static_cast<uint8_t>(p.minute));
  out.push_back(static_cast<uint8_t>(p.hour));
  // 30 December 1899 was a Saturday; day of week 1 = Monday.
  const int dow = static_cast<int>((static_cast<long>(std::floor(dt)) % 7 + 7 + 5) % 7) + 1;
  const int day = p.day | dow << 5;
  out.push_back(static_cast<uint8_t>(day));
  out.push_back(static_cast<uint8_t>(p.month));
  out.push_back(static_cast<uint8_t>(p.year % 100));
  if (time) *time = {ms, p.minute, p.hour, day, p.month, p.year % 100};
}

bool AppendElement(Bytes& out, uint8_t typ, Rng& rng, double dt, ObjectRecord* record) {
  const Recorder rec{record};
  std::vector<int>* const time = rec.Time();
  // The element kinds that several types share.
  const auto siq = [&] {
    const uint8_t o = Siq(rng);
    out.push_back(o);
    StatusOctet(rec, o, 0x01);
  };
  const auto diq = [&] {
    const uint8_t o = Diq(rng);
    out.push_back(o);
    StatusOctet(rec, o, 0x03);
  };
  const auto vtiQds = [&] {
    const uint8_t v = Vti(rng);
    out.push_back(v);
    const uint8_t q = Quality(rng);
    out.push_back(q);
    rec(v, q);
  };
  const auto bsiQds = [&] {
    const uint32_t v = Bsi(out, rng);
    const uint8_t q = Quality(rng);
    out.push_back(q);
    rec(v, q);
  };
  const auto nvaQds = [&] {
    const int16_t v = Nva(out, rng);
    const uint8_t q = Quality(rng);
    out.push_back(q);
    rec(v, q);
  };
  const auto floatQds = [&] {
    const float v = Float(out, rng);
    const uint8_t q = Quality(rng);
    out.push_back(q);
    rec(v, q);
  };
  const auto bcr = [&] {
    const auto [v, seq] = Bcr(out, rng);
    rec(v, seq);
  };
  const auto elapsedState = [&] {  // SEP of a single protection event, and CP16
    const auto o = static_cast<uint8_t>(1 + rng.Below(2));
    out.push_back(o);
    StatusOctet(rec, o, 0x03);
    rec(Cp16(out, rng));
  };
  const auto protection = [&] {  // SPE or OCI, QDP, CP16
    const auto e = static_cast<uint8_t>(1 << rng.Below(4));
    out.push_back(e);
    const auto q = static_cast<uint8_t>(Quality(rng) & 0xF1);
    out.push_back(q);
    rec(e, q, Cp16(out, rng));
  };
  const auto command = [&](uint8_t states, uint8_t stateBits) {
    const uint8_t o = Command(rng, states);
    out.push_back(o);
    StatusOctet(rec, o, stateBits);
  };
  // A set-point value and its qualifier octet, drawn in that order.
  const auto setpoint = [&](auto value, auto qualifier) {
    const double v = value(out, rng);
    const uint8_t q = qualifier();
    out.push_back(q);
    rec(v, q);
  };
  const auto noQualifier = [] { return uint8_t{0}; };
  const auto qpm = [&] { return static_cast<uint8_t>(1 + rng.Below(4)); };
  const auto octet = [&](uint8_t o) {
    out.push_back(o);
    rec(o);
  };
  const auto nof = [&] { rec(FileId(out, rng)); };
  const auto le24 = [&](uint32_t v) {
    Le24(out, v);
    rec(v);
  };

  switch (typ) {
    case 1: siq(); break;
    case 2: siq(); Cp24(out, dt, time); break;
    case 3: diq(); break;
    case 4: diq(); Cp24(out, dt, time); break;
    case 5: vtiQds(); break;
    case 6: vtiQds(); Cp24(out, dt, time); break;
    case 7: case 20: bsiQds(); break;
    case 8: bsiQds(); Cp24(out, dt, time); break;
    case 9: case 11: nvaQds(); break;
    case 10: case 12: nvaQds(); Cp24(out, dt, time); break;
    case 13: floatQds(); break;
    case 14: floatQds(); Cp24(out, dt, time); break;
    case 15: bcr(); break;
    case 16: bcr(); Cp24(out, dt, time); break;
    case 17: elapsedState(); Cp24(out, dt, time); break;
    case 18: case 19: protection(); Cp24(out, dt, time); break;
    case 21: rec(Nva(out, rng)); break;
    case 30: siq(); AppendCp56(out, dt, time); break;
    case 31: diq(); AppendCp56(out, dt, time); break;
    case 32: vtiQds(); AppendCp56(out, dt, time); break;
    case 33: bsiQds(); AppendCp56(out, dt, time); break;
    case 34: case 35: nvaQds(); AppendCp56(out, dt, time); break;
    case 36: floatQds(); AppendCp56(out, dt, time); break;
    case 37: bcr(); AppendCp56(out, dt, time); break;
    case 38: elapsedState(); AppendCp56(out, dt, time); break;
    case 39: case 40: protection(); AppendCp56(out, dt, time); break;
    case 45: command(1, 0x01); break;
    case 46: case 47: command(2, 0x03); break;
    case 48: case 49: setpoint(Nva, noQualifier); break;
    case 50: setpoint(Float, noQualifier); break;
    case 51: rec(Bsi(out, rng)); break;
    case 58: command(1, 0x01); AppendCp56(out, dt, time); break;
    case 59: case 60: command(2, 0x03); AppendCp56(out, dt, time); break;
    case 61: case 62: setpoint(Nva, noQualifier); AppendCp56(out, dt, time); break;
    case 63: setpoint(Float, noQualifier); AppendCp56(out, dt, time); break;
    case 64: rec(Bsi(out, rng)); AppendCp56(out, dt, time); break;
    case 70: {  // cause of initialisation, no parameter change
      const auto coi = static_cast<uint8_t>(rng.Below(3));
      out.push_back(coi);
      StatusOctet(rec, coi, 0x03);
      break;
    }
    case 100: octet(20); break;  // station interrogation
    case 101: octet(5); break;   // general counter request, read
    case 102: break;
    case 103: AppendCp56(out, dt, time); break;
    case 104: Le16(out, 0x55AA); rec(0x55AA); break;
    case 105: octet(1); break;   // general reset of the process
    case 107: {
      const auto tsc = static_cast<uint16_t>(rng.Below(0x10000));
      Le16(out, tsc);
      rec(tsc);
      AppendCp56(out, dt, time);
      break;
    }
    case 110: case 111: setpoint(Nva, qpm); break;
    case 112: setpoint(Float, qpm); break;
    case 113: {  // qualifier of parameter activation
      const auto qpa = static_cast<uint8_t>(1 + rng.Below(3));
      out.push_back(qpa);
      StatusOctet(rec, qpa, 0x03);
      break;
    }
    case 120: nof(); le24(1000 + rng.Below(50000)); octet(0); break;
    case 121: nof(); octet(1); le24(200 + rng.Below(2000)); octet(0); break;
    case 122: nof(); octet(static_cast<uint8_t>(rng.Below(3))); octet(static_cast<uint8_t>(1 + rng.Below(6))); break;
    case 123: nof(); octet(1); octet(static_cast<uint8_t>(1 + rng.Below(4))); octet(rng.Octet()); break;
    case 124: nof(); octet(1); octet(static_cast<uint8_t>(1 + rng.Below(4))); break;
    case 125: {
      nof();
      octet(1);
      const int los = rng.Between(1, 200);
      octet(static_cast<uint8_t>(los));
      for (int i = 0; i < los; ++i) out.push_back(rng.Octet());
      break;
    }
    case 126:
      nof();
      le24(1000 + rng.Below(50000));
      octet(static_cast<uint8_t>(rng.Percent(80) ? 0 : 0x20));  // last file of the directory
      AppendCp56(out, dt, time);
      break;
    default: return false;
  }
  return true;
}

int MaxObjects(uint8_t typ, bool sq) {
  if (typ == 125) return 1;
  Rng probe(0);
  Bytes e;
  AppendElement(e, typ, probe, 0);
  const int s = static_cast<int>(e.size());
  const int n = sq ? (s ? (255 - 15) / s : 1) : (255 - 12) / (3 + s);
  return std::min(n, 127);
}

Asdu MakeAsdu(uint8_t typ, bool sq, int n, uint8_t cot, uint16_t ca, uint32_t ioa, Rng& rng, double dt) {
  Asdu a;
  a.typ = typ;
  a.sq = sq;
  a.cot = cot;
  a.ca = ca;
  a.n = static_cast<uint8_t>(std::clamp(n, 1, MaxObjects(typ, sq)));
  a.values.resize(a.n);
  if (sq) Le24(a.objects, ioa);
  for (int i = 0; i < a.n; ++i) {
    ObjectRecord& v = a.values[static_cast<size_t>(i)];
    v.ioa = ioa + static_cast<uint32_t>(i);
    if (!sq) Le24(a.objects, v.ioa);
    AppendElement(a.objects, typ, rng, dt, &v);
  }
  return a;
}

Asdu MakeSegment(uint8_t cot, uint16_t ca, uint32_t ioa, uint16_t nof, uint8_t nos, int length, Rng& rng) {
  Asdu a;
  a.typ = 125;
  a.cot = cot;
  a.ca = ca;
  const auto los = static_cast<uint8_t>(std::clamp(length, 1, kMaxSegmentLength));
  Le24(a.objects, ioa);
  Le16(a.objects, nof);
  a.objects.push_back(nos);
  a.objects.push_back(los);
  for (int i = 0; i < los; ++i) a.objects.push_back(rng.Octet());
  a.values.push_back({ioa, {static_cast<double>(nof), static_cast<double>(nos), static_cast<double>(los)}, {}});
  return a;
}

}  // namespace qlxs::sim
