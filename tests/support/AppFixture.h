// A Palm Desktop installation with registered HotSync users inside the
// test's temporary home, for the main window's tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/Paths.h"
#include "handlers/table/ExtHandlerTable.h"
#include "platform/Registry.h"
#include "support/TempHome.h"
#include "users/PalmDesktop.h"
#include "support/PalmSetup.h"
#include "users/UserInfo.h"

namespace kestrel::test {

class AppFixture : public ::testing::Test {
 protected:
  AppFixture() : palm(SetUpPalmDesktop(home)) {}

  // A HotSync user in Users.dat, registered with Kestrel+ as the add-user
  // dialog does; `options` may change the settings before they are saved.
  template <class Options>
  void AddUser(const std::string& name, const std::string& shortName, int id, Options options) {
    users_.push_back({id, name, shortName});
    WriteUsersDat(palm, users_);
    std::filesystem::create_directories(palm + "/" + shortName + "/Install");
    UserInfo user;
    ASSERT_EQ(user.OpenUser(name, true), 0);
    user.setBackupFolder(BackupOf(shortName));
    std::filesystem::create_directories(BackupOf(shortName));
    options(user);
    ASSERT_EQ(user.SaveSettings(), 0);
    user.handlers().setSaveOnDestroy(false);
  }
  void AddUser(const std::string& name, const std::string& shortName, int id) {
    AddUser(name, shortName, id, [](UserInfo&) {});
  }
  void SetLastUser(const std::string& shortName) {
    CurrentUserKey(kKestrelKey).writeString("LastUser", shortName);
  }
  // Changes one stored option of a registered user.
  void SetFlag(const std::string& name, const std::string& value, bool on) {
    CurrentUserKey(JoinKeyPath(kUsersKey, name)).writeBool(value, on);
  }

  std::string BackupOf(const std::string& shortName) const { return home / ("Backup/" + shortName + "/"); }
  std::string InstallOf(const std::string& shortName) const { return palm + "/" + shortName + "/Install/"; }
  bool InstallFlagOf(const std::string& id) const {
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, false);
    return key && key->readDword(InstallFlagName(id), 0) != 0;
  }

  TempHome home;
  std::string palm;

 private:
  std::vector<std::tuple<std::int32_t, std::string, std::string>> users_;
};

}  // namespace kestrel::test
