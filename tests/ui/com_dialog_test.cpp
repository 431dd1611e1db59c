// The COM port dialog on the offscreen platform: Cancel leaving records and
// port map alone, OK writing the dialog's fields, both ports kept off one
// COM number, entries out of range refused, a device without a COM number
// entered in the port map, and new settings applied while online over
// pseudo-terminals.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/monitor.h"
#include "app/online.h"
#include "app/port_config.h"
#include "app/port_dialog.h"
#include "app/startup.h"
#include "config/language_texts.h"
#include "model/telegram.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/message_sink.h"
#include "platform/port_map.h"
#include "platform/termios_serial_port.h"
#include "support/files.h"
#include "support/pty_pair.h"
#include "support/scratch_dir.h"
#include "support/test_env.h"
#include "ui/com_dialog.h"
#include "ui/screenshot.h"
#include "ui/started_monitor.h"

namespace qlxs {
namespace {

using test::PtyPair;
using test::ScopedEnv;

// Acts on the port dialog once it runs modally, then lets it go on.
void WhenDialogOpens(std::function<void(TfmCom&)> act) {
  QTimer::singleShot(0, [act] {
    auto* d = qobject_cast<TfmCom*>(QApplication::activeModalWidget());
    if (d == nullptr) {
      WhenDialogOpens(act);
      return;
    }
    act(*d);
  });
}

template <typename W>
W* Child(QWidget& d, const char* name) {
  W* w = d.findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

class ComDialogTest : public ::testing::Test, protected test::StartedMonitor<ManualClock> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    ASSERT_EQ(MakeDirectories(byId), 0);
    mapFile = m->AllgVar.DataDir + kPortMapFileName;
    m->onStored = [this](const T_Telegramm& t) { stored.push_back(t); };
  }
  void TearDown() override {
    if (m) {
      ClosePorts(*m);
      for (T_ComVar& port : m->ports) port.pCp = nullptr;
    }
  }

  // COM 40 and 41 on two pseudo-terminals, written in the port map file
  // and read as start-up reads it, and both probed as available.
  void MapLines() {
    ASSERT_TRUE(line[0].ok() && line[1].ok());
    ASSERT_TRUE(test::WriteFile(mapFile, "# the tap\n40 " + line[0].slave() + "\n41 " + line[1].slave() + "\n"));
    LoadPortMapOf(*m);
    m->ports[0].pCp = &serial[0];
    m->ports[1].pCp = &serial[1];
    ProbePorts(*m);
  }
  // A device without a COM number in the by-id folder.
  std::string NewDevice(const char* name) {
    EXPECT_TRUE(spare.ok());
    const std::string link = byId + "/" + name;
    EXPECT_EQ(::symlink(spare.slave().c_str(), link.c_str()), 0);
    return link;
  }
  int ItemOf(QComboBox* cb, const std::string& startsWith) {
    for (int i = 0; i < cb->count(); ++i)
      if (cb->itemText(i).toStdString().rfind(startsWith, 0) == 0) return i;
    ADD_FAILURE() << "no item " << startsWith;
    return -1;
  }
  std::vector<int> Stats() const {
    std::vector<int> s;
    for (const T_Telegramm& t : stored) s.push_back(t.stat);
    return s;
  }

