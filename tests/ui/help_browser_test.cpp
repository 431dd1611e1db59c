// The help browser: it opens at a topic with that page's title, follows a
// link, goes back, switches language with the program, stays one window for
// several calls, takes input while a modal dialog runs, and reports a
// missing help folder instead of showing an empty window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "app/help_topics.h"
#include "config/config_state.h"
#include "config/language_texts.h"
#include "platform/message_sink.h"
#include "support/scratch_dir.h"
#include "ui/help_browser.h"
#include "ui/screenshot.h"

namespace qlxs {
namespace {

class HelpBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cs.AllgVar.ProgDir = QLXS_BIN_DIR "/";
    ASSERT_TRUE(LoadTexts(cs, LangGerman));
  }
  void TearDown() override {
    if (QWidget* w = HelpWindow()) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void Language(int spr) {
    cs.PrgPar.spr = spr;
    ASSERT_TRUE(LoadTexts(cs, spr));
  }

  static QTextBrowser* Text() { return HelpWindow()->findChild<QTextBrowser*>("helpText"); }
  static QToolButton* Button(const char* name) { return HelpWindow()->findChild<QToolButton*>(name); }
  static QString Page() { return Text()->source().fileName(); }
  static QString Folder() { return Text()->source().adjusted(QUrl::RemoveFilename).path(); }

  RecordingMessageSink sink;
  ConfigState cs{sink};
};

TEST_F(HelpBrowserTest, OpensAtTheTopicFollowsLinksAndGoesBack) {
  Language(LangEnglish);
  ShowHelpTopic(nullptr, cs, kHelpGeneral);
  ASSERT_NE(HelpWindow(), nullptr);
  EXPECT_TRUE(HelpWindow()->isVisible());
  EXPECT_EQ(Page(), "5500.html");
  EXPECT_TRUE(Folder().endsWith("/help/usa/"));
  EXPECT_FALSE(Text()->documentTitle().isEmpty());
  EXPECT_EQ(HelpWindow()->windowTitle(), Text()->documentTitle());
  EXPECT_EQ(Button("helpBack")->text(), "Back");
  EXPECT_FALSE(Button("helpBack")->isEnabled());

  // Every page links to the contents; following the link changes the title.
  const QString generalTitle = HelpWindow()->windowTitle();
  Text()->setSource(QUrl("110.html"));
  EXPECT_EQ(Page(), "110.html");
  EXPECT_NE(HelpWindow()->windowTitle(), generalTitle);
  EXPECT_TRUE(Button("helpBack")->isEnabled());
  Button("helpBack")->click();
  EXPECT_EQ(Page(), "5500.html");
  EXPECT_EQ(HelpWindow()->windowTitle(), generalTitle);
  EXPECT_TRUE(Button("helpForward")->isEnabled());
  test::SaveScreenshot(*HelpWindow(), "help-usa");

  Button("helpContents")->click();
  EXPECT_EQ(Page(), "110.html");
  EXPECT_TRUE(sink.entries.empty());
}

TEST_F(HelpBrowserTest, OneWindowFollowsTheTopicAndTheLanguage) {
  ShowHelpTopic(nullptr, cs, kHelpMainWindow);
  QPointer<QWidget> first = HelpWindow();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(Folder().endsWith("/help/ger/"));
  EXPECT_EQ(Button("helpBack")->text(), "Zurück");
  const QString germanTitle = first->windowTitle();
  test::SaveScreenshot(*first, "help-ger");

  Language(LangEnglish);
  ShowHelpTopic(nullptr, cs, kHelpPorts);
  EXPECT_EQ(HelpWindow(), first.data());
  EXPECT_EQ(Page(), "5400.html");
  EXPECT_TRUE(Folder().endsWith("/help/usa/"));
  EXPECT_EQ(Button("helpForward")->text(), "Forward");

  ShowHelpTopic(nullptr, cs, kHelpMainWindow);
  EXPECT_EQ(HelpWindow(), first.data());
  EXPECT_NE(first->windowTitle(), germanTitle) << "the English page has an English title";
  Button("helpContents")->click();
  EXPECT_TRUE(Folder().endsWith("/help/usa/")) << "contents of the current language";

  // Closed, the window is gone; the next call opens a new one.
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(HelpWindow(), nullptr);
  ShowHelpTopic(nullptr, cs, kHelpContents);
  EXPECT_NE(HelpWindow(), nullptr);
}

TEST_F(HelpBrowserTest, TakesInputWhileAModalDialogRunsAndOutlivesIt) {
  QDialog dialog;
  bool reachable = false;
  QTimer::singleShot(0, [&] {
    ShowHelpTopic(&dialog, cs, kHelpDisplayFilter);
    // Windows of the running dialog take input; others are blocked.
    reachable = HelpWindow() != nullptr && HelpWindow()->isWindow() && HelpWindow()->parentWidget() == &dialog;
    dialog.reject();
  });
  dialog.exec();
  EXPECT_TRUE(reachable);
  ASSERT_NE(HelpWindow(), nullptr) << "the help stays open when the dialog ends";
  EXPECT_EQ(HelpWindow()->parentWidget(), nullptr);
  EXPECT_TRUE(HelpWindow()->isVisible());
  EXPECT_EQ(Page(), "6100.html");
}

TEST_F(HelpBrowserTest, AMissingHelpFolderIsReportedWithItsName) {
  test::ScratchDir empty;
  cs.AllgVar.ProgDir = empty.dir();
  ShowHelpTopic(nullptr, cs, kHelpGeneral);
  EXPECT_EQ(HelpWindow(), nullptr);
  ASSERT_EQ(sink.entries.size(), 1u);
  EXPECT_EQ(sink.entries[0].number, kTextHelpMissing);
  EXPECT_NE(sink.entries[0].text.find(empty.dir() + "help/ger/"), std::string::npos) << sink.entries[0].text;
}

}  // namespace
}  // namespace qlxs
