#include "viewer/HtmlParse.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/Codepage.h"
#include "support/TempHome.h"

using namespace kestrel;

namespace {

// Records the events as one line each: "T:text" or "G:TAG|option|option".
struct Recorder {
  std::vector<std::string> events;
  std::vector<std::string> texts;
  std::vector<std::vector<std::string>> options;

  explicit Recorder(THtmlParse& parser) {
    parser.OnHtmlText = [this](THtmlParse&, const std::string& text) {
      events.push_back("T:" + text);
      texts.push_back(text);
    };
    parser.OnHtmlTag = [this](THtmlParse&, const std::string& tag,
                              const std::vector<std::string>& opts) {
      std::string line = "G:" + tag;
      for (const std::string& o : opts) line += "|" + o;
      events.push_back(line);
      options.push_back(opts);
    };
  }
};

std::vector<std::string> Parse(std::string_view html, std::string* stoppedIn = nullptr) {
  THtmlParse parser;
  Recorder recorder(parser);
  std::string rest = parser.ContentFromBytes(html);
  if (stoppedIn) *stoppedIn = rest;
  return recorder.events;
}

using Events = std::vector<std::string>;

}  // namespace

TEST(HtmlParseTest, TagNamesAndOptionNamesAreUpperCasedValuesKeepTheirCase) {
  EXPECT_EQ(Parse("<TD NOWRAP ALIGN=right>"), (Events{"G:TD|NOWRAP|ALIGN=right"}));
  EXPECT_EQ(Parse("<img src='Logo.gif'>"), (Events{"G:IMG|SRC=Logo.gif"}));
  EXPECT_EQ(Parse("<a\thref=\"My Page.html\"\r\ntitle=x=Y>"),
            (Events{"G:A|HREF=My Page.html|TITLE=x=Y"}));
  // A comment is a tag like any other.
  EXPECT_EQ(Parse("<!-- x -->"), (Events{"G:!--|X|--"}));
  // A backslash keeps the next byte literally: no quote toggling, no tag end.
  EXPECT_EQ(Parse("<p title=a\\\"b\\>c>"), (Events{"G:P|TITLE=a\"b>c"}));
  // An empty tag is still raised; a bare value after the name is an option.
  EXPECT_EQ(Parse("<>x< br  clear >"), (Events{"G:", "T:x", "G:BR|CLEAR"}));
  // The trail byte 0x61 of ヂ is not upper-cased into another character.
  std::string kana = Utf8ToCp932("ヂ");
  ASSERT_EQ(kana, "\x83\x61");
  EXPECT_EQ(Parse("<a" + kana + "b>"), (Events{"G:A" + kana + "B"}));
  // The same at every offset in a long tag: an "=" in quotes makes no
  // option but still ends the upper-casing, blanks and ">" in quotes are
  // kept.
  for (std::size_t pad = 1; pad < 40; ++pad) {
    const std::string blanks(pad, ' '), word(pad, 'w'), upper(pad, 'W');
    EXPECT_EQ(Parse("<\"a=b\"" + blanks + "x" + word + "=\"b=c d>\"" + blanks + "'q\tr'=s" + word +
                    "\n" + word + ">"),
              (Events{"G:A=b|X" + upper + "=b=c d>|Q\tR=s" + word + "|" + upper}))
        << pad;
  }
}

TEST(HtmlParseTest, TextRunsEndAtTagsNulAnd0x13AndFoldCrLf) {
  EXPECT_EQ(Parse("a\r\nb\rc<b>d</b>"), (Events{"T:a\nb\rc", "G:B", "T:d", "G:/B"}));
  EXPECT_EQ(Parse(std::string("x\x13y\0z", 5)), (Events{"T:x", "T:y", "T:z"}));
  // A double-byte character whose trail byte is a backslash stays whole.
  std::string hyo = Utf8ToCp932("表");
  EXPECT_EQ(Parse(hyo + "<i>"), (Events{"T:" + hyo, "G:I"}));
  // Half-width katakana are single bytes: the "<" after one opens a tag.
  std::string kana = Utf8ToCp932("ｱ");
  EXPECT_EQ(Parse(kana + "<i>"), (Events{"T:" + kana, "G:I"}));
}

