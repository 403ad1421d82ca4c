#include "dialogs/UserSettingsMap.h"

#include <strings.h>

#include <charconv>

#include "users/UserInfo.h"

namespace kestrel {
namespace {

using U = UserInfo;

int ToInt(const std::string& v) {
  int n = 0;
  std::from_chars(v.data(), v.data() + v.size(), n);
  return n;
}

#define TEXT(n, getter, setter) \
  {n, SettingKind::Text, [](const U& u) { return std::string(u.getter()); }, \
   [](U& u, const std::string& v) { u.setter(v); }}
#define FLAG(n, getter, setter) \
  {n, SettingKind::Flag, [](const U& u) { return std::string(u.getter() ? "1" : "0"); }, \
   [](U& u, const std::string& v) { u.setter(v == "1"); }}
#define NUMBER(n, getter, setter) \
  {n, SettingKind::Number, [](const U& u) { return std::to_string(u.getter()); }, \
   [](U& u, const std::string& v) { u.setter(ToInt(v)); }}
#define RECT(n, member) \
  {n, SettingKind::Number, [](const U& u) { return std::to_string(u.glanceRect().member); }, \
   [](U& u, const std::string& v) { Rect r = u.glanceRect(); r.member = ToInt(v); u.setGlanceRect(r); }}

}  // namespace

const std::vector<UserSetting>& UserSettings() {
  static const std::vector<UserSetting> settings = {
      TEXT("User", shortName, setShortName),
      TEXT("UserID", userId, setUserId),
      TEXT("BackupPath", backupFolder, setBackupFolder),
      FLAG("Backup", autoBackup, setAutoBackup),
      FLAG("BackupArchive", backupArchives, setBackupArchives),
      FLAG("BackupFlag", confirmOverwrite, setConfirmOverwrite),
      FLAG("AskDelete", confirmDelete, setConfirmDelete),
      FLAG("NoInfo", showDescription, setShowDescription),
      FLAG("ShowTitle", showTitle, setShowTitle),
      FLAG("ExecHotSync", startHotSync, setStartHotSync),
      FLAG("ExitHotSync", stopHotSync, setStopHotSync),
      FLAG("USBSwitcher", usbSwitcher, setUsbSwitcher),
      FLAG("ShowWindow", showWindow, setShowWindow),
      FLAG("GoArchiveFolder", selectArchiveFolder, setSelectArchiveFolder),
      FLAG("ShowArchiveFolder", showArchives, setShowArchives),
      NUMBER("ConvKana", convKana, setConvKana),
      NUMBER("ConvAlpha", convAlpha, setConvAlpha),
      NUMBER("ConvUser1", convUser1, setConvUser1),
      NUMBER("ConvUser2", convUser2, setConvUser2),
      FLAG("Trim", trimLines, setTrimLines),
      FLAG("MargeLine", joinLines, setJoinLines),
      FLAG("RestoreBackup", restoreBackup, setRestoreBackup),
      TEXT("HanUserDef1", hanUserDef1, setHanUserDef1),
      TEXT("ZenUserDef1", zenUserDef1, setZenUserDef1),
      TEXT("HanUserDef2", hanUserDef2, setHanUserDef2),
      TEXT("ZenUserDef2", zenUserDef2, setZenUserDef2),
      TEXT("AppListURL", appListUrl, setAppListUrl),
      TEXT("RasName", rasName, setRasName),
      FLAG("Disconnect", disconnect, setDisconnect),
      FLAG("AskDisconnect", askDisconnect, setAskDisconnect),
      FLAG("UseProxy", useProxy, setUseProxy),
      TEXT("Proxy", proxy, setProxy),
      TEXT("ProxyPort", proxyPort, setProxyPort),
      FLAG("UseGlance", useGlance, setUseGlance),
      FLAG("GlanceViewOnDClk", glanceViewOnDClk, setGlanceViewOnDClk),
      FLAG("GlanceHTMLConv", glanceHtmlConv, setGlanceHtmlConv),
      FLAG("GlanceSavePos", glanceSavePos, setGlanceSavePos),
      RECT("GlancePosX", left),
      RECT("GlancePosY", top),
      RECT("GlanceWidth", width),
      RECT("GlanceHeight", height),
      TEXT("GlanceJpFontName", glanceJpFontName, setGlanceJpFontName),
      TEXT("GlanceEnFontName", glanceEnFontName, setGlanceEnFontName),
      NUMBER("GlanceJpFontSize", glanceJpFontSize, setGlanceJpFontSize),
      NUMBER("GlanceEnFontSize", glanceEnFontSize, setGlanceEnFontSize),
      TEXT("LastAccessDir", lastAccessFolder, setLastAccessFolder),
      TEXT("pilot-xfer\\BackupPath", consoleBackupFolder, setConsoleBackupFolder),
      TEXT("pilot-xfer\\Path", consoleProgram, setConsoleProgram),
      NUMBER("pilot-xfer\\Port", consolePort, setConsolePort),
      NUMBER("pilot-xfer\\Rate", consoleRate, setConsoleRate),
      NUMBER("pilot-xfer\\Priority", consolePriority, setConsolePriority),
      NUMBER("pilot-xfer\\Height", consoleHeight, setConsoleHeight),
      NUMBER("pilot-xfer\\DefualtBackupMode", consoleBackupMode, setConsoleBackupMode),
  };
  return settings;
}

#undef TEXT
#undef FLAG
#undef NUMBER
#undef RECT

const UserSetting* FindUserSetting(const std::string& name) {
  for (const UserSetting& s : UserSettings()) {
    if (strcasecmp(s.name, name.c_str()) == 0) return &s;
  }
  return nullptr;
}

std::string CheckSettingValue(const UserSetting& setting, const std::string& value) {
  switch (setting.kind) {
    case SettingKind::Text: return "";
    case SettingKind::Flag:
      return value == "0" || value == "1" ? "" : std::string(setting.name) + " は 0 か 1 です";
    case SettingKind::Number: {
      int n = 0;
      auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
      if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
        return std::string(setting.name) + " は整数です";
      }
      std::string name = setting.name;
      if (name.rfind("Conv", 0) == 0 && (n < 0 || n > 2)) {
        return name + " は 0（何もしない）、1（全角に変換）、2（半角に変換）のどれかです";
      }
      return "";
    }
  }
  return "";
}

}  // namespace kestrel
