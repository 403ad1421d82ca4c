#include "dialogs/KSConfig.h"

#include <algorithm>

#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "platform/Registry.h"
#include "dialogs/ConfigChecks.h"
#include "users/OldSettings.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

// The index in kLanguageItems of the stored "Language"; an unknown value
// is the locale's, as at the start.
int StoredLanguage() {
  std::string value;
  try {
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, false);
    if (key) value = key->readString(kLanguageValue, "");
  } catch (const RegistryError&) {
    // A value of another type is no choice: the locale's.
  }
  for (int i = 0; i < static_cast<int>(std::size(kLanguageItems)); ++i) {
    if (value == kLanguageItems[i].value) return i;
  }
  return 0;
}

}  // namespace

KSConfig::KSConfig(std::vector<std::unique_ptr<UserInfo>>& users, int userIndex,
                   std::vector<std::string> phoneBook)
    : users_(users), userIndex_(userIndex) {
  v_.rasItems.push_back(kNoDial);
  for (std::string& name : phoneBook) v_.rasItems.push_back(std::move(name));
  v_.language = storedLanguage_ = StoredLanguage();
  Load();
}

std::vector<std::string> KSConfig::UserNames() const {
  std::vector<std::string> names;
  for (const auto& u : users_) names.push_back(u ? u->userName() : "");
  return names;
}

UserInfo* KSConfig::shownUser() const {
  if (userIndex_ < 0 || userIndex_ >= static_cast<int>(users_.size())) return nullptr;
  return users_[static_cast<std::size_t>(userIndex_)].get();
}

ConfigEnabling KSConfig::Enabling() const {
  ConfigEnabling e;
  e.backupArchive = v_.backup;
  e.trim = !v_.margeLine;
  e.proxyFields = v_.useProxy;
  e.hangUpChecks = v_.rasIndex > 0;
  return e;
}

void KSConfig::Load() {
  UserInfo* u = shownUser();
  page_.Load(u ? u->userName() : "");
  if (!u) return;
  v_.convKana = u->convKana();
  v_.convAlpha = u->convAlpha();
  v_.convUser1 = u->convUser1();
  v_.convUser2 = u->convUser2();
  v_.trim = u->trimLines();
  v_.margeLine = u->joinLines();
  v_.han1 = u->hanUserDef1();
  v_.zen1 = u->zenUserDef1();
  v_.han2 = u->hanUserDef2();
  v_.zen2 = u->zenUserDef2();
  v_.backup = u->autoBackup();
  v_.askDelete = u->confirmDelete();
  v_.backupFlag = u->confirmOverwrite();
  v_.restoreBackup = u->restoreBackup();
  v_.backupArchive = u->backupArchives();
  v_.execHotSync = u->startHotSync();
  v_.exitHotSync = u->stopHotSync();
  v_.usbSwitcher = u->usbSwitcher();
  v_.showTitle = u->showTitle();
  v_.noInfo = u->showDescription();
  v_.showArchiveFolder = u->showArchives();
  v_.showWindow = u->showWindow();
  v_.goArchiveFolder = u->selectArchiveFolder();
  v_.appListUrl = u->appListUrl();
  v_.useProxy = u->useProxy();
  v_.proxy = u->proxy();
  v_.proxyPort = u->proxyPort();
  auto ras = std::find(v_.rasItems.begin(), v_.rasItems.end(), u->rasName());
  v_.rasIndex = ras == v_.rasItems.end() ? 0 : static_cast<int>(ras - v_.rasItems.begin());
  v_.disconnect = u->disconnect();
  v_.askDisconnect = u->askDisconnect();
  v_.glanceVisible = u->useGlance();
  v_.glanceViewOnDClk = u->glanceViewOnDClk();
  v_.glanceHtmlConv = u->glanceHtmlConv();
  v_.glanceSavePos = u->glanceSavePos();
  v_.jpFontKnown = !u->glanceJpFontName().empty();
  v_.enFontKnown = !u->glanceEnFontName().empty();
  v_.jpFontName = u->glanceJpFontName();
  v_.enFontName = u->glanceEnFontName();
  v_.jpFontSize = u->glanceJpFontSize();
  v_.enFontSize = u->glanceEnFontSize();
}

