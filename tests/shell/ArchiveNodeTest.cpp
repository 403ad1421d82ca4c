// Archives opened as folders in the main window, with real zip and lzh files:
// listing, queuing their members, dragging them out, and the backup rules.
#include <gtest/gtest.h>

#include <filesystem>

#include "install/ArchiveFolder.h"
#include "install/ArchiveZipWriter.h"
#include "shell/KestrelMain.h"
#include "support/ArchiveFixtures.h"
#include "support/MainFixture.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;
namespace fs = std::filesystem;

namespace {

class ArchiveNodeTest : public MainFixture {
 protected:
  void Start() {
    fs::create_directories(home / "in");
    MainFixture::Start();
  }
  std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> out;
    if (!fs::exists(folder)) return out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  void WriteSampleZip(const std::string& path) {
    WriteZip(path, {{"Game.prc", "game"}, {"data/Words.pdb", "words"}, {"doc/readme.txt", "read me"},
                    {"empty.txt", ""}, {"doc/", "", {}, {}, false, true}});
  }
  // Opens the archive as the user's node and selects it.
  int OpenArchive(const std::string& path) {
    main.QueueFiles({path});
    int node = main.tree().children(Node(-1, "Taro Yamada")).back();
    main.Select(node);
    return node;
  }

};

TEST_F(ArchiveNodeTest, PalmMembersStartSelectedSoOneCommandQueuesExactlyThem) {
  AddUser("Taro Yamada", "TaroY", 12, [](UserInfo& u) { u.setAutoBackup(false); });
  SetLastUser("TaroY");
  Start();
  WriteSampleZip(home / "in/Sample.zip");
  OpenArchive(home / "in/Sample.zip");
  // In the archive's own order; folder entries and empty members left out.
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Game.prc", "Words.pdb", "readme.txt"}));
  ASSERT_EQ(main.list().items[2].subItems.size(), 3u);
  EXPECT_EQ(main.list().items[2].subItems[2], "doc/readme.txt");
  EXPECT_EQ(main.list().items[2].subItems[1], "2000/01/31 14:05:06");
  EXPECT_EQ(main.list().CollectSelectedNames(2),
            (std::vector<std::string>{"Game.prc", "data/Words.pdb"}));
  main.RegInst();
  EXPECT_EQ(FilesIn(InstallOf("TaroY")), (std::vector<std::string>{"Game.prc", "Words.pdb"}));
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "Words.pdb"), "words");
  EXPECT_TRUE(InstallFlagOf("12"));
  EXPECT_TRUE(FilesIn(ArchiveUnpackFolder()).empty()) << "extracted copies are removed after queuing";
}

TEST_F(ArchiveNodeTest, LzhArchivesOpenTooAndADoubleClickQueuesTheMember) {
  AddUser("Taro Yamada", "TaroY", 12, [](UserInfo& u) { u.setAutoBackup(false); });
  SetLastUser("TaroY");
  Start();
  LzhMember app;
  app.path = "apps/Clock.prc";
  app.data = "tick";
  LzhMember note;
  note.path = "note.txt";
  note.data = "note";
  WriteFile(home / "in/Tools.LZH", LzhArchive({app, note}));
  OpenArchive(home / "in/Tools.LZH");
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Clock.prc", "note.txt"}));
  main.DoubleClick(main.list().find("note.txt"), false);
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "note.txt"), "note");
}

TEST_F(ArchiveNodeTest, ArchiveBackedUpWholeSoItsMembersAreNotBackedUpAgain) {
  AddUser("Taro Yamada", "TaroY", 12);  // "Backup" and "BackupArchive" on
  SetLastUser("TaroY");
  Start();
  WriteSampleZip(home / "in/Sample.zip");
  OpenArchive(home / "in/Sample.zip");
  main.RegInst();
  EXPECT_EQ(FilesIn(BackupOf("TaroY")), std::vector<std::string>{"Sample.zip"});
  EXPECT_EQ(FilesIn(InstallOf("TaroY")), (std::vector<std::string>{"Game.prc", "Words.pdb"}));
}

