// The list of a folder node: the install folder (kind 1), the backup folder
// and its subfolders (kind 2), the Palm folder and its subfolders (kind 3).
// Files are listed, renamed and deleted; a double-click in a backup folder
// queues the file or opens an archive as a node; Del in the tree removes a
// backup subfolder.
#pragma once

#include "shell/ListSource.h"

namespace kestrel {

class KestrelMain;

class FolderSource : public ListSource {
 public:
  enum class Role { Install, Backup, Palm };
  FolderSource(KestrelMain& main, Role role) : main_(main), role_(role) {}

  void Fill(ListContext& context) override;
  void DoubleClick(ListContext& context, int item, bool alt) override;
  void Delete(ListContext& context, Focus focus) override;
  bool Rename(ListContext& context, int item, const std::string& caption) override;

 private:
  KestrelMain& main_;
  Role role_;
};

}  // namespace kestrel
