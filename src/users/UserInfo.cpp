#include "users/UserInfo.h"

#include "common/Paths.h"
#include "common/RegistryDefaults.h"
#include "platform/FileSystem.h"
#include "platform/Home.h"
#include "platform/Registry.h"
#include "users/PalmDesktop.h"
#include "users/UsersDat.h"

namespace kestrel {

const char* const kDefaultHanUserDef1 =
    "  ! # $ % & * + - / : ; < = > ? @ . , . , \" ' ( ) [ \\ ] ^ _ ` { | } ~ ";
const char* const kDefaultZenUserDef1 = "　！＃＄％＆＊＋－／：；＜＝＞？＠。、．，”’（）［￥］＾＿‘｛｜｝￣";
const char* const kDefaultHanUserDef2 = "\uFF65 \uFF62 \uFF63 ";
const char* const kDefaultZenUserDef2 = "・「」";

namespace {

std::optional<RegKey> OpenKey(const std::string& path, bool create) {
  try {
    return RegKey::Open(TheRegistry(), Hive::CurrentUser, path, create);
  } catch (const RegistryError&) {
    if (create) return std::nullopt;
    throw;
  }
}

void WriteInt(const RegKey& key, const char* name, int value) {
  key.writeDword(name, static_cast<std::uint32_t>(value));
}

}  // namespace

UserInfo::UserInfo() : handlers_(std::make_unique<ExtHandlerTable>()) {}

UserInfo::UserInfo(const std::string& userName) : UserInfo() { OpenUser(userName, false); }

// The handler table writes itself back as it goes, when its flag says so.
UserInfo::~UserInfo() = default;

void UserInfo::ResetDefaults() { f_ = Fields{}; }

std::string UserInfo::keyPath() const { return JoinKeyPath(kUsersKey, f_.userName); }

int UserInfo::OpenUser(const std::string& userName, bool duplicateCheck) {
  ResetDefaults();
  // An empty name names the Users key itself, not a user.
  if (userName.empty()) return 2;
  f_.userName = userName;
  LoadSettings();
  bool stored = !f_.shortName.empty() && !f_.userId.empty();
  if (!stored) {
    if (LookUpUser(*this) != kLookupFound) {
      ResetDefaults();
      return 2;
    }
  } else if (duplicateCheck) {
    return 1;
  }
  if (f_.backupFolder.empty()) f_.backupFolder = WithTrailingBackslash(ProgramFolder() + f_.shortName);
  f_.installFolder = InstallFolderFor(f_.shortName);
  handlers_->clear();  // loading appends
  handlers_->LoadForUser(f_.userName, true);
  return 0;
}

int UserInfo::LoadSettings() {
  if (refused()) return 1;
  if (auto key = OpenKey(keyPath(), true)) {
    const RegKey& k = *key;
    f_.shortName = ReadStringDefault(k, "User", "");
    f_.userId = ReadStringDefault(k, "UserID", "");
    f_.backupFolder = ReadStringDefault(k, "BackupPath", "");
    f_.autoBackup = ReadBoolDefault(k, "Backup", true);
    f_.backupArchives = ReadBoolDefault(k, "BackupArchive", true);
    f_.confirmOverwrite = ReadBoolDefault(k, "BackupFlag", true);
    f_.confirmDelete = ReadBoolDefault(k, "AskDelete", true);
    f_.showDescription = ReadBoolDefault(k, "NoInfo", false);
    f_.showTitle = ReadBoolDefault(k, "ShowTitle", false);
    f_.startHotSync = ReadBoolDefault(k, "ExecHotSync", false);
    f_.stopHotSync = ReadBoolDefault(k, "ExitHotSync", false);
    f_.usbSwitcher = ReadBoolDefault(k, "USBSwitcher", false);
    f_.showWindow = ReadBoolDefault(k, "ShowWindow", false);
    f_.selectArchiveFolder = ReadBoolDefault(k, "GoArchiveFolder", false);
    f_.showArchives = ReadBoolDefault(k, "ShowArchiveFolder", false);
    f_.convKana = ReadIntDefault(k, "ConvKana", kConvToFullWidth);
    f_.convAlpha = ReadIntDefault(k, "ConvAlpha", kConvToHalfWidth);
    f_.convUser1 = ReadIntDefault(k, "ConvUser1", kConvToHalfWidth);
    f_.convUser2 = ReadIntDefault(k, "ConvUser2", kConvToFullWidth);
    f_.trimLines = ReadBoolDefault(k, "Trim", true);
    f_.joinLines = ReadBoolDefault(k, "MargeLine", false);
    f_.restoreBackup = ReadBoolDefault(k, "RestoreBackup", true);
    f_.hanUserDef1 = ReadStringDefault(k, "HanUserDef1", kDefaultHanUserDef1);
    f_.zenUserDef1 = ReadStringDefault(k, "ZenUserDef1", kDefaultZenUserDef1);
    f_.hanUserDef2 = ReadStringDefault(k, "HanUserDef2", kDefaultHanUserDef2);
    f_.zenUserDef2 = ReadStringDefault(k, "ZenUserDef2", kDefaultZenUserDef2);
    f_.appListUrl = ReadStringDefault(k, "AppListURL", kDefaultAppListUrl);
    f_.rasName = ReadStringDefault(k, "RasName", "");
    f_.disconnect = ReadBoolDefault(k, "Disconnect", false);
    f_.askDisconnect = ReadBoolDefault(k, "AskDisconnect", true);
    f_.useProxy = ReadBoolDefault(k, "UseProxy", false);
    f_.proxy = ReadStringDefault(k, "Proxy", "");
    f_.proxyPort = ReadStringDefault(k, "ProxyPort", "");
    f_.useGlance = ReadBoolDefault(k, "UseGlance", false);
    f_.glanceViewOnDClk = ReadBoolDefault(k, "GlanceViewOnDClk", false);
    f_.glanceHtmlConv = ReadBoolDefault(k, "GlanceHTMLConv", false);
    f_.glanceSavePos = ReadBoolDefault(k, "GlanceSavePos", false);
    f_.glanceRect.left = ReadIntDefault(k, "GlancePosX", 0);
    f_.glanceRect.top = ReadIntDefault(k, "GlancePosY", 0);
    f_.glanceRect.width = ReadIntDefault(k, "GlanceWidth", 0);
    f_.glanceRect.height = ReadIntDefault(k, "GlanceHeight", 0);
    f_.glanceJpFontName = ReadStringDefault(k, "GlanceJpFontName", "");
    f_.glanceEnFontName = ReadStringDefault(k, "GlanceEnFontName", "");
    f_.glanceJpFontSize = ReadIntDefault(k, "GlanceJpFontSize", 9);
    f_.glanceEnFontSize = ReadIntDefault(k, "GlanceEnFontSize", 9);
    f_.lastAccessFolder = ReadStringDefault(k, "LastAccessDir", "");
    if (auto sub = OpenKey(JoinKeyPath(keyPath(), "pilot-xfer"), true)) {
      const RegKey& x = *sub;
      f_.consoleBackupFolder = ReadStringDefault(x, "BackupPath", "");
      f_.consoleProgram = ReadStringDefault(x, "Path", "");
      f_.consolePort = ReadIntDefault(x, "Port", 0);
      f_.consoleRate = ReadIntDefault(x, "Rate", 0);
      f_.consolePriority = ReadIntDefault(x, "Priority", 2);
      f_.consoleHeight = ReadIntDefault(x, "Height", 0);
      f_.consoleBackupMode = ReadIntDefault(x, "DefualtBackupMode", 0);
    }
  }
  f_.installFolder = InstallFolderFor(f_.shortName);
  ReadInstallFlag(*this);
  return 0;
}

int UserInfo::SaveSettings() {
  if (refused()) return 1;
  auto key = OpenKey(keyPath(), true);
  if (!key) return 1;
  const RegKey& k = *key;
  k.writeString("User", f_.shortName);
  k.writeString("UserID", f_.userId);
  k.writeString("BackupPath", f_.backupFolder);
  k.writeBool("Backup", f_.autoBackup);
  k.writeBool("BackupArchive", f_.backupArchives);
  k.writeBool("BackupFlag", f_.confirmOverwrite);
  k.writeBool("AskDelete", f_.confirmDelete);
  k.writeBool("NoInfo", f_.showDescription);
  k.writeBool("ShowTitle", f_.showTitle);
  k.writeBool("ExecHotSync", f_.startHotSync);
  k.writeBool("ExitHotSync", f_.stopHotSync);
  k.writeBool("USBSwitcher", f_.usbSwitcher);
  k.writeBool("ShowWindow", f_.showWindow);
  k.writeBool("GoArchiveFolder", f_.selectArchiveFolder);
  k.writeBool("ShowArchiveFolder", f_.showArchives);
  WriteInt(k, "ConvKana", f_.convKana);
  WriteInt(k, "ConvAlpha", f_.convAlpha);
  k.writeBool("Trim", f_.trimLines);
  k.writeBool("MargeLine", f_.joinLines);
  k.writeBool("RestoreBackup", f_.restoreBackup);
  WriteInt(k, "ConvUser1", f_.convUser1);
  WriteInt(k, "ConvUser2", f_.convUser2);
  k.writeString("HanUserDef1", f_.hanUserDef1);
  k.writeString("ZenUserDef1", f_.zenUserDef1);
  k.writeString("HanUserDef2", f_.hanUserDef2);
  k.writeString("ZenUserDef2", f_.zenUserDef2);
  k.writeString("AppListURL", f_.appListUrl);
  k.writeString("RasName", f_.rasName);
  k.writeBool("Disconnect", f_.disconnect);
  k.writeBool("AskDisconnect", f_.askDisconnect);
  k.writeBool("UseProxy", f_.useProxy);
  k.writeString("Proxy", f_.proxy);
  k.writeString("ProxyPort", f_.proxyPort);
  k.writeBool("UseGlance", f_.useGlance);
  k.writeBool("GlanceViewOnDClk", f_.glanceViewOnDClk);
  k.writeBool("GlanceHTMLConv", f_.glanceHtmlConv);
  k.writeBool("GlanceSavePos", f_.glanceSavePos);
  WriteInt(k, "GlancePosX", f_.glanceRect.left);
  WriteInt(k, "GlancePosY", f_.glanceRect.top);
  WriteInt(k, "GlanceWidth", f_.glanceRect.width);
  WriteInt(k, "GlanceHeight", f_.glanceRect.height);
  k.writeString("GlanceJpFontName", f_.glanceJpFontName);
  k.writeString("GlanceEnFontName", f_.glanceEnFontName);
  WriteInt(k, "GlanceJpFontSize", f_.glanceJpFontSize);
  WriteInt(k, "GlanceEnFontSize", f_.glanceEnFontSize);
  k.writeString("LastAccessDir", f_.lastAccessFolder);
  if (auto sub = OpenKey(JoinKeyPath(keyPath(), "pilot-xfer"), true)) {
    const RegKey& x = *sub;
    x.writeString("BackupPath", f_.consoleBackupFolder);
    x.writeString("Path", f_.consoleProgram);
    WriteInt(x, "Port", f_.consolePort);
    WriteInt(x, "Rate", f_.consoleRate);
    WriteInt(x, "Priority", f_.consolePriority);
    WriteInt(x, "Height", f_.consoleHeight);
    WriteInt(x, "DefualtBackupMode", f_.consoleBackupMode);
  }
  handlers_->SaveToRegistry();
  return 0;
}

int UserInfo::StoreLastUser() {
  if (refused()) return 1;
  auto key = OpenKey(kKestrelKey, true);
  if (!key) return 1;
  key->writeString("LastUser", f_.shortName);
  return 0;
}

bool UserInfo::IsLastUser() const {
  if (refused()) return false;
  auto key = OpenKey(kKestrelKey, false);
  std::string last = key ? ReadStringDefault(*key, "LastUser", "") : "";
  return last == f_.shortName;
}

bool UserInfo::DeleteUser(bool saveOnDestroy, const std::string& userName) {
  std::string name = userName.empty() ? f_.userName : userName;
  bool deleted = false;
  // Without a name the path would be the Users key itself, all users.
  if (!name.empty()) {
    deleted = TheRegistry().deleteKeyTree(Hive::CurrentUser, JoinKeyPath(kUsersKey, name));
  }
  ClearInstallFlag(*this);
  handlers_->setSaveOnDestroy(saveOnDestroy);
  return deleted;
}

bool UserInfo::setBackupFolder(const std::string& v) {
  if (refused()) return true;
  f_.backupFolder = v;
  return false;
}

std::string UserInfo::setLastAccessFolder(const std::string& folder) {
  if (folder.empty() || !TheFileSystem().isDirectory(folder)) return "";
  f_.lastAccessFolder = folder;
  return folder;
}

#define KESTREL_REFUSING_SETTER(Setter, field) \
  bool UserInfo::Setter(bool v) {              \
    if (refused()) return true;                \
    f_.field = v;                              \
    return false;                              \
  }
KESTREL_REFUSING_SETTER(setAutoBackup, autoBackup)
KESTREL_REFUSING_SETTER(setBackupArchives, backupArchives)
KESTREL_REFUSING_SETTER(setConfirmOverwrite, confirmOverwrite)
KESTREL_REFUSING_SETTER(setConfirmDelete, confirmDelete)
KESTREL_REFUSING_SETTER(setShowDescription, showDescription)
KESTREL_REFUSING_SETTER(setSelectArchiveFolder, selectArchiveFolder)
#undef KESTREL_REFUSING_SETTER

int EnumerateUsers(std::vector<std::unique_ptr<UserInfo>>& users) {
  auto root = RegKey::Open(TheRegistry(), Hive::CurrentUser, kUsersKey, false);
  if (!root) return static_cast<int>(users.size());
  for (const std::string& name : root->subkeyNames()) {
    auto key = root->openSubkey(name, false);
    if (!key) continue;
    // Left behind by an add that failed, or by an old version.
    if (!key->hasValue("User")) {
      root->deleteSubkeyTree(name);
      continue;
    }
    users.push_back(std::make_unique<UserInfo>(name));
  }
  return static_cast<int>(users.size());
}

}  // namespace kestrel
