// Queuing through a user's handler, with txt2pdbdoc as a real converter.
#include "handlers/QueueThroughHandler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/FileRules.h"
#include "handlers/QueueFixture.h"
#include "platform/Shell.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"
#include "support/PalmSetup.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// The database name a Palm database carries in its first 32 bytes.
std::string DatabaseName(const std::string& pdb) {
  std::string head = pdb.substr(0, 32);
  return head.substr(0, head.find('\0'));
}

class QueueThroughHandlerTest : public QueueFixture {
 protected:
  void SetUp() override {
    QueueFixture::SetUp();
    if (HasFatalFailure()) return;
    WriteFile(home / "src/Memo.txt", "Hello, Palm.\r\n");
  }
  void addTxtHandler(TInstallMode mode, bool run, bool shape = false) {
    ExtHandler txt;
    txt.Extension = ".txt";
    txt.Title = "txt2pdbdoc";
    txt.Path = "/usr/bin/txt2pdbdoc";
    txt.Option = "-c \"$N\" \"$P\" \"$O$N.pdb\"";  // uncompressed, so the text can be read back
    txt.UseExApp = run;
    txt.UseExText = shape;
    txt.InstallMode = mode;
    ASSERT_TRUE(user->handlers().insert(2, txt));
  }
  bool flagRaised() { return ReadInstallFlag(*user); }
};

TEST_F(QueueThroughHandlerTest, TextBecomesAPalmDatabaseInTheInstallFolder) {
  addTxtHandler(TInstallMode::MoveConvertedPdb, true);
  bool called = false;
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Memo.txt", install, [&] { called = true; }), 1);
  std::string pdb = ReadFile(install + "Memo.pdb");
  ASSERT_GT(pdb.size(), 78u);
  EXPECT_EQ(DatabaseName(pdb), "Memo");
  EXPECT_EQ(pdb.substr(60, 8), "TEXtREAd");
  EXPECT_NE(pdb.find("Hello, Palm."), std::string::npos);
  EXPECT_FALSE(FileExists(home / "src/Memo.pdb")) << "the converted file is moved";
  EXPECT_TRUE(FileExists(home / "src/Memo.txt")) << "the source stays";
  EXPECT_FALSE(FileExists(install + "Memo.txt"));
  EXPECT_TRUE(flagRaised());
  EXPECT_TRUE(called);
}

TEST_F(QueueThroughHandlerTest, FormattedShiftJisTextIsConvertedAndTheTemporaryCopyGoes) {
  addTxtHandler(TInstallMode::MoveConvertedPdb, true, true);
  WriteFile(home / "src/Memo.txt", Utf8ToCp932("ｶﾞｲﾄﾞ　ＡＢＣ１２３！\r\nﾊﾟｿｺﾝ･ﾃﾞｰﾀ\r\n"));
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Memo.txt", install), 1);
  std::string pdb = ReadFile(install + "Memo.pdb");
  EXPECT_EQ(DatabaseName(pdb), "Memo");
  EXPECT_NE(pdb.find(Utf8ToCp932("ガイド ABC123!")), std::string::npos);
  EXPECT_NE(pdb.find(Utf8ToCp932("パソコン・データ")), std::string::npos);
  EXPECT_FALSE(FileExists(home / "__temp__/Memo.txt"));
  EXPECT_FALSE(FileExists(home / "__temp__/Memo.pdb"));
  EXPECT_EQ(ReadFile(home / "src/Memo.txt"), Utf8ToCp932("ｶﾞｲﾄﾞ　ＡＢＣ１２３！\r\nﾊﾟｿｺﾝ･ﾃﾞｰﾀ\r\n"));
}

TEST_F(QueueThroughHandlerTest, FormattedCopyItselfIsQueuedWithTheOriginalsMode) {
  addTxtHandler(TInstallMode::CopyOriginal, false, true);
  WriteFile(home / "src/Memo.txt", Utf8ToCp932("  ＡＢＣ  \r\n"));
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Memo.txt", install), 1);
  EXPECT_EQ(ReadFile(install + "Memo.txt"), "ABC\r\n");
  EXPECT_FALSE(FileExists(home / "__temp__/Memo.txt"));
}

