#pragma once
/// A seeded simulation of one monitored serial line in both directions: a
/// telecontrol station that answers a call, negotiates PPP and talks IEC
/// 60870-5-104 with its control centre over TCP. It writes the octets each
/// direction sends, and keeps its own record of the telegrams that a monitor
/// must store for them, so tests can compare the log with the prediction.
///
/// Line 1 is what the station sends, line 2 what arrives from the modem
/// (the modem's own texts and the control centre's traffic).

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/telegram.h"
#include "sim/apdu_builder.h"
#include "sim/frame_builder.h"

namespace qlxs::sim {

/// Faults the simulator can put on the line on request.
enum class Fault : uint8_t {
  WrongLength,    ///< an I-format APDU with one or more octets too many for its type and objects
  WrongCause,     ///< an I-format APDU with a cause of transmission no type permits
  UndefinedType,  ///< an I-format APDU with a type identification that is not defined
  LostSegment,    ///< the monitor misses the segment that completes an APDU
  Garbage,        ///< noise octets between two frames
};
inline constexpr int kFaultKinds = 5;

/// Bit of a fault in `SimOptions::faults`.
constexpr uint32_t FaultBit(Fault f) { return 1u << static_cast<int>(f); }
/// All faults.
inline constexpr uint32_t kAllFaults = (1u << kFaultKinds) - 1;

/// The name of a fault as the command line spells it ("wrong-length" ...).
const char* FaultName(Fault f);
/// Parses a comma-separated list of fault names or "all"; false on an unknown name.
bool ParseFaults(const std::string& list, uint32_t& faults);

/// What to simulate.
struct SimOptions {
  uint32_t seed = 1;
  int apdus = 200;          ///< APDUs to send after the opening, both directions together
  int splitPercent = 10;    ///< chance in percent that a segment ends inside an APDU
  bool vj = false;          ///< negotiate Van Jacobson header compression and use it
  uint32_t faults = 0;      ///< faults to inject (`FaultBit`)
  int faultEvery = 25;      ///< about one fault per this many APDUs when faults are asked for
  uint16_t port = 2404;     ///< TCP port of the station
  /// Before the random conversation, send every defined type of both
  /// directions: monitor types with one object, with several and with as
  /// many as fit into one APDU, as sequences (SQ = 1) where the type allows
  /// them; every command with its confirmation, some of them negative, and
  /// its termination; a whole file transfer. These ASDUs carry random
  /// originators, common addresses and object addresses, and some the test
  /// bit.
  bool allTypes = false;
  /// Keep the ASDU of every I-format APDU in `SimResult::asdus`.
  bool recordAsdus = false;
};

/// One telegram that a monitor must store for what the simulator sent.
struct ExpectedTelegram {
  uint8_t stat = StatOk;
  uint8_t ta = TaRaw;
  uint16_t prot = 0;
  uint8_t ofs = 0;
  /// Raw frames and text: the octets as they are on the line. APDUs and
  /// payload pieces: their octets without the appended identity.
  Bytes data;
  bool hasVid = false;      ///< an identity follows the data (`idm` = 12)
  /// False for APDUs of Van Jacobson compressed frames: those carry no
  /// addresses, so the monitor appends the identity it saw last on either line.
  bool vidKnown = true;
  T_VId vid{};
  /// The octets are still in the receiver when the line ends; they are
  /// closed by the reception time-out.
  bool closedByTimeout = false;
  /// With `SimOptions::recordAsdus`, for an I-format APDU: the index in
  /// `SimResult::asdus` of the ASDU it carries, else -1. An injected fault
  /// changes the APDU after it was built, so a faulty APDU differs from it.
  int asdu = -1;
};

/// A run of octets that one side sent in one go. The runs of both lines in
/// the order the peers sent them interleave the two lines as a monitor that
/// taps both sees them.
struct LineRun {
  uint8_t line = 0;   ///< 0: line 1, 1: line 2
  uint32_t size = 0;  ///< octets, the next ones of that line
  double time = 0;    ///< simulated local time at which the run begins (date-time number)
};

/// The simulation: the octets of both lines and the prediction for each.
struct SimResult {
  std::array<Bytes, 2> line;                                   ///< octets of line 1 and line 2
  std::vector<LineRun> runs;                                   ///< both lines in the order they were sent
  std::array<std::vector<ExpectedTelegram>, 2> expected;       ///< telegrams per line, in order
  std::array<int, kFaultKinds> faults{};                       ///< faults injected per kind
  int splitApdus = 0;                                          ///< APDUs sent over more than one segment
  int apdusSent = 0;                                           ///< APDUs the two peers sent
  std::vector<Asdu> asdus;  ///< with `SimOptions::recordAsdus`: the ASDUs sent, in order
};

/// Runs the simulation.
SimResult SimulateLine(const SimOptions& options);

class Simulator;

/// A line that never ends: the opening of `SimulateLine`, then its
/// conversation for as long as it is asked for, piece by piece, without the
/// closing. The same options give the same line.
class EndlessLine {
 public:
  explicit EndlessLine(const SimOptions& options);
  ~EndlessLine();
  EndlessLine(const EndlessLine&) = delete;
  EndlessLine& operator=(const EndlessLine&) = delete;

  /// The next piece of the line: the first one holds the opening, each
  /// goes on until about `apdus` more APDUs have been sent. An APDU may
  /// begin in one piece and end in the next; `expected` describes each
  /// piece's frames only as far as its octets reach.
  SimResult Next(int apdus);

 private:
  std::unique_ptr<Simulator> sim_;
};

}  // namespace qlxs::sim
