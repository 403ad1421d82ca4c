// The dialogs' commands of the main window, wired as kestrel-plus wires
// them: what the window shows after each dialog closes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "AppFixture.h"
#include "app/qt/FormKestrel.h"
#include "app/qt/KestrelPlus.h"
#include "dialogs/qt/AboutBox.h"
#include "dialogs/qt/FormAddUser.h"
#include "dialogs/qt/FormKSConfig.h"
#include "install/ArchiveZipWriter.h"
#include "platform/Home.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class FormDialogsTest : public AppFixture {
 protected:
  FormDialogsTest() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    setenv("KESTREL_COM_PORTS", "", 1);
    AddUser("Taro Yamada", "TaroY", 7);
    SetLastUser("TaroY");
    form = std::make_unique<TFormKestrel>();
    WireSubsystems(*form);
    form->FormCreate({}, true);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  ~FormDialogsTest() override { form.reset(); }

  // Runs a command whose modal dialog `answer` handles as it opens.
  template <class Dialog>
  void RunWith(Command command, std::function<void(Dialog&)> answer) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      seen = true;
      answer(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    QAction* action = form->action(command);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << InfoOf(command).name;
    action->trigger();
    EXPECT_TRUE(seen);
  }
  QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& caption) {
    int n = parent ? parent->childCount() : form->TViewUsers()->topLevelItemCount();
    for (int i = 0; i < n; ++i) {
      QTreeWidgetItem* c = parent ? parent->child(i) : form->TViewUsers()->topLevelItem(i);
      if (c->text(0) == caption) return c;
    }
    return nullptr;
  }
  QTreeWidgetItem* BackupNode(const QString& user) {
    QTreeWidgetItem* top = Child(nullptr, user);
    return top ? Child(top, "バックアップ") : nullptr;
  }

  ScriptedPrompter prompter;
  std::unique_ptr<TFormKestrel> form;
};

TEST_F(FormDialogsTest, ConfigOkStoresAndShowsArchivesInTheBackupFolder) {
  WriteZip(BackupOf("TaroY") + "games.zip", {ZipMember{"a.prc", "a"}});
  ASSERT_NE(BackupNode("Taro Yamada"), nullptr);
  EXPECT_EQ(Child(BackupNode("Taro Yamada"), "games.zip"), nullptr);
  RunWith<TFormKSConfig>(Command::Config, [](TFormKSConfig& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Kestrel+ の設定");
    dialog.findChild<QCheckBox*>("ChkBShowArchiveFolder")->click();
    QTest::mouseClick(dialog.findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
  });
  EXPECT_NE(Child(BackupNode("Taro Yamada"), "games.zip"), nullptr);
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, JoinKeyPath(kUsersKey, "Taro Yamada"), false);
  EXPECT_EQ(key->readDword("ShowArchiveFolder"), 1u);

  // Cancelled: nothing changes.
  RunWith<TFormKSConfig>(Command::Config, [](TFormKSConfig& dialog) {
    dialog.findChild<QCheckBox*>("ChkBShowArchiveFolder")->click();
    dialog.reject();
  });
  EXPECT_NE(Child(BackupNode("Taro Yamada"), "games.zip"), nullptr);
  EXPECT_EQ(key->readDword("ShowArchiveFolder"), 1u);
}

TEST_F(FormDialogsTest, NewUserGetsItsSubtree) {
  WriteUsersDat(palm, {{7, "Taro Yamada", "TaroY"}, {42, "Jiro", "JiroS"}});
  std::filesystem::create_directories(home / "JiroBackup/old");
  RunWith<TFormAddUser>(Command::NewUser, [&](TFormAddUser& dialog) {
    dialog.EdUserName()->setText("Jiro");
    dialog.EdBackPath()->setText(QString::fromStdString(home / "JiroBackup"));
    QTest::mouseClick(dialog.BtnOK(), Qt::LeftButton);
  });
  ASSERT_NE(Child(nullptr, "Jiro"), nullptr);
  ASSERT_NE(BackupNode("Jiro"), nullptr);
  EXPECT_NE(Child(BackupNode("Jiro"), "old"), nullptr);
  EXPECT_EQ(form->logic().users().size(), 2u);
}

