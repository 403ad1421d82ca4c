#include "shell/UserSource.h"

#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Translate.h"
#include "shell/KestrelMain.h"
#include "users/PalmDesktop.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

constexpr const char* kRowUserName = QT_TRANSLATE_NOOP("Kestrel", "ユーザ名");
constexpr const char* kRowShortName = QT_TRANSLATE_NOOP("Kestrel", "ショートユーザ名");
constexpr const char* kRowUserId = QT_TRANSLATE_NOOP("Kestrel", "ユーザＩＤ");
constexpr const char* kRowInstallFolder = QT_TRANSLATE_NOOP("Kestrel", "インストールフォルダ");
constexpr const char* kRowBackupFolder = QT_TRANSLATE_NOOP("Kestrel", "バックアップフォルダ");

}  // namespace

void UserSource::Fill(ListContext& context) {
  UserInfo* user = context.selectedUser();
  FileList& list = context.list();
  list.columns = ColumnsFor(ColumnSet::UserInfo, user);
  list.clear();
  if (user) {
    for (auto [row, value] : {std::pair{kRowUserName, user->userName()},
                              std::pair{kRowShortName, user->shortName()},
                              std::pair{kRowUserId, user->userId()},
                              std::pair{kRowInstallFolder, user->installFolder()},
                              std::pair{kRowBackupFolder, user->backupFolder()}}) {
      list.items.push_back(FileItem{Tr(row), {value}, 0, false});
    }
  }
  context.setStatusText(2, "");
  context.setStatusText(3, "");
}

void UserSource::DoubleClick(ListContext& context, int item, bool) {
  UserInfo* user = context.selectedUser();
  FileItem& it = context.list().items[static_cast<std::size_t>(item)];
  if (!user || it.caption != Tr(kRowUserId)) return;
  // A lookup that fails blanks the object's identity; keep what was known
  // rather than saving an emptied user.
  std::string shortName = user->shortName(), userId = user->userId();
  if (LookUpUser(*user) != 0) {
    user->setShortName(shortName);
    user->setUserId(userId);
    return;
  }
  if (!it.subItems.empty()) it.subItems[0] = user->userId();
  user->SaveSettings();
  context.ItemChanged(item);
}

void UserSource::Delete(ListContext& context, Focus focus) {
  UserInfo* user = context.selectedUser();
  NodeInfo node = context.selectedNode();
  // A user goes only from the tree.
  if (focus != Focus::Tree || !user) return;
  if (ConfirmBox(MessageText(400), node.caption.c_str()) != Button::Yes) return;
  user->DeleteUser(false, "");
  main_.RemoveNode(node.node);
}

}  // namespace kestrel
