#include "applist/app/AppListCommands.h"

#include <memory>

#include "applist/UpdateCheck.h"
#include "applist/app/AppListPart.h"
#include "applist/app/AppListSource.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Translate.h"
#include "common/Paths.h"
#include "platform/Home.h"
#include "platform/Shell.h"
#include "shell/KestrelMain.h"

namespace kestrel {
namespace {

constexpr const char* kTitleColumn = QT_TRANSLATE_NOOP("Kestrel", "タイトル");

bool MarksFolderOrArchive(int kind) {
  return IsKindIn(kind, {kNodeInstall, kNodeBackup, kNodePalm, kNodeArchive});
}

const std::string& SubItem(const FileItem& item, std::size_t index) {
  static const std::string none;
  return index < item.subItems.size() ? item.subItems[index] : none;
}

// The sub-item number of the column titled `title`; -1 when not shown.
int SubItemTitled(const FileList& list, const std::string& title) {
  for (std::size_t c = 1; c < list.columns.size(); ++c) {
    if (list.columns[c].title == title) return static_cast<int>(c) - 1;
  }
  return -1;
}

void SetSubItem(FileItem& item, int index, const std::string& text) {
  if (index < 0) return;
  if (item.subItems.size() <= static_cast<std::size_t>(index)) item.subItems.resize(static_cast<std::size_t>(index) + 1);
  item.subItems[static_cast<std::size_t>(index)] = text;
}

void GoSite(KestrelMain& main, AppListCatalogue& catalogue) {
  FileList& list = main.list();
  int i = list.firstSelected();
  if (i < 0) return;
  const FileItem& item = list.items[static_cast<std::size_t>(i)];
  std::string second = list.columns.size() > 1 ? list.columns[1].title : "";
  SiteAnswer site = RelatedSite(catalogue, second, item.caption, SubItem(item, 2));
  if (site.missing) {
    ErrorBox("%s", Tr(kNoSite));
    return;
  }
  if (site.url.empty()) return;
  // A downloaded list's link must not start a local program.
  if (!IsWebOrMailAddress(site.url) || !main.shell().open(site.url)) ErrorBox("%s", MessageText(455));
}

void ChkDate(KestrelMain& main, AppListCatalogue& catalogue) {
  const char* name = InfoOf(Command::ChkDate).name;
  main.commands().setChecked(name, !main.commands().isChecked(name));
  // Taking the mark away leaves the marks until the list is filled again.
  if (!main.commands().isChecked(name)) return;
  ApplyUpdateMarks(main, catalogue);
  main.ListChanged();
}

void SaveAppList(KestrelMain& main, AppListCatalogue& catalogue) {
  catalogue.SaveAppList();
  // The empty lines are gone, and with them the line numbers an entry
  // view's items carry; "AppLists" shows the file's new size.
  if (main.selectedKind() == kNodeAppList) main.Refill();
}

void Property(KestrelMain& main, AppListCatalogue& catalogue, const EditorRunner& run) {
  NodeInfo node = main.selectedNode();
  FileList& list = main.list();
  if (node.appListsNode) {
    InfoBox("%s", MessageText(405));
    return;
  }
  int i = list.firstSelected();
  if (i < 0) return;
  FileItem& item = list.items[static_cast<std::size_t>(i)];
  catalogue.SortAppLists(true);
  if (node.kind == kNodeAppList) {
    AppListView view = ViewOf(node, catalogue);
    AppListEditor editor(catalogue, view.list, item.data);
    std::optional<AppListEditor::Result> r = run(editor);
    if (!r) return;
    if (r->linesMoved && view.list == AppListId::MyAppList) {
      main.Refill();  // the lines moved: the items' line numbers with them
      return;
    }
    item.caption = editor.file;
    SetSubItem(item, 0, editor.type);
    SetSubItem(item, 1, editor.note);
    SetSubItem(item, 2, editor.link);
    main.ItemChanged(i);
    return;
  }
  if (!IsKindIn(node.kind, {kNodeInstall, kNodeBackup, kNodePalm})) return;
  EditorFile file{WithTrailingBackslash(node.folder), item.caption, SubItem(item, 0), SubItem(item, 1)};
  AppListEditor editor(catalogue, file);
  std::optional<AppListEditor::Result> r = run(editor);
  if (!r) return;
  item.caption = r->fileName;
  SetSubItem(item, SubItemTitled(list, Tr(kTitleColumn)), r->title);
  SetSubItem(item, SubItemTitled(list, MessageText(571)), catalogue.DescriptionFor(r->fileName));
  main.ItemChanged(i);
}

}  // namespace

void ApplyUpdateMarks(ListContext& context, AppListCatalogue& catalogue) {
  if (!context.commands().isChecked(InfoOf(Command::ChkDate).name)) return;
  if (!MarksFolderOrArchive(context.selectedNode().kind)) return;
  for (FileItem& item : context.list().items) {
    item.stateImage = static_cast<int>(MarkFor(catalogue, item.caption, SubItem(item, 1)));
  }
}

AppListCatalogue& RegisterAppLists(KestrelMain& main, EditorRunner runEditor, const std::string& folder) {
  main.session().setAppLists(folder.empty() ? std::make_unique<AppListPart>()
                                            : std::make_unique<AppListPart>(folder));
  AppListCatalogue& catalogue = *CatalogueOf(main.session());
  main.SetListSource(kNodeAppList, std::make_shared<AppListSource>(catalogue));
  main.setDescriptions([&catalogue](const std::string& name) { return catalogue.DescriptionFor(name); });
  main.setNodeExpanding([&main, &catalogue](int node) {
    if (main.isAppListsNode(node)) PopulateCategoryNodes(main, catalogue);
  });
  catalogue.setCategoriesChanged([&main, &catalogue] { RebuildCategoryNodes(main, catalogue); });
  main.AddListFilled([&catalogue](ListContext& context) { ApplyUpdateMarks(context, catalogue); });
  main.AddCloseStep([&catalogue] { catalogue.SaveModified(); });

  CommandRouter& router = main.router();
  router.SetHandler(kSaveAppListCommand, [&main, &catalogue](MainContext&) { SaveAppList(main, catalogue); });
  router.SetHandler(InfoOf(Command::GoSite).name, [&main, &catalogue](MainContext&) { GoSite(main, catalogue); });
  router.SetHandler(InfoOf(Command::ChkDate).name, [&main, &catalogue](MainContext&) { ChkDate(main, catalogue); });
  router.SetHandler(InfoOf(Command::Property).name,
                    [&main, &catalogue, run = std::move(runEditor)](MainContext&) {
                      Property(main, catalogue, run);
                    });
  return catalogue;
}

}  // namespace kestrel
