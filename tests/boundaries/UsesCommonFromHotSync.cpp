// Compiled with the HotSync library's include folders: it sits below the
// common services (they read Palm files with it) and reaches only the
// platform layer.
#include "platform/WholeFile.h"
#include "hotsync/PalmDatabase.h"
#include "common/Paths.h"
