#include "dialogs/About.h"

#include "common/Translate.h"

namespace kestrel {

std::string VersionShown(const std::string& fileVersion) {
  auto dot = fileVersion.rfind('.');
  std::string shown = dot == std::string::npos ? "" : fileVersion.substr(0, dot);
  return shown.empty() ? QT_TRANSLATE_NOOP("Kestrel", "（不明）") : shown;
}

std::string VersionLabel(const std::string& fileVersion) { return "Version " + VersionShown(fileVersion); }

}  // namespace kestrel
