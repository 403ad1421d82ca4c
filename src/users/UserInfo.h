// One HotSync user registered with Kestrel+: identity, folders and every
// per-user option, stored under Software\Tolva\Kestrel+\Users\<user name>.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/PlaceDialog.h"
#include "handlers/table/ExtHandlerTable.h"

namespace kestrel {

// The program's registry key (current user's hive) and its users' key.
inline constexpr const char* kKestrelKey = "Software\\Tolva\\Kestrel+";
inline constexpr const char* kUsersKey = "Software\\Tolva\\Kestrel+\\Users";

// Where the AppList is fetched when a user has no address stored.
inline constexpr const char* kDefaultAppListUrl = "http://kestrel-plus.example.org/data/AppList.txt";

// The user-defined width-conversion sets used when a user has none stored
// (UTF-8 here; the text formatter works on their code page 932 form). A
// half-width set is single-byte characters each followed by a space; the
// full-width set of the same number pairs with it character by character.
extern const char* const kDefaultHanUserDef1;
extern const char* const kDefaultZenUserDef1;
extern const char* const kDefaultHanUserDef2;
extern const char* const kDefaultZenUserDef2;

// Width conversion choices of the text formatter.
enum : int { kConvNone = 0, kConvToFullWidth = 1, kConvToHalfWidth = 2 };

class UserInfo;
class RegKey;

enum class SettingType { Text, Flag, Number };

// What a user may set beyond the row's type; loading does not ask.
enum class SettingLimit {
  None,
  ConvChoice,      // a width conversion: kConvNone, kConvToFullWidth or kConvToHalfWidth
  ExistingFolder,  // taken only when it names a folder that exists
};

// One stored setting of a user: where it lives, its registry value name and
// type, the value a new object has (Initial) and the value assumed when the
// store has none (Absent), both in their text form. The rows drive loading
// and saving; the configuration dialog binds its controls to them by value
// name. Text form: a text as it is, a flag "1" or "0", a number in decimal.
struct SettingRow {
  const char* subkey;     // "" for Users\<user name>, else its subkey ("pilot-xfer")
  const char* valueName;  // the registry value name, spelt as stored
  SettingType type;
  const char* initial;
  const char* absent;
  std::string (*get)(const UserInfo& user);
  void (*put)(UserInfo& user, const std::string& text);  // text of the row's type

  // "BackupPath", or "pilot-xfer\\BackupPath" for a value of the subkey.
  std::string name() const;
  std::string text(const UserInfo& user) const { return get(user); }
  SettingLimit limit = SettingLimit::None;

  // Stores the text in the field; false, and nothing changes, when it is not
  // of the row's type (a flag other than "0"/"1", a number that is none).
  bool setText(UserInfo& user, const std::string& text) const;
  // Why a value a user typed does not fit the row's type or choices, as
  // the user is told; "" when it fits. Stricter than setText: a number is
  // decimal digits with an optional sign, nothing around them.
  std::string CheckText(const std::string& text) const;
  // Stores a value a user typed that passed CheckText; a folder that must
  // exist and does not is not taken (false, nothing changes).
  bool setEdited(UserInfo& user, const std::string& text) const;
};

// Every stored setting in the order LoadSettings reads them.
const std::vector<SettingRow>& SettingRows();
// The order SaveSettings writes them in (it differs: "ConvUser1" and
// "ConvUser2" come after "RestoreBackup").
const std::vector<const SettingRow*>& SettingSaveOrder();
// The row of a registry value name (its name() form; case does not matter);
// nullptr when no setting is stored under that name.
const SettingRow* FindSettingRow(const std::string& name);

class UserInfo {
 public:
  UserInfo();                                   // Initial values, no user
  explicit UserInfo(const std::string& userName);  // then OpenUser(name, false)
  ~UserInfo();
  UserInfo(const UserInfo&) = delete;
  UserInfo& operator=(const UserInfo&) = delete;

  // Every field to its Initial value; the user name becomes empty too.
  void ResetDefaults();

