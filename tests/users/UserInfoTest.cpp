#include "users/UserInfo.h"

#include <gtest/gtest.h>

#include "support/PalmSetup.h"
#include "platform/Home.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

class UserInfoTest : public ::testing::Test {
 protected:
  TempHome home;
  ScriptedPrompter prompter;
  std::string palm = SetUpPalmDesktop(home);

  RegKey UserKey(const std::string& name) { return CurrentUserKey(JoinKeyPath(kUsersKey, name)); }
  // A user registered earlier: identity stored, nothing else.
  void StoreUser(const std::string& name, const std::string& shortName, const std::string& id) {
    RegKey k = UserKey(name);
    k.writeString("User", shortName);
    k.writeString("UserID", id);
  }
  bool UserKeyExists(const std::string& name) {
    return TheRegistry().keyExists(Hive::CurrentUser, JoinKeyPath(kUsersKey, name));
  }
};

TEST_F(UserInfoTest, MissingValuesLoadAsTheirAbsentValuesNotTheInitialOnes) {
  UserInfo fresh;
  EXPECT_TRUE(fresh.glanceHtmlConv());
  EXPECT_EQ(fresh.appListUrl(), "");
  EXPECT_EQ(fresh.hanUserDef1(), "");
  EXPECT_TRUE(fresh.autoBackup());
  EXPECT_EQ(fresh.convKana(), 1);
  EXPECT_EQ(fresh.consolePriority(), 2);

  StoreUser("Taro", "TaroY", "12345");
  UserKey("Taro").writeString("RasName", "");  // present but empty stays empty below
  UserInfo taro("Taro");
  EXPECT_FALSE(taro.glanceHtmlConv());
  EXPECT_EQ(taro.appListUrl(), kDefaultAppListUrl);
  EXPECT_EQ(taro.rasName(), "");
  EXPECT_EQ(taro.convAlpha(), 2);
  EXPECT_EQ(taro.convUser1(), 2);
  EXPECT_EQ(taro.convUser2(), 1);
  EXPECT_EQ(taro.glanceJpFontSize(), 9);
  EXPECT_TRUE(taro.askDisconnect());
  EXPECT_TRUE(taro.restoreBackup());
  EXPECT_EQ(taro.glanceRect().width, 0);
  // The conversion sets arrive in their code page 932 form.
  EXPECT_EQ(Hex(Utf8ToCp932(taro.hanUserDef1())),
            "20 20 21 20 23 20 24 20 25 20 26 20 2A 20 2B 20 2D 20 2F 20 3A 20 3B 20 3C 20 3D 20 "
            "3E 20 3F 20 40 20 2E 20 2C 20 2E 20 2C 20 22 20 27 20 28 20 29 20 5B 20 5C 20 5D 20 "
            "5E 20 5F 20 60 20 7B 20 7C 20 7D 20 7E 20");
  EXPECT_EQ(Utf8ToCp932(taro.zenUserDef1()).size(), 70u);
  EXPECT_EQ(Hex(Utf8ToCp932(taro.zenUserDef1())).substr(0, 17), "81 40 81 49 81 94");
  EXPECT_EQ(Hex(Utf8ToCp932(taro.hanUserDef2())), "A5 20 A2 20 A3 20");
  EXPECT_EQ(Hex(Utf8ToCp932(taro.zenUserDef2())), "81 45 81 75 81 76");

  // An existing empty address is not a missing one.
  UserKey("Taro").writeString("AppListURL", "");
  EXPECT_EQ(UserInfo("Taro").appListUrl(), "");
}

