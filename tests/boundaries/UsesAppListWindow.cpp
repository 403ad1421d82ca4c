// Compiled with the AppList logic's include folders: its editor window
// lives above it.
#include "applist/qt/TFormAppListEdit.h"