  // Opens a HotSync user: loads its settings and, when the short name or
  // user ID is not stored yet, looks the user up in Users.dat.
  // 0 opened; 1 already registered (both identity values were stored and
  // `duplicateCheck` is on); 2 no HotSync user of that name (the object is
  // empty again). Leaves the key Users\<name> behind even for answer 2.
  int OpenUser(const std::string& userName, bool duplicateCheck);
  // 0 loaded, 1 no user name. Creates the user's key when missing.
  int LoadSettings();
  // 0 saved, 1 no user name or the key could not be made. Writes the values
  // this object changed since it loaded or last saved them; for the others
  // it takes what the store holds now, so a value another program saved
  // meanwhile is never put back to an old one. The handler table likewise.
  int SaveSettings();
  // Remembers the short name as "LastUser"; 1 (refused) without a user name.
  int StoreLastUser();
  bool IsLastUser() const;
  // Deletes Users\<name> (the object's own user when `userName` is empty),
  // clears the user's install flag and decides whether the handler table
  // is written back when the object goes. True when a key was deleted. An
  // empty name on an object without user deletes nothing.
  bool DeleteUser(bool saveOnDestroy, const std::string& userName);

  // Identity and folders.
  const std::string& shortName() const { return f_.shortName; }
  void setShortName(const std::string& v) { f_.shortName = v; }
  const std::string& userName() const { return f_.userName; }
  void setUserName(const std::string& v) { f_.userName = v; }
  const std::string& userId() const { return f_.userId; }
  void setUserId(const std::string& v) { f_.userId = v; }
  const std::string& backupFolder() const { return f_.backupFolder; }
  bool setBackupFolder(const std::string& v);  // true: refused (no user name)
  const std::string& installFolder() const { return f_.installFolder; }
  void setInstallFolder(const std::string& v) { f_.installFolder = v; }
  const std::string& lastAccessFolder() const { return f_.lastAccessFolder; }
  // Stores an existing folder and answers it; "" (nothing stored) otherwise.
  std::string setLastAccessFolder(const std::string& folder);

  // Width-conversion sets (UTF-8).
  const std::string& hanUserDef1() const { return f_.hanUserDef1; }
  void setHanUserDef1(const std::string& v) { f_.hanUserDef1 = v; }
  const std::string& zenUserDef1() const { return f_.zenUserDef1; }
  void setZenUserDef1(const std::string& v) { f_.zenUserDef1 = v; }
  const std::string& hanUserDef2() const { return f_.hanUserDef2; }
  void setHanUserDef2(const std::string& v) { f_.hanUserDef2 = v; }
  const std::string& zenUserDef2() const { return f_.zenUserDef2; }
  void setZenUserDef2(const std::string& v) { f_.zenUserDef2 = v; }

  // Queue options; the setters answer true when refused (no user name).
  bool autoBackup() const { return f_.autoBackup; }
  bool setAutoBackup(bool v);
  bool backupArchives() const { return f_.backupArchives; }
  bool setBackupArchives(bool v);
  bool confirmOverwrite() const { return f_.confirmOverwrite; }
  bool setConfirmOverwrite(bool v);
  bool confirmDelete() const { return f_.confirmDelete; }
  bool setConfirmDelete(bool v);
  bool showDescription() const { return f_.showDescription; }
  bool setShowDescription(bool v);
  bool selectArchiveFolder() const { return f_.selectArchiveFolder; }
  bool setSelectArchiveFolder(bool v);

  // Last known state of the install flag (the registry holds the real one).
  bool installFlag() const { return f_.installFlag; }
  void setInstallFlagState(bool v) { f_.installFlag = v; }

