// kestrel-tool html2text and shape, run as a user would run them.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "support/TempHome.h"
#include "viewer/HtmlRenderer.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

int Tool(const std::string& args, std::string* out, std::string* err = nullptr,
         const std::string& input = "") {
  return RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " " + args, out, err, input);
}

std::string S(std::string_view utf8) { return Utf8ToCp932(utf8); }

}  // namespace

TEST(TextVerbsTest, ShapeUsesTheDefaultsOrTheNamedUserAndTheOptionsOverThem) {
  TempHome home;
  std::string out;
  const std::string text = S("  ｶﾞｲﾄﾞ　ＡＢＣ１２３！\nﾊﾟｿｺﾝ･ﾃﾞｰﾀ");
  ASSERT_EQ(Tool("shape", &out, nullptr, text), 0);
  EXPECT_EQ(out, S("ガイド ABC123!\r\nパソコン・データ\r\n"));

  // A user who keeps katakana as they are, widens letters, keeps blanks and
  // maps the middle dot to a star; the other values are absent.
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser,
                          "Software\\Tolva\\Kestrel+\\Users\\Taro Y", true);
  key->writeDword("ConvKana", 0);
  key->writeDword("ConvAlpha", 1);
  key->writeBool("Trim", false);
  key->writeString("HanUserDef2", "･ ");
  key->writeString("ZenUserDef2", "★");
  key->flush();
  WriteFile(home / "memo.txt", text);
  ASSERT_EQ(Tool("shape --user 'Taro Y' " + ShellQuote(home / "memo.txt"), &out), 0);
  EXPECT_EQ(out, S("  ｶﾞｲﾄﾞ ＡＢＣ１２３!\r\nﾊﾟｿｺﾝ★ﾃﾞｰﾀ\r\n"));

  // Options win over the stored values, wherever they stand.
  ASSERT_EQ(Tool("shape --alpha 2 --trim --user 'Taro Y' --kana 1 --user1 0 --user2 0",
                 &out, nullptr, text),
            0);
  EXPECT_EQ(out, S("ガイド　ABC123！\r\nパソコン･データ\r\n"));
  ASSERT_EQ(Tool("shape --join", &out, nullptr, S("これは\nテストです。\n次の行\n")), 0);
  EXPECT_EQ(out, S("これはテストです.\r\n次の行\r\n"));  // user table 1 halves 。
}

TEST(TextVerbsTest, ShapeRefusesBadInputClearly) {
  TempHome home;
  std::string out;
  std::string err;
  EXPECT_EQ(Tool("shape --user Nobody", &out, &err, "x"), 2);
  EXPECT_NE(err.find("no user \"Nobody\""), std::string::npos) << err;
  EXPECT_EQ(out, "");
  // Reading a user never creates its key.
  EXPECT_FALSE(TheRegistry().keyExists(Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Users\\Nobody"));
  EXPECT_EQ(Tool("shape --kana full", &out, &err, "x"), 2);
  EXPECT_NE(err.find("--kana needs a number"), std::string::npos) << err;
  EXPECT_EQ(Tool("shape " + ShellQuote(home / "missing.txt"), &out, &err), 2);
  EXPECT_NE(err.find("cannot read"), std::string::npos) << err;
}

TEST(TextVerbsTest, Html2TextPrintsTheRenderedLines) {
  TempHome home;
  WriteFile(home / "page.html", "<title>Doc</title><p>Hello\r\nworld<hr>" + S("<li>日本語"));
  std::string out;
  ASSERT_EQ(Tool("html2text --width 15 " + ShellQuote(home / "page.html"), &out), 0);
  EXPECT_EQ(out, "[[ Doc  ]]\n\nHello world \n" + std::string(15, '-') + "\n" + S("・日本語") + "\n");
  ASSERT_EQ(Tool("html2text", &out, nullptr, "<hr>"), 0);
  EXPECT_EQ(out, "\n" + std::string(60, '-') + "\n");
  std::string err;
  EXPECT_EQ(Tool("html2text --width 0", &out, &err, "x"), 2);
  EXPECT_EQ(Tool("html2text --width", &out, &err, "x"), 2);
}

TEST(TextVerbsTest, Html2TextOfAPageLargerThanABlockIsTheWholeRendering) {
  TempHome home;
  // Line ends, a title and a script cut by the block boundaries somewhere.
  std::string page = "<title>T</title>";
  for (int i = 0; page.size() < 300000; ++i) {
    page += S("<p>段落 ") + std::to_string(i) + " &amp; <font color=red>x</font>\r\n<br>" +
            (i % 50 == 0 ? "<script>if (a<b) x();\r\n</script>\r" : "") + "<hr>\r\n";
  }
  WriteFile(home / "big.html", page);
  std::string out;
  ASSERT_EQ(Tool("html2text --width 30 " + ShellQuote(home / "big.html"), &out), 0);
  std::string expected;
  for (const std::string& line : SplitHtmlLines(RenderHtmlText(page, 30))) expected += line + "\n";
  EXPECT_TRUE(out == expected);
  std::string err;
  EXPECT_EQ(Tool("html2text " + ShellQuote(home / "nowhere.html"), &out, &err), 2);
  EXPECT_NE(err.find("cannot read"), std::string::npos) << err;
}
