// The interface font: Japanese captions in a Japanese face where one is
// installed, the desktop's own font where none is.
#include "shell/qt/InterfaceFont.h"
#include "support/OffscreenApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>

using namespace kestrel;

namespace {

class InterfaceFontTest : public ::testing::Test {
 protected:
  InterfaceFontTest() {
    test::OffscreenApp();
  }
};

TEST_F(InterfaceFontTest, JapaneseCaptionsAreDrawnInAJapaneseFaceOfTheDesktopsSize) {
  QFont base = QApplication::font();
  base.setPointSize(11);
  base.setBold(true);
  QFont font = WithPreferredFamilies(base, JapaneseInterfaceFamilies());
  QFontInfo info(font);
  // The machine's setup installs Noto Sans CJK.
  EXPECT_EQ(info.family(), QStringLiteral("Noto Sans CJK JP"));
  EXPECT_EQ(info.pointSize(), 11);
  EXPECT_TRUE(info.bold());
  // Its own glyphs cover the captions: kana, kanji and Latin.
  QFontMetrics metrics(font);
  for (char32_t c : {U'フ', U'ァ', U'更', U'新', U'F', U'&'}) {
    EXPECT_TRUE(metrics.inFontUcs4(c)) << static_cast<unsigned>(c);
  }
}

TEST_F(InterfaceFontTest, WithoutAnyPreferredFaceTheBaseFontIsUsed) {
  QFont base = QApplication::font();
  QFont font = WithPreferredFamilies(base, {QStringLiteral("Kestrel No Such Face")});
  EXPECT_EQ(QFontInfo(font).family(), QFontInfo(base).family());
  EXPECT_EQ(font.families().last(), base.families().last());
}

}  // namespace
