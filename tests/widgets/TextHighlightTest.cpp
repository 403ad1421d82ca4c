#include "widgets/TextHighlight.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "widgets/TextTokens.h"

using namespace kestrel;

namespace {

std::string S(std::string_view utf8) { return Utf8ToCp932(utf8); }

// The style of the byte where `what` first starts in the line.
TextStyle StyleOf(const std::vector<StyledRun>& runs, const std::string& line, const std::string& what) {
  std::size_t at = line.find(what);
  EXPECT_NE(at, std::string::npos) << what;
  for (const StyledRun& r : runs) {
    if (at >= r.start && at < r.start + r.length) return r.style;
  }
  ADD_FAILURE() << "no run covers " << at;
  return {};
}

const TextStyle kPlain{colors::kBlack};
const TextStyle kTitle{colors::kBlack, true, true};
const TextStyle kHeading{colors::kBlack, true, false};
const TextStyle kImage{colors::kBlue, false, true};
const TextStyle kTag{colors::kPurple};
const TextStyle kAddress{colors::kBlue, false, true};
const TextStyle kWord{colors::kMaroon, true, false};

HighlightRules ViewerLike() {
  HighlightRules r;
  r.text = kPlain;
  r.spans = {{"[[", "]]", kTitle}, {"[|", "|]", kHeading}, {"<Image:", ">", kImage}, {"<", ">", kTag}};
  r.words = {"Freeware", S("シェアウェア"), S("フリーソフト")};
  r.wordStyle = kWord;
  r.addressStyle = kAddress;
  return r;
}

}  // namespace

TEST(TextTokensTest, WebAndMailAddressesWithTheirExtents) {
  std::string line = S("見てhttp://example.com/a?b=1。連絡はtaro@example.co.jpまで");
  auto tokens = FindTokens(line);
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0].kind, TokenKind::Web);
  EXPECT_EQ(tokens[0].start, 4u);
  EXPECT_EQ(tokens[0].text, "http://example.com/a?b=1");
  EXPECT_EQ(tokens[1].kind, TokenKind::Mail);
  EXPECT_EQ(tokens[1].text, "taro@example.co.jp");
  EXPECT_EQ(tokens[1].start, line.find("taro"));
  EXPECT_EQ(tokens[1].length, 18u);

  // Closing punctuation is not part of an address; a balanced ")" is.
  EXPECT_EQ(FindTokens("(see https://x.org/a_(b)).")[0].text, "https://x.org/a_(b)");
  EXPECT_EQ(FindTokens("mail me: a.b@c.jp.")[0].text, "a.b@c.jp");
  auto mailto = FindTokens("write to mailto:x now");
  ASSERT_EQ(mailto.size(), 1u);
  EXPECT_EQ(mailto[0].kind, TokenKind::Mail);
  EXPECT_EQ(mailto[0].text, "mailto:x");

  // Not addresses: no host with a dot, a scheme without anything behind it.
  EXPECT_TRUE(FindTokens("a@b and x@ and @y.jp and http:// .").empty());
  // The trail byte of "ア" is "A": it starts no mail address of its own.
  auto after = FindTokens(S("アア@example.com"));
  EXPECT_TRUE(after.empty());
}

TEST(TextTokensTest, TheTokenAtAPlace) {
  std::string line = "go http://a.jp/ or b@c.jp";
  EXPECT_EQ(TokenAt(line, 3).text, "http://a.jp/");
  EXPECT_EQ(TokenAt(line, 14).text, "http://a.jp/");
  EXPECT_EQ(TokenAt(line, 15).kind, TokenKind::None);
  EXPECT_EQ(TokenAt(line, 20).kind, TokenKind::Mail);
  EXPECT_EQ(TokenAt(line, 99).kind, TokenKind::None);
}

TEST(TextHighlightTest, SpansFromOpeningThroughClosing) {
  std::string line = "[[ Title ]] <b> x <Image:logo.gif> [| Head |] <open";
  auto runs = StyleLine(line, ViewerLike());
  EXPECT_EQ(StyleOf(runs, line, "[["), kTitle);
  EXPECT_EQ(StyleOf(runs, line, "Title"), kTitle);
  EXPECT_EQ(StyleOf(runs, line, "]]"), kTitle);
  EXPECT_EQ(StyleOf(runs, line, "<b>"), kTag);
  EXPECT_EQ(StyleOf(runs, line, " x "), kPlain);
  // "<Image:" is tried before "<".
  EXPECT_EQ(StyleOf(runs, line, "logo"), kImage);
  EXPECT_EQ(StyleOf(runs, line, "Head"), kHeading);
  // An opening without its closing colours nothing.
  EXPECT_EQ(StyleOf(runs, line, "<open"), kPlain);
  // The runs cover the line without a gap.
  std::size_t covered = 0;
  for (const StyledRun& r : runs) {
    EXPECT_EQ(r.start, covered);
    covered += r.length;
  }
  EXPECT_EQ(covered, line.size());
}

TEST(TextHighlightTest, ListedWordsAndAddresses) {
  std::string line = S("Freeware です。シェアウェアとFreewares、http://k.jp/<x>");
  auto runs = StyleLine(line, ViewerLike());
  EXPECT_EQ(StyleOf(runs, line, "Freeware "), kWord);
  EXPECT_EQ(StyleOf(runs, line, S("シェアウェア")), kWord);
  EXPECT_EQ(StyleOf(runs, line, "Freewares"), kPlain);  // not the word on its own
  // An address inside a tag span is still an address.
  EXPECT_EQ(StyleOf(runs, line, "http"), kAddress);
  EXPECT_EQ(StyleOf(runs, line, "<x>"), kTag);
  // "フリーソフト" holds a trail byte 0x5C; it matches only as the whole word.
  std::string soft = S("フリーソフト");
  auto softRuns = StyleLine(S("表") + soft, ViewerLike());
  EXPECT_EQ(StyleOf(softRuns, S("表") + soft, soft), kWord);
}

TEST(TextHighlightTest, ConsoleSpansOnBlack) {
  HighlightRules r;
  r.background = colors::kBlack;
  r.text = {colors::kWhite};
  r.spans = {{"Backing", "up", {colors::kLime}}, {"..", ".", {colors::kGray}}, {"pilot-", "xfer", {colors::kFuchsia}}};
  r.words = {"OK", S("バックアップ")};
  r.wordStyle = {colors::kYellow};
  r.addressStyle = {colors::kBlue};
  std::string line = "Backing up Memo... OK OKAY pilot-xfer";
  auto runs = StyleLine(line, r);
  EXPECT_EQ(StyleOf(runs, line, "Backing"), TextStyle{colors::kLime});
  EXPECT_EQ(StyleOf(runs, line, " up"), TextStyle{colors::kLime});
  EXPECT_EQ(StyleOf(runs, line, "..."), TextStyle{colors::kGray});
  EXPECT_EQ(StyleOf(runs, line, "OK "), TextStyle{colors::kYellow});
  EXPECT_EQ(StyleOf(runs, line, "OKAY"), TextStyle{colors::kWhite});
  EXPECT_EQ(StyleOf(runs, line, "xfer"), TextStyle{colors::kFuchsia});
}
