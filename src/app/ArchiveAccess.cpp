#include "app/ArchiveAccess.h"

namespace kestrel {
namespace {

// Stands until the archive unit (ListArchive, ExtractMember) is wired in
// here: an archive node shows an empty list.
class NoArchives : public ArchiveAccess {
 public:
  bool List(const std::string&, bool, const DescriptionLookup&, std::vector<FileItem>&) override {
    return false;
  }
  std::string Extract(const std::string&, const std::string&) override { return ""; }
};

std::unique_ptr<ArchiveAccess> g_access;

}  // namespace

ArchiveAccess& TheArchiveAccess() {
  if (!g_access) g_access = std::make_unique<NoArchives>();
  return *g_access;
}

void SetArchiveAccess(std::unique_ptr<ArchiveAccess> access) { g_access = std::move(access); }

}  // namespace kestrel
