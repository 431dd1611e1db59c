// qlxs-cli pcap: a telegram log as a pcapng packet file for Wireshark.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/monitor.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/view_setup.h"
#include "filter/filter_match.h"
#include "pcap/pcapng_file.h"
#include "pcap/telegram_packets.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace qlxs::cli {

namespace {

constexpr char kHelp[] =
    "Usage: qlxs-cli pcap LOG OUT.pcapng [--filter FILE] [--lang ger|usa]\n"
    "\n"
    "Writes the telegram log LOG as the packet file OUT.pcapng ('-' for standard\n"
    "output), which Wireshark and tshark open without any setting. LOG is only\n"
    "read.\n"
    "\n"
    "  - Each port is an interface of link type PPP named after the port. Every\n"
    "    frame as received is a packet: unstuffed, without its flags and its\n"
    "    frame check sequence (and without the line-error octet QLXS appends to\n"
    "    a frame with a line error). The APDUs that QLXS cut from the frames are\n"
    "    not written; Wireshark finds and reassembles them itself. A frame that\n"
    "    QLXS judged faulty, or from which it cut a faulty APDU, carries QLXS's\n"
    "    status texts as a packet comment.\n"
    "  - A third interface, 'events', holds the port events, modem-line changes,\n"
    "    messages, text lines of a modem dialogue and octets outside any frame,\n"
    "    each as a syslog message with the same text as its comment.\n"
    "  - Packets of the first port are marked inbound, those of the second port\n"
    "    outbound.\n"
    "  - Time stamps are the local times of the telegrams, converted to UTC under\n"
    "    the time zone this command runs in (TZ). In the hour that repeats when\n"
    "    the clocks go back, the earlier reading is taken.\n"
    "  - When the IEC 104 port of the log's settings is not 2404, the file's\n"
    "    comment names the option that makes Wireshark decode it:\n"
    "    -d tcp.port==N,iec60870_104\n"
    "\n"
    "  --filter FILE   only what the filter file (348 bytes, saved by the filter\n"
    "                  dialog of the desktop monitor) admits: an event when the\n"
    "                  filter admits it, a frame when it admits the frame or one\n"
    "                  of the APDUs cut from it\n"
    "  --lang ger|usa  language of the comments and event texts (default: that of\n"
    "                  the settings)\n"
    "\n"
    "Ctrl-C, SIGTERM or SIGHUP stops the export; OUT.pcapng holds the packets up\n"
    "to there.\n"
    "\n"
    "Exit status: 0 success; 1 LOG is missing, is not a telegram log or has\n"
    "blocks that cannot be read (what can be read is written), the filter file\n"
    "cannot be read, or OUT.pcapng cannot be written; 2 usage error; 99 the\n"
    "language file cannot be loaded; 128 + the signal when stopped.\n";

constexpr size_t kWriteAt = 1 << 16;

std::string ComName(int32_t cnr) { return cnr > 0 ? "COM" + std::to_string(cnr) : std::string(); }

}  // namespace

int RunPcap(int argc, char** argv) {
  ViewOptions o;
  std::vector<std::string> names;
  ArgParser args("pcap", kHelp);
  args.Text("--filter", o.filter);
  DeclareLanguageOption(args, o);
  args.Positionals(names, 2, 2, "expected LOG and OUT.pcapng");
  if (const int rc = args.Parse(argc, argv); rc >= 0) return rc;
  const std::string& log = names[0];
  const std::string& out = names[1];
  if (SameFile(log, out)) return args.Fail("LOG and OUT.pcapng are the same file; LOG is never changed");
  if (!WatchStopSignals("pcap")) return kExitFailure;

  SystemClock clock;
  StderrMessageSink sink;
  auto m = std::make_unique<Monitor>(clock, sink);
  if (const int rc = SetUpView(*m, o, log, "pcap"); rc >= 0) return rc;

  PcapngFile file;
  if (const int err = file.Open(out); err != 0) {
    std::fprintf(stderr, "qlxs-cli pcap: %s: cannot create: %s\n", out.c_str(), std::strerror(err));
    m->log.file.Close();
    return kExitFailure;
  }
  TelegramPackets packets(*m);
  std::string buffer;
  packets.Begin(buffer, ComName(m->ports[0].bp.cnr), ComName(m->ports[1].bp.cnr));

  int writeError = 0;
  long written = 0;
  const bool filtered = m->AllgPar.afilt.ein != 0;
  VisitStored(*m, [&](const T_Telegramm& t) {
    if (writeError != 0 || StopSignal() != 0) return;
    const bool admitted = !filtered || FilterMatch(m->AllgPar.afilt, m->AllgPar, m->log.stand.erstnr, t);
    written += packets.Add(buffer, t, admitted);
    if (buffer.size() >= kWriteAt) writeError = file.Write(buffer);
  });
  if (StopSignal() == 0) written += packets.Flush(buffer);
  m->log.file.Close();
  if (writeError == 0) writeError = file.Write(buffer);
  if (const int err = file.Close(); writeError == 0) writeError = err;
  if (writeError != 0) {
    std::fprintf(stderr, "qlxs-cli pcap: %s: cannot write: %s\n", out.c_str(), std::strerror(writeError));
    return kExitFailure;
  }
  if (!ReportReadFailures(*m, log, "pcap")) return kExitFailure;
  if (const int sig = StopSignal(); sig != 0) {
    std::fprintf(stderr, "qlxs-cli pcap: stopped by %s; %ld packets written to %s\n", StopSignalName(sig), written,
                 out.c_str());
    return StopExitCode(sig);
  }
  if (out != "-") std::printf("%ld packets written to %s\n", written, out.c_str());
  return kExitOk;
}

}  // namespace qlxs::cli
