// kestrel-tool's code-conversion verbs, run as a user would.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "support/TempHome.h"
#include "viewer/Jconvert.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

struct ToolRun {
  int rc;
  std::string out, err;
};

ToolRun Tool(const std::string& args, const std::string& input = "") {
  ToolRun r{};
  r.rc = RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " " + args, &r.out, &r.err, input);
  return r;
}

const std::string kSjis = Utf8ToCp932("日本語のテキスト、ｶﾞｲﾄﾞ\r\nabc\r\n");
const std::string kEuc = "\xC6\xFC\xCB\xDC\xB8\xEC\r\n";  // 日本語

}  // namespace

TEST(JconvertVerbsTest, GuessNamesTheCode) {
  TempHome home;
  WriteFile(home / "sjis.txt", kSjis);
  EXPECT_EQ(Tool("guess " + ShellQuote(home / "sjis.txt")).out, "CODE_SJIS\n");
  EXPECT_EQ(Tool("guess", kEuc).out, "CODE_EUC\n");
  EXPECT_EQ(Tool("guess -", "\x1B$B$\"\x1B(B").out, "CODE_JIS_NEW\n");
  EXPECT_EQ(Tool("guess", "\xA4\xA2\xA4\xA2").out, "CODE_EUC_OR_SJIS\n");
  EXPECT_EQ(Tool("guess", std::string("ab\0cd", 5)).out, "CODE_BINARY\n");
  EXPECT_EQ(Tool("guess", "").out, "CODE_ASCII\n");
}

TEST(JconvertVerbsTest, ConvMatchesIconvAndTakesAGivenSource) {
  TempHome home;
  WriteFile(home / "in.txt", kSjis);
  ToolRun euc = Tool("conv --to euc " + ShellQuote(home / "in.txt"));
  ASSERT_EQ(euc.rc, 0) << euc.err;
  std::string peer;
  RunCommand("iconv -f SHIFT_JIS -t EUC-JP " + ShellQuote(home / "in.txt"), &peer);
  // iconv keeps ｶﾞ half-width in EUC-JP as well.
  EXPECT_EQ(euc.out, peer);
  ToolRun back = Tool("conv --to sjis", euc.out);
  EXPECT_EQ(back.out, kSjis);
  ToolRun jis = Tool("conv --to jis", kSjis);
  EXPECT_EQ(Tool("conv --to sjis", jis.out).out, Utf8ToCp932("日本語のテキスト、ガイド\r\nabc\r\n"));
  // Undecided bytes stay as they are unless the source is named.
  EXPECT_EQ(Tool("conv --to sjis", "\xA4\xA2").out, "\xA4\xA2");
  EXPECT_EQ(Tool("conv --to sjis --from euc", "\xA4\xA2").out, "\x82\xA0");
  EXPECT_EQ(Tool("conv --from CODE_SJIS --to euc", "\xA4\xA2").out, "\x8E\xA4\x8E\xA2");
}

TEST(JconvertVerbsTest, LineEndsAndTransferEncodings) {
  TempHome home;
  EXPECT_EQ(Tool("eol --to crlf", "a\nb\n").out, "a\r\nb\r\n");
  EXPECT_EQ(Tool("eol --to lf", "a\r\nb\r\n").out, "a\nb\n");
  EXPECT_EQ(Tool("eol --to cr", "a\r\nb").out, "a\rb");

  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 13 + i / 7);
  WriteFile(home / "data.bin", bytes);
  const std::string file = ShellQuote(home / "data.bin");
  for (const char* verb : {"base64", "uu", "binhex"}) {
    for (const char* eol : {"crlf", "lf"}) {
      ToolRun enc = Tool(std::string(verb) + " encode --eol " + eol + " " + file);
      ASSERT_EQ(enc.rc, 0) << verb << enc.err;
      EXPECT_EQ(enc.out.find("\r\n") != std::string::npos, std::string(eol) == "crlf") << verb;
      EXPECT_EQ(Tool(std::string(verb) + " decode", enc.out).out, bytes) << verb << " " << eol;
    }
  }
  // Base64 as the base64 program writes it, the last line without its break.
  std::string peer;
  RunCommand("base64 -w 76 " + file, &peer);
  EXPECT_EQ(Tool("base64 encode " + file).out + "\n", peer);
  EXPECT_EQ(Tool("base64 encode --eol none", "Man").out, "TWFu");

  ToolRun header = Tool("header encode", Utf8ToCp932("Subject: 日本語 test"));
  EXPECT_EQ(header.out, "Subject: =?ISO-2022-JP?B?GyRCRnxLXDhs?= test");
  ToolRun decoded = Tool("header decode", "Re: =?ISO-2022-JP?B?GyRCJCIkJBsoQg==?=");
  EXPECT_EQ(decoded.out, "Re: \x1B$B$\"$$\x1B(B\x1B(J");
}

