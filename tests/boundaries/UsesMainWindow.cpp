// Compiled with the common services' include folders: the main window is a
// layer above them.
#include "shell/KestrelMain.h"
