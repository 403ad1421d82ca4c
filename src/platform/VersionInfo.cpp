#include "platform/VersionInfo.h"

namespace kestrel {

std::string ProgramFileVersion() {
#ifdef KESTREL_FILE_VERSION
  return KESTREL_FILE_VERSION;
#else
  return "";
#endif
}

}  // namespace kestrel
