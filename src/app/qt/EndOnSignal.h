// SIGTERM, SIGINT or SIGHUP (platform/Termination.h) ends kestrel-plus the
// way closing its window does, from inside the event loop: the windows open
// over the main window close first, innermost first (the Kestlink console
// ends pilot-xfer, and its command starts HotSync Manager again), then the
// main window itself, which saves what a close saves.
#pragma once

class QWidget;

namespace kestrel {

// The signals are caught from CatchTerminationSignals on (called early, so
// that one during the start is not lost). `mainLoopLevel`: the event-loop depth at which the main window's own loop
// runs (1 under QApplication::exec); the main window is closed only there,
// never while a command that opened a window is still on its way back.
void EndOnTerminationSignal(QWidget& mainWindow, int mainLoopLevel = 1);

}  // namespace kestrel
