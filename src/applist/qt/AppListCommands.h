// The AppList subsystem's CommandModule: the catalogue with its nodes,
// list source and commands (the editor as a window over `mainWindow`) and
// the fetch, ActGetAppList, over the Qt HTTP client and the platform's
// dial-up.
#pragma once

class QWidget;

namespace kestrel {

class KestrelMain;

void RegisterAppListCommands(KestrelMain& main, QWidget& mainWindow);

}  // namespace kestrel