TEST_F(FormDialogsTest, ChangeUserRebuildsTheBackupSubtreeFromTheNewFolder) {
  form->TViewUsers()->setCurrentItem(Child(nullptr, "Taro Yamada"));
  std::filesystem::create_directories(home / "NewBackup/Games");
  RunWith<TFormAddUser>(Command::ChangeUser, [&](TFormAddUser& dialog) {
    EXPECT_FALSE(dialog.EdUserName()->isEnabled());
    dialog.EdBackPath()->setText(QString::fromStdString(home / "NewBackup"));
    QTest::mouseClick(dialog.BtnOK(), Qt::LeftButton);
  });
  EXPECT_NE(Child(BackupNode("Taro Yamada"), "Games"), nullptr);
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, JoinKeyPath(kUsersKey, "Taro Yamada"), false);
  EXPECT_EQ(key->readString("BackupPath"), home / "NewBackup/");
  // The backup node lists the new folder.
  form->TViewUsers()->setCurrentItem(BackupNode("Taro Yamada"));
  EXPECT_EQ(form->logic().tree().BackupFolderOf(0), home / "NewBackup/");
}

TEST_F(FormDialogsTest, AboutShowsTheVersion) {
  RunWith<TAboutBox>(Command::About, [](TAboutBox& box) {
    EXPECT_EQ(box.windowTitle(), "バージョン情報");
    EXPECT_TRUE(box.Version()->text().startsWith("Version "));
    box.accept();
  });
}

TEST_F(FormDialogsTest, ConfigOffersTheNetworkManagerProfilesAsPhoneBook) {
  std::string oldPath = std::getenv("PATH"), oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", home.path().c_str(), 1);
  WriteFile(home / ".config/kestrel-standins/nmcli.ini", "[Office ISP]\n[モバイル 接続]\n");
  auto entries = [&] {
    QStringList items;
    RunWith<TFormKSConfig>(Command::Config, [&](TFormKSConfig& dialog) {
      auto* ras = dialog.findChild<QComboBox*>("CmbBRasName");
      for (int i = 0; i < ras->count(); ++i) items << ras->itemText(i);
      dialog.reject();
    });
    return items;
  };
  setenv("PATH", (std::string(KESTREL_NMCLI_DIR) + ":" + oldPath).c_str(), 1);
  EXPECT_EQ(entries(), (QStringList{"ダイアルしない", "Office ISP", "モバイル 接続"}));
  // Without nmcli there is nothing to dial.
  setenv("PATH", (home / "no-bin").c_str(), 1);
  EXPECT_EQ(entries(), QStringList{"ダイアルしない"});
  setenv("PATH", oldPath.c_str(), 1);
  setenv("HOME", oldHome.c_str(), 1);
}

TEST_F(FormDialogsTest, WithNothingToOpenThemHelpAndLinksSaySo) {
  // xdg-open on a machine without a desktop or a browser.
  WriteFile(home / "no-browser.sh", "#!/bin/sh\nexit 3\n");
  chmod((home / "no-browser.sh").c_str(), 0755);
  setenv("KESTREL_OPENER", (home / "no-browser.sh").c_str(), 1);
  const std::string helpBox =
      "ヘルプファイル " + ShippedFile("Kestrel.html") + " を表示できません。\nブラウザで開いてください。";
  prompter.expect(BoxKind::Error, Button::Ok);
  form->action(Command::Help)->trigger();
  EXPECT_EQ(prompter.lastText(), helpBox);
  RunWith<TFormKSConfig>(Command::Config, [&](TFormKSConfig& dialog) {
    prompter.expect(BoxKind::Error, Button::Ok);
    QTest::mouseClick(dialog.findChild<QPushButton*>("BtnHelp"), Qt::LeftButton);
    EXPECT_EQ(prompter.lastText(), helpBox);
    dialog.reject();
  });
  RunWith<TAboutBox>(Command::About, [&](TAboutBox& box) {
    prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
    emit box.LblWEB()->linkActivated("http://kestrel-plus.example.org/");
    emit box.LblMail()->linkActivated("mailto:kestrel-plus@example.org");
    box.accept();
  });
  ASSERT_EQ(prompter.shown().size(), 4u);
  EXPECT_EQ(prompter.shown()[2].text, "リンクの実行ができません");
  EXPECT_EQ(prompter.shown()[3].text, "リンクの実行ができません");
  unsetenv("KESTREL_OPENER");
}

}  // namespace
