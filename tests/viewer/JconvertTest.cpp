#include "viewer/Jconvert.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "platform/Codepage.h"

using namespace kestrel;
using namespace std::string_literals;

namespace {

// Bytes in a heap block of exactly their size, so that AddressSanitizer sees
// any read past the end (a std::string always has a NUL behind it).
class Exact {
 public:
  explicit Exact(const std::string& bytes) : size_(bytes.size()), data_(new char[bytes.size()]) {
    std::copy(bytes.begin(), bytes.end(), data_.get());
  }
  operator std::string_view() const { return {data_.get(), size_}; }

 private:
  std::size_t size_;
  std::unique_ptr<char[]> data_;
};

std::string Sjis(const char* utf8) { return Utf8ToCp932(utf8); }

const std::string kEnter = "\x1B$B";
const std::string kLeave = "\x1B(J";

}  // namespace

TEST(JconvertTest, GuessNeedsAByteBehindTheFirstOfAUnit) {
  EXPECT_EQ(InCodeCheck(Exact("")), CODE_ASCII);
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(InCodeCheck(Exact(std::string(1, static_cast<char>(c)))), CODE_ASCII) << c;
  }
  // A unit cut off at the end is not read past.
  EXPECT_EQ(InCodeCheck(Exact("abc\x1B$")), CODE_ASCII);
  EXPECT_EQ(InCodeCheck(Exact("abc\x1B")), CODE_ASCII);
  EXPECT_EQ(InCodeCheck(Exact("abc\x8E")), CODE_ASCII);
  EXPECT_EQ(InCodeCheck(Exact("\xA4\xA2\xA4")), CODE_EUC_OR_SJIS);
}

TEST(JconvertTest, GuessFindsEachCode) {
  EXPECT_EQ(InCodeCheck(Exact("plain text\r\n")), CODE_ASCII);
  EXPECT_EQ(InCodeCheck(Exact("x \x1B$B$\"\x1B(B \x82\xA0")), CODE_JIS_NEW);
  EXPECT_EQ(InCodeCheck(Exact("\x1B$@$\"\x1B(J")), CODE_JIS_OLD);
  EXPECT_EQ(InCodeCheck(Exact("\x1B(Jabc")), CODE_ASCII);
  EXPECT_EQ(InCodeCheck(Exact(Sjis("日本語のテキスト"))), CODE_SJIS);
  EXPECT_EQ(InCodeCheck(Exact("\xC6\xFC\xCB\xDC\xB8\xEC")), CODE_EUC);  // 日本語 in EUC-JP
  EXPECT_EQ(InCodeCheck(Exact("\xA4\xA2\xA4\xA2\xA4\xA2")), CODE_EUC_OR_SJIS);
  EXPECT_EQ(InCodeCheck(Exact("\x8E\xB6\x8E\xDE")), CODE_EUC_OR_SJIS);
  EXPECT_EQ(InCodeCheck(Exact("\x8E\x40")), CODE_SJIS);
  EXPECT_EQ(InCodeCheck(Exact("ab\xF5x")), CODE_EUC);
  // The first decisive byte wins over what follows.
  EXPECT_EQ(InCodeCheck(Exact("\x82\xA0 \x1B$B")), CODE_SJIS);
  // Wherever a marking byte sits in long ASCII text, it is seen; only the
  // last byte never counts.
  for (std::size_t at = 0; at < 40; ++at) {
    std::string text(at, 'a');
    EXPECT_EQ(InCodeCheck(Exact(text + "\x82\xA0" + std::string(30, 'b'))), CODE_SJIS) << at;
    EXPECT_EQ(InCodeCheck(Exact(text + "\x1B$B" + std::string(30, 'b'))), CODE_JIS_NEW) << at;
    EXPECT_EQ(InCodeCheck(Exact(text + "\xF5" "b")), CODE_EUC) << at;
    EXPECT_EQ(InCodeCheck(Exact(text + "\xF5")), CODE_ASCII) << at;
    EXPECT_EQ(InCodeCheck(Exact(text + "\x1B$")), CODE_ASCII) << at;
  }
}

