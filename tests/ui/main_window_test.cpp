// The main window on the offscreen platform: start-up and the deferred
// start, going online over a pseudo-terminal and offline again, the two
// views on a log made by the simulator, the shortcuts by option, the
// language switch with the recently used files, the placement round trip,
// copying, the demo line, every dialog item, and closing by SIGTERM with
// the log written back.

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/demo_line.h"
#include "app/monitor.h"
#include "config/settings.h"
#include "log/log_reader.h"
#include "log/telegram_log.h"
#include "model/telegram.h"
#include "model/text_table.h"
#include "platform/port_map.h"
#include "sim/line_simulator.h"
#include "support/pty_pair.h"
#include "support/run_cli.h"
#include "ui/main_window.h"
#include "ui/started_monitor.h"
#include "ui/stop_signals.h"

namespace qlxs {
namespace {

using test::ScopedEnv;
using sim::SimOptions;
using sim::SimResult;
using sim::SimulateLine;

// Runs the event loop until `done` holds; false when it did not within a
// generous bound (the tests never measure time, they only avoid hanging).
template <typename F>
bool ProcessUntil(F done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > 20000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

class MainWindowTest : public ::testing::Test, protected test::StartedMonitor<> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
  }

  // The window, its timer stopped so that the test ticks by hand.
  std::unique_ptr<TfmMain> Open(const std::vector<std::string>& args) {
    auto w = std::make_unique<TfmMain>(*m, args);
    w->timer()->stop();
    w->show();
    QCoreApplication::processEvents();
    return w;
  }

  void Ticks(TfmMain& w, int n) {
    for (int i = 0; i < n; ++i) w.desktop().Tick();
    QCoreApplication::processEvents();
  }

