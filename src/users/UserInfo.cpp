#include "users/UserInfo.h"

#include <strings.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <optional>

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

// A decimal int, all of the text; nullopt for anything else.
std::optional<int> ParseInt(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long n = std::strtol(text.c_str(), &end, 10);
  if (*end || errno || n < INT_MIN || n > INT_MAX) return std::nullopt;
  return static_cast<int>(n);
}

// The row's value in the store, in its text form (Absent when missing).
std::string StoredText(const SettingRow& row, const RegKey& key) {
  switch (row.type) {
    case SettingType::Text: return ReadStringDefault(key, row.valueName, row.absent);
    case SettingType::Flag:
      return ReadBoolDefault(key, row.valueName, std::string(row.absent) != "0") ? "1" : "0";
    case SettingType::Number:
      return std::to_string(ReadIntDefault(key, row.valueName, *ParseInt(row.absent)));
  }
  return "";
}

void LoadRow(const SettingRow& row, const RegKey& key, UserInfo& user) { row.put(user, StoredText(row, key)); }

std::size_t RowIndex(const SettingRow& row) { return static_cast<std::size_t>(&row - SettingRows().data()); }

}  // namespace

// Writes the row's text unless this object did not change it since the
// store last held it and the store has a value of the row's type (another
// program's, maybe newer than ours). True when written.
bool UserInfo::SaveRow(const SettingRow& row, const RegKey& key, const std::string& text) const {
  if (savedTexts_ && (*savedTexts_)[RowIndex(row)] == text &&
      key.valueType(row.valueName) == (row.type == SettingType::Text ? ValueType::String : ValueType::Dword)) {
    return false;
  }
  switch (row.type) {
    case SettingType::Text: key.writeString(row.valueName, text); break;
    case SettingType::Flag: key.writeBool(row.valueName, text != "0"); break;
    case SettingType::Number:
      key.writeDword(row.valueName, static_cast<std::uint32_t>(ParseInt(text).value_or(0)));
      break;
  }
  return true;
}

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

}  // namespace

std::string SettingRow::name() const {
  return *subkey ? std::string(subkey) + "\\" + valueName : std::string(valueName);
}

bool SettingRow::setText(UserInfo& user, const std::string& text) const {
  if (type == SettingType::Flag && text != "0" && text != "1") return false;
  if (type == SettingType::Number && !ParseInt(text)) return false;
  put(user, text);
  return true;
}

std::string SettingRow::CheckText(const std::string& text) const {
  switch (type) {
    case SettingType::Text: return "";
    case SettingType::Flag: return text == "0" || text == "1" ? "" : name() + " は 0 か 1 です";
    case SettingType::Number: {
      int n = 0;
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
      if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return name() + " は整数です";
      if (limit == SettingLimit::ConvChoice && (n < kConvNone || n > kConvToHalfWidth)) {
        return name() + " は 0（何もしない）、1（全角に変換）、2（半角に変換）のどれかです";
      }
      return "";
    }
  }
  return "";
}

bool SettingRow::setEdited(UserInfo& user, const std::string& text) const {
  if (limit == SettingLimit::ExistingFolder && (text.empty() || !TheFileSystem().isDirectory(text))) {
    return false;
  }
  return setText(user, text);
}

// The rows reach the fields directly: loading must not go through the
// setters that refuse while the user name is empty.
#define KESTREL_TEXT(sub, name, field, initial, absent)                           \
  SettingRow {                                                                    \
    sub, name, SettingType::Text, initial, absent,                                \
        [](const UserInfo& u) -> std::string { return u.f_.field; },              \
        [](UserInfo& u, const std::string& t) { u.f_.field = t; }                 \
  }
#define KESTREL_FLAG(sub, name, field, initial, absent)                           \
  SettingRow {                                                                    \
    sub, name, SettingType::Flag, initial, absent,                                \
        [](const UserInfo& u) -> std::string { return u.f_.field ? "1" : "0"; },  \
        [](UserInfo& u, const std::string& t) { u.f_.field = t != "0"; }          \
  }
#define KESTREL_NUMBER(sub, name, field, initial, absent)                         \
  SettingRow {                                                                    \
    sub, name, SettingType::Number, initial, absent,                              \
        [](const UserInfo& u) -> std::string { return std::to_string(u.f_.field); }, \
        [](UserInfo& u, const std::string& t) { u.f_.field = ParseInt(t).value_or(0); } \
  }
