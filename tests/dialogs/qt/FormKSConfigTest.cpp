// The configuration dialog's window offscreen: typing, clicking and the
// answers to its questions, checked in the controls and in the store.
#include "dialogs/qt/FormKSConfig.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "QtDialogFixture.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class FormKSConfigTest : public ::testing::Test, public QtDialogFixture {
 protected:
  FormKSConfigTest() : form(users, 0, {"Office"}) { form.show(); }

  QLineEdit* edit(const char* name) { return Find<QLineEdit>(&form, name); }
  QPushButton* button(const char* name) { return Find<QPushButton>(&form, name); }
  QCheckBox* check(const char* name) { return Find<QCheckBox>(&form, name); }
  QListWidget* list() { return Find<QListWidget>(&form, "LstBExt"); }
  void type(const char* name, const QString& text) {
    QLineEdit* e = edit(name);
    e->selectAll();
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
      QTest::keyClicks(e, text);
    } else {  // the test keyboard has only ASCII keys
      e->insert(text);
    }
  }
  void clickRow(int row) {
    QListWidget* l = list();
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
  }
  QStringList rows() {
    QStringList out;
    for (int i = 0; i < list()->count(); ++i) out << list()->item(i)->text();
    return out;
  }
  void clickTab(int index, Qt::KeyboardModifiers mods = {}) {
    QTabBar* bar = form.pages()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, mods, bar->tabRect(index).center());
  }

  ScriptedPrompter prompter;
  TFormKSConfig form;
};

TEST_F(FormKSConfigTest, ShowsTheUsersSettingsAndCaptions) {
  EXPECT_EQ(form.windowTitle(), "Kestrel+ の設定");
  QStringList tabs;
  for (int i = 0; i < form.pages()->count(); ++i) tabs << form.pages()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"連携", "テキスト整形", "動作", "接続", "Glancer"}));
  EXPECT_FALSE(form.pages()->isTabVisible(4));
  EXPECT_EQ(rows(), (QStringList{".prc", ".pdb", "(未登録)"}));
  auto* ras = Find<QComboBox>(&form, "CmbBRasName");
  EXPECT_EQ(ras->count(), 2);
  EXPECT_EQ(ras->currentText(), "ダイアルしない");
  EXPECT_FALSE(check("ChkBDisconnect")->isEnabled());
  EXPECT_EQ(edit("EdAppListURL")->text(), "http://kestrel-plus.example.org/data/AppList.txt");
  EXPECT_EQ(edit("EdZenUserDef2")->text(), "・「」");
  EXPECT_TRUE(check("ChkBBackup")->isChecked());
  EXPECT_EQ(Find<QComboBox>(&form, "CmbBUser")->currentText(), "Taro Yamada");
  EXPECT_EQ(Find<QComboBox>(&form, "CmbBInstMode")->itemText(5), "変換後の pdbファイルを移動する");
  // Nothing selected: no button acts on an entry.
  EXPECT_FALSE(button("BtnChange")->isEnabled());
  EXPECT_FALSE(button("BtnDelete")->isEnabled());
}

TEST_F(FormKSConfigTest, AddingTxtAndOkStoreTheDottedExtension) {
  type("EdExt", "txt");
  QTest::mouseClick(button("BtnAdd"), Qt::LeftButton);
  EXPECT_EQ(rows(), (QStringList{".txt", ".prc", ".pdb", "(未登録)"}));
  EXPECT_EQ(list()->currentRow(), 0);
  EXPECT_EQ(edit("EdExt")->text(), ".txt");
  QTest::mouseClick(button("BtnOK"), Qt::LeftButton);
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(StoredExtension("Taro Yamada", "01"), ".txt");
  EXPECT_EQ(Stored("Taro Yamada", "RasName"), "ダイアルしない");
}

