// The configuration dialog's logic: what OK stores, what it refuses, the
// questions of the extension page and of the user switch.
#include "dialogs/KSConfig.h"

#include <gtest/gtest.h>

#include "DialogFixture.h"
#include "platform/Shell.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class KSConfigTest : public ::testing::Test, public DialogFixture {
 protected:
  KSConfig dialog{users, 0, {"Office", "Home ISP"}};
  ExtensionPage& ext = dialog.handlers();
  ConfigValues& v = dialog.values();
  ScriptedPrompter prompter;
};

std::vector<std::string> Texts(const ExtensionPage& page) { return page.ListTexts(); }

TEST_F(KSConfigTest, SizeCheckNamesTheShorterSideAndStoresNothing) {
  v.han1 = "a b ";    // 4 bytes
  v.zen1 = "ＡＢＣ";  // 6 bytes
  v.appListUrl = "http://changed.example/";
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "ユーザ定義文字１のサイズが合いません。\n半角のほうが短いようです。");
  v.han1 = "a b c d ";
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "ユーザ定義文字１のサイズが合いません。\n全角のほうが短いようです。");
  v.han1 = "a b c ";
  v.han2 = "";
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "ユーザ定義文字２のサイズが合いません。\n半角のほうが短いようです。");
  EXPECT_EQ(Stored("Taro Yamada", "AppListURL"), "http://kestrel-plus.example.org/data/AppList.txt");
  EXPECT_EQ(users[0]->appListUrl(), "http://kestrel-plus.example.org/data/AppList.txt");
}

TEST_F(KSConfigTest, EqualOddSizesFailTheParityCheck) {
  v.han1 = "a b c";   // 5 bytes
  v.zen1 = "ＡＢa";   // 5 bytes
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "ユーザ定義文字１が不正です。");
  v.han1 = "a b ";
  v.zen1 = "ＡＢ";
  v.han2 = "a";
  v.zen2 = "b";
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), "ユーザ定義文字２が不正です。");
  dialog.DefaultSet(2);
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(Stored("Taro Yamada", "HanUserDef1"), "a b ");
  EXPECT_EQ(Stored("Taro Yamada", "ZenUserDef2"), "・「」");
}

TEST_F(KSConfigTest, OkWritesEverySettingToTheStore) {
  v.convKana = 0;
  v.convAlpha = 1;
  v.convUser1 = 0;
  v.convUser2 = 2;
  v.trim = false;
  v.margeLine = true;
  v.backup = false;
  v.askDelete = false;
  v.backupFlag = false;
  v.restoreBackup = false;
  v.backupArchive = false;
  v.execHotSync = v.exitHotSync = v.usbSwitcher = true;
  v.showTitle = v.noInfo = v.showArchiveFolder = v.showWindow = v.goArchiveFolder = true;
  v.appListUrl = "http://mirror.example/AppList.txt";
  v.useProxy = true;
  v.proxy = "proxy.example";
  v.proxyPort = "8080";
  v.rasIndex = 2;
  v.disconnect = true;
  v.askDisconnect = false;
  v.glanceViewOnDClk = v.glanceHtmlConv = v.glanceSavePos = true;
  ASSERT_TRUE(dialog.Ok());
  const std::vector<std::pair<const char*, const char*>> expected = {
      {"ConvKana", "0"}, {"ConvAlpha", "1"}, {"ConvUser1", "0"}, {"ConvUser2", "2"},
      {"Trim", "0"}, {"MargeLine", "1"}, {"Backup", "0"}, {"AskDelete", "0"},
      {"BackupFlag", "0"}, {"RestoreBackup", "0"}, {"BackupArchive", "0"},
      {"ExecHotSync", "1"}, {"ExitHotSync", "1"}, {"USBSwitcher", "1"}, {"ShowTitle", "1"},
      {"NoInfo", "1"}, {"ShowArchiveFolder", "1"}, {"ShowWindow", "1"}, {"GoArchiveFolder", "1"},
      {"AppListURL", "http://mirror.example/AppList.txt"}, {"UseProxy", "1"},
      {"Proxy", "proxy.example"}, {"ProxyPort", "8080"}, {"RasName", "Home ISP"},
      {"Disconnect", "1"}, {"AskDisconnect", "0"}, {"GlanceViewOnDClk", "1"},
      {"GlanceHTMLConv", "1"}, {"GlanceSavePos", "1"}, {"UseGlance", "0"}};
  for (const auto& [name, value] : expected) EXPECT_EQ(Stored("Taro Yamada", name), value) << name;
  EXPECT_EQ(Stored("Hanako", "AppListURL"), "http://kestrel-plus.example.org/data/AppList.txt");
}

