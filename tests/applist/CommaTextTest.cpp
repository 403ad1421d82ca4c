// The comma text of AppList lines: what every later field position rests on.
#include <gtest/gtest.h>

#include "applist/AppListEntry.h"
#include "applist/CommaText.h"
#include "platform/Codepage.h"

using kestrel::AppListEntry;
using kestrel::DateNumber;
using kestrel::FirstCommaField;
using kestrel::QuoteCommaField;
using kestrel::SplitCommaText;
using Fields = std::vector<std::string>;

namespace {

TEST(CommaTextTest, UnquotedBlanksStartNewFieldsAndShiftTheRest) {
  EXPECT_EQ(SplitCommaText("Vexed.prc,appl,Puzzle"), (Fields{"Vexed.prc", "appl", "Puzzle"}));
  // The description's blank makes two fields of it: the link moves to 4.
  AppListEntry e("Vexed.prc,appl,Sliding puzzle,http://vexed.example/");
  EXPECT_EQ(e.fieldCount(), 5);
  EXPECT_EQ(e.field(2), "Sliding");
  EXPECT_EQ(e.field(3), "puzzle");
  EXPECT_EQ(e.field(4), "http://vexed.example/");
}

TEST(CommaTextTest, QuotedFieldsKeepCommasBlanksAndDoubledQuotes) {
  EXPECT_EQ(SplitCommaText(R"("Vexed.prc","appl","Say ""hi"", then go","x")"),
            (Fields{"Vexed.prc", "appl", R"(Say "hi", then go)", "x"}));
  EXPECT_EQ(SplitCommaText(R"("""")"), Fields{"\""});
  EXPECT_EQ(SplitCommaText(R"("",b)"), (Fields{"", "b"}));
  // A quoted field followed by text without a comma: the text is the next field.
  EXPECT_EQ(SplitCommaText(R"("a"b,c)"), (Fields{"a", "b", "c"}));
}

TEST(CommaTextTest, BlanksAroundFieldsAndEmptyFields) {
  EXPECT_EQ(SplitCommaText(" \t a ,  b\t,c  "), (Fields{"a", "b", "c"}));
  EXPECT_EQ(SplitCommaText("a,,c"), (Fields{"a", "", "c"}));
  EXPECT_EQ(SplitCommaText(",a"), (Fields{"", "a"}));
  // A comma at the end adds nothing; nor do blanks after it.
  EXPECT_EQ(SplitCommaText("a,"), Fields{"a"});
  EXPECT_EQ(SplitCommaText("a,  "), Fields{"a"});
  EXPECT_TRUE(SplitCommaText("").empty());
  EXPECT_TRUE(SplitCommaText(" \x01\x1f ").empty());
  EXPECT_TRUE(AppListEntry("").empty());
  EXPECT_EQ(AppListEntry("").field(0), "");
}

TEST(CommaTextTest, DoubleByteCharactersAreSteppedOverWhole) {
  // 表 and ソ end in 0x5C; ー (0x81 0x5B) and a katakana with trail 0x40.
  std::string sjis = kestrel::Utf8ToCp932("表示ソフト,説明ー,\"引用ァ\"");
  Fields f = SplitCommaText(sjis);
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(kestrel::Cp932ToUtf8(f[0]), "表示ソフト");
  EXPECT_EQ(kestrel::Cp932ToUtf8(f[1]), "説明ー");
  EXPECT_EQ(kestrel::Cp932ToUtf8(f[2]), "引用ァ");
  // A lead byte at the very end stays, alone.
  EXPECT_EQ(SplitCommaText("ab\x81"), Fields{"ab\x81"});
  EXPECT_EQ(SplitCommaText("\"ab\x81"), Fields{"ab\x81"});
  // A lead byte before a comma, blank or quote is no character: the
  // separator still separates and nothing is swallowed.
  EXPECT_EQ(SplitCommaText("a\x81,b"), (Fields{"a\x81", "b"}));
  EXPECT_EQ(SplitCommaText("\"a\x81\",b"), (Fields{"a\x81", "b"}));
  EXPECT_EQ(SplitCommaText(QuoteCommaField("x\x81\"y")), Fields{"x\x81\"y"});
}

TEST(CommaTextTest, AnUnmatchedQuoteTakesTheRestOfTheLine) {
  EXPECT_EQ(SplitCommaText(R"(a,"b, c)"), (Fields{"a", "b, c"}));
  EXPECT_EQ(SplitCommaText("\""), Fields{""});
}

TEST(CommaTextTest, ZeroBytesStayInsideTheirField) {
  std::string line("a\0b,c", 5);
  Fields f = SplitCommaText(line);
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0], std::string("a\0b", 3));
  EXPECT_EQ(f[1], "c");
  // Inside a long field too, where the bytes are looked at eight at a time,
  // and with the comma in the same eight.
  std::string longer("abcdefg\0hij,klmnopqrst,u", 24);
  std::string_view views[3];
  std::string scratch;
  ASSERT_EQ(kestrel::CommaFieldViews(longer, views, 3, scratch), 3);
  EXPECT_EQ(views[0], std::string_view("abcdefg\0hij", 11));
  EXPECT_EQ(views[1], "klmnopqrst");
  EXPECT_EQ(views[2], "u");
}

TEST(CommaTextTest, AFieldEndsAtItsFirstCommaOrBlankWhereverThatFalls) {
  // Bytes that end nothing (a zero byte, lead and high bytes, DEL) before
  // the end, at every place of the eight- and sixteen-byte steps.
  const std::string filler("a\0\x81\xA0\xFF~\x7F\"", 8);
  for (char end : {',', ' ', '\t', '\x01'}) {
    for (std::size_t size = 1; size < 40; ++size) {
      std::string field;
      for (std::size_t i = 0; i < size; ++i) field += filler[i % filler.size()];
      if (field[0] == '"') field[0] = 'q';  // a quote only inside
      SCOPED_TRACE(testing::Message() << int(end) << " after " << size);
      EXPECT_EQ(SplitCommaText(field + end + "next"), (Fields{field, "next"}));
      EXPECT_EQ(SplitCommaText(field), Fields{field});
    }
  }
}

TEST(CommaTextTest, FirstFieldAgreesWithTheSplitter) {
  for (const char* line : {"", "  ", "a b", "\"x,y\",z", ",a", "\"", "\"\"\"\"q", "abc"}) {
    Fields f = SplitCommaText(line);
    EXPECT_EQ(FirstCommaField(line), f.empty() ? "" : f[0]) << line;
  }
}

TEST(CommaTextTest, QuotedFieldsReadBackAsWritten) {
  for (std::string text : {std::string("plain"), std::string("with \"quotes\", commas"),
                           std::string(""), kestrel::Utf8ToCp932("表示\"ソ\"")}) {
    EXPECT_EQ(SplitCommaText(QuoteCommaField(text)), Fields{text});
  }
  EXPECT_EQ(AppListEntry::MyAppListLine("a.prc", "appl", "A \"b\"", ""),
            R"("a.prc","appl","A ""b""","")");
}

TEST(DateNumberTest, ThreeNumbersMakeTheNumberAndATimeIsIgnored) {
  EXPECT_EQ(DateNumber("2000/01/31"), 20000131);
  EXPECT_EQ(DateNumber("0000/00/00"), 0);
  EXPECT_EQ(DateNumber("2000/05/01 23:59:59"), 20000501);
  EXPECT_EQ(DateNumber("2000/5/1"), 20000501);
}

TEST(DateNumberTest, TextsThatAreNoDateGiveNothing) {
  for (const char* text : {"", "2000/05", "2000-05-01", "yesterday", "2000/05/xx",
                           "99999999999/01/01", "2000/0x1/01", "\x81"}) {
    EXPECT_EQ(DateNumber(text), std::nullopt) << text;
  }
}

}  // namespace

namespace {

TEST(CommaTextTest, FieldViewsAreTheSplitFieldsAsFarAsAsked) {
  const char* lines[] = {
      R"("Vexed.prc","appl","Say ""hi"", then go","x","say ""a""",b,c)",
      " \t a ,  b\t,c  ", "a,,c", ",a", "a,", "", " \x01 ", R"("a"b,c)", "\"ab\x81", R"("""",""""")",
  };
  std::string scratch;
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    Fields all = SplitCommaText(line);
    for (int max : {1, 3, 6}) {
      std::string_view views[6];
      int n = kestrel::CommaFieldViews(line, views, max, scratch);
      ASSERT_EQ(n, std::min<int>(max, static_cast<int>(all.size())));
      for (int i = 0; i < n; ++i) EXPECT_EQ(views[i], all[static_cast<std::size_t>(i)]) << i;
    }
  }
}

}  // namespace
