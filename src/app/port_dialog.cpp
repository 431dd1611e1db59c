#include "app/port_dialog.h"

#include <algorithm>
#include <cstring>

#include "app/monitor.h"
#include "app/port_config.h"
#include "config/language_texts.h"
#include "config/message_box.h"
#include "config/text_format.h"
#include "platform/port_map.h"

namespace qlxs {

namespace {

constexpr int kDefaultBaudIndex = 7;
constexpr uint32_t kDefaultTcpPort = 2404;

std::string ComItemText(const Monitor& m, int cnr, const std::string& device) {
  std::string text = Text(m.AllgVar, kTextComPrefix) + std::to_string(cnr);
  if (!device.empty()) text += "   " + device;
  return text;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// `value` when the list of `count` items holds it, else `fallback` when it
// does, else the first item.
int ListIndex(int value, int count, int fallback) {
  if (value >= 0 && value < count) return value;
  return fallback >= 0 && fallback < count ? fallback : 0;
}

// Adds `n` to the ascending list of available COM numbers.
void AddAvailable(T_AllgVar& v, int n) {
  auto* begin = v.ComNr.data();
  auto* end = begin + v.AnzCom;
  auto* at = std::lower_bound(begin, end, n);
  if ((at != end && *at == n) || v.AnzCom >= static_cast<int>(v.ComNr.size())) return;
  std::copy_backward(at, end, end + 1);
  *at = static_cast<uint8_t>(n);
  ++v.AnzCom;
}

std::string Formatted(const Monitor& m, int n, std::initializer_list<FormatArg> args, const std::string& fallback) {
  const std::string text = FormatText(Text(m.AllgVar, n), args);
  return text.empty() ? fallback : text;
}

}  // namespace

std::vector<ComItem> ComItems(const Monitor& m, const std::vector<std::string>& devices) {
  std::vector<ComItem> items;
  items.push_back({0, {}, Text(m.AllgVar, kTextNoComItem)});
  const T_AllgVar& v = m.AllgVar;
  for (int i = 0; i < v.AnzCom && i < static_cast<int>(v.ComNr.size()); ++i) {
    const int n = v.ComNr[static_cast<size_t>(i)];
    const std::string device = m.portMap.DevicePath(n);
    items.push_back({n, device, ComItemText(m, n, device)});
  }
  for (const T_ComVar& port : m.ports) {
    const int n = port.bp.cnr;
    if (n <= 0 || ComItemIndex(items, n) != 0) continue;
    const std::string device = m.portMap.DevicePath(n);
    items.push_back({n, device, ComItemText(m, n, device) + "  " + Text(m.AllgVar, kTextNotAvailable)});
  }
  for (const std::string& device : devices) {
    if (ComNumberOf(m.portMap, device) != 0) continue;
    const std::string name = BaseName(device);
    items.push_back({0, device, Formatted(m, kTextNewDeviceItem, {name}, name + " (no COM number yet)")});
  }
  return items;
}

int ComItemIndex(const std::vector<ComItem>& items, int32_t cnr) {
  if (cnr == 0) return 0;
  for (size_t i = 1; i < items.size(); ++i)
    if (items[i].cnr == cnr) return static_cast<int>(i);
  return 0;
}

int SecondComItem(const std::vector<ComItem>& items, int first, int second) {
  if (first <= 0 || second <= 0) return second;
  if (first == second) return 0;
  const auto size = static_cast<int>(items.size());
  if (first < size && second < size && !items[static_cast<size_t>(first)].device.empty() &&
      items[static_cast<size_t>(first)].device == items[static_cast<size_t>(second)].device)
    return 0;
  return second;
}

PortEntries LoadPortEntries(const T_BetriebsPar& bp, int32_t secondCnr, const std::vector<ComItem>& items,
                            const PortListSizes& sizes) {
  PortEntries e;
  e.logtxt = std::string(bp.logtxt.view());
  e.com1 = ComItemIndex(items, bp.cnr);
  e.com2 = ComItemIndex(items, secondCnr);
  e.baud = ListIndex(bp.BaudI, sizes.baud, kDefaultBaudIndex);
  e.pari = ListIndex(bp.pari, sizes.pari, 0);
  e.data = ListIndex(bp.data - 5, sizes.data, 8 - 5);
  e.stop = ListIndex(bp.stop - 1, sizes.stop, 0);
  e.fields[FieldFrameLength] = std::to_string(bp.tlg);
  e.fields[FieldRecvTimeout] = std::to_string(bp.toempf);
  e.fields[FieldSyncTimeout] = std::to_string(bp.tosyn);
  e.fields[FieldTcpPort] = std::to_string(bp.port == 0 ? kDefaultTcpPort : bp.port);
  for (size_t i = 0; i < e.lines.size(); ++i) e.lines[i] = (bp.paend & (0x80 >> i)) != 0;
  e.ilo = bp.ilo;
  return e;
}

std::optional<uint32_t> FieldValue(PortField f, std::string_view text) {
  const size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return std::nullopt;
  text = text.substr(b, text.find_last_not_of(' ') - b + 1);
  if (text.size() > 9) return std::nullopt;
  uint32_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  const FieldRange r = kPortFieldRanges[static_cast<size_t>(f)];
  if (v < r.min || v > r.max) return std::nullopt;
  return v;
}

std::vector<PortField> InvalidFields(const PortEntries& e) {
  std::vector<PortField> bad;
  for (int f = 0; f < kPortFieldCount; ++f)
    if (!FieldValue(static_cast<PortField>(f), e.fields[static_cast<size_t>(f)])) bad.push_back(static_cast<PortField>(f));
  return bad;
}

bool EnterNewDevices(Monitor& m, std::vector<ComItem>& items, const PortEntries& e) {
  const std::string file = m.AllgVar.DataDir + kPortMapFileName;
  for (const int index : {e.com1, e.com2}) {
    if (index <= 0 || index >= static_cast<int>(items.size())) continue;
    ComItem& item = items[static_cast<size_t>(index)];
    if (item.cnr != 0 || item.device.empty()) continue;
    // The number must be free both in the map in use and in the file as it
    // is now (it may have been edited since it was read).
    PortMap both = m.portMap;
    for (const auto& [n, device] : LoadPortMap(file).devices) both.devices.emplace(n, device);
    const int known = ComNumberOf(both, item.device);
    const int n = known != 0 ? known : AssignComNumber(both, item.device);
    if (n == 0) {
      const std::string reason = "no COM number up to " + std::to_string(kMaxComNumber) + " is free";
      MessageOkNrText(m, kTextPortMapNotWritten,
                      Formatted(m, kTextPortMapNotWritten, {file, reason}, file + ": " + reason), MsgError);
      return false;
    }
    if (known == 0) {
      MessageOkNrText(m, kTextDeviceEntered,
                      Formatted(m, kTextDeviceEntered, {item.device, n, file},
                                item.device + " becomes COM" + std::to_string(n) + " in " + file),
                      MsgInformation);
      if (const int err = AddPortMapEntry(file, n, item.device); err != 0) {
        const std::string reason = std::strerror(err);
        MessageOkNrText(m, kTextPortMapNotWritten,
                        Formatted(m, kTextPortMapNotWritten, {file, reason},
                                  file + ": cannot be written: " + reason),
                        MsgError);
        return false;
      }
    }
    if (both.devices.count(n)) m.portMap.devices.emplace(n, both.devices[n]);
    AddAvailable(m.AllgVar, n);
    item.cnr = n;
    item.text = ComItemText(m, n, item.device);
  }
  return true;
}

void SavePortEntries(Monitor& m, const PortEntries& e, const std::vector<ComItem>& items, T_ComVar& copy) {
  auto cnrOf = [&items](int index) {
    return index > 0 && index < static_cast<int>(items.size()) ? items[static_cast<size_t>(index)].cnr : 0;
  };
  T_BetriebsPar& bp = copy.bp;
  bp.ilo = e.ilo;
  bp.logtxt.assign(e.logtxt);
  bp.cnr = cnrOf(e.com1);
  m.ports[1].bp.cnr = cnrOf(e.com2);
  bp.BaudI = e.baud;
  bp.baud = BaudListRate(m, e.baud);
  bp.pari = static_cast<uint8_t>(e.pari);
  bp.data = static_cast<uint8_t>(e.data + 5);
  bp.stop = static_cast<uint8_t>(e.stop + 1);
  bp.tlg = static_cast<int32_t>(FieldValue(FieldFrameLength, e.fields[FieldFrameLength]).value_or(bp.tlg));
  bp.toempf = FieldValue(FieldRecvTimeout, e.fields[FieldRecvTimeout]).value_or(bp.toempf);
  bp.tosyn = FieldValue(FieldSyncTimeout, e.fields[FieldSyncTimeout]).value_or(bp.tosyn);
  bp.port = FieldValue(FieldTcpPort, e.fields[FieldTcpPort]).value_or(bp.port);
  uint8_t paend = 0;
  for (size_t i = 0; i < e.lines.size(); ++i)
    if (e.lines[i]) paend = static_cast<uint8_t>(paend | (0x80 >> i));
  bp.paend = paend;
}

}  // namespace qlxs
