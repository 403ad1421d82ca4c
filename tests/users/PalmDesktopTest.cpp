#include "users/PalmDesktop.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/PalmSetup.h"
#include "platform/Shell.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// A window standing for HotSync Manager (or the USB switcher) on its own
// thread: records what it receives and goes on its stop message.
class StandInWindow {
 public:
  StandInWindow(const char* title, std::uint32_t quitMsg, std::uint64_t quitParam)
      : window_(TheDesktop().createWindow("Stand-in", title)) {
    thread_ = std::thread([this, quitMsg, quitParam] {
      while (auto m = window_->wait(5000)) {
        received.push_back(*m);
        if (m->msg == quitMsg && m->wparam == quitParam) break;
      }
      window_.reset();
    });
  }
  ~StandInWindow() {
    if (thread_.joinable()) thread_.join();
  }
  std::vector<BusMessage> received;  // read after join

  void join() { thread_.join(); }

 private:
  std::unique_ptr<BusWindow> window_;
  std::thread thread_;
};

class PalmDesktopTest : public ::testing::Test {
 protected:
  TempHome home;
  ScriptedPrompter prompter;

  static void StoreUser(const std::string& name, const std::string& shortName,
                        const std::string& id) {
    RegKey k = CurrentUserKey(JoinKeyPath(kUsersKey, name));
    k.writeString("User", shortName);
    k.writeString("UserID", id);
  }
  static RegKey HotSyncKey() { return CurrentUserKey(kHotSyncKey); }
};

TEST_F(PalmDesktopTest, MissingKeysAndValuesAreReportedOnceEachAndStartGoesOn) {
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  PalmLocations none = ReadPalmLocations();
  ASSERT_EQ(prompter.shown().size(), 2u);
  EXPECT_EQ(prompter.shown()[0].text, "Palm Desktopの 2.0以降をセットアップして下さい");
  EXPECT_EQ(prompter.shown()[1].text, "Palm Desktopの 2.0以降をセットアップして下さい");
  EXPECT_EQ(none.desktopFolder, "");

  CurrentUserKey(kPalmCoreKey);
  HotSyncKey();
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  ReadPalmLocations();
  ASSERT_EQ(prompter.shown().size(), 4u);
  EXPECT_EQ(prompter.shown()[2].text, "Palm Desktopのレジストリが読み込めません");
  EXPECT_EQ(prompter.shown()[3].text, "Palm Desktopのレジストリが読み込めません");

  std::string palm = SetUpPalmDesktop(home);
  HotSyncKey().writeString("DirectComPort", "COM2");
  PalmLocations loc = ReadPalmLocations();
  EXPECT_EQ(loc.desktopFolder, palm);
  EXPECT_EQ(loc.hotSyncProgram, home / "HotSync.sh");
  EXPECT_EQ(loc.usbSwitcherProgram, palm + "/USBSwt.exe");
  EXPECT_EQ(loc.hotSyncPort, "COM2");
}

TEST_F(PalmDesktopTest, InstallAndPalmFoldersFollowTheDesktopFolder) {
  StoreUser("Taro", "TaroY", "12345");
  // No Palm Desktop folder: a relative install folder and no Palm folder.
  UserInfo taro("Taro");
  EXPECT_EQ(taro.installFolder(), "TaroY/Install/");
  EXPECT_EQ(UserPalmFolder(taro), "");

  CurrentUserKey(kPalmCoreKey).writeString("Path", "/palm/");
  EXPECT_EQ(InstallFolderFor("TaroY"), "/palm/TaroY/Install/");
  EXPECT_EQ(UserPalmFolder(taro), "/palm/TaroY/");
  CurrentUserKey(kPalmCoreKey).writeString("Path", "/palm");
  EXPECT_EQ(InstallFolderFor("TaroY"), "/palm/TaroY/Install/");
  EXPECT_EQ(UsersDatPath("/palm"), "/palm/Users.dat");
}

TEST_F(PalmDesktopTest, LookupReportsAnUnreadableFileAndLeavesTheObjectAlone) {
  SetUpPalmDesktop(home);
  UserInfo u;
  u.setUserName("Taro");
  u.setShortName("before");
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(LookUpUser(u), kLookupNotOpened);
  EXPECT_EQ(prompter.lastText(), "Users.datが読み込めません。");
  EXPECT_EQ(u.shortName(), "before");

  // The same through OpenUser: the user cannot be opened.
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(u.OpenUser("Taro", true), 2);

  WriteFile(home / "Palm/Users.dat", "");
  EXPECT_EQ(LookUpUser(u), kLookupEmpty);
}

TEST_F(PalmDesktopTest, TheInstallFlagIsRaisedOnlyWhenAbsentAndClearedByDeletion) {
  StoreUser("Taro", "TaroY", "12345");
  UserInfo taro("Taro");
  EXPECT_FALSE(ReadInstallFlag(taro));
  // Without the HotSync Manager key nothing is written.
  EXPECT_FALSE(SetInstallFlag(taro));
  EXPECT_FALSE(TheRegistry().keyExists(Hive::CurrentUser, kHotSyncKey));

  HotSyncKey();
  EXPECT_TRUE(SetInstallFlag(taro));
  EXPECT_EQ(HotSyncKey().readDword("Install12345"), 1u);
  EXPECT_TRUE(taro.installFlag());
  EXPECT_TRUE(ReadInstallFlag(taro));

  EXPECT_FALSE(ClearInstallFlag(taro));
  EXPECT_FALSE(HotSyncKey().hasValue("Install12345"));  // deleted, not 0

  // An existing 0 belongs to HotSync Manager and stays.
  HotSyncKey().writeDword("Install12345", 0);
  EXPECT_FALSE(SetInstallFlag(taro));
  EXPECT_EQ(HotSyncKey().readDword("Install12345"), 0u);
  EXPECT_FALSE(ReadInstallFlag(taro));

  // An object without user name touches nothing.
  HotSyncKey().writeDword("Install", 1);
  UserInfo none;
  EXPECT_FALSE(ReadInstallFlag(none));
  EXPECT_FALSE(ClearInstallFlag(none));
  EXPECT_TRUE(HotSyncKey().hasValue("Install"));
}

