// Whose HotSync it is: the handheld's user name and ID matched against the
// Palm Desktop's Users.dat, and the folders and install flag that follow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::hotsyncd {

struct DesktopUser {
  std::string shortName;      // UTF-8, a plain folder name
  std::string palmFolder;     // <Palm Desktop folder>/<short name>/
  std::string installFolder;  // <Palm Desktop folder>/<short name>/Install/
  std::string flagName;       // "Install<id>"
};

// The handheld's user among the desktop's users: the name (Shift_JIS, as the
// handheld sent it) found in Users.dat by its length byte and bytes, first
// match winning, and the ID stored there equal to the handheld's. A known
// name with another ID is nobody: nobody on the network takes a user's
// queue by naming that user. nullopt with the reason otherwise.
std::optional<DesktopUser> FindDesktopUser(const std::string& desktopFolder,
                                           const std::string& nameSjis, std::uint32_t userId,
                                           std::string* why);

// The .prc, .pdb and .pqa files (any case) of a folder, by name; only
// regular files, so a link cannot lead the install out of the folder.
std::vector<std::string> InstallableFiles(const std::string& folder);

}  // namespace kestrel::hotsyncd
