// The program under an English locale: the main window with every subsystem
// wired in, walked for Japanese texts and texts cut short.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include "common/qt/QtTranslate.h"
#include "dialogs/qt/FormFirstStart.h"
#include "main/KestrelPlus.h"
#include "viewer/qt/FrmEye.h"
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

  // What the modal window a command opens shows (each page of its tabs
  // in turn), as "window: where: text".
  QStringList WalkModal(Command command) {
    QAction* action = form->action(command);
    if (!action || !action->isEnabled()) return {QString("not enabled: ") + InfoOf(command).name};
    QStringList found;
    bool ran = false;
    QTimer::singleShot(0, [&] {
      ran = true;
      QApplication::processEvents();  // the layouts of the translated texts
      QWidget* w = QApplication::activeModalWidget();
      if (!w) {
        found << QString("no window for ") + InfoOf(command).name;
        return;
      }
      auto walk = [&] {
        for (const QString& t : JapaneseTexts(w)) found << w->objectName() + " Japanese " + t;
        for (const QString& t : CutTexts(w)) found << w->objectName() + " cut " + t;
      };
      walk();
      for (QTabWidget* tabs : w->findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
          tabs->setTabVisible(i, true);
          tabs->setCurrentIndex(i);
          QApplication::processEvents();
          walk();
        }
      }
      if (auto* d = qobject_cast<QDialog*>(w)) d->reject(); else w->close();
    });
    action->trigger();
    for (int i = 0; i < 100 && !ran; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    found.removeDuplicates();
    return found;
  }
};

}  // namespace

TEST_F(EnglishTest, TheMainWindowShowsNoJapaneseAndNoCutText) {
  OpenWired(WireSubsystems);
  EXPECT_EQ(Lines(JapaneseTexts(form.get())), "");
  EXPECT_EQ(Lines(CutTexts(form.get())), "");
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
    EXPECT_EQ(Lines(JapaneseTexts(form.get())), "") << item->text(0).toStdString();
  }
  EXPECT_EQ(Lines(japanese), "");
}

TEST_F(EnglishTest, EveryDialogAndWindowShowsNoJapaneseAndNoCutText) {
  OpenWired(WireSubsystems);
  Select({"Taro Yamada"});
  for (Command c : {Command::Config, Command::About, Command::NewUser, Command::ChangeUser, Command::PilotXfer}) {
    EXPECT_EQ(Lines(WalkModal(c)), "") << InfoOf(c).name;
  }

  TfrmEye eye;
  GlanceRequest r;
  r.path = home / "none.txt";
  r.fonts = {"", 9, "", 10};
  eye.setRequest(r);
  eye.show();
  QApplication::processEvents();
  EXPECT_EQ(Lines(JapaneseTexts(&eye)), "");
  EXPECT_EQ(Lines(CutTexts(&eye)), "");

  TFormFirstStart first(FirstStartRequest{"/home/palm", "hotsync", "/dev/ttyUSB0", false});
  first.show();
  QApplication::processEvents();
  EXPECT_EQ(Lines(JapaneseTexts(&first)), "");
  EXPECT_EQ(Lines(CutTexts(&first)), "");
}
