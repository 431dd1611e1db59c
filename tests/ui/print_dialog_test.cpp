// The print dialog on a log made by the simulator: printing into a PDF file
// (read back with pdftotext), the text file in the data directory, the
// extract that refuses the current log, Cancel during an output, and the
// choices stored on OK only.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/log_files.h"
#include "app/monitor.h"
#include "app/startup.h"
#include "config/language_texts.h"
#include "log/telegram_log.h"
#include "model/text_table.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"
#include "support/files.h"
#include "support/run_cli.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"
#include "ui/print_dialog.h"
#include "ui/screenshot.h"
#include "ui/started_monitor.h"

namespace qlxs {
namespace {

using test::ScopedEnv;

constexpr int kTextEnd = 1170;
constexpr int kTextCancelled = 1171;
constexpr int kTextCurrentLog = 1315;

// Blanks squeezed to one, so that text read back from a PDF compares with
// the lines that were printed.
std::string Squeezed(const std::string& s) {
  std::string out;
  for (const char c : s) {
    const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\f';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

class PrintDialogTest : public ::testing::Test, protected test::StartedMonitor<> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    log = m->AllgVar.DataDir + "line.lg4";
    ASSERT_TRUE(test::MakeSimulatedLog(root, log, {"--apdus", "300", "--seed", "7"}));
    m->AllgVar.dtlog = log;
    OpenLogFile(*m, log);
    m->PrgPar.ausgonl = 0;
    messages.entries.clear();
  }
  void TearDown() override { LogClose(*m); }

  std::unique_ptr<TfmDruk> Open() {
    auto d = std::make_unique<TfmDruk>(*m, nullptr);
    d->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    return d;
  }

  // Selects the output and enters the file name.
  static void Choose(TfmDruk& d, int choice, const QString& file) {
    d.choiceButton(choice)->click();
    d.fileList()->setEditText(file);
  }

  std::string log;
};

TEST_F(PrintDialogTest, PrintsIntoAPdfFileWhatTheTextFileHolds) {
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "pdftotext is not installed (package poppler-utils, installed by scripts/setup)";
  // The same output as a text file first, to know what the pages must show.
  auto text = Open();
  Choose(*text, kPrintTextFile, "same");
  text->okButton()->click();
  const std::vector<std::string> want = Lines(test::ReadFile(m->AllgVar.DataDir + "same.txt"));
  ASSERT_GT(want.size(), 20u);

  auto d = Open();
  Choose(*d, kPrintPrinter, "print");
  d->printerList()->setCurrentIndex(TfmDruk::kPdfEntry);
  EXPECT_TRUE(d->fileList()->isEnabled()) << "a PDF file needs a name";
  EXPECT_FALSE(d->coloursBox()->isChecked()) << "colours are an option";
  d->coloursBox()->click();  // the text reads the same in colour
  d->okButton()->click();
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_EQ(d->lastResult().io, 0);
  const std::string pdf = m->AllgVar.DataDir + "print.pdf";
  EXPECT_EQ(d->lastTarget().toStdString(), pdf);
  const std::string txt = root.file("pdf.txt");
  ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + txt + "'").c_str()), 0);
  const std::string got = Squeezed(test::ReadFile(txt));

  // Page headers: the log's name and "page n" on every page.
  EXPECT_GT(d->lastResult().pages, 1);
  EXPECT_NE(got.find(Squeezed(want[0].substr(0, want[0].find(Text(m->AllgVar, 429))) + " page 1")),
            std::string::npos)
      << got.substr(0, 300);
  EXPECT_NE(got.find(" page 2"), std::string::npos);
  // The telegrams: each line of the first and the last telegrams.
  int checked = 0;
  for (size_t i = 2; i < want.size(); ++i) {
    if (i >= 40 && i + 40 < want.size()) continue;
    const std::string line = Squeezed(want[i]);
    if (line.empty() || line == " ") continue;
    EXPECT_NE(got.find(line), std::string::npos) << "line " << i << " not printed: " << want[i];
    ++checked;
  }
  EXPECT_GT(checked, 40);
  EXPECT_NE(got.find(Text(m->AllgVar, kTextEnd)), std::string::npos);
}

