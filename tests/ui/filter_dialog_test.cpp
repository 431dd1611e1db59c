// The filter dialog on the offscreen platform: what it shows for the
// default filter, entries it refuses, Cancel and OK, filter files saved and
// loaded through its file dialogs, a file that is not a filter file, and
// the pick list of types and causes.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include "app/filter_dialog_rules.h"
#include "app/monitor.h"
#include "app/startup.h"
#include "config/language_texts.h"
#include "filter/filter_match.h"
#include "platform/clock.h"
#include "platform/message_sink.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "ui/filter_dialog.h"
#include "ui/screenshot.h"

namespace qlxs {
namespace {

// Component indexes of the fixed controls (the order the dialog registers them).
constexpr int kFirstRowComponent = 14;  // state box of criterion row 1
int ValueComponent(int row, int field) { return kFirstRowComponent + 4 * (row - 1) + (field == 1 ? 1 : 3); }

bool SameBytes(const T_Filter& a, const T_Filter& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Acts on the modal dialog that opens next, once it runs.
void WhenModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* w = QApplication::activeModalWidget();
    ASSERT_NE(w, nullptr);
    act(w);
  });
}

// Answers the next file dialog with `path` (an empty path cancels it).
void AnswerFileDialog(const QString& path) {
  WhenModal([path](QWidget* w) {
    auto* fd = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(fd, nullptr);
    if (path.isEmpty()) {
      fd->reject();
      return;
    }
    fd->selectFile(path);
    static_cast<QDialog*>(fd)->accept();  // the file dialog's own accept checks the name
  });
}

class FilterDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m = std::make_unique<Monitor>(clock, messages);
    ASSERT_EQ(StartUpIn(*m, QLXS_BIN_DIR, root.file("data")), StartupResult::Run);
    ASSERT_TRUE(LoadTexts(*m, LangEnglish));
    m->AllgVar.elements.ips.push_back({0x0100000A, "Centre", 0, 0});  // 10.0.0.1
    ResetFilter(copy, m->AllgPar);
  }

  std::unique_ptr<TfmFlt> Open(bool display = true) {
    auto d = std::make_unique<TfmFlt>(*m, nullptr, copy, display ? FilterKind::Display : FilterKind::Log);
    d->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(d.get()));
    return d;
  }

  test::ScratchDir root;
  ManualClock clock{46002.5};  // 2025-12-11 12:00
  RecordingMessageSink messages;
  std::unique_ptr<Monitor> m;
  T_Filter copy;
};

TEST_F(FilterDialogTest, TheDefaultFilterOpensWithEverythingAdmittedAndRowsForEachAddressField) {
  m->AllgPar.cabrt = {2, {8, 8}};
  ResetFilter(copy, m->AllgPar);
  for (const Language lang : {LangGerman, LangEnglish}) {
    ASSERT_TRUE(LoadTexts(*m, lang));
    auto d = Open(lang == LangEnglish);
    EXPECT_EQ(d->windowTitle().toStdString(), Text(m->AllgVar, lang == LangEnglish ? 692 : 693));
    for (QListWidget* list : {d->statusList(), d->sourceList(), d->classList()})
      for (int k = 0; k < list->count(); ++k) EXPECT_EQ(list->item(k)->checkState(), Qt::Checked);
    EXPECT_EQ(d->classList()->count(), 5);
    EXPECT_FALSE(d->fromCheck()->isChecked());
    EXPECT_EQ(d->fromDate()->date(), QDate(2025, 12, 11)) << "an empty log offers today";
    ASSERT_EQ(d->rowCount(), 8);
    EXPECT_EQ(d->row(1).w1->text(), "1");
    EXPECT_EQ(d->row(6).label->text().left(2), "&1");
    EXPECT_EQ(d->row(7).label->text().left(2), "&2");
    EXPECT_EQ(d->row(8).label->text().left(2), "&3");
    EXPECT_EQ(d->ipRow().w1->text(), "0.0.0.0");
    d->row(3).w1->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(d->hintLine()->text().toStdString(), Text(m->AllgVar, 1209) + "255" + Text(m->AllgVar, 1227));
    test::SaveScreenshot(*d, lang == LangEnglish ? "filter-usa" : "filter-ger");
    d->reject();
  }
}

