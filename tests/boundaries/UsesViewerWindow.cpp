// Compiled with the main window logic's include folders: the viewer's
// window is wired in by the program, never included by the logic.
#include "viewer/qt/FrmEye.h"
