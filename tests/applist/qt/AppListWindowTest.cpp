// The AppList subsystem in the real main window under the offscreen
// platform: the branch's categories on expansion, the update marks as state
// images, the properties opened from an entry, the save command and the
// lists saved when the window closes.
#include "applist/qt/AppListWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include "applist/AppListTestSupport.h"
#include "applist/qt/TFormAppListEdit.h"
#include "shell/qt/FormKestrel.h"
#include "shell/qt/Icons.h"
#include "support/FormFixture.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class AppListWindowTest : public FormFixture {
 protected:
  AppListWindowTest() {
    WriteAppList(home, {"Vexed.prc,appl,パズル,http://vexed/,ゲーム,2000/06/01",
                        "Chess.prc,appl,Chess,http://chess/,Games,2000/05/01"});
    AddUser("Taro", "TaroY", 1);
    SetLastUser("TaroY");
    WriteFile(BackupOf("TaroY") + "Vexed.prc", "v");
    WriteFile(BackupOf("TaroY") + "Chess.prc", "c");
    RunCommand("touch -t 200005011200 " + ShellQuote(BackupOf("TaroY")) + "*.prc");
    form = std::make_unique<TFormKestrel>();
    RegisterAppLists(form->logic(), *form);
    form->FormCreate({}, true);
  }

  int Row(const QString& caption) {
    for (int r = 0; r < form->listModel()->rowCount(); ++r) {
      if (form->listModel()->item(r, 0)->text() == caption) return r;
    }
    return -1;
  }
  QString Cell(const QString& caption, int column) {
    int r = Row(caption);
    return r < 0 ? QString() : form->listModel()->item(r, column)->text();
  }

  ScriptedPrompter prompter;
};

TEST_F(AppListWindowTest, ExpandingAppListsShowsTheCategories) {
  QTreeWidgetItem* appLists = TreeItem({"AppLists"});
  ASSERT_NE(appLists, nullptr);
  EXPECT_EQ(TreeItem({"AppLists", "AppList"})->childCount(), 0);
  appLists->setExpanded(true);
  QTreeWidgetItem* appList = TreeItem({"AppLists", "AppList"});
  ASSERT_EQ(appList->childCount(), 2);
  EXPECT_EQ(appList->child(0)->text(0).toStdString(), "Games");
  EXPECT_EQ(appList->child(1)->text(0).toStdString(), "ゲーム");
  form->TViewUsers()->setCurrentItem(appList->child(1));
  ASSERT_EQ(form->listModel()->rowCount(), 1);
  EXPECT_EQ(Cell("Vexed.prc", 2).toStdString(), "パズル");
  EXPECT_EQ(Cell("Vexed.prc", 5).toStdString(), "2000/06/01");
}

TEST_F(AppListWindowTest, TheUpdateCheckShowsItsMarksAsStateImages) {
  form->TViewUsers()->setCurrentItem(TreeItem({"Taro", "バックアップ"}));
  QAction* check = form->action(Command::ChkDate);
  ASSERT_NE(check, nullptr);
  EXPECT_TRUE(check->isCheckable());
  ASSERT_TRUE(check->isEnabled());
  EXPECT_EQ(form->listModel()->item(Row("Vexed.prc"), 0)->data(kStateImageRole).toInt(), -1);
  check->trigger();
  EXPECT_TRUE(check->isChecked());
  EXPECT_EQ(form->listModel()->item(Row("Vexed.prc"), 0)->data(kStateImageRole).toInt(), 2);
  EXPECT_EQ(form->listModel()->item(Row("Chess.prc"), 0)->data(kStateImageRole).toInt(), 0);
  // Every fill while checked: the refresh command too.
  form->action(Command::Refresh)->trigger();
  EXPECT_EQ(form->listModel()->item(Row("Vexed.prc"), 0)->data(kStateImageRole).toInt(), 2);
}

TEST_F(AppListWindowTest, EditingAnEntryOpensItsPropertiesAndOkShowsTheChange) {
  form->TViewUsers()->setCurrentItem(TreeItem({"AppLists", "AppList"}));
  QTreeView* view = form->LViewFiles();
  int row = Row("Chess.prc");
  ASSERT_GE(row, 0);
  view->setCurrentIndex(form->listModel()->index(row, 0));
  view->selectionModel()->select(form->listModel()->index(row, 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shown = true;
    EXPECT_EQ(dialog->windowTitle().toStdString(), "プロパティ");
    EXPECT_EQ(dialog->findChild<QLineEdit*>("EdFile")->text().toStdString(), "Chess.prc");
    dialog->findChild<QLineEdit*>("EdNote")->setText("チェス");
    dialog->findChild<QPushButton*>("OKButton")->click();
  });
  view->setFocus();
  QTest::keyClick(view, Qt::Key_F2);
  EXPECT_TRUE(shown);
  EXPECT_EQ(Cell("Chess.prc", 2).toStdString(), "チェス");

  // Saved when the window closes: My AppList got the line.
  form->close();
  EXPECT_EQ(Utf8Of(ReadFile(home / "MyAppList.txt")), "\"Chess.prc\",\"appl\",\"チェス\",\"http://chess/\"\r\n");
}

TEST_F(AppListWindowTest, TheSaveMenuItemWritesTheAppList) {
  QAction* save = form->action("AppList1");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->text().toStdString(), "AppListの保存");
  form->TViewUsers()->setCurrentItem(TreeItem({"AppLists", "AppList"}));
  QTreeView* view = form->LViewFiles();
  view->selectionModel()->select(form->listModel()->index(Row("Vexed.prc"), 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  form->action(Command::FDelete)->trigger();
  EXPECT_EQ(Row("Vexed.prc"), -1);
  ASSERT_TRUE(save->isEnabled());
  save->trigger();
  EXPECT_EQ(ReadFile(home / "AppList.txt"), "Chess.prc,appl,Chess,http://chess/,Games,2000/05/01\r\n");
}

}  // namespace
