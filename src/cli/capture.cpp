// qlxs-cli capture: live capture from serial ports into a telegram log.

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/demo_line.h"
#include "app/general_parameters.h"
#include "app/monitor.h"
#include "app/online.h"
#include "app/port_config.h"
#include "app/startup.h"
#include "app/timer_tick.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/log_room.h"
#include "cli/options.h"
#include "render/render.h"
#include "filter/filter_match.h"
#include "config/type_name_file.h"
#include "cli/view_setup.h"
#include "cli/record_line.h"
#include "config/language_texts.h"
#include "config/prg_par.h"
#include "config/settings.h"
#include "log/telegram_log.h"
#include "model/typed_file.h"
#include "pcap/pcapng_file.h"
#include "pcap/telegram_packets.h"
#include "platform/clock.h"
#include "platform/directories.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"
#include "platform/termios_serial_port.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli capture --log LOG [--device1 DEV] [--device2 DEV] [--baud N]\n"
    "                        [--parity none|odd|even|mark|space] [--data N] [--stop N]\n"
    "                        [--duration SECONDS] [--format F] [--pcapng FILE|-]\n"
    "       qlxs-cli capture --demo [--log LOG] [--baud N] ... [--duration SECONDS] ...\n"
    "\n"
    "Captures live from one or two serial ports with the same receivers, store and\n"
    "timer as the desktop program. Every telegram stored in the telegram log LOG\n"
    "is also printed to standard output. Capture stops on Ctrl-C (SIGINT), SIGTERM\n"
    "or SIGHUP, or after --duration: it then reads what the ports still hold,\n"
    "closes them (a port-closed telegram each) and writes the log back, so that\n"
    "nothing received is lost.\n"
    "\n"
    "LOG is created when it does not exist. An existing telegram log is continued;\n"
    "its header brings the port parameters it was written with, which the options\n"
    "below override. A file that is not a telegram log is kept as LOG.bad. LOG\n"
    "stays the log for the whole capture: the daily log option of the desktop\n"
    "program does not apply here, and its settings are not changed.\n"
    "\n"
    "LOG is a ring of fixed capacity: the maximum log size stored in an existing\n"
    "LOG, or 100 MB for a new one. When it is full, each new block of telegrams\n"
    "overwrites the oldest one. Capture says so on standard error when this\n"
    "starts, and again each time the ring has gone round once more.\n"
    "\n"
    "Options:\n"
    "  --log LOG           the telegram log file (required, except with --demo)\n"
    "  --demo              capture the demo line instead of serial ports: two\n"
    "                      pseudo-terminals on which the built-in line simulator\n"
    "                      plays a telecontrol station and its control centre in\n"
    "                      real time at the baud rate, until capture stops. The\n"
    "                      demo keeps to its data directory, demo/ in the data\n"
    "                      directory below, with its own settings and log (the\n"
    "                      default LOG); the user's settings, ports.map and logs\n"
    "                      are not touched. Takes no --device1 or --device2.\n"
    "  --device1 DEV       the first port: a device path such as /dev/ttyUSB0, or a\n"
    "                      COM number 1..255 looked up in ports.map (0: not used)\n"
    "  --device2 DEV       the second port, in the same way\n"
    "                      With neither option both ports use the COM numbers of the\n"
    "                      settings (4 and 5 unless an existing LOG brings others),\n"
    "                      looked up in ports.map. With only one of them the other\n"
    "                      port is not used.\n"
    "  --baud N            baud rate of both ports, one of the rates of the port\n"
    "                      dialog: 300 600 1200 2400 4800 9600 19200 38400 57600\n"
    "                      115200 230400 460800 (default 38400)\n"
    "  --parity P          none, odd, even, mark or space (default none)\n"
    "  --data N            data bits, 5 to 8 (default 8)\n"
    "  --stop N            stop bits, 1 or 2 (default 1)\n"
    "  --duration SECONDS  stop after this time (decimals allowed)\n"
    "  --format F          the form of the lines printed. records (default): a\n"
    "                      header line, then per telegram the tab-separated line\n"
    "                      of 'qlxs-cli records' (number in the log, ek, stat, ta,\n"
    "                      lg, idm, prot, ofs, time, data in hex). logisch,\n"
    "                      kompakt, logneu, byteser, export: each telegram the\n"
    "                      online view shows, rendered as 'qlxs-cli show' does,\n"
    "                      with the view options of the settings.\n"
    "  --pcapng FILE|-     also write every frame and event as it is stored into the\n"
    "                      pcapng packet file FILE, as 'qlxs-cli pcap' writes a log,\n"
    "                      each packet as soon as it is complete. '-' writes it to\n"
    "                      standard output instead of the telegram lines, for\n"
    "                      Wireshark to show the line live:\n"
    "                        qlxs-cli capture ... --pcapng - | wireshark -k -i -\n"
    "                      When the reader goes away (or FILE cannot be written),\n"
    "                      the stream ends with a message; capture and LOG go on.\n"
    "Messages go to standard error.\n"
    "\n"
    "The port map:\n"
    "  The file ports.map in the data directory (normally\n"
    "  ~/.local/share/Brakel/DemoQuallixS/) names the device of each COM number,\n"
    "  one line per port, the number and the device path; '#' starts a comment:\n"
    "      # COM  device\n"
    "      4      /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\n"
    "      5      /dev/ttyUSB1\n"
    "  A COM number without an entry means /dev/ttyS(N-1) for N up to 32. Lines\n"
    "  that cannot be used are reported with file and line number and ignored.\n"
    "  The /dev/serial/by-id/ names stay the same whichever socket an adapter is\n"
    "  plugged into. A device given by path gets the COM number that ports.map\n"
    "  gives it, /dev/ttySk is COM k+1, any other device the first number above 32\n"
    "  without an entry; the port telegrams of the log record that number.\n"
    "\n"
    "Access to the devices:\n"
    "  Serial devices usually belong to the group 'dialout'. When capture reports\n"
    "  'permission denied' it names the group that gives access; add yourself to\n"
    "  it and log in again:  sudo usermod -aG dialout $USER\n"
    "  A device held by another program (a terminal program, ModemManager, another\n"
    "  capture) is reported as in use.\n"
    "\n"
    "A device that disappears while open (a USB adapter pulled out): what it had\n"
    "delivered is stored, a message telegram records the loss, the port is closed\n"
    "with its port-closed telegram, and the other port goes on. When no port is\n"
    "left, capture writes the log back and ends with exit status 3.\n"
    "\n"
    "Exit status:\n"
    "  0   stopped by a signal or after --duration; the log is complete\n"
    "  1   capture could not start (device missing, without permission or in use,\n"
    "      no port configured, log not writable, all six instances running), or\n"
    "      writing the log or standard output failed during capture\n"
    "  2   usage error\n"
    "  3   every port was lost during capture; the log holds what was received\n"
    "  99  the language file cannot be loaded\n";

