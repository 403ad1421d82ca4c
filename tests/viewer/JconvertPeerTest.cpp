// The conversions against real peers: iconv for every JIS X 0208 character,
// nkf for the half-width kana that become full-width in JIS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempHome.h"
#include "viewer/Jconvert.h"

using namespace kestrel;

namespace {

std::string Iconv(const std::string& from, const std::string& to, const std::string& bytes) {
  std::string out, err;
  int rc = test::RunCommand("iconv -f " + from + " -t " + to, &out, &err, bytes);
  EXPECT_EQ(rc, 0) << err;
  return out;
}

// Where two byte strings part, for a readable failure.
std::string FirstDifference(const std::string& got, const std::string& want) {
  std::size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  if (i == got.size() && i == want.size()) return "";
  char at[64];
  std::snprintf(at, sizeof at, "differ at byte %zu of %zu/%zu", i, got.size(), want.size());
  return at;
}

// Every JIS X 0208 character iconv knows, in EUC-JP, one after the other.
std::string AllJisX0208InEuc() {
  std::string lines;
  for (int row = 0x21; row <= 0x7E; ++row) {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      lines += static_cast<char>(row | 0x80);
      lines += static_cast<char>(cell | 0x80);
      lines += '\n';
    }
  }
  // iconv -c drops the codes without a character: their lines come out empty.
  std::string utf8;
  test::RunCommand("iconv -c -f EUC-JP -t UTF-8", &utf8, nullptr, lines);
  std::string euc;
  std::size_t pos = 0;
  for (std::size_t k = 0; k < lines.size() / 3; ++k) {
    std::size_t end = utf8.find('\n', pos);
    if (end == std::string::npos) break;
    if (end > pos) euc += lines.substr(k * 3, 2);
    pos = end + 1;
  }
  return euc;
}

}  // namespace

TEST(JconvertPeerTest, EveryJisX0208CharacterAgreesWithIconv) {
  test::TempHome home;
  const std::string euc = AllJisX0208InEuc();
  ASSERT_EQ(euc.size(), 6879u * 2);  // JIS X 0208:1997

  const std::string sjis = Iconv("EUC-JP", "SHIFT_JIS", euc);
  const std::string jis = Iconv("EUC-JP", "ISO-2022-JP", euc);
  ASSERT_EQ(sjis.size(), euc.size());

  EXPECT_EQ(FirstDifference(euc2sjis(euc), sjis), "");
  EXPECT_EQ(FirstDifference(sjis2euc(sjis), Iconv("SHIFT_JIS", "EUC-JP", sjis)), "");
  EXPECT_EQ(FirstDifference(jis2sjis(jis), sjis), "");
  EXPECT_EQ(FirstDifference(jis2euc(jis), euc), "");
  // iconv returns to ASCII at the end; our JIS text stays in two-byte mode.
  std::string peerJis = Iconv("SHIFT_JIS", "ISO-2022-JP", sjis);
  ASSERT_EQ(peerJis.substr(peerJis.size() - 3), "\x1B(B");
  peerJis.resize(peerJis.size() - 3);
  EXPECT_EQ(FirstDifference(sjis2jis83(sjis), peerJis), "");
  EXPECT_EQ(FirstDifference(euc2jis83(euc), peerJis), "");
  // And the guess names each as what it is.
  EXPECT_EQ(InCodeCheck(sjis), CODE_SJIS);
  EXPECT_EQ(InCodeCheck(euc), CODE_EUC);
  EXPECT_EQ(InCodeCheck(jis), CODE_JIS_NEW);
}

TEST(JconvertPeerTest, HalfWidthKanaAgreeWithNkf) {
  test::TempHome home;
  // Each kana alone and with both marks behind it, one per line.
  std::string sjis;
  for (int k = 0xA1; k <= 0xDF; ++k) {
    for (const char* mark : {"", "\xDE", "\xDF"}) {
      sjis += static_cast<char>(k);
      sjis += mark;
      sjis += '\n';
    }
  }
  std::string want, err;
  ASSERT_EQ(test::RunCommand("nkf -j -S", &want, &err, sjis), 0) << err;
  // nkf returns to ASCII with ESC ( B where we write ESC ( J.
  std::string got = sjis2jis83(sjis);
  for (std::size_t at = 0; (at = got.find("\x1B(J", at)) != std::string::npos; at += 3) {
    got[at + 2] = 'B';
  }
  EXPECT_EQ(FirstDifference(got, want), "");
}