// The same rows with what a user may set limited further.
#define KESTREL_LIMITED(row, how) [] { SettingRow r = row; r.limit = SettingLimit::how; return r; }()

const std::vector<SettingRow>& SettingRows() {
  static const std::vector<SettingRow> rows = {
      KESTREL_TEXT("", "User", shortName, "", ""),
      KESTREL_TEXT("", "UserID", userId, "", ""),
      KESTREL_TEXT("", "BackupPath", backupFolder, "", ""),
      KESTREL_FLAG("", "Backup", autoBackup, "1", "1"),
      KESTREL_FLAG("", "BackupArchive", backupArchives, "1", "1"),
      KESTREL_FLAG("", "BackupFlag", confirmOverwrite, "1", "1"),
      KESTREL_FLAG("", "AskDelete", confirmDelete, "1", "1"),
      KESTREL_FLAG("", "NoInfo", showDescription, "0", "0"),
      KESTREL_FLAG("", "ShowTitle", showTitle, "0", "0"),
      KESTREL_FLAG("", "ExecHotSync", startHotSync, "0", "0"),
      KESTREL_FLAG("", "ExitHotSync", stopHotSync, "0", "0"),
      KESTREL_FLAG("", "USBSwitcher", usbSwitcher, "0", "0"),
      KESTREL_FLAG("", "ShowWindow", showWindow, "0", "0"),
      KESTREL_FLAG("", "GoArchiveFolder", selectArchiveFolder, "0", "0"),
      KESTREL_FLAG("", "ShowArchiveFolder", showArchives, "0", "0"),
      KESTREL_LIMITED(KESTREL_NUMBER("", "ConvKana", convKana, "1", "1"), ConvChoice),
      KESTREL_LIMITED(KESTREL_NUMBER("", "ConvAlpha", convAlpha, "2", "2"), ConvChoice),
      KESTREL_LIMITED(KESTREL_NUMBER("", "ConvUser1", convUser1, "2", "2"), ConvChoice),
      KESTREL_LIMITED(KESTREL_NUMBER("", "ConvUser2", convUser2, "1", "1"), ConvChoice),
      KESTREL_FLAG("", "Trim", trimLines, "1", "1"),
      KESTREL_FLAG("", "MargeLine", joinLines, "0", "0"),
      KESTREL_FLAG("", "RestoreBackup", restoreBackup, "1", "1"),
      KESTREL_TEXT("", "HanUserDef1", hanUserDef1, "", kDefaultHanUserDef1),
      KESTREL_TEXT("", "ZenUserDef1", zenUserDef1, "", kDefaultZenUserDef1),
      KESTREL_TEXT("", "HanUserDef2", hanUserDef2, "", kDefaultHanUserDef2),
      KESTREL_TEXT("", "ZenUserDef2", zenUserDef2, "", kDefaultZenUserDef2),
      KESTREL_TEXT("", "AppListURL", appListUrl, "", kDefaultAppListUrl),
      KESTREL_TEXT("", "RasName", rasName, "", ""),
      KESTREL_FLAG("", "Disconnect", disconnect, "0", "0"),
      KESTREL_FLAG("", "AskDisconnect", askDisconnect, "1", "1"),
      KESTREL_FLAG("", "UseProxy", useProxy, "0", "0"),
      KESTREL_TEXT("", "Proxy", proxy, "", ""),
      KESTREL_TEXT("", "ProxyPort", proxyPort, "", ""),
      KESTREL_FLAG("", "UseGlance", useGlance, "0", "0"),
      KESTREL_FLAG("", "GlanceViewOnDClk", glanceViewOnDClk, "0", "0"),
      KESTREL_FLAG("", "GlanceHTMLConv", glanceHtmlConv, "1", "0"),
      KESTREL_FLAG("", "GlanceSavePos", glanceSavePos, "0", "0"),
      KESTREL_NUMBER("", "GlancePosX", glanceRect.left, "0", "0"),
      KESTREL_NUMBER("", "GlancePosY", glanceRect.top, "0", "0"),
      KESTREL_NUMBER("", "GlanceWidth", glanceRect.width, "0", "0"),
      KESTREL_NUMBER("", "GlanceHeight", glanceRect.height, "0", "0"),
      KESTREL_TEXT("", "GlanceJpFontName", glanceJpFontName, "", ""),
      KESTREL_TEXT("", "GlanceEnFontName", glanceEnFontName, "", ""),
      KESTREL_NUMBER("", "GlanceJpFontSize", glanceJpFontSize, "9", "9"),
      KESTREL_NUMBER("", "GlanceEnFontSize", glanceEnFontSize, "9", "9"),
      KESTREL_LIMITED(KESTREL_TEXT("", "LastAccessDir", lastAccessFolder, "", ""), ExistingFolder),
      KESTREL_TEXT("pilot-xfer", "BackupPath", consoleBackupFolder, "", ""),
      KESTREL_TEXT("pilot-xfer", "Path", consoleProgram, "", ""),
      KESTREL_NUMBER("pilot-xfer", "Port", consolePort, "0", "0"),
      KESTREL_NUMBER("pilot-xfer", "Rate", consoleRate, "0", "0"),
      KESTREL_NUMBER("pilot-xfer", "Priority", consolePriority, "2", "2"),
      KESTREL_NUMBER("pilot-xfer", "Height", consoleHeight, "0", "0"),
      KESTREL_NUMBER("pilot-xfer", "DefualtBackupMode", consoleBackupMode, "0", "0"),
  };
  return rows;
}
#undef KESTREL_TEXT
#undef KESTREL_FLAG
#undef KESTREL_NUMBER
#undef KESTREL_LIMITED

