#include "shell/AppListsSource.h"

#include "platform/Home.h"
#include "shell/KestrelMain.h"

namespace kestrel {

void AppListsSource::Fill(ListContext& context) {
  FileList& list = context.list();
  if (context.selectedNode().appListsNode) {
    list.columns = ColumnsFor(ColumnSet::AppLists, nullptr);
    main_.FillFolder(ProgramFolder(), nullptr);
  } else {
    list.columns = ColumnsFor(ColumnSet::AppList, nullptr);
    list.clear();
  }
  context.setStatusText(2, "");
  context.setStatusText(3, "");
}

void AppListsSource::DoubleClick(ListContext& context, int, bool) {
  if (context.selectedNode().appListsNode) return;
  context.commands().Run(InfoOf(Command::GoSite).name, context);
}

}  // namespace kestrel