TEST_F(QueueThroughHandlerTest, DoNothingStillRaisesTheFlag) {
  addTxtHandler(TInstallMode::DoNothing, false);
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Memo.txt", install), 1);
  EXPECT_FALSE(FileExists(install + "Memo.txt"));
  EXPECT_TRUE(flagRaised());
}

TEST_F(QueueThroughHandlerTest, ModeFourDeletesTheConvertedFileButNotTheSource) {
  WriteFile(home / "src/Game.prc", "converted");
  WriteFile(home / "src/Game.doc", "source");
  ExtHandler doc;
  doc.Extension = ".doc";
  doc.InstallMode = TInstallMode::MoveConvertedPrc;
  user->handlers().insert(2, doc);
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Game.doc", install), 1);
  EXPECT_EQ(ReadFile(install + "Game.prc"), "converted");
  EXPECT_FALSE(FileExists(home / "src/Game.prc"));
  EXPECT_TRUE(FileExists(home / "src/Game.doc"));
}

TEST_F(QueueThroughHandlerTest, APrcIsCopiedAsItIsThroughTheDefaults) {
  WriteFile(home / "src/Game.PRC", "prc");
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Game.PRC", install), 1);
  EXPECT_EQ(ReadFile(install + "Game.PRC"), "prc");
  // Again: the user is asked before the queued copy is replaced.
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Game.PRC", install), 1);
}

TEST_F(QueueThroughHandlerTest, AConverterThatCannotStartQueuesNothing) {
  addTxtHandler(TInstallMode::MoveConvertedPdb, true);
  ExtHandler txt = *user->handlers().get(2);
  txt.Path = home / "no such/txt2pdbdoc";
  user->handlers().put(2, txt);
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Memo.txt", install), 0);
  EXPECT_EQ(prompter.lastText(), "txt2pdbdoc が実行できません。\n\n No such file or directory");
  EXPECT_FALSE(flagRaised());
  EXPECT_FALSE(FileExists(install + "Memo.pdb"));
}

TEST_F(QueueThroughHandlerTest, UnreadableTextGives454) {
  addTxtHandler(TInstallMode::CopyOriginal, false, true);
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Missing.txt", install), 0);
  EXPECT_EQ(prompter.lastText(), "変換用テンポラリファイルが作成できないため、変換できません");
}

TEST_F(QueueThroughHandlerTest, RestoreToolKeepsABakCopyThenRuns) {
  ExtHandler txt;
  txt.Extension = ".txt";
  txt.Title = "戻す";
  txt.UseRestore = true;
  txt.Path = "/bin/sh";
  txt.RestOption = "-c \"echo restored > '$O$N.out'\"";
  user->handlers().insert(2, txt);
  auto items = RestoreToolItems(user->handlers());
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].title, "戻す");
  EXPECT_EQ(items[0].index, 2);
  MIRestToolsClick(*user, home / "src/Memo.txt", items[0].index);
  EXPECT_EQ(ReadFile(home / "src/Memo.bak"), "Hello, Palm.\r\n");
  EXPECT_EQ(ReadFile(home / "src/Memo.out"), "restored\n");
  user->setRestoreBackup(false);
  std::remove((home / "src/Memo.bak").c_str());
  MIRestToolsClick(*user, home / "src/Memo.txt", items[0].index);
  EXPECT_FALSE(FileExists(home / "src/Memo.bak"));
}

}  // namespace

namespace {

class RecordingShell : public kestrel::Shell {
 public:
  explicit RecordingShell(std::vector<std::string>* calls) : calls_(calls) {}
  bool open(const std::string& target, const std::string& parameters,
            const std::string& folder) override {
    calls_->push_back(target + "|" + parameters + "|" + folder);
    return target.find("missing") == std::string::npos;
  }

 private:
  std::vector<std::string>* calls_;
};

TEST(LaunchSettingsTest, OpensTheProgramWithItsSettingsArgumentsAsTheyAre) {
  std::vector<std::string> calls;
  SetShell(std::make_unique<RecordingShell>(&calls));
  ExtHandler e;
  e.Path = "/opt/conv/setup";
  e.ConfOption = "--config $P";
  e.WorkDir = "/opt/conv";
  EXPECT_TRUE(LaunchSettings(e));
  e.Path = "/opt/missing";
  EXPECT_FALSE(LaunchSettings(e));
  SetShell(nullptr);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], "/opt/conv/setup|--config $P|/opt/conv");  // no placeholders expanded
}

}  // namespace