TEST_F(ArchiveNodeTest, WithoutArchiveBackupEachQueuedMemberIsBackedUpUnderItsBareName) {
  AddUser("Taro Yamada", "TaroY", 12, [](UserInfo& u) { u.setBackupArchives(false); });
  SetLastUser("TaroY");
  Start();
  WriteSampleZip(home / "in/Sample.zip");
  OpenArchive(home / "in/Sample.zip");
  EXPECT_TRUE(FilesIn(BackupOf("TaroY")).empty());
  main.RegInst();
  EXPECT_EQ(FilesIn(BackupOf("TaroY")), (std::vector<std::string>{"Game.prc", "Words.pdb"}));
}

TEST_F(ArchiveNodeTest, MembersDraggedOutAreQueuedOrMovedIntoTheFolder) {
  AddUser("Taro Yamada", "TaroY", 12, [](UserInfo& u) { u.setAutoBackup(false); });
  SetLastUser("TaroY");
  fs::create_directories(BackupOf("TaroY") + "docs");
  Start();
  WriteSampleZip(home / "in/Sample.zip");
  int archive = OpenArchive(home / "in/Sample.zip");
  int user = Node(-1, "Taro Yamada");
  int docs = Node(Node(user, "バックアップ"), "docs");
  main.list().selectAll(false);
  main.list().items[static_cast<std::size_t>(main.list().find("readme.txt"))].selected = true;
  EXPECT_TRUE(main.DragOver(docs, false).accept);
  EXPECT_FALSE(main.DragOver(docs, false).move);  // out of an archive is a copy
  main.DragDrop(docs, false);
  EXPECT_EQ(ReadFile(BackupOf("TaroY") + "docs/readme.txt"), "read me");
  EXPECT_TRUE(FilesIn(ArchiveUnpackFolder()).empty());
  EXPECT_EQ(main.selected(), archive);
  EXPECT_GE(main.list().find("readme.txt"), 0) << "the member stays listed";

  main.DragDrop(Node(user, "インストール"), false);
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "readme.txt"), "read me");
}

TEST_F(ArchiveNodeTest, AHostileMemberNeverLandsOutsideTheUnpackFolder) {
  AddUser("Taro Yamada", "TaroY", 12, [](UserInfo& u) { u.setAutoBackup(false); });
  SetLastUser("TaroY");
  Start();
  WriteZip(home / "in/Evil.zip", {{"../../escape.prc", "evil"}});
  OpenArchive(home / "in/Evil.zip");
  ASSERT_EQ(Captions(), std::vector<std::string>{"escape.prc"});
  main.RegInst();
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "escape.prc"), "evil");
  EXPECT_FALSE(FileExists(home / "escape.prc"));
  EXPECT_FALSE(FileExists(home / "__temp__/escape.prc"));
}

TEST_F(ArchiveNodeTest, RenamingAMemberChangesNothingInsideOrBesideTheArchive) {
  AddUser("Taro Yamada", "TaroY", 12, [](UserInfo& u) { u.setAutoBackup(false); });
  SetLastUser("TaroY");
  Start();
  WriteSampleZip(home / "in/Sample.zip");
  // A file whose name happens to be the archive's path and a member's name.
  WriteFile(home / "in/Sample.zipGame.prc", "unrelated");
  OpenArchive(home / "in/Sample.zip");
  int game = main.list().find("Game.prc");
  ASSERT_GE(game, 0);
  EXPECT_FALSE(main.Rename(game, "Other.prc"));
  EXPECT_EQ(main.list().items[static_cast<std::size_t>(game)].caption, "Game.prc");
  EXPECT_EQ(ReadFile(home / "in/Sample.zipGame.prc"), "unrelated");
  EXPECT_FALSE(FileExists(home / "in/Sample.zipOther.prc"));
}

}  // namespace
