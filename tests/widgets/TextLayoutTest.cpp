#include "widgets/TextLayout.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/Codepage.h"
#include "support/TempHome.h"
#include "widgets/LineBreaker.h"

using namespace kestrel;

namespace {

std::string S(std::string_view utf8) { return Utf8ToCp932(utf8); }

// The rows of a one-line text at a width, in UTF-8.
std::vector<std::string> Rows(std::string_view utf8, int width) {
  TextLayout t;
  t.setWrapWidth(width);
  t.setText(S(utf8));
  std::vector<std::string> rows;
  for (std::size_t r = 0; r < t.rowCount(); ++r) rows.push_back(Cp932ToUtf8(t.row(r)));
  return rows;
}

using Rows_ = std::vector<std::string>;

// Every row of line 0 checked against what wrapping promises.
void ExpectSoundRows(TextLayout& t, int width) {
  std::string joined;
  for (std::size_t r = 0; r < t.rowCount(); ++r) {
    std::string_view row = t.row(r);
    ASSERT_LE(row.size(), static_cast<std::size_t>(width) + 2) << "row " << r;
    if (!t.line(t.rowStart(r).line).empty()) {
      ASSERT_FALSE(row.empty()) << "row " << r;
    }
    // Each row starts on a character boundary of its line.
    TextPos p = t.rowStart(r);
    std::string_view l = t.line(p.line);
    std::size_t at = 0;
    while (at < p.offset) at += CharSizeAt(l, at, true);
    ASSERT_EQ(at, p.offset) << "row " << r << " starts inside a double-byte character";
    if (p.line == 0) joined.append(row);
  }
  EXPECT_EQ(joined, t.line(0));
}

}  // namespace

TEST(LineBreakTest, KinsokuSets) {
  // "、" and "。" hang past the width rather than begin a row.
  EXPECT_EQ(Rows("あいうえお、かき", 10), (Rows_{"あいうえお、", "かき"}));
  EXPECT_EQ(Rows("あいうえお。かき", 10), (Rows_{"あいうえお。", "かき"}));
  // "・" may not begin a row and does not hang: the character before it goes along.
  EXPECT_EQ(Rows("あいうえお・かき", 10), (Rows_{"あいうえ", "お・かき"}));
  // "」" after a hanging "。" would begin a row: both go down with the character before.
  EXPECT_EQ(Rows("あいうえお。」か", 10), (Rows_{"あいうえ", "お。」か"}));
  // "「" never ends a row.
  EXPECT_EQ(Rows("あいうえ「おか」", 10), (Rows_{"あいうえ", "「おか」"}));
  // The half-width and ASCII forms count too.
  EXPECT_EQ(Rows("ｱｲｳｴｵ｡ｶｷ", 5), (Rows_{"ｱｲｳｴｵ｡", "ｶｷ"}));
  EXPECT_EQ(Rows("abcd (ef", 6), (Rows_{"abcd ", "(ef"}));
}

TEST(LineBreakTest, DoubleByteCharactersAreNeverSplit) {
  EXPECT_EQ(Rows("あいうえ", 5), (Rows_{"あい", "うえ"}));
  EXPECT_EQ(Rows("aあいう", 4), (Rows_{"aあ", "いう"}));
  // A trail byte that looks like "\" or "A" is no break point of its own.
  EXPECT_EQ(Rows("ソソソ表ア", 3), (Rows_{"ソ", "ソ", "ソ", "表", "ア"}));
}

TEST(LineBreakTest, WordsStayWholeWhereTheyFit) {
  EXPECT_EQ(Rows("hello world foo", 8), (Rows_{"hello ", "world ", "foo"}));
  // The space at the width hangs; the next word starts the row.
  EXPECT_EQ(Rows("abcdefgh ij", 8), (Rows_{"abcdefgh ", "ij"}));
  // Between Japanese and a word is a break point.
  EXPECT_EQ(Rows("日本語Kestrel", 8), (Rows_{"日本語", "Kestrel"}));
  // A comma at the width hangs, and the space behind it goes along.
  EXPECT_EQ(Rows("hello world, again", 11), (Rows_{"hello world, ", "again"}));
}

