#include "platform/port_map.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"
#include "platform/termios_serial_port.h"

namespace qlxs {

namespace {

std::string_view Trim(std::string_view s) {
  const char* ws = " \t\r\v\f";
  const size_t b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

}  // namespace

std::string PortMap::DevicePath(int n) const {
  const auto it = devices.find(n);
  if (it != devices.end()) return it->second;
  if (n >= 1 && n <= kDefaultTtySPorts) return "/dev/ttyS" + std::to_string(n - 1);
  return {};
}

int AssignComNumber(PortMap& map, const std::string& path) {
  for (const auto& [n, device] : map.devices)
    if (device == path) return n;
  for (int n = 1; n <= kDefaultTtySPorts; ++n)
    if (!map.devices.count(n) && map.DevicePath(n) == path) return n;
  for (int n = kDefaultTtySPorts + 1; n <= kMaxComNumber; ++n)
    if (!map.devices.count(n)) {
      map.devices[n] = path;
      return n;
    }
  return 0;
}

int ComNumberOf(const PortMap& map, const std::string& device) {
  struct stat dev {};
  const bool exists = ::stat(device.c_str(), &dev) == 0;
  auto same = [&](const std::string& path) {
    if (path == device) return true;
    struct stat st {};
    return exists && ::stat(path.c_str(), &st) == 0 && st.st_dev == dev.st_dev && st.st_ino == dev.st_ino;
  };
  for (const auto& [n, path] : map.devices)
    if (same(path)) return n;
  for (int n = 1; n <= kDefaultTtySPorts; ++n)
    if (!map.devices.count(n) && same(map.DevicePath(n))) return n;
  return 0;
}

std::vector<std::string> ListSerialDevices(const std::string& dir) {
  std::vector<std::string> devices;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool usable = !name.empty() && name.front() != ' ' && name.front() != '\t' &&
                        std::none_of(name.begin(), name.end(), [](char c) {
                          return c == '#' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                        });
    if (usable) devices.push_back(it->path().string());
  }
  std::sort(devices.begin(), devices.end());
  return devices;
}

int AddPortMapEntry(const std::string& path, int n, const std::string& device) {
  std::string text;
  const int err = ReadWholeFile(path, &text);
  if (err != 0 && err != ENOENT) return err;
  if (!text.empty() && text.back() != '\n') text += '\n';
  text += std::to_string(n) + " " + device + "\n";
  return WriteFileReplacing(path, text);
}

PortMap ParsePortMap(std::string_view text, const std::string& fileName) {
  PortMap map;
  std::map<int, int> lineOf;
  int lineNo = 0;
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
    ++lineNo;
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    auto problem = [&](const std::string& why) {
      map.problems.push_back(fileName + ":" + std::to_string(lineNo) + ": " + why + "; line ignored");
    };
    const size_t sep = line.find_first_of(" \t");
    const std::string_view num = line.substr(0, sep);
    const std::string_view path = sep == std::string_view::npos ? std::string_view{} : Trim(line.substr(sep));
    int n = 0;
    bool numeric = !num.empty() && num.size() <= 3;
    for (char c : num) {
      if (c < '0' || c > '9') numeric = false;
      n = n * 10 + (c - '0');
    }
    if (!numeric || n < 1 || n > kMaxComNumber) {
      problem("'" + std::string(num) + "' is not a COM number from 1 to " + std::to_string(kMaxComNumber));
      continue;
    }
    if (path.empty()) {
      problem("COM " + std::to_string(n) + " has no device path");
      continue;
    }
    if (path.front() != '/') {
      problem("the device path '" + std::string(path) + "' is not absolute");
      continue;
    }
    if (const auto it = lineOf.find(n); it != lineOf.end()) {
      problem("COM " + std::to_string(n) + " is already mapped on line " + std::to_string(it->second));
      continue;
    }
    lineOf[n] = lineNo;
    map.devices[n] = std::string(path);
  }
  return map;
}

PortMap LoadPortMap(const std::string& path) {
  std::string text;
  const int err = ReadWholeFile(path, &text);
  if (err == ENOENT) return {};
  if (err != 0) {
    PortMap map;
    map.problems.push_back(path + ": cannot be read: " + std::strerror(err));
    return map;
  }
  return ParsePortMap(text, path);
}

bool PortAvailable(const PortMap& map, int n) {
  const std::string device = map.DevicePath(n);
  return !device.empty() && TestDevice(device) == 0;
}

}  // namespace qlxs