TEST(JconvertTest, GuessLooksAheadThroughAmbiguousRuns) {
  // ｱ followed by a pair whose lead is 0xE0-0xEF: undecided until a byte
  // only Shift_JIS or only EUC-JP uses turns up.
  EXPECT_EQ(InCodeCheck(Exact("\xB1\xE0\x9F\x88\x9F")), CODE_SJIS);
  EXPECT_EQ(InCodeCheck(Exact("\xC8\xEC\xA4\xA2\xFD\xA1")), CODE_EUC);
  // The walk stops at a byte below 0x40 and the scan goes on undecided.
  EXPECT_EQ(InCodeCheck(Exact("\xC8\xEC\xA4\xA2 \xA4\xA2")), CODE_EUC_OR_SJIS);
  EXPECT_EQ(InCodeCheck(Exact("\xC8\xEC\xA4\xA2 \x82\xA0")), CODE_SJIS);
}

TEST(JconvertTest, GuessSeesBinaryBytes) {
  std::string text(1000, 'a');
  text[600] = '\0';  // behind the pre-scan, found by the main scan
  EXPECT_EQ(InCodeCheck(Exact(text)), CODE_BINARY);
  // Inside the pre-scan a binary byte wins over a decisive one before it.
  EXPECT_EQ(InCodeCheck(Exact("\x82\xA0 \x01 abc")), CODE_BINARY);
  EXPECT_EQ(InCodeCheck(Exact("ab\xFF" "cd")), CODE_BINARY);
  // Once decided, later bytes do not matter.
  std::string sjis = Sjis("あ") + std::string(1000, 'a');
  sjis[700] = '\0';
  EXPECT_EQ(InCodeCheck(Exact(sjis)), CODE_SJIS);
}

TEST(JconvertTest, PairArithmetic) {
  EXPECT_EQ(ToSjis(0x24, 0x22), "\x82\xA0");  // あ
  EXPECT_EQ(ToJis(0x82, 0xA0), "\x24\x22");
  EXPECT_EQ(ToSjis(0x30, 0x21), "\x88\x9F");  // 亜
  EXPECT_EQ(ToSjis(0x5F, 0x21), "\xE0\x40");  // first row behind the gap
  EXPECT_EQ(ToJis(0xEA, 0xA4), "\x74\x26");   // last JIS X 0208 character
  EXPECT_EQ(ToJis(0x81, 0x80), "\x21\x60");   // trail bytes skip 0x7F
}

TEST(JconvertTest, ShiftJisToJisSwitchesModes) {
  EXPECT_EQ(sjis2jis83(Exact("\xB6\xDE")), kEnter + "\x25\x2C");  // ｶﾞ, no closing escape
  EXPECT_EQ(sjis2jis83(Exact(Sjis("あ\r\na"))), kEnter + "\x24\x22" + kLeave + "\r\na");
  EXPECT_EQ(sjis2jis83(Exact(Sjis("a日本b"))), "a" + kEnter + "\x46\x7C\x4B\x5C" + kLeave + "b");
  EXPECT_EQ(sjis2jis83(Exact("plain")), "plain");
}

TEST(JconvertTest, HalfWidthKanaBecomeFullWidthInJis) {
  // ﾊﾟ ｳﾞ ｱﾞ ﾎﾞ ｰ: marks merge where a voiced kana exists, else stand alone.
  std::string sjis = Sjis("ﾊﾟｳﾞｱﾞﾎﾞｰ｡");
  std::string want = kEnter + "\x25\x51" + "\x25\x74" + "\x25\x22\x21\x2B" + "\x25\x5C" +
                     "\x21\x3C" + "\x21\x23";
  EXPECT_EQ(sjis2jis83(Exact(sjis)), want);
  // The same kana in EUC-JP, each behind 0x8E.
  std::string euc;
  for (char c : sjis) euc += "\x8E"s + c;
  EXPECT_EQ(euc2jis83(Exact(euc)), want);
  EXPECT_EQ(sjis2euc(Exact(sjis)), euc);
  EXPECT_EQ(euc2sjis(Exact(euc)), sjis);
  // A mark at the very end, and a kana at the very end.
  EXPECT_EQ(sjis2jis83(Exact("\xDE")), kEnter + "\x21\x2B");
  EXPECT_EQ(euc2jis83(Exact("\x8E\xCA\x8E")), kEnter + "\x25\x4F\x8E");
}

