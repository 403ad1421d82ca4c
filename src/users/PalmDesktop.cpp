#include "users/PalmDesktop.h"

#include <chrono>
#include <thread>

#include "common/MessageBoxes.h"
#include "common/Paths.h"
#include "common/Translate.h"
#include "platform/Codepage.h"
#include "platform/Home.h"
#include "platform/Registry.h"
#include "platform/WholeFile.h"
#include "platform/Shell.h"
#include "users/UserInfo.h"
#include "users/UsersDat.h"

namespace kestrel {
namespace {

constexpr const char* kSetUpPalmDesktop = QT_TRANSLATE_NOOP("Kestrel", "Palm Desktopの 2.0以降をセットアップして下さい");
constexpr const char* kPalmRegistryUnreadable = QT_TRANSLATE_NOOP("Kestrel", "Palm Desktopのレジストリが読み込めません");

std::optional<RegKey> OpenExisting(const char* path) {
  return RegKey::Open(TheRegistry(), Hive::CurrentUser, path, false);
}

// The key of the user's install flag, when there is a flag to speak of.
std::optional<RegKey> FlagKey(const UserInfo& user) {
  if (user.userName().empty() || user.userId().empty()) return std::nullopt;
  return OpenExisting(kHotSyncKey);
}

}  // namespace

PalmLocations ReadPalmLocations() {
  PalmLocations loc;
  if (auto core = OpenExisting(kPalmCoreKey)) {
    if (core->hasValue("Path")) {
      loc.desktopFolder = core->readString("Path");
      loc.usbSwitcherProgram = WithTrailingBackslash(loc.desktopFolder) + "USBSwt.exe";
    } else {
      ErrorBox("%s", Tr(kPalmRegistryUnreadable));
    }
    if (core->hasValue("HotSyncPath")) {
      loc.hotSyncProgram = core->readString("HotSyncPath");
    } else {
      ErrorBox("%s", Tr(kPalmRegistryUnreadable));
    }
  } else {
    ErrorBox("%s", Tr(kSetUpPalmDesktop));
  }
  if (auto hotSync = OpenExisting(kHotSyncKey)) {
    loc.hotSyncPort = hotSync->readString("DirectComPort", "");
  } else {
    ErrorBox("%s", Tr(kSetUpPalmDesktop));
  }
  return loc;
}

std::optional<std::string> PalmDesktopFolder() {
  // Asked for every user's folders: one read of the store, not three.
  RegistryBatch read(TheRegistry(), false);
  auto core = OpenExisting(kPalmCoreKey);
  std::optional<std::string> folder;
  if (core && core->hasValue("Path")) folder = core->readString("Path");
  read.Commit();
  return folder;
}

void RemoveLeftoversOfEndedRunsEverywhere() {
  std::string palm;
  try {
    palm = PalmDesktopFolder().value_or("");
  } catch (const RegistryError&) {
    // A store that cannot be read names no folder; the home is still tidied.
  }
  RemoveLeftoversOfEndedRuns(palm);
}

std::string UsersDatPath(const std::string& desktopFolder) {
  return WithTrailingBackslash(desktopFolder) + "Users.dat";
}

int LookUpUser(UserInfo& user) {
  std::string path = UsersDatPath(PalmDesktopFolder().value_or(""));
  auto bytes = ReadWholeFile(path);
  if (!bytes) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "Users.datが読み込めません。"));
    return kLookupNotOpened;
  }
  UsersDatMatch match = FindUserInUsersDat(*bytes, Utf8ToCp932(user.userName()));
  user.setShortName(Cp932ToUtf8(match.shortName));
  if (match.answer == kLookupFound) user.setUserId(std::to_string(match.userId));
  return match.answer;
}

std::string InstallFolderFor(const std::string& shortName) {
  return WithTrailingBackslash(PalmDesktopFolder().value_or("")) + shortName + "/Install/";
}

std::string UserPalmFolder(const UserInfo& user) {
  std::string folder = PalmDesktopFolder().value_or("");
  if (folder.empty()) return "";
  return WithTrailingBackslash(folder) + WithTrailingBackslash(user.shortName());
}

