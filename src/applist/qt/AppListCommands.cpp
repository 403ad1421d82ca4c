#include "applist/qt/AppListCommands.h"

#include "applist/qt/AppListFetchWiring.h"
#include "applist/qt/AppListWindow.h"

namespace kestrel {

void RegisterAppListCommands(KestrelMain& main, QWidget& mainWindow) {
  RegisterAppLists(main, mainWindow);
  RegisterAppListFetch(main, mainWindow);
}

}  // namespace kestrel
