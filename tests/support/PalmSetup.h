// The test home's registry and a Palm Desktop installation inside it: the
// two registry keys and a Users.dat.
#pragma once

#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "support/TempHome.h"
#include "users/PalmDesktop.h"
#include "users/UserInfo.h"
#include "users/UsersDat.h"

namespace kestrel::test {

inline RegKey CurrentUserKey(const std::string& path) {
  return *RegKey::Open(TheRegistry(), Hive::CurrentUser, path, true);
}

// Core "Path" (and "HotSyncPath"), an empty HotSync Manager key.
inline std::string SetUpPalmDesktop(const TempHome& home, const std::string& folder = "Palm") {
  std::string palm = home / folder;
  RegKey core = CurrentUserKey(kPalmCoreKey);
  core.writeString("Path", palm);
  core.writeString("HotSyncPath", home / "HotSync.sh");
  CurrentUserKey(kHotSyncKey);
  return palm;
}

// Users.dat of this system's layout, names given in UTF-8.
inline void WriteUsersDat(const std::string& palm,
                          const std::vector<std::tuple<std::int32_t, std::string, std::string>>& users) {
  std::vector<UsersDatRecord> records;
  for (const auto& [id, name, shortName] : users) {
    records.push_back({id, Utf8ToCp932(name), Utf8ToCp932(shortName)});
  }
  WriteFile(palm + "/Users.dat", *FormatUsersDat(records, nullptr));
}

}  // namespace kestrel::test
