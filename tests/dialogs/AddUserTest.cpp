// The user dialog's OK in add and change mode, and the About box's version.
#include "dialogs/AddUser.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "DialogFixture.h"
#include "dialogs/About.h"
#include "platform/FileSystem.h"
#include "platform/VersionInfo.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class AddUserTest : public ::testing::Test, public DialogFixture {
 protected:
  AddUserTest() {
    WriteUsersDat(palm, {{12345, "Taro Yamada", "TaroY"}, {777, "Hanako", "HanakoS"}, {42, "Jiro", "JiroS"}});
  }
  bool UserKeyExists(const std::string& name) {
    return TheRegistry().keyExists(Hive::CurrentUser, JoinKeyPath(kUsersKey, name));
  }
  void RaiseFlag(const std::string& id) {
    CurrentUserKey(kHotSyncKey).writeDword(InstallFlagName(id), 1);
  }
  bool FlagRaised(const std::string& id) {
    return TheRegistry().value(Hive::CurrentUser, kHotSyncKey, InstallFlagName(id)).has_value();
  }
  ScriptedPrompter prompter;
};

TEST_F(AddUserTest, NewHotSyncUserIsRegisteredWithItsBackupFolder) {
  AddUser dialog;
  EXPECT_FALSE(dialog.changeMode());
  dialog.userName = "Jiro";
  dialog.backPath = home / "backup/Jiro";
  prompter.expect(BoxKind::Confirm, Button::Yes);
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "フォルダが存在しません。作成しますか？");
  EXPECT_TRUE(TheFileSystem().isDirectory(home / "backup/Jiro"));
  std::unique_ptr<UserInfo> user = dialog.TakeUser();
  ASSERT_TRUE(user);
  EXPECT_EQ(user->userName(), "Jiro");
  EXPECT_EQ(user->backupFolder(), home / "backup/Jiro/");
  EXPECT_EQ(Stored("Jiro", "User"), "JiroS");
  EXPECT_EQ(Stored("Jiro", "UserID"), "42");
  EXPECT_EQ(Stored("Jiro", "BackupPath"), home / "backup/Jiro/");
  user->handlers().setSaveOnDestroy(false);
}

TEST_F(AddUserTest, DuplicateKeepsTheStoredSettingsAndFlags) {
  UserKey("Taro Yamada").writeString("AppListURL", "http://mine.example/");
  RaiseFlag("12345");
  AddUser dialog;
  dialog.userName = "Taro Yamada";
  dialog.backPath = home / "elsewhere";
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "ユーザが重複してます");
  EXPECT_FALSE(dialog.TakeUser());
  EXPECT_EQ(Stored("Taro Yamada", "AppListURL"), "http://mine.example/");
  EXPECT_EQ(Stored("Taro Yamada", "User"), "TaroY");
  EXPECT_EQ(StoredExtension("Taro Yamada", "01"), ".prc");
  EXPECT_TRUE(FlagRaised("12345"));
  EXPECT_FALSE(TheFileSystem().exists(home / "elsewhere"));
}

TEST_F(AddUserTest, UnknownNameLeavesNoKeyAndAnEmptyNameDeletesNoUser) {
  AddUser dialog;
  dialog.userName = "Nobody";
  dialog.backPath = home / "b";
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "ユーザ名が違います");
  EXPECT_FALSE(UserKeyExists("Nobody"));

  dialog.userName = "";
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(Stored("Taro Yamada", "User"), "TaroY");
  EXPECT_EQ(Stored("Hanako", "User"), "HanakoS");
}

TEST_F(AddUserTest, FailedFolderCheckKeepsHotSyncsFlagAndGetsTheSeparator) {
  RaiseFlag("42");  // Jiro's files queued by HotSync's own tool
  AddUser dialog;
  dialog.userName = "Jiro";
  dialog.backPath = home / "not/yet";
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(dialog.backPath, home / "not/yet/");  // shown with a separator anyway
  EXPECT_FALSE(UserKeyExists("Jiro"));
  EXPECT_TRUE(FlagRaised("42"));
  EXPECT_FALSE(TheFileSystem().exists(home / "not"));

  dialog.backPath = "";
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "バックアップフォルダを指定してください");
  EXPECT_FALSE(UserKeyExists("Jiro"));

  // A folder that cannot be made (a file is in the way).
  WriteFile(home / "file", "x");
  dialog.backPath = home / "file/sub";
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "フォルダが作成できませんでした。");
  EXPECT_TRUE(FlagRaised("42"));
  EXPECT_FALSE(UserKeyExists("Jiro"));
}

TEST_F(AddUserTest, FolderEndingInADoubleByteCharacterGetsItsSeparator) {
  AddUser dialog;
  dialog.FolderChosen(home / "バックアップ表");
  EXPECT_EQ(dialog.backPath, home / "バックアップ表/");
  TheFileSystem().createDirectories(home / "表");
  dialog.userName = "Jiro";
  dialog.backPath = home / "表";
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(dialog.backPath, home / "表/");
  auto user = dialog.TakeUser();
  EXPECT_EQ(user->backupFolder(), home / "表/");
  user->handlers().setSaveOnDestroy(false);
}

TEST_F(AddUserTest, ChangeModeAsksForAMissingFolderAndRefusesAnEmptyOne) {
  AddUser dialog(*users[0]);
  EXPECT_TRUE(dialog.changeMode());
  EXPECT_EQ(dialog.userName, "Taro Yamada");
  EXPECT_EQ(dialog.backPath, users[0]->backupFolder());
  dialog.backPath = home / "new/backup";
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_FALSE(TheFileSystem().exists(home / "new"));
  prompter.expect(BoxKind::Confirm, Button::Yes);
  EXPECT_TRUE(dialog.Ok());
  EXPECT_TRUE(TheFileSystem().isDirectory(home / "new/backup"));
  EXPECT_EQ(dialog.backPath, home / "new/backup/");
  EXPECT_TRUE(dialog.Ok());  // exists now: no question

  dialog.backPath = "";
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "フォルダが作成できませんでした。");
}

TEST(AboutTest, VersionIsCutBeforeItsLastDot) {
  EXPECT_EQ(VersionLabel("1.5.2.0"), "Version 1.5.2");
  EXPECT_EQ(VersionShown("2"), "（不明）");
  EXPECT_EQ(VersionShown(""), "（不明）");
  EXPECT_EQ(VersionShown(".7"), "（不明）");
  // The build's version in four parts; the box shows the first three.
  std::string file = ProgramFileVersion();
  EXPECT_EQ(std::count(file.begin(), file.end(), '.'), 3) << file;
  EXPECT_EQ(VersionLabel(file), "Version " + file.substr(0, file.rfind('.')));
}

}  // namespace
