// Texts of dialog controls by the rules all dialogs share.

#include <gtest/gtest.h>

#include "config/allg_var.h"
#include "config/dialog_texts.h"

namespace qlxs {
namespace {

class DialogTexts : public ::testing::Test {
 protected:
  DialogTexts() {
    v.TxtList.assign(1300, "");
    v.TxtList[655] = "&Baud rate";
    v.TxtList[656] = "3";
    v.TxtList[657] = "9600";
    v.TxtList[658] = "19200";
    v.TxtList[659] = "38400";
    v.TxtList[660] = "not an item";
    v.TxtList[670] = "COM &port";
    v.TxtList[671] = "two";
    v.TxtList[1195] = "Open log";
    v.TxtList[1196] = "Save log as";
    v.TxtList[1197] = "lg4";
    v.TxtList[1198] = "Telegram logs (*.lg4);;All files (*)";
    v.TxtList[1210] = "Telegram logs (*.lg4)";
  }
  T_AllgVar v;
};

TEST_F(DialogTexts, ControlsTakeCaptionAndHintNumbers) {
  EXPECT_EQ(LabelText(v, 655).caption, "&Baud rate");
  EXPECT_EQ(LabelText(v, 655).hint, 0);
  EXPECT_EQ(ButtonText(v, 655).hint, kTextGeneralHint);
  EXPECT_EQ(CheckBoxText(v, 655).hint, kTextGeneralHint);
  const EntryFieldCaption e = EntryFieldText(v, 1195);
  EXPECT_EQ(e.label, "Open log");
  EXPECT_EQ(e.hint, 1196);
  EXPECT_EQ(e.margin, 5);
  EXPECT_EQ(StatusBarText(v, 1196), "Save log as");
}

TEST_F(DialogTexts, ComboItemsFollowTheirCount) {
  const ComboCaption baud = ComboBoxText(v, 655);
  EXPECT_EQ(baud.label, "&Baud rate");
  EXPECT_EQ(baud.hint, kTextGeneralHint);
  EXPECT_EQ(baud.items, (std::vector<std::string>{"9600", "19200", "38400"}));
  EXPECT_EQ(baud.selected, 0);
  const ComboCaption com = ComboBoxText(v, 670);  // count text is not a number
  EXPECT_TRUE(com.items.empty());
  EXPECT_EQ(com.selected, -1);
  v.TxtList[656] = "9999";  // a count running past the table gives empty items, no more
  EXPECT_EQ(ComboBoxText(v, 655).items.size(), 3000u);
}

TEST_F(DialogTexts, CommaListsSplitAtEveryComma) {
  EXPECT_EQ(SplitCommaList("DCD,RI,DSR,CTS"), (std::vector<std::string>{"DCD", "RI", "DSR", "CTS"}));
  EXPECT_EQ(SplitCommaList("Port 1,Port 2"), (std::vector<std::string>{"Port 1", "Port 2"}));
  EXPECT_EQ(SplitCommaList("8,    9"), (std::vector<std::string>{"8", "    9"}));
  EXPECT_EQ(SplitCommaList("a,,b,"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_TRUE(SplitCommaList("").empty());
  v.TxtList[100] = "error-free,faulty";
  EXPECT_EQ(CheckListBoxText(v, 100).items.size(), 2u);
}

TEST_F(DialogTexts, LogDialogsShareTheExtensionAndKeepTheirFilters) {
  const FileDialogCaption open = OpenDialogText(v, 1195);
  EXPECT_EQ(open.title, "Open log");
  EXPECT_EQ(open.defaultExt, "lg4");
  EXPECT_EQ(open.filter, "Telegram logs (*.lg4);;All files (*)");
  const FileDialogCaption save = SaveLogDialogText(v);
  EXPECT_EQ(save.title, "Save log as");
  EXPECT_EQ(save.defaultExt, "lg4") << "not the open dialog's filter";
  EXPECT_EQ(save.filter, "Telegram logs (*.lg4)");
}

}  // namespace
}  // namespace qlxs
