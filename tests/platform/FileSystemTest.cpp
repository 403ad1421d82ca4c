#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

TEST(FileSystemTest, AttributesFollowTheWindowsMeaning) {
  TempHome home;
  FileSystem& fs = TheFileSystem();
  WriteFile(home / "a.prc", "data");
  WriteFile(home / ".hidden", "");
  fs.createDirectories(home / "sub");
  EXPECT_EQ(*fs.attributes(home / "a.prc"), kAttrArchive);
  EXPECT_TRUE(*fs.attributes(home / ".hidden") & kAttrHidden);
  EXPECT_TRUE(*fs.attributes(home / "sub") & kAttrDirectory);
  EXPECT_TRUE(fs.setReadOnly(home / "a.prc", true));
  EXPECT_TRUE(*fs.attributes(home / "a.prc") & kAttrReadOnly);
  EXPECT_FALSE(fs.attributes(home / "missing"));
}

TEST(FileSystemTest, CopyReplacesOnlyWhenAskedAndNeverLeavesAPart) {
  TempHome home;
  FileSystem& fs = TheFileSystem();
  WriteFile(home / "src.txt", "new");
  WriteFile(home / "dst.txt", "old");
  std::string why;
  EXPECT_FALSE(fs.copyFile(home / "src.txt", home / "dst.txt", false, &why));
  EXPECT_EQ(ReadFile(home / "dst.txt"), "old");
  EXPECT_TRUE(fs.copyFile(home / "src.txt", home / "dst.txt", true));
  EXPECT_EQ(ReadFile(home / "dst.txt"), "new");
  // A vanished source leaves the target whole and says why.
  EXPECT_FALSE(fs.copyFile(home / "gone.txt", home / "dst.txt", true, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(ReadFile(home / "dst.txt"), "new");
  EXPECT_FALSE(FileExists(home / "dst.txt.kestrel-part"));
}

TEST(FileSystemTest, MoveNeverReplaces) {
  TempHome home;
  FileSystem& fs = TheFileSystem();
  WriteFile(home / "a", "a");
  WriteFile(home / "b", "b");
  EXPECT_FALSE(fs.moveFile(home / "a", home / "b"));
  EXPECT_EQ(ReadFile(home / "b"), "b");
  EXPECT_TRUE(fs.moveFile(home / "a", home / "c"));
  EXPECT_FALSE(FileExists(home / "a"));
  EXPECT_EQ(ReadFile(home / "c"), "a");
}
