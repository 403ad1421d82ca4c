// kestrel-tool's user and HotSync verbs, the HotSync service and the stand-ins, run as programs
// over one temporary home.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "hotsync/PalmDatabase.h"
#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "support/LocalServers.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const char* kCore = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char* kHotSync = "Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager";
const char* kUsers = "Software\\Tolva\\Kestrel+\\Users";

RegKey Key(const std::string& path) {
  return *RegKey::Open(TheRegistry(), Hive::CurrentUser, path, true);
}

class UsersToolTest : public ::testing::Test {
 protected:
  UsersToolTest() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Key(kCore).writeString("Path", palm);
    Key(kCore).writeString("HotSyncPath", BuiltProgram("kestrel-hotsync"));
    Key(kHotSync).writeString("DirectComPort", "COM1");
  }
  ~UsersToolTest() override {
    // A stand-in left running by a failed test must not outlive it.
    Tool("hotsync stop");
  }

  int Tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " " + args, out, err);
  }
  bool HotSyncRunning() { return Tool("hotsync status") == 0; }
  bool WaitUntil(bool running) {
    for (int i = 0; i < 100; ++i) {
      if (HotSyncRunning() == running) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  void AddHotSyncUser(const std::string& name, const std::string& shortName, const std::string& id) {
    ASSERT_EQ(Tool("usersdat add " + ShellQuote(name) + " " + ShellQuote(shortName) + " " + id), 0);
  }

  TempHome home;
  std::string palm = home / "Palm";
};

TEST_F(UsersToolTest, AJapaneseUserIsShiftJisInUsersDatAndUtf8InTheRegistry) {
  AddHotSyncUser("Taro Yamada2", "TaroY2", "7");
  AddHotSyncUser("山田表太郎", "表太郎", "12345");
  std::string dat = ReadFile(palm + "/Users.dat");
  EXPECT_NE(dat.find(Utf8ToCp932("山田表太郎")), std::string::npos);
  EXPECT_EQ(dat.find("山田表太郎"), std::string::npos);
  std::string out;
  ASSERT_EQ(Tool("usersdat list", &out), 0);
  EXPECT_EQ(out, "7\tTaro Yamada2\tTaroY2\n12345\t山田表太郎\t表太郎\n");

  ASSERT_EQ(Tool("register 山田表太郎 --backup " + ShellQuote(home / "バックアップ")), 0);
  RegKey user = Key(JoinKeyPath(kUsers, "山田表太郎"));
  EXPECT_EQ(user.readString("User"), "表太郎");
  EXPECT_EQ(user.readString("UserID"), "12345");
  EXPECT_EQ(user.readString("BackupPath"), home / "バックアップ/");
  EXPECT_TRUE(std::filesystem::is_directory(home / "バックアップ"));
  EXPECT_TRUE(TheRegistry().keyExists(Hive::CurrentUser, JoinKeyPath(kUsers, "山田表太郎\\Ext\\01")));

  ASSERT_EQ(Tool("register 'Taro Yamada2'"), 0);  // default backup folder in the home
  EXPECT_TRUE(std::filesystem::is_directory(home / "TaroY2"));
  ASSERT_EQ(Tool("users", &out), 0);
  EXPECT_EQ(out, "Taro Yamada2\tTaroY2\t7\t" + palm + "/TaroY2/Install/\t" + home.path() +
                     "/TaroY2/\t0\n" + "山田表太郎\t表太郎\t12345\t" + palm +
                     "/表太郎/Install/\t" + home.path() + "/バックアップ/\t0\n");
}

TEST_F(UsersToolTest, RegisterRefusesDuplicatesAndUnknownNamesAndLeavesNoKeyBehind) {
  AddHotSyncUser("Taro Yamada2", "TaroY2", "7");
  ASSERT_EQ(Tool("register 'Taro Yamada2'"), 0);
  Key(JoinKeyPath(kUsers, "Taro Yamada2")).writeDword("ConvKana", 0);
  ASSERT_EQ(Tool("flag set 'Taro Yamada2'"), 0);

  std::string err;
  EXPECT_EQ(Tool("register 'Taro Yamada2'", nullptr, &err), 1);
  EXPECT_NE(err.find("ユーザが重複してます"), std::string::npos);
  // The registered user's settings and queue are untouched.
  EXPECT_EQ(Key(JoinKeyPath(kUsers, "Taro Yamada2")).readDword("ConvKana"), 0u);
  EXPECT_EQ(Key(kHotSync).readDword("Install7"), 1u);

  EXPECT_EQ(Tool("register 'Taro Yamada'", nullptr, &err), 2);  // only "...2" exists
  EXPECT_NE(err.find("ユーザ名が違います"), std::string::npos);
  EXPECT_EQ(TheRegistry().subkeyNames(Hive::CurrentUser, kUsers),
            std::vector<std::string>{"Taro Yamada2"});

  // A backup folder that cannot be made: nothing is registered.
  AddHotSyncUser("Hanako", "HanakoS", "8");
  WriteFile(home / "file", "x");
  EXPECT_EQ(Tool("register Hanako --backup " + ShellQuote(home / "file/sub"), nullptr, &err), 3);
  EXPECT_NE(err.find("フォルダが作成できませんでした。"), std::string::npos);
  EXPECT_FALSE(TheRegistry().keyExists(Hive::CurrentUser, JoinKeyPath(kUsers, "Hanako")));
}

TEST_F(UsersToolTest, TheFlagIsRaisedOnceAndClearedByDeletion) {
  AddHotSyncUser("Taro", "TaroY", "12345");
  ASSERT_EQ(Tool("register Taro"), 0);
  std::string out;
  ASSERT_EQ(Tool("flag get Taro", &out), 0);
  EXPECT_EQ(out, "0\n");
  ASSERT_EQ(Tool("flag set Taro", &out), 0);
  EXPECT_EQ(out, "1\n");
  EXPECT_EQ(Key(kHotSync).readDword("Install12345"), 1u);
  ASSERT_EQ(Tool("flag clear Taro", &out), 0);
  EXPECT_EQ(out, "0\n");
  EXPECT_FALSE(Key(kHotSync).hasValue("Install12345"));
  // HotSync Manager's own 0 is kept, and the tool says so.
  Key(kHotSync).writeDword("Install12345", 0);
  EXPECT_EQ(Tool("flag set Taro", &out), 1);
  EXPECT_EQ(out, "0\n");
  EXPECT_EQ(Tool("flag get Nobody"), 1);
  EXPECT_FALSE(TheRegistry().keyExists(Hive::CurrentUser, JoinKeyPath(kUsers, "Nobody")));
}

TEST_F(UsersToolTest, BadUsersDatInputIsRefusedAndLosesNothing) {
  AddHotSyncUser("Taro", "TaroY", "1");
  std::string before = ReadFile(palm + "/Users.dat");
  std::string err;
  EXPECT_NE(Tool("usersdat add Hanako ThirteenChars 2", nullptr, &err), 0);
  EXPECT_NE(err.find("1 to 12 bytes"), std::string::npos);
  EXPECT_NE(Tool("usersdat add Hanako H x2"), 0);
  EXPECT_NE(Tool("usersdat add Taro T2 3"), 0);  // already there
  // A short name is a folder inside the Palm folder, nothing else.
  for (const char* shortName : {"..", ".", "a/b", "a\\b", "a\x01", "t\tb"}) {
    EXPECT_EQ(Tool("usersdat add Jiro " + ShellQuote(shortName) + " 8", nullptr, &err), 2) << shortName;
    EXPECT_NE(err.find("no folder name"), std::string::npos) << err;
  }
  EXPECT_EQ(ReadFile(palm + "/Users.dat"), before);

  WriteFile(home / "other.dat", "not a user directory");
  EXPECT_NE(Tool("usersdat list " + ShellQuote(home / "other.dat"), nullptr, &err), 0);
  EXPECT_NE(err.find("UDAT"), std::string::npos);
  WriteFile(palm + "/Users.dat", "garbage");
  EXPECT_NE(Tool("usersdat add Hanako H 2"), 0);
  EXPECT_EQ(ReadFile(palm + "/Users.dat"), "garbage");
}

TEST_F(UsersToolTest, HotSyncManagerAndTheUsbSwitcherStartAndStopThroughTheTool) {
  AddHotSyncUser("Taro", "TaroY", "1");
  ASSERT_EQ(Tool("register Taro"), 0);
  // The last user wants the USB switcher along.
  Key(JoinKeyPath(kUsers, "Taro")).writeDword("USBSwitcher", 1);
  Key("Software\\Tolva\\Kestrel+").writeString("LastUser", "TaroY");
  std::filesystem::create_symlink(BuiltProgram("usb-switcher"), palm + "/USBSwt.exe");

  std::string out;
  EXPECT_EQ(Tool("hotsync status", &out), 1);
  EXPECT_EQ(out, "not running\n");
  ASSERT_EQ(Tool("hotsync start"), 0);
  ASSERT_TRUE(WaitUntil(true));
  EXPECT_EQ(Tool("hotsync status", &out), 0);
  EXPECT_EQ(out, "running\n");
  // Starting again opens nothing new.
  ASSERT_EQ(Tool("hotsync start"), 0);

  // Stop waits until the window is gone (at most five seconds).
  ASSERT_EQ(Tool("hotsync stop"), 0);
  EXPECT_FALSE(HotSyncRunning());
  // The switcher got its WM_COMMAND 105 too; it is not waited for.
  bool switcherGone = false;
  for (int i = 0; i < 50 && !switcherGone; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    switcherGone = std::filesystem::is_empty(home / "run/windows");
  }
  EXPECT_TRUE(switcherGone);

  // Without a program to start, the tool reports it.
  Key(kCore).writeString("HotSyncPath", home / "missing");
  std::string err;
  EXPECT_EQ(Tool("hotsync start", nullptr, &err), 1);
  EXPECT_NE(err.find("HotSync Managerの起動ができません"), std::string::npos);
}

// A small database of each kind, as the handheld stores them again.
std::string PalmFile(const std::string& name, bool resources, const std::string& content) {
  hotsync::PalmDatabase db;
  db.name = name;
  db.attributes = resources ? hotsync::kAttrResourceDb : 0;
  db.type = resources ? "appl" : "DATA";
  db.creator = "KsTs";
  if (resources) db.resources = {{"code", 1, content}};
  else db.records = {{0x40, 0x1000, content}};
  return hotsync::WritePalmDatabase(db);
}

TEST_F(UsersToolTest, AHotSyncInstallsTheFlaggedUsersFilesAndClearsTheFlag) {
  AddHotSyncUser("Taro", "TaroY", "1");
  AddHotSyncUser("Hanako", "HanakoS", "2");
  ASSERT_EQ(Tool("register Taro"), 0);
  ASSERT_EQ(Tool("register Hanako"), 0);
  WriteFile(palm + "/TaroY/Install/Memo.pdb", PalmFile("Memo", false, "memo"));
  WriteFile(palm + "/TaroY/Install/App.prc", PalmFile("App", true, "app"));
  WriteFile(palm + "/TaroY/Handheld/App.prc", PalmFile("App", true, "old app"));
  WriteFile(palm + "/HanakoS/Install/Wait.prc", PalmFile("Wait", true, "wait"));
  ASSERT_EQ(Tool("flag set Taro"), 0);

  // Taro's handheld HotSyncs with the service.
  HotSyncServiceProcess service;
  std::string out;
  ASSERT_EQ(Tool("handheld sync --net " + service.address() + " --user Taro --id 1 --dir " +
                     ShellQuote(palm + "/TaroY/Handheld"),
                 &out),
            0)
      << service.output();
  EXPECT_NE(out.find("HotSync: 2 database(s) installed\n"), std::string::npos) << out;
  EXPECT_EQ(ReadFile(palm + "/TaroY/Handheld/Memo.pdb"), PalmFile("Memo", false, "memo"));
  EXPECT_EQ(ReadFile(palm + "/TaroY/Handheld/App.prc"), PalmFile("App", true, "app"));
  EXPECT_TRUE(std::filesystem::is_empty(palm + "/TaroY/Install"));
  ASSERT_EQ(Tool("flag get Taro", &out), 0);
  EXPECT_EQ(out, "0\n");
  // Hanako's flag was not raised: her queue waits.
  EXPECT_EQ(ReadFile(palm + "/HanakoS/Install/Wait.prc"), PalmFile("Wait", true, "wait"));
  EXPECT_FALSE(FileExists(palm + "/HanakoS/Handheld"));
}

}  // namespace