TEST(LineBreakTest, RunsWithoutBreakPointsAreBrokenAtTheWidth) {
  EXPECT_EQ(Rows(std::string(25, 'a'), 10), (Rows_{std::string(10, 'a'), std::string(10, 'a'), "aaaaa"}));
  // Only characters that may not begin a row: still broken at the width.
  EXPECT_EQ(Rows("、、、、、、、", 4), (Rows_{"、、", "、、", "、、、"}));
  EXPECT_EQ(Rows("「「「「「", 4), (Rows_{"「「", "「「", "「"}));
  // A width below two is taken as two, so even a double-byte character fits.
  EXPECT_EQ(Rows("あい", 1), (Rows_{"あ", "い"}));
}

TEST(LineBreakTest, AnyMixtureGivesSoundRows) {
  const std::vector<std::string> pieces = {
      "a", "b", " ", ".", ",", "(", ")", "!", S("あ"), S("、"), S("。"), S("「"), S("」"),
      S("ソ"), S("ー"), S("ｱ"), S("｡"), S("｢"), "http://x.jp/", "\t", S("表")};
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string line;
    int n = static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i) line += pieces[rng() % pieces.size()];
    int width = 2 + static_cast<int>(rng() % 15);
    TextLayout t;
    t.setWrapWidth(width);
    t.setText(line);
    SCOPED_TRACE("width " + std::to_string(width) + " line " + Cp932ToUtf8(line));
    ExpectSoundRows(t, width);
  }
}

TEST(TextLayoutTest, LinesSplitAtEveryLineEnd) {
  TextLayout t;
  t.setText("a\r\nb\rc\nd\n");
  ASSERT_EQ(t.lineCount(), 4u);
  EXPECT_EQ(t.line(1), "b");
  EXPECT_EQ(t.line(3), "d");
  t.setText("");
  EXPECT_EQ(t.lineCount(), 0u);
  EXPECT_EQ(t.rowCount(), 0u);
  t.setText("x\n\n");
  EXPECT_EQ(t.lineCount(), 2u);
  EXPECT_EQ(t.rowCount(), 2u);  // an empty line still takes a row
}

TEST(TextLayoutTest, AppendReplaceClear) {
  TextLayout t;
  t.setWrapWidth(4);
  t.appendToLastLine("ab");  // an empty pane gets its first line
  t.appendLine("");
  t.appendLine("x\r\ny");
  ASSERT_EQ(t.lineCount(), 4u);
  EXPECT_EQ(t.line(0), "ab");
  EXPECT_EQ(t.line(3), "y");
  EXPECT_EQ(t.rowCount(), 4u);
  t.replaceLine(1, "123456789");
  EXPECT_EQ(t.line(1), "123456789");
  EXPECT_EQ(t.rowCount(), 6u);
  EXPECT_EQ(t.row(2), "5678");
  EXPECT_EQ(t.row(4), "x");
  // A CR appended stays a byte of the line.
  t.appendToLastLine("z\r");
  EXPECT_EQ(t.line(3), "yz\r");
  EXPECT_EQ(t.lineCount(), 4u);
  t.clear();
  EXPECT_EQ(t.lineCount(), 0u);
  EXPECT_EQ(t.row(0), "");
}

TEST(TextLayoutTest, AppendingByteByByteLaysOutAsAWholeLine) {
  const std::string text = S("Backing up 日本語の「テキスト」、それに。。。ﾃﾞｰﾀ http://a.jp/ ") +
                           std::string(30, '.') + S("終わり。」");
  for (int width : {2, 3, 5, 8, 13, 80}) {
    TextLayout whole;
    whole.setWrapWidth(width);
    whole.setText(text);
    TextLayout grown;
    grown.setWrapWidth(width);
    grown.appendLine("first");
    grown.appendLine("");
    for (char c : text) {
      grown.appendToLastLine(std::string(1, c));
      grown.rowCount();  // laid out after every byte, as a live console is
    }
    // the same rows, after those of the line before
    const std::size_t first = grown.firstRowOf(1);
    for (std::size_t r = 0; r < whole.rowCount(); ++r) {
      ASSERT_EQ(grown.row(first + r), whole.row(r)) << "width " << width << " row " << r;
    }
    ASSERT_EQ(grown.rowCount(), whole.rowCount() + first) << "width " << width;
  }
}

