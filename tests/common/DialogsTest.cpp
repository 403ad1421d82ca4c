// The dialog seam without a display: the scripted dialogs tests answer with,
// and the headless ones a run without a display falls back to.
#include "common/Dialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/ScriptedDialogs.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

TEST(ScriptedDialogs, AnswerInTurnAndRecordWhatWasAsked) {
  ScriptedDialogs dialogs;
  dialogs.expectFiles({"/a/one.prc", "/a/two.pdb"})
      .expectText("Games")
      .expectFolder(std::nullopt)
      .expectFont(FontSpec{"Noto Sans Mono", 12});
  EXPECT_EQ(&TheDialogs(), &dialogs);

  FileOpenRequest open;
  open.caption = "ファイルの追加";
  open.folder = "/a";
  open.filters = {"All (*)"};
  EXPECT_EQ(TheDialogs().openFiles(open), (std::vector<std::string>{"/a/one.prc", "/a/two.pdb"}));
  EXPECT_EQ(TheDialogs().askText({"フォルダの追加 - バックアップ", "名前", "新しいフォルダ", ""}), "Games");
  EXPECT_EQ(TheDialogs().chooseFolder({"", "/a", ""}), std::nullopt);
  EXPECT_EQ(TheDialogs().chooseFont({"日本語", {"", 9}, true, ""}), (FontSpec{"Noto Sans Mono", 12}));

  ASSERT_EQ(dialogs.shown().size(), 4u);
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::OpenFiles);
  EXPECT_EQ(dialogs.shown()[0].initial, "/a");
  EXPECT_EQ(dialogs.shown()[0].filters, std::vector<std::string>{"All (*)"});
  EXPECT_EQ(dialogs.shown()[1].prompt, "名前");
  EXPECT_EQ(dialogs.shown()[1].initial, "新しいフォルダ");
  EXPECT_EQ(dialogs.shown()[3].font.size, 9);
  EXPECT_EQ(dialogs.pending(), 0u);
}

TEST(ScriptedDialogs, ADialogNobodyExpectedFailsTheTestAndIsCancelled) {
  std::vector<std::string> files{"x"};
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedDialogs dialogs;
        files = TheDialogs().openFiles({"ファイルの追加", "", {}, true, ""});
      },
      "unexpected file-open dialog [ファイルの追加]");
  EXPECT_TRUE(files.empty());
}

TEST(ScriptedDialogs, ADialogOfAnotherKindThanExpectedFailsTheTest) {
  std::optional<std::string> answer = "x";
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedDialogs dialogs;
        dialogs.expectFolder("/somewhere");
        answer = TheDialogs().askText({"名前", "", "", ""});
      },
      "a text dialog [名前] opened where a folder dialog was expected");
  EXPECT_EQ(answer, std::nullopt);
}

TEST(ScriptedDialogs, AnAnswerNeverAskedForFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedDialogs dialogs;
        dialogs.expectText("unused");
      },
      "1 expected dialog(s) never opened");
  // Uninstalled again: the headless dialogs answer.
  EXPECT_EQ(TheDialogs().askText({"", "", "", ""}), std::nullopt);
}

TEST(HeadlessDialogs, SayWhatWasAskedAndCancel) {
  testing::internal::CaptureStderr();
  EXPECT_TRUE(TheDialogs().openFiles({"ファイルの追加", "", {}, true, ""}).empty());
  EXPECT_EQ(TheDialogs().chooseFolder({"", "/", ""}), std::nullopt);
  EXPECT_EQ(TheDialogs().askText({"フォルダの追加", "名前を入力", "", ""}), std::nullopt);
  EXPECT_EQ(TheDialogs().chooseFont({"フォント", {}, false, ""}), std::nullopt);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("[ファイルの追加]"), std::string::npos) << err;
  EXPECT_NE(err.find("[フォルダを選択してください]"), std::string::npos) << err;
  EXPECT_NE(err.find("名前を入力"), std::string::npos) << err;
  EXPECT_NE(err.find("[フォント]"), std::string::npos) << err;
}

}  // namespace