  const std::string byId = root.file("by-id");
  std::string mapFile;
  PtyPair line[2];
  PtyPair spare;
  TermiosSerialPort serial[2];
  std::vector<T_Telegramm> stored;
};

TEST_F(ComDialogTest, CancelChangesNeitherPortNorThePortMap) {
  MapLines();
  NewDevice("usb-FTDI_A-if00-port0");
  m->ports[0].bp.cnr = 40;
  m->ports[1].bp.cnr = 41;
  const std::string mapBefore = test::ReadFile(mapFile);
  const T_ComVar before1 = m->ports[0], before2 = m->ports[1];
  T_ComVar copy = m->ports[0];

  WhenDialogOpens([this](TfmCom& d) {
    Child<QLineEdit>(d, "sfLogText")->setText("changed");
    auto* cbCom = Child<QComboBox>(d, "cbCom");
    cbCom->setCurrentIndex(ItemOf(cbCom, "usb-FTDI_A"));
    Child<QComboBox>(d, "cbCom2")->setCurrentIndex(0);
    Child<QComboBox>(d, "cbBaud")->setCurrentIndex(2);
    Child<QLineEdit>(d, "edPort")->setText("2405");
    Child<QListWidget>(d, "chlbAend")->item(0)->setCheckState(Qt::Checked);
    d.cancelButton()->click();
  });
  EXPECT_FALSE(RunPortDialog(*m, nullptr, copy, byId));
  EXPECT_EQ(std::memcmp(&copy.bp, &before1.bp, sizeof copy.bp), 0);
  EXPECT_EQ(std::memcmp(&m->ports[0].bp, &before1.bp, sizeof before1.bp), 0);
  EXPECT_EQ(std::memcmp(&m->ports[1].bp, &before2.bp, sizeof before2.bp), 0) << "not even the second COM number";
  EXPECT_EQ(test::ReadFile(mapFile), mapBefore);
  EXPECT_EQ(m->portMap.devices.size(), 2u);
  EXPECT_TRUE(messages.entries.empty());
}

TEST_F(ComDialogTest, OkWritesTheDialogsFieldsIntoTheCopyAndTheSecondComNumber) {
  MapLines();
  m->ports[0].bp.cnr = 0;
  m->ports[1].bp.cnr = 0;
  T_ComVar copy = m->ports[0];
  const T_BetriebsPar before = copy.bp, secondBefore = m->ports[1].bp;

  int iloOfSyncTimeout = 0;
  WhenDialogOpens([&](TfmCom& d) {
    EXPECT_EQ(d.windowTitle(), "COM ports");
    auto* cbCom = Child<QComboBox>(d, "cbCom");
    auto* cbCom2 = Child<QComboBox>(d, "cbCom2");
    EXPECT_EQ(cbCom->currentIndex(), 0) << "no port yet";
    EXPECT_EQ(cbCom->itemText(ItemOf(cbCom, "COM  40")).toStdString(), "COM  40   " + line[0].slave());
    Child<QLineEdit>(d, "sfLogText")->setText("Tap west");
    cbCom->setCurrentIndex(ItemOf(cbCom, "COM  41"));
    cbCom2->setCurrentIndex(ItemOf(cbCom2, "COM  40"));
    Child<QComboBox>(d, "cbBaud")->setCurrentIndex(5);
    Child<QComboBox>(d, "cbPari")->setCurrentIndex(2);
    Child<QComboBox>(d, "cbData")->setCurrentIndex(2);
    Child<QComboBox>(d, "cbStop")->setCurrentIndex(1);
    Child<QLineEdit>(d, "edTLg")->setText("1024");
    Child<QLineEdit>(d, "edToEmpf")->setText("100");
    Child<QLineEdit>(d, "edPort")->setText("2405");
    auto* chlb = Child<QListWidget>(d, "chlbAend");
    chlb->item(0)->setCheckState(Qt::Checked);
    chlb->item(3)->setCheckState(Qt::Checked);
    auto* edToSyn = Child<QLineEdit>(d, "edToSyn");
    edToSyn->setText("8000");
    edToSyn->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(d.hintLine()->text().toStdString(), Text(m->AllgVar, kTextSyncTimeoutField + 1));
    iloOfSyncTimeout = d.rememberedIndex();
    d.okButton()->click();
  });
  ASSERT_TRUE(RunPortDialog(*m, nullptr, copy, byId));

  T_BetriebsPar want = before;
  want.ilo = 23;  // edToSyn, component 23 of the list counted from 0
  want.logtxt.assign("Tap west");
  want.cnr = 41;
  want.BaudI = 5;
  want.baud = 9600;
  want.pari = 2;
  want.data = 7;
  want.stop = 2;
  want.tlg = 1024;
  want.toempf = 100;
  want.tosyn = 8000;
  want.port = 2405;
  want.paend = 0x90;
  EXPECT_EQ(iloOfSyncTimeout, 24) << "the base counts from 1";
  EXPECT_EQ(std::memcmp(&copy.bp, &want, sizeof want), 0);
  T_BetriebsPar second = secondBefore;
  second.cnr = 40;
  EXPECT_EQ(std::memcmp(&m->ports[1].bp, &second, sizeof second), 0);

  // The next time the dialog opens where it was left.
  m->ports[1].bp.cnr = 40;
  WhenDialogOpens([&](TfmCom& d) {
    EXPECT_EQ(d.focusWidget(), d.findChild<QLineEdit*>("edToSyn"));
    EXPECT_EQ(Child<QComboBox>(d, "cbCom2")->currentText().toStdString(), "COM  40   " + line[0].slave());
    EXPECT_EQ(Child<QListWidget>(d, "chlbAend")->item(3)->checkState(), Qt::Checked);
    d.cancelButton()->click();
  });
  EXPECT_FALSE(RunPortDialog(*m, nullptr, copy, byId));
}

TEST_F(ComDialogTest, BothListsOnOnePortLeaveTheSecondWithoutAPort) {
  MapLines();
  // How the rule is met: focus leaving the first list, the second list, or OK.
  for (const char* when : {"cbCom", "cbCom2", "ok"}) {
    T_ComVar copy = m->ports[0];
    TfmCom d(*m, nullptr, copy, byId);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto* cbCom = Child<QComboBox>(d, "cbCom");
    auto* cbCom2 = Child<QComboBox>(d, "cbCom2");
    const int com41 = ItemOf(cbCom, "COM  41");
    cbCom->setCurrentIndex(com41);
    cbCom2->setCurrentIndex(com41);
    if (std::string(when) == "ok") {
      d.okButton()->click();
      EXPECT_EQ(d.result(), QDialog::Accepted);
    } else {
      Child<QComboBox>(d, when)->setFocus();
      QApplication::processEvents();
      EXPECT_EQ(cbCom2->currentIndex(), com41) << "not before the list is left";
      Child<QLineEdit>(d, "edTLg")->setFocus();
      QApplication::processEvents();
    }
    EXPECT_EQ(cbCom2->currentIndex(), 0) << when;
    EXPECT_EQ(cbCom->currentIndex(), com41) << when;
  }
}

TEST_F(ComDialogTest, ModemLineListMarksItsFirstLineOnlyWhileFocusedAndEnterMovesOn) {
  TfmCom d(*m, nullptr, m->ports[0], byId);
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  auto* chlb = Child<QListWidget>(d, "chlbAend");
  chlb->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(chlb->selectedItems().size(), 1);
  EXPECT_EQ(chlb->selectedItems()[0], chlb->item(0));
  QTest::keyClick(chlb, Qt::Key_Return);
  EXPECT_TRUE(d.isVisible());
  EXPECT_NE(d.focusWidget(), chlb);
  EXPECT_TRUE(chlb->selectedItems().empty());
}

TEST_F(ComDialogTest, EntriesOutOfRangeKeepTheDialogOpen) {
  const struct {
    const char* field;
    const char* bad;
    const char* good;
  } cases[] = {
      {"edTLg", "99", "100"},     {"edTLg", "1501", "1500"},   {"edToEmpf", "9", "10"},
      {"edToEmpf", "", "5000"},   {"edToSyn", "50001", "100"}, {"edPort", "0", "1"},
      {"edPort", "65536", "65535"},
  };
  for (const auto& c : cases) {
    T_ComVar copy = m->ports[0];
    TfmCom d(*m, nullptr, copy, byId);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto* field = Child<QLineEdit>(d, c.field);
    field->setText(c.bad);
    d.okButton()->click();
    EXPECT_TRUE(d.isVisible()) << c.field << " " << c.bad;
    EXPECT_TRUE(field->property("inError").toBool()) << c.field;
    EXPECT_EQ(d.focusWidget(), field) << "the field in error gets the focus";
    field->setText(c.good);
    d.okButton()->click();
    EXPECT_FALSE(d.isVisible()) << c.field << " " << c.good;
    EXPECT_EQ(d.result(), QDialog::Accepted);
  }
}

TEST_F(ComDialogTest, ADeviceWithoutANumberGetsTheNextFreeOneInThePortMap) {
  MapLines();
  const std::string link = NewDevice("usb-FTDI_A-if00-port0");
  const std::string mapBefore = test::ReadFile(mapFile);
  T_ComVar copy = m->ports[0];
  WhenDialogOpens([this](TfmCom& d) {
    auto* cbCom2 = Child<QComboBox>(d, "cbCom2");
    EXPECT_EQ(cbCom2->itemText(cbCom2->count() - 1).toStdString(), "usb-FTDI_A-if00-port0 (no COM number yet)");
    cbCom2->setCurrentIndex(cbCom2->count() - 1);
    d.okButton()->click();
  });
  ASSERT_TRUE(RunPortDialog(*m, nullptr, copy, byId));
  EXPECT_EQ(test::ReadFile(mapFile), mapBefore + "33 " + link + "\n");
  EXPECT_EQ(m->ports[1].bp.cnr, 33);
  EXPECT_EQ(m->portMap.DevicePath(33), link);
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].number, kTextDeviceEntered);
  EXPECT_NE(messages.entries[0].text.find("COM33"), std::string::npos) << messages.entries[0].text;

  // It is listed by its number from now on, and can be opened.
  WhenDialogOpens([](TfmCom& d) {
    EXPECT_TRUE(Child<QComboBox>(d, "cbCom2")->currentText().startsWith("COM  33"));
    d.cancelButton()->click();
  });
  EXPECT_FALSE(RunPortDialog(*m, nullptr, copy, byId));
  EXPECT_TRUE(OpenPort(*m, m->ports[1]));
}

