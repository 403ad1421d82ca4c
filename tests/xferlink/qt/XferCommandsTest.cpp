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

#include "app/FormFixture.h"
#include "app/qt/FormKestrel.h"
#include "app/qt/KestrelPlus.h"
#include "common/MessageTable.h"
#include "support/ScriptedPrompter.h"
#include "xferlink/qt/FrmKestlink.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class XferCommandsTest : public FormFixture {
 protected:


  ScriptedPrompter prompter;
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
