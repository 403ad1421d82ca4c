#include "applist/app/AppListPart.h"

#include "applist/AppListViews.h"
#include "common/MessageTable.h"
#include "shell/KestrelMain.h"

namespace kestrel {

AppListCatalogue* CatalogueOf(const Session& session) {
  AppListPart* part = session.appLists<AppListPart>();
  return part ? &part->catalogue : nullptr;
}

int AppListNodeOf(const KestrelMain& main) {
  for (int top : main.tree().topLevel()) {
    if (main.isAppListsNode(top)) return main.tree().ChildByCaption(top, MessageText(553));
  }
  return -1;
}

namespace {

void AddCategoryNodes(KestrelMain& main, int appList, AppListCatalogue& catalogue) {
  catalogue.SortAppLists(true);
  for (const std::string& caption : SjisTextsToUtf8(catalogue.categories())) {
    main.tree().AddNode(appList, -1, "", caption, kNodeAppList);
  }
}

}  // namespace

void PopulateCategoryNodes(KestrelMain& main, AppListCatalogue& catalogue) {
  int appList = AppListNodeOf(main);
  if (appList < 0 || !main.tree().children(appList).empty()) return;
  AddCategoryNodes(main, appList, catalogue);
}

void RebuildCategoryNodes(KestrelMain& main, AppListCatalogue& catalogue) {
  int appList = AppListNodeOf(main);
  if (appList < 0) return;
  UserTree& tree = main.tree();
  if (main.selected() >= 0 && tree.valid(main.selected()) && tree.parent(main.selected()) == appList) {
    main.Select(appList);
  }
  bool expanded = tree.expanded(appList);
  tree.DeleteChildren(appList, true);
  AddCategoryNodes(main, appList, catalogue);
  tree.setExpanded(appList, expanded);
}

}  // namespace kestrel
