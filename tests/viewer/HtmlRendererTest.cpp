#include "viewer/HtmlRenderer.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"

using namespace kestrel;

namespace {

std::string Render(std::string_view html, int width = 80) { return RenderHtmlText(html, width); }

}  // namespace

TEST(HtmlRendererTest, LinesRunTogetherWithFoldedSpaces) {
  EXPECT_EQ(Render("<p>Hello\r\nworld</p>"), "\n\nHello world ");
  EXPECT_EQ(Render("x  y"), "x y ");
  EXPECT_EQ(Render("x&nbsp;&nbsp;y"), "x  y ");
  // A line ending in "." or a space gets no extra space; empty and blank
  // lines are dropped.
  EXPECT_EQ(Render("End.\n \n\t\nnext "), "End.next ");
  // Japanese text runs together; a half-width katakana is a single byte.
  EXPECT_EQ(Render(Utf8ToCp932("日本\r\n語\nｶﾅ\nx")), Utf8ToCp932("日本語ｶﾅ x "));
}

TEST(HtmlRendererTest, OnlyTheListedEntitiesAreDecodedOnce) {
  EXPECT_EQ(Render("a&amp;lt;b"), "a&lt;b ");
  EXPECT_EQ(Render("&lt;&gt;&quot;&copy;&reg;&eacute;&LT;"), "<>\"(C)(R)&eacute;&LT; ");
}

TEST(HtmlRendererTest, ScriptsAndStylesAreSkippedWithTheirTags) {
  EXPECT_EQ(Render("a<script>if (a<b) x();<br>\n</script>b<STYLE>p{}<p></style>c"), "a b c ");
}

TEST(HtmlRendererTest, StructureTagsBecomeBreaksAndMarkers) {
  EXPECT_EQ(Render("x<h2>Title</h2>"), "x \n\n[| Title  |]\n");
  EXPECT_EQ(Render("a<br><br><br>b"), "a \n\nb ");
  EXPECT_EQ(Render("a<p><p>b</p>"), "a \n\nb ");
  EXPECT_EQ(Render("<title>T</title><ul><li>a<li>b</ul>c"),
            Utf8ToCp932("[[ T  ]]\n\n・a \n・b \n\nc "));
  EXPECT_EQ(Render("<img src='Logo.gif'><IMG ALT=x><img Src=\"\">"), "<Image:Logo.gif> ");
  EXPECT_EQ(Render("<td>a<td>b</table><blink>c"), "\na \nb \nc ");
}

TEST(HtmlRendererTest, RuleLengthFollowsTheWrapWidth) {
  EXPECT_EQ(Render("<hr>", 80), "\n" + std::string(60, '-') + "\n");
  EXPECT_EQ(Render("<hr>", 15), "\n" + std::string(15, '-') + "\n");
  EXPECT_EQ(Render("<hr>", 20), "\n" + std::string(20, '-') + "\n");
  EXPECT_EQ(Render("<hr>", 21), "\n-\n");
  EXPECT_EQ(Render("<br><br><hr>", 22), "\n\n--\n");
}

TEST(HtmlRendererTest, ViewerLinesInRenderedLinesOut) {
  std::vector<std::string> lines = {"<title>Doc</title>", "<h1>Head</h1>", "one", "two<br>three"};
  EXPECT_EQ(RenderHtmlLines(lines, 80),
            (std::vector<std::string>{"[[ Doc  ]]", "", "[| Head  |]", "one two ", "three "}));
  EXPECT_EQ(SplitHtmlLines("a\r\nb\rc\n\nd\n"), (std::vector<std::string>{"a", "b", "c", "", "d"}));
}
