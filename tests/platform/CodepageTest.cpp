#include "platform/Codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace kestrel;

TEST(CodepageTest, MicrosoftMappingRoundTrips) {
  // 0x8160 is the wave dash as Windows maps it: U+FF5E, not U+301C.
  EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "\xEF\xBD\x9E");
  EXPECT_EQ(Utf8ToCp932("\xEF\xBD\x9E"), "\x81\x60");
  // NEC special characters and IBM extensions exist in code page 932.
  EXPECT_EQ(Cp932ToUtf8("\x87\x40"), "①");
  EXPECT_EQ(Utf8ToCp932("表示"), "\x95\x5C\x8E\xA6");
  EXPECT_EQ(Cp932ToUtf8("\xB6\xDE"), "ｶﾞ");
  EXPECT_EQ(Cp932ToUtf8("abc"), "abc");
}

TEST(CodepageTest, UnmappableInputIsMarkedNotDropped) {
  EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
  EXPECT_FALSE(FitsCp932("😀"));
  EXPECT_TRUE(FitsCp932("日本語ｶﾅ"));
  // A lead byte at the very end is not read past.
  EXPECT_EQ(Cp932ToUtf8("a\x95"), "a\xEF\xBF\xBD");
  // A lead byte before a byte that cannot be its trail is marked alone:
  // the next byte stays, so a name keeps its extension.
  EXPECT_EQ(Cp932ToUtf8("game\x81.prc"), "game\xEF\xBF\xBD.prc");
  EXPECT_EQ(Cp932ToUtf8("\xE0\x20\x95\x5C"), "\xEF\xBF\xBD 表");
  // A well-formed pair with no character is one mark, not two.
  EXPECT_EQ(Cp932ToUtf8("\x85\x40z"), "\xEF\xBF\xBDz");
}

TEST(CodepageTest, LongTextsConvertAsShortOnes) {
  // Every pair of bytes, each followed by a line break so that no unit runs
  // into the next; the same bytes in short pieces give the reference.
  std::string all, expected, piece;
  for (int x = 0; x < 256; ++x) {
    for (int y = 0; y < 256; ++y) {
      piece += static_cast<char>(x);
      piece += static_cast<char>(y);
      piece += '\n';
      if (piece.size() >= 3000) {
        expected += Cp932ToUtf8(piece);
        all += piece;
        piece.clear();
      }
    }
  }
  expected += Cp932ToUtf8(piece);
  all += piece;
  EXPECT_TRUE(Cp932ToUtf8(all) == expected);
  EXPECT_EQ(Cp932ToUtf8(std::string(5000, 'a') + "\x95"), std::string(5000, 'a') + "\xEF\xBF\xBD");
}

TEST(CodepageTest, TextsWrittenInPlaceAreTheConvertedTexts) {
  // Each text behind 0-17 ASCII bytes, so that it falls at every place of
  // the eight-byte steps and of the last short word; short texts convert
  // through iconv, the reference.
  const std::string texts[] = {"", "a", "\x95", "\x81.prc", "\x85\x40", "\xE0\x20\x95\x5C", "\xB6\xDE",
                               "\x80\xA0\xFD\xFE\xFF", std::string("z\0y", 3), "\x93\xfa\x96\x7b\x8c\xea",
                               "abc\x95\x5C" "defghij\x81", "http://www.example.com/palm/1/"};
  std::vector<std::string_view> views;
  std::string joined;
  for (const std::string& text : texts) {
    for (std::size_t ascii = 0; ascii < 18; ++ascii) {
      std::string in = std::string(ascii, 'q') + text;
      SCOPED_TRACE(in);
      const std::size_t room = 3 * in.size() + 8;
      std::string out(room + 16, '\x55');
      char* end = Cp932ToUtf8Into(in, out.data());
      EXPECT_EQ(std::string(out.data(), end), Cp932ToUtf8(in));
      EXPECT_EQ(out.substr(room), std::string(16, '\x55')) << "written past its room";
    }
    if (!views.empty()) joined += '\t';
    joined += Cp932ToUtf8(text);
    views.push_back(text);
  }
  std::string out(3 * 200 + 8 * views.size() + views.size(), '\0');
  char* end = Cp932ToUtf8Into(views.data(), static_cast<int>(views.size()), '\t', out.data());
  EXPECT_EQ(std::string(out.data(), end), joined);
}

TEST(CodepageTest, LeadBytes) {
  EXPECT_TRUE(IsLeadByte('\x81'));
  EXPECT_TRUE(IsLeadByte('\x9F'));
  EXPECT_TRUE(IsLeadByte('\xE0'));
  EXPECT_TRUE(IsLeadByte('\xFC'));
  EXPECT_FALSE(IsLeadByte('\xA0'));  // half-width katakana range starts here
  EXPECT_FALSE(IsLeadByte('\xDF'));
  EXPECT_FALSE(IsLeadByte('\\'));
  EXPECT_FALSE(IsLeadByte('\xFD'));
}
