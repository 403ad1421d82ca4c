// The AppList subsystem in the main window, without widgets: its catalogue
// in the session, the list source of the AppList nodes, the category nodes
// built when "AppLists" first expands, the descriptions of the "説明"
// column, the update marks after every fill, the lists saved at close, and
// the commands "AppListの保存", ActProperty, ActChkDate and ActGoSite.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "applist/AppListCatalogue.h"
#include "applist/AppListEditor.h"
#include "common/Translate.h"

namespace kestrel {

class KestrelMain;
class ListContext;

// Shows the editor modally (placed over the main window); the outcome when
// it closed with OK.
using EditorRunner = std::function<std::optional<AppListEditor::Result>(AppListEditor&)>;

inline constexpr const char* kNoSite = QT_TRANSLATE_NOOP("Kestrel", "関連サイトが見つかりません\nAppListを確認してください");
inline constexpr const char* kSaveAppListCommand = "AppList1";

// Wires it all into the window's logic, before FormCreate. The catalogue's
// files live in `folder` (the home by default). Answers the catalogue.
AppListCatalogue& RegisterAppLists(KestrelMain& main, EditorRunner runEditor,
                                   const std::string& folder = "");

// The update check on the list as it is: each item's mark from its AppList
// entry (only while ActChkDate is checked, on folder and archive nodes).
void ApplyUpdateMarks(ListContext& context, AppListCatalogue& catalogue);

}  // namespace kestrel
