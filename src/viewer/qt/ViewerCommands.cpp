#include "viewer/qt/ViewerCommands.h"

#include <QWidget>

#include "install/ArchiveFolder.h"
#include "shell/ArchiveAccess.h"
#include "shell/CommandRouter.h"
#include "shell/Commands.h"
#include "shell/KestrelMain.h"
#include "shell/MainContext.h"
#include "shell/UserTree.h"
#include "users/UserInfo.h"
#include "viewer/qt/FrmEye.h"

namespace kestrel {

bool RunActEye(MainContext& context, const GlanceShow& show) {
  NodeInfo node = context.selectedNode();
  UserInfo* user = context.selectedUser();
  if (node.kind != kNodeArchive || !user) return false;
  std::vector<std::string> members =
      context.selectedFileNames(ArchiveMemberPathSubItem(user->showDescription()));
  if (members.empty() || members.front().empty()) return false;
  return OpenGlance(*user, node.folder, members.front(), context.mainWindowRect(), show,
                    [](const std::string& archive, const std::string& member) {
                      return TheArchiveAccess().Extract(archive, member);
                    });
}

void RegisterViewerCommands(KestrelMain& main, QWidget& mainWindow) { RegisterViewer(main.router(), mainWindow); }

void RegisterViewer(CommandRouter& router, QWidget& mainWindow, GlanceShow show) {
  if (!show) {
    show = [&mainWindow](const GlanceRequest& request) { return ShowGlanceWindow(request, &mainWindow); };
  }
  router.SetHandler(InfoOf(Command::Eye).name, [show](MainContext& context) { RunActEye(context, show); });
}

}  // namespace kestrel
