// The window's images: each one drawn, and drawn once however often asked.
#include "shell/qt/Icons.h"
#include "support/OffscreenApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <memory>

using namespace kestrel;

namespace {

// True when some pixel of the icon at 16 × 16 is not transparent.
bool Drawn(const QIcon& icon) {
  QImage image = icon.pixmap(16, 16).toImage();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) != 0) return true;
    }
  }
  return false;
}

class IconsTest : public ::testing::Test {
 protected:
  IconsTest() {
    test::OffscreenApp();
  }
};

TEST_F(IconsTest, EveryCommandAndNodeHasAnImageMadeOnceAndShared) {
  for (int i = 0; i < kCommandCount; ++i) {
    auto command = static_cast<Command>(i);
    QIcon first = CommandIcon(command);
    EXPECT_FALSE(first.isNull()) << InfoOf(command).name;
    EXPECT_TRUE(Drawn(first)) << InfoOf(command).name;
    // The same icon, not a new drawing of it.
    EXPECT_EQ(CommandIcon(command).cacheKey(), first.cacheKey()) << InfoOf(command).name;
  }
  for (auto [normal, selected] : {std::pair{0, 1}, std::pair{2, 3}, std::pair{4, 5}, std::pair{6, 7}}) {
    QIcon node = NodeIcon(normal, selected);
    EXPECT_TRUE(Drawn(node)) << normal;
    EXPECT_EQ(NodeIcon(normal, selected).cacheKey(), node.cacheKey()) << normal;
  }
  for (int image = 1; image <= 3; ++image) {
    EXPECT_TRUE(Drawn(ListImage(image))) << image;
    for (int mark = 0; mark <= 2; ++mark) {
      EXPECT_TRUE(Drawn(MarkedListImage(image, mark))) << image << "/" << mark;
      EXPECT_EQ(MarkedListImage(image, mark).cacheKey(), MarkedListImage(image, mark).cacheKey());
    }
  }
  EXPECT_TRUE(ListImage(0).isNull());
}

TEST_F(IconsTest, ANodesIconMeasuresAsItsImagesBeforeItIsDrawn) {
  for (auto [normal, selected] : {std::pair{0, 1}, std::pair{2, 3}, std::pair{6, 7}}) {
    QIcon made = MakeNodeIcon(normal, selected);
    QIcon node = NodeIcon(normal, selected);
    // The tree's own size first, as it measures before anything is drawn.
    for (QSize size : {QSize(16, 16), QSize(8, 8), QSize(16, 24), QSize(20, 20), QSize(32, 32),
                       QSize(48, 48), QSize(64, 20)}) {
      for (QIcon::Mode mode : {QIcon::Normal, QIcon::Selected}) {
        EXPECT_EQ(node.actualSize(size, mode), made.actualSize(size, mode)) << normal << " " << size.width();
      }
    }
    EXPECT_EQ(node.pixmap(16, 16).toImage(), made.pixmap(16, 16).toImage()) << normal;
    EXPECT_EQ(node.pixmap(QSize(16, 16), QIcon::Selected).toImage(),
              made.pixmap(QSize(16, 16), QIcon::Selected).toImage()) << normal;
  }
}

TEST_F(IconsTest, TheApplicationsStyleGivesTheSameStandardImagesAsItsOwnStyle) {
  std::unique_ptr<QStyle> lazy(NewApplicationStyle());
  QStyle* own = QApplication::style();
  QStyleOption plain;
  plain.direction = Qt::RightToLeft;
  QStyleOptionButton button;
  for (auto which : {QStyle::SP_DirClosedIcon, QStyle::SP_FileIcon, QStyle::SP_TrashIcon,
                     QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ArrowBack,
                     QStyle::SP_CustomBase}) {
    const QStyleOption* options[] = {nullptr, &plain, &button};
    for (const QStyleOption* option : options) {
      QIcon got = lazy->standardIcon(which, option);
      QIcon want = own->standardIcon(which, option);
      // An image the style has none of is none here either.
      EXPECT_EQ(got.isNull(), want.isNull()) << which;
      EXPECT_EQ(got.availableSizes(), want.availableSizes()) << which;
      for (int size : {16, 20, 32}) {
        EXPECT_EQ(got.actualSize(QSize(size, size)), want.actualSize(QSize(size, size))) << which;
        EXPECT_EQ(got.pixmap(size, size).toImage(), want.pixmap(size, size).toImage()) << which << " " << size;
      }
    }
  }
  EXPECT_TRUE(lazy->standardIcon(QStyle::SP_CustomBase).isNull());
  EXPECT_FALSE(lazy->standardIcon(QStyle::SP_FileIcon).isNull());
}

TEST_F(IconsTest, StandardImagesReadFromQtsFilesAreFusionsOwnInEverySizeAndMode) {
  if (QApplication::style()->name().compare("fusion", Qt::CaseInsensitive) != 0 ||
      !QIcon::themeName().isEmpty()) {
    GTEST_SKIP() << "the images are read from the files only under Fusion without an icon theme";
  }
  std::unique_ptr<QStyle> fusion(QStyleFactory::create("fusion"));
  int made = 0;
  // Every standard image Qt 6 has (they are numbered from 0, below 128).
  for (int i = 0; i < 128; ++i) {
    auto which = static_cast<QStyle::StandardPixmap>(i);
    QIcon got = ImageAsTheStyleMakesIt(which);
    if (got.isNull()) continue;
    ++made;
    QIcon want = fusion->standardIcon(which);
    EXPECT_EQ(got.availableSizes(), want.availableSizes()) << which;
    for (int size : {16, 20, 22, 24, 32, 48}) {
      for (auto mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
        for (auto state : {QIcon::Off, QIcon::On}) {
          EXPECT_EQ(got.pixmap(QSize(size, size), mode, state).toImage(),
                    want.pixmap(QSize(size, size), mode, state).toImage())
              << which << " at " << size << " mode " << mode << " state " << state;
        }
      }
    }
  }
  // The tree's folders and most tool bar images come this way.
  EXPECT_GE(made, 10);
  EXPECT_TRUE(ImageAsTheStyleMakesIt(QStyle::SP_DialogApplyButton).isNull());
}

}  // namespace
