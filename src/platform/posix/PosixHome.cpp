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

std::string ProgramBinFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

namespace {

std::string Readable(const std::string& dir, const std::string& name) {
  if (dir.empty()) return "";
  std::string path = (std::filesystem::path(dir) / name).lexically_normal().string();
  return access(path.c_str(), R_OK) == 0 ? path : "";
}

}  // namespace

std::string InstalledFile(const std::string& name) {
  std::string bin = ProgramBinFolder();
  std::string besideProgram = bin.empty() ? "" : bin + "/../share/kestrel-plus";
  for (const std::string& dir : {besideProgram, std::string(KESTREL_DATA_DIR)}) {
    if (std::string path = Readable(dir, name); !path.empty()) return path;
  }
  return "";
}

std::string ProgramBeside(const std::string& name) {
  std::string bin = ProgramBinFolder();
  return bin.empty() ? name : bin + "/" + name;
}

std::string ShippedFile(const std::string& name) {
  if (std::string path = Readable(HomeFolder(), name); !path.empty()) return path;
  return InstalledFile(name);
}

}  // namespace kestrel