TEST(HtmlParseTest, UnterminatedTagAtTheEndComesOutAsText) {
  std::string stopped;
  EXPECT_EQ(Parse("x<a href=foo", &stopped), (Events{"T:x", "T:HREF=foo"}));
  EXPECT_EQ(stopped, "A");
  // An unbalanced quote runs to the end.
  EXPECT_EQ(Parse("<a title=\"x>y", &stopped), (Events{"T:TITLE=x>y"}));
  EXPECT_EQ(stopped, "A");
  // A lead byte or backslash as the very last byte is kept alone.
  EXPECT_EQ(Parse("a\x81"), (Events{"T:a\x81"}));
  EXPECT_EQ(Parse("<b\\"), (Events{"T:B\\"}));
  EXPECT_EQ(Parse("<b>", &stopped), (Events{"G:B"}));
  EXPECT_EQ(stopped, "");
}

TEST(HtmlParseTest, TerminateStopsBeforeTheNextToken) {
  THtmlParse parser;
  Recorder recorder(parser);
  auto record = parser.OnHtmlTag;
  parser.OnHtmlTag = [&](THtmlParse& sender, const std::string& tag,
                         const std::vector<std::string>& options) {
    record(sender, tag, options);
    if (tag == "STOP") sender.Terminate();
  };
  parser.ContentFromBytes("a<stop>b<c>");
  EXPECT_EQ(recorder.events, (Events{"T:a", "G:STOP"}));
  // A new run starts afresh.
  parser.ContentFromBytes("d");
  EXPECT_EQ(recorder.events.back(), "T:d");
  // The same with room after each "<" for the name to be read in one step,
  // and stopped by a text handler.
  const std::string more(20, ' ');
  recorder.events.clear();
  parser.ContentFromBytes("a<stop>b<c>" + more);
  EXPECT_EQ(recorder.events, (Events{"T:a", "G:STOP"}));
  // The next tag right after the one that stops, done with or not.
  for (const char* after : {"<c>", "<b class=x>"}) {
    recorder.events.clear();
    EXPECT_EQ(parser.ContentFromBytes("<stop>" + std::string(after) + "<d>" + more), "");
    EXPECT_EQ(recorder.events, (Events{"G:STOP"})) << after;
  }
  THtmlParse byText;
  Recorder texts(byText);
  auto text = byText.OnHtmlText;
  byText.OnHtmlText = [&](THtmlParse& sender, const std::string& run) {
    text(sender, run);
    if (run == "b") sender.Terminate();
  };
  EXPECT_EQ(byText.ContentFromBytes("a<p>b<c>" + more), "");
  EXPECT_EQ(texts.events, (Events{"T:a", "G:P", "T:b"}));
}

TEST(HtmlParseTest, LongRunsAndTokensComeInPiecesWithNothingLost) {
  // 65534 bytes, then a double-byte character that does not fit whole.
  std::string dbcs = Utf8ToCp932("表");
  std::string text = std::string(THtmlParse::kMaxToken - 1, 'a') + dbcs + std::string(70000, 'b');
  THtmlParse parser;
  Recorder recorder(parser);
  parser.ContentFromBytes(text + "<p>");
  std::string joined;
  for (const std::string& piece : recorder.texts) {
    EXPECT_LE(piece.size(), THtmlParse::kMaxToken);
    joined += piece;
  }
  EXPECT_EQ(joined, text);
  ASSERT_GE(recorder.texts.size(), 3u);
  EXPECT_EQ(recorder.texts[0].size(), THtmlParse::kMaxToken - 1);  // not cut inside 表
  EXPECT_EQ(recorder.events.back(), "G:P");

  // An option value longer than the buffer: every byte arrives, in pieces.
  std::string value(150000, 'x');
  recorder.events.clear();
  parser.ContentFromBytes("<img src=" + value + " alt=y>");
  ASSERT_EQ(recorder.options.size(), 2u);
  std::vector<std::string> pieces = recorder.options[1];
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces.back(), "ALT=y");
  pieces.pop_back();
  std::string src;
  for (const std::string& piece : pieces) {
    EXPECT_LE(piece.size(), THtmlParse::kMaxToken);
    src += piece;
  }
  EXPECT_EQ(src, "SRC=" + value);
}