  bool showTitle() const { return f_.showTitle; }
  void setShowTitle(bool v) { f_.showTitle = v; }
  bool startHotSync() const { return f_.startHotSync; }
  void setStartHotSync(bool v) { f_.startHotSync = v; }
  bool stopHotSync() const { return f_.stopHotSync; }
  void setStopHotSync(bool v) { f_.stopHotSync = v; }
  bool usbSwitcher() const { return f_.usbSwitcher; }
  void setUsbSwitcher(bool v) { f_.usbSwitcher = v; }
  bool showWindow() const { return f_.showWindow; }
  void setShowWindow(bool v) { f_.showWindow = v; }
  bool restoreBackup() const { return f_.restoreBackup; }
  void setRestoreBackup(bool v) { f_.restoreBackup = v; }
  bool showArchives() const { return f_.showArchives; }
  void setShowArchives(bool v) { f_.showArchives = v; }

  // Text formatting.
  int convKana() const { return f_.convKana; }
  void setConvKana(int v) { f_.convKana = v; }
  int convAlpha() const { return f_.convAlpha; }
  void setConvAlpha(int v) { f_.convAlpha = v; }
  int convUser1() const { return f_.convUser1; }
  void setConvUser1(int v) { f_.convUser1 = v; }
  int convUser2() const { return f_.convUser2; }
  void setConvUser2(int v) { f_.convUser2 = v; }
  bool trimLines() const { return f_.trimLines; }
  void setTrimLines(bool v) { f_.trimLines = v; }
  bool joinLines() const { return f_.joinLines; }
  void setJoinLines(bool v) { f_.joinLines = v; }

  // AppList fetch.
  const std::string& appListUrl() const { return f_.appListUrl; }
  void setAppListUrl(const std::string& v) { f_.appListUrl = v; }
  const std::string& rasName() const { return f_.rasName; }
  void setRasName(const std::string& v) { f_.rasName = v; }
  bool disconnect() const { return f_.disconnect; }
  void setDisconnect(bool v) { f_.disconnect = v; }
  bool askDisconnect() const { return f_.askDisconnect; }
  void setAskDisconnect(bool v) { f_.askDisconnect = v; }
  bool useProxy() const { return f_.useProxy; }
  void setUseProxy(bool v) { f_.useProxy = v; }
  const std::string& proxy() const { return f_.proxy; }
  void setProxy(const std::string& v) { f_.proxy = v; }
  const std::string& proxyPort() const { return f_.proxyPort; }
  void setProxyPort(const std::string& v) { f_.proxyPort = v; }

  // Glance viewer.
  bool useGlance() const { return f_.useGlance; }
  void setUseGlance(bool v) { f_.useGlance = v; }
  bool glanceViewOnDClk() const { return f_.glanceViewOnDClk; }
  void setGlanceViewOnDClk(bool v) { f_.glanceViewOnDClk = v; }
  bool glanceHtmlConv() const { return f_.glanceHtmlConv; }
  void setGlanceHtmlConv(bool v) { f_.glanceHtmlConv = v; }
  bool glanceSavePos() const { return f_.glanceSavePos; }
  void setGlanceSavePos(bool v) { f_.glanceSavePos = v; }
  Rect glanceRect() const { return f_.glanceRect; }
  void setGlanceRect(const Rect& r) { f_.glanceRect = r; }
  const std::string& glanceJpFontName() const { return f_.glanceJpFontName; }
  void setGlanceJpFontName(const std::string& v) { f_.glanceJpFontName = v; }
  int glanceJpFontSize() const { return f_.glanceJpFontSize; }
  void setGlanceJpFontSize(int v) { f_.glanceJpFontSize = v; }
  const std::string& glanceEnFontName() const { return f_.glanceEnFontName; }
  void setGlanceEnFontName(const std::string& v) { f_.glanceEnFontName = v; }
  int glanceEnFontSize() const { return f_.glanceEnFontSize; }
  void setGlanceEnFontSize(int v) { f_.glanceEnFontSize = v; }