const std::vector<const SettingRow*>& SettingSaveOrder() {
  static const std::vector<const SettingRow*> order = [] {
    std::vector<const SettingRow*> out;
    const SettingRow* user1 = FindSettingRow("ConvUser1");
    const SettingRow* user2 = FindSettingRow("ConvUser2");
    for (const SettingRow& row : SettingRows()) {
      if (&row == user1 || &row == user2) continue;
      out.push_back(&row);
      if (std::string(row.valueName) == "RestoreBackup") {
        out.push_back(user1);
        out.push_back(user2);
      }
    }
    return out;
  }();
  return order;
}

const SettingRow* FindSettingRow(const std::string& name) {
  for (const SettingRow& row : SettingRows()) {
    if (SameName(row.name(), name)) return &row;
  }
  return nullptr;
}

UserInfo::UserInfo() : handlers_(std::make_unique<ExtHandlerTable>()) { ResetDefaults(); }

UserInfo::UserInfo(const std::string& userName) : UserInfo() { OpenUser(userName, false); }

// The handler table writes itself back as it goes, when its flag says so.
UserInfo::~UserInfo() = default;

void UserInfo::ResetDefaults() {
  f_ = Fields{};
  savedTexts_.reset();
  for (const SettingRow& row : SettingRows()) row.put(*this, row.initial);
}

std::string UserInfo::keyPath() const { return JoinKeyPath(kUsersKey, f_.userName); }