TEST(JconvertVerbsTest, BadArgumentsAreRefusedClearly) {
  TempHome home;
  ToolRun noTarget = Tool("conv", "abc");
  EXPECT_EQ(noTarget.rc, 2);
  EXPECT_NE(noTarget.err.find("--to is required"), std::string::npos) << noTarget.err;
  EXPECT_TRUE(noTarget.out.empty());
  EXPECT_NE(Tool("conv --to utf8", "abc").err.find("--to must be sjis, euc or jis"), std::string::npos);
  EXPECT_NE(Tool("conv --to sjis --from latin1", "abc").err.find("unknown code latin1"),
            std::string::npos);
  EXPECT_NE(Tool("eol --to dos", "a").err.find("--to must be crlf, cr or lf"), std::string::npos);
  EXPECT_NE(Tool("base64 squash", "a").err.find("encode or decode expected"), std::string::npos);
  EXPECT_NE(Tool("uu encode --eol none", "a").err.find("--eol must be crlf or lf"),
            std::string::npos);
  ToolRun missing = Tool("guess " + ShellQuote(home / "nowhere.txt"));
  EXPECT_EQ(missing.rc, 2);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
  EXPECT_TRUE(missing.out.empty());
  // A full disk is an error, not success.
  ToolRun full = Tool("eol --to crlf >/dev/full", "a\nb\n");
  EXPECT_EQ(full.rc, 2);
  EXPECT_NE(full.err.find("cannot write standard output"), std::string::npos) << full.err;
  // The input file is only read.
  WriteFile(home / "keep.txt", kSjis);
  Tool("conv --to jis " + ShellQuote(home / "keep.txt"));
  EXPECT_EQ(ReadFile(home / "keep.txt"), kSjis);
}

TEST(JconvertVerbsTest, InputsLargerThanABlockComeOutAsIfConvertedWhole) {
  TempHome home;
  // Several blocks of mixed text whose guess is decided only after a long
  // undecided stretch, and a JIS text whose two-byte runs cross lines.
  std::string undecided;
  while (undecided.size() < 200000) undecided += "\xA4\xA2\xA4\xA4 abc\r\n";
  std::string text = undecided + Utf8ToCp932("日本語のテキスト ｶﾞｲﾄﾞ\r\n");
  std::string sjis;
  while (sjis.size() < 300000) sjis += text.substr(200000);
  text += sjis;
  WriteFile(home / "big.txt", text);
  const std::string file = ShellQuote(home / "big.txt");
  for (const char* to : {"euc", "jis"}) {
    ToolRun run = Tool(std::string("conv --to ") + to + " " + file);
    ASSERT_EQ(run.rc, 0) << run.err;
    EXPECT_TRUE(run.out == ConvertJCode(text, std::string(to) == "euc" ? CODE_EUC : CODE_JIS_NEW)) << to;
  }
  EXPECT_EQ(Tool("guess " + file).out, "CODE_SJIS\n");
  EXPECT_EQ(Tool("guess", undecided).out, "CODE_EUC_OR_SJIS\n");
  const std::string jis = sjis2jis83(sjis) + "\x1B(B";
  ToolRun back = Tool("conv --to sjis", jis);
  EXPECT_TRUE(back.out == ConvertJCode(jis, CODE_SJIS));
  EXPECT_TRUE(Tool("eol --to lf " + file).out == ConvertReturnCode(text, LINE_END_LF));
  ToolRun b64 = Tool("base64 encode --eol crlf " + file);
  EXPECT_TRUE(b64.out == EncodeBase64R(text, "\r\n"));
  EXPECT_TRUE(Tool("base64 decode", b64.out).out == text);
  ToolRun uu = Tool("uu encode " + file);
  EXPECT_TRUE(uu.out == EncodeUU(text, "\n"));
  EXPECT_TRUE(Tool("uu decode", uu.out).out == text);
  ToolRun binhex = Tool("binhex encode " + file);
  EXPECT_TRUE(binhex.out == EncodeBinHex(text, "\n"));
  EXPECT_TRUE(Tool("binhex decode", binhex.out).out == text);
  // A broken pipe or full disk half-way through a large output is an error.
  ToolRun full = Tool("conv --to euc " + file + " >/dev/full");
  EXPECT_EQ(full.rc, 2);
  EXPECT_NE(full.err.find("cannot write standard output"), std::string::npos) << full.err;
  EXPECT_EQ(ReadFile(home / "big.txt"), text);
}
