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

void Cp24(Bytes& out, double dt) {
  const DateTimeParts p = DecodeDateTime(dt);
  Le16(out, static_cast<uint16_t>(p.second * 1000 + p.millisecond));
  out.push_back(static_cast<uint8_t>(p.minute));
}

void Cp16(Bytes& out, Rng& rng) { Le16(out, static_cast<uint16_t>(rng.Below(3000))); }

void Float(Bytes& out, Rng& rng) {
  const float f = static_cast<float>(rng.Between(-100000, 100000)) / 100.0f;
  uint32_t v;
  std::memcpy(&v, &f, 4);
  Le32(out, v);
}

void Nva(Bytes& out, Rng& rng) { Le16(out, static_cast<uint16_t>(rng.Between(-32768, 32767))); }
void Bsi(Bytes& out, Rng& rng) { Le32(out, static_cast<uint32_t>(rng.Below(0x10000)) << 16 | rng.Below(0x10000)); }
void Bcr(Bytes& out, Rng& rng) {
  Le32(out, rng.Below(1000000));
  out.push_back(static_cast<uint8_t>(rng.Below(32)));
}
uint8_t Siq(Rng& rng) { return static_cast<uint8_t>(rng.Below(2) | (Quality(rng) & 0xF0)); }
uint8_t Diq(Rng& rng) { return static_cast<uint8_t>((rng.Percent(95) ? 1 + rng.Below(2) : rng.Below(4)) | (Quality(rng) & 0xF0)); }
uint8_t Vti(Rng& rng) { return static_cast<uint8_t>(rng.Below(128) | (rng.Percent(10) ? 0x80 : 0)); }
uint8_t Command(Rng& rng, uint8_t states) {
  // state in bits 0-1, qualifier 0 (no further definition), select/execute in bit 7
  return static_cast<uint8_t>((states == 1 ? rng.Below(2) : 1 + rng.Below(2)) | (rng.Percent(30) ? 0x80 : 0));
}
void FileId(Bytes& out, Rng& rng) { Le16(out, static_cast<uint16_t>(1 + rng.Below(20))); }

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

void AppendCp56(Bytes& out, double dt) {
  const DateTimeParts p = DecodeDateTime(dt);
  Le16(out, static_cast<uint16_t>(p.second * 1000 + p.millisecond));
  out.push_back(static_cast<uint8_t>(p.minute));
  out.push_back(static_cast<uint8_t>(p.hour));
  // 30 December 1899 was a Saturday; day of week 1 = Monday.
  const int dow = static_cast<int>((static_cast<long>(std::floor(dt)) % 7 + 7 + 5) % 7) + 1;
  out.push_back(static_cast<uint8_t>(p.day | dow << 5));
  out.push_back(static_cast<uint8_t>(p.month));
  out.push_back(static_cast<uint8_t>(p.year % 100));
}

