// The AppList catalogue as the session holds it, and the category nodes of
// the tree's AppLists branch.
#pragma once

#include <memory>

#include "applist/AppListCatalogue.h"
#include "shell/Session.h"

namespace kestrel {

class KestrelMain;

class AppListPart : public SessionPart {
 public:
  AppListPart() = default;
  explicit AppListPart(std::string folder) : catalogue(std::move(folder)) {}
  AppListCatalogue catalogue;
  // The fetch over its HTTP client, once wired (destroyed before the
  // catalogue it works on).
  std::unique_ptr<SessionPart> fetch;
};

// The session's catalogue; null before the AppList subsystem was wired.
AppListCatalogue* CatalogueOf(const Session& session);

// The node "AppList" below "AppLists"; -1 when there is none.
int AppListNodeOf(const KestrelMain& main);

// TViewUsersExpanding for "AppLists": while "AppList" has no children, the
// lists are sorted (read first if need be) and one child is added per
// category, in category order.
void PopulateCategoryNodes(KestrelMain& main, AppListCatalogue& catalogue);
// After the AppList changed (a fetch): the category nodes deleted and
// made again; "AppList" keeps its expanded state, and a selection among
// the old nodes moves to "AppList".
void RebuildCategoryNodes(KestrelMain& main, AppListCatalogue& catalogue);

}  // namespace kestrel
