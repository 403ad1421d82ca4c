// The code conversion fed in blocks against the same text converted whole.
#include <gtest/gtest.h>

#include <random>

#include "platform/Codepage.h"
#include "viewer/JconvertStream.h"

using namespace kestrel;

namespace {

std::vector<std::string_view> Cut(std::string_view s, const std::vector<std::size_t>& cuts) {
  std::vector<std::string_view> blocks;
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    blocks.push_back(s.substr(from, cut - from));
    from = cut;
  }
  blocks.push_back(s.substr(from));
  return blocks;
}

template <typename Converter>
std::string Fed(Converter& converter, std::string_view s, const std::vector<std::size_t>& cuts) {
  std::string out;
  for (std::string_view block : Cut(s, cuts)) converter.Feed(block, out);
  converter.Finish(out);
  return out;
}

JCode Guessed(std::string_view s, const std::vector<std::size_t>& cuts) {
  JcodeGuesser guesser;
  for (std::string_view block : Cut(s, cuts)) guesser.Feed(block);
  return guesser.Finish();
}

// Each sample at every cut, and also byte by byte.
std::vector<std::vector<std::size_t>> EveryCut(std::size_t size) {
  std::vector<std::vector<std::size_t>> all;
  for (std::size_t cut = 0; cut <= size; ++cut) all.push_back({cut});
  std::vector<std::size_t> bytes;
  for (std::size_t i = 1; i < size; ++i) bytes.push_back(i);
  all.push_back(bytes);
  return all;
}

const std::string kSjisText = Utf8ToCp932("日本語 ｶﾞｲﾄﾞ\r\nテキスト表示\tabc ﾊﾟ\n") + "\x81";
const std::string kEucText = "\xC6\xFC\xCB\xDC \x8E\xB6\x8E\xDE\x8E\xCA\r\n\xB8\xEC\x8F\xA1\xA1 x\n\xA4";
const std::string kJisText = "\x1B$B$\"$$ F|\n\x1B(Babc \x1B$B%+\r\n\x1B(J x \x1B$";

}  // namespace

TEST(JconvertStreamTest, ConversionsInBlocksGiveTheWholeTextsResult) {
  struct Case {
    std::string text;
    int source;
  };
  const std::vector<Case> cases = {{kSjisText, CODE_SJIS}, {kEucText, CODE_EUC}, {kJisText, CODE_JIS_NEW}};
  for (const Case& c : cases) {
    for (int target : {CODE_JIS_NEW, CODE_EUC, CODE_SJIS}) {
      const std::string whole = StrictConvertJCode(c.text, c.source, target);
      const std::string guessed = ConvertJCode(c.text, target);
      for (const auto& cuts : EveryCut(c.text.size())) {
        JcodeConverter converter(c.source, target);
        ASSERT_EQ(Fed(converter, c.text, cuts), whole) << c.source << "->" << target << " cut " << cuts[0];
        AutoJcodeConverter automatic(target);
        ASSERT_EQ(Fed(automatic, c.text, cuts), guessed) << "auto ->" << target << " cut " << cuts[0];
      }
    }
  }
}

TEST(JconvertStreamTest, GuessInBlocksGivesTheWholeTextsGuess) {
  std::vector<std::string> samples = {kSjisText, kEucText, kJisText, "\xA4\xA2\xA4\xA2 \xA4\xA2",
                                      "ab \x1B$@ x", "a\x1B(B \x1B$B", "\xB1\xE0 \xFD", "\xB1\xE0\x81",
                                      "x\x8E", std::string("a \0", 3), std::string("a\0 ", 3)};
  // Binary bytes either side of the pre-scan's end, behind an early decision.
  std::string late = Utf8ToCp932("表") + std::string(600, ' ');
  late[511] = '\0';
  samples.push_back(late);
  late[511] = ' ';
  late[512] = '\0';
  samples.push_back(late);
  for (const std::string& s : samples) {
    const JCode whole = InCodeCheck(s);
    for (const auto& cuts : EveryCut(s.size())) {
      ASSERT_EQ(Guessed(s, cuts), whole) << JCodeName(whole) << " cut " << cuts[0] << " of " << s;
    }
  }
  EXPECT_EQ(InCodeCheck(samples[samples.size() - 2]), CODE_BINARY);
  EXPECT_EQ(InCodeCheck(samples.back()), CODE_SJIS);
}

