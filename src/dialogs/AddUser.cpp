#include "dialogs/AddUser.h"

#include "common/MessageBoxes.h"
#include "common/Paths.h"
#include "common/Translate.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

constexpr const char* kAskCreate = QT_TRANSLATE_NOOP("Kestrel", "フォルダが存在しません。作成しますか？");
constexpr const char* kNotCreated = QT_TRANSLATE_NOOP("Kestrel", "フォルダが作成できませんでした。");

// Throws away a user object whose add failed: only the key the lookup left
// under our Users key goes. The user's HotSync install flag is HotSync's
// and stays, and the handler table must not write itself back.
void Discard(std::unique_ptr<UserInfo> user, const std::string& name) {
  user->handlers().setSaveOnDestroy(false);
  // An empty name would name the Users key itself, every user.
  if (!name.empty()) TheRegistry().deleteKeyTree(Hive::CurrentUser, JoinKeyPath(kUsersKey, name));
}

}  // namespace

AddUser::AddUser() = default;
AddUser::~AddUser() {
  // A user made but never taken must not write its table back.
  if (added_) added_->handlers().setSaveOnDestroy(false);
}
AddUser::AddUser(AddUser&&) noexcept = default;

AddUser::AddUser(const UserInfo& user)
    : userName(user.userName()), backPath(user.backupFolder()), change_(true) {}

void AddUser::FolderChosen(const std::string& folder) { backPath = WithTrailingBackslash(folder); }

bool AddUser::Ok() { return change_ ? OkChange() : OkAdd(); }

std::unique_ptr<UserInfo> AddUser::TakeUser() { return std::move(added_); }

bool AddUser::EnsureBackupFolder() {
  FileSystem& fs = TheFileSystem();
  if (!backPath.empty() && fs.isDirectory(backPath)) return true;
  if (ConfirmBox(kAskCreate) != Button::Yes) return false;
  // Nothing can be made of an empty path.
  if (backPath.empty() || !fs.createDirectories(backPath) || !fs.isDirectory(backPath)) {
    ErrorBox(kNotCreated);
    return false;
  }
  return true;
}

bool AddUser::OkChange() {
  if (!EnsureBackupFolder()) return false;
  // The backup folder is a folder path: it ends in a separator.
  backPath = WithTrailingBackslash(backPath);
  return true;
}

bool AddUser::OkAdd() {
  auto user = std::make_unique<UserInfo>();
  switch (user->OpenUser(userName, true)) {
    case 1:
      ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "ユーザが重複してます"));
      // The registered user's key and settings stay as they are.
      user->handlers().setSaveOnDestroy(false);
      return false;
    case 2:
      ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "ユーザ名が違います"));
      Discard(std::move(user), userName);
      return false;
    default: break;
  }
  bool passed;
  if (backPath.empty()) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "バックアップフォルダを指定してください"));
    passed = false;
  } else {
    passed = EnsureBackupFolder();
  }
  backPath = WithTrailingBackslash(backPath);
  if (!passed) {
    std::string name = user->userName();
    Discard(std::move(user), name);
    return false;
  }
  user->setBackupFolder(backPath);
  user->SaveSettings();
  added_ = std::move(user);
  return true;
}

}  // namespace kestrel
