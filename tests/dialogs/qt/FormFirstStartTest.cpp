// The first start's setup window: what it offers and what it answers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "QtDialogFixture.h"
#include "dialogs/qt/FormFirstStart.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class FormFirstStartTest : public ::testing::Test, public QtDialogFixture {
 protected:
  // Ask() with `act` run on the window once it is shown.
  std::optional<FirstStartAnswer> AskWith(std::function<void(TFormFirstStart&)> act) {
    QTimer::singleShot(0, [&] {
      auto* form = dynamic_cast<TFormFirstStart*>(QApplication::activeModalWidget());
      ASSERT_NE(form, nullptr);
      act(*form);
      if (form->isVisible()) form->reject();
    });
    return TFormFirstStart::Ask({"/home/taro/Palm", "/usr/bin/kestrel-hotsync", "COM3", false}, nullptr);
  }
};

TEST_F(FormFirstStartTest, OffersTheDefaultsAndAnswersWhatWasChosen) {
  std::optional<FirstStartAnswer> answer = AskWith([&](TFormFirstStart& form) {
    EXPECT_EQ(form.windowTitle(), "Palm Desktopのセットアップ");
    EXPECT_EQ(form.EdPalmPath()->text(), "/home/taro/Palm");
    EXPECT_EQ(Find<QLabel>(&form, "LblHotSyncPath")->text(), "/usr/bin/kestrel-hotsync");
    EXPECT_EQ(Find<QLabel>(&form, "LblComPort")->text(), "COM3");
    EXPECT_FALSE(form.ChkBNetHotSync()->isChecked());
    EXPECT_EQ(Find<QLabel>(&form, "LblNetHotSync")->text(),
              "オンにすると、ネットワーク上のどの機器からでもHotSyncできます。");
    dialogs.expectFolder("/data/Palm");
    QTest::mouseClick(Find<QPushButton>(&form, "BitBtn1"), Qt::LeftButton);
    form.ChkBNetHotSync()->click();
    QTest::mouseClick(form.BtnOK(), Qt::LeftButton);
  });
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->palmFolder, "/data/Palm");
  EXPECT_TRUE(answer->networkHotSync);
  EXPECT_FALSE(AskWith([](TFormFirstStart&) {}));  // cancelled
}

}  // namespace