TEST_F(ComDialogTest, NewSettingsWhileOnlineCloseWaitAndReopenTheLines) {
  MapLines();
  m->ports[0].bp.cnr = 40;
  m->ports[1].bp.cnr = 41;
  m->ports[0].bp.BaudI = 5;
  m->ports[0].bp.baud = 9600;
  m->PrgPar.online = 1;
  OpenPorts(*m);
  ASSERT_EQ(Stats(), (std::vector<int>{StatPortOpened, StatPortOpened}));

  WhenDialogOpens([](TfmCom& d) {
    Child<QComboBox>(d, "cbBaud")->setCurrentIndex(6);
    Child<QLineEdit>(d, "sfLogText")->setText("after the change");
    d.okButton()->click();
  });
  const uint32_t before = clock.Tick();
  ApplyPortSettings(
      *m, [this](Monitor& mm, T_ComVar& c) { return RunPortDialog(mm, nullptr, c, byId); },
      [] { QCoreApplication::processEvents(); });

  EXPECT_EQ(Stats(), (std::vector<int>{StatPortOpened, StatPortOpened, StatPortClosed, StatPortClosed,
                                       StatPortOpened, StatMessage, StatPortOpened, StatMessage}));
  EXPECT_GE(clock.Tick() - before, 318u) << "176000 / 9600 + 300 ms between closing and reopening";
  EXPECT_GE(stored[4].dt - stored[3].dt, 318 / 86'400'000.0 - 1e-9);
  EXPECT_EQ(stored[4].LongAt(5), 19200);
  for (const T_ComVar& port : m->ports) {
    EXPECT_TRUE(port.se.open);
    EXPECT_EQ(port.bp.baud, 19200);
  }
  EXPECT_EQ(m->ports[1].bp.cnr, 41);
  EXPECT_EQ(serial[1].Device(), line[1].slave());
}

TEST_F(ComDialogTest, PicturesInBothLanguages) {
  MapLines();
  NewDevice("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  m->ports[0].bp.cnr = 40;
  m->ports[1].bp.cnr = 41;
  m->ports[0].bp.logtxt.assign("Tap west, station 7");
  m->ports[0].bp.paend = 0x90;
  for (const auto& [language, name] : {std::pair{LangGerman, "com-ger"}, std::pair{LangEnglish, "com-usa"}}) {
    ASSERT_TRUE(LoadTexts(*m, language));
    TfmCom d(*m, nullptr, m->ports[0], byId);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    Child<QComboBox>(d, "cbCom")->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(d.hintLine()->text().isEmpty());
    test::SaveScreenshot(d, name);
  }
}

}  // namespace
}  // namespace qlxs
