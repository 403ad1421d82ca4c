// Copies made in a batch: whole under their names when it ends, and nobody
// who asks in between can tell a batch from copies made one at a time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class CopyBatchTest : public ::testing::Test {
 protected:
  CopyBatchTest() {
    fs.createDirectories(home / "to");
    for (int i = 0; i < 20; ++i) WriteFile(name("from", i), std::string(1000 + i, 'a' + i % 26));
  }
  ~CopyBatchTest() override { fs.endCopyBatch(); }
  std::string name(const std::string& folder, int i) {
    return home / (folder + "/App" + std::to_string(i) + ".prc");
  }
  std::size_t namesIn(const std::string& folder) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) n += e.is_regular_file();
    return n;
  }

  TempHome home;
  FileSystem& fs = TheFileSystem();
};

TEST_F(CopyBatchTest, TheCopiesTakeTheirNamesTogetherWholeAndLeaveNoPart) {
  fs.beginCopyBatch();
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(fs.copyFile(name("from", i), name("to", i), true));
  // Not one under its name yet (looked at past the file system's services).
  EXPECT_EQ(namesIn(home / "to"), 0u);
  EXPECT_TRUE(fs.endCopyBatch().empty());
  for (int i = 0; i < 20; ++i) EXPECT_EQ(ReadFile(name("to", i)), ReadFile(name("from", i))) << i;
  EXPECT_EQ(namesIn(home / "to"), 20u);
  for (const auto& e : std::filesystem::directory_iterator(home / "__temp__")) {
    ADD_FAILURE() << "left behind: " << e.path();
  }
}

TEST_F(CopyBatchTest, WhoeverAsksMeanwhileSeesTheCopiesInPlace) {
  fs.beginCopyBatch();
  ASSERT_TRUE(fs.copyFile(name("from", 1), name("to", 1), true));
  EXPECT_TRUE(fs.exists(name("to", 1)));
  EXPECT_EQ(ReadFile(name("to", 1)), ReadFile(name("from", 1)));

  ASSERT_TRUE(fs.copyFile(name("from", 2), name("to", 2), true));
  std::vector<FindData> listed = fs.list(home / "to");
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[1].name, "App2.prc");
  EXPECT_EQ(listed[1].size, 1002u);

  // A second copy to a waiting name replaces the first, or is refused
  // without replacing, exactly as one at a time.
  ASSERT_TRUE(fs.copyFile(name("from", 3), name("to", 3), true));
  EXPECT_FALSE(fs.copyFile(name("from", 4), name("to", 3), false));
  ASSERT_TRUE(fs.copyFile(name("from", 5), name("to", 5), true));
  ASSERT_TRUE(fs.copyFile(name("from", 6), name("to", 5), true));

  // A waiting copy deleted meanwhile stays deleted.
  ASSERT_TRUE(fs.copyFile(name("from", 7), name("to", 7), true));
  EXPECT_TRUE(fs.deleteFile(name("to", 7)));
  // One moved on meanwhile is found where it went.
  ASSERT_TRUE(fs.copyFile(name("from", 8), name("to", 8), true));
  EXPECT_TRUE(fs.moveFile(name("to", 8), home / "to/Moved.prc"));

  EXPECT_TRUE(fs.endCopyBatch().empty());
  EXPECT_EQ(ReadFile(name("to", 3)), ReadFile(name("from", 3)));
  EXPECT_EQ(ReadFile(name("to", 5)), ReadFile(name("from", 6)));
  EXPECT_FALSE(FileExists(name("to", 7)));
  EXPECT_FALSE(FileExists(name("to", 8)));
  EXPECT_EQ(ReadFile(home / "to/Moved.prc"), ReadFile(name("from", 8)));
}

TEST_F(CopyBatchTest, BatchesNestAndOnlyTheOutermostEndGivesTheNames) {
  fs.beginCopyBatch();
  fs.beginCopyBatch();
  ASSERT_TRUE(fs.copyFile(name("from", 1), name("to", 1), true));
  EXPECT_TRUE(fs.endCopyBatch().empty());
  EXPECT_EQ(namesIn(home / "to"), 0u);
  EXPECT_TRUE(fs.endCopyBatch().empty());
  EXPECT_EQ(namesIn(home / "to"), 1u);
  // Outside a batch a copy is in place at once.
  ASSERT_TRUE(fs.copyFile(name("from", 2), name("to", 2), true));
  EXPECT_EQ(namesIn(home / "to"), 2u);
}

TEST_F(CopyBatchTest, ACopyThatCannotTakeItsNameIsReportedNotLost) {
  fs.createDirectories(home / "gone");
  fs.beginCopyBatch();
  ASSERT_TRUE(fs.copyFile(name("from", 1), home / "gone/App1.prc", true));
  ASSERT_TRUE(fs.copyFile(name("from", 2), name("to", 2), true));
  // The target folder disappears behind the program's back.
  std::filesystem::remove_all(home / "gone");
  std::vector<CopyFailure> failed = fs.endCopyBatch();
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].source, name("from", 1));
  EXPECT_EQ(failed[0].target, home / "gone/App1.prc");
  EXPECT_FALSE(failed[0].reason.empty());
  // The other copy arrived, the source is untouched, no part is left.
  EXPECT_EQ(ReadFile(name("to", 2)), ReadFile(name("from", 2)));
  EXPECT_EQ(ReadFile(name("from", 1)), std::string(1001, 'b'));
  for (const auto& e : std::filesystem::directory_iterator(home / "__temp__")) {
    ADD_FAILURE() << "left behind: " << e.path();
  }
}

