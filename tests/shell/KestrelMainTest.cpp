// The main window's logic without widgets: queuing, backups, dragging,
// deleting and the text order of the list.
#include "shell/KestrelMain.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "common/MessageTable.h"
#include "platform/Codepage.h"
#include "shell/WindowState.h"
#include "support/MainFixture.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;
namespace fs = std::filesystem;

namespace {

class KestrelMainTest : public MainFixture {
 protected:
  void SelectItems(std::initializer_list<std::string> captions) { MarkItems(captions); }

};

// Each node as its parent, kind, caption and folder.
std::vector<std::string> TreeLines(const UserTree& t) {
  std::vector<std::string> out;
  for (int n = 0; n < t.count(); ++n) {
    out.push_back(std::to_string(t.parent(n)) + " " + std::to_string(t.record(n).kind) + " " +
                  t.caption(n) + " " + t.FolderOf(n));
  }
  return out;
}

TEST(ListText, OrdersByCharacterCodeWithoutCaseAndDoubleByteCharactersWhole) {
  EXPECT_EQ(CompareText("readme.TXT", "README.txt"), 0);
  EXPECT_LT(CompareText("a.prc", "B.prc"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  // Half-width ｱ (0xB1) is one code below any double-byte character, though
  // its byte is above 亜's lead byte 0x88.
  EXPECT_LT(CompareText("ｱ", "亜"), 0);
  EXPECT_LT(CompareText("表", "表a"), 0);
}

TEST(ListText, PalmTitleIsTheDatabaseNameUpToItsZeroByte) {
  TempHome home;
  WriteFile(home / "a.prc", std::string("Vexed\0\0\0appl", 12) + std::string(60, 'x'));
  EXPECT_EQ(PalmTitleOf(home / "a.prc"), "Vexed");
  WriteFile(home / "b.pdb", Utf8ToCp932("辞書") + std::string(1, '\0'));
  EXPECT_EQ(PalmTitleOf(home / "b.pdb"), "辞書");
  WriteFile(home / "c.pdb", "line one\nline two");  // a first line without zero
  EXPECT_EQ(PalmTitleOf(home / "c.pdb"), "line one");
  EXPECT_EQ(PalmTitleOf(home / "missing.pdb"), "");
  // A FIFO named like a Palm file gives no title at once instead of holding the list.
  ASSERT_EQ(mkfifo((home / "fifo.pdb").c_str(), 0600), 0);
  EXPECT_EQ(PalmTitleOf(home / "fifo.pdb"), "");
}

TEST(ListText, PalmTitleInUtf8OrShiftJisIsDecidedPerName) {
  struct Case {
    std::string raw;
    std::string shown;
  } cases[] = {
      {"メモ", "メモ"},                                  // UTF-8 from a Linux converter
      {Utf8ToCp932("メモ"), "メモ"},                     // Shift_JIS, as Palm Desktop writes
      {Utf8ToCp932("辞書 v2"), "辞書 v2"},
      {"Caf\xC3\xA9 \xE6\x97\xA5\xE8\xA8\x98", "Café 日記"},  // UTF-8, not valid Shift_JIS
      {"\xC3\xBD", "ﾃｽ"},                                // half-width katakana, also valid UTF-8 "ý"
      {"\xE3\x83", Cp932ToUtf8("\xE3\x83")},            // cut UTF-8: Shift_JIS
      {"plain", "plain"},
  };
  TempHome home;
  for (const Case& c : cases) {
    WriteFile(home / "t.pdb", c.raw + std::string(1, '\0') + "appl");
    EXPECT_EQ(PalmTitleOf(home / "t.pdb"), c.shown) << c.shown;
  }
}

TEST(WindowStateRecord, MinusNineThousandNineHundredNinetyNineAndZeroCountAsNotStored) {
  TempHome home;
  SaveWindowState(-9999, 20, 0, 400, 0);
  WindowState s = LoadWindowState();
  EXPECT_FALSE(s.left);
  EXPECT_EQ(s.top, 20);
  EXPECT_FALSE(s.width);
  EXPECT_EQ(s.height, 400);
  EXPECT_FALSE(s.splitter);
  SaveWindowState(-5, -30, 700, 500, 210);  // negative positions are real ones
  s = LoadWindowState();
  EXPECT_EQ(s.left, -5);
  EXPECT_EQ(s.top, -30);
  EXPECT_EQ(s.splitter, 210);
}

TEST_F(KestrelMainTest, NoUserSelectedMeansNothingQueuedAndTheWindowOpens) {
  Start();
  WriteFile(home / "a.prc", "x");
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  int failed = QueueThroughHandlerCounts().failed;
  EXPECT_FALSE(main.QueueFiles({home / "a.prc"}));
  EXPECT_EQ(prompter.lastText(), "カレントのユーザ名が不明です。");
  EXPECT_EQ(QueueThroughHandlerCounts().failed, failed + 1);  // kestrel-plus then ends with 1
  // Without a user the install command only moves its check mark.
  main.InstallFlag();
  EXPECT_TRUE(main.commands().isChecked(Command::InstallFlag));
  EXPECT_EQ(main.status(0), "インストール");
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, false);
  EXPECT_TRUE(key->values().empty());
}

TEST_F(KestrelMainTest, AFileIsQueuedAndBackedUpAnArchiveBecomesANodeAndKeepsTheWindow) {
  AddUser("Taro Yamada", "TaroY", 12345);
  SetLastUser("TaroY");
  Start();
  WriteFile(home / "in/App.prc", "prc");
  WriteFile(home / "in/APP.Zip", "zip");
  EXPECT_TRUE(main.QueueFiles({home / "in/App.prc"}));
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "App.prc"), "prc");
  EXPECT_EQ(ReadFile(BackupOf("TaroY") + "App.prc"), "prc");
  EXPECT_TRUE(InstallFlagOf("12345"));
  EXPECT_TRUE(main.commands().isChecked(Command::InstallFlag));
  EXPECT_EQ(main.status(0), "インストール");
  ASSERT_EQ(main.list().count(), 1);  // the install list was refilled
  EXPECT_EQ(main.list().items[0].caption, "App.prc");