TEST_F(UserInfoTest, SavingWritesEveryValueUnderItsStoredNameInOrderAndLoadsBack) {
  StoreUser("Taro", "TaroY", "12345");
  UserInfo a("Taro");
  ASSERT_EQ(a.userName(), "Taro");
  EXPECT_FALSE(a.setBackupFolder("/backup/taro/"));
  a.setAutoBackup(false);
  a.setBackupArchives(false);
  a.setConfirmOverwrite(false);
  a.setConfirmDelete(false);
  a.setShowDescription(true);
  a.setSelectArchiveFolder(true);
  a.setShowTitle(true);
  a.setStartHotSync(true);
  a.setStopHotSync(true);
  a.setUsbSwitcher(true);
  a.setShowWindow(true);
  a.setRestoreBackup(false);
  a.setShowArchives(true);
  a.setConvKana(0);
  a.setConvAlpha(1);
  a.setConvUser1(0);
  a.setConvUser2(2);
  a.setTrimLines(false);
  a.setJoinLines(true);
  a.setHanUserDef1("a ");
  a.setZenUserDef1("ａ");
  a.setHanUserDef2("");
  a.setZenUserDef2("");
  a.setAppListUrl("http://example.org/data/AppList.txt");
  a.setRasName("プロバイダ");
  a.setDisconnect(true);
  a.setAskDisconnect(false);
  a.setUseProxy(true);
  a.setProxy("proxy.example.org");
  a.setProxyPort("8080");
  a.setUseGlance(true);
  a.setGlanceViewOnDClk(true);
  a.setGlanceHtmlConv(true);
  a.setGlanceSavePos(true);
  a.setGlanceRect({-20, 30, 640, 480});
  a.setGlanceJpFontName("ＭＳ ゴシック");
  a.setGlanceJpFontSize(12);
  a.setGlanceEnFontName("Courier");
  a.setGlanceEnFontSize(10);
  ASSERT_EQ(a.setLastAccessFolder(home.path()), home.path());
  a.setConsoleBackupFolder("/backup/xfer/");
  a.setConsoleProgram("/usr/bin/pilot-xfer");
  a.setConsolePort(2);
  a.setConsoleRate(57600);
  a.setConsolePriority(3);
  a.setConsoleHeight(400);
  a.setConsoleBackupMode(1);
  ASSERT_EQ(a.SaveSettings(), 0);

  std::vector<std::string> names;
  for (const RegValue& v : UserKey("Taro").values()) names.push_back(v.name);
  // "User" and "UserID" were written first by StoreUser; the rest in save order.
  EXPECT_EQ(names, (std::vector<std::string>{
                       "User", "UserID", "BackupPath", "Backup", "BackupArchive", "BackupFlag",
                       "AskDelete", "NoInfo", "ShowTitle", "ExecHotSync", "ExitHotSync",
                       "USBSwitcher", "ShowWindow", "GoArchiveFolder", "ShowArchiveFolder",
                       "ConvKana", "ConvAlpha", "Trim", "MargeLine", "RestoreBackup", "ConvUser1",
                       "ConvUser2", "HanUserDef1", "ZenUserDef1", "HanUserDef2", "ZenUserDef2",
                       "AppListURL", "RasName", "Disconnect", "AskDisconnect", "UseProxy", "Proxy",
                       "ProxyPort", "UseGlance", "GlanceViewOnDClk", "GlanceHTMLConv",
                       "GlanceSavePos", "GlancePosX", "GlancePosY", "GlanceWidth", "GlanceHeight",
                       "GlanceJpFontName", "GlanceEnFontName", "GlanceJpFontSize",
                       "GlanceEnFontSize", "LastAccessDir"}));
  names.clear();
  for (const RegValue& v : UserKey("Taro\\pilot-xfer").values()) names.push_back(v.name);
  EXPECT_EQ(names, (std::vector<std::string>{"BackupPath", "Path", "Port", "Rate", "Priority",
                                             "Height", "DefualtBackupMode"}));
  EXPECT_EQ(UserKey("Taro").readDword("NoInfo"), 1u);
  EXPECT_EQ(UserKey("Taro").readDword("Backup"), 0u);
  EXPECT_FALSE(UserKey("Taro").hasValue("InstallFolder"));

  UserInfo b("Taro");
  EXPECT_EQ(b.backupFolder(), "/backup/taro/");
  EXPECT_FALSE(b.autoBackup());
  EXPECT_FALSE(b.backupArchives());
  EXPECT_FALSE(b.confirmOverwrite());
  EXPECT_FALSE(b.confirmDelete());
  EXPECT_TRUE(b.showDescription());
  EXPECT_TRUE(b.selectArchiveFolder());
  EXPECT_TRUE(b.showTitle());
  EXPECT_TRUE(b.startHotSync());
  EXPECT_TRUE(b.stopHotSync());
  EXPECT_TRUE(b.usbSwitcher());
  EXPECT_TRUE(b.showWindow());
  EXPECT_FALSE(b.restoreBackup());
  EXPECT_TRUE(b.showArchives());
  EXPECT_EQ(b.convKana(), 0);
  EXPECT_EQ(b.convAlpha(), 1);
  EXPECT_EQ(b.convUser1(), 0);
  EXPECT_EQ(b.convUser2(), 2);
  EXPECT_FALSE(b.trimLines());
  EXPECT_TRUE(b.joinLines());
  EXPECT_EQ(b.hanUserDef1(), "a ");
  EXPECT_EQ(b.zenUserDef1(), "ａ");
  EXPECT_EQ(b.hanUserDef2(), "");
  EXPECT_EQ(b.zenUserDef2(), "");
  EXPECT_EQ(b.appListUrl(), "http://example.org/data/AppList.txt");
  EXPECT_EQ(b.rasName(), "プロバイダ");
  EXPECT_TRUE(b.disconnect());
  EXPECT_FALSE(b.askDisconnect());
  EXPECT_TRUE(b.useProxy());
  EXPECT_EQ(b.proxy(), "proxy.example.org");
  EXPECT_EQ(b.proxyPort(), "8080");
  EXPECT_TRUE(b.useGlance());
  EXPECT_TRUE(b.glanceViewOnDClk());
  EXPECT_TRUE(b.glanceHtmlConv());
  EXPECT_TRUE(b.glanceSavePos());
  EXPECT_EQ(b.glanceRect().left, -20);
  EXPECT_EQ(b.glanceRect().top, 30);
  EXPECT_EQ(b.glanceRect().width, 640);
  EXPECT_EQ(b.glanceRect().height, 480);
  EXPECT_EQ(b.glanceJpFontName(), "ＭＳ ゴシック");
  EXPECT_EQ(b.glanceJpFontSize(), 12);
  EXPECT_EQ(b.glanceEnFontName(), "Courier");
  EXPECT_EQ(b.glanceEnFontSize(), 10);
  EXPECT_EQ(b.lastAccessFolder(), home.path());
  EXPECT_EQ(b.consoleBackupFolder(), "/backup/xfer/");
  EXPECT_EQ(b.consoleProgram(), "/usr/bin/pilot-xfer");
  EXPECT_EQ(b.consolePort(), 2);
  EXPECT_EQ(b.consoleRate(), 57600);
  EXPECT_EQ(b.consolePriority(), 3);
  EXPECT_EQ(b.consoleHeight(), 400);
  EXPECT_EQ(b.consoleBackupMode(), 1);
}