TEST_F(FilterDialogTest, BadEntriesKeepTheDialogOpenUntilTheyAreCorrected) {
  m->AllgPar.cabrt = {2, {8, 8}};
  ResetFilter(copy, m->AllgPar);
  const T_Filter before = copy;
  auto d = Open();
  struct Case {
    QLineEdit* field;
    QString bad, good;
  } cases[] = {
      {d->ipRow().w1, "10.0.0.300", "10.0.0.3"},
      {d->ipRow().w2, "Nowhere", "Centre"},
      {d->row(3).w1, "256", "36"},      // type
      {d->row(6).w2, "300", "255"},     // first common address field, 8 bits
      {d->row(1).w1, "", "5"},
  };
  for (const Case& c : cases) {
    c.field->setText(c.bad);
    d->okButton()->click();
    EXPECT_TRUE(d->isVisible()) << c.bad.toStdString();
    EXPECT_TRUE(c.field->property("inError").toBool()) << c.bad.toStdString();
    EXPECT_TRUE(SameBytes(copy, before)) << "nothing reaches the copy while an entry is bad";
    c.field->setText(c.good);
  }
  d->okButton()->click();
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_EQ(static_cast<uint32_t>(copy.ip.w1), 0x0300000Au);
  EXPECT_EQ(static_cast<uint32_t>(copy.ip.w2), 0x0100000Au);
  EXPECT_EQ(copy.krit[2].w1, 36);
  EXPECT_EQ(copy.krit[5].w2, 255);
}

TEST_F(FilterDialogTest, CancelAndEscLeaveTheFilterUntouched) {
  copy.krit[3] = {KritCause, 1, 3, 0, 0};
  FilterNormalise(copy, m->AllgPar);
  const T_Filter before = copy;
  for (const bool esc : {false, true}) {
    auto d = Open();
    d->row(4).akt->setCurrentIndex(2);
    d->row(4).w1->setText("7");
    d->fromCheck()->setChecked(true);
    d->resetButton()->click();
    if (esc) {
      QTest::keyClick(d.get(), Qt::Key_Escape);
    } else {
      d->cancelButton()->click();
    }
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_TRUE(SameBytes(copy, before));
  }
}

TEST_F(FilterDialogTest, OkWritesTheControlsIntoTheFilterAndRemembersTheFocusedControl) {
  auto d = Open();
  d->toCheck()->setChecked(true);
  d->toTime()->setTime(QTime(13, 30, 0));
  d->sourceList()->item(0)->setCheckState(Qt::Unchecked);
  d->classList()->item(2)->setCheckState(Qt::Unchecked);
  d->row(3).akt->setCurrentIndex(1);
  d->row(3).mod->setCurrentIndex(2);
  d->row(3).w1->setText("30");
  d->row(3).w2->setText("40");
  d->row(7).akt->setCurrentIndex(2);
  d->row(7).w1->setText("4711");
  d->ipRow().akt->setCurrentIndex(1);
  d->ipRow().w1->setText("Centre");
  d->row(3).w2->setFocus();
  QApplication::processEvents();
  d->okButton()->click();
  ASSERT_EQ(d->result(), QDialog::Accepted);

  // What the controls showed for the default filter, with the edits.
  T_Filter expected;
  ResetFilter(expected, m->AllgPar);
  expected.krit[0].w1 = 1;   // the number row's preset, 1 .. telegrams in the log
  expected.krit[0].w2 = 1;
  expected.von = 46002.5;    // the empty log's bounds: now
  expected.bis = 46002.5625;
  expected.bisein = 1;
  expected.tken = 2;
  expected.tart = TartAll & ~TartS;
  expected.krit[2] = {KritType, 1, 30, 2, 40};
  expected.krit[6] = {KritIoaField1, 2, 4711, 0, 0};
  expected.ip = {0, 1, 0x0100000A, 0, 0};
  expected.ilo = ValueComponent(3, 2);
  FilterNormalise(expected, m->AllgPar);
  EXPECT_TRUE(SameBytes(copy, expected));
  EXPECT_EQ(copy.ioa1, 7);

  // The next dialog gives the remembered control the focus again.
  auto again = Open();
  EXPECT_EQ(QApplication::focusWidget(), again->row(3).w2);
}

