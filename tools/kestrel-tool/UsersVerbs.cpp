// Verbs about the HotSync users registered with Kestrel+: list, register
// (what the add-user dialog does), and the install flag.
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Verbs.h"
#include "common/MessageBoxes.h"
#include "common/Paths.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "users/PalmDesktop.h"
#include "RegisteredUser.h"
#include "users/UserInfo.h"

namespace kestrel::tool {
namespace {

VerbRegistration users(
    "users", "users    (one line per registered user: name, short name, ID, install folder, "
             "backup folder, install flag)",
    [](const VerbArgs& args) {
      if (!args.empty()) throw UsageError("no arguments expected");
      std::vector<std::unique_ptr<UserInfo>> list;
      EnumerateUsers(list);
      for (const auto& user : list) {
        // Only looking: the program may be editing the handler tables.
        user->handlers().setSaveOnDestroy(false);
        if (user->userName().empty()) continue;  // could not be opened: no node either
        bool flag = ReadInstallFlag(*user);
        std::printf("%s\t%s\t%s\t%s\t%s\t%d\n", user->userName().c_str(),
                    user->shortName().c_str(), user->userId().c_str(),
                    user->installFolder().c_str(), user->backupFolder().c_str(), flag ? 1 : 0);
      }
      return 0;
    });

// The backup folder check of the add-user dialog, without the question:
// a missing folder is created.
bool PrepareBackupFolder(const std::string& folder) {
  if (folder.empty()) {
    ErrorBox("バックアップフォルダを指定してください");
    return false;
  }
  FileSystem& fs = TheFileSystem();
  if (!fs.isDirectory(folder)) fs.createDirectories(folder);
  if (!fs.isDirectory(folder)) {
    ErrorBox("フォルダが作成できませんでした。");
    return false;
  }
  return true;
}

VerbRegistration reg(
    "register",
    "register NAME [--backup DIR]    (exit 0 registered, 1 already registered, 2 no HotSync "
    "user of that name, 3 backup folder unusable)",
    [](const VerbArgs& args) {
      std::string name, backup;
      bool haveBackup = false;
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--backup") {
          if (i + 1 >= args.size()) throw UsageError("--backup needs a folder");
          backup = args[++i];
          haveBackup = true;
        } else if (name.empty() && !args[i].empty()) {
          name = args[i];
        } else {
          throw UsageError("unexpected argument " + args[i]);
        }
      }
      if (name.empty()) throw UsageError("a user name is needed");

      UserInfo user;
      int answer = user.OpenUser(name, true);
      if (answer == 1) {
        ErrorBox("ユーザが重複してます");
        return 1;
      }
      if (answer == 2) {
        ErrorBox("ユーザ名が違います");
        user.DeleteUser(false, name);  // the key the lookup left behind
        return 2;
      }
      if (haveBackup && !backup.empty()) {
        backup = std::filesystem::absolute(backup).lexically_normal().string();
      } else if (!haveBackup) {
        backup = user.backupFolder();
      }
      if (!PrepareBackupFolder(backup)) {
        // Only our key goes, handler table included: the install flag is
        // HotSync Manager's, and files may wait for it.
        user.handlers().setSaveOnDestroy(false);
        TheRegistry().deleteKeyTree(Hive::CurrentUser, user.keyPath());
        return 3;
      }
      user.setBackupFolder(WithTrailingBackslash(backup));
      int saved = user.SaveSettings();  // the handler table with it
      user.handlers().setSaveOnDestroy(false);
      if (saved != 0) {
        std::fprintf(stderr, "kestrel-tool: the settings of %s could not be saved\n",
                     name.c_str());
        return 3;
      }
      return 0;
    });

VerbRegistration flag(
    "flag", "flag get|set|clear NAME    (prints the install flag afterwards, 0 or 1)",
    [](const VerbArgs& args) {
      if (args.size() != 2) throw UsageError("an action and a user name are needed");
      const std::string& action = args[0];
      const std::string& name = args[1];
      if (action != "get" && action != "set" && action != "clear") {
        throw UsageError("unknown action " + action);
      }
      std::unique_ptr<UserInfo> opened = OpenRegisteredUser(name);
      if (!opened) return 1;
      UserInfo& user = *opened;
      if (action == "set") SetInstallFlag(user);
      if (action == "clear") ClearInstallFlag(user);
      bool now = ReadInstallFlag(user);
      std::printf("%d\n", now ? 1 : 0);
      if (action == "set" && !now) {
        std::fprintf(stderr,
                     "kestrel-tool: the install flag was not raised (no HotSync Manager key, or "
                     "HotSync Manager's own value %s is kept)\n",
                     InstallFlagName(user.userId()).c_str());
        return 1;
      }
      return 0;
    });

}  // namespace
}  // namespace kestrel::tool
