#include "install/TextShape.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "support/TempHome.h"

using namespace kestrel;

namespace {

// Test texts are written in UTF-8 and compared as Shift_JIS.
std::string S(std::string_view utf8) { return Utf8ToCp932(utf8); }

std::string Full(std::string_view utf8, WidthTable table) {
  return Cp932ToUtf8(ToFullWidth(S(utf8), table.han, table.zen));
}
std::string Half(std::string_view utf8, WidthTable table) {
  return Cp932ToUtf8(ToHalfWidth(S(utf8), table.han, table.zen));
}

std::vector<std::string> Join(const std::vector<std::string>& utf8Lines) {
  std::vector<std::string> lines;
  for (const auto& line : utf8Lines) lines.push_back(S(line));
  std::vector<std::string> out;
  for (const auto& line : JoinLines(lines, ParagraphEndChars(), ParagraphStartChars())) {
    out.push_back(Cp932ToUtf8(line));
  }
  return out;
}

}  // namespace

TEST(TextShapeTest, WorkedExamplesWithTheDefaultSettings) {
  ShapeSettings defaults;
  EXPECT_EQ(ShapeText(S("ｶﾞｲﾄﾞ　ＡＢＣ１２３！\r\nﾊﾟｿｺﾝ･ﾃﾞｰﾀ\r\n"), defaults),
            S("ガイド ABC123!\r\nパソコン・データ\r\n"));
  // The defaults are the ones a user gets without stored values.
  EXPECT_EQ(defaults.convKana, 1);
  EXPECT_EQ(defaults.convAlpha, 2);
  EXPECT_EQ(defaults.convUser1, 2);
  EXPECT_EQ(defaults.convUser2, 1);
  EXPECT_TRUE(defaults.trim);
  EXPECT_FALSE(defaults.margeLine);
  EXPECT_EQ(defaults.hanUserDef1.size(), 70u);
  EXPECT_EQ(defaults.zenUserDef1, S("　！＃＄％＆＊＋－／：；＜＝＞？＠。、．，”’（）［￥］＾＿‘｛｜｝￣"));
  EXPECT_EQ(defaults.hanUserDef2, "\xA5\x20\xA2\x20\xA3\x20");
  EXPECT_EQ(defaults.zenUserDef2, S("・「」"));
}

TEST(TextShapeTest, FullAndHalfWidthThroughTheBuiltInTables) {
  WidthTable kana = KanaTable();
  WidthTable alpha = AlphaTable();
  WidthTable user1 = DefaultUserTable1();
  // A pair the table does not hold: the character converts, then the mark.
  EXPECT_EQ(Full("ｱﾞｶﾞﾎﾟｳﾞﾞ", kana), "ア゛ガポヴ゛");
  EXPECT_EQ(Half("ガアヴ゛ー", kana), "ｶﾞｱｳﾞﾞｰ");
  // The blank converts only through a table with the two-blank entry.
  EXPECT_EQ(Full("a b", kana), "a b");
  EXPECT_EQ(Full("a b", alpha), "ａ ｂ");
  EXPECT_EQ(Full(" ", user1), "　");
  EXPECT_EQ(Half("　", user1), " ");
  // The first matching entry wins.
  EXPECT_EQ(Full(".,", user1), "。、");
  EXPECT_EQ(Half("。．、，￥", user1), "..,,\\");
  // Characters outside the table pass unchanged both ways.
  EXPECT_EQ(Half("漢字ａＺ９", alpha), "漢字aZ9");
  EXPECT_EQ(Full("漢字aZ9･", alpha), "漢字ａＺ９･");
  // Only whole entries match: kanji and katakana whose bytes straddle two
  // entries of a table stay what they are.
  EXPECT_EQ(Half("メール茶潤吹", user1), "メール茶潤吹");
  EXPECT_EQ(Half("茶＜ｃ", kana), "茶＜ｃ");
}

TEST(TextShapeTest, NoByteIsReadPastTheTextOrTheTables) {
  WidthTable kana = KanaTable();
  // A lead byte last is copied and ends the conversion.
  EXPECT_EQ(ToFullWidth("a\x83", kana.han, kana.zen), "a\x83");
  EXPECT_EQ(ToHalfWidth("\x83\x41\x83", kana.han, kana.zen), "\xB1\x83");
  EXPECT_EQ(ToFullWidth("\xB6", kana.han, kana.zen), S("カ"));

  // Tables of the wrong shape: a hit without a partner leaves the character.
  std::string han = "a b c";           // odd length: "c" has no blank
  std::string zen = "\x82\x81\x82";    // one and a half entries: only "a" has a partner
  EXPECT_EQ(ToFullWidth("abcd", han, zen), "\x82\x81" "bcd");
  EXPECT_EQ(ToHalfWidth("\x82\x81\x82\x82", "a", "\x82\x81\x82\x82"), "a\x82\x82");
  EXPECT_EQ(ToHalfWidth("\x82\x81", "", "\x82\x81"), "\x82\x81");
  EXPECT_EQ(ToFullWidth("a", "a ", ""), "a");
  EXPECT_EQ(ToFullWidth("", han, zen), "");
}