  // pilot-xfer console (subkey "pilot-xfer").
  const std::string& consoleBackupFolder() const { return f_.consoleBackupFolder; }
  void setConsoleBackupFolder(const std::string& v) { f_.consoleBackupFolder = v; }
  const std::string& consoleProgram() const { return f_.consoleProgram; }
  void setConsoleProgram(const std::string& v) { f_.consoleProgram = v; }
  int consolePort() const { return f_.consolePort; }
  void setConsolePort(int v) { f_.consolePort = v; }
  int consoleRate() const { return f_.consoleRate; }
  void setConsoleRate(int v) { f_.consoleRate = v; }
  int consolePriority() const { return f_.consolePriority; }
  void setConsolePriority(int v) { f_.consolePriority = v; }
  int consoleHeight() const { return f_.consoleHeight; }
  void setConsoleHeight(int v) { f_.consoleHeight = v; }
  int consoleBackupMode() const { return f_.consoleBackupMode; }
  void setConsoleBackupMode(int v) { f_.consoleBackupMode = v; }

  // The user's extension handler table (key Ext\NN): loaded by OpenUser,
  // written by SaveSettings, and written back when this object goes unless
  // its save-on-destroy flag is off (DeleteUser sets it).
  ExtHandlerTable& handlers() { return *handlers_; }
  const ExtHandlerTable& handlers() const { return *handlers_; }

  // The user's key path, Users\<user name>.
  std::string keyPath() const;

 private:
  friend const std::vector<SettingRow>& SettingRows();
  bool refused() const { return f_.userName.empty(); }
  bool SaveRow(const SettingRow& row, const RegKey& key, const std::string& text) const;

  // The stored fields get their Initial values from SettingRows(); the
  // others (user name, install folder and flag) start empty.
  struct Fields {
    std::string shortName;
    std::string userName;
    std::string userId;
    std::string backupFolder;
    std::string installFolder;
    std::string hanUserDef1;
    std::string zenUserDef1;
    std::string hanUserDef2;
    std::string zenUserDef2;
    std::string lastAccessFolder;
    bool autoBackup{};
    bool backupArchives{};
    bool confirmOverwrite{};
    bool confirmDelete{};
    bool installFlag{};
    bool showDescription{};
    bool showTitle{};
    bool startHotSync{};
    bool stopHotSync{};
    bool usbSwitcher{};
    bool showWindow{};
    bool restoreBackup{};
    bool selectArchiveFolder{};
    bool showArchives{};
    int convKana{};
    int convAlpha{};
    int convUser1{};
    int convUser2{};
    bool trimLines{};
    bool joinLines{};
    std::string appListUrl;
    std::string rasName;
    bool disconnect{};
    bool askDisconnect{};
    bool useProxy{};
    std::string proxy;
    std::string proxyPort;
    bool useGlance{};
    bool glanceViewOnDClk{};
    bool glanceHtmlConv{};
    bool glanceSavePos{};
    Rect glanceRect;
    std::string glanceJpFontName;
    int glanceJpFontSize{};
    std::string glanceEnFontName;
    int glanceEnFontSize{};
    std::string consoleBackupFolder;
    std::string consoleProgram;
    int consolePort{};
    int consoleRate{};
    int consolePriority{};
    int consoleHeight{};
    int consoleBackupMode{};
  };
  Fields f_;
  // Each row's text (SettingRows order) as the store held it when this
  // object loaded or saved it; nullopt before, and then a save writes all.
  std::optional<std::vector<std::string>> savedTexts_;
  std::unique_ptr<ExtHandlerTable> handlers_;
};

// The users registered with Kestrel+, in the registry's order: keys without
// a "User" value are deleted on the way; every other key gets an object
// (create for user), also when opening it failed (then its user name is
// empty and it keeps its place). Appends to `users`; answers its length.
int EnumerateUsers(std::vector<std::unique_ptr<UserInfo>>& users);

// The backup and Palm folders of the stored last user as its settings name
// them (UserPalmFolder's form, the backup folder ending in a separator),
// read without looking anything up and without a message: a guess, for
// reading them ahead of EnumerateUsers. nullopt when there is no such user
// or the store cannot tell.
struct LastUserFolders {
  std::string backup;
  std::string palm;
  bool showArchives = false;
};
std::optional<LastUserFolders> StoredLastUserFolders();

}  // namespace kestrel