TEST(JconvertTest, JisToEucAndShiftJis) {
  std::string jis = "a" + kEnter + "\x46\x7C\x4B\x5C" + "\x1B(B" + "b\r\n";
  EXPECT_EQ(jis2sjis(Exact(jis)), Sjis("a日本b\r\n"));
  EXPECT_EQ(jis2euc(Exact(jis)), "a\xC6\xFC\xCB\xDC" "b\r\n");
  // Ending with ESC ( B: nothing behind the last character.
  EXPECT_EQ(jis2sjis(Exact(kEnter + "\x24\x22\x1B(B")), "\x82\xA0");
  // An escape at the very end yields nothing more.
  EXPECT_EQ(jis2sjis(Exact("a\x1B")), "a");
  EXPECT_EQ(jis2sjis(Exact("a\x1B$")), "a");
  EXPECT_EQ(jis2euc(Exact("a\x1B$")), "a");
  // One escape right behind another is recognised too.
  std::string twice = kEnter + "\x24\x22\x1B(B\x1B$B\x24\x24\x1B(Jx";
  EXPECT_EQ(jis2sjis(Exact(twice)), Sjis("あいx"));
  EXPECT_EQ(jis2euc(Exact(twice)), "\xA4\xA2\xA4\xA4x");
}

TEST(JconvertTest, BrokenUnitsKeepTheirNeighbours) {
  // A lead byte last is copied, nothing is read behind it.
  EXPECT_EQ(sjis2euc(Exact("a\x82")), "a\x82");
  EXPECT_EQ(sjis2jis83(Exact("a\x82")), "a" + kEnter + "\x82");
  EXPECT_EQ(euc2sjis(Exact("a\xA4")), "a\xA4");
  EXPECT_EQ(euc2sjis(Exact("a\x8E")), "a\x8E");
  EXPECT_EQ(euc2jis83(Exact("a\xA4")), "a" + kEnter + "\xA4");
  EXPECT_EQ(jis2sjis(Exact(kEnter + "\x24")), "\x24");
  // A line break behind a lone lead byte is no trail byte: the lines stay.
  EXPECT_EQ(sjis2euc(Exact("\x82\r\n\x82\xA0")), "\x82\r\n\xA4\xA2");
  EXPECT_EQ(euc2sjis(Exact("\xA4\r\n\xA4\xA2")), "\xA4\r\n\x82\xA0");
  EXPECT_EQ(jis2sjis(Exact(kEnter + "\x24\r\n\x24\x22")), "\x24\r\n\x82\xA0");
  // 0x8E without a kana behind it.
  EXPECT_EQ(euc2sjis(Exact("\x8E" "a\xA4\xA2")), "\x8E" "a\x82\xA0");
  // A JIS X 0212 character (three bytes) becomes 〓 and the next one survives.
  EXPECT_EQ(euc2sjis(Exact("\x8F\xB0\xA1\xA4\xA2")), "\x81\xAC\x82\xA0");
  EXPECT_EQ(euc2jis83(Exact("\x8F\xB0\xA1\xA4\xA2")), kEnter + "\x22\x2E\x24\x22");
}

TEST(JconvertTest, NoConversionReadsPastTheEnd) {
  // Every prefix of text full of units that can be cut off, in exact buffers.
  const std::string samples[] = {
      Sjis("日本ｶﾞｲﾄﾞあ\r\nﾊﾟ") + "\x82",
      "\xC6\xFC\x8E\xB6\x8E\xDE\x8F\xB0\xA1\xA4\xA2\r\n\x8E",
      kEnter + "\x46\x7C\x4B\x5C\x1B(J\r\n\x1B$@\x24",
      "=?iso-2022-jp?b?GyRCJCI=?=x=?ISO-2022-JP?B?GyRC",
      ":@(-*0II#2M*Hc\r\nkN)NK:",
      "M6',)-??\"/C)>SZD\r\n`\r\n",
  };
  for (const std::string& sample : samples) {
    for (std::size_t len = 0; len <= sample.size(); ++len) {
      Exact s(sample.substr(0, len));
      InCodeCheck(s);
      for (int target : {CODE_JIS_NEW, CODE_EUC, CODE_SJIS}) {
        for (int source = 0; source <= 6; ++source) StrictConvertJCode(s, source, target);
      }
      for (int target : {LINE_END_CRLF, LINE_END_CR, LINE_END_LF}) ConvertReturnCode(s, target);
      DecodeBase64(s);
      DecodeUU(s);
      DecodeBinHex(s);
      CreateHeaderString(s);
      DecodeHeaderString(s);
    }
  }
}

