#include "common/FolderList.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;
using Names = std::vector<std::string>;

namespace {

class FolderListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"b.ZIP", "a.zip", "x.zipx", "README", "c.lzh", "sub/deep.zip"}) {
      WriteFile(home / f, "12345");
    }
    TheFileSystem().createDirectories(home / "empty");
  }
  ListOptions files() {
    ListOptions o;
    o.attributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrVolume | kAttrArchive;
    o.includePlain = true;
    return o;
  }
  TempHome home;
};

TEST_F(FolderListTest, MaskTakesTheExactExtensionOnly) {
  Names names;
  EXPECT_EQ(ListFolder(home.path(), "*.zip", files(), names), 2);
  EXPECT_EQ(names, (Names{"a.zip", "b.ZIP"}));  // not x.zipx, not folders, not deeper
}

TEST_F(FolderListTest, StarDotStarTakesEveryFile) {
  Names names;
  ListFolder(home.path(), "*.*", files(), names);
  EXPECT_EQ(names, (Names{"a.zip", "b.ZIP", "c.lzh", "README", "x.zipx"}));
}

TEST_F(FolderListTest, FoldersMarkedFullPathsAndAppending) {
  ListOptions dirs;
  dirs.attributes = kAttrDirectory;
  dirs.markFolders = true;
  dirs.fullPath = true;
  Names names{"kept"};
  EXPECT_EQ(ListFolder(home.path() + "/", "*.*", dirs, names), 3);
  EXPECT_EQ(names, (Names{"kept", home / "empty/", home / "sub/"}));
  dirs.clear = true;
  EXPECT_EQ(ListFolder(home.path(), "*.*", dirs, names), 2);
}

TEST_F(FolderListTest, DepthWalksSubfolders) {
  ListOptions o = files();
  o.depth = 1;
  o.fullPath = true;
  Names names;
  ListFolder(home.path(), "*.zip", o, names);
  EXPECT_EQ(names, (Names{home / "a.zip", home / "b.ZIP", home / "sub/deep.zip"}));
}

TEST_F(FolderListTest, DetailsGiveSizesAndLocalTimes) {
  Names names, sizes, times;
  ListFolderDetails(home.path(), "*.lzh", files(), names, &sizes, &times);
  ASSERT_EQ(names, (Names{"c.lzh"}));
  EXPECT_EQ(sizes, (Names{"5"}));
  FindData d;
  d.lastWrite = std::time(nullptr);
  ASSERT_EQ(times.size(), 1u);
  EXPECT_EQ(times[0].substr(0, 10), FileTimeText(d).substr(0, 10));
  // "*AppList.txt" matches on the name and compares the extension from the
  // mask's first dot.
  WriteFile(home / "MyAppList.txt", "x");
  WriteFile(home / "Other.txt", "x");
  ListFolderDetails(home.path(), "*AppList.txt", files(), names, nullptr, nullptr);
  EXPECT_EQ(names.back(), "MyAppList.txt");
  EXPECT_EQ(names.size(), 2u);
}

TEST(FileTimeTextTest, Format) {
  setenv("TZ", "UTC", 1);
  tzset();
  FindData d;
  d.lastWrite = 949327506;  // 2000-01-31 14:05:06 UTC
  EXPECT_EQ(FileTimeText(d), "2000/01/31 14:05:06");
}

TEST(DeleteFolderTreeTest, RemovesReadOnlyFilesAndNestedFolders) {
  TempHome home;
  WriteFile(home / "tree/a/b/c.txt", "x");
  WriteFile(home / "tree/ro.prc", "x");
  TheFileSystem().setReadOnly(home / "tree/ro.prc", true);
  TheFileSystem().setReadOnly(home / "tree/a/b/c.txt", true);
  WriteFile(home / "keep.txt", "x");
  EXPECT_TRUE(DeleteFolderTree(home / "tree"));
  EXPECT_FALSE(FileExists(home / "tree"));
  EXPECT_TRUE(FileExists(home / "keep.txt"));
}

TEST(DeleteFolderTreeTest, LinksGoButNotWhatTheyPointAt) {
  TempHome home;
  WriteFile(home / "outside/precious.pdb", "x");
  WriteFile(home / "tree/a.prc", "x");
  std::filesystem::create_directory_symlink(home / "outside", home / "tree/link");
  std::filesystem::create_symlink(home / "outside/precious.pdb", home / "tree/file-link");
  EXPECT_TRUE(DeleteFolderTree(home / "tree"));
  EXPECT_FALSE(FileExists(home / "tree"));
  EXPECT_EQ(ReadFile(home / "outside/precious.pdb"), "x");
}

TEST(DeleteFolderTreeTest, AFolderThatIsALinkLosesOnlyTheLink) {
  TempHome home;
  WriteFile(home / "elsewhere/precious.pdb", "x");
  WriteFile(home / "elsewhere/sub/deep.prc", "y");
  std::filesystem::create_directory_symlink(home / "elsewhere", home / "lnk");
  DeleteFolderTree(home / "lnk/");
  EXPECT_FALSE(std::filesystem::is_symlink(home / "lnk"));
  EXPECT_EQ(ReadFile(home / "elsewhere/precious.pdb"), "x");
  EXPECT_EQ(ReadFile(home / "elsewhere/sub/deep.prc"), "y");
}

TEST(FolderWalkTest, LinksToFoldersAreListedButNotWalkedThrough) {
  TempHome home;
  WriteFile(home / "tree/a.prc", "x");
  WriteFile(home / "tree/sub/b.prc", "x");
  WriteFile(home / "outside/c.prc", "x");
  std::filesystem::create_directory_symlink(".", home / "tree/loop1");
  std::filesystem::create_directory_symlink("..", home / "tree/sub/loop2");
  std::filesystem::create_directory_symlink(home / "outside", home / "tree/out");
  ListOptions o;
  o.attributes = kAttrArchive | kAttrDirectory;
  o.depth = 50;
  Names names;
  ListFolder(home / "tree", "*.*", o, names);
  EXPECT_EQ(names, (Names{"a.prc", "loop1", "out", "sub", "b.prc", "loop2"}));
  EXPECT_TRUE(IsLink(home / "tree/loop1/"));
  EXPECT_FALSE(IsLink(home / "tree/sub/"));
}

}  // namespace
