// Compiled with the common services' include folders: reaches them and the
// platform layer below.
#include "common/Paths.h"
#include "platform/Registry.h"
