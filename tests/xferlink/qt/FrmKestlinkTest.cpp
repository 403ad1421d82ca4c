// The Kestlink console offscreen, driving the stand-in pilot-xfer.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>

#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"
#include "users/UserInfo.h"
#include "widgets/qt/TextPane.h"
#include "xferlink/qt/FrmKestlink.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

struct App {
  App() {
    static int argc = 1;
    static char name[] = "frm_kestlink_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
};

RegKey Key(const std::string& path) { return *RegKey::Open(TheRegistry(), Hive::CurrentUser, path, true); }
const std::string kXferKey = "Software\\Tolva\\Kestrel+\\Users\\Taro\\pilot-xfer";

class FrmKestlinkTest : public ::testing::Test {
 protected:
  FrmKestlinkTest() {
    setenv("KESTREL_PILOT_CONNECT_MS", "0", 1);
    setenv("KESTREL_PILOT_STEP_MS", "0", 1);
    setenv("KESTREL_HANDHELD", handheld.c_str(), 1);
    Key("Software\\U.S. Robotics\\Pilot Desktop\\Core").writeString("Path", home / "Palm");
    std::string tool = ShellQuote(BuiltProgram("kestrel-tool"));
    EXPECT_EQ(RunCommand(tool + " usersdat add Taro TaroY 7"), 0);
    EXPECT_EQ(RunCommand(tool + " register Taro"), 0);
    std::filesystem::create_directories(tools);
    std::filesystem::copy_file(BuiltProgram("pilot-xfer"), tools + "/pilot-xfer");
    RegKey x = Key(kXferKey);
    x.writeString("Path", tools + "/");
    x.writeString("BackupPath", backup + "/");
    x.writeDword("Port", 1);
    x.writeDword("Rate", 3);
    WriteFile(handheld + "/MemoDB.pdb", "memo");
    std::filesystem::create_directories(backup);
  }
  std::vector<std::string> Lines(const TfrmKestlink& f) {
    std::vector<std::string> out;
    for (const auto& l : f.text().lines()) out.push_back(Cp932ToUtf8(l));
    return out;
  }
  void WaitForEnd(TfrmKestlink& f) {
    for (int i = 0; i < 3000 && f.runner().IsOnExecution(); ++i) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      f.runner().WaitAndDeliver(10);
    }
    ASSERT_FALSE(f.runner().IsOnExecution());
  }

  App app;
  TempHome home;
  std::string handheld = home / "handheld";
  std::string tools = home / "pilot link";
  std::string backup = home / "my backup";
};

TEST_F(FrmKestlinkTest, BackupShowsLinesThenBytesAndStoresTheFolderAfterARun) {
  Key(kXferKey).writeDword("DefualtBackupMode", 2);
  UserInfo user("Taro");
  TfrmKestlink f(user);
  f.show();
  EXPECT_EQ(f.windowTitle(), "Kestlink");
  // Trailing separators gone; the (disabled) synchronise command on the button.
  EXPECT_EQ(f.edPXPath->text().toStdString(), tools);
  EXPECT_EQ(f.edBackPath->text().toStdString(), backup);
  EXPECT_EQ(f.tbBackup->defaultAction(), f.acSync);
  EXPECT_FALSE(f.acSync->isEnabled());
  EXPECT_EQ(f.cmbbPort->currentText(), "COM2");

  f.acBackup->trigger();
  EXPECT_TRUE(f.acTerminate->isEnabled());
  EXPECT_FALSE(f.acBackup->isEnabled());
  EXPECT_EQ(f.pnlInfo->text().toStdString(), "  HotSyncボタンを押して下さい");
  WaitForEnd(f);
  EXPECT_EQ(ReadFile(backup + "/MemoDB.pdb"), "memo");
  std::vector<std::string> want = {"Palmから PCへバックアップを行います・・・",
                                   "   Port: COM2, speed: 57600 (PILOTRATE)",
                                   "Backing up '" + backup + "/MemoDB.pdb'. OK",
                                   "Backup done: 1 backed up, 0 unchanged, 0 removed, 0 failed."};
  EXPECT_EQ(Lines(f), want);
  EXPECT_FALSE(f.acTerminate->isEnabled());
  EXPECT_TRUE(f.acBackup->isEnabled());
  EXPECT_EQ(f.pnlInfo->text(), "");

  // The next command gets the ruler.
  f.acList->trigger();
  WaitForEnd(f);
  EXPECT_EQ(Lines(f)[4].substr(0, 10), "----+----*");

  f.edBackPath->setText(QString::fromStdString(home / "elsewhere"));
  f.close();
  EXPECT_EQ(Key(kXferKey).readString("BackupPath"), home / "elsewhere");
  EXPECT_EQ(Key(kXferKey).readDword("DefualtBackupMode"), 2u);
}

