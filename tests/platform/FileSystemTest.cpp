#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/Home.h"
#include "platform/WholeFile.h"

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

namespace {

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(FileSystemTest, OnlyARegularFileIsCopied) {
  TempHome home;
  FileSystem& fs = TheFileSystem();
  // A FIFO nobody writes to would block the copy for ever.
  ASSERT_EQ(mkfifo((home / "pipe.prc").c_str(), 0600), 0);
  fs.createDirectories(home / "Install");
  std::string why;
  EXPECT_FALSE(fs.copyFile(home / "pipe.prc", home / "Install/pipe.prc", true, &why));
  EXPECT_FALSE(why.empty());
  fs.createDirectories(home / "folder.prc");
  EXPECT_FALSE(fs.copyFile(home / "folder.prc", home / "Install/folder.prc", true, &why));
  EXPECT_TRUE(NamesIn(home / "Install").empty());
}

TEST(FileSystemTest, ACopyIsWrittenOutsideTheTargetFolderAndLeftoversOfEndedRunsGo) {
  TempHome home;
  FileSystem& fs = TheFileSystem();
  WriteFile(home / "src/App.prc", std::string(300000, 'p'));
  fs.createDirectories(home / "Install");
  EXPECT_TRUE(fs.copyFile(home / "src/App.prc", home / "Install/App.prc", true));
  EXPECT_EQ(NamesIn(home / "Install"), std::vector<std::string>{"App.prc"});
  EXPECT_EQ(ReadFile(home / "Install/App.prc").size(), 300000u);

  // What killed runs left in __temp__ goes; a run still going keeps its own.
  const std::string temp = home / "__temp__/";
  WriteFile(temp + ".kestrel-part-999999999-abcdef", "half");
  WriteFile(temp + "unpack/.unpack-999999999-abcdef", "half");
  WriteFile(temp + "unpack/.unpack-Xy12zW", "half of an older kind");
  std::string mine = ".kestrel-part-" + std::to_string(getpid()) + "-abcdef";
  WriteFile(temp + mine, "going");
  WriteFile(temp + "Memo.txt", "a formatted copy");
  RemoveLeftoversOfEndedRuns();
  EXPECT_EQ(NamesIn(temp), (std::vector<std::string>{mine, "Memo.txt", "unpack"}));
  EXPECT_TRUE(NamesIn(temp + "unpack").empty());
}

// A whole-file replacement, renamed over or swapped in: the new bytes, the
// old mode, and no part file left; a missing file is made.
TEST(FileSystemTest, ReplacedContentsKeepTheModeAndLeaveNoPart) {
  for (bool shortLived : {false, true}) {
    TempHome home;
    const std::string file = home / "run/windows/1.win";
    WriteFile(file, "old");
    chmod(file.c_str(), 0640);
    ASSERT_TRUE(ReplaceFileContents(file, std::string("new\0title", 9), shortLived)) << shortLived;
    EXPECT_EQ(ReadFile(file), std::string("new\0title", 9)) << shortLived;
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << shortLived;
    EXPECT_TRUE(ReplaceFileContents(home / "run/windows/2.win", "made", shortLived)) << shortLived;
    EXPECT_EQ(ReadFile(home / "run/windows/2.win"), "made") << shortLived;
    EXPECT_EQ(NamesIn(home / "run/windows"), (std::vector<std::string>{"1.win", "2.win"})) << shortLived;
    std::vector<std::string> temp = NamesIn(home / "__temp__");
    EXPECT_TRUE(std::none_of(temp.begin(), temp.end(),
                             [](const std::string& n) { return n.rfind(".kestrel-part", 0) == 0; }))
        << shortLived;
  }
}