  int user = Node(-1, "Taro Yamada");
  EXPECT_FALSE(main.QueueFiles({home / "in/APP.Zip"}));
  int archive = main.tree().children(user).back();
  EXPECT_EQ(main.tree().caption(archive), "APP.Zip");
  EXPECT_EQ(main.tree().record(archive).kind, kNodeArchive);
  EXPECT_EQ(main.tree().FolderOf(archive), home / "in/APP.Zip");
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "APP.Zip"));
  EXPECT_EQ(ReadFile(BackupOf("TaroY") + "APP.Zip"), "zip");
  EXPECT_NE(main.selected(), archive);  // "GoArchiveFolder" is off
}

TEST_F(KestrelMainTest, ShowWindowKeepsTheWindowAndGoArchiveFolderSelectsTheArchive) {
  AddUser("Taro Yamada", "TaroY", 12345, [](UserInfo& u) {
    u.setShowWindow(true);
    u.setSelectArchiveFolder(true);
    u.setBackupArchives(false);
  });
  SetLastUser("TaroY");
  Start();
  WriteFile(home / "a.prc", "prc");
  WriteFile(home / "b.lzh", "lzh");
  EXPECT_FALSE(main.QueueFiles({home / "a.prc"}));
  EXPECT_FALSE(main.QueueFiles({home / "b.lzh"}));
  EXPECT_EQ(main.tree().caption(main.selected()), "b.lzh");
  EXPECT_EQ(main.caption(), "Kestrel Plus - Taro Yamada");
  EXPECT_FALSE(FileExists(BackupOf("TaroY") + "b.lzh"));  // "BackupArchive" off
}

TEST_F(KestrelMainTest, DeletedFilesLeaveTheFolderTotalAtOnce) {
  AddUser("Taro Yamada", "TaroY", 1, [](UserInfo& u) { u.setConfirmDelete(false); });
  WriteFile(BackupOf("TaroY") + "big.prc", std::string(5000, 'b'));
  WriteFile(BackupOf("TaroY") + "small.prc", std::string(10, 's'));
  Start();
  main.Select(Node(Node(-1, "Taro Yamada"), "バックアップ"));
  EXPECT_EQ(main.status(2), "6KB");
  for (FileItem& item : main.list().items) item.selected = item.caption == "big.prc";
  main.FDelete(Focus::List);
  EXPECT_FALSE(FileExists(BackupOf("TaroY") + "big.prc"));
  EXPECT_EQ(main.status(2), "1KB");
}

