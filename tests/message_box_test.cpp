// Message boxes by text and by number, and their command-line form: stderr
// for messages, the terminal for questions.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <string>

#include "app/monitor.h"
#include "config/message_box.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "support/monitor_fixture.h"

namespace qlxs {
namespace {

TEST(MessageBox, OperationsPassTextKindButtonsAndPlace) {
  test::TestMonitor tm;
  Monitor& m = tm.m;
  RecordingMessageSink& sink = tm.sink;
  m.AllgVar.TxtList.assign(1300, "");
  m.AllgVar.TxtList[1204] = "Go offline now?";
  m.AllgVar.TxtList[1137] = "No COM port is configured.";

  sink.answers = {AnswerYes, AnswerNo};
  EXPECT_EQ(AskYesNo(m, 1204), AnswerYes);
  EXPECT_EQ(AskYesNo(m, 1204), AnswerNo);
  EXPECT_EQ(AskYesNo(m, 1204), AnswerNo) << "no answer left: No";
  EXPECT_EQ(MessageOkNr(m, 1137, MsgError), AnswerOk);
  EXPECT_EQ(MessageOk(m, "composed", MsgWarning), AnswerOk);
  EXPECT_EQ(MessageAt(m, "composed", MsgInformation, ButtonsOk), AnswerOk);

  ASSERT_EQ(sink.entries.size(), 6u);
  EXPECT_EQ(sink.entries[0].number, 1204);
  EXPECT_EQ(sink.entries[0].text, "Go offline now?");
  EXPECT_EQ(sink.entries[0].type, MsgConfirmation);
  EXPECT_EQ(sink.entries[0].buttons, ButtonsYesNo);
  EXPECT_EQ(sink.entries[3].number, 1137);
  EXPECT_EQ(sink.entries[3].type, MsgError);
  EXPECT_EQ(sink.entries[3].buttons, ButtonsOk);
  EXPECT_EQ(sink.entries[4].number, 0);
  for (const auto& e : sink.entries) EXPECT_EQ(e.place, PlaceMainWindow);
}

// Reads what is available on fd after a short wait.
std::string Drain(int fd) {
  std::string out;
  char buf[256];
  for (int tries = 0; tries < 50; ++tries) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<size_t>(n));
      if (out.find('\n') != std::string::npos || out.find("] ") != std::string::npos) break;
    } else {
      ::usleep(10000);
    }
  }
  return out;
}

TEST(StderrMessages, QuestionsAreAskedOnTheTerminal) {
  const struct {
    const char* reply;
    MsgAnswer answer;
  } cases[] = {{"y\n", AnswerYes}, {"  Yes\n", AnswerYes}, {"j\n", AnswerYes}, {"n\n", AnswerNo}, {"\n", AnswerNo}};
  for (const auto& c : cases) {
    int master, slave;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    ::fcntl(out[0], F_SETFL, O_NONBLOCK);
    StderrMessageSink sink(slave, out[1]);
    ASSERT_EQ(::write(master, c.reply, std::char_traits<char>::length(c.reply)),
              static_cast<ssize_t>(std::char_traits<char>::length(c.reply)));
    MessageRequest r;
    r.type = MsgConfirmation;
    r.buttons = ButtonsYesNo;
    r.text = "Delete the log?";
    EXPECT_EQ(sink.Ask(r), c.answer) << c.reply;
    EXPECT_EQ(Drain(out[0]), "qlxs: question: Delete the log? [y/N] ");
    for (int fd : {master, slave, out[0], out[1]}) ::close(fd);
  }
}

TEST(StderrMessages, WithoutTerminalQuestionsAreAnsweredNo) {
  int in[2], out[2];
  ASSERT_EQ(::pipe(in), 0);
  ASSERT_EQ(::pipe(out), 0);
  ::fcntl(out[0], F_SETFL, O_NONBLOCK);
  ASSERT_EQ(::write(in[1], "y\n", 2), 2);  // a pipe is not asked, even with a yes in it
  StderrMessageSink sink(in[0], out[1]);
  MessageRequest r;
  r.buttons = ButtonsYesNo;
  r.type = MsgConfirmation;
  r.text = "Go offline now?";
  EXPECT_EQ(sink.Ask(r), AnswerNo);
  EXPECT_EQ(Drain(out[0]), "qlxs: question: Go offline now? [y/N] no (standard input is not a terminal)\n");

  // Messages go out with their CR LF line breaks as plain line feeds.
  r.buttons = ButtonsOk;
  r.type = MsgError;
  r.text = "Line number jumps, line:    7\r\n   7  seven";
  EXPECT_EQ(sink.Ask(r), AnswerOk);
  EXPECT_EQ(Drain(out[0]), "qlxs: error: Line number jumps, line:    7\n   7  seven\n");
  sink.Show(1137, MsgWarning, "");
  EXPECT_EQ(Drain(out[0]), "qlxs: warning: message 1137\n");
  for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
}

}  // namespace
}  // namespace qlxs