TEST(HtmlParseTest, DocumentComesFromTheLinesOrFromTheFile) {
  test::TempHome home;
  THtmlParse parser;
  Recorder recorder(parser);
  parser.SetHtmlDoc({"<b>one", "two</b>"});
  parser.Content();
  EXPECT_EQ(recorder.events, (Events{"G:B", "T:one\ntwo", "G:/B"}));

  test::WriteFile(home / "page.html", "<i>file</i>");
  parser.SetFileName(home / "page.html");
  EXPECT_TRUE(parser.HtmlDoc().empty());
  recorder.events.clear();
  parser.Content();
  EXPECT_EQ(recorder.events, (Events{"G:I", "T:file", "G:/I"}));

  std::istringstream stream("<u>s");
  recorder.events.clear();
  EXPECT_EQ(parser.ContentFromStream(stream), "");
  EXPECT_EQ(recorder.events, (Events{"G:U", "T:s"}));

  parser.SetHtmlDoc({"x"});
  EXPECT_EQ(parser.FileName(), "");
  parser.SetFileName(home / "missing.html");
  EXPECT_THROW(parser.Content(), HtmlFileError);
}

TEST(HtmlParseTest, OptionsAfterTheLastOneWantedGoUnread) {
  THtmlParse parser;
  Recorder recorder(parser);
  parser.EnoughOptions = [](std::string_view tag, std::string_view option) {
    return tag != "IMG" || option.substr(0, 4) == "SRC=";
  };
  // The rest up to the ">" that ends the tag, quotes and pairs read; with
  // no end in the bytes the tag is read on and its last token is text.
  parser.ContentFromBytes("<img alt=a src=x.gif width='1>' h=\\>2>t<img src=y.gif>u<img src=q.gif alt=c");
  EXPECT_EQ(recorder.events,
            (Events{"G:IMG|ALT=a|SRC=x.gif", "T:t", "G:IMG|SRC=y.gif", "T:u", "T:ALT=c"}));
  // An option before the name is read on: the name is still to come.
  recorder.events.clear();
  parser.ContentFromBytes("<src=a img src=b alt=c>");
  EXPECT_EQ(recorder.events, (Events{"G:IMG|SRC=a|SRC=b"}));
}

TEST(HtmlParseTest, TextViewsGiveTheRunsTheTextEventsGive) {
  const std::string more(20, ' ');
  const std::string kanji = Utf8ToCp932("表");
  const std::string longRun(70000, 'w');
  const struct {
    std::string html;
    std::vector<std::string> runs;
  } cases[] = {
      {"a<b>c\r\nd<e>" + more, {"a", "c\nd", more}},
      {std::string("x\x13y\0z<p>", 9) + more, {"x", "y", "z", more}},
      {kanji + "<p>\\<" + more + "<", {kanji, "\\<" + more}},
      {"tail", {"tail"}},
      {longRun + "<p>", {longRun.substr(0, THtmlParse::kMaxToken), longRun.substr(THtmlParse::kMaxToken)}},
  };
  for (const auto& c : cases) {
    THtmlParse parser;
    std::vector<std::string> views, texts;
    parser.OnHtmlTextView = [&](THtmlParse&, std::string_view text) { views.emplace_back(text); };
    parser.OnHtmlText = [&](THtmlParse&, const std::string& text) { texts.push_back(text); };
    parser.ContentFromBytes(c.html);
    EXPECT_EQ(views, c.runs) << c.html.substr(0, 40);
    EXPECT_EQ(texts, c.runs) << c.html.substr(0, 40);
  }
}
