// The fast tokenizer and renderer against the earlier ones, and documents
// fed in blocks against the same documents fed whole.
#include <gtest/gtest.h>

#include <random>

#include "HtmlReference.h"
#include "platform/Codepage.h"
#include "support/TempHome.h"
#include "viewer/HtmlParse.h"
#include "viewer/HtmlRenderer.h"

using namespace kestrel;

namespace {

std::string Page(const std::string& shape, int bytes, int seed) {
  std::string out, err;
  int rc = test::RunCommand("perl " + test::ShellQuote(KESTREL_PAGES_SCRIPT) + " " + shape + " " +
                                std::to_string(bytes) + " " + std::to_string(seed),
                            &out, &err);
  EXPECT_EQ(rc, 0) << err;
  return out;
}

// Every event as one line, as the viewer's handlers would see them.
struct Recorder {
  std::string log;
  explicit Recorder(THtmlParse& parser) {
    parser.OnHtmlText = [this](THtmlParse&, const std::string& text) { log += "T:" + text + "\n"; };
    parser.OnHtmlTag = [this](THtmlParse&, const std::string& tag,
                              const std::vector<std::string>& options) {
      log += "G:" + tag;
      for (const std::string& o : options) log += "|" + o;
      log += "\n";
    };
  }
};

std::string EventsWhole(std::string_view html) {
  THtmlParse parser;
  Recorder recorder(parser);
  std::string rest = parser.ContentFromBytes(html);
  return recorder.log + "rest:" + rest;
}

// Fed in blocks cut at the given positions.
std::string EventsCut(std::string_view html, const std::vector<std::size_t>& cuts) {
  THtmlParse parser;
  Recorder recorder(parser);
  parser.Begin();
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    parser.Feed(html.substr(from, cut - from));
    from = cut;
  }
  parser.Feed(html.substr(from));
  std::string rest = parser.End();
  return recorder.log + "rest:" + rest;
}

// Bytes that change the tokenizer's or the renderer's state, strung
// together at random.
std::string Soup(std::mt19937& rng, std::size_t pieces) {
  static const std::vector<std::string> kPieces = {
      "<", ">", "<p>", "</p>", "<br>", "<h2 align=\"center\">", "</h2>", "<li>", "<hr>",
      "<td nowrap>", "</table>", "<title>", "</title>", "<script>", "</script>", "<style>",
      "</STYLE>", "<img src='a.gif'>", "<a href=\"x y.html\">", "</a>", "<font color=red size=2>",
      "&amp;", "&amp;quot;", "&amp;lt;", "&nbsp;", "&lt;", "&gt;", "&quot;", "&copy;", "&reg;",
      "&", "amp;", "quot;", ";", "\\", "\\<", "\"", "'", "=", " ", "  ", "\t", "\r", "\n", "\r\n",
      ".", "x", "Palm", "\x82\xA0", "\x83\x5C", "\x81", "\x8E", "\xA0", "\xB1", std::string(1, '\0'),
      "\x13", "\x81<", "\x82\r\n"};
  std::string s;
  std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
  for (std::size_t i = 0; i < pieces; ++i) s += kPieces[pick(rng)];
  return s;
}

}  // namespace

TEST(HtmlStreamTest, GeneratedPagesRenderAsBeforeByteForByte) {
  for (const char* shape : {"mix", "tags", "text", "table", "entity"}) {
    for (int seed : {1, 2}) {
      const std::string page = Page(shape, 200000, seed);
      ASSERT_GT(page.size(), 200000u) << shape;
      for (int width : {80, 15}) {
        EXPECT_EQ(RenderHtmlText(page, width), reference::RenderHtmlText(page, width))
            << shape << " seed " << seed << " width " << width;
      }
    }
  }
}

