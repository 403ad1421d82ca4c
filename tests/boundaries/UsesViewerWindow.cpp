// Compiled with the main window core's include folders: the viewer's
// window is wired in by the program, never included by the core.
#include "viewer/qt/FrmEye.h"