TEST_F(KSConfigTest, NoDialStoredAsItsTextAndUnknownEntryShowsIt) {
  EXPECT_EQ(v.rasItems, (std::vector<std::string>{"ダイアルしない", "Office", "Home ISP"}));
  EXPECT_EQ(v.rasIndex, 0);  // nothing stored: the first item
  EXPECT_FALSE(dialog.Enabling().hangUpChecks);
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(Stored("Taro Yamada", "RasName"), "ダイアルしない");

  UserKey("Hanako").writeString("RasName", "Office");
  users[1]->setRasName("Office");
  KSConfig other(users, 1, {"Office"});
  EXPECT_EQ(other.values().rasIndex, 1);
  EXPECT_TRUE(other.Enabling().hangUpChecks);
  KSConfig gone(users, 1, {});
  EXPECT_EQ(gone.values().rasIndex, 0);
}

TEST_F(KSConfigTest, GlancePageRevealedWithCtrlStaysVisibleAfterOk) {
  EXPECT_FALSE(v.glanceVisible);
  EXPECT_EQ(dialog.PageRequested(ConfigPage::Connection, false), ConfigPage::Connection);
  EXPECT_FALSE(v.glanceVisible);
  EXPECT_EQ(dialog.PageRequested(ConfigPage::Behaviour, true), ConfigPage::Glance);
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(Stored("Taro Yamada", "UseGlance"), "1");
  KSConfig again(users, 0, {});
  EXPECT_TRUE(again.values().glanceVisible);
}

TEST_F(KSConfigTest, FontsAreStoredOnlyOnceANameIsKnown) {
  v.jpFontSize = 14;  // a size alone is not a choice
  v.enFontName = "DejaVu Sans Mono";
  v.enFontSize = 11;
  v.enFontKnown = true;
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(Stored("Taro Yamada", "GlanceJpFontSize"), "9");
  EXPECT_EQ(Stored("Taro Yamada", "GlanceEnFontName"), "DejaVu Sans Mono");
  EXPECT_EQ(Stored("Taro Yamada", "GlanceEnFontSize"), "11");
}

TEST_F(KSConfigTest, EnablingFollowsTheChecks) {
  v.backup = false;
  v.margeLine = true;
  v.useProxy = true;
  ConfigEnabling e = dialog.Enabling();
  EXPECT_FALSE(e.backupArchive);
  EXPECT_FALSE(e.trim);
  EXPECT_TRUE(e.proxyFields);
  EXPECT_EQ(KSConfig::HelpTopic(ConfigPage::Handlers), 12);
  EXPECT_EQ(KSConfig::HelpTopic(ConfigPage::TextShape), 19);
  EXPECT_EQ(KSConfig::HelpTopic(ConfigPage::Behaviour), 20);
  EXPECT_EQ(KSConfig::HelpTopic(ConfigPage::Connection), 0);
  EXPECT_EQ(KSConfig::HelpTopic(ConfigPage::Glance), 0);
}

TEST_F(KSConfigTest, AddingTxtStoresTheDottedExtension) {
  ext.ExtensionTyped("txt");
  ext.Add();
  EXPECT_EQ(Texts(ext), (std::vector<std::string>{".txt", ".prc", ".pdb", "(未登録)"}));
  EXPECT_EQ(ext.selected(), 0);
  EXPECT_FALSE(ext.Edited());
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(StoredExtension("Taro Yamada", "01"), ".txt");
  EXPECT_EQ(users[0]->handlers().get(0)->Extension, ".txt");
}

TEST_F(KSConfigTest, ChangedExtensionAnsweredNoAddsAndKeepsTheOld) {
  ext.ExtensionTyped(".doc");
  ext.Add();
  ext.Select(0);
  ext.ExtensionTyped(".txt");
  ext.fields().title = "Writer";
  prompter.expect(BoxKind::ConfirmCancel, Button::No);
  ext.Change();
  EXPECT_NE(prompter.lastText().find("いいえ：追加"), std::string::npos);
  EXPECT_EQ(Texts(ext), (std::vector<std::string>{".txt", ".doc", ".prc", ".pdb", "(未登録)"}));
  EXPECT_EQ(ext.table().get(1)->Title, "");
  EXPECT_EQ(ext.table().get(0)->Title, "Writer");

  // Yes changes the entry; Cancel changes nothing.
  ext.Select(1);
  ext.ExtensionTyped(".rtf");
  prompter.expect(BoxKind::ConfirmCancel, Button::Cancel).expect(BoxKind::ConfirmCancel, Button::Yes);
  ext.Change();
  EXPECT_EQ(ext.table().get(1)->Extension, ".doc");
  ext.Change();
  EXPECT_EQ(ext.table().get(1)->Extension, ".rtf");
  // Renaming onto an extension that exists would leave one entry unreachable.
  ext.ExtensionTyped(".prc");
  prompter.expect(BoxKind::ConfirmCancel, Button::Yes).expect(BoxKind::Error, Button::Ok);
  ext.Change();
  EXPECT_EQ(prompter.lastText(), "拡張子 '.prc' は登録済みです");
  EXPECT_EQ(Texts(ext), (std::vector<std::string>{".txt", ".rtf", ".prc", ".pdb", "(未登録)"}));
}

