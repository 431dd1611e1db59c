#pragma once
/// What the COM port dialog decides, without a window: the items of its two
/// COM lists, loading its entries from the first port's parameters, the
/// rule that both ports may not use one COM number, the ranges of its entry
/// fields, giving a serial device without a COM number the next free number
/// in the port map file, and what OK writes.
///
/// Both ports share every parameter but the COM number. The dialog edits a
/// copy of the first port's state; OK also sets the second port's COM
/// number in `m.ports[1].bp.cnr`.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/port_state.h"

namespace qlxs {

struct Monitor;

/// Language texts and help topic of the port dialog.
inline constexpr int kTextPortDialogCaption = 652;
inline constexpr int kHelpPortDialog = 5400;
inline constexpr int kTextBaudCombo = 655;          ///< label, count, items of the baud list
inline constexpr int kTextComCombo = 670;           ///< label of both COM lists
inline constexpr int kTextNoComItem = 1206;         ///< COM list item "no port"
inline constexpr int kTextLogTextField = 1580;      ///< label; hint 1581
inline constexpr int kTextParityCombo = 1582;
inline constexpr int kTextDataBitsCombo = 1590;
inline constexpr int kTextStopBitsCombo = 1597;
inline constexpr int kTextFrameLengthField = 1602;  ///< label; hint 1603
inline constexpr int kTextRecvTimeoutField = 1605;  ///< label; hint 1606
inline constexpr int kTextModemLinesLabel = 1608;
inline constexpr int kTextModemLineItems = 1609;    ///< DCD,RI,DSR,CTS
inline constexpr int kTextSyncTimeoutField = 1619;  ///< label; hint 1620
inline constexpr int kTextTcpPortField = 1622;      ///< label; hint 1623
inline constexpr int kTextNewDeviceItem = 1690;     ///< format: device name; a device without a COM number
inline constexpr int kTextNotAvailable = 1717;     ///< after a configured COM number that is not available now
inline constexpr int kTextDeviceEntered = 1691;     ///< format: device, COM number, port map file
inline constexpr int kTextPortMapNotWritten = 1692; ///< format: port map file, reason

/// One item of the COM lists.
struct ComItem {
  int cnr = 0;          ///< COM number; 0 for "no port" and for a device without a number yet
  std::string device;   ///< the device; empty for "no port"
  std::string text;     ///< what the list shows
};

/// The items of both COM lists: "no port" (text 1206); each COM number of
/// `AllgVar.ComNr`, as text 1207 and the number, with its device; the COM
/// number of either port when it is not available now (an adapter that is
/// unplugged or held by another program), followed by text 1717, so that OK
/// keeps it; then each of `devices` (the serial devices by their stable
/// names) that no COM number of the port map stands for yet (text 1690 with
/// its name).
std::vector<ComItem> ComItems(const Monitor& m, const std::vector<std::string>& devices);

/// The item of COM number `cnr`; 0 ("no port") when the list lacks it.
int ComItemIndex(const std::vector<ComItem>& items, int32_t cnr);

/// Both ports may not use one port: when the two lists select the same item,
/// or two items of one device, and it is not "no port", the second list
/// falls back to "no port". Returns the second list's item.
int SecondComItem(const std::vector<ComItem>& items, int first, int second);

/// The entry fields with a numeric range.
enum PortField : int { FieldFrameLength, FieldRecvTimeout, FieldSyncTimeout, FieldTcpPort, kPortFieldCount };

struct FieldRange {
  uint32_t min;
  uint32_t max;
};
/// Frame length 100..1500 octets, reception time-out 10..5000 ms, flag
/// synchronisation time-out 100..50000 ms, TCP port 1..65535.
inline constexpr std::array<FieldRange, kPortFieldCount> kPortFieldRanges{
    {{100, 1500}, {10, 5000}, {100, 50000}, {1, 65535}}};

/// The dialog's entries as its controls hold them.
struct PortEntries {
  std::string logtxt;
  int com1 = 0;  ///< selected item of the first port's COM list
  int com2 = 0;  ///< selected item of the second port's COM list
  int baud = 0;  ///< baud list index
  int pari = 0;  ///< parity list index: none, odd, even, mark, space
  int data = 0;  ///< data bits list index: 5..8
  int stop = 0;  ///< stop bits list index: 1, 2
  std::array<std::string, kPortFieldCount> fields;
  std::array<bool, 4> lines{};  ///< watched modem lines: DCD, RI, DSR, CTS
  int ilo = 0;                  ///< the control that had the focus last
};

/// The number of items of the dialog's lists (from the language texts).
struct PortListSizes {
  int baud = 0;
  int pari = 0;
  int data = 0;
  int stop = 0;
};

/// The entries for the first port's parameters `bp` and the second port's
/// COM number. A list index that the list does not hold (a damaged log
/// header) selects the default item; a stored TCP port 0 stands for 2404.
PortEntries LoadPortEntries(const T_BetriebsPar& bp, int32_t secondCnr, const std::vector<ComItem>& items,
                            const PortListSizes& sizes);

/// The value of entry field `f`: decimal digits (blanks around them
/// allowed) within the field's range; nothing otherwise.
std::optional<uint32_t> FieldValue(PortField f, std::string_view text);

/// The entry fields whose text is not a value in range.
std::vector<PortField> InvalidFields(const PortEntries& e);

/// Gives each selected device without a COM number the next free number:
/// says so in a message, enters it in the port map file of the data
/// directory (keeping everything in it) and in `m.portMap`, adds it to
/// the available numbers and makes its item an item of that number. When
/// no number is free or the file cannot be written an error message names
/// the file and the reason, nothing is entered, and the result is false.
bool EnterNewDevices(Monitor& m, std::vector<ComItem>& items, const PortEntries& e);

/// OK: writes the entries into `copy` (`ilo`, `logtxt` cut to 83 octets,
/// `cnr`, `BaudI` and `baud` from its list entry, `pari`, `data`, `stop`,
/// `tlg`, `toempf`, `tosyn`, `port`, `paend`) and the second port's COM
/// number into `m.ports[1].bp.cnr`. The entries must be valid.
void SavePortEntries(Monitor& m, const PortEntries& e, const std::vector<ComItem>& items, T_ComVar& copy);

}  // namespace qlxs
