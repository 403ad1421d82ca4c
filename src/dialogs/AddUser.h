// The user dialog TFormAddUser ("ユーザ情報") without widgets: registering a
// HotSync user with Kestrel+ (add mode) or changing a registered user's
// backup folder (change mode), with the checks of its OK button.
#pragma once

#include <memory>
#include <string>

namespace kestrel {

class UserInfo;

class AddUser {
 public:
  AddUser();                               // add mode: both fields empty
  explicit AddUser(const UserInfo& user);  // change mode for this user
  ~AddUser();
  AddUser(AddUser&&) noexcept;

  bool changeMode() const { return change_; }
  // EdUserName (disabled in change mode) and EdBackPath.
  std::string userName;
  std::string backPath;

  // BitBtn1's folder: its path with a trailing separator.
  void FolderChosen(const std::string& folder);
  // BtnOK: true when the dialog closes with OK.
  bool Ok();
  // Add mode, after OK: the new user (ownership passes to the caller).
  std::unique_ptr<UserInfo> TakeUser();

 private:
  bool OkAdd();
  bool OkChange();
  // The backup folder exists, or the user had it made.
  bool EnsureBackupFolder();

  bool change_ = false;
  std::unique_ptr<UserInfo> added_;
};

}  // namespace kestrel