TEST_F(KSConfigTest, CatchAllCannotBeAddedOrRenamedAndDuplicatesAreRefused) {
  ext.ExtensionTyped("(未登録)");
  prompter.expect(BoxKind::Error, Button::Ok);
  ext.Add();
  EXPECT_EQ(prompter.lastText(), "'(未登録)'は追加できません");
  ext.ExtensionTyped("prc");
  prompter.expect(BoxKind::Error, Button::Ok);
  ext.Add();
  EXPECT_EQ(prompter.lastText(), "拡張子 '.prc' は登録済みです");
  ext.ExtensionTyped("");
  prompter.expect(BoxKind::Error, Button::Ok);
  ext.Add();
  EXPECT_EQ(Texts(ext), (std::vector<std::string>{".prc", ".pdb", "(未登録)"}));

  ext.Select(2);
  ext.ExtensionTyped(".zip");
  prompter.expect(BoxKind::Confirm, Button::No);
  ext.Change();
  EXPECT_EQ(prompter.lastText(), "'(未登録)'は変更できません。追加しますか？");
  EXPECT_EQ(ext.table().count(), 3);
  prompter.expect(BoxKind::Confirm, Button::Yes);
  ext.Change();
  EXPECT_EQ(Texts(ext), (std::vector<std::string>{".prc", ".pdb", ".zip", "(未登録)"}));
  // The catch-all's own program fields may be changed.
  ext.Select(3);
  ext.fields().useExApp = true;
  ext.Change();
  EXPECT_TRUE(ext.table().get(3)->UseExApp);
  EXPECT_EQ(ext.table().get(3)->Extension, "(未登録)");
}

TEST_F(KSConfigTest, ButtonsForFirstMiddleAndLastEntry) {
  ext.ExtensionTyped(".txt");
  ext.Add();  // .txt .prc .pdb (未登録)
  ExtensionButtons none = ext.Buttons();
  ext.Reset();
  none = ext.Buttons();
  EXPECT_FALSE(none.change || none.remove || none.up || none.down || none.associate);
  ext.Select(0);
  ExtensionButtons first = ext.Buttons();
  EXPECT_TRUE(first.change && first.remove && first.down && first.associate && first.unassociate);
  EXPECT_FALSE(first.up);
  ext.Select(1);
  ExtensionButtons middle = ext.Buttons();
  EXPECT_TRUE(middle.change && middle.remove && middle.up && middle.down && middle.associate);
  ext.Select(2);  // next to the catch-all: may not move down into its place
  ExtensionButtons beforeLast = ext.Buttons();
  EXPECT_TRUE(beforeLast.up && beforeLast.remove && beforeLast.associate);
  EXPECT_FALSE(beforeLast.down);
  ext.Select(3);
  ExtensionButtons last = ext.Buttons();
  EXPECT_TRUE(last.change);
  EXPECT_FALSE(last.remove || last.up || last.down || last.associate || last.unassociate);
}

TEST_F(KSConfigTest, DeleteUpAndDownKeepTheCatchAllLast) {
  ext.ExtensionTyped(".txt");
  ext.Add();
  ext.Up();  // first: nothing happens
  ext.Down();
  EXPECT_EQ(Texts(ext), (std::vector<std::string>{".prc", ".txt", ".pdb", "(未登録)"}));
  EXPECT_EQ(ext.selected(), 1);
  ext.Down();
  ext.Down();  // no further: the catch-all stays last
  EXPECT_EQ(Texts(ext), (std::vector<std::string>{".prc", ".pdb", ".txt", "(未登録)"}));
  ext.Delete();
  EXPECT_EQ(Texts(ext), (std::vector<std::string>{".prc", ".pdb", "(未登録)"}));
  EXPECT_EQ(ext.selected(), 2);  // the same position: the catch-all, shown
  EXPECT_EQ(ext.fields().extension, "(未登録)");
  ext.Delete();
  EXPECT_EQ(ext.table().count(), 3);
}