TEST_F(FormKSConfigTest, SizeAndParityChecksKeepTheDialogOpen) {
  type("EdHanUserDef1", "a b ");
  type("EdZenUserDef1", "ＡＢＣ");
  prompter.expect(BoxKind::Error, Button::Ok);
  QTest::mouseClick(button("BtnOK"), Qt::LeftButton);
  EXPECT_EQ(prompter.lastText(), "ユーザ定義文字１のサイズが合いません。\n半角のほうが短いようです。");
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(edit("EdHanUserDef1")->text(), "a b ");  // the fields keep what was typed
  type("EdHanUserDef1", "a b c");
  type("EdZenUserDef1", "ＡＢa");
  prompter.expect(BoxKind::Error, Button::Ok);
  QTest::mouseClick(button("BtnOK"), Qt::LeftButton);
  EXPECT_EQ(prompter.lastText(), "ユーザ定義文字１が不正です。");
  EXPECT_TRUE(form.isVisible());
  EXPECT_NE(Stored("Taro Yamada", "HanUserDef1"), "a b c");
  QTest::mouseClick(button("BtnDefault1"), Qt::LeftButton);
  EXPECT_EQ(edit("EdZenUserDef1")->text().left(3), "　！＃");
  QTest::mouseClick(button("BtnOK"), Qt::LeftButton);
  EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(FormKSConfigTest, ChangedExtensionAnsweredNoAddsANewEntry) {
  type("EdExt", ".doc");
  QTest::mouseClick(button("BtnAdd"), Qt::LeftButton);
  type("EdExt", ".txt");
  prompter.expect(BoxKind::ConfirmCancel, Button::No);
  QTest::mouseClick(button("BtnChange"), Qt::LeftButton);
  EXPECT_EQ(rows(), (QStringList{".txt", ".doc", ".prc", ".pdb", "(未登録)"}));
}

TEST_F(FormKSConfigTest, ButtonsFollowTheSelectedEntry) {
  clickRow(0);
  EXPECT_TRUE(button("BtnChange")->isEnabled());
  EXPECT_TRUE(button("BtnDelete")->isEnabled());
  EXPECT_FALSE(button("BtnUp")->isEnabled());
  EXPECT_TRUE(button("BtnDown")->isEnabled());
  EXPECT_TRUE(button("BtnSetRegExt")->isEnabled());
  type("EdExt", ".txt");
  QTest::mouseClick(button("BtnAdd"), Qt::LeftButton);  // .txt .prc .pdb (未登録)
  clickRow(1);
  EXPECT_TRUE(button("BtnUp")->isEnabled());
  EXPECT_TRUE(button("BtnDown")->isEnabled());
  EXPECT_TRUE(button("BtnResetRegExt")->isEnabled());
  clickRow(3);
  EXPECT_EQ(edit("EdExt")->text(), "(未登録)");
  EXPECT_TRUE(button("BtnChange")->isEnabled());
  for (const char* name : {"BtnDelete", "BtnUp", "BtnDown", "BtnSetRegExt", "BtnResetRegExt"}) {
    EXPECT_FALSE(button(name)->isEnabled()) << name;
  }
  clickRow(1);
  QTest::mouseClick(button("BtnDown"), Qt::LeftButton);
  EXPECT_EQ(rows(), (QStringList{".txt", ".pdb", ".prc", "(未登録)"}));
  EXPECT_EQ(list()->currentRow(), 2);
}

TEST_F(FormKSConfigTest, ProgramGroupFollowsItsChecks) {
  clickRow(0);
  EXPECT_FALSE(edit("EdPath")->isEnabled());
  check("ChkBUseExchangeProg")->click();
  EXPECT_TRUE(edit("EdPath")->isEnabled());
  EXPECT_FALSE(edit("EdRestOption")->isEnabled());
  EXPECT_FALSE(button("BtnGo")->isEnabled());
  check("ChkBUseRestore")->click();
  check("ChkBUseConfig")->click();
  EXPECT_TRUE(edit("EdRestOption")->isEnabled());
  EXPECT_TRUE(button("BtnGo")->isEnabled());
  // Moving on asks about the edited entry.
  prompter.expect(BoxKind::Confirm, Button::No);
  clickRow(1);
  EXPECT_EQ(prompter.lastText(), ".prc は変更されています。反映しますか？");
  EXPECT_FALSE(check("ChkBUseExchangeProg")->isChecked());
}

TEST_F(FormKSConfigTest, BrowsePresetsAndPlaceholders) {
  clickRow(0);
  check("ChkBUseExchangeProg")->click();
  dialogs.expectFiles({"/usr/bin/txt2pdbdoc.sh"}).expectFiles({});
  QTest::mouseClick(button("BtnPath"), Qt::LeftButton);
  EXPECT_EQ(dialogs.shown()[0].initial, "");
  EXPECT_EQ(dialogs.shown()[0].filters,
            (std::vector<std::string>{"実行ファイル (*.exe *.com *.pif *.lnk)", "全てのファイル (*)"}));
  EXPECT_EQ(edit("EdPath")->text(), "/usr/bin/txt2pdbdoc.sh");
  EXPECT_EQ(edit("EdTitle")->text(), "txt2pdbdoc");
  ASSERT_NE(Find<QLabel>(&form, "ImgIcon"), nullptr);
  EXPECT_FALSE(Find<QLabel>(&form, "ImgIcon")->pixmap().isNull());
  QTest::mouseClick(button("BtnPath"), Qt::LeftButton);  // cancelled: the path stays
  EXPECT_EQ(dialogs.shown()[1].initial, "/usr/bin/");
  EXPECT_EQ(edit("EdPath")->text(), "/usr/bin/txt2pdbdoc.sh");

  dialogs.expectFolder(home / "work");
  QTest::mouseClick(button("BtnWorkDir"), Qt::LeftButton);
  EXPECT_EQ(edit("EdWorkDir")->text().toStdString(), home / "work");

  // ">>" without a preset section: the defaults of KSExt.ini's keys.
  QTest::mouseClick(button("BtnOption"), Qt::LeftButton);
  EXPECT_EQ(edit("EdOption")->text(), "$P");
  EXPECT_EQ(Find<QComboBox>(&form, "CmbBInstMode")->currentIndex(), 3);

  // Right click: the menu inserts at the caret of the last option field.
  check("ChkBUseRestore")->click();
  edit("EdRestOption")->setText("-d  x");
  edit("EdRestOption")->setCursorPosition(3);
  emit button("BtnRestOption")->customContextMenuRequested(QPoint(2, 2));
  QMenu* menu = form.placeholderMenu();
  QStringList codes;
  for (QAction* a : menu->actions()) codes << (a->isSeparator() ? "-" : a->data().toString());
  EXPECT_EQ(codes, (QStringList{"$P", "$O", "$F", "$N", "$E", "-", "$p", "$o", "$f", "$n", "$e", "-", "$I", "$i"}));
  menu->actions()[3]->trigger();
  menu->hide();
  EXPECT_EQ(edit("EdRestOption")->text(), "-d $N x");
  EXPECT_EQ(edit("EdRestOption")->cursorPosition(), 5);
  EXPECT_EQ(edit("EdOption")->text(), "$P");
}

TEST_F(FormKSConfigTest, CtrlRevealsTheGlancePageWhichStaysAfterOk) {
  clickTab(3);
  EXPECT_EQ(form.pages()->currentIndex(), 3);
  EXPECT_FALSE(form.pages()->isTabVisible(4));
  clickTab(1, Qt::ControlModifier);
  EXPECT_TRUE(form.pages()->isTabVisible(4));
  EXPECT_EQ(form.pages()->currentIndex(), 4);

  dialogs.expectFont(FontSpec{"DejaVu Sans Mono", 12});
  QTest::mouseClick(button("BtnEnFont"), Qt::LeftButton);
  EXPECT_EQ(dialogs.shown()[0].font.size, 9);  // the sample panel's font at start
  EXPECT_EQ(Find<QLabel>(&form, "PnlEnSample")->font().family(), "DejaVu Sans Mono");
  EXPECT_EQ(Find<QLabel>(&form, "PnlEnSample")->text(), "Sample Text for ANSI Charset");
  QTest::mouseClick(button("BtnOK"), Qt::LeftButton);
  EXPECT_EQ(Stored("Taro Yamada", "UseGlance"), "1");
  EXPECT_EQ(Stored("Taro Yamada", "GlanceEnFontName"), "DejaVu Sans Mono");
  EXPECT_EQ(Stored("Taro Yamada", "GlanceEnFontSize"), "12");
  EXPECT_EQ(Stored("Taro Yamada", "GlanceJpFontName"), "");
}

TEST_F(FormKSConfigTest, SwitchingUsersAfterOnlyTheUrlAsksNothing) {
  type("EdAppListURL", "http://dropped.example/");
  auto* combo = Find<QComboBox>(&form, "CmbBUser");
  combo->setCurrentIndex(1);
  emit combo->activated(1);
  EXPECT_TRUE(prompter.shown().empty());
  EXPECT_EQ(edit("EdAppListURL")->text(), "http://kestrel-plus.example.org/data/AppList.txt");
  check("ChkBShowTitle")->click();
  prompter.expect(BoxKind::Confirm, Button::Yes);
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  EXPECT_EQ(prompter.lastText(), "'Hanako'の設定を保存しますか？");
  EXPECT_EQ(Stored("Hanako", "ShowTitle"), "1");
  EXPECT_EQ(Stored("Taro Yamada", "AppListURL"), "http://kestrel-plus.example.org/data/AppList.txt");
}

TEST_F(FormKSConfigTest, HelpOpensTheTopicOfThePage) {
  QTest::mouseClick(button("BtnHelp"), Qt::LeftButton);
  clickTab(1);
  QTest::mouseClick(button("BtnHelp"), Qt::LeftButton);
  clickTab(2);
  QTest::mouseClick(button("BtnHelp"), Qt::LeftButton);
  clickTab(3);
  QTest::mouseClick(button("BtnHelp"), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_NE(opened[0].find("Kestrel.html#topic12"), std::string::npos) << opened[0];
  EXPECT_NE(opened[1].find("#topic19"), std::string::npos);
  EXPECT_NE(opened[2].find("#topic20"), std::string::npos);
}

TEST_F(FormKSConfigTest, EnablingOfTheOtherPages) {
  check("ChkBBackup")->click();
  EXPECT_FALSE(check("ChkBBackupArchive")->isEnabled());
  check("ChkBMargeLine")->click();
  EXPECT_FALSE(check("ChkBTrim")->isEnabled());
  EXPECT_FALSE(edit("EdProxy")->isEnabled());
  check("ChkBUseProxy")->click();
  EXPECT_TRUE(edit("EdProxyPort")->isEnabled());
  Find<QComboBox>(&form, "CmbBRasName")->setCurrentIndex(1);
  EXPECT_TRUE(check("ChkBAskDisconnect")->isEnabled());
  QTest::mouseClick(button("BtnOK"), Qt::LeftButton);
  EXPECT_EQ(Stored("Taro Yamada", "RasName"), "Office");
  EXPECT_EQ(Stored("Taro Yamada", "Backup"), "0");
}

}  // namespace
