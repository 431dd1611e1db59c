// The conventions every dialog shares, on a small dialog with two entry
// fields and a check box: hints in the status line, focus memory and its
// restore, Enter moving on, OK only with valid entries, and the placement
// beside the main window.

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "app/dialog_rules.h"
#include "config/config_state.h"
#include "model/text_table.h"
#include "platform/message_sink.h"
#include "ui/dialog_base.h"
#include "ui/help_browser.h"

namespace qlxs {
namespace {

class TwoFieldDialog : public QlxsDialog {
 public:
  explicit TwoFieldDialog(const ConfigState& cs) : QlxsDialog(cs, nullptr, 0, true) {
    auto* l = new QVBoxLayout(this);
    a = new QLineEdit(this);
    b = new QLineEdit(this);
    c = new QCheckBox(this);
    for (QWidget* w : {static_cast<QWidget*>(a), static_cast<QWidget*>(b), static_cast<QWidget*>(c)}) l->addWidget(w);
    AddComponent(a, 900);
    AddComponent(b, 901);
    AddComponent(c, 0);
    l->addLayout(ButtonRow());
    l->addWidget(hintLine());
  }
  QLineEdit* a;
  QLineEdit* b;
  QCheckBox* c;
  bool valid = true;

 protected:
  bool Validate() override {
    MarkError(b, !valid);
    return valid;
  }
};

class DialogBaseTest : public ::testing::Test {
 protected:
  DialogBaseTest() : cs(messages) {
    cs.AllgVar.TxtList.resize(1000);
    SetText(cs.AllgVar, 900, "hint of a");
    SetText(cs.AllgVar, 901, "hint of b");
    SetText(cs.AllgVar, kTextOk, "OK");
  }
  RecordingMessageSink messages;
  ConfigState cs;
};

TEST_F(DialogBaseTest, FocusShowsTheHintAndIsRememberedButNotForButtons) {
  TwoFieldDialog d(cs);
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  d.b->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(d.hintLine()->text(), "hint of b");
  EXPECT_EQ(d.rememberedIndex(), 2);
  d.okButton()->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(d.rememberedIndex(), 2) << "a button is not remembered";
  d.c->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(d.rememberedIndex(), 3);
  EXPECT_EQ(d.hintLine()->text(), "");
}

TEST_F(DialogBaseTest, RestoreFocusTakesOnlyAnIndexThatNamesAFocusableControl) {
  // ilo, whether b is disabled, whether b gets the focus back
  for (const auto& [ilo, disableB, expectB] : std::vector<std::tuple<int, bool, bool>>{
           {2, false, true}, {0, false, false}, {4, false, false}, {-1, false, false}, {2, true, false}}) {
    TwoFieldDialog d(cs);
    d.b->setEnabled(!disableB);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.a->setFocus();
    QApplication::processEvents();
    d.RestoreFocus(ilo);
    QApplication::processEvents();
    EXPECT_EQ(d.focusWidget() == d.b, expectB) << "ilo " << ilo << " disabled " << disableB;
  }
}

TEST_F(DialogBaseTest, EnterMovesToTheNextControlAndDoesNotClose) {
  TwoFieldDialog d(cs);
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  d.a->setFocus();
  QTest::keyClick(d.a, Qt::Key_Return);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.focusWidget(), d.b);
}

TEST_F(DialogBaseTest, OkClosesOnlyWhenTheEntriesAreValid) {
  TwoFieldDialog d(cs);
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  d.valid = false;
  d.okButton()->click();
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(d.b->property("inError").toBool());
  d.valid = true;
  d.okButton()->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.okButton()->text(), "OK");
}

TEST_F(DialogBaseTest, HelpAndF1OpenTheDialogsTopic) {
  cs.AllgVar.ProgDir = QLXS_BIN_DIR "/";
  cs.PrgPar.spr = 1;
  QlxsDialog d(cs, nullptr, 5500, true);
  auto* l = new QVBoxLayout(&d);
  auto* field = new QLineEdit(&d);
  l->addWidget(field);
  d.AddComponent(field, 0);
  l->addLayout(d.ButtonRow());
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  field->setFocus();
  QTest::keyClick(field, Qt::Key_F1);
  QWidget* help = HelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  const QString title = help->windowTitle();
  EXPECT_FALSE(title.isEmpty());
  help->close();
  d.helpButton()->click();
  EXPECT_TRUE(HelpWindow()->isVisible());
  EXPECT_EQ(HelpWindow()->windowTitle(), title);
  HelpWindow()->close();
}

TEST(DialogRules, ADialogBesideTheMainWindowStaysOnTheScreen) {
  EXPECT_EQ(DialogLeftBeside(100, 800, 1920, 400), 900);   // room on the right
  EXPECT_EQ(DialogLeftBeside(1000, 800, 1920, 400), 1520);  // pushed back onto the screen
}

}  // namespace
}  // namespace qlxs