TEST_F(KestrelMainTest, ArchivesShownInTheTreeLeaveTheListAndItsTotal) {
  AddUser("Taro Yamada", "TaroY", 1, [](UserInfo& u) { u.setShowArchives(true); });
  WriteFile(BackupOf("TaroY") + "b.zip", std::string(5000, 'z'));
  WriteFile(BackupOf("TaroY") + "a.LZH", std::string(5000, 'z'));
  WriteFile(BackupOf("TaroY") + "app.prc", std::string(10, 'p'));
  fs::create_directories(BackupOf("TaroY") + "sub");
  Start();
  int backup = Node(Node(-1, "Taro Yamada"), "バックアップ");
  std::vector<std::string> children;
  for (int n : main.tree().children(backup)) children.push_back(main.tree().caption(n));
  EXPECT_EQ(children, (std::vector<std::string>{"sub", "a.LZH", "b.zip"}));
  main.Select(backup);
  ASSERT_EQ(main.list().count(), 1);
  EXPECT_EQ(main.list().items[0].caption, "app.prc");
  EXPECT_EQ(main.status(2), "1KB");
  EXPECT_EQ(main.status(3), BackupOf("TaroY"));

  // The switch turns them back into files, the archive node's own file
  // selected when it was the node in view.
  main.Select(Node(backup, "b.zip"));
  main.ArcTree();
  EXPECT_EQ(main.selected(), backup);
  EXPECT_EQ(main.list().count(), 3);
  EXPECT_EQ(main.list().CollectSelectedNames(0), std::vector<std::string>{"b.zip"});
  EXPECT_EQ(main.tree().children(backup).size(), 1u);
}

TEST_F(KestrelMainTest, DraggingBetweenBackupFoldersMovesWithCtrlCopiesOntoInstallQueues) {
  AddUser("Taro Yamada", "TaroY", 7, [](UserInfo& u) { u.setConfirmOverwrite(false); });
  std::string b = BackupOf("TaroY");
  WriteFile(b + "one.prc", "1");
  WriteFile(b + "two.prc", "2");
  WriteFile(b + "three.prc", "3");
  WriteFile(b + "sub/three.prc", "old");
  Start();
  int user = Node(-1, "Taro Yamada");
  int backup = Node(user, "バックアップ");
  int sub = Node(backup, "sub");
  int install = Node(user, "インストール");
  main.Select(backup);

  EXPECT_TRUE(main.DragOver(sub, false).move);
  EXPECT_FALSE(main.DragOver(sub, true).move);
  EXPECT_FALSE(main.DragOver(user, false).accept);  // a top-level node
  EXPECT_FALSE(main.DragOver(backup, false).accept);  // the source itself

  SelectItems({"one.prc", "three.prc"});
  main.DragDrop(sub, false);
  EXPECT_EQ(ReadFile(b + "sub/one.prc"), "1");
  EXPECT_FALSE(FileExists(b + "one.prc"));
  // three.prc exists there and "BackupFlag" is off: it stays, and so does its item.
  EXPECT_EQ(ReadFile(b + "sub/three.prc"), "old");
  EXPECT_EQ(ReadFile(b + "three.prc"), "3");
  EXPECT_EQ(main.list().find("one.prc"), -1);
  EXPECT_GE(main.list().find("three.prc"), 0);

  SelectItems({"two.prc"});
  main.DragDrop(sub, true);
  EXPECT_EQ(ReadFile(b + "sub/two.prc"), "2");
  EXPECT_EQ(ReadFile(b + "two.prc"), "2");
  EXPECT_GE(main.list().find("two.prc"), 0);

  main.DragDrop(install, false);
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "two.prc"), "2");
  EXPECT_TRUE(InstallFlagOf("7"));
}

