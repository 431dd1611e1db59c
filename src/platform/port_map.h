#pragma once
/// The port map: which device each COM number 1..255 stands for. It is the
/// file `ports.map` in the data directory, one line per port, "N /dev/path",
/// with comments from '#' to the end of a line. A COM number without an
/// entry means /dev/ttyS(N-1) for N up to 32.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qlxs {

/// Name of the port map file in the data directory.
inline constexpr const char* kPortMapFileName = "ports.map";
/// Where the system lists each serial device under a name that stays the
/// same when a USB adapter is plugged in again.
inline constexpr const char* kSerialByIdDir = "/dev/serial/by-id";
/// Highest COM number.
inline constexpr int kMaxComNumber = 255;
/// COM numbers up to this one default to /dev/ttyS(N-1).
inline constexpr int kDefaultTtySPorts = 32;

struct PortMap {
  std::map<int, std::string> devices;  ///< explicit entries by COM number
  std::vector<std::string> problems;   ///< ignored lines and read errors, "file:line: reason"

  /// The device of COM number `n`: its entry, else /dev/ttyS(n-1) for n up
  /// to 32, else empty (no device).
  std::string DevicePath(int n) const;
};

/// The COM number that stands for the device `path`: the number the map
/// gives it, else for /dev/ttySk (k below 32, not mapped elsewhere) k + 1,
/// else the first number above 32 without an entry, which is then entered
/// for `path` (in memory only). 0 when every number is taken.
int AssignComNumber(PortMap& map, const std::string& path);

/// The COM number whose device is `device`: the same path, or another path
/// of the same file (a by-id link and the device it points at). 0 when no
/// number of the map stands for it.
int ComNumberOf(const PortMap& map, const std::string& device);

/// The serial devices listed in `dir` (normally `kSerialByIdDir`) as full
/// paths, sorted. Names that cannot stand in a port map line (with '#' or a
/// control character, or beginning with a blank) are left out. A missing or
/// unreadable directory lists nothing.
std::vector<std::string> ListSerialDevices(const std::string& dir);

/// Enters COM number `n` for `device` in the port map file `path`: the
/// line "n device" is appended and everything already in the file (comments,
/// other lines, their layout) is kept. A missing file is created. The file
/// is replaced as a whole through a temporary file, so a failure leaves it
/// as it was. Returns 0 or an errno value.
int AddPortMapEntry(const std::string& path, int n, const std::string& device);

/// Parses the text of a port map. Bad lines are reported in `problems` with
/// `fileName` and the line number, and ignored; the first entry of a COM
/// number counts.
PortMap ParsePortMap(std::string_view text, const std::string& fileName);

/// Reads the port map file. A missing file is an empty map; a file that
/// cannot be read is an empty map with the reason in `problems`.
PortMap LoadPortMap(const std::string& path);

/// The availability test of COM number `n`: its device exists and can be
/// opened and locked now. A device held by another process is unavailable.
bool PortAvailable(const PortMap& map, int n);

}  // namespace qlxs
