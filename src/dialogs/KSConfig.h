// The configuration dialog TFormKSConfig without widgets: the values of its
// controls, loading them from a user's settings and storing them back, the
// OK checks, the user switch with its question, the enabling rules, the
// Ctrl-revealed Glance page and the help topics. The Qt window shows these
// values and hands its events here.
#pragma once

#include "common/Translate.h"

#include <memory>
#include <string>
#include <vector>

#include "dialogs/ExtensionPage.h"

namespace kestrel {

class UserInfo;

// The pages in their order.
enum class ConfigPage : int { Handlers = 0, TextShape = 1, Behaviour = 2, Connection = 3, Glance = 4 };

inline constexpr const char* kNoDial = QT_TRANSLATE_NOOP("Kestrel", "ダイアルしない");

// The choices of the language combo and the "Language" value each stores.
struct LanguageItem {
  const char* caption;
  const char* value;
};
inline constexpr LanguageItem kLanguageItems[] = {
    {QT_TRANSLATE_NOOP("Kestrel", "システムの設定に従う"), ""},
    {QT_TRANSLATE_NOOP("Kestrel", "日本語"), "ja"},
    {"English", "en"},
};

// The controls of every page but "連携", by the setting each one shows.
struct ConfigValues {
  // テキスト整形
  int convKana = 0, convAlpha = 0, convUser1 = 0, convUser2 = 0;
  bool trim = false, margeLine = false;
  std::string han1, zen1, han2, zen2;
  // 動作
  bool backup = false, askDelete = false, backupFlag = false, restoreBackup = false,
       backupArchive = false;
  bool execHotSync = false, exitHotSync = false, usbSwitcher = false;
  bool showTitle = false, noInfo = false, showArchiveFolder = false;
  bool showWindow = false, goArchiveFolder = false;
  // The program's language ("Language", read at the next start): the index
  // in kLanguageItems.
  int language = 0;
  // 接続
  std::string appListUrl;
  bool useProxy = false;
  std::string proxy, proxyPort;
  std::vector<std::string> rasItems;  // "ダイアルしない", then the phone-book entries
  int rasIndex = -1;
  bool disconnect = false, askDisconnect = false;
  // Glancer
  bool glanceVisible = false;
  bool glanceViewOnDClk = false, glanceHtmlConv = false, glanceSavePos = false;
  // The sample panels' fonts; a name is known once loaded non-empty or chosen.
  std::string jpFontName, enFontName;
  int jpFontSize = 9, enFontSize = 9;
  bool jpFontKnown = false, enFontKnown = false;
};

struct ConfigEnabling {
  bool backupArchive = false;  // by "自動的にバックアップを作成する"
  bool trim = false;           // off while lines are joined
  bool proxyFields = false;
  bool hangUpChecks = false;   // off on "ダイアルしない"
};

class KSConfig {
 public:
  // The main window's users (edited in place), the user to show and the
  // dial-up phone-book entries.
  KSConfig(std::vector<std::unique_ptr<UserInfo>>& users, int userIndex,
           std::vector<std::string> phoneBook);

  ExtensionPage& handlers() { return page_; }
  const ExtensionPage& handlers() const { return page_; }
  ConfigValues& values() { return v_; }
  const ConfigValues& values() const { return v_; }
  ConfigEnabling Enabling() const;

  // The user combo: every user's name; the index shown.
  std::vector<std::string> UserNames() const;
  int userIndex() const { return userIndex_; }
  UserInfo* shownUser() const;

  // The user combo changed: asks whether to keep unsaved changes of the
  // user shown, then loads the other user.
  void UserChanged(int index);
  // 0 nothing to save, 1 the entry on show was edited, 2 a compared
  // setting or the handler table differs from the user's settings.
  int UnsavedChanges() const;

  // OK: false (the dialog stays open, nothing stored) when a check fails.
  bool Ok();
  // Every control into a user's settings, then SaveSettings.
  void StoreInto(UserInfo& user);

  // The defaults buttons of the user-defined sets (1 or 2).
  void DefaultSet(int set);
  // A page was asked for; with Ctrl held the Glance page is revealed and
  // shown instead. Answers the page to show.
  ConfigPage PageRequested(ConfigPage page, bool ctrl);
  // "ヘルプ(&H)": the help topic of a page, 0 for none.
  static int HelpTopic(ConfigPage page);
  // "古バージョン情報の削除": asks, then removes the old versions' settings.
  void DeleteOldVersionInfo();

 private:
  void Load();

  std::vector<std::unique_ptr<UserInfo>>& users_;
  int userIndex_;
  int storedLanguage_ = 0;
  ConfigValues v_;
  ExtensionPage page_;
};

}  // namespace kestrel