TEST_F(UserInfoTest, AStoredIdentityOpensWithoutUsersDatAndCountsAsDuplicate) {
  // No Users.dat exists: reading it would show an error box.
  StoreUser("Taro Yamada", "TaroY", "12345");
  UserInfo taro;
  EXPECT_EQ(taro.OpenUser("Taro Yamada", false), 0);
  EXPECT_EQ(taro.shortName(), "TaroY");
  EXPECT_EQ(taro.userId(), "12345");
  EXPECT_EQ(taro.installFolder(), palm + "/TaroY/Install/");
  // No backup folder stored: the program's folder and the short name.
  EXPECT_EQ(taro.backupFolder(), ProgramFolder() + "TaroY/");
  // The handler table came along, with its defaults.
  EXPECT_EQ(taro.handlers().count(), 3);
  EXPECT_EQ(taro.handlers().get(2)->Extension, "(未登録)");
  EXPECT_TRUE(taro.handlers().saveOnDestroy());
  EXPECT_EQ(UserInfo().OpenUser("Taro Yamada", true), 1);
}

TEST_F(UserInfoTest, AnUnknownNameOpensEmptyAndLeavesAKeyThatDeleteUserRemoves) {
  WriteUsersDat(palm, {{12345, "Taro Yamada2", "TaroY2"}});
  UserInfo u;
  EXPECT_EQ(u.OpenUser("Taro Yamada", true), 2);
  EXPECT_EQ(u.userName(), "");
  EXPECT_EQ(u.shortName(), "");
  EXPECT_EQ(u.backupFolder(), "");
  EXPECT_TRUE(UserKeyExists("Taro Yamada"));
  EXPECT_TRUE(u.DeleteUser(false, "Taro Yamada"));
  EXPECT_FALSE(UserKeyExists("Taro Yamada"));
  EXPECT_FALSE(u.handlers().saveOnDestroy());

  // An empty name is no user, and deleting "no user" must not take the
  // Users key (and every user with it).
  StoreUser("Hanako", "HanakoS", "7");
  EXPECT_EQ(u.OpenUser("", false), 2);
  EXPECT_FALSE(u.DeleteUser(false, ""));
  EXPECT_TRUE(UserKeyExists("Hanako"));
}

