#pragma once

class QWidget;

namespace kestrel {

class KestrelMain;

// The console's CommandModule: actPilotXfer, the Kestlink console for the
// selected node's user.
void RegisterXferCommands(KestrelMain& main, QWidget& mainWindow);

}  // namespace kestrel