std::string InstallFlagName(const std::string& userId) { return "Install" + userId; }

bool ReadInstallFlag(UserInfo& user) {
  user.setInstallFlagState(false);
  if (auto key = FlagKey(user)) {
    user.setInstallFlagState(key->readBool(InstallFlagName(user.userId()), false));
  }
  return user.installFlag();
}

bool SetInstallFlag(UserInfo& user) {
  user.setInstallFlagState(false);
  if (auto key = FlagKey(user)) {
    std::string name = InstallFlagName(user.userId());
    // An existing value belongs to HotSync Manager; leave it as it is.
    if (!key->hasValue(name)) {
      key->writeDword(name, 1);
      user.setInstallFlagState(true);
    }
  }
  return user.installFlag();
}

bool ClearInstallFlag(UserInfo& user) {
  user.setInstallFlagState(false);
  if (auto key = FlagKey(user)) key->deleteValue(InstallFlagName(user.userId()));
  return false;
}

std::optional<WindowId> FindHotSyncManager() {
  return TheDesktop().findWindowByTitle(kHotSyncTitle);
}

std::optional<WindowId> FindUsbSwitcher() {
  return TheDesktop().findWindowByTitle(kUsbSwitcherTitle);
}

bool StartHotSync(const PalmLocations& locations, const UserInfo* user) {
  bool ok = true;
  if (!FindHotSyncManager() && !TheShell().open(locations.hotSyncProgram)) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "HotSync Managerの起動ができません"));
    ok = false;
  }
  if (user && user->usbSwitcher() && !FindUsbSwitcher() &&
      !TheShell().open(locations.usbSwitcherProgram)) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "SonyPDA USB Switcherが起動できません"));
    ok = false;
  }
  return ok;
}

bool StopHotSync(const UserInfo* user) {
  Desktop& desktop = TheDesktop();
  if (auto hotSync = FindHotSyncManager()) {
    desktop.bringToFront(*hotSync);
    desktop.postMessage(*hotSync, BusMessage{kHotSyncQuitMessage, 1, 0, ""});
  }
  if (user && user->usbSwitcher()) {
    if (auto switcher = FindUsbSwitcher()) {
      desktop.bringToFront(*switcher);
      desktop.postMessage(*switcher, BusMessage{kWmCommand, kUsbSwitcherQuitCommand, 0, ""});
    }
  }
  for (int sleeps = 0; FindHotSyncManager(); ++sleeps) {
    if (sleeps == 10) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  return true;
}

void CmbBComPortChange(PortMenu& menu, PalmLocations& locations) {
  bool selected = menu.comboIndex >= 0 && menu.comboIndex < static_cast<int>(menu.ports.size());
  locations.hotSyncPort = selected ? menu.ports[static_cast<std::size_t>(menu.comboIndex)] : "";
  // Without a selection there is no port item to check (the position
  // before the first port is the menu's separator).
  menu.checkedPosition = selected ? menu.comboIndex + PortMenu::kFirstPortPosition : -1;
}

void SelectHotSyncPort(PortMenu& menu, PalmLocations& locations) {
  menu.comboIndex = -1;
  for (std::size_t i = 0; i < menu.ports.size(); ++i) {
    if (menu.ports[i] == locations.hotSyncPort) {
      menu.comboIndex = static_cast<int>(i);
      break;
    }
  }
  CmbBComPortChange(menu, locations);
}

void SwitchHotSyncPort(PortMenu& menu, PalmLocations& locations, int menuPosition,
                       const UserInfo* user) {
  int index = menuPosition - PortMenu::kFirstPortPosition;
  if (index < 0 || index >= static_cast<int>(menu.ports.size())) return;
  std::string port = menu.ports[static_cast<std::size_t>(index)];
  menu.comboIndex = index;
  CmbBComPortChange(menu, locations);
  StopHotSync(user);
  if (auto key = OpenExisting(kHotSyncKey)) {
    key->writeString("DirectComPort", port);
    key->flush();
  }
  StartHotSync(locations, user);
}

}  // namespace kestrel
