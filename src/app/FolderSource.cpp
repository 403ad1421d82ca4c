#include "app/FolderSource.h"

#include "app/KestrelMain.h"
#include "common/FileRules.h"
#include "common/FolderList.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "platform/FileSystem.h"
#include "users/UserInfo.h"

namespace kestrel {

void FolderSource::Fill(ListContext& context) {
  UserInfo* user = context.selectedUser();
  NodeInfo node = context.selectedNode();
  context.list().columns = ColumnsFor(ColumnSet::Folder, user);
  main_.FillFolder(node.folder, user);
  context.setStatusText(3, node.folder);
}

void FolderSource::DoubleClick(ListContext& context, int item, bool alt) {
  // Install and Palm folders: nothing.
  if (role_ != Role::Backup) return;
  UserInfo* user = context.selectedUser();
  if (!user) return;
  NodeInfo node = context.selectedNode();
  std::string path = node.folder + context.list().items[static_cast<std::size_t>(item)].caption;
  if (IsArchiveName(path)) {
    int archive = main_.AddArchiveNode(node.user, path);
    if (user->selectArchiveFolder() != alt) main_.Select(archive);
    return;
  }
  std::string install = main_.tree().InstallFolderOf(node.user);
  if (!install.empty()) QueueThroughHandler(*user, path, install, main_.FlagRaisedFor(node.user));
}

void FolderSource::Delete(ListContext& context, Focus focus) {
  UserInfo* user = context.selectedUser();
  NodeInfo node = context.selectedNode();
  FileList& list = context.list();
  if (focus == Focus::List && list.selectedCount() > 0) {
    std::vector<std::string> names = list.CollectSelectedNames(0);
    if (user && user->confirmDelete()) {
      Button b = names.size() == 1 ? ConfirmBox(MessageText(402), names.front().c_str())
                                   : ConfirmBox(MessageText(401), static_cast<int>(names.size()));
      if (b != Button::Yes) return;
    }
    // What could not be deleted stays listed.
    for (std::string& name : names) {
      if (DeleteFileChecked(node.folder + name, false)) name.clear();
    }
    list.RemoveSelectedItems(&names);
    // The folder's total without what went, at once rather than at the next refresh.
    context.setStatusText(2, KilobyteText(ListedBytes(list)));
    context.ListChanged();
    main_.ListSelectionChanged();
    return;
  }
  if (focus != Focus::Tree) return;
  if (role_ == Role::Backup && node.level > 1) {
    if (ConfirmBox(MessageText(403), node.folder.c_str()) != Button::Yes) return;
    DeleteFolderTree(node.folder);
    if (!TheFileSystem().exists(node.folder)) main_.RemoveNode(node.node);
  } else {
    ErrorBox(MessageText(452), node.caption.c_str());
  }
}

bool FolderSource::Rename(ListContext& context, int item, const std::string& caption) {
  FileItem& it = context.list().items[static_cast<std::size_t>(item)];
  if (caption == it.caption) return true;
  // A name, not a path: a separator would move the file elsewhere.
  if (caption.empty() || caption.find(kPathSeparator) != std::string::npos || caption == "." ||
      caption == "..") {
    return false;
  }
  std::string folder = context.selectedNode().folder;
  if (!TheFileSystem().moveFile(folder + it.caption, folder + caption)) return false;
  it.caption = caption;
  context.ItemChanged(item);
  return true;
}

}  // namespace kestrel