TEST_F(KSConfigTest, SelectingAnotherEntryAsksAboutAnEditedOne) {
  ext.Select(0);
  ext.fields().option = "$P";
  EXPECT_TRUE(ext.Edited());
  prompter.expect(BoxKind::Confirm, Button::No);
  ext.Select(1);
  EXPECT_EQ(prompter.lastText(), ".prc は変更されています。反映しますか？");
  EXPECT_EQ(ext.table().get(0)->Option, "");
  EXPECT_EQ(ext.fields().extension, ".pdb");
  ext.fields().title = "Viewer";
  prompter.expect(BoxKind::Confirm, Button::Yes);
  ext.Select(0);
  EXPECT_EQ(ext.table().get(1)->Title, "Viewer");
  EXPECT_EQ(ext.selected(), 0);
  EXPECT_EQ(ext.fields().title, "");
  // Clear empties the program fields but keeps the extension.
  ext.fields().useExApp = true;
  ext.fields().path = "/usr/bin/txt2pdbdoc";
  ext.Clear();
  EXPECT_EQ(ext.fields().extension, ".prc");
  EXPECT_FALSE(ext.fields().useExApp);
  EXPECT_EQ(ext.fields().path, "");
}

TEST_F(KSConfigTest, OkAsksAboutTheEditedEntryOnShow) {
  ext.Select(1);
  ext.fields().useExText = true;
  prompter.expect(BoxKind::Confirm, Button::Yes);
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(prompter.lastText(), ".pdb は変更されています。反映しますか？");
  EXPECT_TRUE(users[0]->handlers().get(1)->UseExText);
  auto stored = TheRegistry().value(Hive::CurrentUser, JoinKeyPath(kUsersKey, "Taro Yamada") + "\\Ext\\02", "UseExText");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->dword, 1u);
}

TEST_F(KSConfigTest, SwitchingUsersAfterOnlyTheUrlAsksNothingAndDropsIt) {
  EXPECT_EQ(dialog.UserNames(), (std::vector<std::string>{"Taro Yamada", "Hanako"}));
  v.appListUrl = "http://dropped.example/";
  dialog.UserChanged(1);
  EXPECT_TRUE(prompter.shown().empty());
  EXPECT_EQ(dialog.userIndex(), 1);
  dialog.UserChanged(0);
  EXPECT_EQ(v.appListUrl, "http://kestrel-plus.example.org/data/AppList.txt");
  EXPECT_EQ(users[0]->appListUrl(), "http://kestrel-plus.example.org/data/AppList.txt");
}

TEST_F(KSConfigTest, SwitchingUsersAsksAboutComparedSettingsAndTableEdits) {
  v.convKana = 2;
  prompter.expect(BoxKind::Confirm, Button::Yes);
  dialog.UserChanged(1);
  EXPECT_EQ(prompter.lastText(), "'Taro Yamada'の設定を保存しますか？");
  EXPECT_EQ(Stored("Taro Yamada", "ConvKana"), "2");
  EXPECT_EQ(v.convKana, 1);  // Hanako's

  // An entry added for Hanako is not lost unasked.
  ext.ExtensionTyped(".txt");
  ext.Add();
  prompter.expect(BoxKind::Confirm, Button::No);
  dialog.UserChanged(0);
  EXPECT_EQ(StoredExtension("Hanako", "01"), ".prc");
  EXPECT_EQ(ext.selected(), -1);

  // An edited entry on show is applied first on Yes.
  ext.Select(0);
  ext.fields().title = "Installer";
  prompter.expect(BoxKind::Confirm, Button::Yes);
  dialog.UserChanged(1);
  EXPECT_EQ(users[0]->handlers().get(0)->Title, "Installer");
}

