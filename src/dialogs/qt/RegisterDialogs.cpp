#include "dialogs/qt/RegisterDialogs.h"

#include <QWidget>

#include "app/CommandRouter.h"
#include "app/MainContext.h"
#include "app/Session.h"
#include "common/qt/QtDialogs.h"
#include "common/qt/QtPrompter.h"
#include "dialogs/qt/AboutBox.h"
#include "dialogs/qt/FormAddUser.h"
#include "dialogs/qt/FormFirstStart.h"
#include "dialogs/qt/FormKSConfig.h"
#include "platform/DialUp.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

int RunPlaced(QDialog& dialog, QWidget& mainWindow) {
  dialog.adjustSize();
  PlaceDialogOver(&dialog, &mainWindow);
  return dialog.exec();
}

void ActConfigExecute(MainContext& ctx, QWidget& mainWindow) {
  int index = ctx.selectedUserIndex();
  if (!ctx.selectedUser()) return;
  std::vector<std::unique_ptr<UserInfo>>& users = ctx.session().users();
  // The dialog may store other users than the one it opened with.
  std::vector<bool> archivesBefore;
  for (const auto& u : users) archivesBefore.push_back(u && u->showArchives());
  TFormKSConfig dialog(users, index, TheDialUp().phoneBookEntries(), &mainWindow);
  if (RunPlaced(dialog, mainWindow) != QDialog::Accepted) return;
  for (std::size_t i = 0; i < users.size() && i < archivesBefore.size(); ++i) {
    if (users[i] && users[i]->showArchives() != archivesBefore[i]) ctx.RebuildBackupSubtree(static_cast<int>(i));
  }
  ctx.Refill();  // the columns and items for the node, as the new settings say
}

void ActNewUserExecute(MainContext& ctx, QWidget& mainWindow) {
  TFormAddUser dialog(&mainWindow);
  if (RunPlaced(dialog, mainWindow) != QDialog::Accepted) return;
  std::unique_ptr<UserInfo> user = dialog.logic().TakeUser();
  if (!user) return;
  int index = ctx.session().AddUser(std::move(user));
  ctx.AddUserSubtree(index);
}

void ActChangeUserExecute(MainContext& ctx, QWidget& mainWindow) {
  UserInfo* user = ctx.selectedUser();
  int index = ctx.selectedUserIndex();
  if (!user) return;
  TFormAddUser dialog(*user, &mainWindow);
  if (RunPlaced(dialog, mainWindow) != QDialog::Accepted) return;
  user->setBackupFolder(dialog.logic().backPath);
  ctx.RebuildBackupSubtree(index);
  user->SaveSettings();
  ctx.Refill();
}

}  // namespace

void RegisterDialogs(CommandRouter& router, QWidget& mainWindow) {
  QtDialogs::SetFirstStartWindow(&TFormFirstStart::Ask);
  router.SetHandler("ActConfig", [&mainWindow](MainContext& ctx) { ActConfigExecute(ctx, mainWindow); });
  router.SetHandler("ActNewUser", [&mainWindow](MainContext& ctx) { ActNewUserExecute(ctx, mainWindow); });
  router.SetHandler("ActChangeUser", [&mainWindow](MainContext& ctx) { ActChangeUserExecute(ctx, mainWindow); });
  router.SetHandler("ActAbout", [&mainWindow](MainContext&) {
    TAboutBox box(&mainWindow);
    RunPlaced(box, mainWindow);
  });
}

}  // namespace kestrel
