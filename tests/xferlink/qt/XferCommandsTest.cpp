// actPilotXfer in the real main window: the console opens for the selected
// user with the backup node's folder, and HotSync Manager is left as found.
#include "xferlink/qt/XferCommands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/AppFixture.h"
#include "app/qt/FormKestrel.h"
#include "app/qt/KestrelPlus.h"
#include "common/MessageTable.h"
#include "support/ScriptedPrompter.h"
#include "xferlink/qt/FrmKestlink.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class XferCommandsTest : public AppFixture {
 protected:
  XferCommandsTest() {
    static int argc = 1;
    static char name[] = "xferlink_qt_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    setenv("KESTREL_COM_PORTS", "", 1);
  }
  ~XferCommandsTest() override { form.reset(); }

  void Select(const std::vector<QString>& path) {
    QTreeWidget* tree = form->TViewUsers();
    QTreeWidgetItem* item = nullptr;
    for (const QString& caption : path) {
      QTreeWidgetItem* found = nullptr;
      int n = item ? item->childCount() : tree->topLevelItemCount();
      for (int i = 0; i < n && !found; ++i) {
        QTreeWidgetItem* c = item ? item->child(i) : tree->topLevelItem(i);
        if (c->text(0) == caption) found = c;
      }
      ASSERT_NE(found, nullptr) << caption.toStdString();
      item = found;
    }
    tree->setCurrentItem(item);
  }

  ScriptedPrompter prompter;
  std::unique_ptr<TFormKestrel> form;
};

}  // namespace

TEST_F(XferCommandsTest, TheConsoleOpensOnTheBackupNodesFolder) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  form = std::make_unique<TFormKestrel>();
  WireSubsystems(*form);
  form->FormCreate({}, true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  QAction* xfer = form->action(Command::PilotXfer);
  ASSERT_NE(xfer, nullptr);
  Select({"Taro Yamada", QString::fromStdString(MessageText(562))});
  EXPECT_TRUE(xfer->isEnabled());
  std::string shownFolder, caption;
  QTimer::singleShot(0, [&] {
    auto* console = dynamic_cast<TfrmKestlink*>(QApplication::activeModalWidget());
    if (!console) return;
    caption = console->windowTitle().toStdString();
    shownFolder = console->edBackPath->text().toStdString();
    console->close();
  });
  xfer->trigger();
  EXPECT_EQ(caption, "Kestlink");
  std::string want = BackupOf("TaroY");
  want.pop_back();
  EXPECT_EQ(shownFolder, want);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
