// The Glance viewer window, under the offscreen platform.
#include "viewer/qt/FrmEye.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "install/ArchiveFolder.h"
#include "install/ArchiveZipWriter.h"
#include "platform/Codepage.h"
#include "platform/Shell.h"
#include "support/OffscreenApp.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"
#include "support/PalmSetup.h"
#include "viewer/Jconvert.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

std::string S(std::string_view utf8) { return Utf8ToCp932(utf8); }

class FrmEyeTest : public ::testing::Test {
 protected:
  // A viewer on a file, shown (not modally).
  std::unique_ptr<TfrmEye> Open(const std::string& name, const std::string& bytes, bool html = true) {
    WriteFile(home / name, bytes);
    auto eye = std::make_unique<TfrmEye>();
    GlanceRequest r;
    r.path = home / name;
    r.htmlConv = html;
    r.fonts = {"", 9, "", 10};
    r.place = {50, 60, 640, 400};
    eye->setRequest(r);
    eye->show();
    QApplication::processEvents();
    return eye;
  }
  // The middle of a cell of the pane.
  static QPoint Cell(TextPane* pane, int row, int col) {
    return {kPaneLeftMargin + col * pane->columnWidth() + pane->columnWidth() / 2,
            row * pane->rowHeight() + pane->rowHeight() / 2};
  }

  WithOffscreenApp app;
  TempHome home;
  ScriptedPrompter prompter;
};

}  // namespace

TEST_F(FrmEyeTest, CaptionAndTextByEncoding) {
  auto sjis = Open("memo.txt", S("買い物：牛乳\r\nパン\r\n"));
  EXPECT_EQ(sjis->windowTitle().toStdString(), "Glancer (ESCで終了) - memo.txt");
  EXPECT_EQ(sjis->Editor1->layout().line(0), S("買い物：牛乳"));
  EXPECT_EQ(sjis->Editor1->caret(), (RowCol{0, 0}));

  auto euc = Open("euc.txt", sjis2euc(S("日本語\n")));
  EXPECT_EQ(euc->windowTitle().toStdString(), "Glancer (ESCで終了) - euc.txt (OTHER)");
  EXPECT_EQ(euc->Editor1->layout().line(0), S("日本語"));

  auto bin = Open("a.dat", std::string("\x01\x02\x03xyz", 6));
  EXPECT_EQ(bin->windowTitle().toStdString(), "Glancer (ESCで終了) - a.dat (BINARY)");
  EXPECT_EQ(bin->Editor1->layout().lineCount(), 3u);

  auto page = Open("p.html", "<title>T</title><p>x</p>");
  EXPECT_EQ(page->Editor1->layout().line(0), "[[ T  ]]");
  auto source = Open("q.html", "<title>T</title><p>x</p>", false);
  EXPECT_EQ(source->Editor1->layout().line(0), "<title>T</title><p>x</p>");
  // Placed where the command said.
  EXPECT_EQ(page->place().width, 640);
  EXPECT_EQ(page->place().height, 400);
}

TEST_F(FrmEyeTest, CKeySwitchesFontsAndTwiceReturnsToJapanese) {
  auto eye = Open("memo.txt", S("日本語\n"));
  EXPECT_EQ(eye->Editor1->charset(), PaneCharset::ShiftJis);
  EXPECT_EQ(eye->Editor1->fontPixelSize(), 12);
  QTest::keyClick(eye->Editor1, Qt::Key_C);
  EXPECT_EQ(eye->Editor1->charset(), PaneCharset::Ansi);
  EXPECT_EQ(eye->currentFont().size, 10);
  EXPECT_FALSE(eye->Editor1->layout().doubleByte());
  QTest::keyClick(eye->Editor1, Qt::Key_C, Qt::ShiftModifier);
  EXPECT_EQ(eye->Editor1->charset(), PaneCharset::ShiftJis);
  EXPECT_EQ(eye->currentFont().size, 9);
  EXPECT_EQ(eye->Editor1->fontPixelSize(), 12);
}

TEST_F(FrmEyeTest, ClickOnAnAddressOpensIt) {
  std::vector<std::string> opened;
  SetShell(std::make_unique<RecordingShell>(&opened));
  auto eye = Open("links.txt", "see http://example.jp/ now\r\nwrite mailto:x or taro@example.jp\r\nplain\r\n");
  TextPane* pane = eye->Editor1;
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, Cell(pane, 0, 6));
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, Cell(pane, 1, 8));
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, Cell(pane, 1, 25));
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, Cell(pane, 2, 2));
  EXPECT_EQ(opened, (std::vector<std::string>{"http://example.jp/", "mailto:x", "mailto:taro@example.jp"}));
  // Nothing to open it with: the person is told.
  SetShell(std::make_unique<RecordingShell>(&opened, false));
  prompter.expect(BoxKind::Error, Button::Ok);
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, Cell(pane, 0, 6));
  EXPECT_EQ(prompter.lastText(), "リンクの実行ができません");
  SetShell(nullptr);
}

