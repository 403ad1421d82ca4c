// The AppList subsystem wired into the main window: everything of
// RegisterAppLists, with the editor shown as a window over `mainWindow`.
#pragma once

class QWidget;

namespace kestrel {

class KestrelMain;

void RegisterAppLists(KestrelMain& main, QWidget& mainWindow);

}  // namespace kestrel
