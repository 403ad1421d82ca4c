// The program kestrel-plus: single instance, the main window, the event loop.
#pragma once

namespace kestrel {

class TFormKestrel;

inline constexpr const char* kNoDisplayNotice = "kestrel-plus: no display; the window is not shown";

// The one place where the subsystems meet the main window: runs each
// subsystem's CommandModule (shell/qt/CommandModule.h), which registers its
// commands, their places in the menus and tool bars and its list sources,
// before FormCreate builds the window.
void WireSubsystems(TFormKestrel& form);

// The entry point: queues the files named on the command line (or hands
// them to the running instance) and runs the main window. Answers 0.
int RunKestrelPlus(int argc, char** argv);

}  // namespace kestrel
