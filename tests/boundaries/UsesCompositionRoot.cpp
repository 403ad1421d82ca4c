// Compiled with a subsystem's include folders: the program that wires the
// subsystems in is above every one of them.
#include "main/KestrelPlus.h"
