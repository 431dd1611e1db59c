#pragma once
/// The telegrams of a log as a pcapng section that Wireshark opens without
/// any setting.
///
/// - Interfaces 0 and 1 are the two ports (link type PPP): every frame the
///   receiver delimited (classes 0 and 5, but for the TCP payload pieces)
///   becomes a packet, unstuffed, without its flags and its frame check
///   sequence, without the line-error octet of a status-1 frame. The APDUs
///   cut from the frames are not written: Wireshark finds them in the frames
///   itself. A frame that QLXS judged faulty, or one from which it cut a
///   faulty APDU, carries those status texts as a comment. A frame that
///   holds nothing but flags (a status-1 frame with only its error octet) is
///   an event.
/// - Interface 2 ("events") takes what is not a frame: port events, modem
///   lines, messages, text lines of a modem dialogue and octets outside any
///   frame, each as a syslog message through Wireshark's exported-PDU link
///   type (shown in the packet list as "Syslog" with the text) and with the
///   same text as its comment, so that Wireshark's list of comments holds
///   every remark QLXS made.
///
/// The direction flag of a packet tells the ports apart wherever the
/// interfaces are not shown: the first port's are inbound, the second's
/// outbound. Time stamps are the telegrams' local times in UTC (`LocalToUtc`)
/// in milliseconds.

#include <cstdint>
#include <string>

#include "model/telegram.h"
#include "pcap/pcapng_blocks.h"
#include "pcap/utc_time.h"
#include "render/render.h"

namespace qlxs {

struct LogState;

/// Interface numbers of the section.
inline constexpr uint32_t kPcapPort1Interface = 0;
inline constexpr uint32_t kPcapPort2Interface = 1;
inline constexpr uint32_t kPcapEventInterface = 2;

/// What a stored telegram becomes in the packet file.
enum class PacketKind {
  None,   ///< an APDU or a piece of TCP payload cut from a frame
  Frame,  ///< a frame on the interface of its port (an event when empty)
  Event,  ///< a text on the events interface
};

/// The kind of packet telegram t becomes.
PacketKind PacketKindOf(const T_Telegramm& t);

/// Writes telegrams as packets into a byte string that the caller writes out.
///
/// A frame is written once the APDUs and payload pieces cut from it have
/// been seen (the unwrapping stores them right after their frame): each
/// faulty APDU adds its status text to the frame's comment, and through a
/// display filter the frame goes in when the filter admits the frame itself
/// or one of its APDUs. So a frame waits here until the next frame or event
/// comes, or until `Flush`.
class TelegramPackets {
 public:
  /// `m` gives the language texts and the port parameters; it must outlive
  /// this object.
  explicit TelegramPackets(const LogState& m);

  /// Appends the section header and the three interface descriptions.
  /// `device1` and `device2` describe the ports (a device path or a COM
  /// number), empty when unknown. The section header names every IEC 104
  /// port other than 2404 in the port parameters, with the option that
  /// makes Wireshark decode it.
  void Begin(std::string& out, const std::string& device1, const std::string& device2);

  /// Takes the next stored telegram, in the order of the log; `admitted` is
  /// the display filter's verdict on it. Appends what is complete now: the
  /// frame that was waiting (when it or one of its APDUs was admitted) and an
  /// admitted event. Returns the number of packets appended.
  int Add(std::string& out, const T_Telegramm& t, bool admitted = true);
  /// Appends the frame that is waiting, if any and admitted; returns the
  /// number of packets appended (0 or 1).
  int Flush(std::string& out);

 private:
  void AppendStatus(std::string& text, const T_Telegramm& t);
  void AppendEventText(const T_Telegramm& t);
  void AppendPacket(std::string& out, uint32_t interface, const T_Telegramm& t);
  void AppendEvent(std::string& out, const T_Telegramm& t);

  const LogState& m_;
  LocalToUtc utc_;
  PcapngOptions options_;
  T_TeleAusgabe context_;  ///< holds the telegram whose event text is asked for
  std::string data_;       ///< the packet being built
  std::string text_;       ///< event text being built

  T_Telegramm held_{};         ///< the frame that waits for its APDUs
  bool holding_ = false;
  bool heldAdmitted_ = false;  ///< the filter admitted the frame or one of its APDUs
  std::string heldComment_;    ///< status texts of the frame and its faulty APDUs
};

}  // namespace qlxs