TEST_F(KestrelMainTest, BackupCountsTheCopiesThatArrived) {
  AddUser("Taro Yamada", "TaroY", 7, [](UserInfo& u) { u.setConfirmOverwrite(false); });
  SetLastUser("TaroY");
  for (const char* f : {"a.prc", "b.prc", "c.pdb"}) WriteFile(InstallOf("TaroY") + f, f);
  WriteFile(BackupOf("TaroY") + "b.prc", "kept");
  Start();
  main.list().selectAll(true);
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  main.Backup();
  EXPECT_EQ(prompter.lastText(), "2 個のファイルをバックアップしました。");
  EXPECT_EQ(ReadFile(BackupOf("TaroY") + "b.prc"), "kept");
  EXPECT_EQ(ReadFile(BackupOf("TaroY") + "c.pdb"), "c.pdb");

  // Switching the automatic backup off stays in memory.
  main.BackupFlag();
  EXPECT_FALSE(main.selectedUser()->autoBackup());
  EXPECT_EQ(main.status(1), "");
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, JoinKeyPath(kUsersKey, "Taro Yamada"), false);
  EXPECT_EQ(key->readDword("Backup"), 1u);
}

TEST_F(KestrelMainTest, DeletingFromTheTreeFoldersArchivesAndUsers) {
  AddUser("Taro Yamada", "TaroY", 7);
  AddUser("John Smith", "JohnS", 8);
  WriteFile(BackupOf("TaroY") + "old/x.prc", "x");
  WriteFile(home / "a.zip", "zip");
  SetLastUser("TaroY");
  Start();
  int user = Node(-1, "Taro Yamada");
  int backup = Node(user, "バックアップ");
  ScriptedPrompter prompter;

  main.Select(backup);
  prompter.expect(BoxKind::Error, Button::Ok);
  main.FDelete(Focus::Tree);
  EXPECT_EQ(prompter.lastText(), "'バックアップ' は削除できません。");

  main.Select(Node(backup, "old"));
  prompter.expect(BoxKind::Confirm, Button::Yes);
  main.FDelete(Focus::Tree);
  EXPECT_EQ(prompter.lastText(), "フォルダ内ののすべてのファイルを削除してよろしいですか？\n\n  " +
                                     BackupOf("TaroY") + "old/");
  EXPECT_FALSE(fs::exists(BackupOf("TaroY") + "old"));
  EXPECT_TRUE(main.tree().children(backup).empty());
  EXPECT_EQ(main.selected(), backup);

  main.QueueFiles({home / "a.zip"});
  main.Select(main.tree().children(user).back());
  prompter.expect(BoxKind::Confirm, Button::No);
  main.FDelete(Focus::Tree);
  EXPECT_TRUE(FileExists(home / "a.zip"));
  prompter.expect(BoxKind::Confirm, Button::Yes);
  main.FDelete(Focus::Tree);
  EXPECT_EQ(prompter.lastText(), "'a.zip' を削除してよろしいですか？");
  EXPECT_FALSE(FileExists(home / "a.zip"));

  // A user goes only from the tree, after the question.
  main.Select(user);
  main.FDelete(Focus::List);
  prompter.expect(BoxKind::Confirm, Button::Yes);
  main.FDelete(Focus::Tree);
  EXPECT_EQ(prompter.lastText(), "ユーザ \"Taro Yamada\"を削除してよろしいですか？");
  EXPECT_FALSE(TheRegistry().keyExists(Hive::CurrentUser, JoinKeyPath(kUsersKey, "Taro Yamada")));
  EXPECT_FALSE(main.tree().alive(user));
  EXPECT_GE(main.selected(), 0);
  EXPECT_EQ(main.tree().topLevel().size(), 2u);
}

