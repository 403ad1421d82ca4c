// Verbs about the Palm Desktop installation: its user directory Users.dat
// and HotSync Manager.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "Verbs.h"
#include "common/Paths.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/WholeFile.h"
#include "users/PalmDesktop.h"
#include "users/UserInfo.h"
#include "users/UsersDat.h"

namespace kestrel::tool {
namespace {

std::string PalmFolderOrFail() {
  auto palm = PalmDesktopFolder();
  if (!palm || palm->empty()) {
    throw std::runtime_error(
        "no Palm Desktop folder: set HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\Core "
        "\"Path\" (kestrel-reg add)");
  }
  return *palm;
}

std::vector<UsersDatRecord> ReadRecords(const std::string& path, bool missingIsEmpty) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) {
    if (missingIsEmpty && !TheFileSystem().exists(path)) return {};
    throw std::runtime_error("cannot read " + path);
  }
  std::string error;
  auto records = ParseUsersDat(*bytes, &error);
  if (!records) throw std::runtime_error(path + ": " + error);
  return *records;
}

std::int32_t ParseUserId(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  long long id = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || id < INT32_MIN || id > INT32_MAX) {
    throw UsageError("the user ID must be a whole number (32 bits): " + text);
  }
  return static_cast<std::int32_t>(id);
}

// Shift_JIS form of a name for Users.dat.
std::string SjisName(const std::string& utf8, const char* what) {
  if (!FitsCp932(utf8)) {
    throw UsageError(std::string("the ") + what + " has characters Shift_JIS lacks: " + utf8);
  }
  return Utf8ToCp932(utf8);
}

VerbRegistration usersdat(
    "usersdat",
    "usersdat list [FILE] | usersdat add NAME SHORT ID    (the Palm Desktop folder's "
    "Users.dat; list prints ID, name, short name)",
    [](const VerbArgs& args) {
      if (args.empty()) throw UsageError("list or add");
      if (args[0] == "list") {
        if (args.size() > 2) throw UsageError("at most one file");
        std::string path = args.size() == 2 ? args[1] : UsersDatPath(PalmFolderOrFail());
        for (const UsersDatRecord& r : ReadRecords(path, false)) {
          std::printf("%d\t%s\t%s\n", r.userId, Cp932ToUtf8(r.name).c_str(),
                      Cp932ToUtf8(r.shortName).c_str());
        }
        return 0;
      }
      if (args[0] != "add") throw UsageError("unknown action " + args[0]);
      if (args.size() != 4) throw UsageError("add needs NAME SHORT ID");
      UsersDatRecord record;
      record.name = SjisName(args[1], "user name");
      record.shortName = SjisName(args[2], "short name");
      record.userId = ParseUserId(args[3]);
      const std::string& shortName = args[2];
      if (!IsUsableShortName(shortName, false)) {
        throw UsageError("the short name is no folder name: " + shortName);
      }
      std::string palm = PalmFolderOrFail();
      std::string path = UsersDatPath(palm);
      std::vector<UsersDatRecord> records = ReadRecords(path, true);
      for (const UsersDatRecord& r : records) {
        if (r.name == record.name) {
          std::fprintf(stderr, "kestrel-tool: %s is already in %s\n", args[1].c_str(),
                       path.c_str());
          return 1;
        }
      }
      records.push_back(record);
      std::string error;
      auto bytes = FormatUsersDat(records, &error);
      if (!bytes) throw UsageError(error);
      FileSystem& fs = TheFileSystem();
      fs.createDirectories(palm);
      if (!ReplaceFileContents(path, *bytes)) throw std::runtime_error("cannot write " + path);
      // Palm Desktop makes the user's folder along with the user.
      fs.createDirectories(WithTrailingBackslash(palm) + shortName);
      return 0;
    });

// The user whose node the program selects at start: the last user.
std::unique_ptr<UserInfo> LastUser() {
  auto kestrel = RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, false);
  auto users = RegKey::Open(TheRegistry(), Hive::CurrentUser, kUsersKey, false);
  if (!kestrel || !users) return nullptr;
  std::string last = kestrel->readString("LastUser", "");
  if (last.empty()) return nullptr;
  for (const std::string& name : users->subkeyNames()) {
    auto key = users->openSubkey(name, false);
    if (key && key->readString("User", "") == last) {
      auto user = std::make_unique<UserInfo>(name);
      user->handlers().setSaveOnDestroy(false);
      if (!user->userName().empty()) return user;
    }
  }
  return nullptr;
}

// "NetHotSync" under the HotSync Manager key: off until the person turns it
// on, as with Palm Desktop.
int NetworkVerb(const VerbArgs& args) {
  if (args.size() > 2) throw UsageError("network on or off");
  if (args.size() == 1) {
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, false);
    bool on = key && key->readDword(kNetHotSyncValue, 0) == 1;
    std::printf("%s\n", on ? "on" : "off");
    return 0;
  }
  if (args[1] != "on" && args[1] != "off") throw UsageError("network on or off, not " + args[1]);
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, true);
  if (!key) throw std::runtime_error("cannot open the HotSync Manager key");
  key->writeDword(kNetHotSyncValue, args[1] == "on" ? 1 : 0);
  std::printf("%s (read when kestrel-hotsync starts)\n", args[1].c_str());
  return 0;
}

VerbRegistration hotsync(
    "hotsync",
    "hotsync status|start|stop | hotsync network [on|off]    (status: exit 0 running, 1 not "
    "running; start and stop as the program does them, for the last user; network: whether "
    "kestrel-hotsync serves network HotSync, \"NetHotSync\", read by it at start)",
    [](const VerbArgs& args) {
      if (!args.empty() && args[0] == "network") return NetworkVerb(args);
      if (args.size() != 1) throw UsageError("status, start, stop or network");
      if (args[0] == "status") {
        bool running = FindHotSyncManager().has_value();
        std::printf("%s\n", running ? "running" : "not running");
        return running ? 0 : 1;
      }
      if (args[0] == "start") {
        PalmLocations locations = ReadPalmLocations();
        auto user = LastUser();
        return StartHotSync(locations, user.get()) ? 0 : 1;
      }
      if (args[0] == "stop") {
        auto user = LastUser();
        if (StopHotSync(user.get())) return 0;
        std::fprintf(stderr, "kestrel-tool: HotSync Manager is still running\n");
        return 1;
      }
      throw UsageError("unknown action " + args[0]);
    });

}  // namespace
}  // namespace kestrel::tool