constexpr int kExitAllPortsLost = 3;

struct Options {
  std::string log;
  std::string device[2];
  bool deviceGiven[2] = {false, false};
  long baud = 0;  // 0: as configured
  int parity = -1;
  long data = 0;
  long stop = 0;
  double duration = 0;  // seconds; 0: until a signal
  int format = 0;       // 0: the lines of 'records', else an output format
  std::string pcapng;   // --pcapng: file, "-" for standard output, empty for none
  bool demo = false;    // --demo: the demo line instead of serial ports
};

int ParityIndex(const std::string& s) {
  static const char* const kNames[] = {"none", "odd", "even", "mark", "space"};
  for (int i = 0; i < 5; ++i)
    if (s == kNames[i]) return i;
  return -1;
}

// The options of capture, declared on `args`.
void DeclareOptions(ArgParser& args, Options& o) {
  args.Text("--log", o.log);
  args.Flag("--demo", o.demo);
  for (int p = 0; p < 2; ++p)
    args.Custom(p == 0 ? "--device1" : "--device2", [&o, p](const char* v) {
      o.device[p] = v;
      o.deviceGiven[p] = true;
      return o.device[p].empty() ? "--device" + std::to_string(p + 1) + " needs a device path or a COM number"
                                 : std::string();
    });
  args.Number("--baud", 1, INT32_MAX, o.baud, "--baud takes a baud rate such as 9600");
  args.Custom("--parity", [&o](const char* v) {
    o.parity = ParityIndex(v);
    return o.parity < 0 ? std::string("--parity takes none, odd, even, mark or space") : std::string();
  });
  args.Number("--data", 5, 8, o.data, "--data takes 5, 6, 7 or 8");
  args.Number("--stop", 1, 2, o.stop, "--stop takes 1 or 2");
  args.Custom("--duration", [&o](const char* v) {
    char* end = nullptr;
    errno = 0;
    o.duration = std::strtod(v, &end);
    if (errno != 0 || end == v || *end != '\0' || !(o.duration > 0) || o.duration > 1e7)
      return std::string("--duration takes a number of seconds greater than 0");
    return std::string();
  });
  args.Custom("--pcapng", [&o](const char* v) {
    o.pcapng = v;
    return o.pcapng.empty() ? std::string("--pcapng needs a file name or '-'") : std::string();
  });
  args.Custom("--format", [&o](const char* v) {
    o.format = FormatByName(v);
    if (o.format == 0 && std::strcmp(v, "records") != 0)
      return std::string("--format takes records, logisch, kompakt, logneu, byteser or export");
    return std::string();
  });
}