TEST_F(UserInfoTest, OpeningANewUserTakesIdentityFromUsersDatAndSavesIt) {
  WriteUsersDat(palm, {{1, "Hanako", "HanakoS"}, {12345, "山田太郎", "YamadaT"}});
  UserInfo u;
  ASSERT_EQ(u.OpenUser("山田太郎", true), 0);
  EXPECT_EQ(u.shortName(), "YamadaT");
  EXPECT_EQ(u.userId(), "12345");
  EXPECT_EQ(u.installFolder(), palm + "/YamadaT/Install/");
  ASSERT_EQ(u.SaveSettings(), 0);
  // The registry key carries the name in UTF-8.
  EXPECT_EQ(UserKey("山田太郎").readString("User"), "YamadaT");
  EXPECT_EQ(TheRegistry().subkeyNames(Hive::CurrentUser, kUsersKey),
            std::vector<std::string>{"山田太郎"});
  EXPECT_EQ(UserInfo().OpenUser("山田太郎", true), 1);
}

// A short name is a folder inside the Palm Desktop folder, never a way out
// of it: one that could be is refused like an empty one, from Users.dat and
// from the store alike; a double-byte character whose trail byte is 0x5C
// is no separator.
TEST_F(UserInfoTest, ShortNamesThatLeaveThePalmFolderAreRefused) {
  const std::vector<std::string> hostile = {"..", ".", "../../x", "a/b", "a\\b", std::string("a\0b", 3),
                                            "a\x01", "\x7F", "x\ty"};
  for (const std::string& shortName : hostile) {
    SCOPED_TRACE(Hex(shortName));
    std::vector<UsersDatRecord> records = {{7, "Taro", shortName}};
    std::string bytes = *FormatUsersDat(records, nullptr);
    WriteFile(palm + "/Users.dat", bytes);
    EXPECT_EQ(FindUserInUsersDat(bytes, "Taro").answer, kLookupNoShortName);
    UserInfo u;
    EXPECT_EQ(u.OpenUser("Taro", false), 2);
    EXPECT_EQ(u.shortName(), "");
    EXPECT_EQ(u.installFolder(), "");
    // Stored by an earlier run (or another program): looked up again, and
    // refused there too.
    StoreUser("Taro", shortName, "7");
    EXPECT_EQ(u.OpenUser("Taro", false), 2);
    EXPECT_EQ(u.installFolder(), "");
  }
  EXPECT_TRUE(IsUsableShortName("\x83\x5C", true));  // ソ
  EXPECT_FALSE(IsUsableShortName("\x83\x5C", false));
}

