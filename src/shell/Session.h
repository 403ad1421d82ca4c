// What the subsystems share while the program runs: the registered users,
// the Palm Desktop locations, the serial ports, and (set by the AppList
// subsystem) the AppList catalogue. The main window owns one and hands it
// on through its context.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "users/PalmDesktop.h"

namespace kestrel {

class UserInfo;

// A subsystem's share of the session; the session owns it and destroys it
// after the users.
class SessionPart {
 public:
  virtual ~SessionPart() = default;
};

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The registered users; a user's position is the user index that tree
  // nodes carry. Entries are emptied, never removed, while the window runs.
  std::vector<std::unique_ptr<UserInfo>>& users() { return users_; }
  const std::vector<std::unique_ptr<UserInfo>>& users() const { return users_; }
  UserInfo* UserAt(int index) const;
  // The index of a user object; -1 when it is not in the list.
  int IndexOf(const UserInfo* user) const;
  // Appends a user (the add-user dialog's new one); answers its index.
  int AddUser(std::unique_ptr<UserInfo> user);
  // Destroys every user in list order (each handler table writes itself
  // back as it goes).
  void DestroyUsers();

  PalmLocations& locations() { return locations_; }
  const PalmLocations& locations() const { return locations_; }
  PortMenu& ports() { return ports_; }
  const PortMenu& ports() const { return ports_; }

  // The AppList catalogue: the AppList and MyAppList lines and their
  // categories. Empty until the AppList subsystem puts its catalogue here
  // (a class deriving from SessionPart; fetch it with appLists<T>()).
  void setAppLists(std::unique_ptr<SessionPart> catalogue) { appLists_ = std::move(catalogue); }
  template <class T>
  T* appLists() const { return dynamic_cast<T*>(appLists_.get()); }

 private:
  std::unique_ptr<SessionPart> appLists_;  // destroyed after the users
  std::vector<std::unique_ptr<UserInfo>> users_;
  PalmLocations locations_;
  PortMenu ports_;
};

}  // namespace kestrel
