#include "SimulatedHotSync.h"

#include "common/Paths.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/WholeFile.h"
#include "users/PalmDesktop.h"
#include "users/UsersDat.h"

namespace kestrel {

HotSyncReport RunSimulatedHotSync() {
  HotSyncReport report;
  auto fail = [&](const std::string& why) {
    report.ok = false;
    report.problems.push_back(why);
    return report;
  };
  auto palm = PalmDesktopFolder();
  if (!palm || palm->empty()) return fail("no Palm Desktop folder (Core \"Path\")");
  std::string datPath = UsersDatPath(*palm);
  auto bytes = ReadWholeFile(datPath);
  if (!bytes) return fail("cannot read " + datPath);
  std::string error;
  auto records = ParseUsersDat(*bytes, &error);
  if (!records) return fail(datPath + ": " + error);
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, false);
  if (!key) return report;  // no flags at all

  FileSystem& fs = TheFileSystem();
  for (const UsersDatRecord& user : *records) {
    std::string flag = InstallFlagName(std::to_string(user.userId));
    if (!key->readBool(flag, false)) continue;
    std::string folder = WithTrailingBackslash(*palm) + Cp932ToUtf8(user.shortName) + "/";
    std::string install = folder + "Install/";
    std::string handheld = folder + "Handheld/";
    fs.createDirectories(handheld);
    bool all = true;
    int moved = 0;
    for (const FindData& file : fs.list(install)) {
      if (file.attributes & kAttrDirectory) continue;
      std::string target = handheld + file.name;
      // The handheld keeps the newest copy of a database.
      if (fs.exists(target)) fs.deleteFile(target);
      std::string why;
      if (fs.moveFile(install + file.name, target, &why)) {
        ++moved;
      } else {
        all = false;
        report.problems.push_back(install + file.name + ": " + why);
      }
    }
    report.files += moved;
    ++report.users;
    // Files that stayed behind keep the user's queue raised.
    if (all) key->deleteValue(flag);
  }
  return report;
}

std::string DescribeHotSync(const HotSyncReport& report) {
  std::string text;
  if (report.ok) {
    text = "HotSync: " + std::to_string(report.files) + " file(s) installed for " +
           std::to_string(report.users) + " user(s)";
  } else {
    text = "HotSync failed";
  }
  for (const std::string& p : report.problems) text += "\n" + p;
  return text;
}

}  // namespace kestrel
