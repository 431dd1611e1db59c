#pragma once
// tshark, Wireshark's command-line reader, on the packet files QLXS writes:
// whether it is installed, its output, and the APDUs its IEC 104 dissector
// finds per interface, to compare with the APDUs of a QLXS log.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "model/telegram.h"

namespace qlxs::test {

/// True when tshark can be run.
inline bool TsharkAvailable() { return std::system("tshark --version >/dev/null 2>&1") == 0; }

/// Standard output of `tshark ARGS` (stderr dropped); `exit` gets its exit
/// status. The arguments are quoted for the shell.
inline std::string RunTshark(const std::vector<std::string>& args, int& exit) {
  std::string cmd = "tshark";
  for (const std::string& a : args) {
    cmd += " '";
    for (char c : a) cmd += c == '\'' ? std::string("'\\''") : std::string(1, c);
    cmd += "'";
  }
  cmd += " 2>/dev/null";
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) {
    exit = -1;
    return out;
  }
  char buf[65536];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = ::pclose(p);
  exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

/// One APDU as both sides name it: "I tx rx type", "S rx" or "U function"
/// (the control octet shifted right by two).
inline std::string ApduKey(const uint8_t* apdu) {
  const unsigned c1 = apdu[2], c2 = apdu[3], c3 = apdu[4], c4 = apdu[5];
  if ((c1 & 1) == 0)
    return "I " + std::to_string((c1 | c2 << 8) >> 1) + " " + std::to_string((c3 | c4 << 8) >> 1) + " " +
           std::to_string(apdu[6]);
  if ((c1 & 3) == 1) return "S " + std::to_string((c3 | c4 << 8) >> 1);
  return "U " + std::to_string(c1 >> 2);
}

/// The APDUs of the telegrams of receiver `ek` that a log lists, in order.
inline std::vector<std::string> LoggedApdus(const std::vector<T_Telegramm>& records, int ek) {
  std::vector<std::string> out;
  for (const T_Telegramm& t : records)
    if (t.ek == ek && t.idm == sizeof(T_VId) && t.stat != StatFragment && t.stat != StatModemStatus &&
        (t.ta == TaIFormat || t.ta == TaSFormat || t.ta == TaUFormat))
      out.push_back(ApduKey(t.b));
  return out;
}

inline std::vector<std::string> SplitOn(const std::string& s, char sep) {
  std::vector<std::string> out;
  if (s.empty()) return out;
  std::istringstream in(s);
  for (std::string part; std::getline(in, part, sep);) out.push_back(part);
  return out;
}

/// The APDUs tshark's IEC 104 dissector finds in the packets of interface
/// `interfaceId` of `pcapng`, in order. `extra` are further tshark options.
/// Sequence analysis across the two directions is switched off: a log fed
/// from two recorded files holds each side in blocks, not in the order the
/// sides spoke, and tshark would take the later side's segments for
/// retransmissions and leave them undecoded.
inline std::vector<std::string> DissectedApdus(const std::string& pcapng, int interfaceId,
                                               const std::vector<std::string>& extra = {}) {
  std::vector<std::string> args = {"-r", pcapng, "-o", "tcp.analyze_sequence_numbers:FALSE", "-T", "fields",
                                   "-E", "occurrence=a", "-E", "aggregator=,", "-e", "frame.interface_id",
                                   "-e", "iec60870_104.type", "-e", "iec60870_104.utype", "-e", "iec60870_104.tx",
                                   "-e", "iec60870_104.rx", "-e", "iec60870_asdu.typeid"};
  args.insert(args.end(), extra.begin(), extra.end());
  int exit = 0;
  const std::string listing = RunTshark(args, exit);
  std::vector<std::string> out;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> f = SplitOn(line, '\t');
    f.resize(6);
    if (f[0] != std::to_string(interfaceId)) continue;
    const std::vector<std::string> types = SplitOn(f[1], ','), utypes = SplitOn(f[2], ','), tx = SplitOn(f[3], ','),
                                   rx = SplitOn(f[4], ','), ids = SplitOn(f[5], ',');
    size_t u = 0, t = 0, r = 0, i = 0;
    for (const std::string& type : types) {
      const long kind = std::strtol(type.c_str(), nullptr, 0);
      if (kind == 0 && t < tx.size() && r < rx.size() && i < ids.size())
        out.push_back("I " + tx[t++] + " " + rx[r++] + " " + ids[i++]);
      else if (kind == 1 && r < rx.size())
        out.push_back("S " + rx[r++]);
      else if (kind == 3 && u < utypes.size())
        out.push_back("U " + std::to_string(std::strtol(utypes[u++].c_str(), nullptr, 0)));
      else
        out.push_back("? " + line);
    }
  }
  return out;
}

}  // namespace qlxs::test