TEST_F(PalmDesktopTest, StartOpensOnlyWhatIsNotRunningAndReportsFailures) {
  std::vector<std::string> opened;
  SetShell(std::make_unique<RecordingShell>(&opened));
  PalmLocations loc{"/palm", "/palm/HotSync.exe", "/palm/USBSwt.exe", "COM1"};
  StoreUser("Taro", "TaroY", "12345");
  UserInfo taro("Taro");

  EXPECT_TRUE(StartHotSync(loc, &taro));
  EXPECT_EQ(opened, std::vector<std::string>{"/palm/HotSync.exe"});
  taro.setUsbSwitcher(true);
  opened.clear();
  EXPECT_TRUE(StartHotSync(loc, &taro));
  EXPECT_EQ(opened, (std::vector<std::string>{"/palm/HotSync.exe", "/palm/USBSwt.exe"}));
  opened.clear();
  {
    auto running = TheDesktop().createWindow("TApplication", "HotSync Manager");
    auto switcher = TheDesktop().createWindow("TApplication", "PEGMon");
    EXPECT_TRUE(StartHotSync(loc, &taro));
    EXPECT_TRUE(opened.empty());
  }

  SetShell(std::make_unique<RecordingShell>(&opened, false));
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(StartHotSync(loc, &taro));
  EXPECT_EQ(prompter.shown()[0].text, "HotSync Managerの起動ができません");
  EXPECT_EQ(prompter.shown()[1].text, "SonyPDA USB Switcherが起動できません");
  SetShell(nullptr);
}

TEST_F(PalmDesktopTest, StopPostsTheQuitMessagesAndWaitsForHotSyncManagerToGo) {
  EXPECT_TRUE(StopHotSync(nullptr));  // nothing running: returns at once

  StoreUser("Taro", "TaroY", "12345");
  UserInfo taro("Taro");
  taro.setUsbSwitcher(true);
  StandInWindow hotSync("HotSync Manager", kHotSyncQuitMessage, 1);
  StandInWindow switcher("PEGMon", kWmCommand, kUsbSwitcherQuitCommand);
  EXPECT_TRUE(StopHotSync(&taro));
  EXPECT_FALSE(FindHotSyncManager());
  hotSync.join();
  switcher.join();
  ASSERT_EQ(hotSync.received.size(), 2u);
  EXPECT_EQ(hotSync.received[0].msg, kWmActivate);
  EXPECT_EQ(hotSync.received[1].msg, 0xBEC5u);
  EXPECT_EQ(hotSync.received[1].wparam, 1u);
  EXPECT_EQ(hotSync.received[1].lparam, 0);
  ASSERT_EQ(switcher.received.size(), 2u);
  EXPECT_EQ(switcher.received[1].msg, 0x0111u);
  EXPECT_EQ(switcher.received[1].wparam, 105u);
}

TEST_F(PalmDesktopTest, TheMenuSwitchesThePortAndTheComboBoxOnlyMovesTheCheck) {
  std::vector<std::string> opened;
  SetShell(std::make_unique<RecordingShell>(&opened));
  SetUpPalmDesktop(home);
  HotSyncKey().writeString("DirectComPort", "COM1");
  PalmLocations loc = ReadPalmLocations();
  PortMenu menu;
  menu.ports = {"COM1", "COM3"};

  SelectHotSyncPort(menu, loc);
  EXPECT_EQ(menu.comboIndex, 0);
  EXPECT_EQ(menu.checkedPosition, 3);

  menu.comboIndex = 1;
  CmbBComPortChange(menu, loc);
  EXPECT_EQ(loc.hotSyncPort, "COM3");
  EXPECT_EQ(menu.checkedPosition, 4);
  EXPECT_EQ(HotSyncKey().readString("DirectComPort"), "COM1");
  EXPECT_TRUE(opened.empty());

  menu.comboIndex = 0;
  CmbBComPortChange(menu, loc);
  {
    StandInWindow hotSync("HotSync Manager", kHotSyncQuitMessage, 1);
    SwitchHotSyncPort(menu, loc, 4, nullptr);
    hotSync.join();
    EXPECT_EQ(hotSync.received.back().msg, kHotSyncQuitMessage);
  }
  EXPECT_EQ(HotSyncKey().readString("DirectComPort"), "COM3");
  EXPECT_EQ(loc.hotSyncPort, "COM3");
  EXPECT_EQ(menu.comboIndex, 1);
  EXPECT_EQ(menu.checkedPosition, 4);
  EXPECT_EQ(opened, std::vector<std::string>{home / "HotSync.sh"});

  // A stored port that the machine lacks selects nothing.
  loc.hotSyncPort = "COM7";
  SelectHotSyncPort(menu, loc);
  EXPECT_EQ(menu.comboIndex, -1);
  EXPECT_EQ(menu.checkedPosition, -1);
  SetShell(nullptr);
}

}  // namespace
