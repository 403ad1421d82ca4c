// The list of an archive node (kind 8): the archive's members; a
// double-click queues the member, or shows it in the Glance viewer
// ("ActEye") when the user's option says so; Del in the tree deletes the
// archive file and its node.
#pragma once

#include "shell/ListSource.h"

namespace kestrel {

class KestrelMain;

class ArchiveSource : public ListSource {
 public:
  explicit ArchiveSource(KestrelMain& main) : main_(main) {}
  void Fill(ListContext& context) override;
  void DoubleClick(ListContext& context, int item, bool alt) override;
  void Delete(ListContext& context, Focus focus) override;
  // Members are not renamed inside the archive: the old caption stays.
  bool Rename(ListContext& context, int item, const std::string& caption) override;

 private:
  KestrelMain& main_;
};

}  // namespace kestrel