TEST(HtmlStreamTest, TrickyBytesRenderAsBefore) {
  std::mt19937 rng(17);
  for (int round = 0; round < 3000; ++round) {
    const std::string soup = Soup(rng, 1 + round % 60);
    ASSERT_EQ(RenderHtmlText(soup, 80), reference::RenderHtmlText(soup, 80)) << soup;
  }
  // Runs of lead bytes or backslashes of every length before a "<", a CR
  // or an entity, across the sixteen-byte steps of the scans: an odd run
  // takes the byte after it as its trail.
  for (const char* lead : {"\x81", "\\", "\xE0"}) {
    for (int count = 0; count < 40; ++count) {
      std::string run;
      for (int i = 0; i < count; ++i) run += lead;
      for (const char* after : {"<b>y", "\r\nz", "&amp;  w", "\x13v"}) {
        const std::string html = "x" + run + after + run + "<p>" + run;
        ASSERT_EQ(RenderHtmlText(html, 80), reference::RenderHtmlText(html, 80)) << html;
      }
    }
  }
  // Tag stretches of every length up to a byte of each kind, quoted or not.
  for (std::size_t count = 0; count < 40; ++count) {
    for (const char* after : {" ", "\"", "'", "=", "\\", "\x82\xA0", "\xA0", "\r", "\t", ">", "\x01"}) {
      const std::string name(count, 'q'), value(count, 'v');
      const std::string html = "<img " + name + after + " Src=" + value + after + "z alt=\"" +
                               value + after + "\" sRc='" + name + after + "'>";
      ASSERT_EQ(RenderHtmlText(html, 80), reference::RenderHtmlText(html, 80)) << html;
    }
  }
  // The same before the end of a tag that does nothing, whose options go
  // unread: quotes and pairs decide which ">" ends it; and after an image's
  // SRC and a rendering tag's first option, whose later options go unread.
  for (std::size_t count = 0; count < 40; ++count) {
    for (const char* after : {" ", "\"", "'", "\\", "\x82>", "\x81\\", "\xA0", "\r", ">", "\\>"}) {
      const std::string name(count, 'q');
      const std::string html = "<font " + name + after + " color=\"" + name + after + "\">a<a " +
                               name + "='" + after + "'" + after + ">b<p>";
      ASSERT_EQ(RenderHtmlText(html, 80), reference::RenderHtmlText(html, 80)) << html;
      const std::string rendering = "<img src=" + name + after + " alt=\"" + name + after +
                                    "\">a<td " + name + "='" + after + "'" + after + " x>b<p>";
      ASSERT_EQ(RenderHtmlText(rendering, 80), reference::RenderHtmlText(rendering, 80)) << rendering;
    }
  }
  // Entity names cut short or ending in another byte, with room after them
  // or none.
  for (std::string name : {"&nbsp;", "&lt;", "&gt;", "&amp;", "&quot;", "&copy;", "&reg;"}) {
    for (std::size_t keep = 1; keep <= name.size(); ++keep) {
      for (const char* last : {"", "x", ";", " "}) {
        for (const char* after : {"", "12345678"}) {
          const std::string html = "a" + name.substr(0, keep) + last + after + "&amp" + name;
          ASSERT_EQ(RenderHtmlText(html, 80), reference::RenderHtmlText(html, 80)) << html;
        }
      }
    }
  }
  // Entities as the replacements one after the other leave them.
  EXPECT_EQ(RenderHtmlText("&amp;quot;&amp;amp;quot;&amp;&quot;&amp;copy;&amp;nbsp;", 80),
            "\"&amp;quot;&\"(C)&nbsp; ");
}

