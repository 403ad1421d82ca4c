// Caches that system libraries (fontconfig and friends behind Qt) keep for
// the life of the process are not leaks of ours. Built into every test
// program, so that the leak check holds however the tests are started.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libfreetype\nleak:libdbus\nleak:libglib\n";
}
