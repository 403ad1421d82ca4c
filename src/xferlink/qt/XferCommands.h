#pragma once

class QWidget;

namespace kestrel {

class CommandRouter;

// actPilotXfer: the Kestlink console for the selected node's user.
void RegisterXferLink(CommandRouter& router, QWidget& mainWindow);

}  // namespace kestrel