TEST_F(KSConfigTest, ProgramChoicePresetsAndTheSettingsLaunch) {
  ext.ProgramChosen("/opt/tools/Conv.Tool.exe");
  EXPECT_EQ(ext.fields().title, "Conv.Tool");
  ext.ProgramChosen("/usr/bin/txt2pdbdoc");
  EXPECT_EQ(ext.fields().title, "Conv.Tool");  // a title stays
  ext.fields().title = "";
  ext.ProgramChosen("/usr/bin/txt2pdbdoc");
  EXPECT_EQ(ext.fields().title, "");  // no "." in the name, no title

  WriteFile(home / "KSExt.ini", "[txt2pdbdoc]\nOption1=\"$N\" \"$P\"\nOption2=-d \"$P\"\nInstall=5\n");
  ext.ApplyPreset(OptionField::Install, home / "KSExt.ini");
  EXPECT_EQ(ext.fields().option, "\"$N\" \"$P\"");
  EXPECT_EQ(ext.fields().installMode, TInstallMode::MoveConvertedPdb);
  prompter.expect(BoxKind::Confirm, Button::No);
  ext.ApplyPreset(OptionField::Install, home / "KSExt.ini");
  EXPECT_NE(prompter.lastText().find("既に '\"$N\" \"$P\"'が設定されてますが"), std::string::npos);
  ext.ApplyPreset(OptionField::Restore, home / "KSExt.ini");
  EXPECT_EQ(ext.fields().restOption, "-d \"$P\"");
  EXPECT_EQ(ext.lastOptionField(), OptionField::Restore);
  ext.fields().path = "";
  prompter.expect(BoxKind::Error, Button::Ok);
  ext.ApplyPreset(OptionField::Install, home / "KSExt.ini");
  EXPECT_EQ(prompter.lastText(), "連携プログラムが指定されてません");

  class RefusingShell : public Shell {
   public:
    bool open(const std::string&, const std::string&, const std::string&) override { return false; }
  };
  SetShell(std::make_unique<RefusingShell>());
  ext.fields().title = "Converter";
  ext.fields().path = home / "missing";
  prompter.expect(BoxKind::Error, Button::Ok);
  ext.Go();
  EXPECT_EQ(prompter.lastText(), "Converter が実行できません。");
  SetShell(nullptr);
}

TEST_F(KSConfigTest, OldVersionInfoGoesOnlyOnYesAndUsersStay) {
  CurrentUserKey("Software\\Tolva\\Kestrel+\\Settings\\Sub").writeString("Old", "1");
  CurrentUserKey(kUsersKey).writeString("LastUser", "old");
  prompter.expect(BoxKind::Confirm, Button::No).expect(BoxKind::Confirm, Button::Yes);
  dialog.DeleteOldVersionInfo();
  EXPECT_EQ(prompter.lastText(), "0.9x以前のレジストリ情報を削除してよろしいですか？");
  EXPECT_TRUE(TheRegistry().keyExists(Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Settings"));
  dialog.DeleteOldVersionInfo();
  EXPECT_FALSE(TheRegistry().keyExists(Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Settings"));
  EXPECT_TRUE(TheRegistry().values(Hive::CurrentUser, kUsersKey).empty());
  EXPECT_EQ(Stored("Taro Yamada", "User"), "TaroY");
  EXPECT_EQ(Stored("Hanako", "User"), "HanakoS");
}

TEST_F(KSConfigTest, AssociationButtonsActOnTheSelectedEntry) {
  ext.Select(1);
  ext.Associate();
  EXPECT_EQ(TheRegistry().value(Hive::ClassesRoot, ".pdb", "")->text, "pdbFile");
  prompter.expect(BoxKind::Confirm, Button::Yes);
  ext.Unassociate();
  EXPECT_FALSE(TheRegistry().keyExists(Hive::ClassesRoot, ".pdb"));
  ext.Select(2);
  ext.Associate();  // the catch-all: disabled, nothing happens
  EXPECT_TRUE(TheRegistry().subkeyNames(Hive::ClassesRoot, "").empty());
}

}  // namespace

TEST_F(KSConfigTest, TheLanguageIsStoredWhenChosenAndShownAsStored) {
  auto language = [] {
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, false);
    return key && key->hasValue(kLanguageValue) ? key->readString(kLanguageValue) : "(absent)";
  };
  EXPECT_EQ(v.language, 0);  // the locale's
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(language(), "(absent)");  // untouched: nothing written
  v.language = 2;
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(language(), "en");

  struct Case {
    const char* stored;
    int shown;
  } cases[] = {{"ja", 1}, {"en", 2}, {"", 0}, {"fr", 0}};
  for (const Case& c : cases) {
    RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, true)->writeString(kLanguageValue, c.stored);
    KSConfig again(users, 0, {});
    EXPECT_EQ(again.values().language, c.shown) << c.stored;
  }
  // A value of another type is no choice either.
  RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, true)->writeDword(kLanguageValue, 1);
  KSConfig dword(users, 0, {});
  EXPECT_EQ(dword.values().language, 0);
}