TEST(JconvertTest, ConvertFollowsTheGuess) {
  std::string sjis = Sjis("漢字とカナ、ｶﾅ\r\n");
  std::string euc = sjis2euc(sjis);
  std::string jis = sjis2jis83(sjis);
  EXPECT_EQ(ConvertJCode(euc, CODE_SJIS), sjis);
  EXPECT_EQ(ConvertJCode(sjis, CODE_EUC), euc);
  EXPECT_EQ(ConvertJCode(sjis, CODE_JIS_NEW), jis);
  // Full-width in JIS: ｶﾅ comes back as カナ.
  EXPECT_EQ(ConvertJCode(jis, CODE_SJIS), Sjis("漢字とカナ、カナ\r\n"));
  EXPECT_EQ(ConvertJCode(euc, CODE_JIS_NEW), jis);
  // Undecided, ASCII, binary text and unknown targets come back unchanged.
  EXPECT_EQ(ConvertJCode("\xA4\xA2\xA4\xA2", CODE_SJIS), "\xA4\xA2\xA4\xA2");
  EXPECT_EQ(ConvertJCode("abc", CODE_EUC), "abc");
  EXPECT_EQ(ConvertJCode("\x01\x82\xA0", CODE_EUC), "\x01\x82\xA0");
  EXPECT_EQ(StrictConvertJCode(sjis, CODE_SJIS, CODE_JIS_OLD), sjis);
  EXPECT_EQ(StrictConvertJCode(jis, CODE_JIS_OLD, CODE_EUC), sjis2euc(Sjis("漢字とカナ、カナ\r\n")));
  EXPECT_EQ(StrictConvertJCode(jis, CODE_JIS_OLD, CODE_JIS_NEW), jis);
  EXPECT_EQ(StrictConvertJCode(sjis, CODE_EUC_OR_SJIS, CODE_EUC), sjis);
}

TEST(JconvertTest, LineEnds) {
  EXPECT_EQ(ReturnCodeCheck(""), LINE_END_NONE);
  EXPECT_EQ(ReturnCodeCheck("a\nb\r\n"), LINE_END_LF);
  EXPECT_EQ(ReturnCodeCheck("a\r\nb\n"), LINE_END_CRLF);
  EXPECT_EQ(ReturnCodeCheck("a\rb\r\n"), LINE_END_CR);
  EXPECT_EQ(ReturnCodeCheck(Exact("a\r")), LINE_END_CR);
  EXPECT_EQ(StrictConvertReturnCode("a\r\nb\rc\r\n", LINE_END_CRLF, LINE_END_LF), "a\nb\rc\n");
  EXPECT_EQ(ConvertReturnCode("a\nb\n\n", LINE_END_CRLF), "a\r\nb\r\n\r\n");
  EXPECT_EQ(ConvertReturnCode("a\rb\r", LINE_END_LF), "a\nb\n");
  EXPECT_EQ(ConvertReturnCode("a\r\nb", LINE_END_CR), "a\rb");
  EXPECT_EQ(ConvertReturnCode("a\r\nb", LINE_END_CRLF), "a\r\nb");
  EXPECT_EQ(ConvertReturnCode("ab", LINE_END_LF), "ab");
  // A trail byte is never a line end, so Shift_JIS text is safe.
  EXPECT_EQ(ConvertReturnCode(Sjis("表\n"), LINE_END_CRLF), Sjis("表\r\n"));
}

TEST(JconvertTest, Base64) {
  EXPECT_EQ(EncodeBase64(""), "");
  EXPECT_EQ(EncodeBase64("Man"), "TWFu");
  EXPECT_EQ(EncodeBase64("Ma"), "TWE=");
  EXPECT_EQ(EncodeBase64("M"), "TQ==");
  std::string b57(57, 'x'), b58(58, 'x'), b60(60, 'x');
  std::string line = EncodeBase64(b57);
  ASSERT_EQ(line.size(), 76u);
  EXPECT_EQ(EncodeBase64R(b57, "\r\n"), line + "\r\n");
  EXPECT_EQ(EncodeBase64R(b58, "\r\n"), line + "\r\n" + "eA==");
  EXPECT_EQ(EncodeBase64R(b60, "\n"), line + "\n" + "eHh4");
  EXPECT_EQ(EncodeBase64R(b57 + b57, "\n"), line + "\n" + line + "\n");
  EXPECT_EQ(EncodeBase64(std::string(200, 'x')).find('\n'), std::string::npos);
  // Line breaks and strays anywhere are skipped; "=" ends its group.
  EXPECT_EQ(DecodeBase64("TW\r\nFu TW\nE="), "ManMa");
  EXPECT_EQ(DecodeBase64("TQ==TWFu"), "MMan");
  EXPECT_EQ(DecodeBase64("TWF"), "Ma");
}

