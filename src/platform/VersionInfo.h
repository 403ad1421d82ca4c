// The program file's own version, as a version resource would give it:
// four numbers separated by "." (the build's version, a missing part 0).
#pragma once

#include <string>

namespace kestrel {

// "" when the build has no version.
std::string ProgramFileVersion();

}  // namespace kestrel