int UserInfo::OpenUser(const std::string& userName, bool duplicateCheck) {
  ResetDefaults();
  // An empty name names the Users key itself, not a user.
  if (userName.empty()) return 2;
  f_.userName = userName;
  // The keys LoadSettings may make are made first, so that all of the
  // opening is one read of a store that does not change under it.
  OpenKey(JoinKeyPath(keyPath(), "pilot-xfer"), true);
  std::optional<RegistryBatch> read;
  try {
    read.emplace(TheRegistry(), false);
  } catch (const RegistryError&) {
    // Read as before, one value at a time; each read says what is wrong.
  }
  LoadSettings();
  // A stored short name that could lead out of the Palm Desktop folder is
  // no short name: the user is looked up again.
  bool stored = IsUsableShortName(f_.shortName, false) && !f_.userId.empty();
  if (!stored) {
    // The look-up may show a message box: no read stays open meanwhile.
    if (read) {
      read->Commit();
      read.reset();
    }
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
  // Most users' files are never queued in a run: their tables are read
  // when first used.
  handlers_->LoadForUserWhenUsed(f_.userName, true);
  if (read) read->Commit();
  return 0;
}

int UserInfo::LoadSettings() {
  if (refused()) return 1;
  // The keys are made first, so that the reads below are one read of a
  // store that does not change under them.
  if (auto key = OpenKey(keyPath(), true)) {
    auto sub = OpenKey(JoinKeyPath(keyPath(), "pilot-xfer"), true);
    RegistryBatch read(key->registry(), false);
    for (const SettingRow& row : SettingRows()) {
      if (!*row.subkey) {
        LoadRow(row, *key, *this);
      } else if (sub) {
        LoadRow(row, *sub, *this);
      }
    }
    savedTexts_.emplace();
    for (const SettingRow& row : SettingRows()) savedTexts_->push_back(row.get(*this));
    // The Palm Desktop folder and the flag in the same read.
    f_.installFolder = InstallFolderFor(f_.shortName);
    ReadInstallFlag(*this);
    read.Commit();
    return 0;
  }
  savedTexts_.reset();
  f_.installFolder = InstallFolderFor(f_.shortName);
  ReadInstallFlag(*this);
  return 0;
}

int UserInfo::SaveSettings() {
  if (refused()) return 1;
  // All values of the user, its pilot-xfer subkey and its handler table, or
  // none of them: a program killed part way leaves the settings as they were.
  std::optional<RegistryBatch> batch;
  try {
    batch.emplace(TheRegistry());
  } catch (const RegistryError&) {
    return 1;  // the store cannot be written now: as a key that cannot be made
  }
  auto key = OpenKey(keyPath(), true);
  if (!key) return 1;
  std::optional<RegKey> sub;
  bool subOpened = false;
  std::vector<std::string> saved(SettingRows().size());
  for (const SettingRow* row : SettingSaveOrder()) {
    const RegKey* target = &*key;
    if (*row->subkey) {
      if (!subOpened) {
        sub = OpenKey(JoinKeyPath(keyPath(), row->subkey), true);
        subOpened = true;
      }
      if (!sub) continue;
      target = &*sub;
    }
    std::string& now = saved[RowIndex(*row)];
    now = row->get(*this);
    if (!SaveRow(*row, *target, now)) {
      // Unchanged here since it was loaded: what another program stored
      // meanwhile stays, and this object takes it.
      now = StoredText(*row, *target);
      row->put(*this, now);
    }
  }
  handlers_->SaveToRegistry();
  batch->Commit();
  savedTexts_ = std::move(saved);
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
  // Which keys are users, in one read of the store; the keys to drop go
  // after it, each in its place in the order.
  struct Found {
    std::string name;
    bool user = false;
  };
  std::vector<Found> found;
  {
    RegistryBatch read(root->registry(), false);
    for (const std::string& name : root->subkeyNames()) {
      auto key = root->openSubkey(name, false);
      if (key) found.push_back({name, key->hasValue("User")});
    }
    read.Commit();
  }
  for (const Found& f : found) {
    // Left behind by an add that failed, or by an old version.
    if (!f.user) {
      root->deleteSubkeyTree(f.name);
      continue;
    }
    users.push_back(std::make_unique<UserInfo>(f.name));
  }
  return static_cast<int>(users.size());
}

std::optional<LastUserFolders> StoredLastUserFolders() {
  try {
    Registry& reg = TheRegistry();
    RegistryBatch read(reg, false);
    auto kestrel = RegKey::Open(reg, Hive::CurrentUser, kKestrelKey, false);
    auto root = RegKey::Open(reg, Hive::CurrentUser, kUsersKey, false);
    std::string last = kestrel ? kestrel->readString("LastUser", "") : "";
    if (!root || last.empty()) return std::nullopt;
    for (const std::string& name : root->subkeyNames()) {
      auto key = root->openSubkey(name, false);
      // As OpenUser takes a stored user without looking it up.
      if (!key || key->readString("User", "") != last || key->readString("UserID", "").empty() ||
          !IsUsableShortName(last, false)) {
        continue;
      }
      LastUserFolders folders;
      std::string backup = key->readString("BackupPath", "");
      if (backup.empty()) backup = ProgramFolder() + last;
      folders.backup = WithTrailingBackslash(backup);
      folders.showArchives = key->readBool("ShowArchiveFolder", false);
      std::string palm = PalmDesktopFolder().value_or("");
      if (!palm.empty()) folders.palm = WithTrailingBackslash(palm) + WithTrailingBackslash(last);
      read.Commit();
      return folders;
    }
    read.Commit();
  } catch (const RegistryError&) {
    // Told when the users are read.
  }
  return std::nullopt;
}

}  // namespace kestrel