TEST(HtmlStreamTest, EverySplitOfTrickySamplesGivesTheWholeDocumentsEvents) {
  const std::vector<std::string> samples = {
      Utf8ToCp932("<p>日本語\r\nテキスト表<a href=\"x.html\">リンク</a>&amp;&nbsp;x</p>"),
      "a\x81<b>\\<c\r\n\r<td\r\nnowrap\ralign='r\\'ight'>\x83\x5C\x5C<", "x<a href=foo",
      "<a title=\"x>y", "a\x81", "<b\\", "&amp;lt;\r\r\n\n", std::string("x\x13y\0z<\0>", 8)};
  for (const std::string& sample : samples) {
    const std::string whole = EventsWhole(sample);
    for (std::size_t cut = 0; cut <= sample.size(); ++cut) {
      EXPECT_EQ(EventsCut(sample, {cut}), whole) << "cut at " << cut << " of " << sample;
    }
    std::vector<std::size_t> bytes;  // one byte a block
    for (std::size_t i = 1; i < sample.size(); ++i) bytes.push_back(i);
    EXPECT_EQ(EventsCut(sample, bytes), whole) << sample;
  }
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    const std::string soup = Soup(rng, 40);
    const std::string whole = EventsWhole(soup);
    for (std::size_t cut = 0; cut <= soup.size(); ++cut) {
      ASSERT_EQ(EventsCut(soup, {cut}), whole) << "cut at " << cut << " of " << soup;
    }
  }
}

TEST(HtmlStreamTest, LongRunsComeInTheSamePiecesWhateverTheBlocks) {
  // Pieces of the token buffer fall where they fall in the whole document,
  // double-byte characters kept whole, across blocks of 4096 bytes.
  std::string dbcs = Utf8ToCp932("表");
  std::string text = std::string(THtmlParse::kMaxToken - 1, 'a') + dbcs + std::string(70000, 'b') +
                     "\r\n" + dbcs + "<img src=" + std::string(150000, 'x') + dbcs + " alt=y>";
  std::vector<std::size_t> cuts;
  for (std::size_t at = 4096; at < text.size(); at += 4096) cuts.push_back(at);
  EXPECT_EQ(EventsCut(text, cuts), EventsWhole(text));
  cuts = {THtmlParse::kMaxToken - 1, THtmlParse::kMaxToken, THtmlParse::kMaxToken + 1};
  EXPECT_EQ(EventsCut(text, cuts), EventsWhole(text));
}

TEST(HtmlStreamTest, EverySplitOfTrickySamplesRendersAsTheWhole) {
  // Tags that do nothing, and tags whose later options go unread, cut
  // anywhere: their end may lie in a later block.
  const std::vector<std::string> samples = {
      "x<font color=\"a>b\" size='2'>y<a href=x\\>z>w</a><p>", "<span id=\x82> a>t<br>",
      "<div class=\"c\x81\\\">q\">r", "<a href=foo", "<a title=\"x>y", "<!-- a\r\n<b> -->c",
      "<font \\", "<font size=\x81", "<img alt=\"a>\" src='b>' w=\\>>c<td x y>", "<=\nTITLE>>>"};
  for (const std::string& sample : samples) {
    const std::string whole = reference::RenderHtmlText(sample, 80);
    for (std::size_t cut = 0; cut <= sample.size(); ++cut) {
      THtmlParse parser;
      HtmlRenderer renderer(80);
      renderer.Attach(parser);
      parser.Begin();
      parser.Feed(std::string_view(sample).substr(0, cut));
      parser.Feed(std::string_view(sample).substr(cut));
      parser.End();
      EXPECT_EQ(renderer.RenderedText(), whole) << "cut at " << cut << " of " << sample;
    }
  }
}

TEST(HtmlStreamTest, RenderedTextTakenPieceByPieceAddsUpToTheWhole) {
  const std::string page = Page("mix", 100000, 3);
  THtmlParse parser;
  HtmlRenderer renderer(40);
  renderer.Attach(parser);
  parser.Begin();
  std::string pieces;
  for (std::size_t at = 0; at < page.size(); at += 1000) {
    parser.Feed(std::string_view(page).substr(at, 1000));
    pieces += renderer.TakeRenderedText();
  }
  parser.End();
  pieces += renderer.TakeRenderedText();
  EXPECT_EQ(pieces, RenderHtmlText(page, 40));
  EXPECT_TRUE(renderer.RenderedText().empty());
}
