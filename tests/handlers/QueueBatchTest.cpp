// Files queued in a batch: in the install folder only when it ends, and the
// install flag raised once, after them.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/FileRules.h"
#include "handlers/QueueFixture.h"
#include "handlers/QueueThroughHandler.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"
#include "support/PalmSetup.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class QueueBatchTest : public QueueFixture {
 protected:
  void SetUp() override {
    QueueFixture::SetUp();
    if (HasFatalFailure()) return;
    for (const char* name : {"A.prc", "B.pdb", "C.prc"}) WriteFile(home / ("src/" + std::string(name)), name);
  }
  std::size_t inInstallFolder() {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(install)) n += e.is_regular_file();
    return n;
  }
};

TEST_F(QueueBatchTest, TheFilesArriveTogetherAndOnlyThenIsTheFlagRaisedOnce) {
  int raised = 0;
  QueueBatch batch;
  for (const char* name : {"A.prc", "B.pdb", "C.prc"}) {
    EXPECT_EQ(QueueThroughHandler(*user, home / ("src/" + std::string(name)), install, [&] { ++raised; }), 1);
  }
  EXPECT_EQ(inInstallFolder(), 0u);
  EXPECT_FALSE(ReadInstallFlag(*user));
  EXPECT_EQ(raised, 0);
  EXPECT_TRUE(batch.Finish().empty());
  EXPECT_EQ(ReadFile(install + "A.prc"), "A.prc");
  EXPECT_EQ(ReadFile(install + "B.pdb"), "B.pdb");
  EXPECT_EQ(ReadFile(install + "C.prc"), "C.prc");
  EXPECT_TRUE(ReadInstallFlag(*user));
  EXPECT_EQ(raised, 1);
  EXPECT_TRUE(batch.Finish().empty());  // a second end does nothing
  EXPECT_EQ(raised, 1);
}

TEST_F(QueueBatchTest, AFlagRaisedMeanwhileByHotSyncManagerIsLeftAsItIs) {
  int raised = 0;
  QueueBatch batch;
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/A.prc", install, [&] { ++raised; }), 1);
  ASSERT_TRUE(SetInstallFlag(*user));
  batch.Finish();
  EXPECT_TRUE(ReadInstallFlag(*user));
  EXPECT_EQ(raised, 0);  // this batch did not raise it
}

TEST_F(QueueBatchTest, AFileThatCannotTakeItsNameIsReportedAndRaisesNoFlag) {
  QueueCounts before = QueueThroughHandlerCounts();
  QueueBatch batch;
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/A.prc", install), 1);
  // The install folder goes before the batch ends.
  std::filesystem::remove_all(install);
  prompter.expect(BoxKind::Error, Button::Ok);
  std::vector<std::string> lost = batch.Finish();
  EXPECT_EQ(lost, std::vector<std::string>{home / "src/A.prc"});
  EXPECT_NE(prompter.lastText().find(home / "src/A.prc"), std::string::npos) << prompter.lastText();
  EXPECT_FALSE(ReadInstallFlag(*user));
  QueueCounts after = QueueThroughHandlerCounts();
  EXPECT_EQ(after.queued, before.queued);
  EXPECT_EQ(after.failed, before.failed + 1);
  EXPECT_EQ(ReadFile(home / "src/A.prc"), "A.prc");
}

TEST_F(QueueBatchTest, AnInnerBatchLeavesTheEndToTheOuterOne) {
  QueueBatch outer;
  {
    QueueBatch inner;
    EXPECT_EQ(QueueThroughHandler(*user, home / "src/A.prc", install), 1);
  }
  EXPECT_FALSE(ReadInstallFlag(*user));
  outer.Finish();
  EXPECT_TRUE(ReadInstallFlag(*user));
  EXPECT_EQ(ReadFile(install + "A.prc"), "A.prc");
}

}  // namespace

TEST_F(QueueBatchTest, AMovedConvertedFileGoesOnlyWhenItsCopyTookItsName) {
  // No converter: the file next to the source stands for what one made.
  ExtHandler doc;
  doc.Extension = ".doc";
  doc.InstallMode = TInstallMode::MoveConvertedPrc;
  user->handlers().insert(2, doc);
  WriteFile(home / "src/Game.doc", "source");
  WriteFile(home / "src/Game.prc", "converted");
  WriteFile(home / "src/Chess.doc", "source");
  WriteFile(home / "src/Chess.prc", "converted chess");
  {
    QueueBatch batch;
    EXPECT_EQ(QueueThroughHandler(*user, home / "src/Game.doc", install), 1);
    EXPECT_TRUE(FileExists(home / "src/Game.prc"));  // not before the end
    batch.Finish();
  }
  EXPECT_EQ(ReadFile(install + "Game.prc"), "converted");
  EXPECT_FALSE(FileExists(home / "src/Game.prc"));

  QueueBatch batch;
  EXPECT_EQ(QueueThroughHandler(*user, home / "src/Chess.doc", install), 1);
  std::filesystem::remove_all(install);
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(batch.Finish().size(), 1u);
  // The copy was lost, so the converted file is still there to queue again.
  EXPECT_EQ(ReadFile(home / "src/Chess.prc"), "converted chess");
  EXPECT_TRUE(FileExists(home / "src/Chess.doc"));
}
