// The text pane as a widget, under the offscreen platform.
#include "widgets/qt/TextPane.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include "platform/Codepage.h"
#include "support/OffscreenApp.h"

using namespace kestrel;

namespace {

class TextPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pane.resize(400, 300);
    pane.show();
  }
  // The middle of the cell at a row (from the top of the view) and byte column.
  QPoint Cell(int row, int col) const {
    return {kPaneLeftMargin + col * pane.columnWidth() + pane.columnWidth() / 2,
            row * pane.rowHeight() + pane.rowHeight() / 2};
  }
  test::WithOffscreenApp app;
  TextPane pane;
};

std::string Lines(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "line " + std::to_string(i) + "\n";
  return text;
}

}  // namespace

TEST_F(TextPaneTest, ScrollBarOnlyWhileTheRowsDoNotFit) {
  pane.setText(Lines(3));
  QApplication::processEvents();
  EXPECT_FALSE(pane.verticalScrollBar()->isVisible());
  pane.setText(Lines(500));
  QApplication::processEvents();
  EXPECT_TRUE(pane.verticalScrollBar()->isVisible());
  EXPECT_EQ(pane.rowCount(), 500u);
  // Scrolling moves the top row; the caret can be put anywhere.
  pane.setTopRow(100);
  EXPECT_EQ(pane.topRow(), 100u);
  EXPECT_EQ(pane.verticalScrollBar()->value(), 100);
  pane.setTopRow(10000);
  EXPECT_EQ(pane.topRow(), 500u - static_cast<std::size_t>(pane.rowsThatFit()));
  pane.setCaret(7, 2);
  EXPECT_EQ(pane.caret(), (RowCol{7, 2}));
  // Cleared again, nothing to scroll.
  pane.clear();
  QApplication::processEvents();
  EXPECT_FALSE(pane.verticalScrollBar()->isVisible());
}

TEST_F(TextPaneTest, WrapsAtTheWidthThatFitsAndKeepsTheTopLine) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "word" + std::to_string(i) + " " + std::string(150, 'w') + "\n";
  pane.setText(text);
  int width = pane.fittingWrapWidth();
  EXPECT_EQ(pane.layout().wrapWidth(), width);
  EXPECT_EQ(width, (pane.viewport()->width() - kPaneLeftMargin - 3) / pane.columnWidth());
  pane.setTopRow(pane.layout().firstRowOf(40));
  pane.resize(250, 300);
  QApplication::processEvents();
  EXPECT_LT(pane.layout().wrapWidth(), width);
  EXPECT_EQ(pane.layout().rowStart(pane.topRow()).line, 40u);
  // A fixed width, as the console has.
  pane.setWrapColumns(80);
  EXPECT_EQ(pane.layout().wrapWidth(), 80);
  EXPECT_EQ(pane.layout().rowStart(pane.topRow()).line, 40u);
}

TEST_F(TextPaneTest, TheTokenUnderAPointAndTheHandPointer) {
  pane.setText(Utf8ToCp932("見て http://example.jp/ です\nmail: taro@example.jp\n"));
  QApplication::processEvents();
  // "見て " is five bytes: the address starts at column 5.
  EXPECT_EQ(pane.tokenAt(Cell(0, 4)).kind, TokenKind::None);
  TextToken web = pane.tokenAt(Cell(0, 5));
  EXPECT_EQ(web.kind, TokenKind::Web);
  EXPECT_EQ(web.text, "http://example.jp/");
  EXPECT_EQ(pane.tokenAt(Cell(0, 22)).text, "http://example.jp/");
  EXPECT_EQ(pane.tokenAt(Cell(1, 8)).kind, TokenKind::Mail);
  EXPECT_EQ(pane.tokenAt(Cell(1, 60)).kind, TokenKind::None);  // past the row's end
  EXPECT_EQ(pane.tokenAt(Cell(5, 0)).kind, TokenKind::None);   // below the text

  QTest::mouseMove(pane.viewport(), Cell(0, 8));
  EXPECT_EQ(pane.viewport()->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseMove(pane.viewport(), Cell(0, 1));
  EXPECT_EQ(pane.viewport()->cursor().shape(), Qt::ArrowCursor);

  // A click puts the caret there and tells the owner.
  int clicks = 0;
  pane.onClicked = [&] { ++clicks; };
  QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, Cell(1, 10));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(pane.tokenAtCaret().text, "taro@example.jp");
}

TEST_F(TextPaneTest, SelectionIsCopiedAsText) {
  pane.setText(Utf8ToCp932("一行目です\nsecond line\n"));
  QApplication::processEvents();
  // Drag from the second character of row 0 to column 6 of row 1.
  QTest::mousePress(pane.viewport(), Qt::LeftButton, {}, Cell(0, 2) - QPoint(pane.columnWidth() / 2, 0));
  QTest::mouseMove(pane.viewport(), Cell(1, 6) - QPoint(pane.columnWidth() / 2, 0));
  QTest::mouseRelease(pane.viewport(), Qt::LeftButton, {}, Cell(1, 6) - QPoint(pane.columnWidth() / 2, 0));
  EXPECT_EQ(pane.selectedBytes(), Utf8ToCp932("行目です\r\nsecond"));
  QApplication::clipboard()->clear();
  QTest::keyClick(&pane, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "行目です\nsecond");
}

TEST_F(TextPaneTest, LiveOutputKeepsTheNewestInView) {
  pane.setWrapColumns(80);
  pane.setFollowEnd(true);
  for (int i = 0; i < 200; ++i) pane.appendLine("output " + std::to_string(i));
  pane.appendToLastLine("...");
  for (int i = 0; i < 300; ++i) pane.appendToLastLine(".");
  std::size_t rows = pane.rowCount();
  EXPECT_EQ(pane.layout().line(199).size(), std::string("output 199").size() + 303);
  EXPECT_EQ(pane.topRow() + static_cast<std::size_t>(pane.rowsThatFit()), rows);
  // The newest row is the last one drawn.
  EXPECT_EQ(pane.layout().rowStart(rows - 1).line, 199u);
}

TEST_F(TextPaneTest, WesternFontShowsOneCharacterAByte) {
  std::string sjis = Utf8ToCp932("日本");
  pane.setPaneFont("", 12, PaneCharset::ShiftJis);
  EXPECT_EQ(pane.toQString(sjis).toStdString(), "日本");
  pane.setPaneFont("", 12, PaneCharset::Ansi);
  EXPECT_EQ(pane.toQString(sjis).size(), 4);
  EXPECT_FALSE(pane.layout().doubleByte());
}
