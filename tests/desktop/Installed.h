// The program installed the way a user installs it, for the tests of the
// installed tree and of the Debian package: a temporary prefix filled by
// cmake --install, and the outside tools that check desktop files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/TempHome.h"

namespace kestrel::test {

// Whether a program is on the PATH.
inline bool HaveTool(const std::string& name) {
  return RunCommand("command -v " + ShellQuote(name) + " >/dev/null 2>&1") == 0;
}

// cmake --install of the build tree into `prefix`; fails the test if it fails.
inline void InstallInto(const std::string& prefix) {
  std::string out, err;
  int rc = RunCommand(ShellQuote(KESTREL_CMAKE_COMMAND) + " --install " + ShellQuote(KESTREL_BUILD_DIR) +
                          " --prefix " + ShellQuote(prefix),
                      &out, &err);
  ASSERT_EQ(rc, 0) << out << err;
}

// A file of the installed tree exists and is not empty.
inline bool Installed(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) > 0;
}

inline bool Executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// A Palm database header (78 bytes) with the given type and creator at
// bytes 60 and 64, then `body`.
inline std::string PalmDatabase(const std::string& name, const std::string& typeAndCreator,
                                const std::string& body = "") {
  std::string bytes(78, '\0');
  bytes.replace(0, name.size(), name);
  bytes.replace(60, 8, typeAndCreator.substr(0, 8));
  return bytes + body;
}

// The width and height of a PNG file (from its IHDR chunk); 0 when unreadable.
inline std::pair<int, int> PngSize(const std::string& path) {
  std::string b = ReadFile(path);
  if (b.size() < 24 || b.compare(1, 3, "PNG") != 0) return {0, 0};
  auto be32 = [&](std::size_t at) {
    return (static_cast<unsigned char>(b[at]) << 24) | (static_cast<unsigned char>(b[at + 1]) << 16) |
           (static_cast<unsigned char>(b[at + 2]) << 8) | static_cast<unsigned char>(b[at + 3]);
  };
  return {static_cast<int>(be32(16)), static_cast<int>(be32(20))};
}

}  // namespace kestrel::test