TEST_F(FrmEyeTest, FindWithRegularExpressionsAndF3) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "row " + std::to_string(i) + (i % 100 == 50 ? S(" 東京都") : "") + "\r\n";
  auto eye = Open("big.txt", text);
  TextPane* pane = eye->Editor1;
  QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(eye->PnlFind->isVisible());
  eye->EdFind->setText(QString::fromUtf8("東.都"));
  QTest::keyClick(eye->EdFind, Qt::Key_Return);
  EXPECT_EQ(pane->selectedBytes(), S("東京都"));
  EXPECT_EQ(pane->selectionStart().line, 50u);
  // The hit is in view.
  EXPECT_LE(pane->topRow(), 50u);
  EXPECT_GT(pane->topRow() + static_cast<std::size_t>(pane->rowsThatFit()), 50u);
  QTest::keyClick(eye->EdFind, Qt::Key_F3);
  EXPECT_EQ(pane->selectionStart().line, 150u);
  QTest::keyClick(eye->EdFind, Qt::Key_F3);
  QTest::keyClick(eye->EdFind, Qt::Key_F3);
  EXPECT_EQ(pane->selectionStart().line, 50u);
  EXPECT_EQ(eye->LblFind->text().toStdString(), "先頭から検索しました");

  // A pattern that is no regular expression is said so; the text stays.
  eye->EdFind->setText("row (");
  QTest::keyClick(eye->EdFind, Qt::Key_Return);
  EXPECT_NE(eye->LblFind->text().toStdString().find("正規表現が正しくありません"), std::string::npos);
  EXPECT_EQ(pane->selectionStart().line, 50u);
  EXPECT_EQ(eye->EdFind->text().toStdString(), "row (");
  eye->EdFind->setText("nowhere");
  QTest::keyClick(eye->EdFind, Qt::Key_Return);
  EXPECT_EQ(eye->LblFind->text().toStdString(), "見つかりません");
  // Esc in the field only closes the find bar.
  QTest::keyClick(eye->EdFind, Qt::Key_Escape);
  EXPECT_FALSE(eye->PnlFind->isVisible());
  EXPECT_TRUE(eye->isVisible());
}

TEST_F(FrmEyeTest, EscClosesAndTheExtractedCopyIsGoneAfterwards) {
  SetUpPalmDesktop(home);
  RegKey k = CurrentUserKey(JoinKeyPath(kUsersKey, "Taro"));
  k.writeString("User", "TaroY");
  k.writeString("UserID", "3001");
  UserInfo user("Taro");
  user.setGlanceSavePos(true);
  WriteZip(home / "Docs.zip", {{"readme.txt", S("説明です http://example.jp/\r\n")}});
  std::string shownPath;
  bool sawFile = false;
  QRect frame;
  QTimer::singleShot(0, [&] {
    auto* eye = dynamic_cast<TfrmEye*>(QApplication::activeModalWidget());
    ASSERT_NE(eye, nullptr);
    shownPath = eye->windowTitle().toStdString();
    sawFile = FileExists(ArchiveUnpackFolder() + "/readme.txt");
    eye->resize(500, 350);
    frame = eye->frameGeometry();
    QTest::keyClick(eye->Editor1, Qt::Key_Escape);
  });
  ASSERT_TRUE(OpenGlance(user, home / "Docs.zip", "readme.txt", {10, 20, 700, 500},
                         [](const GlanceRequest& r) { return ShowGlanceWindow(r, nullptr); }));
  EXPECT_EQ(shownPath, "Glancer (ESCで終了) - readme.txt");
  EXPECT_TRUE(sawFile);
  EXPECT_FALSE(FileExists(ArchiveUnpackFolder() + "/readme.txt"));
  Rect kept = UserInfo("Taro").glanceRect();
  // The whole window, frame included, as the main window's place is given.
  EXPECT_EQ(kept.width, frame.width());
  EXPECT_EQ(kept.height, frame.height());
  EXPECT_EQ(kept.left, frame.left());
  EXPECT_GE(kept.width, 500);
}
