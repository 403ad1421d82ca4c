#include "xferlink/qt/XferCommands.h"

#include <QWidget>

#include "common/qt/QtPrompter.h"
#include "shell/CommandRouter.h"
#include "shell/Commands.h"
#include "shell/KestrelMain.h"
#include "shell/MainContext.h"
#include "shell/UserTree.h"
#include "users/PalmDesktop.h"
#include "users/UserInfo.h"
#include "xferlink/qt/FrmKestlink.h"

namespace kestrel {

void RegisterXferCommands(KestrelMain& main, QWidget& mainWindow) {
  main.router().SetHandler(InfoOf(Command::PilotXfer).name, [&mainWindow](MainContext& ctx) {
    // pilot-xfer and HotSync Manager cannot share the port.
    bool hotSyncWasRunning = FindHotSyncManager().has_value();
    if (hotSyncWasRunning) ctx.commands().Run(InfoOf(Command::ExitHotSync).name, ctx);
    UserInfo* user = ctx.selectedUser();
    if (user) {
      TfrmKestlink console(*user, &mainWindow);
      NodeInfo node = ctx.selectedNode();
      if (node.kind == kNodeBackup) console.setBackupFolder(node.folder);
      PlaceDialogOver(&console, &mainWindow);
      console.exec();
    }
    if (hotSyncWasRunning) ctx.commands().Run(InfoOf(Command::ExecHotSync).name, ctx);
    ctx.Refill();
  });
}

}  // namespace kestrel