TEST_F(FilterDialogTest, AFilterFileSavedFromTheDialogLoadsBackByteForByte) {
  const T_Filter before = copy;
  auto d = Open(false);
  d->row(4).akt->setCurrentIndex(1);
  d->row(4).w1->setText("3");
  d->statusList()->item(0)->setCheckState(Qt::Unchecked);
  const QString path = QString::fromStdString(root.file("mine.flt"));
  AnswerFileDialog(path);
  d->saveAction()->trigger();
  const std::string bytes = test::ReadFile(path.toStdString());
  ASSERT_EQ(bytes.size(), 348u);
  const T_Filter saved = d->work();
  EXPECT_EQ(std::memcmp(bytes.data(), &saved, 348), 0);
  EXPECT_EQ(saved.lg, 348);
  EXPECT_EQ(saved.krit[3].w1, 3);
  EXPECT_TRUE(SameBytes(copy, before)) << "saving does not reach the filter";

  d->resetButton()->click();
  EXPECT_EQ(d->row(4).akt->currentIndex(), 0);
  EXPECT_EQ(d->statusList()->item(0)->checkState(), Qt::Checked);
  AnswerFileDialog(path);
  d->loadAction()->trigger();
  EXPECT_TRUE(SameBytes(d->work(), saved));
  EXPECT_EQ(d->row(4).akt->currentIndex(), 1);
  EXPECT_EQ(d->row(4).w1->text(), "3");
  EXPECT_EQ(d->statusList()->item(0)->checkState(), Qt::Unchecked);
  EXPECT_TRUE(messages.entries.empty());

  // A bad entry keeps Save from asking for a file.
  d->row(4).w1->setText("999");
  d->saveAction()->trigger();
  EXPECT_TRUE(d->row(4).w1->property("inError").toBool());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no file dialog or pick list opened";
}

TEST_F(FilterDialogTest, AFileThatIsNotAFilterFileIsReportedAndChangesNothing) {
  const std::string path = root.file("wrong.flt");
  ASSERT_TRUE(test::WriteFile(path, std::string(349, '\0')));
  auto d = Open();
  d->row(2).w1->setText("12");
  const T_Filter before = d->work();
  AnswerFileDialog(QString::fromStdString(path));
  d->loadAction()->trigger();
  EXPECT_TRUE(SameBytes(d->work(), before));
  EXPECT_EQ(d->row(2).w1->text(), "12") << "the controls keep what was typed";
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].type, MsgError);
  EXPECT_NE(messages.entries[0].text.find(path), std::string::npos);
  EXPECT_NE(messages.entries[0].text.find("349 bytes"), std::string::npos);
}

TEST_F(FilterDialogTest, ThePickListChoosesTypesAndCauses) {
  ASSERT_TRUE(LoadTexts(*m, LangGerman));
  auto d = Open();
  QLineEdit* type = d->row(3).w1;
  type->setText("1");
  type->setFocus();
  bool seen = false;
  WhenModal([&](QWidget* w) {
    auto* pick = qobject_cast<TfmTyp*>(w);
    ASSERT_NE(pick, nullptr);
    seen = true;
    EXPECT_EQ(pick->windowTitle().toStdString(), Text(m->AllgVar, 1166));
    EXPECT_EQ(pick->list()->currentRow(), 0) << "type 1 is the first entry";
    const auto found = pick->list()->findItems(" 36=", Qt::MatchStartsWith);
    ASSERT_EQ(found.size(), 1);
    pick->list()->setCurrentItem(found[0]);
    test::SaveScreenshot(*pick, "typepick-ger");
    QTest::keyClick(pick->list(), Qt::Key_Return);
  });
  QTest::keyClick(type, Qt::Key_F12);
  EXPECT_TRUE(seen);
  EXPECT_EQ(type->text(), "36");
  EXPECT_EQ(d->focusWidget(), type);

  // A right click on the cause field; Esc keeps the value.
  QLineEdit* cause = d->row(4).w2;
  cause->setText("3");
  seen = false;
  WhenModal([&](QWidget* w) {
    auto* pick = qobject_cast<TfmTyp*>(w);
    ASSERT_NE(pick, nullptr);
    seen = true;
    EXPECT_EQ(pick->windowTitle().toStdString(), Text(m->AllgVar, 1167));
    ASSERT_NE(pick->list()->currentItem(), nullptr);
    EXPECT_TRUE(pick->list()->currentItem()->text().startsWith(" 3="));
    QTest::keyClick(pick->list(), Qt::Key_Escape);
  });
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), cause->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(cause, &rightClick);
  EXPECT_TRUE(seen);
  EXPECT_EQ(cause->text(), "3");

  // Other value fields have no pick list: F12 does nothing there.
  d->row(5).w1->setFocus();
  QTest::keyClick(d->row(5).w1, Qt::Key_F12);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no file dialog or pick list opened";
}

}  // namespace
}  // namespace qlxs