TEST(TextShapeTest, ConversionSettingsChooseTheDirection) {
  ShapeSettings settings;
  settings.convKana = 0;
  settings.convUser1 = 0;
  settings.convUser2 = 0;
  settings.convAlpha = 1;
  EXPECT_EQ(ShapeText(S("a ｱ　ａ"), settings), S("ａ ｱ　ａ\r\n"));
  settings.convAlpha = 2;
  EXPECT_EQ(ShapeText(S("a ｱ　ａ"), settings), S("a ｱ　a\r\n"));
  settings.convAlpha = 3;  // anything but 1 and 2 converts nothing
  settings.convKana = -1;
  EXPECT_EQ(ShapeText(S("a ｱ　ａ"), settings), S("a ｱ　ａ\r\n"));
}

TEST(TextShapeTest, LinesSplitAndTrim) {
  EXPECT_EQ(SplitTextLines("a\r\nb\rc\nd\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTextLines("\n\r\n"), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(SplitTextLines(std::string("a\nb\0c\nd", 7)), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(SplitTextLines("").empty());

  ShapeSettings settings;
  EXPECT_EQ(ShapeText(S(" \t a b \x01\r\n   \r\n　x　"), settings), S("a b\r\n\r\n x \r\n"));
  settings.trim = false;
  EXPECT_EQ(ShapeText(" a \n", settings), " a \r\n");
}

TEST(TextShapeTest, JoinLinesIntoParagraphs) {
  EXPECT_EQ(Join({"これは", "テストです。", "次の行"}),
            (std::vector<std::string>{"これはテストです。", "次の行"}));
  EXPECT_EQ(Join({"項目", "・一つ目"}), (std::vector<std::string>{"項目", "・一つ目"}));
  // The first line stays as it is; the lines joined to it are trimmed.
  EXPECT_EQ(Join({"  Hello", "  world  ", "again.", "  next"}),
            (std::vector<std::string>{"  Helloworldagain.", "  next"}));
  // An empty line takes the text after it; a blank line before text too.
  EXPECT_EQ(Join({"end!", "", "new", "(note)"}),
            (std::vector<std::string>{"end!", "new", "(note)"}));
  EXPECT_EQ(Join({"a", "", "", "b"}), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Join({"ｶﾅ｡", "｢x｣", "y"}), (std::vector<std::string>{"ｶﾅ｡", "｢x｣", "y"}));

  // With joining on, trimming is not applied to the first line.
  ShapeSettings settings;
  settings.margeLine = true;
  settings.convUser1 = 0;
  EXPECT_EQ(ShapeText(S("  これは\n テストです。\n次"), settings), S("  これはテストです。\r\n次\r\n"));
  // A lead byte at the end of a line is a character of its own.
  EXPECT_EQ(JoinLines({"a\x81", "b"}, ParagraphEndChars(), ParagraphStartChars()),
            (std::vector<std::string>{"a\x81" "b"}));
}

TEST(TextShapeTest, FormattedCopyGoesIntoTheTemporaryFolder) {
  test::TempHome home;
  ShapeSettings settings;
  test::WriteFile(home / "docs/Memo.txt", S("ﾃｽﾄ\nＡＢＣ"));
  std::string copy = ShapeTextFile(settings, home / "docs/Memo.txt");
  EXPECT_EQ(copy, home / "__temp__/Memo.txt");
  EXPECT_EQ(test::ReadFile(copy), S("テスト\r\nABC\r\n"));
  // The source is never touched; a second run replaces the copy.
  EXPECT_EQ(test::ReadFile(home / "docs/Memo.txt"), S("ﾃｽﾄ\nＡＢＣ"));
  test::WriteFile(home / "docs/Memo.txt", "x");
  EXPECT_EQ(ShapeTextFile(settings, home / "docs/Memo.txt"), copy);
  EXPECT_EQ(test::ReadFile(copy), "x\r\n");

  // A source that cannot be read: an error, and the earlier copy stays.
  EXPECT_THROW(ShapeTextFile(settings, home / "docs/Missing.txt"), TextFileError);
  EXPECT_EQ(test::ReadFile(copy), "x\r\n");
}

TEST(TextShapeTest, NoTemporaryFolderMeansNoCopy) {
  test::TempHome home;
  test::WriteFile(home / "__temp__", "a file where the folder belongs");
  test::WriteFile(home / "Memo.txt", "x");
  EXPECT_EQ(ShapeTextFile(ShapeSettings(), home / "Memo.txt"), "");
  EXPECT_EQ(test::ReadFile(home / "__temp__"), "a file where the folder belongs");
}
