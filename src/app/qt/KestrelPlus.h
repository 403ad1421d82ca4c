// The program kestrel-plus: single instance, the main window, the event loop.
#pragma once

namespace kestrel {

inline constexpr const char* kNoDisplayNotice = "kestrel-plus: no display; the window is not shown";

// The entry point: queues the files named on the command line (or hands
// them to the running instance) and runs the main window. Answers 0.
int RunKestrelPlus(int argc, char** argv);

}  // namespace kestrel
