#include "shell/Session.h"

#include "users/UserInfo.h"

namespace kestrel {

Session::Session() = default;

Session::~Session() { DestroyUsers(); }

UserInfo* Session::UserAt(int index) const {
  if (index < 0 || index >= static_cast<int>(users_.size())) return nullptr;
  return users_[static_cast<std::size_t>(index)].get();
}

int Session::IndexOf(const UserInfo* user) const {
  if (!user) return -1;
  for (std::size_t i = 0; i < users_.size(); ++i) {
    if (users_[i].get() == user) return static_cast<int>(i);
  }
  return -1;
}

int Session::AddUser(std::unique_ptr<UserInfo> user) {
  users_.push_back(std::move(user));
  return static_cast<int>(users_.size()) - 1;
}

void Session::DestroyUsers() {
  for (auto& user : users_) user.reset();
  users_.clear();
}

}  // namespace kestrel