TEST_F(KestrelMainTest, LinkedBackupFoldersAreShownNotWalkedAndDeletingOneKeepsItsTarget) {
  AddUser("Taro Yamada", "TaroY", 7);
  WriteFile(home / "elsewhere/precious.pdb", "x");
  WriteFile(BackupOf("TaroY") + "real/inner/a.prc", "a");
  fs::create_directory_symlink(home / "elsewhere", BackupOf("TaroY") + "lnk");
  // Two links back into the tree would otherwise be walked without end.
  fs::create_directory_symlink(".", BackupOf("TaroY") + "a");
  fs::create_directory_symlink(".", BackupOf("TaroY") + "b");
  SetLastUser("TaroY");
  Start();
  int backup = Node(Node(-1, "Taro Yamada"), "バックアップ");
  std::vector<std::string> captions;
  for (int n : main.tree().children(backup)) captions.push_back(main.tree().caption(n));
  EXPECT_EQ(captions, (std::vector<std::string>{"a", "b", "lnk", "real"}));
  EXPECT_TRUE(main.tree().children(Node(backup, "a")).empty());
  EXPECT_EQ(main.tree().children(Node(backup, "real")).size(), 1u);

  // The link's files are listed as the folder's own.
  int link = Node(backup, "lnk");
  main.Select(link);
  EXPECT_GE(main.list().find("precious.pdb"), 0);
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::Yes);
  main.FDelete(Focus::Tree);
  EXPECT_FALSE(fs::is_symlink(BackupOf("TaroY") + "lnk"));
  EXPECT_EQ(ReadFile(home / "elsewhere/precious.pdb"), "x");
  EXPECT_FALSE(main.tree().alive(link));
}

TEST_F(KestrelMainTest, FoldersReadAheadMakeTheTreeTheyMakeWhenReadInTurn) {
  AddUser("Taro Yamada", "TaroY", 7, [](UserInfo& u) { u.setShowArchives(true); });
  AddUser("Hanako", "Hana", 8);
  AddUser("Jiro", "Jiro", 9, [](UserInfo& u) { u.setBackupFolder(""); });
  WriteFile(BackupOf("TaroY") + "real/inner/a.prc", "a");
  WriteFile(BackupOf("TaroY") + "real/Games.zip", "z");
  WriteFile(BackupOf("TaroY") + "docs.LZH", "z");
  WriteFile(BackupOf("TaroY") + "plain.prc", "p");
  fs::create_directory_symlink(".", BackupOf("TaroY") + "back");
  WriteFile(BackupOf("Hana") + "Old/b.pdb", "b");
  fs::create_directories(palm + "/Hana/Backup");
  SetLastUser("Hana");
  main.ReadLocations();
  main.BuildTree();
  KestrelMain ahead;
  ahead.ReadLocations();
  ahead.PrepareTree();
  ahead.BuildTree();
  EXPECT_EQ(TreeLines(ahead.tree()), TreeLines(main.tree()));
  EXPECT_EQ(ahead.tree().caption(ahead.selected()), "インストール");
  int taro = Node(-1, "Taro Yamada");
  std::vector<std::string> captions;
  for (int n : main.tree().children(Node(taro, "バックアップ"))) captions.push_back(main.tree().caption(n));
  EXPECT_EQ(captions, (std::vector<std::string>{"back", "real", "docs.LZH"}));
}

// Read before the window, the locations and the users make the tree read
// in turn makes, and no setup is offered; with a first start due nothing
// is read before the window.
TEST_F(KestrelMainTest, TheReadingBeforeTheWindowMakesTheTreeReadInTurn) {
  AddUser("Taro Yamada", "TaroY", 7);
  AddUser("Hanako", "Hana", 8);
  SetLastUser("Hana");
  Start();
  std::optional<KestrelMain::StartReading> reading = KestrelMain::ReadBeforeTheWindow();
  ASSERT_TRUE(reading);
  KestrelMain before;
  before.ReadBefore(std::move(*reading));
  EXPECT_FALSE(before.OfferFirstStart());
  before.ReadLocations();
  before.PrepareTree();
  before.BuildTree();
  EXPECT_EQ(before.users().size(), 2u);
  EXPECT_EQ(before.locations().desktopFolder, main.locations().desktopFolder);
  EXPECT_EQ(TreeLines(before.tree()), TreeLines(main.tree()));
  EXPECT_EQ(before.tree().caption(before.selected()), "インストール");

  TheRegistry().deleteKeyTree(Hive::CurrentUser, kPalmCoreKey);
  TheRegistry().deleteKeyTree(Hive::CurrentUser, kHotSyncKey);
  EXPECT_FALSE(KestrelMain::ReadBeforeTheWindow());
}

