#include "common/Paths.h"

#include <gtest/gtest.h>

#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

TEST(PathsTest, TrailingSeparators) {
  EXPECT_EQ(WithTrailingBackslash("/data"), "/data/");
  EXPECT_EQ(WithTrailingBackslash("/data/"), "/data/");
  EXPECT_EQ(WithTrailingBackslash("x"), "x");  // one byte stays
  EXPECT_EQ(WithTrailingBackslash(""), "");
  EXPECT_EQ(WithoutTrailingBackslash("/data/"), "/data");
  EXPECT_EQ(WithoutTrailingBackslash("/"), "/");
  EXPECT_EQ(WithTrailingBackslash("/データ"), "/データ/");
}

TEST(PathsTest, ShiftJisTrailByteIsNoSeparator) {
  const std::string hyou = "C:\\\x95\x5C";  // C:\表, its trail byte is 0x5C
  EXPECT_FALSE(EndsInRealBackslash(hyou));
  EXPECT_EQ(WithTrailingBackslashSjis(hyou), hyou + "\\");
  EXPECT_EQ(WithoutTrailingBackslashSjis(hyou), hyou);
  EXPECT_EQ(WithoutTrailingBackslashSjis(hyou + "\\"), hyou);
  EXPECT_EQ(WithTrailingBackslashSjis("C:\\Data\\"), "C:\\Data\\");
  EXPECT_EQ(WithTrailingBackslashSjis("\\"), "\\");
  // A lead byte last (cut text) does not swallow anything.
  EXPECT_TRUE(EndsInRealBackslash("a\\"));
  EXPECT_FALSE(EndsInRealBackslash("\x95"));
}

TEST(PathsTest, GroupDigits) {
  EXPECT_EQ(GroupDigits("999", 3, ","), "999");
  EXPECT_EQ(GroupDigits("1000", 3, ","), "1,000");
  EXPECT_EQ(GroupDigits("1234567", 3, ","), "1,234,567");
  EXPECT_EQ(GroupDigits("1234.5", 3, ","), "1,234.5");
  EXPECT_EQ(GroupDigits("123456", 3, ","), "123,456");
  EXPECT_EQ(GroupDigits("", 3, ","), "");
  EXPECT_EQ(GroupDigits("12345", 2, "'"), "1'23'45");
}

TEST(PathsTest, NamesAndExtensions) {
  EXPECT_EQ(ReplaceExtension("/a/Memo.txt", ".pdb"), "/a/Memo.pdb");
  EXPECT_EQ(ReplaceExtension("/a/Memo", ".pdb"), "/a/Memo.pdb");
  EXPECT_EQ(ReplaceExtension("/a.b/Memo", ".pdb"), "/a.b/Memo.pdb");  // the folder's dot is no extension
  EXPECT_EQ(ReplaceExtension("/a/x.tar.gz", ".bak"), "/a/x.tar.bak");
  EXPECT_EQ(ExtensionOf("/a/Game.PRC"), ".PRC");
  EXPECT_EQ(FileNameOf("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(FolderOf("/a/b/c.txt"), "/a/b/");
}

TEST(PathsTest, ShortPathAndFileSize) {
  TempHome home;
  WriteFile(home / "Palm Files/Game.prc", "12345");
  EXPECT_EQ(ShortPath(home / "Palm Files/Game.prc"), home / "Palm Files/Game.prc");
  // A missing file in an existing folder gives the folder with a separator.
  EXPECT_EQ(ShortPath(home / "Palm Files/none.prc"), home / "Palm Files/");
  EXPECT_EQ(ShortPath(home / "Palm Files/"), home / "Palm Files");
  EXPECT_EQ(ShortPath("/"), "/");
  EXPECT_EQ(FileSizeOf(home / "Palm Files/Game.prc"), 5u);
  EXPECT_EQ(FileSizeOf(home / "Palm Files/none.prc"), 0u);
  EXPECT_EQ(FileSizeOf(home / "Palm Files"), 0u);
}