TEST(TextLayoutTest, LaysOutOnlyWhatIsAskedFor) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + " " + std::string(100, 'x') + "\r\n";
  TextLayout t;
  t.setWrapWidth(80);
  t.setText(text);
  EXPECT_EQ(t.knownRowCount(), 0u);
  EXPECT_EQ(t.row(3), "line 1 ");  // "line 0 " + 100 x take rows 0..2
  EXPECT_LT(t.knownRowCount(), 100u);
  EXPECT_GT(t.estimatedRowCount(), 50000u);
  // Deep rows are reached by laying out just so far.
  EXPECT_EQ(t.rowStart(3 * 10000).line, 10000u);
  EXPECT_FALSE(t.layoutComplete());
  while (!t.layoutSome(1 << 20)) {
  }
  EXPECT_EQ(t.rowCount(), 60000u);
  EXPECT_EQ(t.estimatedRowCount(), 60000u);
  // A new width lays out anew.
  t.setWrapWidth(200);
  EXPECT_EQ(t.rowCount(), 20000u);
}

TEST(TextLayoutTest, RowsAndColumnsMapToPlacesAndBack) {
  TextLayout t;
  t.setWrapWidth(6);
  t.setText(S("あいうえおか\nabc"));
  ASSERT_EQ(t.rowCount(), 3u);
  EXPECT_EQ(t.rowColOf({0, 8}), (RowCol{1, 2}));
  EXPECT_EQ(t.rowColOf({0, 6}), (RowCol{1, 0}));    // a row boundary starts the next row
  EXPECT_EQ(t.rowColOf({0, 12}), (RowCol{1, 6}));   // the line's end stays in its last row
  EXPECT_EQ(t.rowColOf({1, 2}), (RowCol{2, 2}));
  EXPECT_EQ(t.posOf({1, 2}), (TextPos{0, 8}));
  EXPECT_EQ(t.posOf({1, 3}), (TextPos{0, 8}));      // inside "お": at its start
  EXPECT_EQ(t.posOf({2, 99}), (TextPos{1, 3}));
  EXPECT_EQ(t.posOf({9, 0}), (TextPos{1, 3}));
  EXPECT_EQ(t.firstRowOf(1), 2u);
}

TEST(TextLayoutTest, SavesAndLoadsAPlainTextFile) {
  test::TempHome home;
  TextLayout t;
  t.setText(S("一行目\nsecond\n"));
  ASSERT_TRUE(t.saveToFile(home / "pane.log"));
  EXPECT_EQ(test::ReadFile(home / "pane.log"), S("一行目\r\nsecond\r\n"));
  TextLayout back;
  ASSERT_TRUE(back.loadFromFile(home / "pane.log"));
  EXPECT_EQ(back.lineCount(), 2u);
  EXPECT_EQ(back.line(0), S("一行目"));

  // A file that cannot be read leaves the lines alone; one that cannot be
  // written leaves the file there as it was.
  EXPECT_FALSE(back.loadFromFile(home / "missing.log"));
  EXPECT_EQ(back.lineCount(), 2u);
  test::WriteFile(home / "ro/pane.log", "old\r\n");
  ASSERT_EQ(test::RunCommand("chmod a-w " + test::ShellQuote(home / "ro")), 0);
  if (test::RunCommand("touch " + test::ShellQuote(home / "ro/probe") + " 2>/dev/null") != 0) {
    EXPECT_FALSE(t.saveToFile(home / "ro/pane.log"));
    EXPECT_EQ(test::ReadFile(home / "ro/pane.log"), "old\r\n");
  }
  test::RunCommand("chmod u+w " + test::ShellQuote(home / "ro"));
}