TEST_F(UserInfoTest, EnumerationDropsKeysWithoutUserAndKeepsFailedUsersInPlace) {
  WriteUsersDat(palm, {{42, "Empty", "EmptyS"}});
  StoreUser("Alpha", "AlphaS", "1");
  UserKey("Beta").writeString("BackupPath", "/x/");  // no "User": left by a failed add
  UserKey("Empty").writeString("User", "");          // looked up in Users.dat
  StoreUser("Zeta", "", "");                          // not in Users.dat: opens empty
  std::vector<std::unique_ptr<UserInfo>> users;
  EXPECT_EQ(EnumerateUsers(users), 3);
  ASSERT_EQ(users.size(), 3u);
  EXPECT_EQ(users[0]->userName(), "Alpha");
  EXPECT_EQ(users[1]->userName(), "Empty");
  EXPECT_EQ(users[1]->shortName(), "EmptyS");
  EXPECT_EQ(users[1]->userId(), "42");
  EXPECT_EQ(users[2]->userName(), "");
  EXPECT_FALSE(UserKeyExists("Beta"));
  EXPECT_TRUE(UserKeyExists("Empty"));
  EXPECT_TRUE(UserKeyExists("Zeta"));
}

TEST_F(UserInfoTest, SettersRefuseWithoutAUserAndTheLastAccessFolderMustExist) {
  UserInfo none;
  EXPECT_TRUE(none.setBackupFolder("/elsewhere/"));
  EXPECT_EQ(none.backupFolder(), "");
  EXPECT_TRUE(none.setAutoBackup(false));
  EXPECT_TRUE(none.autoBackup());
  EXPECT_TRUE(none.setConfirmDelete(false));
  EXPECT_TRUE(none.confirmDelete());
  EXPECT_EQ(none.SaveSettings(), 1);
  EXPECT_EQ(none.LoadSettings(), 1);
  EXPECT_EQ(none.StoreLastUser(), 1);
  EXPECT_FALSE(none.IsLastUser());

  StoreUser("Taro", "TaroY", "12345");
  UserInfo taro("Taro");
  EXPECT_FALSE(taro.setConfirmDelete(false));
  EXPECT_FALSE(taro.confirmDelete());
  ASSERT_EQ(taro.setLastAccessFolder(home.path()), home.path());
  EXPECT_EQ(taro.setLastAccessFolder(home / "gone"), "");
  EXPECT_EQ(taro.lastAccessFolder(), home.path());
}

TEST_F(UserInfoTest, TheLastUserIsRememberedByShortName) {
  StoreUser("Taro", "TaroY", "12345");
  StoreUser("Hanako", "HanakoS", "7");
  UserInfo taro("Taro"), hanako("Hanako");
  EXPECT_FALSE(taro.IsLastUser());
  EXPECT_EQ(taro.StoreLastUser(), 0);
  EXPECT_EQ(CurrentUserKey(kKestrelKey).readString("LastUser"), "TaroY");
  EXPECT_TRUE(taro.IsLastUser());
  EXPECT_FALSE(hanako.IsLastUser());
}

TEST_F(UserInfoTest, DeletingAUserRemovesItsKeyAndItsInstallFlag) {
  StoreUser("Taro", "TaroY", "12345");
  StoreUser("Hanako", "HanakoS", "7");
  UserKey("Taro\\pilot-xfer").writeDword("Port", 1);
  {
    UserInfo taro("Taro");
    ASSERT_EQ(taro.SaveSettings(), 0);
    EXPECT_TRUE(UserKeyExists("Taro\\Ext\\03"));  // the handler table is saved along
    ASSERT_TRUE(SetInstallFlag(taro));
    EXPECT_TRUE(taro.DeleteUser(false, ""));
    EXPECT_FALSE(UserKeyExists("Taro"));
    EXPECT_TRUE(UserKeyExists("Hanako"));
    EXPECT_FALSE(CurrentUserKey(kHotSyncKey).hasValue("Install12345"));
  }
  // Its handler table was not written back when the object went.
  EXPECT_FALSE(UserKeyExists("Taro"));

  {
    UserInfo hanako("Hanako");
    hanako.handlers().append({});
  }
  // A user that stays writes its table back on the way out.
  EXPECT_TRUE(UserKeyExists("Hanako\\Ext\\04"));
}

}  // namespace
