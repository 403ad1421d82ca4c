// The real dialogs of the dialog seam, under the offscreen platform: each one
// opens over its owner with what the program asked, and answers what the
// user did.
#include "common/qt/QtDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QListView>
#include <QInputDialog>
#include <QMainWindow>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class QtDialogsTest : public ::testing::Test {
 protected:
  QtDialogsTest() {
    static int argc = 1;
    static char name[] = "qt_dialogs_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    owner = std::make_unique<QMainWindow>();
    owner->setGeometry(200, 150, 640, 480);
    owner->show();
    dialogs.setOwner(owner.get());
  }

  // Runs `answer` on the next modal dialog of type D once it is open.
  template <class D>
  void WhenOpen(std::function<void(D*)> answer) {
    QTimer::singleShot(0, [answer] {
      auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
      if (!dialog) {
        ADD_FAILURE() << "no dialog open";
        if (QWidget* other = QApplication::activeModalWidget()) other->close();
        return;
      }
      answer(dialog);
    });
  }

  std::unique_ptr<QMainWindow> owner;
  QtDialogs dialogs;
};

TEST_F(QtDialogsTest, TheTextDialogShowsTheQuestionOverItsOwner) {
  QString title, label, initial;
  bool over = false;
  WhenOpen<QInputDialog>([&](QInputDialog* d) {
    title = d->windowTitle();
    label = d->labelText();
    initial = d->textValue();
    over = owner->frameGeometry().contains(d->frameGeometry().center());
    d->setTextValue("ゲーム");
    d->accept();
  });
  auto answer = dialogs.askText({"フォルダの追加 - バックアップ", "名前を入力してください", "新しいフォルダ",
                                 "NewFolderDialog"});
  EXPECT_EQ(answer, "ゲーム");
  EXPECT_EQ(title, "フォルダの追加 - バックアップ");
  EXPECT_EQ(label, "名前を入力してください");
  EXPECT_EQ(initial, "新しいフォルダ");
  EXPECT_TRUE(over);

  WhenOpen<QInputDialog>([](QInputDialog* d) { d->reject(); });
  EXPECT_EQ(dialogs.askText({"t", "p", "x", ""}), std::nullopt);
}

TEST_F(QtDialogsTest, TheFileDialogStartsInTheFolderAndAnswersTheChosenFiles) {
  TempHome home;
  WriteFile(home / "in/a.prc", "a");
  WriteFile(home / "in/b.pdb", "b");
  QString title, folder;
  QStringList filters;
  WhenOpen<QFileDialog>([&](QFileDialog* d) {
    title = d->windowTitle();
    folder = d->directory().absolutePath();
    filters = d->nameFilters();
    d->selectFile("\"a.prc\" \"b.pdb\"");
    static_cast<QDialog*>(d)->accept();
  });
  FileOpenRequest request;
  request.caption = "ファイルの追加";
  request.folder = home / "in";
  request.filters = {"Palm (*.prc *.pdb)", "すべてのファイル(*.*) (*)"};
  std::vector<std::string> files = dialogs.openFiles(request);
  EXPECT_EQ(title, "ファイルの追加");
  EXPECT_EQ(folder.toStdString(), home / "in");
  EXPECT_EQ(filters, QStringList({"Palm (*.prc *.pdb)", "すべてのファイル(*.*) (*)"}));
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{home / "in/a.prc", home / "in/b.pdb"}));

  WhenOpen<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_TRUE(dialogs.openFiles(request).empty());
}

TEST_F(QtDialogsTest, TheFolderChoiceAnswersTheFolderOrNothing) {
  TempHome home;
  std::filesystem::create_directories(home / "Backup/Taro");
  WhenOpen<QFileDialog>([&](QFileDialog* d) {
    d->selectFile(QString::fromStdString(home / "Backup/Taro"));
    static_cast<QDialog*>(d)->accept();
  });
  EXPECT_EQ(dialogs.chooseFolder({"", home / "Backup", ""}), home / "Backup/Taro");
  WhenOpen<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(dialogs.chooseFolder({"", home / "Backup", ""}), std::nullopt);
}

TEST_F(QtDialogsTest, AFixedPitchFontDialogListsFixedPitchFamiliesOnlyFromTheStart) {
  for (bool fixedOnly : {true, false}) {
    QStringList families;
    WhenOpen<QFontDialog>([&](QFontDialog* d) {
      // The first list is the families'.
      if (auto* list = d->findChild<QListView*>()) {
        for (int r = 0; r < list->model()->rowCount(); ++r) families << list->model()->index(r, 0).data().toString();
      }
      d->reject();
    });
    dialogs.chooseFont({"", {"Monospace", 10}, fixedOnly, ""});
    ASSERT_FALSE(families.isEmpty());
    int proportional = 0;
    for (const QString& f : families) proportional += QFontDatabase::isFixedPitch(f) ? 0 : 1;
    if (fixedOnly) EXPECT_EQ(proportional, 0) << families.join(", ").toStdString();
    else EXPECT_GT(proportional, 0);  // the machine has some, so the above means something
  }
}

TEST_F(QtDialogsTest, TheFontDialogStartsWithTheFontAndAnswersTheChoice) {
  QString family;
  bool monospacedOnly = false;
  WhenOpen<QFontDialog>([&](QFontDialog* d) {
    family = d->currentFont().family();
    monospacedOnly = d->testOption(QFontDialog::MonospacedFonts);
    QFont chosen = d->currentFont();
    chosen.setPointSize(14);
    d->setCurrentFont(chosen);
    d->accept();
  });
  auto font = dialogs.chooseFont({"日本語", {"Monospace", 10}, true, ""});
  ASSERT_TRUE(font);
  EXPECT_EQ(font->size, 14);
  EXPECT_FALSE(font->family.empty());
  EXPECT_TRUE(monospacedOnly);

  WhenOpen<QFontDialog>([](QFontDialog* d) { d->reject(); });
  EXPECT_EQ(dialogs.chooseFont({"", {"Monospace", 10}, false, ""}), std::nullopt);
}

}  // namespace
