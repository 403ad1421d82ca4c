// The real message boxes, under the offscreen platform.
#include "common/qt/QtPrompter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "common/MessageBoxes.h"
#include "support/OffscreenApp.h"

using namespace kestrel;

namespace {

struct Seen {
  QString title, text;
  QStringList buttons;
  QString defaultButton;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Reads the next box that opens, then presses the button with this text.
void AnswerNextBox(Seen& seen, const QString& press) {
  QTimer::singleShot(0, [&seen, press]() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text().remove('&');
    if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text().remove('&');
    for (QAbstractButton* b : box->buttons()) {
      if (b->text().remove('&').startsWith(press)) {
        b->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << press.toStdString();
    box->reject();
  });
}

class QtPrompterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QApplication::instance()) InstallJapaneseTranslation(test::OffscreenApp());
    SetPrompter(&prompter);
  }
  void TearDown() override { SetPrompter(nullptr); }
  QtPrompter prompter;
};

TEST_F(QtPrompterTest, ConfirmBoxSpeaksJapaneseAndDefaultsToNo) {
  Seen seen;
  AnswerNextBox(seen, "はい");
  EXPECT_EQ(ConfirmBox("%sは既に存在します。\n上書きしますか？", "Game.prc"), Button::Yes);
  EXPECT_EQ(seen.title.toStdString(), "確認");
  EXPECT_EQ(seen.text.toStdString(), "Game.prcは既に存在します。\n上書きしますか？");
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_TRUE(seen.buttons.contains("はい(Y)") || seen.buttons.contains("はい"))
      << seen.buttons.join(",").toStdString();
  EXPECT_TRUE(seen.defaultButton.startsWith("いいえ")) << seen.defaultButton.toStdString();
}

TEST_F(QtPrompterTest, ConfirmCancelDefaultsToYesAndErrorHasTheStopIcon) {
  Seen seen;
  AnswerNextBox(seen, "キャンセル");
  EXPECT_EQ(ConfirmCancelBox("保存しますか？"), Button::Cancel);
  EXPECT_EQ(seen.buttons.size(), 3);
  EXPECT_TRUE(seen.defaultButton.startsWith("はい")) << seen.defaultButton.toStdString();

  Seen error;
  AnswerNextBox(error, "OK");
  EXPECT_EQ(ErrorBox("フォルダが作成できません\n\n  %s", "/x"), Button::Ok);
  EXPECT_EQ(error.title.toStdString(), "エラー");
  EXPECT_EQ(error.icon, QMessageBox::Critical);
}

}  // namespace
