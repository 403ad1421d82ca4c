#include "applist/app/AppListSource.h"

#include "applist/AppListViews.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "platform/Codepage.h"
#include "platform/Home.h"
#include "shell/CommandRouter.h"
#include "shell/Commands.h"

namespace kestrel {

AppListView ViewOf(const NodeInfo& node, const AppListCatalogue& catalogue) {
  AppListView view;
  if (node.kind != 9) return view;
  view.valid = true;
  if (node.appListsNode) {
    view.files = true;
  } else if (node.level == 1) {
    view.list = node.caption == MessageText(554) ? AppListId::MyAppList : AppListId::AppList;
  } else {
    // A category node: its caption is the category as the list shows it.
    view.list = AppListId::AppList;
    view.category = Utf8ToCp932(node.caption);
    for (const std::string& c : catalogue.categories()) {
      if (Cp932ToUtf8(c) == node.caption) view.category = c;
    }
  }
  return view;
}

void AppListSource::Fill(ListContext& context) {
  FileList& list = context.list();
  AppListView view = ViewOf(context.selectedNode(), catalogue_);
  if (view.files) {
    // Not a use of the lists: they are not read for this.
    list.columns = ColumnsFor(ColumnSet::AppLists, nullptr);
    FillFromFolder(list, ProgramFolder(), nullptr, {});
    context.SortAfterRefill();
  } else {
    list.columns = ColumnsFor(ColumnSet::AppList, nullptr);
    list.clear();
    for (AppListRow& row : AppListRows(catalogue_, view.list, view.category)) {
      std::string ext = UpperAscii(ExtensionOf(row.caption));
      FileItem item;
      item.image = ext == ".PRC" || ext == ".PDB" ? kImagePalmFile : kImageFile;
      item.caption = std::move(row.caption);
      item.subItems = std::move(row.subItems);
      item.data = row.line;
      list.items.push_back(std::move(item));
    }
  }
  context.setStatusText(2, "");
  context.setStatusText(3, "");
}

void AppListSource::DoubleClick(ListContext& context, int, bool) {
  if (context.selectedNode().appListsNode) return;
  context.commands().Run(InfoOf(Command::GoSite).name, context);
}

void AppListSource::Delete(ListContext& context, Focus) {
  AppListView view = ViewOf(context.selectedNode(), catalogue_);
  // "AppLists" lists files, and a category only part of the AppList.
  if (!view.valid || view.files || view.category) return;
  FileList& list = context.list();
  std::vector<int> lines;
  for (const FileItem& item : list.items) {
    if (item.selected && item.data >= 0) lines.push_back(item.data);
  }
  if (lines.empty()) return;
  catalogue_.BlankLines(view.list, lines);
  list.RemoveSelectedItems();
  context.ListChanged();
}

}  // namespace kestrel
