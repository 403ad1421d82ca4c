// actPilotXfer in the real main window: the console opens for the selected
// user with the backup node's folder, and HotSync Manager is left as found.
#include "xferlink/qt/XferCommands.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>

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
#include "app/qt/EndOnSignal.h"
#include "platform/Termination.h"
#include "users/PalmDesktop.h"
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

TEST_F(XferCommandsTest, ASignalEndsPilotXferClosesTheConsoleAndStartsHotSyncManagerAgain) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  std::string tools = home / "pilot link";
  std::filesystem::create_directories(tools);
  std::filesystem::copy_file(BuiltProgram("pilot-xfer"), tools + "/pilot-xfer");
  CurrentUserKey(JoinKeyPath(kUsersKey, "Taro Yamada\\pilot-xfer")).writeString("Path", tools);
  CurrentUserKey(kPalmCoreKey).writeString("HotSyncPath", BuiltProgram("kestrel-hotsync"));
  setenv("KESTREL_PILOT_CONNECT_MS", "600000", 1);  // never connects
  std::string tool = ShellQuote(BuiltProgram("kestrel-tool"));
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    ASSERT_EQ(RunCommand(tool + " hotsync start"), 0);
    ASSERT_TRUE(QTest::qWaitFor([] { return FindHotSyncManager().has_value(); }, 10000));
    form = std::make_unique<TFormKestrel>();
    WireSubsystems(*form);
    form->FormCreate({}, true);
    CatchTerminationSignals();
    EndOnTerminationSignal(*form, 0);  // the test pumps events outside any loop
    Select({"Taro Yamada"});
    pid_t child = 0;
    QTimer::singleShot(0, [&] {
      auto* console = dynamic_cast<TfrmKestlink*>(QApplication::activeModalWidget());
      if (!console) return;
      console->acList->trigger();
      child = console->runner().childPid();
      raise(sig);
    });
    form->action(Command::PilotXfer)->trigger();
    ASSERT_GT(child, 0);
    EXPECT_NE(kill(child, 0), 0) << "pilot-xfer outlived the console, signal " << sig;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 5000));  // the window closed after it
    EXPECT_TRUE(QTest::qWaitFor([] { return FindHotSyncManager().has_value(); }, 10000)) << sig;
    EXPECT_EQ(prompter.shown().size(), 0u);  // nothing was asked
    form.reset();
    RunCommand(tool + " hotsync stop");
  }
  CatchTerminationSignals();  // forgets the last one
}
