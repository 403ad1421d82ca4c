// The file list of the AppList nodes (kind 9): "AppLists" lists the
// *AppList.txt files of the program's folder; "AppList", "My AppList" and
// the categories list their entries, each item carrying its line. Entries
// are never renamed here (the property command edits them); deleting
// blanks their lines; a double-click jumps to the related site.
#pragma once

#include <optional>
#include <string>

#include "applist/AppListCatalogue.h"
#include "shell/ListSource.h"

namespace kestrel {

// Which list an AppList node shows.
struct AppListView {
  bool files = false;             // "AppLists": the files
  AppListId list = AppListId::AppList;
  std::optional<std::string> category;  // Shift_JIS, for a category node
  bool valid = false;             // a kind-9 node at all
};
AppListView ViewOf(const NodeInfo& node, const AppListCatalogue& catalogue);

class AppListSource : public ListSource {
 public:
  explicit AppListSource(AppListCatalogue& catalogue) : catalogue_(catalogue) {}
  void Fill(ListContext& context) override;
  void DoubleClick(ListContext& context, int item, bool alt) override;
  void Delete(ListContext& context, Focus focus) override;
  bool EditAllowed(const ListContext&) const override { return false; }

 private:
  AppListCatalogue& catalogue_;
};

}  // namespace kestrel
