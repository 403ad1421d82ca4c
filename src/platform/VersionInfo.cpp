#include "platform/VersionInfo.h"

#include <algorithm>

#include "platform/Version.h"

namespace kestrel {

std::string ProgramFileVersion() {
  std::string version = kProgramVersion;
  if (version.empty()) return "";
  // A file version has four parts; the build's may have fewer.
  while (std::count(version.begin(), version.end(), '.') < 3) version += ".0";
  return version;
}

}  // namespace kestrel
