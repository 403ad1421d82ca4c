#include "applist/qt/AppListWindow.h"

#include "applist/app/AppListCommands.h"
#include "applist/qt/TFormAppListEdit.h"

namespace kestrel {

void RegisterAppLists(KestrelMain& main, QWidget& mainWindow) {
  RegisterAppLists(main, [&mainWindow](AppListEditor& editor) {
    return RunAppListEditor(editor, &mainWindow);
  });
}

}  // namespace kestrel
