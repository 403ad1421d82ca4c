#include "handlers/QueueThroughHandler.h"

#include "common/FileRules.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "handlers/ExternalPrograms.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "users/PalmDesktop.h"
#include "users/UserInfo.h"

namespace kestrel {

ShapeSettings ShapeSettingsFor(const UserInfo& user) {
  ShapeSettings s;
  s.convKana = user.convKana();
  s.convAlpha = user.convAlpha();
  s.convUser1 = user.convUser1();
  s.convUser2 = user.convUser2();
  s.trim = user.trimLines();
  s.margeLine = user.joinLines();
  s.hanUserDef1 = Utf8ToCp932(user.hanUserDef1());
  s.zenUserDef1 = Utf8ToCp932(user.zenUserDef1());
  s.hanUserDef2 = Utf8ToCp932(user.hanUserDef2());
  s.zenUserDef2 = Utf8ToCp932(user.zenUserDef2());
  return s;
}

int QueueThroughHandler(UserInfo& user, const std::string& file, const std::string& installFolder,
                        const std::function<void()>& onFlagRaised) {
  const ExtHandlerTable& table = user.handlers();
  int index = table.FindByExtension(ExtensionOf(file));
  auto entry = table.get(index);
  if (!entry) return 0;

  std::string work = file;
  std::string temporary;
  if (entry->UseExText) {
    try {
      temporary = ShapeTextFile(ShapeSettingsFor(user), file);
    } catch (const TextFileError&) {
      temporary.clear();
    }
    if (temporary.empty()) {
      ErrorBox("%s", MessageText(454));
      return 0;
    }
    work = temporary;
  }

  std::string result = ConvertForInstall(table, index, work, installFolder);
  if (result == "ERROR") {
    if (!temporary.empty()) DeleteFileChecked(temporary, true);
    return 0;
  }
  if (!result.empty()) {
    CopyIntoFolder(result, installFolder, user.confirmOverwrite(), false);
    if (entry->InstallMode == TInstallMode::MoveConvertedPrc ||
        entry->InstallMode == TInstallMode::MoveConvertedPdb) {
      DeleteFileChecked(result, true);
    }
  }
  // The formatted copy goes only now: with the original's mode it is the
  // very file that was queued.
  if (!temporary.empty() && TheFileSystem().exists(temporary)) DeleteFileChecked(temporary, true);

  if (!ReadInstallFlag(user) && SetInstallFlag(user) && onFlagRaised) onFlagRaised();
  return 1;
}

bool LaunchSettings(const ExtHandler& entry) {
  return TheShell().open(entry.Path, entry.ConfOption, entry.WorkDir);
}

std::vector<RestoreToolItem> RestoreToolItems(const ExtHandlerTable& table) {
  std::vector<RestoreToolItem> items;
  std::vector<std::string> titles = table.RestoreTitles();
  for (int i = 0; i < static_cast<int>(titles.size()); ++i) {
    if (!titles[static_cast<std::size_t>(i)].empty()) {
      items.push_back({titles[static_cast<std::size_t>(i)], i});
    }
  }
  return items;
}

void MIRestToolsClick(UserInfo& user, const std::string& file, int index) {
  if (user.restoreBackup()) {
    TheFileSystem().copyFile(file, ReplaceExtension(file, MessageText(565)), true);
  }
  auto entry = user.handlers().get(index);
  if (entry && entry->UseRestore) RunForRestore(*entry, file, user.installFolder());
}

}  // namespace kestrel