bool AllDigits(const std::string& s) {
  if (s.empty() || s.size() > 3) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The index of `baud` in the baud list of the language file, or -1.
int BaudListIndex(const Monitor& m, long baud) {
  for (int i = 0; i < 256; ++i) {
    const std::string& s = Text(m.AllgVar, kTextBaudList + i);
    if (s.empty()) break;
    if (s == std::to_string(baud)) return i;
  }
  return -1;
}

// Applies the line options to both ports and chooses their devices.
// Returns an empty string, or the usage problem.
std::string ApplyOptions(Monitor& m, const Options& o) {
  for (T_ComVar& port : m.ports) {
    T_BetriebsPar& bp = port.bp;
    if (o.baud > 0) {
      const int index = BaudListIndex(m, o.baud);
      if (index < 0) return "--baud " + std::to_string(o.baud) + " is not one of the rates of the port dialog";
      bp.baud = static_cast<int32_t>(o.baud);
      bp.BaudI = index;
    }
    if (o.parity >= 0) bp.pari = static_cast<uint8_t>(o.parity);
    if (o.data > 0) bp.data = static_cast<uint8_t>(o.data);
    if (o.stop > 0) bp.stop = static_cast<uint8_t>(o.stop);
  }
  if (!o.deviceGiven[0] && !o.deviceGiven[1]) return {};
  for (int p = 0; p < 2; ++p) {
    int32_t cnr = 0;
    const std::string& d = o.device[p];
    if (!o.deviceGiven[p]) {
      cnr = 0;
    } else if (AllDigits(d)) {
      long n = 0;
      if (!ParseNumber(d.c_str(), 0, kMaxComNumber, n))
        return "--device" + std::to_string(p + 1) + " takes a device path or a COM number from 0 to 255";
      cnr = static_cast<int32_t>(n);
    } else {
      cnr = AssignComNumber(m.portMap, d);
      if (cnr == 0) return "no COM number is left for " + d + " (ports.map uses them all)";
    }
    m.ports[p].bp.cnr = cnr;
  }
  return {};
}

// Checks every configured port's device before anything is captured.
// Returns 0, kExitUsage or kExitFailure after saying what is wrong.
int CheckDevices(Monitor& m, const ArgParser& args) {
  if (m.ports[0].bp.cnr == 0 && m.ports[1].bp.cnr == 0) {
    std::fprintf(stderr,
                 "qlxs-cli capture: %s\nName a device with --device1 or --device2.\n",
                 Text(m.AllgVar, kTextNoComPort).c_str());
    return kExitFailure;
  }
  std::string devices[2];
  for (int p = 0; p < 2; ++p) {
    const int32_t cnr = m.ports[p].bp.cnr;
    if (cnr == 0) continue;
    devices[p] = m.portMap.DevicePath(cnr);
    if (devices[p].empty()) {
      std::fprintf(stderr, "qlxs-cli capture: port %d: COM%d has no device; add a line \"%d /dev/...\" to %s\n", p + 1,
                   cnr, cnr, (m.AllgVar.DataDir + kPortMapFileName).c_str());
      return kExitFailure;
    }
  }
  if (!devices[0].empty() && !devices[1].empty() && SameFile(devices[0], devices[1]))
    return args.Fail("both ports name the same device " + devices[0]);
  for (int p = 0; p < 2; ++p) {
    if (devices[p].empty()) continue;
    std::string why;
    if (TestDevice(devices[p], &why) != 0) {
      std::fprintf(stderr, "qlxs-cli capture: port %d (COM%d): %s\n", p + 1, m.ports[p].bp.cnr, why.c_str());
      return kExitFailure;
    }
  }
  return 0;
}

// SIGINT, SIGTERM and SIGHUP arrive through a descriptor that the loop
// polls, so a stop request is handled between two events, never inside one.
int BlockStopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
  return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

// The live packet stream of --pcapng: packets gather while an event is
// handled and are written after it, when the APDUs of each frame are known.
// A reader that goes away ends the stream, never the capture.
struct PcapStream {
  std::string path;
  PcapngFile file;
  std::unique_ptr<TelegramPackets> packets;
  std::string pending;
  bool active = false;

  // Opens the file and writes the section header; false after a message.
  bool Start(const Monitor& m) {
    if (const int err = file.Open(path); err != 0) {
      std::fprintf(stderr, "qlxs-cli capture: %s: cannot create the pcapng file: %s\n", path.c_str(),
                   std::strerror(err));
      return false;
    }
    packets = std::make_unique<TelegramPackets>(m);
    std::string devices[2];
    for (int p = 0; p < 2; ++p)
      if (m.ports[p].bp.cnr != 0) devices[p] = m.portMap.DevicePath(m.ports[p].bp.cnr);
    packets->Begin(pending, devices[0], devices[1]);
    active = true;
    Flush();
    return active;
  }

  void Add(const T_Telegramm& t) {
    if (active) packets->Add(pending, t);
  }

  void Flush() {
    if (!active) return;
    packets->Flush(pending);
    if (pending.empty()) return;
    const int err = file.Write(pending);
    if (err == 0) return;
    active = false;
    file.Close();
    const std::string where = path == "-" ? "standard output" : path;
    if (err == EPIPE)
      std::fprintf(stderr, "qlxs-cli capture: the reader of the pcapng stream on %s went away; the stream ends, "
                   "capture goes on\n", where.c_str());
    else
      std::fprintf(stderr, "qlxs-cli capture: cannot write the pcapng stream to %s: %s; the stream ends, capture "
                   "goes on\n", where.c_str(), std::strerror(err));
  }
};

// Standard output of the records: lines gather while an event is handled
// and are written out after it, and so does the packet stream.
struct Output {
  std::string pending;
  bool failed = false;
  PcapStream pcap;

  bool Flush() {
    pcap.Flush();
    if (failed || pending.empty()) {
      pending.clear();
      return !failed;
    }
    if (std::fwrite(pending.data(), 1, pending.size(), stdout) != pending.size() || std::fflush(stdout) != 0)
      failed = true;
    pending.clear();
    return !failed;
  }
};

std::string PortText(const Monitor& m, const T_ComVar& port) {
  return "COM" + std::to_string(port.bp.cnr) + " (" + m.portMap.DevicePath(port.bp.cnr) + ")";
}

// The capture loop: waits for the ports, the stop signals and the next
// 54 ms tick, hands what the ports deliver to the receivers and does the
// tick work, and writes the telegrams printed meanwhile. Returns the exit
// status: 0 when stopped by a signal or after `duration` seconds (0: no
// limit), 1 when the log or standard output could not be written, 3 when
// every port was lost. `demo`, when set, plays the demo line on every tick.
int CaptureUntilStopped(Monitor& m, Clock& clock, int sigFd, double duration, Output& out, DemoLine* demo) {
  using Steady = std::chrono::steady_clock;
  const auto end =
      Steady::now() + std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(duration));
  uint32_t nextTick = clock.Tick() + kTickMs;
  bool logWriteFailed = false;
  for (;;) {
    pollfd fds[3];
    T_ComVar* polled[3] = {};
    nfds_t n = 0;
    fds[n++] = {sigFd, POLLIN, 0};
    for (T_ComVar& port : m.ports)
      if (port.se.open && port.pCp->Fd() >= 0) {
        polled[n] = &port;
        fds[n++] = {port.pCp->Fd(), POLLIN, 0};
      }
    int64_t wait = std::max<int32_t>(0, static_cast<int32_t>(nextTick - clock.Tick()));
    if (duration > 0)
      wait = std::clamp<int64_t>(
          std::chrono::duration_cast<std::chrono::milliseconds>(end - Steady::now()).count(), 0, wait);
    const int ready = ::poll(fds, n, static_cast<int>(wait));
    if (ready < 0 && errno != EINTR) {
      std::fprintf(stderr, "qlxs-cli capture: waiting for the ports failed: %s\n", std::strerror(errno));
      return kExitFailure;
    }
    bool stopRequested = false;
    if (ready > 0) {
      signalfd_siginfo info;
      while ((fds[0].revents & POLLIN) && ::read(sigFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        stopRequested = true;
      for (nfds_t i = 1; i < n; ++i)
        if (fds[i].revents != 0 && polled[i]->se.open) ServicePort(m, *polled[i]);
    }
    if (static_cast<int32_t>(clock.Tick() - nextTick) >= 0) {
      // The demo line plays what is due; the ports read it at the next wait.
      if (demo) demo->Pump(clock.Tick(), LineOctetsPerSecond(m));
      if (TimerTick(m).wentOffline) logWriteFailed = true;
      nextTick += kTickMs;
      // After a long stall (a suspended process) the ticks do not catch up in a burst.
      if (static_cast<int32_t>(clock.Tick() - nextTick) > static_cast<int32_t>(kTickMs))
        nextTick = clock.Tick() + kTickMs;
    }
    if (!out.Flush()) {
      std::fprintf(stderr, "qlxs-cli capture: cannot write to standard output: %s; capture stopped\n",
                   std::strerror(errno));
      return kExitFailure;
    }
    if (!m.PrgPar.online) return logWriteFailed ? kExitFailure : kExitAllPortsLost;
    if (stopRequested || (duration > 0 && Steady::now() >= end)) return kExitOk;
  }
}

// Says on stderr that the ring of the log has come round and overwrites its
// oldest telegrams: once when it starts, then once per further round.
void ReportRingFull(const std::string& log, const T_LogStand& s, const OverwriteWatch& w) {
  const std::string ring = "the ring of " + std::to_string(int64_t{s.anzbl} * kLogBlockSize / 1024000) + " MB";
  const int64_t rounds = (w.overwritten - 1) / s.anzbl;
  if (rounds == 0)
    std::fprintf(stderr,
                 "qlxs-cli capture: %s: %s is full; the oldest telegrams are being overwritten (oldest now no. %d)\n",
                 log.c_str(), ring.c_str(), s.erstnr);
  else
    std::fprintf(stderr,
                 "qlxs-cli capture: %s: %s has gone round %lld more time(s); the oldest telegrams are being "
                 "overwritten (oldest now no. %d)\n",
                 log.c_str(), ring.c_str(), static_cast<long long>(rounds), s.erstnr);
}

}  // namespace

int RunCapture(int argc, char** argv) {
  Options o;
  ArgParser args("capture", kHelp);
  DeclareOptions(args, o);
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  if (o.log.empty() && !o.demo) return args.Fail("--log LOG is required");
  if (o.demo && (o.deviceGiven[0] || o.deviceGiven[1]))
    return args.Fail("--demo captures the demo line; it takes no --device1 or --device2");

  // A reader that goes away must not kill the capture before the log is written back.
  std::signal(SIGPIPE, SIG_IGN);
  const int sigFd = BlockStopSignals();
  if (sigFd < 0) {
    std::fprintf(stderr, "qlxs-cli capture: cannot watch for stop signals: %s\n", std::strerror(errno));
    return kExitFailure;
  }

  std::unique_ptr<DemoLine> demo;
  if (o.demo) {
    demo = std::make_unique<DemoLine>();
    if (!demo->ok()) {
      std::fprintf(stderr, "qlxs-cli capture: the demo line cannot be set up: %s\n", demo->error().c_str());
      return kExitFailure;
    }
  }

  SystemClock clock;
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  const std::string progDir = ProgramDirectory(ExecutableDirectory());
  const StartupResult started = demo ? StartUpDemo(*m, progDir) : StartUp(*m, progDir, RuntimeDirectory());
  if (started != StartupResult::Run) return StartupExitCode(started);

  TermiosSerialPort serial[2];
  m->ports[0].pCp = &serial[0];
  m->ports[1].pCp = &serial[1];

  // The log named here stays the log for the whole capture: the daily log
  // option of the settings does not replace it.
  m->PrgPar.opt[kOptDailyLog] = 0;
  m->PrgPar.online = 0;
  // The demo writes into its own log unless told otherwise.
  if (o.log.empty()) o.log = FileNameFor(*m, kTextLogFile);
  if (!o.pcapng.empty() && o.pcapng != "-" && SameFile(o.log, o.pcapng))
    return args.Fail("--log and --pcapng name the same file");
  const bool logExisted = IsFile(o.log);
  m->AllgVar.logopt = true;
  LogOpen(*m, o.log, false);
  ApplyGeneralParameters(*m);
  if (m->AllgVar.logerr) {
    std::fprintf(stderr, "qlxs-cli capture: %s: the telegram log cannot be written (%s)\n", o.log.c_str(),
                 IoResultText(m->AllgVar.lastIoResult).c_str());
    return kExitFailure;
  }
  auto giveUp = [&](int code) {
    // A log that received nothing is closed as it was found.
    if (!m->AllgVar.logsave) m->AllgVar.logopt = false;
    LogClose(*m);
    if (!logExisted && m->log.stand.letztnr == 0) ::unlink(o.log.c_str());
    return code;
  };
  if (const std::string problem = ApplyOptions(*m, o); !problem.empty()) return giveUp(args.Fail(problem));
  if (demo) demo->MapPorts(*m);
  if (const int rc = CheckDevices(*m, args); rc != 0) return giveUp(rc);

  Output out;
  // Standard output carries either the telegram lines or the packet stream.
  const bool printLines = o.pcapng != "-";
  if (!o.pcapng.empty()) {
    out.pcap.path = o.pcapng;
    if (!out.pcap.Start(*m)) return giveUp(kExitFailure);
  }
  OverwriteWatch overwrites(m->log.stand);
  T_TeleAusgabe view;
  if (o.format != 0) {
    // Rendered as the online view shows telegrams.
    LoadTypeNames(m->AllgVar);
    m->PrgPar.afmt = o.format;
    if (o.format == FmtExport) m->PrgPar.nur104 = m->PrgPar.mitzeit = m->PrgPar.mitlink = 1;
  } else if (printLines) {
    out.pending = kRecordHeaderLine;
  }
  m->onStored = [&](const T_Telegramm& t) {
    if (printLines && o.format == 0) {
      AppendRecordLine(out.pending, t, m->log.stand.erstnr);
    } else if (printLines && ViewAdmits(m->PrgPar, m->AllgPar, m->log.stand.erstnr, t)) {
      BeginTelegram(*m, view, t);
      for (const std::string* p = &NextLines(*m, view); !p->empty(); p = &NextLines(*m, view))
        AppendPieceLines(out.pending, *p, "\n");
    }
    out.pcap.Add(t);
    if (overwrites.Update(m->log.stand)) ReportRingFull(o.log, m->log.stand, overwrites);
  };

  std::string what;
  for (const T_ComVar& port : m->ports)
    if (port.bp.cnr != 0) what += (what.empty() ? "" : " and ") + PortText(*m, port);
  GoOnline(*m);
  const bool allOpen = m->PrgPar.online && (m->ports[0].bp.cnr == 0 || m->ports[0].se.open) &&
                       (m->ports[1].bp.cnr == 0 || m->ports[1].se.open);
  if (!allOpen) {
    GoOffline(*m);
    out.Flush();
    return giveUp(kExitFailure);
  }
  std::fprintf(stderr, "qlxs-cli capture: capturing %sfrom %s at %s into %s; stop with Ctrl-C\n",
               demo ? "the demo line " : "", what.c_str(), PortSummary(*m, m->ports[0].bp).c_str(), o.log.c_str());

  int exitCode = CaptureUntilStopped(*m, clock, sigFd, o.duration, out, demo.get());
  if (exitCode == kExitAllPortsLost)
    std::fprintf(stderr, "qlxs-cli capture: no port is left open; capture ended. What was received is in %s\n",
                 o.log.c_str());
  GoOffline(*m);
  LogClose(*m);
  out.Flush();
  if (m->AllgVar.logerr && exitCode == kExitOk) {
    std::fprintf(stderr, "qlxs-cli capture: %s: writing the telegram log failed\n", o.log.c_str());
    exitCode = kExitFailure;
  }
  ::close(sigFd);
  return exitCode;
}

}  // namespace qlxs::cli