TEST_F(CopyBatchTest, AnySpellingOfAWaitingNameFindsTheCopy) {
  fs.createDirectories(home / "x");
  fs.beginCopyBatch();
  ASSERT_TRUE(fs.copyFile(name("from", 1), name("to", 1), true));
  EXPECT_TRUE(fs.exists(home / "to/./App1.prc"));
  ASSERT_TRUE(fs.copyFile(name("from", 2), home / "x/../to//App2.prc", true));
  // Asked for under its plain name, the copy made under another is there.
  EXPECT_TRUE(fs.exists(name("to", 2)));
  EXPECT_EQ(ReadFile(name("to", 2)), ReadFile(name("from", 2)));
  EXPECT_TRUE(fs.endCopyBatch().empty());
  EXPECT_EQ(namesIn(home / "to"), 2u);
}

TEST_F(CopyBatchTest, TheScratchFolderGoneMidBatchLosesOnlyTheCopiesInIt) {
  fs.beginCopyBatch();
  ASSERT_TRUE(fs.copyFile(name("from", 1), name("to", 1), true));
  // Somebody clears the program's scratch folder behind its back.
  std::filesystem::remove_all(home / "__temp__");
  ASSERT_TRUE(fs.copyFile(name("from", 2), name("to", 2), true));
  std::vector<CopyFailure> failed = fs.endCopyBatch();
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].target, name("to", 1));
  EXPECT_EQ(ReadFile(name("to", 2)), ReadFile(name("from", 2)));
  EXPECT_FALSE(FileExists(name("to", 1)));
}

TEST_F(CopyBatchTest, ACopyIntoAFolderThatIsNotThereFailsAtOnce) {
  fs.beginCopyBatch();
  std::string error;
  EXPECT_FALSE(fs.copyFile(name("from", 1), home / "missing/App1.prc", true, &error));
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(fs.copyFile(name("from", 2), name("to", 2), true));
  EXPECT_TRUE(fs.endCopyBatch().empty());
  EXPECT_EQ(ReadFile(name("to", 2)), ReadFile(name("from", 2)));
}

TEST(FolderEntriesTest, TellFoldersFromFilesInTheListingsOrderWithLinksAsWhatTheyPointAt) {
  TempHome home;
  FileSystem& fs = TheFileSystem();
  fs.createDirectories(home / "f/Sub");
  fs.createDirectories(home / "f/.hidden");
  WriteFile(home / "f/b.prc", "b");
  WriteFile(home / "f/A.prc", "a");
  ASSERT_EQ(symlink((home / "f/Sub").c_str(), (home / "f/link").c_str()), 0);
  ASSERT_EQ(symlink((home / "f/none").c_str(), (home / "f/dangling").c_str()), 0);
  std::vector<FolderEntry> entries = fs.entries(home / "f");
  std::vector<FindData> listed = fs.list(home / "f");
  ASSERT_EQ(entries.size(), listed.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].name, listed[i].name);
    EXPECT_EQ(entries[i].isDirectory, (listed[i].attributes & kAttrDirectory) != 0) << entries[i].name;
    auto full = fs.findEntry(home / "f", entries[i].name);
    ASSERT_TRUE(full) << entries[i].name;
    EXPECT_EQ(full->attributes, listed[i].attributes) << entries[i].name;
    EXPECT_EQ(full->size, listed[i].size) << entries[i].name;
  }
  auto isDir = [&](const std::string& n) {
    for (const FolderEntry& e : entries) if (e.name == n) return e.isDirectory;
    ADD_FAILURE() << n << " not listed";
    return false;
  };
  EXPECT_TRUE(isDir("Sub"));
  EXPECT_TRUE(isDir(".hidden"));
  EXPECT_TRUE(isDir("link"));
  EXPECT_FALSE(isDir("dangling"));
  EXPECT_FALSE(isDir("A.prc"));
  EXPECT_TRUE(fs.entries(home / "missing").empty());

  // The folders alone: the same ones, links to folders too, in the same order.
  fs.createDirectories(home / "f/a-sub");
  std::vector<std::string> folders;
  for (const FolderEntry& e : fs.entries(home / "f")) {
    if (e.isDirectory) folders.push_back(e.name);
  }
  std::vector<std::string> only;
  for (const FolderEntry& e : fs.subfolders(home / "f")) {
    EXPECT_TRUE(e.isDirectory) << e.name;
    only.push_back(e.name);
  }
  EXPECT_EQ(only, (std::vector<std::string>{".hidden", "a-sub", "link", "Sub"}));
  EXPECT_EQ(only, folders);
  EXPECT_TRUE(fs.subfolders(home / "missing").empty());
}

}  // namespace
