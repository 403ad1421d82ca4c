#include "DesktopUser.h"

#include <algorithm>
#include <filesystem>

#include "common/Paths.h"
#include "platform/Codepage.h"
#include "platform/WholeFile.h"
#include "users/PalmDesktop.h"
#include "users/UsersDat.h"

namespace kestrel::hotsyncd {

std::optional<DesktopUser> FindDesktopUser(const std::string& desktopFolder,
                                           const std::string& nameSjis, std::uint32_t userId,
                                           std::string* why) {
  auto fail = [&](std::string reason) -> std::optional<DesktopUser> {
    if (why) *why = std::move(reason);
    return std::nullopt;
  };
  if (nameSjis.empty()) return fail("the handheld has no user name");
  std::string datPath = UsersDatPath(desktopFolder);
  auto bytes = ReadWholeFile(datPath);
  if (!bytes) return fail("cannot read " + datPath);
  UsersDatMatch match = FindUserInUsersDat(*bytes, nameSjis);
  // The look-up takes an empty short name and one that could lead out of
  // the Palm Desktop folder for none.
  if (match.answer == kLookupNoShortName) return fail("the user's short name is not a folder name");
  if (match.answer != kLookupFound) return fail("unknown user");
  if (static_cast<std::uint32_t>(match.userId) != userId) {
    return fail("unknown user (the ID differs from the desktop's)");
  }
  DesktopUser user;
  user.shortName = Cp932ToUtf8(match.shortName);
  // The conversion turns bytes that are no Shift_JIS into U+FFFD; a name
  // that does not survive it is no folder name either.
  if (!IsUsableShortName(user.shortName, false) || Utf8ToCp932(user.shortName) != match.shortName) {
    return fail("the user's short name is not a folder name");
  }
  user.palmFolder = WithTrailingBackslash(desktopFolder) + user.shortName + "/";
  user.installFolder = user.palmFolder + "Install/";
  user.flagName = InstallFlagName(std::to_string(match.userId));
  return user;
}

std::vector<std::string> InstallableFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    std::error_code typeError;
    if (!entry.is_regular_file(typeError) || entry.is_symlink(typeError)) continue;
    std::string name = entry.path().filename().string();
    std::string ext = UpperAscii(ExtensionOf(name));
    if (ext == ".PRC" || ext == ".PDB" || ext == ".PQA") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace kestrel::hotsyncd
