#include "viewer/GlanceView.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "support/TempHome.h"
#include "viewer/Jconvert.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

std::string S(std::string_view utf8) { return Utf8ToCp932(utf8); }

GlanceContent Show(const std::string& bytes, const std::string& name = "readme.txt", bool html = true) {
  return MakeGlanceContent(bytes, name, html, 80);
}

}  // namespace

TEST(GlanceViewTest, CaptionNamesTheFileWithoutFolder) {
  EXPECT_EQ(GlanceCaption("/home/x/__temp__/unpack/読んでね.txt", ""), "Glancer (ESCで終了) - 読んでね.txt");
  EXPECT_EQ(GlanceCaption("/u/a.bin", " (BINARY)"), "Glancer (ESCで終了) - a.bin (BINARY)");
}

TEST(GlanceViewTest, JapaneseEncodingsAreShownInShiftJis) {
  std::string sjis = S("日本語のテキスト\r\n二行目");
  GlanceContent plain = Show(sjis);
  EXPECT_EQ(plain.suffix, "");
  EXPECT_EQ(plain.text, sjis);

  // EUC-JP: converted, with the suffix.
  GlanceContent euc = Show(sjis2euc(S("日本語のテキスト\n二行目\n")));
  EXPECT_EQ(euc.code, CODE_EUC);
  EXPECT_EQ(euc.suffix, " (OTHER)");
  EXPECT_EQ(euc.text, sjis);

  // A JIS mail text, line ends of its own.
  std::string jis = "Subject: test\n\n" + sjis2jis83(S("こんにちは")) + "\x1b(B\nbye\n";
  GlanceContent mail = Show(jis, "mail.txt");
  EXPECT_EQ(mail.suffix, " (OTHER)");
  EXPECT_EQ(mail.text, S("Subject: test\r\n\r\nこんにちは\r\nbye"));

  // Undecided EUC-or-Shift_JIS text is shown as it is, still "other".
  std::string undecided = "\xA4\xA2\xA4\xA2";
  GlanceContent both = Show(undecided);
  EXPECT_EQ(both.suffix, " (OTHER)");
  EXPECT_EQ(both.text, undecided);
}

TEST(GlanceViewTest, BinaryDataGivesTheMessageLines) {
  std::string bytes = "MZ" + std::string("\x01", 1) + std::string(600, 'x');
  GlanceContent bin = Show(bytes, "tool.exe");
  EXPECT_EQ(bin.suffix, " (BINARY)");
  EXPECT_EQ(bin.text, S("バイナリファイルには対応してません\r\n\r\nたまに少しだけ見えることがありますが、それは偶然です(;^^)"));
  // The last byte is never looked at, even behind a final line end.
  EXPECT_EQ(Show("abc\x01").suffix, "");
  EXPECT_EQ(Show("abc\x01\r\n").suffix, "");
}

TEST(GlanceViewTest, HtmlIsRenderedOnlyWhenAskedAndNamedSo) {
  std::string html = "<html><title>Doc</title><body><p>Hello\r\nworld</p></body></html>";
  EXPECT_EQ(Show(html, "page.html", false).text, html);
  EXPECT_EQ(Show(html, "page.txt", true).text, html);
  EXPECT_EQ(Show(html, "PAGE.HTML", true).text, "[[ Doc  ]]\n\nHello world ");
  EXPECT_EQ(Show(html, "page.htm", true).text, "[[ Doc  ]]\n\nHello world ");
  // A binary .htm renders the message lines, which run together.
  GlanceContent bin = Show("\x01\x02\x03 <p>", "x.htm", true);
  EXPECT_EQ(bin.suffix, " (BINARY)");
  EXPECT_EQ(bin.text, S("バイナリファイルには対応してませんたまに少しだけ見えることがありますが、それは偶然です(;^^) "));
}

TEST(GlanceViewTest, FontSwitchReturnsToJapaneseOnTheSecondPress) {
  GlanceFonts fonts{"IPAGothic", 10, "DejaVu Sans Mono", 11};
  GlanceFont now = fonts.japanese();
  now = fonts.after(now);
  EXPECT_EQ(now, (GlanceFont{"DejaVu Sans Mono", 11, GlanceCharset::Ansi}));
  now = fonts.after(now);
  EXPECT_EQ(now, (GlanceFont{"IPAGothic", 10, GlanceCharset::ShiftJis}));
  EXPECT_EQ(PointsToPixels(9), 12);
}

TEST(GlanceViewTest, AddressesToOpen) {
  EXPECT_EQ(AddressToOpen({TokenKind::Mail, 0, 8, "mailto:x"}), "mailto:x");
  EXPECT_EQ(AddressToOpen({TokenKind::Mail, 0, 10, "taro@ex.jp"}), "mailto:taro@ex.jp");
  EXPECT_EQ(AddressToOpen({TokenKind::Web, 0, 13, "http://ex.jp/"}), "http://ex.jp/");
  EXPECT_EQ(AddressToOpen({}), "");
  // Only web and mail addresses reach the shell.
  EXPECT_EQ(AddressToOpen({TokenKind::Web, 0, 15, "file:///bin/sh"}), "");
}

TEST(GlanceViewTest, UnreadableFileIsAnErrorNotAnEmptyView) {
  TempHome home;
  std::string error;
  EXPECT_FALSE(LoadGlanceContent(home / "missing.txt", true, 80, &error));
  EXPECT_FALSE(error.empty());
  WriteFile(home / "a.txt", "text\n");
  auto c = LoadGlanceContent(home / "a.txt", true, 80, &error);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->text, "text");
}
