#include "common/FileRules.h"

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class FileRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(home / "src/Game.prc", "new");
    TheFileSystem().createDirectories(home / "Install");
  }
  bool readOnly(const std::string& path) {
    return (*TheFileSystem().attributes(path) & kAttrReadOnly) != 0;
  }
  TempHome home;
  ScriptedPrompter prompter;
};

TEST_F(FileRulesTest, CopiesIntoAnExistingFolderWithoutAsking) {
  EXPECT_TRUE(CopyIntoFolder(home / "src/Game.prc", home / "Install/", true, false));
  EXPECT_EQ(ReadFile(home / "Install/Game.prc"), "new");
  EXPECT_TRUE(FileExists(home / "src/Game.prc"));
  EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FileRulesTest, OverwriteNeedsYesAndThenReplacesEvenAReadOnlyFile) {
  WriteFile(home / "Install/Game.prc", "old");
  TheFileSystem().setReadOnly(home / "Install/Game.prc", true);
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_FALSE(CopyIntoFolder(home / "src/Game.prc", home / "Install/", true, false));
  EXPECT_EQ(ReadFile(home / "Install/Game.prc"), "old");
  EXPECT_EQ(prompter.lastText(), (home / "Install/Game.prc") + "は既に存在します。\n上書きしますか？");
  EXPECT_EQ(prompter.shown().back().caption, "確認");

  prompter.expect(BoxKind::Confirm, Button::Yes);
  EXPECT_TRUE(CopyIntoFolder(home / "src/Game.prc", home / "Install/", true, false));
  EXPECT_EQ(ReadFile(home / "Install/Game.prc"), "new");
}

TEST_F(FileRulesTest, ACopyOrMoveOfAFileOntoItselfIsSkippedWithoutAQuestion) {
  for (bool move : {false, true}) {
    bool kept = false;
    // No box is expected: the scripted prompter fails on any.
    EXPECT_FALSE(CopyIntoFolder(home / "src/Game.prc", home / "src/", true, move, &kept));
    EXPECT_TRUE(kept);
    EXPECT_EQ(ReadFile(home / "src/Game.prc"), "new");
  }
  EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FileRulesTest, WithoutAskingAnExistingFileStaysAndNothingIsCopied) {
  WriteFile(home / "Install/Game.prc", "old");
  EXPECT_FALSE(CopyIntoFolder(home / "src/Game.prc", home / "Install/", false, false));
  EXPECT_EQ(ReadFile(home / "Install/Game.prc"), "old");
  EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FileRulesTest, MoveOntoAReadOnlyFileDeletesItWithoutTheReadOnlyQuestion) {
  WriteFile(home / "Install/Game.prc", "old");
  TheFileSystem().setReadOnly(home / "Install/Game.prc", true);
  prompter.expect(BoxKind::Confirm, Button::Yes);  // 407 only, no 406
  EXPECT_TRUE(CopyIntoFolder(home / "src/Game.prc", home / "Install/", true, true));
  EXPECT_EQ(ReadFile(home / "Install/Game.prc"), "new");
  EXPECT_FALSE(FileExists(home / "src/Game.prc"));
  EXPECT_EQ(prompter.shown().size(), 1u);
}

TEST_F(FileRulesTest, MissingFolderIsMadeOnlyAfterYes) {
  std::string target = home / "Backup/Taro/";
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_FALSE(CopyIntoFolder(home / "src/Game.prc", target, true, false));
  EXPECT_FALSE(FileExists(target));
  EXPECT_EQ(prompter.lastText(), "コピー先フォルダが存在しません。作成しますか？\n\n  " + target);

  prompter.expect(BoxKind::Confirm, Button::Yes);
  EXPECT_TRUE(CopyIntoFolder(home / "src/Game.prc", target, true, false));
  EXPECT_EQ(ReadFile(target + "Game.prc"), "new");
}

TEST_F(FileRulesTest, FolderThatCannotBeMadeGives458) {
  WriteFile(home / "blocker", "a file where a folder should be");
  std::string target = home / "blocker/sub/";
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(CopyIntoFolder(home / "src/Game.prc", target, true, false));
  EXPECT_EQ(prompter.lastText(), "フォルダが作成できません\n\n  " + target);
  EXPECT_EQ(prompter.shown().back().caption, "エラー");
}

TEST_F(FileRulesTest, FailedCopyReports457AndKeepsTheOldTargetWhole) {
  // A source the file system refuses to copy (a folder by that name): the
  // replace fails after the Yes.
  TheFileSystem().createDirectories(home / "src/Locked.prc");
  WriteFile(home / "Install/Locked.prc", "old locked");
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(CopyIntoFolder(home / "src/Locked.prc", home / "Install/", true, false));
  EXPECT_EQ(ReadFile(home / "Install/Locked.prc"), "old locked");
  EXPECT_EQ(prompter.lastText(), "ファイルがコピーできません\n  " + (home / "src/Locked.prc") +
                                     "\n  " + (home / "Install/Locked.prc"));
}

TEST_F(FileRulesTest, VanishedSourceReports457) {
  WriteFile(home / "Install/Gone.prc", "old");
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(CopyIntoFolder(home / "src/Gone.prc", home / "Install/", true, false));
  EXPECT_EQ(ReadFile(home / "Install/Gone.prc"), "old");
  EXPECT_NE(prompter.lastText().find("ファイルがコピーできません"), std::string::npos);
}

TEST_F(FileRulesTest, APathWithoutAFileNameReports457AndAsksNothingAboutTheFolder) {
  for (std::string source : {std::string(), home / "src/"}) {
    prompter.expect(BoxKind::Error, Button::Ok);
    EXPECT_FALSE(CopyIntoFolder(source, home / "Install/", true, false));
    EXPECT_EQ(prompter.lastText(), "ファイルがコピーできません\n  " + source + "\n  " + (home / "Install/"));
  }
  EXPECT_TRUE(FileExists(home / "src/Game.prc"));
}

TEST_F(FileRulesTest, DeleteAsksForReadOnlyFilesUnlessForced) {
  WriteFile(home / "Install/a.prc", "a");
  WriteFile(home / "Install/b.prc", "b");
  TheFileSystem().setReadOnly(home / "Install/a.prc", true);
  TheFileSystem().setReadOnly(home / "Install/b.prc", true);
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_FALSE(DeleteFileChecked(home / "Install/a.prc", false));
  EXPECT_TRUE(FileExists(home / "Install/a.prc"));
  EXPECT_EQ(prompter.lastText(), "a.prc は読み取り専用です。\n本当に削除しますか？");
  prompter.expect(BoxKind::Confirm, Button::Yes);
  EXPECT_TRUE(DeleteFileChecked(home / "Install/a.prc", false));
  EXPECT_FALSE(FileExists(home / "Install/a.prc"));
  EXPECT_TRUE(DeleteFileChecked(home / "Install/b.prc", true));  // no question
  EXPECT_FALSE(FileExists(home / "Install/b.prc"));
  EXPECT_FALSE(DeleteFileChecked(home / "Install/none.prc", true));
}

TEST_F(FileRulesTest, EnsureFolderMakesThreeMissingLevelsWithoutAsking) {
  EXPECT_TRUE(EnsureFolder(home / "a/b/c"));
  EXPECT_TRUE(TheFileSystem().isDirectory(home / "a/b/c"));
  EXPECT_TRUE(EnsureFolder(home / "a/b/c"));
  WriteFile(home / "file", "x");
  EXPECT_FALSE(EnsureFolder(home / "file/sub"));
}

}  // namespace
