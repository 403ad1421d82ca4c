// The Glance viewer's command in the main window: `ActEye` on the selected
// member of an archive folder (also what a double-click there runs when
// "GlanceViewOnDClk" says so).
#pragma once

#include "viewer/GlanceCommand.h"

class QWidget;

namespace kestrel {

class CommandRouter;
class KestrelMain;
class MainContext;

// The viewer's CommandModule: ActEye with the Glance window.
void RegisterViewerCommands(KestrelMain& main, QWidget& mainWindow);

// Gives ActEye its handler. The viewer opens as a child of `mainWindow`;
// `show` may stand in for the window (tests), by default ShowGlanceWindow.
void RegisterViewer(CommandRouter& router, QWidget& mainWindow, GlanceShow show = nullptr);

// The handler's work: nothing unless a list item is selected on an archive
// node; then the member of the first selected item is shown.
bool RunActEye(MainContext& context, const GlanceShow& show);

}  // namespace kestrel
