// The program under an English locale: the main window with every subsystem
// wired in, walked for Japanese texts and texts cut short.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>
#include <QTreeWidget>

#include "common/qt/QtTranslate.h"
#include "main/KestrelPlus.h"
#include "support/EnglishWalk.h"
#include "support/FormFixture.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class EnglishTest : public FormFixture {
 protected:
  EnglishTest() {
    AddUser("Taro Yamada", "TaroY", 7);
    SetLastUser("TaroY");
    // As kestrel-plus does before its first window.
    EXPECT_TRUE(InstallInterfaceLanguage(*qApp, Language::English));
  }
  ~EnglishTest() override { SetTranslateHook(nullptr); }
};

}  // namespace

TEST_F(EnglishTest, TheMainWindowShowsNoJapaneseAndNoCutText) {
  OpenWired(WireSubsystems);
  EXPECT_EQ(JapaneseTexts(form.get()), QStringList());
  EXPECT_EQ(CutTexts(form.get()), QStringList());
  EXPECT_EQ(form->action(Command::Config)->text(), "&Configuration...");
  EXPECT_EQ(form->action(Command::InstallFlag)->toolTip(), "Mark for install");
  EXPECT_NE(TreeItem({"Taro Yamada", "Install"}), nullptr);
  EXPECT_NE(TreeItem({"Taro Yamada", "Backup"}), nullptr);

  // Each node's list: its column titles and rows.
  QTreeWidget* tree = form->TViewUsers();
  std::vector<QTreeWidgetItem*> items;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    items.push_back(tree->topLevelItem(i));
    for (int c = 0; c < tree->topLevelItem(i)->childCount(); ++c) items.push_back(tree->topLevelItem(i)->child(c));
  }
  QStringList japanese;
  for (QTreeWidgetItem* item : items) {
    if (HasJapanese(item->text(0))) japanese << item->text(0);
    tree->setCurrentItem(item);
    QApplication::processEvents();
    QStandardItemModel* model = form->listModel();
    for (int c = 0; c < model->columnCount(); ++c) {
      QString title = model->headerData(c, Qt::Horizontal).toString();
      if (HasJapanese(title)) japanese << item->text(0) + " column " + title;
    }
    for (int r = 0; r < model->rowCount(); ++r) {
      QString caption = model->data(model->index(r, 0)).toString();
      if (HasJapanese(caption)) japanese << item->text(0) + " row " + caption;
    }
    EXPECT_EQ(JapaneseTexts(form.get()), QStringList()) << item->text(0).toStdString();
  }
  EXPECT_EQ(japanese, QStringList());
}
