// Compiled with a subsystem's include folders: it reaches the main
// window's core, which it plugs into.
#include "shell/KestrelMain.h"
#include "shell/MainContext.h"
