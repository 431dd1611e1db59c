// The print dialog's decisions: the choices it opens with, the output file
// name made from the entry, the refusal of the current log, and the failure
// messages of an output.

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "app/print_command.h"
#include "log/store.h"
#include "log/telegram_log.h"
#include "model/typed_file.h"
#include "platform/file_system.h"
#include "support/capture_fixture.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace qlxs {
namespace {

using test::CaptureFixture;
using test::ScratchDir;

TEST(PrintChoices, StoredChoicesOutsideTheListsFallBack) {
  struct Case {
    int druausg, drudrucker, drudatei, printers, files;
    PrintChoices want;
  };
  for (const Case& c : std::vector<Case>{
           {1, 2, 3, 4, 5, {1, 2, 3}},      // all as stored
           {3, 0, 0, 1, 1, {0, 0, 0}},      // unknown choice: text file
           {-1, 0, 0, 1, 1, {0, 0, 0}},
           {2, 4, 5, 4, 5, {2, 0, -1}},     // a printer or file that is gone
           {0, -1, -1, 2, 2, {0, 0, -1}},
           {1, 0, 0, 0, 0, {1, -1, -1}},    // no printer, an empty directory
       }) {
    T_PrgPar p = DefaultPrgPar();
    p.druausg = c.druausg;
    p.drudrucker = c.drudrucker;
    p.drudatei = c.drudatei;
    const PrintChoices got = InitialPrintChoices(p, c.printers, c.files);
    EXPECT_EQ(got.choice, c.want.choice) << c.druausg;
    EXPECT_EQ(got.printer, c.want.printer) << c.drudrucker << " of " << c.printers;
    EXPECT_EQ(got.file, c.want.file) << c.drudatei << " of " << c.files;
  }
  T_PrgPar p = DefaultPrgPar();
  StorePrintChoices(p, {2, 1, 7});
  EXPECT_EQ(p.druausg, 2);
  EXPECT_EQ(p.drudrucker, 1);
  EXPECT_EQ(p.drudatei, 7);
}

TEST(PrintChoices, TheFileListShowsTheFilesOfTheOutput) {
  EXPECT_EQ(PrintFileMask(kPrintTextFile, false), "*.txt");
  EXPECT_EQ(PrintFileMask(kPrintTextFile, true), "*.txt");
  EXPECT_EQ(PrintFileMask(kPrintPrinter, false), "*.txt");
  EXPECT_EQ(PrintFileMask(kPrintPrinter, true), "*.pdf");
  EXPECT_EQ(PrintFileMask(kPrintLogFile, true), "*.lg4");
}

TEST(PrintTargetName, DataDirectoryAndExtensionRules) {
  const std::string dir = "/data/";
  struct Case {
    std::string entered;
    int choice;
    bool pdf;
    std::string want;
  };
  for (const Case& c : std::vector<Case>{
           {"out", kPrintTextFile, false, "/data/out.txt"},
           {"out.txt", kPrintTextFile, false, "/data/out.txt"},
           {"out.csv", kPrintTextFile, false, "/data/out.csv"},       // an extension is kept
           {"  out  ", kPrintTextFile, false, "/data/out.txt"},       // blanks around the name
           {"/tmp/out", kPrintTextFile, false, "/tmp/out.txt"},       // an absolute path stays
           {"sub/out", kPrintTextFile, false, "/data/sub/out.txt"},   // relative: in the data directory
           {"v1.2/out", kPrintTextFile, false, "/data/v1.2/out.txt"}, // a dot in a directory is no extension
           {".hidden", kPrintTextFile, false, "/data/.hidden.txt"},   // nor is a leading dot
           {"out", kPrintLogFile, false, "/data/out.lg4"},
           {"out.txt", kPrintLogFile, false, "/data/out.lg4"},        // the log extension replaces another
           {"out.LG4", kPrintLogFile, false, "/data/out.lg4"},
           {"out", kPrintPrinter, true, "/data/out.pdf"},
           {"out.pdf", kPrintPrinter, true, "/data/out.pdf"},
           {"", kPrintTextFile, false, ""},
           {"   ", kPrintLogFile, false, ""},
           {"sub/", kPrintTextFile, false, ""},                       // a directory, no file
       }) {
    EXPECT_EQ(PrintTargetName(c.entered, c.choice, c.pdf, dir, ".lg4"), c.want)
        << "'" << c.entered << "' choice " << c.choice;
  }
  EXPECT_EQ(PrintTargetName("out", kPrintTextFile, false, "/data", ".lg4"), "/data/out.txt");
}

TEST(CheckPrintTarget, TheCurrentLogIsRefusedUnderAnyOfItsNames) {
  ScratchDir dir;
  const std::string log = dir.file("line.lg4");
  test::WriteFile(log, "log");
  ASSERT_EQ(::symlink(log.c_str(), dir.file("link.lg4").c_str()), 0);
  struct Case {
    std::string name;
    PrintTargetCheck want;
  };
  for (const Case& c : std::vector<Case>{
           {log, PrintTargetCheck::CurrentLog},
           {dir.path() + "/./line.lg4", PrintTargetCheck::CurrentLog},
           {dir.file("link.lg4"), PrintTargetCheck::CurrentLog},
           {dir.file("LINE.lg4"), PrintTargetCheck::Ok},  // another file here, whatever its case
           {dir.file("other.lg4"), PrintTargetCheck::Ok},
           {"", PrintTargetCheck::NoName},
       }) {
    EXPECT_EQ(CheckPrintTarget(c.name, log), c.want) << c.name;
  }
}

// A monitor whose current log holds a few text lines.
struct PrintRun : CaptureFixture {
  PrintRun() {
    m.AllgVar.dtlog = dir.file("current.lg4");
    LogNew(m, m.AllgVar.dtlog);
    for (int i = 0; i < 5; ++i) {
      T_Telegramm t{};
      t.ek = kReceiverPort1;
      t.ta = TaRaw;
      t.stat = StatTextLine;
      t.lg = 2;
      t.b[0] = 'O';
      t.b[1] = 'K';
      t.dt = 46002.5;
      StoreTelegram(m, t);
    }
    m.PrgPar.ausgonl = 0;
    sink.entries.clear();
  }
  ScratchDir dir;
};

TEST(MayReplaceOutput, AnExistingFileIsReplacedOnlyAfterAsking) {
  const struct {
    const char* name;
    bool exists;
    std::vector<MsgAnswer> answers;
    bool may;
    bool asked;
  } cases[] = {
      {"a new file", false, {}, true, false},
      {"an existing file, Yes", true, {AnswerYes}, true, true},
      {"an existing file, No", true, {AnswerNo}, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PrintRun p;
    const std::string name = c.exists ? p.dir.write("saved.lg4", "a saved log") : p.dir.file("new.txt");
    p.sink.answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(MayReplaceOutput(p.m, name), c.may);
    ASSERT_EQ(p.sink.entries.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(p.sink.entries[0].buttons, ButtonsYesNo);
      EXPECT_NE(p.sink.entries[0].text.find(name), std::string::npos);
    }
  }
}

TEST(RunPrint, AFailedOutputNamesTheFileAndTheReason) {
  for (const int choice : {kPrintTextFile, kPrintLogFile}) {
    PrintRun p;
    const std::string name = p.dir.file("missing/out.x");
    const PrintResult r = RunPrint(p.m, choice, name, nullptr, {});
    EXPECT_NE(r.io, 0) << choice;
    ASSERT_EQ(p.MessageNumbers(), std::vector<int>{kTextOutputFailed}) << choice;
    const std::string& text = p.sink.entries[0].text;
    EXPECT_NE(text.find(name), std::string::npos) << text;
    EXPECT_NE(text.find(IoResultText(ENOENT)), std::string::npos) << text;
    EXPECT_FALSE(p.m.AllgVar.logerr) << "the current log is fine: " << choice;
  }
}

TEST(RunPrint, APrinterThatIsNotThereWritesNothing) {
  PrintRun p;
  const std::string name = p.dir.file("Office printer");
  const PrintResult r = RunPrint(p.m, kPrintPrinter, name, nullptr, {});
  EXPECT_EQ(r.io, ENODEV);
  EXPECT_EQ(p.MessageNumbers(), std::vector<int>{kTextOutputFailed});
  EXPECT_FALSE(IsFile(name)) << "no text file in the printer's place";
}

TEST(RunPrint, WritesTheTextFileOrTheExtractWithoutAMessage) {
  PrintRun p;
  const std::string text = p.dir.file("out.txt");
  EXPECT_EQ(RunPrint(p.m, kPrintTextFile, text, nullptr, {}).telegrams, 5);
  EXPECT_NE(test::ReadFile(text).find(Text(p.m.AllgVar, 1170)), std::string::npos);

  const std::string extract = p.dir.file("x.lg4");
  EXPECT_EQ(RunPrint(p.m, kPrintLogFile, extract, nullptr, {}).telegrams, 5);
  auto x = std::make_unique<test::TestMonitor>();
  ASSERT_EQ(LogOpenForReading(x->m, extract), LogCheck::Valid);
  EXPECT_EQ(x->m.log.stand.letztnr, 5);
  EXPECT_TRUE(p.MessageNumbers().empty());
}

}  // namespace
}  // namespace qlxs