bool AppendElement(Bytes& out, uint8_t typ, Rng& rng, double dt) {
  switch (typ) {
    case 1: out.push_back(Siq(rng)); break;
    case 2: out.push_back(Siq(rng)); Cp24(out, dt); break;
    case 3: out.push_back(Diq(rng)); break;
    case 4: out.push_back(Diq(rng)); Cp24(out, dt); break;
    case 5: out.push_back(Vti(rng)); out.push_back(Quality(rng)); break;
    case 6: out.push_back(Vti(rng)); out.push_back(Quality(rng)); Cp24(out, dt); break;
    case 7: Bsi(out, rng); out.push_back(Quality(rng)); break;
    case 8: Bsi(out, rng); out.push_back(Quality(rng)); Cp24(out, dt); break;
    case 9: case 11: Nva(out, rng); out.push_back(Quality(rng)); break;
    case 10: case 12: Nva(out, rng); out.push_back(Quality(rng)); Cp24(out, dt); break;
    case 13: Float(out, rng); out.push_back(Quality(rng)); break;
    case 14: Float(out, rng); out.push_back(Quality(rng)); Cp24(out, dt); break;
    case 15: Bcr(out, rng); break;
    case 16: Bcr(out, rng); Cp24(out, dt); break;
    case 17: out.push_back(static_cast<uint8_t>(1 + rng.Below(2))); Cp16(out, rng); Cp24(out, dt); break;
    case 18: case 19:
      out.push_back(static_cast<uint8_t>(1 << rng.Below(4)));
      out.push_back(Quality(rng) & 0xF1);
      Cp16(out, rng);
      Cp24(out, dt);
      break;
    case 20: Bsi(out, rng); out.push_back(Quality(rng)); break;
    case 21: Nva(out, rng); break;
    case 30: out.push_back(Siq(rng)); AppendCp56(out, dt); break;
    case 31: out.push_back(Diq(rng)); AppendCp56(out, dt); break;
    case 32: out.push_back(Vti(rng)); out.push_back(Quality(rng)); AppendCp56(out, dt); break;
    case 33: Bsi(out, rng); out.push_back(Quality(rng)); AppendCp56(out, dt); break;
    case 34: case 35: Nva(out, rng); out.push_back(Quality(rng)); AppendCp56(out, dt); break;
    case 36: Float(out, rng); out.push_back(Quality(rng)); AppendCp56(out, dt); break;
    case 37: Bcr(out, rng); AppendCp56(out, dt); break;
    case 38: out.push_back(static_cast<uint8_t>(1 + rng.Below(2))); Cp16(out, rng); AppendCp56(out, dt); break;
    case 39: case 40:
      out.push_back(static_cast<uint8_t>(1 << rng.Below(4)));
      out.push_back(Quality(rng) & 0xF1);
      Cp16(out, rng);
      AppendCp56(out, dt);
      break;
    case 45: out.push_back(Command(rng, 1)); break;
    case 46: case 47: out.push_back(Command(rng, 2)); break;
    case 48: case 49: Nva(out, rng); out.push_back(0); break;
    case 50: Float(out, rng); out.push_back(0); break;
    case 51: Bsi(out, rng); break;
    case 58: out.push_back(Command(rng, 1)); AppendCp56(out, dt); break;
    case 59: case 60: out.push_back(Command(rng, 2)); AppendCp56(out, dt); break;
    case 61: case 62: Nva(out, rng); out.push_back(0); AppendCp56(out, dt); break;
    case 63: Float(out, rng); out.push_back(0); AppendCp56(out, dt); break;
    case 64: Bsi(out, rng); AppendCp56(out, dt); break;
    case 70: out.push_back(static_cast<uint8_t>(rng.Below(3))); break;
    case 100: out.push_back(20); break;  // station interrogation
    case 101: out.push_back(5); break;   // general counter request, read
    case 102: break;
    case 103: AppendCp56(out, dt); break;
    case 104: Le16(out, 0x55AA); break;
    case 105: out.push_back(1); break;   // general reset of the process
    case 107: Le16(out, static_cast<uint16_t>(rng.Below(0x10000))); AppendCp56(out, dt); break;
    case 110: case 111: Nva(out, rng); out.push_back(static_cast<uint8_t>(1 + rng.Below(4))); break;
    case 112: Float(out, rng); out.push_back(static_cast<uint8_t>(1 + rng.Below(4))); break;
    case 113: out.push_back(static_cast<uint8_t>(1 + rng.Below(3))); break;
    case 120: FileId(out, rng); Le24(out, 1000 + rng.Below(50000)); out.push_back(0); break;
    case 121: FileId(out, rng); out.push_back(1); Le24(out, 200 + rng.Below(2000)); out.push_back(0); break;
    case 122: FileId(out, rng); out.push_back(static_cast<uint8_t>(rng.Below(3))); out.push_back(1 + rng.Below(6)); break;
    case 123: FileId(out, rng); out.push_back(1); out.push_back(1 + rng.Below(4)); out.push_back(rng.Octet()); break;
    case 124: FileId(out, rng); out.push_back(1); out.push_back(1 + rng.Below(4)); break;
    case 125: {
      FileId(out, rng);
      out.push_back(1);
      const int los = rng.Between(1, 200);
      out.push_back(static_cast<uint8_t>(los));
      for (int i = 0; i < los; ++i) out.push_back(rng.Octet());
      break;
    }
    case 126:
      FileId(out, rng);
      Le24(out, 1000 + rng.Below(50000));
      out.push_back(static_cast<uint8_t>(rng.Percent(80) ? 0 : 0x20));  // last file of the directory
      AppendCp56(out, dt);
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
  if (sq) {
    Le24(a.objects, ioa);
    for (int i = 0; i < a.n; ++i) AppendElement(a.objects, typ, rng, dt);
  } else {
    for (int i = 0; i < a.n; ++i) {
      Le24(a.objects, ioa + static_cast<uint32_t>(i));
      AppendElement(a.objects, typ, rng, dt);
    }
  }
  return a;
}

}  // namespace qlxs::sim
