#pragma once
/// Builds IEC 60870-5-104 APDUs as a station or a control centre sends
/// them: U-format and S-format control frames and I-format APDUs with
/// realistic information elements of every type, CP56Time2a time tags
/// included. The element layouts are written out per type here, so the
/// lengths they produce are an independent check of the monitor's tables.

#include <cstdint>
#include <random>
#include <vector>

#include "model/apdu.h"
#include "sim/frame_builder.h"

namespace qlxs::sim {

/// A seeded source of random choices; the same seed gives the same line on
/// every platform (only the engine's raw output is used).
class Rng {
 public:
  explicit Rng(uint32_t seed) : engine_(seed) {}
  /// A number from 0 to n - 1 (0 when n is 0).
  uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(engine_() % n) : 0; }
  /// A number from lo to hi inclusive.
  int Between(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<uint32_t>(hi - lo + 1))); }
  /// True with the given chance in percent.
  bool Percent(int pct) { return static_cast<int>(Below(100)) < pct; }
  uint8_t Octet() { return static_cast<uint8_t>(engine_()); }

 private:
  std::mt19937 engine_;
};

/// U-format functions: the first control octet.
enum UFunction : uint8_t {
  kStartDtAct = 0x07,
  kStartDtCon = 0x0B,
  kStopDtAct = 0x13,
  kStopDtCon = 0x23,
  kTestFrAct = 0x43,
  kTestFrCon = 0x83,
};

/// Causes of transmission used by the simulator.
enum Cause : uint8_t {
  kCausePeriodic = 1,
  kCauseBackground = 2,
  kCauseSpontaneous = 3,
  kCauseInitialised = 4,
  kCauseRequest = 5,
  kCauseActivation = 6,
  kCauseActivationCon = 7,
  kCauseDeactivation = 8,
  kCauseDeactivationCon = 9,
  kCauseActivationTerm = 10,
  kCauseFileTransfer = 13,
  kCauseInterrogated = 20,
  kCauseCounterRequest = 37,
};

/// What the builder put into one information object, field by field, so
/// that a test can compare it with what a monitor decodes.
///
/// `fields` holds the element's values in element order, each part of an
/// octet that has its own meaning as a field of its own: a status octet
/// (SIQ, DIQ, SEP, SCO, DCO, RCO, COI, QPA) gives its state (bit 0, or bits
/// 0-1) and then its other bits as they stand; a value gives its number
/// (a bit string as the unsigned 32-bit number, a measured value or a counter
/// reading as the signed number it stands for, a float as itself); a
/// qualifier, quality or sequence octet gives the octet. The file transfer
/// elements give NOF, then NOS where the element has one, LOF, and the last
/// octet(s) of the element (FRQ, SRQ, SCQ, LSQ and CHS, AFQ, LOS, SOF); the
/// segment octets of type 125 are not fields.
struct ObjectRecord {
  uint32_t ioa = 0;              ///< the object's address (address + i for element i of a sequence)
  std::vector<double> fields;    ///< the element's values, as above
  /// The time tag: milliseconds and the minute octet, and for a seven-octet
  /// tag the hour octet, the day octet (weekday in bits 5-7), the month
  /// octet and the year octet. Empty for a type without a time tag.
  std::vector<int> time;
};

/// An ASDU ready to be sent: header fields and the information objects as
/// they go on the line (addresses and elements).
struct Asdu {
  uint8_t typ = 0;
  bool sq = false;    ///< a sequence of elements under one address
  uint8_t n = 1;      ///< number of objects (elements when `sq`)
  uint8_t cot = 0;    ///< cause octet, test and negative bits included
  uint8_t ori = 0;    ///< originator address
  uint16_t ca = 1;    ///< common address
  Bytes objects;      ///< information objects as sent
  /// The values of each object as `MakeAsdu` built them; faults added to
  /// `objects` afterwards are not recorded here.
  std::vector<ObjectRecord> values;
};

/// The APDU of a U-format frame with the given function.
Bytes UApdu(uint8_t function);
/// The APDU of an S-format frame acknowledging up to `nr`.
Bytes SApdu(uint16_t nr);
/// The APDU of an I-format frame with send number `ns` and receive number `nr`.
Bytes IApdu(uint16_t ns, uint16_t nr, const Asdu& asdu);

/// Appends a CP56Time2a time tag for the date-time `dt` (days since
/// 1899-12-30, fraction = time of day); its fields go to `time` when given.
void AppendCp56(Bytes& out, double dt, std::vector<int>* time = nullptr);

/// Largest number of objects an ASDU of type `typ` can carry in one APDU.
int MaxObjects(uint8_t typ, bool sq);

/// Builds an ASDU of type `typ` with `n` objects (clamped to what fits),
/// consecutive information object addresses from `ioa`, element values from
/// `rng` and time tags from `dt`; `values` records what each object holds.
/// For type 125 the single element carries a file segment of `rng`-chosen
/// length.
Asdu MakeAsdu(uint8_t typ, bool sq, int n, uint8_t cot, uint16_t ca, uint32_t ioa, Rng& rng, double dt);

/// Longest segment a file segment (type 125) can carry: what is left of an
/// APDU of 255 octets after the header, the address, NOF, NOS and LOS.
inline constexpr int kMaxSegmentLength = 236;

/// A file segment (type 125) of file `nof`, section `nos`, with `length`
/// octets (1 .. `kMaxSegmentLength`) from `rng`.
Asdu MakeSegment(uint8_t cot, uint16_t ca, uint32_t ioa, uint16_t nof, uint8_t nos, int length, Rng& rng);

/// Appends one information element (without address) of type `typ`. It
/// knows every type of the monitor and control direction and the file
/// transfer types; for others it appends nothing and returns false. Its
/// values and time tag go to `record` when given.
bool AppendElement(Bytes& out, uint8_t typ, Rng& rng, double dt, ObjectRecord* record = nullptr);

}  // namespace qlxs::sim
