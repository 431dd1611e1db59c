// The general settings, options and about dialogs on the offscreen
// platform: entries refused with their field marked, Cancel leaving the
// records untouched, OK writing exactly the dialog's fields, the data
// directory question, the focus coming back to the remembered control, the
// options from the language texts and the lines of the about box.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/general_settings.h"
#include "app/monitor.h"
#include "app/startup.h"
#include "config/allg_par.h"
#include "config/language_texts.h"
#include "model/text_table.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"
#include "ui/general_dialogs.h"
#include "ui/screenshot.h"
#include "ui/started_monitor.h"

namespace qlxs {
namespace {

using test::ScopedEnv;

class GeneralDialogsTest : public ::testing::Test, protected test::StartedMonitor<> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    main.setGeometry(100, 50, 900, 600);
    main.show();
  }

  // Shows `d` and waits until it is active.
  static void Show(QDialog& d) {
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  }

  // Runs `act` on the modal dialog of type D as soon as it is open.
  template <typename D>
  static void WhenOpen(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
      auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
      ASSERT_NE(d, nullptr);
      act(*d);
    });
  }

  QString T(int n) const { return QString::fromStdString(Text(m->AllgVar, n)); }

  QWidget main;
};

TEST_F(GeneralDialogsTest, BadEntriesAreMarkedAndKeepTheDialogOpen) {
  const struct {
    const char* name;
    QLineEdit* TfmAlg::*field;
    const char* text;
  } cases[] = {
      {"common address widths add up to 8", &TfmAlg::edStatAdr, "4-4"},
      {"common address widths add up to 24", &TfmAlg::edStatAdr, "8-8-8"},
      {"object address widths add up to 16", &TfmAlg::edObjAdr, "8-8"},
      {"a zero width", &TfmAlg::edObjAdr, "8-0-16"},
      {"100 % value 99", &TfmAlg::edMw100, "99"},
      {"100 % value 32768", &TfmAlg::edMw100, "32768"},
      {"log size above 2000", &TfmAlg::edMaxLog, "2001"},
      {"log size 0", &TfmAlg::edMaxLog, "0"},
      {"no data directory", &TfmAlg::edLogVerz, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TfmAlg d(*m, &main, m->AllgPar, m->AllgVar.DataDir, 20);
    Show(d);
    QLineEdit* bad = d.*c.field;
    bad->setText(c.text);
    d.okButton()->click();
    EXPECT_TRUE(d.isVisible());
    for (QLineEdit* f : {d.edStatAdr, d.edObjAdr, d.edMw100, d.edMaxLog, d.edLogVerz})
      EXPECT_EQ(f->property("inError").toBool(), f == bad) << f->text().toStdString();
    EXPECT_TRUE(messages.entries.empty()) << "no question while a field is in error";
  }
}

TEST_F(GeneralDialogsTest, StructureFieldsTakeOnlyTheirCharactersInUpperCase) {
  TfmAlg d(*m, &main, m->AllgPar, m->AllgVar.DataDir, 20);
  Show(d);
  d.edStatAdr->clear();
  d.edStatAdr->setFocus();
  QTest::keyClicks(d.edStatAdr, "8/8 ab;x$1f");
  EXPECT_EQ(d.edStatAdr->text(), "88 AB;$1F");
  d.edMaxLog->setFocus();
  QTest::keyClick(d.edMaxLog, Qt::Key_Up);
  EXPECT_EQ(d.edMaxLog->text(), "101") << "the arrow keys step the log size";
  d.edMaxLog->setText("2000");
  QTest::keyClick(d.edMaxLog, Qt::Key_Up);
  EXPECT_EQ(d.edMaxLog->text(), "2000");
}

TEST_F(GeneralDialogsTest, CancelLeavesTheRecordAndTheDirectoryUntouched) {
  T_AllgPar copy = m->AllgPar;
  copy.ilo = 2;
  const T_AllgPar before = copy;
  std::string dataDir = m->AllgVar.DataDir;
  WhenOpen<TfmAlg>([&](TfmAlg& d) {
    d.edStatAdr->setText("8-8");
    d.edMw100->setText("1000");
    d.edLogVerz->setText(QString::fromStdString(root.file("elsewhere")));
    d.edMaxLog->setFocus();
    d.cancelButton()->click();
  });
  EXPECT_FALSE(EditGeneral(*m, &main, copy, dataDir, 20));
  EXPECT_EQ(std::memcmp(&copy, &before, sizeof copy), 0);
  EXPECT_EQ(dataDir, m->AllgVar.DataDir);
  EXPECT_FALSE(IsDirectory(root.file("elsewhere")));
}

TEST_F(GeneralDialogsTest, OkWritesExactlyTheFieldsAndCreatesANewDirectoryOnYes) {
  T_AllgPar copy = m->AllgPar;
  copy.afilt.ein = 1;
  T_AllgPar expected = copy;
  std::string dataDir = m->AllgVar.DataDir;
  const std::string newDir = root.file("new/data");
  messages.answers = {AnswerNo, AnswerYes};
  WhenOpen<TfmAlg>([&](TfmAlg& d) {
    d.edStatAdr->setText("8-8");
    d.edObjAdr->setText("8 16");
    d.edMw100->setText("1000");
    d.edMaxLog->setText("7");
    d.edLogVerz->setText(QString::fromStdString(newDir));
    d.edMw100->setFocus();
    QApplication::processEvents();
    d.okButton()->click();
    EXPECT_TRUE(d.isVisible()) << "declining to create the directory keeps the dialog open";
    EXPECT_TRUE(d.edLogVerz->property("inError").toBool());
    d.okButton()->click();
  });
  ASSERT_TRUE(EditGeneral(*m, &main, copy, dataDir, 20));
  EXPECT_EQ(messages.entries.size(), 2u);
  for (const auto& e : messages.entries) EXPECT_EQ(e.number, kTextCreateDataDir);
  EXPECT_TRUE(IsDirectory(newDir));
  EXPECT_EQ(dataDir, newDir + "/");
  expected.ilo = 3;
  expected.cabrt = T_AdrStruktur{2, {8, 8, 0, 0, 0}};
  expected.oabrt = T_AdrStruktur{2, {8, 16, 0, 0, 0}};
  expected.mw100 = 1000;
  expected.maxlog = 7;
  EXPECT_EQ(std::memcmp(&copy, &expected, sizeof copy), 0);
}

TEST_F(GeneralDialogsTest, TheRememberedControlGetsTheFocusBack) {
  // ilo, the field that has the focus when the dialog opens
  const std::vector<std::pair<int, QLineEdit* TfmAlg::*>> cases{
      {4, &TfmAlg::edMaxLog}, {5, &TfmAlg::edLogVerz}, {0, &TfmAlg::edStatAdr}, {42, &TfmAlg::edStatAdr}};
  for (const auto& [ilo, field] : cases) {
    T_AllgPar ap = m->AllgPar;
    ap.ilo = ilo;
    TfmAlg d(*m, &main, ap, m->AllgVar.DataDir, 20);
    Show(d);
    EXPECT_EQ(d.focusWidget(), d.*field) << "ilo " << ilo;
    EXPECT_EQ(d.hintLine()->text(), T(ilo == 4 ? 634 : ilo == 5 ? 554 : 598));
  }
}

TEST_F(GeneralDialogsTest, OpensAtTheMainWindowsRightEdgeBelowTheControlBar) {
  TfmAlg d(*m, &main, m->AllgPar, m->AllgVar.DataDir, 25);
  Show(d);
  const QRect f = d.frameGeometry(), mf = main.frameGeometry();
  EXPECT_EQ(f.left(), mf.left() + mf.width() - f.width());
  EXPECT_EQ(f.top(), mf.top() + 50);
}

TEST_F(GeneralDialogsTest, TheFolderBrowserPutsTheChosenFolderIntoTheField) {
  const std::string chosen = root.file("chosen");
  ASSERT_EQ(MakeDirectories(chosen), 0);
  TfmAlg d(*m, &main, m->AllgPar, m->AllgVar.DataDir, 20);
  Show(d);
  QTimer::singleShot(0, [&] {
    auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(fd, nullptr);
    fd->setDirectory(QString::fromStdString(chosen));
    QMetaObject::invokeMethod(fd, "accept");
  });
  d.btnBr->click();
  EXPECT_EQ(d.edLogVerz->text().toStdString(), chosen + "/");
}

TEST_F(GeneralDialogsTest, OptionsComeFromTheTextsAndOkWritesTheFlags) {
  SetText(m->AllgVar, kTextOptionCount, "5");
  const uint8_t before[5] = {1, 1, 0, 0, 0};
  std::memcpy(m->PrgPar.opt, before, sizeof before);
  {
    TfmOpt d(*m, &main);
    Show(d);
    ASSERT_EQ(d.chlbOpt->count(), 5);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(d.chlbOpt->item(i)->text(), T(kTextFirstOption + i));
      EXPECT_EQ(d.chlbOpt->item(i)->checkState() == Qt::Checked, before[i] != 0);
    }
    EXPECT_EQ(d.chlbOpt->currentRow(), 0);
    EXPECT_EQ(d.hintLine()->text(), T(502));
    EXPECT_EQ(d.frameGeometry().top(), main.frameGeometry().top() + 48);
  }
  WhenOpen<TfmOpt>([](TfmOpt& d) {
    d.chlbOpt->item(0)->setCheckState(Qt::Unchecked);
    d.chlbOpt->item(4)->setCheckState(Qt::Checked);
    d.cancelButton()->click();
  });
  EXPECT_FALSE(EditOptions(*m, &main));
  EXPECT_EQ(std::memcmp(m->PrgPar.opt, before, 5), 0);
  WhenOpen<TfmOpt>([](TfmOpt& d) {
    d.chlbOpt->item(0)->setCheckState(Qt::Unchecked);
    d.chlbOpt->item(4)->setCheckState(Qt::Checked);
    d.okButton()->click();
  });
  EXPECT_TRUE(EditOptions(*m, &main));
  EXPECT_EQ(std::vector<int>(m->PrgPar.opt, m->PrgPar.opt + 5), (std::vector<int>{0, 1, 0, 0, 1}));

  // Fewer options shown leave the others as they are.
  SetText(m->AllgVar, kTextOptionCount, "2");
  WhenOpen<TfmOpt>([](TfmOpt& d) {
    EXPECT_EQ(d.chlbOpt->count(), 2);
    d.chlbOpt->item(1)->setCheckState(Qt::Unchecked);
    d.okButton()->click();
  });
  EXPECT_TRUE(EditOptions(*m, &main));
  EXPECT_EQ(std::vector<int>(m->PrgPar.opt, m->PrgPar.opt + 5), (std::vector<int>{0, 0, 0, 0, 1}));
}