TEST_F(FrmKestlinkTest, ListWithoutBackupFolderTimePanelAndNoBackupPathWithoutARun) {
  std::filesystem::remove_all(backup);
  {
    UserInfo user("Taro");
    TfrmKestlink f(user);
    f.show();
    f.acList->trigger();
    WaitForEnd(f);
    EXPECT_EQ(Lines(f)[0], "一覧の取得を行います・・・");
    EXPECT_EQ(Lines(f)[3], "MemoDB");
    f.Tick(59);
    EXPECT_EQ(f.Panel3->text().toStdString(), "59 秒");
    f.Tick(61);
    EXPECT_EQ(f.Panel3->text().toStdString(), "1 分 1 秒");

    // A backup into the missing folder, refused: the reason, nothing started.
    ScriptedPrompter prompter;
    prompter.expect(BoxKind::Confirm, Button::No).expect(BoxKind::Error, Button::Ok);
    f.acBackup->trigger();
    EXPECT_NE(prompter.lastText().find("・バックアップパスが見つからない"), std::string::npos);
    EXPECT_FALSE(f.runner().IsOnExecution());
    f.close();
  }
  Key(kXferKey).writeString("BackupPath", backup + "-stored");
  {
    UserInfo user("Taro");
    TfrmKestlink f(user);
    f.show();
    f.edBackPath->setText("/edited");
    f.close();
  }
  EXPECT_EQ(Key(kXferKey).readString("BackupPath"), backup + "-stored");
}

TEST_F(FrmKestlinkTest, ClosingWhileRunningAsksAndYesLeavesNoChild) {
  setenv("KESTREL_PILOT_CONNECT_MS", "600000", 1);
  UserInfo user("Taro");
  TfrmKestlink f(user);
  f.show();
  f.acList->trigger();
  ASSERT_TRUE(f.runner().IsOnExecution());
  pid_t child = f.runner().childPid();
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::No).expect(BoxKind::Confirm, Button::Yes);
  f.close();
  EXPECT_TRUE(f.runner().IsOnExecution());
  f.close();
  EXPECT_EQ(prompter.lastText(), "pilot-xferが実行中ですが、終了しますか？");
  EXPECT_FALSE(f.runner().IsOnExecution());
  EXPECT_NE(kill(child, 0), 0);
  EXPECT_EQ(Lines(f).back(), "pilot-xferの実行を中止しました");
}

TEST_F(FrmKestlinkTest, ALogThatIsNoFileStartsAnEmptyPaneAtOnce) {
  ASSERT_EQ(mkfifo((home / "Kestlink.log").c_str(), 0600), 0);
  UserInfo user("Taro");
  TfrmKestlink f(user);
  f.show();  // would wait for a writer for ever
  EXPECT_TRUE(f.text().lines().empty());
}

TEST_F(FrmKestlinkTest, ThePaneShowsEightyColumnsOfTheFontItFoundBesideItsScrollBar) {
  UserInfo user("Taro");
  TfrmKestlink f(user);
  f.show();
  std::string many;
  for (int i = 0; i < 200; ++i) many += std::string(80, 'x') + "\n";
  f.edCsl->setText(many);
  QApplication::processEvents();
  EXPECT_TRUE(f.edCsl->verticalScrollBar()->isVisible());
  EXPECT_GE(f.edCsl->fittingWrapWidth(), 80) << "column " << f.edCsl->columnWidth() << " px, window " << f.width();
  EXPECT_GE(f.width(), 542);
}

}  // namespace