TEST(JconvertStreamTest, RandomTextsInRandomBlocks) {
  // Bytes that make the guess and the conversions change course, at random,
  // in blocks of random size.
  static const std::vector<std::string> kPieces = {
      "a", " ", "\r", "\n", "\r\n", "\t", "\x1B$B", "\x1B(J", "\x1B(B", "\x1B$@", "\x1B", "$", "(",
      "\x82\xA0", "\x83\x5C", "\x81", "\x8E", "\x8E\xB6", "\x8E\xDE", "\x8F\xA1\xA1", "\xA4\xA2",
      "\xB6\xDE", "\xCA\xDF", "\xE0\xA1", "\xFD", "\xFF", std::string(1, '\0'), "\x21\x21", "\x7F"};
  std::mt19937 rng(11);
  std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
  for (int round = 0; round < 1500; ++round) {
    std::string s;
    for (int i = 0; i < 1 + round % 50; ++i) s += kPieces[pick(rng)];
    std::vector<std::size_t> cuts;
    std::uniform_int_distribution<std::size_t> step(1, 7);
    for (std::size_t at = step(rng); at < s.size(); at += step(rng)) cuts.push_back(at);
    ASSERT_EQ(Guessed(s, cuts), InCodeCheck(s)) << s;
    for (int target : {CODE_JIS_NEW, CODE_EUC, CODE_SJIS}) {
      AutoJcodeConverter automatic(target, 4);  // spills to a file beyond 4 bytes
      ASSERT_EQ(Fed(automatic, s, cuts), ConvertJCode(s, target)) << s;
      for (int source = CODE_ASCII; source <= CODE_EUC_OR_SJIS; ++source) {
        JcodeConverter converter(source, target);
        ASSERT_EQ(Fed(converter, s, cuts), StrictConvertJCode(s, source, target))
            << source << "->" << target << " " << testing::PrintToString(s) << " " << testing::PrintToString(cuts);
      }
    }
    for (int target : {LINE_END_CRLF, LINE_END_CR, LINE_END_LF}) {
      LineEndConverter converter(target);
      ASSERT_EQ(Fed(converter, s, cuts), ConvertReturnCode(s, target)) << s;
    }
  }
}

TEST(JconvertStreamTest, LineEndsAndTransferEncodingsInBlocks) {
  for (const std::string& s : {std::string("a\r\nb\rc\n\r\n"), std::string("ab\r"), std::string("\r\r\n"),
                               std::string("x\ny\r\n")}) {
    for (int target : {LINE_END_CRLF, LINE_END_CR, LINE_END_LF}) {
      for (const auto& cuts : EveryCut(s.size())) {
        LineEndConverter converter(target);
        ASSERT_EQ(Fed(converter, s, cuts), ConvertReturnCode(s, target)) << s << " cut " << cuts[0];
      }
    }
  }
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 37 + i / 5);
  const std::vector<std::vector<std::size_t>> cutSets = {
      {1}, {2}, {56}, {57}, {58}, {44, 45, 46, 90}, {3, 6, 7, 100, 171, 299}, {}};
  for (std::size_t size : {0, 1, 2, 3, 45, 57, 58, 114, 300}) {
    const std::string s = bytes.substr(0, size);
    for (auto cuts : cutSets) {
      while (!cuts.empty() && cuts.back() > size) cuts.pop_back();
      Base64Encoder b64(" \r\n", true), b64line("", false);
      EXPECT_EQ(Fed(b64, s, cuts), EncodeBase64R(s, " \r\n")) << size;
      EXPECT_EQ(Fed(b64line, s, cuts), EncodeBase64(s)) << size;
      UUEncoder uu("\n");
      EXPECT_EQ(Fed(uu, s, cuts), EncodeUU(s, "\n")) << size;
      BinHexEncoder binhex("\r\n");
      EXPECT_EQ(Fed(binhex, s, cuts), EncodeBinHex(s, "\r\n")) << size;
    }
    // And back, cut anywhere, even inside a line break.
    for (const std::string& encoded : {EncodeBase64R(s, "\r\n"), EncodeUU(s, "\r\n"), EncodeBinHex(s, "\r\n")}) {
      for (std::size_t cut = 0; cut <= encoded.size(); cut += 1 + cut / 8) {
        Base64Decoder b64;
        UUDecoder uu;
        BinHexDecoder binhex;
        EXPECT_EQ(Fed(b64, encoded, {cut}), DecodeBase64(encoded));
        EXPECT_EQ(Fed(uu, encoded, {cut}), DecodeUU(encoded));
        EXPECT_EQ(Fed(binhex, encoded, {cut}), DecodeBinHex(encoded));
      }
    }
  }
}

TEST(JconvertStreamTest, AnUndecidedTextIsLetGoInBlocksWhenTheGuessEnds) {
  std::string undecided;
  while (undecided.size() < 300000) undecided += "\xA4\xA2\xA4\xA4 ab\r\n";
  for (const std::string& text : {undecided, undecided + "\x82\xA0"}) {
    AutoJcodeConverter converter(CODE_EUC, 1000);  // held in a temporary file
    std::string written, out;
    std::size_t most = 0;
    converter.SetDrain([&](std::string& o) {
      most = std::max(most, o.size());
      written += o;
      o.clear();
    });
    for (std::size_t at = 0; at < text.size(); at += 4096) {
      converter.Feed(std::string_view(text).substr(at, 4096), out);
      written += out;
      out.clear();
    }
    converter.Finish(out);
    written += out;
    EXPECT_TRUE(written == ConvertJCode(text, CODE_EUC));
    EXPECT_LT(most, 200000u);
    EXPECT_EQ(converter.Source(), InCodeCheck(text));
  }
}