TEST(JconvertTest, UuencodeLines) {
  EXPECT_EQ(EncodeUU("Cat", "\n"), "#0V%T\n`\n");
  EXPECT_EQ(EncodeUU("", "\n"), "`\n");
  std::string full = EncodeUU(std::string(45, '\0'), "\r\n");
  EXPECT_EQ(full, "M" + std::string(60, '`') + "\r\n`\r\n");
  std::string two = EncodeUU(std::string(46, 'a'), "\n");
  EXPECT_EQ(two.substr(62, 6), "!80``\n");  // last line of one byte
  EXPECT_EQ(DecodeUU("#0V%T\r\n`\r\n"), "Cat");
  EXPECT_EQ(DecodeUU(full), std::string(45, '\0'));
  // The count limits the bytes taken from the line.
  EXPECT_EQ(DecodeUU("!0V%T"), "C");
  // A line shorter than its count gives what it holds.
  EXPECT_EQ(DecodeUU(Exact("M0V%T")), "Cat");
}

TEST(JconvertTest, BinHexLines) {
  EXPECT_EQ(EncodeBinHex("", "\n"), "::");
  EXPECT_EQ(DecodeBinHex(EncodeBinHex("", "\n")), "");
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7);
  std::string text = EncodeBinHex(bytes, "\r\n");
  // Lines of 64 characters, the opening ":" counted on the first.
  EXPECT_EQ(text[0], ':');
  EXPECT_EQ(text.find("\r\n"), 64u);
  EXPECT_EQ(text.find("\r\n", 66), 66u + 64u);
  EXPECT_EQ(text.back(), ':');
  EXPECT_EQ(DecodeBinHex(text), bytes);
  // Line breaks elsewhere are skipped as well; a stray ends the data.
  std::string moved = EncodeBinHex(bytes, "");
  moved.insert(10, "\n");
  EXPECT_EQ(DecodeBinHex(moved), bytes);
  EXPECT_EQ(DecodeBinHex(":" + EncodeBinHex("abcdef", "").substr(1, 4) + " xyz"), "abc");
}

TEST(JconvertTest, TransferEncodingsRoundTrip) {
  std::mt19937 random(4);
  for (std::size_t len : {1u, 2u, 3u, 44u, 45u, 46u, 56u, 57u, 58u, 1000u}) {
    std::string bytes(len, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    EXPECT_EQ(DecodeBase64(EncodeBase64(bytes)), bytes) << len;
    EXPECT_EQ(DecodeBase64(EncodeBase64R(bytes, "\r\n")), bytes) << len;
    EXPECT_EQ(DecodeUU(EncodeUU(bytes, "\r\n")), bytes) << len;
    EXPECT_EQ(DecodeUU(EncodeUU(bytes, "\n")), bytes) << len;
    EXPECT_EQ(DecodeBinHex(EncodeBinHex(bytes, "\n")), bytes) << len;
  }
}

TEST(JconvertTest, HeaderWords) {
  EXPECT_EQ(CreateHeaderString("Subject: plain"), "Subject: plain");
  std::string header = CreateHeaderString(Sjis("Re: 日本語 test"));
  EXPECT_EQ(header, "Re: =?ISO-2022-JP?B?" + EncodeBase64(kEnter + "\x46\x7C\x4B\x5C\x38\x6C") +
                        "?= test");
  // Decoding gives JIS with the closing escape supplied.
  std::string jis = DecodeHeaderString(header);
  EXPECT_EQ(jis, "Re: " + kEnter + "\x46\x7C\x4B\x5C\x38\x6C" + kLeave + " test");
  EXPECT_EQ(jis2sjis(jis), Sjis("Re: 日本語 test"));
  // Two runs, half-width kana copied between them.
  std::string two = CreateHeaderString(Sjis("あｱい"));
  EXPECT_EQ(two, "=?ISO-2022-JP?B?" + EncodeBase64(kEnter + "\x24\x22") + "?=\xB1=?ISO-2022-JP?B?" +
                     EncodeBase64(kEnter + "\x24\x24") + "?=");
  // The prefix is found in any letter case.
  EXPECT_EQ(DecodeHeaderString("a =?iso-2022-jp?b?" + EncodeBase64(kEnter + "\x24\x22") + "?= b"),
            "a " + kEnter + "\x24\x22" + kLeave + " b");
  // Without "?=" only the prefix goes.
  EXPECT_EQ(DecodeHeaderString(Exact("x =?ISO-2022-JP?B?GyRC")), "x GyRC");
  // Decoded bytes are not searched again.
  std::string inner = EncodeBase64("=?ISO-2022-JP?B?QQ==?=");
  EXPECT_EQ(DecodeHeaderString("=?ISO-2022-JP?B?" + inner + "?="), "=?ISO-2022-JP?B?QQ==?=" + kLeave);
}