TEST_F(PrintDialogTest, TheTextFileGoesIntoTheDataDirectoryWithTxtAndOkStoresTheChoices) {
  for (const char* name : {"a.txt", "b.txt", "c.lg4"}) test::WriteFile(m->AllgVar.DataDir + name, "old");
  m->PrgPar.druausg = 2;
  m->PrgPar.drudrucker = 0;
  m->PrgPar.drudatei = 0;

  // Cancel leaves the stored choices as they were.
  QTimer::singleShot(0, [] {
    auto* d = qobject_cast<TfmDruk*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->choiceButton(kPrintLogFile)->isChecked());
    EXPECT_EQ(d->fileList()->currentText(), "c.lg4") << "file 0 of the *.lg4 files";
    d->choiceButton(kPrintTextFile)->click();
    d->cancelButton()->click();
  });
  PrintCommand(*m, nullptr);
  EXPECT_EQ(m->PrgPar.druausg, 2);
  EXPECT_EQ(m->PrgPar.drudatei, 0);

  // OK: b.txt exists, so the output asks first; No keeps the dialog and
  // the file, Yes runs the output and the choices shown are stored.
  QTimer::singleShot(0, [this] {
    auto* d = qobject_cast<TfmDruk*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    d->choiceButton(kPrintTextFile)->click();
    ASSERT_EQ(d->fileList()->count(), 2) << "the *.txt files of the data directory";
    d->fileList()->setCurrentIndex(1);
    messages.answers = {AnswerNo};
    d->okButton()->click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(test::ReadFile(m->AllgVar.DataDir + "b.txt"), "old");
    messages.answers = {AnswerYes};
    d->okButton()->click();
  });
  PrintCommand(*m, nullptr);
  ASSERT_EQ(messages.entries.size(), 2u) << "asked twice";
  messages.entries.clear();
  EXPECT_EQ(m->PrgPar.druausg, kPrintTextFile);
  EXPECT_EQ(m->PrgPar.drudatei, 1);
  EXPECT_EQ(m->PrgPar.drudrucker, 0);
  const std::vector<std::string> b = Lines(test::ReadFile(m->AllgVar.DataDir + "b.txt"));
  ASSERT_FALSE(b.empty());
  EXPECT_EQ(b.back(), Text(m->AllgVar, kTextEnd));

  // A name without a directory or an extension.
  auto d = Open();
  Choose(*d, kPrintTextFile, "report");
  d->okButton()->click();
  EXPECT_TRUE(IsFile(m->AllgVar.DataDir + "report.txt"));
  EXPECT_FALSE(IsFile(m->AllgVar.DataDir + "report"));
  EXPECT_TRUE(MessageNumbers().empty());
}

TEST_F(PrintDialogTest, AnExtractNeverReplacesTheCurrentLog) {
  struct stat before;
  ASSERT_EQ(::stat(log.c_str(), &before), 0);
  auto d = Open();
  for (const QString& name : {QString("line"), QString("line.txt"), QString::fromStdString(log)}) {
    messages.entries.clear();
    Choose(*d, kPrintLogFile, name);
    d->okButton()->click();
    EXPECT_EQ(MessageNumbers(), std::vector<int>{kTextCurrentLog}) << name.toStdString();
    EXPECT_TRUE(d->isVisible()) << "the dialog stays for another name";
  }
  // A text file of the same name is refused too: it would overwrite the log.
  messages.entries.clear();
  Choose(*d, kPrintTextFile, "line.lg4");
  d->okButton()->click();
  EXPECT_EQ(MessageNumbers(), std::vector<int>{kTextCurrentLog});
  struct stat after;
  ASSERT_EQ(::stat(log.c_str(), &after), 0);
  EXPECT_EQ(after.st_size, before.st_size);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

  // No name at all: the field is marked.
  messages.entries.clear();
  Choose(*d, kPrintLogFile, "  ");
  d->okButton()->click();
  EXPECT_TRUE(d->isVisible());
  EXPECT_TRUE(d->fileList()->lineEdit()->property("inError").toBool());
  EXPECT_TRUE(MessageNumbers().empty());

  // Another name: the extract holds every telegram, renumbered from 1.
  Choose(*d, kPrintLogFile, "part.txt");
  d->okButton()->click();
  EXPECT_FALSE(d->isVisible());
  const std::string part = m->AllgVar.DataDir + "part.lg4";
  EXPECT_EQ(d->lastTarget().toStdString(), part);
  auto x = std::make_unique<Monitor>(clock, messages);
  ASSERT_EQ(LogOpenForReading(*x, part), LogCheck::Valid);
  EXPECT_EQ(x->log.stand.erstnr, 1);
  EXPECT_EQ(x->log.stand.letztnr, d->lastResult().telegrams);
  EXPECT_EQ(x->log.stand.letztnr, m->log.stand.letztnr - m->log.stand.erstnr + 1);
  x->log.file.Close();
}

TEST_F(PrintDialogTest, CancelStopsARunningOutput) {
  auto d = Open();
  Choose(*d, kPrintTextFile, "cut");
  // Cancel as soon as the bar shows progress: the output is under way.
  QObject::connect(d->progressBar(), &QProgressBar::valueChanged, d.get(), [&d](int value) {
    EXPECT_TRUE(d->running());
    EXPECT_FALSE(d->okButton()->isVisible());
    EXPECT_TRUE(d->progressBar()->isVisible());
    if (value > 0) d->cancelButton()->click();
  });
  d->okButton()->click();
  EXPECT_FALSE(d->isVisible());
  EXPECT_TRUE(d->lastResult().cancelled);
  const int total = m->log.stand.letztnr - m->log.stand.erstnr + 1;
  EXPECT_GT(d->lastResult().telegrams, 100);
  EXPECT_LT(d->lastResult().telegrams, total / 2);
  const std::vector<std::string> lines = Lines(test::ReadFile(m->AllgVar.DataDir + "cut.txt"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), Text(m->AllgVar, kTextCancelled));
  EXPECT_EQ(test::ReadFile(m->AllgVar.DataDir + "cut.txt").find(Text(m->AllgVar, kTextEnd)), std::string::npos);
}

TEST_F(PrintDialogTest, Screenshots) {
  for (const auto& [language, name] : {std::pair{LangGerman, "print-ger"}, std::pair{LangEnglish, "print-usa"}}) {
    ASSERT_TRUE(LoadTexts(*m, language));
    auto d = Open();
    Choose(*d, kPrintPrinter, "line-print");
    d->printerList()->setCurrentIndex(TfmDruk::kPdfEntry);
    d->fileList()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(d->windowTitle(), QString::fromStdString(Text(m->AllgVar, 1312)));
    test::SaveScreenshot(*d, name);
  }
}

}  // namespace
}  // namespace qlxs