void KSConfig::StoreInto(UserInfo& u) {
  ExtHandlerTable& own = u.handlers();
  own.clear();
  const ExtHandlerTable& work = page_.table();
  for (int i = 0; i < work.count(); ++i) own.append(*work.get(i));
  u.setConvKana(v_.convKana);
  u.setConvAlpha(v_.convAlpha);
  u.setConvUser1(v_.convUser1);
  u.setConvUser2(v_.convUser2);
  u.setTrimLines(v_.trim);
  u.setJoinLines(v_.margeLine);
  u.setHanUserDef1(v_.han1);
  u.setZenUserDef1(v_.zen1);
  u.setHanUserDef2(v_.han2);
  u.setZenUserDef2(v_.zen2);
  u.setAutoBackup(v_.backup);
  u.setConfirmDelete(v_.askDelete);
  u.setConfirmOverwrite(v_.backupFlag);
  u.setRestoreBackup(v_.restoreBackup);
  u.setBackupArchives(v_.backupArchive);
  u.setStartHotSync(v_.execHotSync);
  u.setStopHotSync(v_.exitHotSync);
  u.setUsbSwitcher(v_.usbSwitcher);
  u.setShowTitle(v_.showTitle);
  u.setShowDescription(v_.noInfo);
  u.setShowArchives(v_.showArchiveFolder);
  u.setShowWindow(v_.showWindow);
  u.setSelectArchiveFolder(v_.goArchiveFolder);
  u.setAppListUrl(v_.appListUrl);
  u.setUseProxy(v_.useProxy);
  u.setProxy(v_.proxy);
  u.setProxyPort(v_.proxyPort);
  bool rasChosen = v_.rasIndex >= 0 && v_.rasIndex < static_cast<int>(v_.rasItems.size());
  u.setRasName(rasChosen ? v_.rasItems[static_cast<std::size_t>(v_.rasIndex)] : "");
  u.setDisconnect(v_.disconnect);
  u.setAskDisconnect(v_.askDisconnect);
  u.setUseGlance(v_.glanceVisible);
  u.setGlanceViewOnDClk(v_.glanceViewOnDClk);
  u.setGlanceHtmlConv(v_.glanceHtmlConv);
  u.setGlanceSavePos(v_.glanceSavePos);
  if (v_.jpFontKnown) {
    u.setGlanceJpFontName(v_.jpFontName);
    u.setGlanceJpFontSize(v_.jpFontSize);
  }
  if (v_.enFontKnown) {
    u.setGlanceEnFontName(v_.enFontName);
    u.setGlanceEnFontSize(v_.enFontSize);
  }
  u.SaveSettings();
}

int KSConfig::UnsavedChanges() const {
  if (page_.Edited()) return 1;
  UserInfo* u = shownUser();
  if (!u) return 0;
  bool differs = v_.convKana != u->convKana() || v_.convAlpha != u->convAlpha() ||
                 v_.trim != u->trimLines() || v_.margeLine != u->joinLines() ||
                 v_.backup != u->autoBackup() || v_.backupFlag != u->confirmOverwrite() ||
                 v_.askDelete != u->confirmDelete() || v_.showTitle != u->showTitle() ||
                 v_.noInfo != u->showDescription() || v_.execHotSync != u->startHotSync() ||
                 v_.exitHotSync != u->stopHotSync() || v_.showWindow != u->showWindow() ||
                 v_.restoreBackup != u->restoreBackup();
  // Entries added, removed, moved or changed would otherwise be lost unasked.
  return differs || page_.TableChanged() ? 2 : 0;
}

void KSConfig::UserChanged(int index) {
  if (index == userIndex_) return;
  int changes = UnsavedChanges();
  UserInfo* previous = shownUser();
  if (changes != 0 && previous &&
      ConfirmBox(QT_TRANSLATE_NOOP("Kestrel", "'%s'の設定を保存しますか？"), previous->userName().c_str()) == Button::Yes) {
    if (changes == 1) page_.Change();
    StoreInto(*previous);
  }
  page_.Reset();
  userIndex_ = index;
  Load();
}

bool KSConfig::Ok() {
  if (auto error = CheckUserDefinedSets(v_.han1, v_.zen1, v_.han2, v_.zen2)) {
    ErrorBox("%s", error->c_str());
    return false;
  }
  if (page_.Edited() &&
      ConfirmBox(QT_TRANSLATE_NOOP("Kestrel", "%s は変更されています。反映しますか？"), page_.fields().extension.c_str()) == Button::Yes) {
    page_.Change();
  }
  if (UserInfo* u = shownUser()) StoreInto(*u);
  // Written only when chosen anew, so that an untouched store stays so.
  if (v_.language != storedLanguage_ && v_.language >= 0 &&
      v_.language < static_cast<int>(std::size(kLanguageItems))) {
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, true);
    if (key) {
      key->writeString(kLanguageValue, kLanguageItems[v_.language].value);
      storedLanguage_ = v_.language;
    }
  }
  return true;
}

void KSConfig::DefaultSet(int set) {
  if (set == 1) {
    v_.han1 = kDefaultHanUserDef1;
    v_.zen1 = kDefaultZenUserDef1;
  } else {
    v_.han2 = kDefaultHanUserDef2;
    v_.zen2 = kDefaultZenUserDef2;
  }
}

ConfigPage KSConfig::PageRequested(ConfigPage page, bool ctrl) {
  if (!ctrl) return page;
  v_.glanceVisible = true;
  return ConfigPage::Glance;
}

int KSConfig::HelpTopic(ConfigPage page) {
  switch (page) {
    case ConfigPage::Handlers: return 12;
    case ConfigPage::TextShape: return 19;
    case ConfigPage::Behaviour: return 20;
    default: return 0;
  }
}

void KSConfig::DeleteOldVersionInfo() {
  if (ConfirmBox(QT_TRANSLATE_NOOP("Kestrel", "0.9x以前のレジストリ情報を削除してよろしいですか？")) == Button::Yes) {
    RemoveOldVersionSettings();
  }
}

}  // namespace kestrel