TEST_F(GeneralDialogsTest, AboutShowsItsLinesAndAnyKeyClosesIt) {
  TfmInfo d(*m, &main);
  Show(d);
  EXPECT_EQ(d.windowTitle(), T(kTextAboutCaption));
  const std::vector<std::string> want = AboutLines(m->AllgVar, "0.0.0");
  ASSERT_EQ(d.lbInfo->count(), 8);
  for (int i : {0, 1, 2, 3, 4, 6, 7}) EXPECT_EQ(d.lbInfo->item(i)->text().toStdString(), want[static_cast<size_t>(i)]);
  EXPECT_TRUE(d.lbInfo->item(5)->text().startsWith(T(kTextVersionPrefix)));
  EXPECT_EQ(d.lbInfo->palette().color(QPalette::Base), QColor(192, 220, 192));
  QTest::keyClick(&d, Qt::Key_Shift);
  EXPECT_TRUE(d.isVisible()) << "a modifier alone does not close it";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(GeneralDialogsTest, Pictures) {
  for (const auto& [language, suffix] : {std::pair{LangGerman, "ger"}, std::pair{LangEnglish, "usa"}}) {
    ASSERT_TRUE(LoadTexts(*m, language));
    T_AllgPar ap = m->AllgPar;
    ap.cabrt = T_AdrStruktur{2, {8, 8, 0, 0, 0}};
    ap.oabrt = T_AdrStruktur{3, {8, 8, 8, 0, 0}};
    ap.ilo = 1;
    {
      TfmAlg d(*m, &main, ap, "/home/operator/.local/share/Brakel/DemoQuallixS/", 20);
      Show(d);
      test::SaveScreenshot(d, QString("general-") + suffix);
    }
    {
      TfmOpt d(*m, &main);
      Show(d);
      test::SaveScreenshot(d, QString("options-") + suffix);
    }
    {
      TfmInfo d(*m, &main);
      Show(d);
      test::SaveScreenshot(d, QString("about-") + suffix);
    }
  }
}

}  // namespace
}  // namespace qlxs
