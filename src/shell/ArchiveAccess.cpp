#include "shell/ArchiveAccess.h"

#include "install/ArchiveFolder.h"

namespace kestrel {
namespace {

// The archive unit: libzip and liblhasa behind ListArchive/ExtractMember.
class LibraryArchives : public ArchiveAccess {
 public:
  bool List(const std::string& archive, bool withDescription, const DescriptionLookup& describe,
            std::vector<FileItem>& items) override {
    ArchiveListOptions options;
    options.withDescription = withDescription;
    options.describe = describe;
    std::vector<ArchiveListItem> members;
    if (!ListArchive(archive, options, &members)) return false;
    for (const ArchiveListItem& m : members) {
      items.push_back({m.caption, m.subItems(withDescription), m.icon, m.selected});
    }
    return true;
  }
  std::string Extract(const std::string& archive, const std::string& member) override {
    return ExtractMember(archive, member);
  }
};

std::unique_ptr<ArchiveAccess> g_access;

}  // namespace

ArchiveAccess& TheArchiveAccess() {
  if (!g_access) g_access = std::make_unique<LibraryArchives>();
  return *g_access;
}

void SetArchiveAccess(std::unique_ptr<ArchiveAccess> access) { g_access = std::move(access); }

}  // namespace kestrel
