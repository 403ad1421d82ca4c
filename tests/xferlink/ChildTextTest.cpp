// The child's UTF-8 turned into Shift_JIS however the reads cut it.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "xferlink/ChildText.h"

using namespace kestrel;

TEST(ChildTextTest, AnyCutOfTheOutputGivesTheSameShiftJis) {
  const std::string kana = "\xE3\x83\x90\xE3\x83\x83\xE3\x82\xAF";  // バック
  struct Case {
    std::string in, want;
  } cases[] = {
      {std::string(40, 'a'), std::string(40, 'a')},
      // A character after runs of ASCII of every length around eight bytes.
      {"0123456789abcde" + kana + "0123456", "0123456789abcde" + Utf8ToCp932("バック") + "0123456"},
      {kana + std::string(17, 'x'), Utf8ToCp932("バック") + std::string(17, 'x')},
      {std::string(70, 'a') + kana + std::string(130, 'b'),
       std::string(70, 'a') + Utf8ToCp932("バック") + std::string(130, 'b')},
      // Bytes that are no UTF-8 (Shift_JIS already) stay, the rest around them is converted.
      {"abcdefgh\x83\x41" + kana + "\xFF", "abcdefgh\x83\x41" + Utf8ToCp932("バック") + "\xFF"},
      {"emoji \xF0\x9F\x98\x80 end\n", "emoji ? end\n"},
  };
  for (const Case& c : cases) {
    for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{8},
                              c.in.size()}) {
      SCOPED_TRACE(c.in + " in blocks of " + std::to_string(block));
      ChildTextToCp932 conv(true);
      std::string got, scratch;
      for (std::size_t at = 0; at < c.in.size(); at += block) {
        got.append(conv.Feed(std::string_view(c.in).substr(at, block), scratch));
      }
      got += conv.Flush();
      EXPECT_EQ(got, c.want);
    }
  }
  // The child ended inside a character: its bytes as they came.
  ChildTextToCp932 conv(true);
  EXPECT_EQ(conv.Feed("ab\xE3\x83"), "ab");
  EXPECT_EQ(conv.Flush(), "\xE3\x83");
}