// Folders read from the start, guessed from the stored settings, make the
// tree read in turn makes, also when the guess was wrong.
TEST_F(KestrelMainTest, FoldersReadFromTheStartMakeTheTreeRightOrWrongGuess) {
  AddUser("Taro Yamada", "TaroY", 7, [](UserInfo& u) { u.setShowArchives(true); });
  AddUser("Hanako", "Hana", 8);
  WriteFile(BackupOf("TaroY") + "real/Games.zip", "z");
  WriteFile(BackupOf("Hana") + "Old/b.pdb", "b");
  fs::create_directories(palm + "/TaroY/Backup");
  auto nodes = [](const UserTree& t) {
    std::vector<std::string> out;
    for (int n = 0; n < t.count(); ++n) out.push_back(std::to_string(t.parent(n)) + " " + t.FolderOf(n));
    return out;
  };
  SetLastUser("Nobody");
  EXPECT_EQ(KestrelMain::ReadLastUsersFoldersAhead(), nullptr);
  for (const char* guessed : {"TaroY", "Hana"}) {
    SetLastUser(guessed);
    std::unique_ptr<FolderScanner> ahead = KestrelMain::ReadLastUsersFoldersAhead();
    ASSERT_NE(ahead, nullptr) << guessed;
    EXPECT_TRUE(ahead->has(BackupOf(guessed), std::string(guessed) == "TaroY")) << guessed;
    SetLastUser("TaroY");  // the guess was made before this
    KestrelMain inTurn;
    inTurn.ReadLocations();
    inTurn.BuildTree();
    KestrelMain early;
    early.ReadAhead(std::move(ahead));
    early.ReadLocations();
    early.PrepareTree();
    early.BuildTree();
    EXPECT_EQ(nodes(early.tree()), nodes(inTurn.tree())) << guessed;
  }
}

TEST_F(KestrelMainTest, RenamingTakesANameButNoPath) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "a.prc", "a");
  WriteFile(InstallOf("TaroY") + "taken.prc", "t");
  Start();
  int a = main.list().find("a.prc");
  EXPECT_FALSE(main.Rename(a, "../a.prc"));
  EXPECT_FALSE(main.Rename(a, ""));
  EXPECT_FALSE(main.Rename(a, "taken.prc"));
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "taken.prc"), "t");
  EXPECT_TRUE(main.Rename(a, "b.prc"));
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "b.prc"), "a");
  EXPECT_EQ(main.list().items[static_cast<std::size_t>(a)].caption, "b.prc");
}

TEST_F(KestrelMainTest, ARefreshOfTheUserIdThatFailsKeepsTheUser) {
  AddUser("Taro Yamada", "TaroY", 7);
  Start();
  int user = Node(-1, "Taro Yamada");
  main.Select(user);
  WriteUsersDat(palm, {{8, "Someone Else", "Else"}});
  main.DoubleClick(main.list().find("ユーザＩＤ"), false);
  EXPECT_EQ(main.UserAt(0)->shortName(), "TaroY");
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, JoinKeyPath(kUsersKey, "Taro Yamada"), false);
  EXPECT_EQ(key->readString("User"), "TaroY");

  WriteUsersDat(palm, {{99, "Taro Yamada", "TaroY"}});
  main.DoubleClick(main.list().find("ユーザＩＤ"), false);
  EXPECT_EQ(key->readString("UserID"), "99");
  EXPECT_EQ(main.list().items[static_cast<std::size_t>(main.list().find("ユーザＩＤ"))].subItems[0], "99");
}

TEST_F(KestrelMainTest, ACommandLineStartForTheLastUserEndsAndClosingRemembersTheUser) {
  AddUser("Taro Yamada", "TaroY", 7);
  AddUser("John Smith", "JohnS", 8);
  SetLastUser("JohnS");
  Start();
  EXPECT_EQ(main.caption(), "Kestrel Plus - John Smith");
  EXPECT_EQ(main.tree().caption(main.selected()), "インストール");
  main.Select(Node(Node(-1, "Taro Yamada"), "Palm"));
  EXPECT_EQ(main.caption(), "Kestrel Plus - Taro Yamada");
  EXPECT_EQ(main.appTitle(), "Taro Yamada Kestrel+");
  main.Close();
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, false);
  EXPECT_EQ(key->readString("LastUser"), "TaroY");
}

}  // namespace
