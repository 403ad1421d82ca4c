// The user dialog and the About box offscreen.
#include "dialogs/qt/FormAddUser.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "QtDialogFixture.h"
#include "dialogs/qt/AboutBox.h"
#include "platform/FileSystem.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class FormAddUserTest : public ::testing::Test, public QtDialogFixture {
 protected:
  FormAddUserTest() { WriteUsersDat(palm, {{12345, "Taro Yamada", "TaroY"}, {42, "Jiro", "JiroS"}}); }
  ScriptedPrompter prompter;
};

TEST_F(FormAddUserTest, AddModeRegistersAndHandsTheUserOn) {
  TFormAddUser form;
  form.show();
  EXPECT_EQ(form.windowTitle(), "ユーザ情報");
  EXPECT_TRUE(form.EdUserName()->isEnabled());
  EXPECT_TRUE(form.EdBackPath()->text().isEmpty());
  dialogs.expectFolder(home / "Backup表");
  QTest::mouseClick(form.BitBtn1(), Qt::LeftButton);
  EXPECT_EQ(dialogs.shown()[0].caption, "バックアップフォルダを指定してください");
  EXPECT_EQ(form.EdBackPath()->text().toStdString(), home / "Backup表/");
  QTest::keyClicks(form.EdUserName(), "Jiro");
  prompter.expect(BoxKind::Confirm, Button::Yes);
  QTest::mouseClick(form.BtnOK(), Qt::LeftButton);
  EXPECT_EQ(form.result(), QDialog::Accepted);
  auto user = form.logic().TakeUser();
  ASSERT_TRUE(user);
  EXPECT_EQ(user->backupFolder(), home / "Backup表/");
  EXPECT_TRUE(TheFileSystem().isDirectory(home / "Backup表"));
  user->handlers().setSaveOnDestroy(false);
}

TEST_F(FormAddUserTest, FailedCheckStaysOpenAndShowsTheSeparator) {
  TFormAddUser form;
  form.show();
  QTest::keyClicks(form.EdUserName(), "Jiro");
  QTest::keyClicks(form.EdBackPath(), QString::fromStdString(home / "later"));
  prompter.expect(BoxKind::Confirm, Button::No);
  QTest::mouseClick(form.BtnOK(), Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.EdBackPath()->text().toStdString(), home / "later/");
  EXPECT_FALSE(TheRegistry().keyExists(Hive::CurrentUser, JoinKeyPath(kUsersKey, "Jiro")));
}

TEST_F(FormAddUserTest, ChangeModeShowsTheUserAndRefusesAnEmptyFolder) {
  TFormAddUser form(*users[0]);
  form.show();
  EXPECT_FALSE(form.EdUserName()->isEnabled());
  EXPECT_EQ(form.EdUserName()->text(), "Taro Yamada");
  EXPECT_EQ(form.EdBackPath()->text().toStdString(), users[0]->backupFolder());
  form.EdBackPath()->clear();
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  QTest::mouseClick(form.BtnOK(), Qt::LeftButton);
  EXPECT_EQ(prompter.lastText(), "フォルダが作成できませんでした。");
  EXPECT_TRUE(form.isVisible());
}

TEST_F(FormAddUserTest, AboutBoxShowsTheVersionAndOpensItsAddresses) {
  TAboutBox box;
  box.show();
  EXPECT_EQ(box.windowTitle(), "バージョン情報");
  EXPECT_TRUE(box.Version()->text().startsWith("Version "));
  EXPECT_FALSE(box.Version()->text().contains("不明"));
  EXPECT_EQ(Find<QLabel>(&box, "ProductName")->text(), "Kestrel Plus");
  emit box.LblWEB()->linkActivated("http://kestrel-plus.example.org/");
  emit box.LblMail()->linkActivated("mailto:kestrel-plus@example.org");
  EXPECT_EQ(opened, (std::vector<std::string>{"http://kestrel-plus.example.org/", "mailto:kestrel-plus@example.org"}));
  box.reject();
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

}  // namespace