  // A log of the simulated line, made by the command line as a user makes one.
  std::string SimulatedLog(int apdus) {
    const std::string a = root.file("a.bin"), b = root.file("b.bin"), log = root.file("line.lg4");
    EXPECT_EQ(test::RunCli(root, {"simulate", "--out1", a, "--out2", b, "--apdus", std::to_string(apdus)}).exit, 0);
    EXPECT_EQ(test::RunCli(root, {"feed", log, a, b, "--size", "2"}).exit, 0);
    return log;
  }

};

TEST_F(MainWindowTest, StartsWithTheNamedLogAndRunsTheDeferredStartOnceOnTheSeventhTick) {
  const std::string log = SimulatedLog(20);
  m->PrgPar.online = 1;
  m->PrgPar.ausgonl = 0;
  const std::string elements = QLXS_BIN_DIR "/QLXSDemo.txt";
  auto w = Open({log, "offline", "-T2", elements});
  EXPECT_EQ(m->AllgVar.dtlog, log);
  EXPECT_TRUE(m->AllgVar.logopt);
  EXPECT_EQ(m->PrgPar.online, 0) << "the word offline on the command line";
  EXPECT_TRUE(w->desktop().t2);
  EXPECT_EQ(w->panelText(4).toStdString(), "Log: line.lg4");
  EXPECT_EQ(w->windowTitle().toStdString(), "QLXS - IEC 104 Line Monitor");

  Ticks(*w, 6);
  EXPECT_FALSE(w->desktop().started);
  Ticks(*w, 1);
  EXPECT_TRUE(w->desktop().started);
  EXPECT_EQ(m->AllgVar.dtOaTxt, elements);
  EXPECT_FALSE(m->AllgVar.elements.elements.empty()) << "the element texts are loaded at the deferred start";
  EXPECT_EQ(w->panelText(0).toStdString(), "Offline");
  EXPECT_EQ(w->panelText(5).toStdString(), "Element texts: QLXSDemo.txt");
  // The tick counter goes on; the deferred start does not come again.
  m->AllgVar.dtOaTxt = "changed";
  Ticks(*w, 300);
  EXPECT_EQ(m->AllgVar.dtOaTxt, "changed");
}

TEST_F(MainWindowTest, LogViewPagesThroughASimulatedLogWithTheScrollBar) {
  const std::string log = SimulatedLog(200);
  m->PrgPar.ausgonl = 0;
  m->PrgPar.online = 0;
  auto w = Open({log});
  Ticks(*w, 7);
  // The deferred start shows the end of the log: the last page, whose top
  // telegram lies close to the end.
  const int endPosition = w->desktop().scrollPosition();
  EXPECT_GT(endPosition, 900);
  EXPECT_EQ(w->scrollBar()->value(), endPosition);
  EXPECT_TRUE(w->scrollBar()->isVisible());
  EXPECT_FALSE(w->statusGrid()->isVisible());
  const QImage end = w->viewPixmap().toImage();

  w->scrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(w->scrollBar()->value(), 0);
  const QImage home = w->viewPixmap().toImage();
  EXPECT_NE(home, end);
  w->scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_GT(w->scrollBar()->value(), 0);
  EXPECT_LT(w->scrollBar()->value(), 1000);
  EXPECT_NE(w->viewPixmap().toImage(), home);
  w->scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(w->scrollBar()->value(), endPosition);
  EXPECT_EQ(w->viewPixmap().toImage(), end);

  // The view button goes to the online view and back.
  w->logViewAction()->trigger();
  EXPECT_EQ(m->PrgPar.ausgonl, 1);
  EXPECT_TRUE(w->statusGrid()->isVisible());
  EXPECT_FALSE(w->scrollBar()->isVisible());
  EXPECT_TRUE(w->onlineViewAction()->isChecked());
  EXPECT_EQ(w->panelText(1).toStdString(), "Online view");
  w->logViewAction()->trigger();
  EXPECT_EQ(m->PrgPar.ausgonl, 0);
  EXPECT_EQ(w->panelText(1).toStdString(), "Log view");
  QCoreApplication::processEvents();
  EXPECT_EQ(w->scrollBar()->value(), endPosition);
  EXPECT_EQ(w->viewPixmap().toImage(), end);

  // The paging keys page also when the view area has the focus (after a
  // click into the telegrams), not only from the scroll bar.
  QWidget* area = w->centralWidget();
  ASSERT_NE(area, nullptr);
  area->setFocus();
  QTest::keyClick(area, Qt::Key_Home);
  EXPECT_EQ(w->scrollBar()->value(), 0);
  QTest::keyClick(area, Qt::Key_End);
  EXPECT_EQ(w->scrollBar()->value(), endPosition);
}

TEST_F(MainWindowTest, DigitKeysToggleTheViewOptionsAndChooseTheFormat) {
  m->PrgPar.afmt = 3;
  m->PrgPar.nur104 = m->PrgPar.mitzeit = m->PrgPar.mitlink = 0;
  auto w = Open({});
  w->activateWindow();
  QApplication::setActiveWindow(w.get());
  ASSERT_TRUE(ProcessUntil([&] { return w->isActiveWindow(); }));

  const struct {
    Qt::Key key;
    int afmt;
    uint8_t nur104, mitzeit, mitlink;
  } steps[] = {
      {Qt::Key_1, 3, 0, 1, 0},  // with time
      {Qt::Key_2, 3, 0, 1, 1},  // with link layer
      {Qt::Key_0, 3, 1, 1, 1},  // only IEC 104
      {Qt::Key_1, 3, 1, 0, 1},  // time off again
      {Qt::Key_6, 6, 1, 0, 1},  // bytes
      {Qt::Key_7, 7, 1, 1, 1},  // CSV sets all three options
      {Qt::Key_2, 7, 1, 1, 1},  // and they do not toggle in CSV
      {Qt::Key_4, 4, 1, 1, 1},  // compact
      {Qt::Key_2, 4, 1, 1, 0},
  };
  for (const auto& s : steps) {
    QTest::keyClick(w.get(), s.key);
    SCOPED_TRACE(QKeySequence(s.key).toString().toStdString());
    EXPECT_EQ(m->PrgPar.afmt, s.afmt);
    EXPECT_EQ(m->PrgPar.nur104, s.nur104);
    EXPECT_EQ(m->PrgPar.mitzeit, s.mitzeit);
    EXPECT_EQ(m->PrgPar.mitlink, s.mitlink);
    for (int tag = 0; tag < 8; ++tag) EXPECT_EQ(w->viewAction(tag)->isChecked(), w->desktop().ViewActionChecked(tag));
  }
  EXPECT_TRUE(w->viewAction(4)->isChecked());
  EXPECT_FALSE(w->viewAction(7)->isChecked());
}

TEST_F(MainWindowTest, GoesOnlineOverAPseudoTerminalAndOfflineWithTheLogAndViewFollowing) {
  test::PtyPair line;
  ASSERT_TRUE(line.ok());
  m->ports[0].bp.cnr = AssignComNumber(m->portMap, line.slave());
  m->ports[1].bp.cnr = 0;
  m->PrgPar.online = 1;
  m->PrgPar.ausgonl = 0;
  std::vector<uint8_t> stats;
  m->onStored = [&](const T_Telegramm& t) { stats.push_back(t.stat); };
  auto w = Open({});
  Ticks(*w, 7);
  ASSERT_TRUE(m->ports[0].se.open);
  EXPECT_EQ(w->panelText(0).toStdString(), "Online");
  EXPECT_TRUE(w->goOnlineAction()->isChecked());
  ASSERT_FALSE(stats.empty());
  EXPECT_EQ(stats.front(), StatPortOpened);

  // Going offline from the menu shows the log view; going online again
  // clears the counters and shows the online view.
  w->goOfflineAction()->trigger();
  EXPECT_FALSE(m->ports[0].se.open);
  EXPECT_EQ(stats.back(), StatPortClosed);
  EXPECT_EQ(m->PrgPar.ausgonl, 0);
  EXPECT_TRUE(w->scrollBar()->isVisible());
  w->goOnlineAction()->trigger();
  ASSERT_TRUE(m->ports[0].se.open);
  EXPECT_EQ(m->PrgPar.ausgonl, 1);
  EXPECT_TRUE(w->statusGrid()->isVisible());

  SimOptions o;
  o.apdus = 20;  // what the pseudo-terminal buffers before anyone reads
  const SimResult sim = SimulateLine(o);
  const size_t before = stats.size();
  ASSERT_TRUE(line.Write(sim.line[0].data(), sim.line[0].size()));
  // The notifier hands the octets to the receiver; the ticks close what
  // the line left open and draw the online view.
  ASSERT_TRUE(ProcessUntil([&] {
    w->desktop().Tick();
    return m->counters[0] >= 10;
  }));
  EXPECT_GT(stats.size(), before + 10);
  ASSERT_TRUE(ProcessUntil([&] {
    w->desktop().Tick();
    return w->statusGrid()->item(1, 1)->text().trimmed().toStdString() == std::to_string(m->counters[0]);
  }));

  w->close();
  EXPECT_FALSE(m->ports[0].se.open);
  EXPECT_EQ(stats.back(), StatPortClosed);
  EXPECT_EQ(m->PrgPar.online, 1) << "closing keeps the online state for the next start";
}

TEST_F(MainWindowTest, SigtermClosesTheWindowWithThePortsClosedAndTheLogWrittenBack) {
  test::PtyPair line;
  ASSERT_TRUE(line.ok());
  m->ports[0].bp.cnr = AssignComNumber(m->portMap, line.slave());
  m->ports[1].bp.cnr = 0;
  m->PrgPar.online = 1;
  StopSignals stop;
  ASSERT_TRUE(stop.ok());
  auto w = Open({});
  QObject::connect(&stop, &StopSignals::stopRequested, w.get(), &QWidget::close);
  Ticks(*w, 7);
  ASSERT_TRUE(m->ports[0].se.open);
  SimOptions o;
  o.apdus = 20;  // what the pseudo-terminal buffers before anyone reads
  const SimResult sim = SimulateLine(o);
  ASSERT_TRUE(line.Write(sim.line[0].data(), sim.line[0].size()));
  ASSERT_TRUE(ProcessUntil([&] { return m->counters[0] >= 5; }));
  const std::string log = m->AllgVar.dtlog;

  ::raise(SIGTERM);
  ASSERT_TRUE(ProcessUntil([&] { return !w->isVisible(); }));
  EXPECT_FALSE(m->ports[0].se.open);

  // The file holds every telegram stored, the port-closed telegram last.
  const int32_t newest = m->log.stand.letztnr;
  Monitor reader(clock, messages);
  ASSERT_EQ(LogOpenForReading(reader, log), LogCheck::Valid);
  EXPECT_EQ(reader.log.stand.letztnr, newest);
  ReaderOpen(reader);
  T_Telegramm last{};
  ReaderRecord(reader, last);
  EXPECT_EQ(last.stat, StatPortClosed);
}

TEST_F(MainWindowTest, FunctionKeysFollowTheirOptions) {
  // F8 toggles online, F9 the view, F11 the display filter, F12 opens the
  // filter dialog, each only while its option is set; F1 and Ctrl+D always.
  for (const bool on : {false, true}) {
    SCOPED_TRACE(on ? "options on" : "options off");
    for (int i = 0; i < 4; ++i) m->PrgPar.opt[i] = on ? 1 : 0;
    auto w = Open({});
    EXPECT_EQ(w->action(Action::GoOnl)->shortcut(), on ? QKeySequence(Qt::Key_F8) : QKeySequence());
    EXPECT_EQ(w->action(Action::GoOffl)->shortcut(), QKeySequence()) << "the first action with F8 takes it";
    EXPECT_EQ(w->action(Action::AusgLog)->shortcut(), on ? QKeySequence(Qt::Key_F9) : QKeySequence());
    EXPECT_EQ(w->action(Action::AusgOnl)->shortcut(), QKeySequence());
    EXPECT_EQ(w->action(Action::AFiltAE)->shortcut(), on ? QKeySequence(Qt::Key_F11) : QKeySequence());
    EXPECT_EQ(w->action(Action::AFilter)->shortcut(), on ? QKeySequence(Qt::Key_F12) : QKeySequence());
    EXPECT_EQ(w->action(Action::HelpF1)->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(w->action(Action::LogDel)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    EXPECT_EQ(w->action(Action::Csv)->shortcut(), QKeySequence(Qt::Key_7));
    w->close();
  }
}

TEST_F(MainWindowTest, TheLanguageSwitchesAtRunTimeAndTheRecentFilesStay) {
  const std::string log = SimulatedLog(10);
  m->PrgPar.online = 0;
  auto w = Open({});
  Ticks(*w, 7);
  w->desktop().OpenLogCommand(log);
  w->RefreshControls();
  ASSERT_EQ(w->recentFileActions().size(), 1);
  EXPECT_TRUE(w->recentFileActions()[0]->text().endsWith("line.lg4"));
  EXPECT_EQ(w->panelText(0).toStdString(), "Offline");

  w->languageAction(0)->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(m->PrgPar.spr, 0);
  EXPECT_TRUE(w->languageAction(0)->isChecked());
  EXPECT_FALSE(w->languageAction(1)->isChecked());
  EXPECT_EQ(w->panelText(1).toStdString(), Text(m->AllgVar, kTextViewMode));
  EXPECT_NE(w->panelText(1).toStdString(), "Log view");
  EXPECT_EQ(w->fileMenu()->actions().first()->text().toStdString(), Text(m->AllgVar, 1410));
  ASSERT_EQ(w->recentFileActions().size(), 1) << "the list is written back and taken again";
  EXPECT_TRUE(w->fileMenu()->actions().contains(w->recentFileActions()[0]));
  w->languageAction(1)->trigger();
  EXPECT_EQ(w->panelText(1).toStdString(), "Log view");
}

TEST_F(MainWindowTest, WindowPlacementIsStoredAtCloseAndRestoredAtTheNextStart) {
  m->PrgPar.wstat = 0;
  QRect placed;
  {
    auto w = Open({});
    w->setGeometry(40, 60, 700, 480);
    QCoreApplication::processEvents();
    placed = w->geometry();
    w->close();
  }
  EXPECT_EQ(m->PrgPar.wstat, 1);
  EXPECT_EQ(m->PrgPar.wwidth, placed.width());
  EXPECT_EQ(m->PrgPar.wheight, placed.height());
  auto again = Open({});
  EXPECT_EQ(again->geometry(), placed);
  // Maximised: the state is kept, the normal rectangle stays as it was.
  again->showMaximized();
  QCoreApplication::processEvents();
  again->close();
  EXPECT_EQ(m->PrgPar.wstat, 3);
  EXPECT_EQ(m->PrgPar.wwidth, placed.width());
}

TEST_F(MainWindowTest, CtrlCCopiesTheTelegramUnderTheMouseOrThePage) {
  const std::string log = SimulatedLog(30);
  m->PrgPar.online = 0;
  m->PrgPar.ausgonl = 0;
  auto w = Open({log});
  Ticks(*w, 7);
  QCoreApplication::processEvents();
  const auto& page = w->desktop().view.pageTelegrams;
  ASSERT_GE(page.size(), 2u);
  const QString one = w->CopyText((page[0].top + page[0].bottom) / 2);
  const QString all = w->CopyText(-1);
  EXPECT_FALSE(one.isEmpty());
  EXPECT_GT(all.size(), one.size());
  w->copyAction()->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), all) << "the mouse is not over the view";
}

TEST_F(MainWindowTest, TheDemoLinePlaysIntoTheWindowThroughTheRealCapturePath) {
  DemoLine line;
  ASSERT_TRUE(line.ok()) << line.error();
  line.MapPorts(*m);
  m->PrgPar.online = 1;
  auto w = Open({});
  w->SetDemoLine(&line);
  EXPECT_TRUE(w->demoAction()->isChecked());
  EXPECT_FALSE(w->demoAction()->isEnabled());
  w->timer()->start();
  ASSERT_TRUE(ProcessUntil([&] { return m->counters[0] >= 3 && m->counters[4] >= 3; }));
  EXPECT_EQ(m->PrgPar.ausgonl, 1);
  EXPECT_EQ(m->counters[1], 0u) << "the demo opens without faults";
  w->close();
  EXPECT_FALSE(m->ports[0].se.open);
}

// Runs `action` and returns the class of the modal dialog it opened (empty
// when none), closing that dialog with Cancel.
std::string DialogOpenedBy(QAction* action) {
  std::string opened;
  QTimer::singleShot(0, [&] {
    ProcessUntil([] { return QApplication::activeModalWidget() != nullptr; });
    if (QWidget* d = QApplication::activeModalWidget()) {
      opened = d->metaObject()->className();
      if (auto* dialog = qobject_cast<QDialog*>(d)) dialog->reject();
    }
  });
  action->trigger();
  QCoreApplication::processEvents();
  return opened;
}

TEST_F(MainWindowTest, EveryDialogItemOpensItsDialogInBothLanguagesAndCancelChangesNothing) {
  m->PrgPar.online = 0;
  auto w = Open({});
  Ticks(*w, 7);
  const struct {
    int item;  // text number of the menu item
    const char* dialog;
  } items[] = {
      {1491, "qlxs::TelColourDialog"},
      {1492, "qlxs::ColourTableDialog"},
      {1493, "qlxs::ColourTableDialog"},
      {1496, "qlxs::TfmAlg"},
      {1497, "qlxs::TfmOpt"},
      {690, "qlxs::TfmInfo"},
      {683, "qlxs::TfmFlt"},
      {1413, "qlxs::TfmDruk"},
      {1495, "qlxs::TfmCom"},
      {685, "qlxs::TfmFlt"},
  };
  for (const int spr : {1, 0}) {
    SCOPED_TRACE(spr == 0 ? "German" : "English");
    ASSERT_TRUE(w->desktop().SwitchLanguage(spr));
    const T_PrgPar before = m->PrgPar;
    for (const auto& i : items) {
      SCOPED_TRACE(i.item);
      QAction* a = w->menuItem(i.item);
      ASSERT_NE(a, nullptr);
      ASSERT_TRUE(a->isEnabled());
      EXPECT_EQ(a->text().toStdString(), Text(m->AllgVar, i.item));
      EXPECT_EQ(DialogOpenedBy(a), i.dialog);
      const uint8_t* was = reinterpret_cast<const uint8_t*>(&before);
      const uint8_t* is = reinterpret_cast<const uint8_t*>(&m->PrgPar);
      for (size_t k = 0; k < sizeof before; ++k) EXPECT_EQ(was[k], is[k]) << "settings byte " << k;
    }
  }
}

}  // namespace
}  // namespace qlxs
