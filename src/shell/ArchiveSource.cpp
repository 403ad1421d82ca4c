#include "shell/ArchiveSource.h"

#include "common/FileRules.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "shell/ArchiveAccess.h"
#include "shell/KestrelMain.h"
#include "users/UserInfo.h"

namespace kestrel {

void ArchiveSource::Fill(ListContext& context) {
  UserInfo* user = context.selectedUser();
  NodeInfo node = context.selectedNode();
  FileList& list = context.list();
  list.columns = ColumnsFor(ColumnSet::Archive, user);
  list.clear();
  bool withDescription = user && user->showDescription();
  TheArchiveAccess().List(node.folder, withDescription, context.descriptions(), list.items);
  context.setStatusText(2, "");
  context.setStatusText(3, node.folder);
}

void ArchiveSource::DoubleClick(ListContext& context, int item, bool alt) {
  UserInfo* user = context.selectedUser();
  if (!user) return;
  if (user->glanceViewOnDClk() != alt) {
    // The Glance viewer opens the member (its command, registered by the viewer).
    context.commands().Run(InfoOf(Command::Eye).name, context);
    return;
  }
  NodeInfo node = context.selectedNode();
  std::string install = main_.tree().InstallFolderOf(node.user);
  if (install.empty()) return;
  const FileItem& it = context.list().items[static_cast<std::size_t>(item)];
  auto column = static_cast<std::size_t>(main_.NameColumnOfArchive(*user));
  std::string member = it.subItems.size() > column ? it.subItems[column] : "";
  std::string extracted = TheArchiveAccess().Extract(node.folder, member);
  if (!extracted.empty()) main_.QueueArchiveMember(*user, extracted, install);
}

void ArchiveSource::Delete(ListContext& context, Focus focus) {
  // The members are no files of their own; only the archive goes, from the tree.
  if (focus != Focus::Tree) return;
  UserInfo* user = context.selectedUser();
  NodeInfo node = context.selectedNode();
  if (user && user->confirmDelete() &&
      ConfirmBox(MessageText(402), node.caption.c_str()) != Button::Yes) {
    return;
  }
  if (DeleteFileChecked(node.folder, false)) main_.RemoveNode(node.node);
}

bool ArchiveSource::Rename(ListContext& context, int item, const std::string& caption) {
  return context.list().items[static_cast<std::size_t>(item)].caption == caption;
}

}  // namespace kestrel
