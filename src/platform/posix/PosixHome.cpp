#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Home.h"

namespace kestrel {

std::string HomeFolder() {
  std::string home;
  if (const char* k = std::getenv("KESTREL_HOME"); k && *k) {
    home = k;
  } else if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) {
    home = std::string(x) + "/kestrel-plus";
  } else {
    const char* h = std::getenv("HOME");
    home = std::string(h && *h ? h : ".") + "/.local/share/kestrel-plus";
  }
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  std::error_code ec;
  std::filesystem::create_directories(home, ec);
  return home;
}

std::string ProgramFolder() { return HomeFolder() + "/"; }

std::string ShippedFile(const std::string& name) {
  for (const std::string& dir : {HomeFolder(), std::string(KESTREL_DATA_DIR),
                                 std::string(KESTREL_SOURCE_DATA_DIR)}) {
    std::string path = dir + "/" + name;
    if (access(path.c_str(), R_OK) == 0) return path;
  }
  return "";
}

}  // namespace kestrel
